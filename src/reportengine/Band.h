#pragma once

// A band: a horizontal strip of the page that prints once per occasion of its
// kind (every page, every row, every group change, once at the end ...).

#include "reportengine/Controls.h"
#include "reportengine/PageModel.h"
#include "reportengine/RecordSource.h"

#include <QColor>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace ledra::report {

class Report;
class Band;

// Runs before a band prints; setting `print` to false suppresses this occurrence.
// Height, colour and enabled state may be changed here and take effect at once.
using BandBeforePrint = std::function<void(Band &band, bool &print)>;
// Runs after the occurrence; `printed` is false when the band was suppressed.
using BandAfterPrint = std::function<void(Band &band, bool printed)>;
// Key of a group: the group changes when the key of a row differs from the key
// of the row before.
using GroupKey = std::function<QVariant(const Record &)>;

struct BandFrame {
    bool top = false;
    bool bottom = false;
    double widthMm = 0.25;
};

class Band {
public:
    Band(Report &report, BandKind kind);
    Band(const Band &) = delete;
    Band &operator=(const Band &) = delete;

    Report &report() const { return m_report; }
    BandKind kind() const { return m_kind; }
    QString name() const { return m_name; }
    void setName(const QString &name) { m_name = name; }

    // Height in mm. A band of height 0 counts as printed but takes no space and
    // shows nothing.
    double height() const { return m_height; }
    void setHeight(double mm) { m_height = mm; }
    // Fill colour behind the band across the printable width (invalid or white: none).
    QColor color() const { return m_color; }
    void setColor(const QColor &color) { m_color = color; }
    // A disabled band is skipped as if suppressed; its children still run.
    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled) { m_enabled = enabled; }
    BandFrame frame() const { return m_frame; }
    void setFrame(const BandFrame &frame) { m_frame = frame; }

    void setBeforePrint(BandBeforePrint event) { m_beforePrint = std::move(event); }
    void setAfterPrint(BandAfterPrint event) { m_afterPrint = std::move(event); }
    const BandBeforePrint &beforePrint() const { return m_beforePrint; }
    const BandAfterPrint &afterPrint() const { return m_afterPrint; }

    // Font given to controls created afterwards (the report's font by default).
    FontStyle font() const { return m_font; }
    void setFont(const FontStyle &font) { m_font = font; }

    // Row this band reads: the sub-detail row for a sub-detail band and its
    // children, otherwise the report's current row (for a group footer the last
    // row of its group).
    const Record &record() const;
    QVariant value(const QString &field) const { return record().value(field); }
    // How often the band printed in the current run (suppressed occurrences do not count).
    int printCount() const { return m_printCount; }

    // Keep this band on the same page as `next` when `next` is the band that
    // follows it: if both do not fit, this band already moves to the next page.
    Band *linkBand() const { return m_link; }
    void setLinkBand(Band *next) { m_link = next; }

    // Group headers.
    void setGroupKey(GroupKey key) { m_groupKey = std::move(key); }
    void setGroupField(const QString &field);
    QVariant groupKey(const Record &record) const;
    // Start a new page before each group (unless the page holds no rows yet).
    bool newPage() const { return m_newPage; }
    void setNewPage(bool newPage) { m_newPage = newPage; }
    Band *groupFooter() const { return m_footer; }
    Band *groupHeader() const { return m_header; }

    // Child bands print directly after their parent, also when it is suppressed.
    Band *parentBand() const { return m_parent; }
    const std::vector<Band *> &children() const { return m_children; }

    // Sub-detail bands walk their own source once per row of the detail band;
    // `prepare` positions or filters it for the master row first.
    RecordSource *dataSource() const { return m_source; }
    void setDataSource(RecordSource *source) { m_source = source; }
    void setPrepare(std::function<void(const Record &master)> prepare) {
        m_prepare = std::move(prepare);
    }

    // Controls; x, y, width, height in mm within the band. Width 0 lets a
    // left-aligned text run as far as it needs.
    TextControl *addLabel(double x, double y, double width, const QString &text);
    TextControl *addField(double x, double y, double width, const QString &field);
    // Throws std::invalid_argument for a malformed expression.
    TextControl *addExpression(double x, double y, double width, const QString &expression);
    TextControl *addExpression(double x, double y, double width, const Expression &expression);
    TextControl *addSystemField(double x, double y, double width, SystemValue value,
                                const QString &prefix = {});
    ShapeControl *addHorizontalLine(double x, double y, double width, double penMm = 0.25);
    ShapeControl *addVerticalLine(double x, double y, double height, double penMm = 0.25);
    ShapeControl *addRectangle(double x, double y, double width, double height,
                               const QColor &fill = QColor(), bool outline = true);
    const std::vector<std::unique_ptr<Control>> &controls() const { return m_controls; }
    // Control by name, or nullptr.
    Control *control(const QString &name) const;

private:
    friend class Report;
    friend class LayoutRun;
    TextControl *addText(double x, double y, double width, TextSource source);

    Report &m_report;
    BandKind m_kind;
    QString m_name;
    double m_height = 5.0;
    QColor m_color;
    bool m_enabled = true;
    BandFrame m_frame;
    BandBeforePrint m_beforePrint;
    BandAfterPrint m_afterPrint;
    FontStyle m_font;
    Band *m_link = nullptr;
    GroupKey m_groupKey;
    bool m_newPage = false;
    Band *m_footer = nullptr;
    Band *m_header = nullptr;
    Band *m_parent = nullptr;
    std::vector<Band *> m_children;
    RecordSource *m_source = nullptr;
    std::function<void(const Record &)> m_prepare;
    std::vector<std::unique_ptr<Control>> m_controls;
    Record m_subRecord;
    int m_printCount = 0;
};

} // namespace ledra::report
