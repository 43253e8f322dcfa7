#pragma once
// How a report launcher hands a finished report over: to a print preview, straight to the
// printer, or (the command line) to files. Launchers are rules and include no widget
// header; the window provides the preview, the command line writes files.

#include "reportengine/Report.h"

#include <QString>
#include <functional>
namespace ledra {

class BooksSession;

namespace reports {

class EingrenzungRules;

struct PreviewOptions {
    // Zoomed to the whole page instead of the page width (balance sheet, extended trial
    // balance).
    bool wholePage = false;
    // The preview also offers plain text and CSV (the journal).
    bool textAndCsv = false;
};

class ReportViewer {
public:
    virtual ~ReportViewer() = default;
    // Shows the report and returns when the preview is closed.
    virtual void preview(ledra::report::Report &report, const PreviewOptions &options) = 0;
    // Sends the report to the printer without a preview.
    virtual void print(ledra::report::Report &report) = 0;
};

// What a launcher works with: the main window's rules, the filter dialog created at start,
// the viewer, and the window's controls that the launcher disables while it runs.
struct ReportContext {
    BooksSession &fb;
    EingrenzungRules &filter;
    ReportViewer &viewer;
    // Enables or disables a button of the main window by name ("SBJournal", "KBlatt").
    std::function<void(const QString &control, bool enabled)> setEnabled;
    // Hides and shows the main window around a preview.
    std::function<void(bool visible)> showMainWindow;

    void enable(const QString &control, bool on) const {
        if (setEnabled)
            setEnabled(control, on);
    }
};

} // namespace reports

} // namespace ledra
