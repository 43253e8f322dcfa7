#pragma once
// The plug-in's print preview: the report's pages on screen, printing, and saving as PDF,
// plain text or CSV (the program's CSV form). The program's own preview belongs to the main
// window, which the plug-in does not link.

#include <QDialog>
#include <functional>
#include <memory>

class QPrinter;

namespace ledra {

class Ui;
namespace report {
class Report;
}

class ReportPreviewDialog : public QDialog {
    Q_OBJECT
public:
    // `writeCsv` writes the CSV form of the report's data; it returns an error text.
    ReportPreviewDialog(report::Report &report, Ui &ui,
                        std::function<QString(const QString &)> writeCsv, QWidget *parent);
    ~ReportPreviewDialog() override;

private:
    void save(const QString &filter, int kind);

    report::Report &m_report;
    Ui &m_ui;
    std::function<QString(const QString &)> m_writeCsv;
    std::unique_ptr<QPrinter> m_printer; // the preview's sheet
};

} // namespace ledra
