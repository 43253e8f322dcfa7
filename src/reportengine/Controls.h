#pragma once

// Controls placed on a band: texts (labels, data fields, expressions, system
// fields) and shapes (lines, frames, filled rectangles). Positions are in
// millimetres relative to the band's top-left corner inside the page margins.

#include "reportengine/Expression.h"
#include "reportengine/PageModel.h"

#include <QRectF>
#include <QString>
#include <QVariant>

#include <functional>

namespace ledra::report {

class Band;
class Report;
class TextControl;

// Print event of a text control: receives the text about to print and may replace
// it; an empty text prints nothing for this occurrence.
using TextPrintEvent = std::function<void(TextControl &control, QString &text)>;

class Control {
public:
    virtual ~Control() = default;
    Control(const Control &) = delete;
    Control &operator=(const Control &) = delete;

    Band &band() const { return m_band; }
    Report &report() const;

    QString name() const { return m_name; }
    void setName(const QString &name) { m_name = name; }
    QRectF geometry() const { return m_geometry; }
    void setGeometry(const QRectF &mm) { m_geometry = mm; }
    // A disabled control prints nothing until enabled again.
    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled) { m_enabled = enabled; }
    // Text colour, or pen colour of a shape.
    QColor color() const { return m_color; }
    void setColor(const QColor &color) { m_color = color; }

protected:
    Control(Band &band, const QRectF &geometry) : m_band(band), m_geometry(geometry) {}

private:
    Band &m_band;
    QString m_name;
    QRectF m_geometry;
    bool m_enabled = true;
    QColor m_color = Qt::black;
};

enum class TextSource { Label, Field, Expression, System };

enum class SystemValue {
    PageNumber,  // "3"
    PageCount,   // "7" (makes the layout run twice)
    PageOfPages, // "3 von 7" (makes the layout run twice)
    Date,        // "31.12.2004"
    Time,        // "14:05:33"
    DateTime,    // "31.12.2004 14:05:33"
};

class TextControl : public Control {
public:
    TextControl(Band &band, const QRectF &geometry, TextSource source);

    TextSource source() const { return m_source; }

    // Label: the text. System field: the text printed before the value ("Seite: ").
    QString caption() const { return m_caption; }
    void setCaption(const QString &caption) { m_caption = caption; }
    // Data field: the field name.
    QString field() const { return m_field; }
    void setField(const QString &field) {
        m_field = field;
        m_fieldNames.reset();
    }
    SystemValue systemValue() const { return m_system; }
    void setSystemValue(SystemValue value) { m_system = value; }

    FontStyle font() const { return m_font; }
    void setFont(const FontStyle &font) { m_font = font; }
    void setBold(bool bold) { m_font.bold = bold; }
    void setPointSize(double pointSize) { m_font.pointSize = pointSize; }
    Qt::Alignment alignment() const { return m_alignment; }
    void setAlignment(Qt::Alignment alignment) { m_alignment = alignment; }
    // Right-aligned amounts with a side ("1.234,56 € S", "0,00 €"): the last word prints
    // left-aligned in a column of this width at the right edge and the rest ends before it,
    // so that an amount without its side ends where the others end whatever the font. 0: off.
    double sideColumnMm() const { return m_sideColumnMm; }
    void setSideColumnMm(double mm) { m_sideColumnMm = mm; }

    // Display mask for numbers, see NumberFormat.h (e.g. ",##0.00 €", "0.00").
    QString mask() const { return m_mask; }
    void setMask(const QString &mask) { m_mask = mask; }
    // Integral values are 1/10000 units of money (as the store delivers them).
    bool isCurrency() const { return m_currency; }
    void setCurrency(bool currency) { m_currency = currency; }

    void setOnPrint(TextPrintEvent event) { m_onPrint = std::move(event); }
    const TextPrintEvent &onPrint() const { return m_onPrint; }

    // Expression controls.
    const Expression &expression() const { return m_expression; }
    void setExpression(const Expression &expression);
    // Start the aggregate again after each print (group totals).
    bool resetAfterPrint() const { return m_resetAfterPrint; }
    void setResetAfterPrint(bool reset) { m_resetAfterPrint = reset; }
    // Rows of which band feed the aggregate: the detail band (default) or a
    // sub-detail band.
    Band *aggregateBand() const { return m_aggregateBand; }
    void setAggregateBand(Band *band) { m_aggregateBand = band; }
    // Count and sum only rows whose band printed (default: every row walked,
    // printed or suppressed).
    bool printedRowsOnly() const { return m_printedOnly; }
    void setPrintedRowsOnly(bool printedOnly) { m_printedOnly = printedOnly; }
    void resetAggregate() { m_accumulator.reset(); }

    // Current value: the aggregate or term of an expression, the field value of a
    // data field, the number or date of a system field, the caption of a label.
    QVariant value() const;
    // Text the control prints now, before its print event.
    QString displayText() const;

    // Called by the layout for each row of the aggregate band.
    void accumulate(const Record &record);

private:
    TextSource m_source;
    QString m_caption;
    QString m_field;
    SystemValue m_system = SystemValue::PageNumber;
    FontStyle m_font;
    Qt::Alignment m_alignment = Qt::AlignLeft;
    double m_sideColumnMm = 0.0;
    QString m_mask;
    bool m_currency = false;
    TextPrintEvent m_onPrint;
    Expression m_expression;
    bool m_resetAfterPrint = false;
    Band *m_aggregateBand = nullptr;
    bool m_printedOnly = false;
    Accumulator m_accumulator;
    // The field's position in the last name list seen (held, so that its address is not
    // reused by another list).
    mutable QSharedPointer<const QStringList> m_fieldNames;
    mutable qsizetype m_fieldIndex = -1;
};

enum class ShapeKind { HorizontalLine, VerticalLine, Rectangle };

class ShapeControl : public Control {
public:
    ShapeControl(Band &band, const QRectF &geometry, ShapeKind kind);

    ShapeKind kind() const { return m_kind; }
    double penWidthMm() const { return m_penWidth; }
    void setPenWidthMm(double width) { m_penWidth = width; }
    // Rectangles: fill colour (invalid: none) and whether the outline is drawn.
    QColor fill() const { return m_fill; }
    void setFill(const QColor &fill) { m_fill = fill; }
    bool outline() const { return m_outline; }
    void setOutline(bool outline) { m_outline = outline; }

private:
    ShapeKind m_kind;
    double m_penWidth = 0.25;
    QColor m_fill;
    bool m_outline = true;
};

} // namespace ledra::report
