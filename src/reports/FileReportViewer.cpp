#include "FileReportViewer.h"

#include "ReportConventions.h"
#include "reportengine/Layout.h"
#include "reportengine/PdfRenderer.h"
#include "reportengine/TextRenderer.h"

#include <QSaveFile>
#include <QTextStream>

#include <memory>
#include <vector>
namespace ledra {

namespace reports {

namespace rpt = ledra::report;

void FileReportViewer::preview(rpt::Report &report, const PreviewOptions &) {
    m_written = true;
    m_error.clear();
    // Each file is written beside its target and renamed into place when complete, so a
    // failed run leaves an older file as it was.
    std::vector<std::unique_ptr<QSaveFile>> files;
    auto open = [&](const QString &name) -> QSaveFile * {
        auto f = std::make_unique<QSaveFile>(name);
        if (!f->open(QIODevice::WriteOnly)) {
            m_error = QStringLiteral("Datei %1 kann nicht geschrieben werden.").arg(name);
            return nullptr;
        }
        files.push_back(std::move(f));
        return files.back().get();
    };
    std::vector<rpt::PageSink *> sinks;
    std::unique_ptr<rpt::PdfSink> pdf;
    std::unique_ptr<QTextStream> txtStream, csvStream;
    std::unique_ptr<rpt::TextSink> txt;
    std::unique_ptr<ReportCsvSink> csv;
    if (!m_pdf.isEmpty()) {
        QSaveFile *f = open(m_pdf);
        if (!f)
            return;
        pdf = std::make_unique<rpt::PdfSink>(f, report.title());
        sinks.push_back(pdf.get());
    }
    if (!m_txt.isEmpty()) {
        QSaveFile *f = open(m_txt);
        if (!f)
            return;
        txtStream = std::make_unique<QTextStream>(f);
        txtStream->setEncoding(QStringConverter::Utf8);
        txt = std::make_unique<rpt::TextSink>(*txtStream);
        sinks.push_back(txt.get());
    }
    if (!m_csv.isEmpty()) {
        QSaveFile *f = open(m_csv);
        if (!f)
            return;
        csvStream = std::make_unique<QTextStream>(f);
        csvStream->setEncoding(QStringConverter::Utf8);
        csv = std::make_unique<ReportCsvSink>(*csvStream);
        sinks.push_back(csv.get());
    }
    rpt::PageFanOut fan(sinks);
    m_pages = rpt::layoutReport(report, fan);
    if (pdf && !pdf->ok()) {
        m_error = pdf->errorString();
        return;
    }
    if (txtStream)
        txtStream->flush();
    if (csvStream)
        csvStream->flush();
    for (auto &f : files)
        if (!f->commit()) {
            m_error = QStringLiteral("Datei %1 kann nicht geschrieben werden.").arg(f->fileName());
            return;
        }
}

} // namespace reports

} // namespace ledra
