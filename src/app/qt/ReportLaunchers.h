#pragma once
// What the window's report launchers share: the filter dialog and its rules (kept for the
// whole run, so that the range and options chosen for one report are offered again for the
// next), the viewer the reports go to, and the context handed to every launcher.

#include <QString>
#include <functional>
#include <memory>
class QWidget;

namespace ledra {

class BooksSession;
class EingrenzungDialog;
class QtReportViewer;
class Ui;

namespace reports {
class EingrenzungRules;
class ReportViewer;
struct ReportContext;
} // namespace reports

class ReportLaunchers {
public:
    struct Hooks {
        std::function<void(const QString &control, bool enabled)> enableControl;
        std::function<void(bool visible)> showWindow;
        std::function<void(int context)> showHelp;
    };
    ReportLaunchers(BooksSession &books, Ui &ui, QWidget *window, Hooks hooks);
    ~ReportLaunchers();

    reports::ReportContext &context() { return *m_context; }
    reports::EingrenzungRules &filter() { return *m_filter; }
    EingrenzungDialog *filterDialog() const { return m_filterDialog; }
    // Runs a launcher at the event boundary: its message is shown, nothing escapes.
    void launch(const std::function<void(reports::ReportContext &)> &launcher);
    // Reports go to `viewer` instead of the print preview (null: the preview again).
    void setViewer(reports::ReportViewer *viewer);

private:
    void buildContext();

    BooksSession &m_books;
    Ui &m_ui;
    Hooks m_hooks;
    std::unique_ptr<reports::EingrenzungRules> m_filter;
    EingrenzungDialog *m_filterDialog = nullptr;
    std::unique_ptr<QtReportViewer> m_previewViewer;
    reports::ReportViewer *m_viewer = nullptr;
    std::unique_ptr<reports::ReportContext> m_context;
};

} // namespace ledra
