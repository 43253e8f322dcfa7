#include "reportengine/Layout.h"

#include "reportengine/Report.h"

#include <QSharedPointer>

#include <algorithm>

namespace ledra::report {

namespace {

constexpr double kEpsilonMm = 1e-6;

const Band *rootOf(const Band *band) {
    while (band->kind() == BandKind::Child && band->parentBand())
        band = band->parentBand();
    return band;
}

bool isPageFrameKind(BandKind kind) {
    return kind == BandKind::PageHeader || kind == BandKind::ColumnHeader ||
           kind == BandKind::CarryOver || kind == BandKind::PageFooter;
}

// Height a band and its enabled children take when printed as designed.
double blockHeight(const Band &band) {
    double h = band.isEnabled() ? std::max(0.0, band.height()) : 0.0;
    for (const Band *child : band.children())
        h += blockHeight(*child);
    return h;
}

} // namespace

// One pass of the layout over the report's rows.
class LayoutRun {
public:
    LayoutRun(Report &report, PageSink &sink) : m_r(report), m_sink(sink) {}
    int run();
    static int layout(Report &report, PageSink &sink);

private:
    using RowHook = std::function<void(bool printed)>;

    void startPage();
    void finishPage(bool last);
    void newPage();
    void ensureSpace(double height);
    double linkReserve(const Band &band, int depth = 0) const;
    bool printBand(Band &band, double *fixedY = nullptr, const RowHook &rowHook = {});
    void emitBand(Band &band, double top, double height);
    void printRow(const Record &row);
    void runSubDetail(Band &sub, const Record &master);
    void accumulate(const Band *subDetail, const Record &row, bool printed);
    int changedLevel(const Record &a, const Record &b) const;
    int groupLevel(const Band *footer) const;

