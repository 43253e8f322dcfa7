#include "reportengine/Controls.h"

#include "reportengine/Band.h"
#include "reportengine/NumberFormat.h"
#include "reportengine/Report.h"

namespace ledra::report {

Report &Control::report() const {
    return m_band.report();
}

TextControl::TextControl(Band &band, const QRectF &geometry, TextSource source)
    : Control(band, geometry), m_source(source), m_font(band.font()) {}

void TextControl::setExpression(const Expression &expression) {
    m_expression = expression;
    m_accumulator.reset();
}

void TextControl::accumulate(const Record &record) {
    switch (m_expression.aggregate()) {
    case Expression::Aggregate::Sum:
        m_accumulator.add(m_expression.evaluate(record));
        break;
    case Expression::Aggregate::Count:
        m_accumulator.count();
        break;
    case Expression::Aggregate::None:
        break;
    }
}

QVariant TextControl::value() const {
    switch (m_source) {
    case TextSource::Label:
        return m_caption;
    case TextSource::Field: {
        const Record &row = band().record();
        if (row.names() != m_fieldNames) {
            m_fieldNames = row.names();
            m_fieldIndex = row.indexOf(m_field);
        }
        return row.at(m_fieldIndex);
    }
    case TextSource::Expression:
        switch (m_expression.aggregate()) {
        case Expression::Aggregate::Sum:
            return m_accumulator.sum();
        case Expression::Aggregate::Count:
            return QVariant(m_accumulator.rowCount());
        case Expression::Aggregate::None:
            return m_expression.evaluate(band().record());
        }
        break;
    case TextSource::System: {
        const Report &r = report();
        switch (m_system) {
        case SystemValue::PageNumber:
            return r.pageNumber();
        case SystemValue::PageCount:
            return r.pageCount();
        case SystemValue::PageOfPages:
            return QStringLiteral("%1 von %2").arg(r.pageNumber()).arg(r.pageCount());
        case SystemValue::Date:
            return r.printDateTime().date();
        case SystemValue::Time:
            return r.printDateTime().time();
        case SystemValue::DateTime:
            return r.printDateTime();
        }
        break;
    }
    }
    return {};
}

QString TextControl::displayText() const {
    switch (m_source) {
    case TextSource::Label:
        return m_caption;
    case TextSource::System:
        return m_caption + ledra::report::displayText(value(), false, QString());
    case TextSource::Expression:
        // A row count is a count, never an amount of money.
        if (m_expression.aggregate() == Expression::Aggregate::Count)
            return ledra::report::displayText(value(), false, m_mask);
        return ledra::report::displayText(value(), m_currency, m_mask);
    case TextSource::Field:
        return ledra::report::displayText(value(), m_currency, m_mask);
    }
    return {};
}

ShapeControl::ShapeControl(Band &band, const QRectF &geometry, ShapeKind kind)
    : Control(band, geometry), m_kind(kind) {}

} // namespace ledra::report
