#pragma once
// The viewer of the command line: instead of a preview, the report is written into the
// files asked for (PDF, plain text, CSV), all from one layout run, page by page, so that a
// long report is never held whole in memory.

#include "ReportViewer.h"

#include <QString>
namespace ledra {

namespace reports {

class FileReportViewer : public ReportViewer {
public:
    // Empty names are not written.
    FileReportViewer(QString pdf, QString txt, QString csv)
        : m_pdf(std::move(pdf)), m_txt(std::move(txt)), m_csv(std::move(csv)) {}

    void preview(ledra::report::Report &report, const PreviewOptions &options) override;
    void print(ledra::report::Report &report) override { preview(report, PreviewOptions{}); }

    // Whether a report was handed over at all (a launcher whose dialog refused hands none).
    bool written() const { return m_written; }
    // Empty when every file was written.
    QString error() const { return m_error; }
    int pages() const { return m_pages; }

private:
    QString m_pdf, m_txt, m_csv;
    bool m_written = false;
    QString m_error;
    int m_pages = 0;
};

} // namespace reports

} // namespace ledra