    Report &m_r;
    PageSink &m_sink;
    Page m_page;
    int m_pages = 0;
    double m_y = 0.0;
    double m_bodyBottom = 0.0;
    double m_footerTop = 0.0;
    bool m_bodyOnPage = false;
    bool m_inFrame = false;
    // Groups with a level >= m_endLevel end after the current row.
    int m_endLevel = 0;
    bool m_atEof = false;
    bool m_subAtLast = true;
    std::vector<TextControl *> m_aggregates;
};

int LayoutRun::run() {
    Report &r = m_r;
    struct RunningGuard {
        Report &r;
        ~RunningGuard() { r.m_running = false; }
    } guard{r};
    r.m_running = true;
    r.m_pageNumber = 0;
    r.m_record = Record();
    r.m_lastRow = false;
    r.m_carryPosition = CarryOverPosition::None;
    r.m_printDateTime =
        r.m_fixedDateTime.isValid() ? r.m_fixedDateTime : QDateTime::currentDateTime();
    for (const auto &band : r.m_bands) {
        band->m_printCount = 0;
        band->m_subRecord = Record();
        for (const auto &control : band->controls()) {
            auto *text = dynamic_cast<TextControl *>(control.get());
            if (text && text->source() == TextSource::Expression) {
                text->resetAggregate();
                if (text->expression().aggregate() != Expression::Aggregate::None)
                    m_aggregates.push_back(text);
            }
        }
    }
    if (r.m_beforePrint)
        r.m_beforePrint(r);
    m_sink.begin(r.m_setup);

    RecordSource *source = r.m_source;
    QSharedPointer<const QStringList> names;
    bool more = false;
    Record next;
    if (source) {
        source->first();
        names = QSharedPointer<const QStringList>::create(source->fieldNames());
        more = !source->eof();
        if (more)
            next = source->snapshot(names);
    }
    // The page header of the first page already sees the first row.
    r.m_record = next;
    r.m_lastRow = !more;
    startPage();

    const int groupCount = int(r.m_groups.size());
    int startLevel = 0;
    while (more) {
        // Read one row ahead: only the next row tells whether a group ends here.
        Record row = std::move(next);
        source->next();
        more = !source->eof();
        next = more ? source->snapshot(names) : Record();
        r.m_record = row;
        r.m_lastRow = !more;
        m_atEof = !more;
        m_endLevel = more ? changedLevel(row, next) : 0;

        for (int level = startLevel; level < groupCount; ++level)
            printBand(*r.m_groups[level]);
        printRow(row);
        // The footers still see `row`, the last row of their group.
        for (int level = groupCount - 1; level >= m_endLevel; --level)
            if (Band *footer = r.m_groups[level]->groupFooter())
                printBand(*footer);
        startLevel = m_endLevel;
    }
    m_atEof = true;
    m_endLevel = 0;
    r.m_lastRow = true;
    if (Band *summary = r.band(BandKind::Summary))
        printBand(*summary);
    finishPage(true);
    m_sink.end();
    if (r.m_afterPrint)
        r.m_afterPrint(r);
    return m_pages;
}

int LayoutRun::changedLevel(const Record &a, const Record &b) const {
    const int count = int(m_r.m_groups.size());
    for (int level = 0; level < count; ++level) {
        const Band *header = m_r.m_groups[level];
        if (header->groupKey(a) != header->groupKey(b))
            return level;
    }
    return count;
}

int LayoutRun::groupLevel(const Band *footer) const {
    const auto &groups = m_r.m_groups;
    const auto it = std::find(groups.begin(), groups.end(), footer->groupHeader());
    return it == groups.end() ? -1 : int(it - groups.begin());
}

void LayoutRun::printRow(const Record &row) {
    Band *detail = m_r.band(BandKind::Detail);
    if (detail)
        printBand(*detail, nullptr, [&](bool printed) { accumulate(nullptr, row, printed); });
    else
        accumulate(nullptr, row, false);
    for (Band *sub : m_r.m_subDetails)
        runSubDetail(*sub, row);
}

void LayoutRun::runSubDetail(Band &sub, const Record &master) {
    RecordSource *source = sub.dataSource();
    if (!source)
        return;
    if (sub.m_prepare)
        sub.m_prepare(master);
    source->first();
    const auto names = QSharedPointer<const QStringList>::create(source->fieldNames());
    bool more = !source->eof();
    Record next = more ? source->snapshot(names) : Record();
    while (more) {
        Record row = std::move(next);
        source->next();
        more = !source->eof();
        next = more ? source->snapshot(names) : Record();
        sub.m_subRecord = row;
        m_subAtLast = !more;
        printBand(sub, nullptr, [&](bool printed) { accumulate(&sub, row, printed); });
    }
    m_subAtLast = true;
}

void LayoutRun::accumulate(const Band *subDetail, const Record &row, bool printed) {
    for (TextControl *t : m_aggregates) {
        const Band *feed = t->aggregateBand();
        const bool mine =
            subDetail ? feed == subDetail : (!feed || feed->kind() == BandKind::Detail);
        if (mine && (printed || !t->printedRowsOnly()))
            t->accumulate(row);
    }
}

void LayoutRun::startPage() {
    Report &r = m_r;
    ++m_pages;
    r.m_pageNumber = m_pages;
    const PageSetup &setup = r.m_setup;
    m_page = Page();
    m_page.number = m_pages;
    m_page.sizeMm = setup.pageSizeMm();
    m_page.margins = setup.margins;
    m_y = setup.margins.top;

    Band *footer = r.band(BandKind::PageFooter);
    Band *carry = r.band(BandKind::CarryOver);
    m_footerTop =
        m_page.sizeMm.height() - setup.margins.bottom - (footer ? blockHeight(*footer) : 0.0);
    m_bodyBottom = m_footerTop - (carry ? blockHeight(*carry) : 0.0);

    m_inFrame = true;
    if (Band *header = r.band(BandKind::PageHeader); header && (m_pages > 1 || r.m_firstPageHeader))
        printBand(*header);
    if (Band *title = r.band(BandKind::Title); title && m_pages == 1)
        printBand(*title);
    if (Band *columns = r.band(BandKind::ColumnHeader))
        printBand(*columns);
    if (carry && (m_pages > 1 || r.m_carryFirst)) {
        r.m_carryPosition = CarryOverPosition::PageTop;
        printBand(*carry);
        r.m_carryPosition = CarryOverPosition::None;
    }
    m_inFrame = false;
    m_bodyOnPage = false;
}

void LayoutRun::finishPage(bool last) {
    Report &r = m_r;
    m_inFrame = true;
    if (Band *carry = r.band(BandKind::CarryOver); carry && !last) {
        double y = m_bodyBottom;
        r.m_carryPosition = CarryOverPosition::PageBottom;
        printBand(*carry, &y);
        r.m_carryPosition = CarryOverPosition::None;
    }
    if (Band *footer = r.band(BandKind::PageFooter); footer && (!last || r.m_lastPageFooter)) {
        double y = m_footerTop;
        printBand(*footer, &y);
    }
    m_inFrame = false;
    m_sink.addPage(std::move(m_page));
    m_page = Page();
}

void LayoutRun::newPage() {
    finishPage(false);
    startPage();
}

void LayoutRun::ensureSpace(double height) {
    // A band taller than an empty page prints anyway rather than looping forever.
    if (!m_inFrame && m_bodyOnPage && m_y + height > m_bodyBottom + kEpsilonMm)
        newPage();
}

double LayoutRun::linkReserve(const Band &band, int depth) const {
    const Band *next = band.linkBand();
    if (!next || !next->isEnabled() || depth > 8)
        return 0.0;
    const double height = std::max(0.0, next->height());
    const BandKind from = rootOf(&band)->kind();
    const bool fromRows =
        from == BandKind::Detail || from == BandKind::SubDetail || from == BandKind::GroupFooter;
    if (!fromRows) {
        // A heading linked to a heading keeps the whole chain together: a department's
        // heading with its section's heading and that section's first line.
        const bool chain = rootOf(next)->kind() == BandKind::GroupHeader;
        return height + (chain ? linkReserve(*next, depth + 1) : 0.0);
    }
    // From a row or a footer, a footer or the summary follows only where the
    // group or the data ends; elsewhere reserving would break pages too early.
    const bool subDone = from != BandKind::SubDetail || m_subAtLast;
    if (next->kind() == BandKind::GroupFooter) {
        const int level = groupLevel(next);
        return subDone && level >= m_endLevel ? height : 0.0;
    }
    if (next->kind() == BandKind::Summary)
        return subDone && m_atEof ? height : 0.0;
    return height;
}

bool LayoutRun::printBand(Band &band, double *fixedY, const RowHook &rowHook) {
    bool printed = false;
    if (band.isEnabled()) {
        bool print = true;
        if (band.beforePrint())
            band.beforePrint()(band, print);
        if (print) {
            if (band.kind() == BandKind::GroupHeader && band.newPage() && m_bodyOnPage &&
                !m_inFrame)
                newPage();
            const double height = std::max(0.0, band.height());
            if (!fixedY && height > 0.0)
                ensureSpace(height + linkReserve(band));
            if (rowHook)
                rowHook(true);
            const double top = fixedY ? *fixedY : m_y;
            emitBand(band, top, height);
            if (fixedY) {
                *fixedY += height;
            } else {
                m_y += height;
                if (!m_inFrame && height > 0.0)
                    m_bodyOnPage = true;
            }
            ++band.m_printCount;
            printed = true;
        } else if (rowHook) {
            rowHook(false);
        }
        if (band.afterPrint())
            band.afterPrint()(band, printed);
    } else if (rowHook) {
        rowHook(false);
    }
    for (Band *child : band.children())
        printBand(*child, fixedY);
    return printed;
}

void LayoutRun::emitBand(Band &band, double top, double height) {
    // Only a sum or count carries anything to reset, and the run knows those controls: a band
    // of plain fields, printed for every row, is not searched for them.
    auto resetAggregates = [this, &band] {
        for (TextControl *text : m_aggregates)
            if (&text->band() == &band && text->resetAfterPrint())
                text->resetAggregate();
    };
    if (height <= 0.0) {
        resetAggregates();
        return;
    }
    const Margins &margins = m_r.m_setup.margins;
    const double width = m_page.sizeMm.width() - margins.left - margins.right;
    BandInstance out;
    out.kind = band.kind();
    out.name = band.name();
    out.pageFrame = isPageFrameKind(rootOf(&band)->kind());
    out.top = top;
    out.height = height;

    const QColor fill = band.color();
    if (fill.isValid() && fill.alpha() > 0 && fill != QColor(Qt::white))
        out.rects << RectItem{QRectF(margins.left, top, width, height), fill, QColor(), 0.0};
    const BandFrame frame = band.frame();
    if (frame.top)
        out.lines << LineItem{QPointF(margins.left, top), QPointF(margins.left + width, top),
                              frame.widthMm, Qt::black};
    if (frame.bottom)
        out.lines << LineItem{QPointF(margins.left, top + height),
                              QPointF(margins.left + width, top + height), frame.widthMm,
                              Qt::black};

    out.texts.reserve(qsizetype(band.controls().size()));
    for (const auto &control : band.controls()) {
        if (!control->isEnabled())
            continue;
        const QRectF g = control->geometry().translated(margins.left, top);
        if (auto *text = dynamic_cast<TextControl *>(control.get())) {
            QString value = text->displayText();
            if (text->onPrint())
                text->onPrint()(*text, value);
            if (!value.isEmpty())
                out.texts << TextItem{g,
                                      std::move(value),
                                      text->font(),
                                      text->alignment(),
                                      text->color(),
                                      text->sideColumnMm()};
            else
                out.emptyCells << g;
        } else if (auto *shape = dynamic_cast<ShapeControl *>(control.get())) {
            switch (shape->kind()) {
            case ShapeKind::HorizontalLine:
                out.lines << LineItem{g.topLeft(), g.topRight(), shape->penWidthMm(),
                                      shape->color()};
                break;
            case ShapeKind::VerticalLine:
                out.lines << LineItem{g.topLeft(), g.bottomLeft(), shape->penWidthMm(),
                                      shape->color()};
                break;
            case ShapeKind::Rectangle:
                out.rects << RectItem{g, shape->fill(),
                                      shape->outline() ? shape->color() : QColor(),
                                      shape->penWidthMm()};
                break;
            }
        }
    }
    resetAggregates();
    m_page.bands << std::move(out);
}

int LayoutRun::layout(Report &report, PageSink &sink) {
    report.m_pageCount = 0;
    if (report.needsTwoPasses()) {
        PageCounter counter;
        LayoutRun(report, counter).run();
        report.m_pageCount = counter.count();
    }
    return LayoutRun(report, sink).run();
}

int layoutReport(Report &report, PageSink &sink) {
    return LayoutRun::layout(report, sink);
}

PageModel layoutReport(Report &report) {
    PageCollector collector;
    layoutReport(report, collector);
    return collector.take();
}

} // namespace ledra::report
