#pragma once
// The viewer of the command line: instead of a preview, the report is written into the
// files asked for (PDF, plain text, CSV), all from one layout run, page by page, so that a
// long report is never held whole in memory.

#include "ReportViewer.h"

#include <QString>

namespace reports {

class FileReportViewer : public ReportViewer {
public:
    // Empty names are not written.
    FileReportViewer(QString pdf, QString txt, QString csv)
        : pdf_(std::move(pdf)), txt_(std::move(txt)), csv_(std::move(csv)) {}

    void preview(ledra::report::Report &report, const PreviewOptions &options) override;
    void print(ledra::report::Report &report) override { preview(report, PreviewOptions{}); }

    // Whether a report was handed over at all (a launcher whose dialog refused hands none).
    bool written() const { return written_; }
    // Empty when every file was written.
    QString error() const { return error_; }
    int pages() const { return pages_; }

private:
    QString pdf_, txt_, csv_;
    bool written_ = false;
    QString error_;
    int pages_ = 0;
};

} // namespace reports
