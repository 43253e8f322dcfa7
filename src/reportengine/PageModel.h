#pragma once

// The result of a layout: pages of positioned texts, lines and filled rectangles,
// all in millimetres from the top-left corner of the sheet. Renderers (painter,
// PDF, plain text, CSV) read only this, so tests can check a report's content
// without pixels.

#include <QColor>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <vector>

namespace ledra::report {

enum class Orientation { Portrait, Landscape };

struct Margins {
    double left = 10.0;
    double top = 10.0;
    double right = 10.0;
    double bottom = 10.0;
};

// A4 sheet, orientation and margins in millimetres.
struct PageSetup {
    Orientation orientation = Orientation::Portrait;
    Margins margins;
    QSizeF paperMm{210.0, 297.0}; // portrait measures

    QSizeF pageSizeMm() const {
        return orientation == Orientation::Portrait ? paperMm : paperMm.transposed();
    }
    double printableWidthMm() const { return pageSizeMm().width() - margins.left - margins.right; }
};

struct FontStyle {
    QString family = QStringLiteral("Arial");
    double pointSize = 10.0;
    bool bold = false;
    bool italic = false;

    // Height of one line of text in millimetres (1 pt = 25.4/72 mm, plus leading).
    double lineHeightMm() const { return pointSize * 25.4 / 72.0 * 1.2; }
    bool operator==(const FontStyle &) const = default;
};

enum class BandKind {
    PageHeader,
    Title,
    ColumnHeader,
    GroupHeader,
    Detail,
    SubDetail,
    Child,
    GroupFooter,
    Summary,
    CarryOver,
    PageFooter,
};

QString bandKindName(BandKind kind);

struct TextItem {
    QRectF rect; // width 0: the text extends from x as far as it needs
    QString text;
    FontStyle font;
    Qt::Alignment alignment = Qt::AlignLeft;
    QColor color = Qt::black;
    double sideColumnMm = 0.0; // see TextControl::setSideColumnMm
};

struct LineItem {
    QPointF from;
    QPointF to;
    double widthMm = 0.25;
    QColor color = Qt::black;
};

struct RectItem {
    QRectF rect;
    QColor fill; // invalid: not filled
    QColor pen;  // invalid: no outline
    double penWidthMm = 0.25;
};

// One printed occurrence of a band.
struct BandInstance {
    BandKind kind = BandKind::Detail;
    QString name;
    bool pageFrame = false; // page header/footer, column header, carry-over, or their children
    double top = 0.0;
    double height = 0.0;
    QList<RectItem> rects; // painted first
    QList<LineItem> lines;
    QList<TextItem> texts;
    // Where a text control printed nothing: column-based output (CSV) keeps an empty cell
    // there, so the columns of a line stay in place when an amount is left blank.
    QList<QRectF> emptyCells;
};

struct Page {
    int number = 0;
    QSizeF sizeMm;
    Margins margins;
    QList<BandInstance> bands;

    // All texts of the page in printing order (convenient for tests and search).
    QStringList texts() const;
};

struct PageModel {
    PageSetup setup;
    std::vector<Page> pages;
};

// Receives the pages of a layout one by one, so that a long report need not be
// held whole in memory before it is written.
class PageSink {
public:
    virtual ~PageSink() = default;
    virtual void begin(const PageSetup &setup) { (void)setup; }
    virtual void addPage(Page &&page) = 0;
    virtual void end() {}
};

// Keeps every page: the page model for preview and tests.
class PageCollector : public PageSink {
public:
    void begin(const PageSetup &setup) override { m_model.setup = setup; }
    void addPage(Page &&page) override { m_model.pages.push_back(std::move(page)); }
    PageModel &model() { return m_model; }
    PageModel take() { return std::move(m_model); }

private:
    PageModel m_model;
};

// Keeps nothing but the count (first pass of a report that prints "of y pages").
class PageCounter : public PageSink {
public:
    void addPage(Page &&) override { ++m_count; }
    int count() const { return m_count; }

private:
    int m_count = 0;
};

// Forwards each page to several sinks (e.g. PDF and CSV from one run).
class PageFanOut : public PageSink {
public:
    explicit PageFanOut(std::vector<PageSink *> sinks) : m_sinks(std::move(sinks)) {}
    void begin(const PageSetup &setup) override;
    void addPage(Page &&page) override;
    void end() override;

private:
    std::vector<PageSink *> m_sinks;
};

} // namespace ledra::report
