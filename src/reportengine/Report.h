#pragma once

// A report definition: page set-up, data source and bands. The report also
// carries the state of a running layout that events read (page number, current
// row, date of printing).
//
// Order of bands on a page:
//   page header (+children), title (first page only), column header,
//   carry-over line (top, from page 2), then the body: per row the group headers
//   of the groups that start, the detail band, its children and sub-details, the
//   group footers of the groups that end; after the last row the summary.
//   At the bottom: carry-over line (every page but the last), page footer.
//
// Event timing: a band's before-print event runs before the page break check,
// so it can change the height that the check uses; control print events and the
// band's after-print event run after the break. Aggregates take in a row after
// the break as well, so a carry-over line at the bottom of a page shows the sums
// of the rows printed on it. Handlers that keep their own running sums for a
// carry-over line should add in a control print event or an after-print event.

#include "reportengine/Band.h"
#include "reportengine/PageModel.h"
#include "reportengine/RecordSource.h"

#include <QDateTime>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace ledra::report {

class Report;
using ReportEvent = std::function<void(Report &report)>;

enum class CarryOverPosition { None, PageBottom, PageTop };

class Report {
public:
    Report();
    ~Report();
    Report(const Report &) = delete;
    Report &operator=(const Report &) = delete;

    QString title() const { return m_title; }
    void setTitle(const QString &title) { m_title = title; }

    PageSetup &pageSetup() { return m_setup; }
    const PageSetup &pageSetup() const { return m_setup; }
    void setOrientation(Orientation orientation) { m_setup.orientation = orientation; }
    // Margins in mm; changes during a run apply from the next band on.
    void setMargins(double left, double top, double right, double bottom);
    void setLeftMargin(double mm) { m_setup.margins.left = mm; }
    void setTopMargin(double mm) { m_setup.margins.top = mm; }

    // Font for bands created afterwards: Arial 10 pt unless changed.
    FontStyle defaultFont() const { return m_font; }
    void setDefaultFont(const FontStyle &font) { m_font = font; }

    // The rows of the detail band (not owned). Without a source the report has
    // no rows: page frame, title and summary only.
    RecordSource *dataSource() const { return m_source; }
    void setDataSource(RecordSource *source) { m_source = source; }

    // Bands. Single bands (page header, title, column header, detail, summary,
    // carry-over, page footer) exist at most once; adding one again returns the
    // existing band.
    Band *addBand(BandKind kind);
    // A group, outermost first; returns its header band (height 0 for a group
    // that only has a footer).
    Band *addGroup(GroupKey key);
    Band *addGroup(const QString &field);
    Band *addGroupFooter(Band *groupHeader);
    Band *addChild(Band *parent);
    Band *addSubDetail(RecordSource *source,
                       std::function<void(const Record &master)> prepare = {});

    Band *band(BandKind kind) const;
    const std::vector<Band *> &groups() const { return m_groups; }
    const std::vector<Band *> &subDetails() const { return m_subDetails; }
    const std::vector<std::unique_ptr<Band>> &bands() const { return m_bands; }
    // Band by name, or nullptr.
    Band *band(const QString &name) const;

    // Runs at the start of every layout pass (reset running sums, set margins
    // from the settings) and after the last page.
    void setBeforePrint(ReportEvent event) { m_beforePrint = std::move(event); }
    void setAfterPrint(ReportEvent event) { m_afterPrint = std::move(event); }

    bool printPageHeaderOnFirstPage() const { return m_firstPageHeader; }
    void setPrintPageHeaderOnFirstPage(bool on) { m_firstPageHeader = on; }
    bool printPageFooterOnLastPage() const { return m_lastPageFooter; }
    void setPrintPageFooterOnLastPage(bool on) { m_lastPageFooter = on; }
    // Print the carry-over band at the top of page 1 as well (for an opening line).
    bool carryOverOnFirstPage() const { return m_carryFirst; }
    void setCarryOverOnFirstPage(bool on) { m_carryFirst = on; }
    // Run the layout twice so that pageCount() is known; implied by page-count fields.
    void setTwoPass(bool on) { m_twoPass = on; }
    bool needsTwoPasses() const;

    // Date and time printed by system fields; the moment the run starts unless set.
    void setPrintDateTime(const QDateTime &when) { m_fixedDateTime = when; }

    // State of a running layout, for events.
    bool isRunning() const { return m_running; }
    int pageNumber() const { return m_pageNumber; }
    // Total pages; 0 until known (first pass of a two-pass run, or a one-pass run).
    int pageCount() const { return m_pageCount; }
    // The current row of the detail band (for group footers: the last row of the group).
    const Record &record() const { return m_record; }
    QVariant value(const QString &field) const { return m_record.value(field); }
    QDateTime printDateTime() const { return m_printDateTime; }
    // Where the carry-over band is printing now.
    CarryOverPosition carryOverPosition() const { return m_carryPosition; }
    // True while the layout walks the last row (and during footers and summary after it).
    bool isLastRow() const { return m_lastRow; }

private:
    friend class LayoutRun;
    Band *newBand(BandKind kind);

    QString m_title;
    PageSetup m_setup;
    FontStyle m_font;
    RecordSource *m_source = nullptr;
    std::vector<std::unique_ptr<Band>> m_bands;
    std::vector<Band *> m_groups;
    std::vector<Band *> m_subDetails;
    ReportEvent m_beforePrint;
    ReportEvent m_afterPrint;
    bool m_firstPageHeader = true;
    bool m_lastPageFooter = true;
    bool m_carryFirst = false;
    bool m_twoPass = false;
    QDateTime m_fixedDateTime;

    bool m_running = false;
    int m_pageNumber = 0;
    int m_pageCount = 0;
    Record m_record;
    QDateTime m_printDateTime;
    CarryOverPosition m_carryPosition = CarryOverPosition::None;
    bool m_lastRow = false;
};

} // namespace ledra::report
