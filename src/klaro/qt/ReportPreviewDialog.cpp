#include "ReportPreviewDialog.h"

#include "reportengine/Layout.h"
#include "reportengine/PdfRenderer.h"
#include "reportengine/Report.h"
#include "reports/FileReportViewer.h"
#include "ui/Ui.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

#include <memory>

namespace ledra {

namespace rpt = ledra::report;

namespace {

void setUpSheet(QPrinter &printer, const rpt::PageSetup &setup) {
    printer.setFullPage(true);
    printer.setPageLayout(QPageLayout(QPageSize(setup.paperMm, QPageSize::Millimeter),
                                      setup.orientation == rpt::Orientation::Portrait
                                          ? QPageLayout::Portrait
                                          : QPageLayout::Landscape,
                                      QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
}

void paintAll(QPrinter *printer, const rpt::PageModel &model) {
    QPainter painter;
    if (!painter.begin(printer))
        return;
    for (size_t i = 0; i < model.pages.size(); ++i) {
        if (i > 0)
            printer->newPage();
        rpt::paintPage(painter, model.pages[i]);
    }
    painter.end();
}

} // namespace

ReportPreviewDialog::ReportPreviewDialog(rpt::Report &report, Ui &ui,
                                         std::function<QString(const QString &)> writeCsv,
                                         QWidget *parent)
    : QDialog(parent), m_report(report), m_ui(ui), m_writeCsv(std::move(writeCsv)) {
    setWindowTitle(QStringLiteral("Vorschau: ") + report.title());
    resize(900, 1000);
    auto model = std::make_shared<rpt::PageModel>(rpt::layoutReport(report));
    m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    setUpSheet(*m_printer, model->setup);
    auto *view = new QPrintPreviewWidget(m_printer.get(), this);
    connect(view, &QPrintPreviewWidget::paintRequested, this,
            [model](QPrinter *p) { paintAll(p, *model); });

    auto *buttons = new QHBoxLayout;
    auto button = [&](const QString &text, auto f) {
        auto *b = new QPushButton(text, this);
        connect(b, &QPushButton::clicked, this, f);
        buttons->addWidget(b);
    };
    button(QStringLiteral("&Drucken..."), [this, model] {
        QPrinter p(QPrinter::HighResolution);
        setUpSheet(p, model->setup);
        QPrintDialog dlg(&p, this);
        if (dlg.exec() == QDialog::Accepted)
            paintAll(&p, *model);
    });
    button(QStringLiteral("Als &PDF..."),
           [this] { save(QStringLiteral("PDF-Dateien (*.pdf)"), 0); });
    button(QStringLiteral("Als &Text..."),
           [this] { save(QStringLiteral("Textdateien (*.txt)"), 1); });
    button(QStringLiteral("Als &CSV..."),
           [this] { save(QStringLiteral("CSV-Dateien (*.csv)"), 2); });
    buttons->addStretch(1);
    button(QStringLiteral("&Schließen"), [this] { accept(); });

    auto *v = new QVBoxLayout(this);
    v->addLayout(buttons);
    v->addWidget(view, 1);
}

ReportPreviewDialog::~ReportPreviewDialog() = default;

void ReportPreviewDialog::save(const QString &filter, int kind) {
    const QString file = QFileDialog::getSaveFileName(this, windowTitle(), QString(), filter);
    if (file.isEmpty())
        return;
    if (kind == 2) {
        if (const QString e = m_writeCsv(file); !e.isEmpty())
            m_ui.error(e);
        return;
    }
    reports::FileReportViewer files(kind == 0 ? file : QString(), kind == 1 ? file : QString(),
                                    QString());
    files.preview(m_report, reports::PreviewOptions{});
    if (!files.error().isEmpty())
        m_ui.error(files.error());
}

} // namespace ledra
