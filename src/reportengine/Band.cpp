#include "reportengine/Band.h"

#include "reportengine/Report.h"

namespace ledra::report {

Band::Band(Report &report, BandKind kind)
    : m_report(report), m_kind(kind), m_font(report.defaultFont()) {
    m_height = m_font.lineHeightMm() + 0.8;
}

const Record &Band::record() const {
    const Band *root = this;
    while (root->m_kind == BandKind::Child && root->m_parent)
        root = root->m_parent;
    if (root->m_kind == BandKind::SubDetail)
        return root->m_subRecord;
    return m_report.record();
}

void Band::setGroupField(const QString &field) {
    m_groupKey = [field](const Record &r) { return r.value(field); };
}

QVariant Band::groupKey(const Record &record) const {
    return m_groupKey ? m_groupKey(record) : QVariant();
}

TextControl *Band::addText(double x, double y, double width, TextSource source) {
    const QRectF rect(x, y, width, m_font.lineHeightMm());
    auto control = std::make_unique<TextControl>(*this, rect, source);
    TextControl *raw = control.get();
    m_controls.push_back(std::move(control));
    return raw;
}

TextControl *Band::addLabel(double x, double y, double width, const QString &text) {
    TextControl *c = addText(x, y, width, TextSource::Label);
    c->setCaption(text);
    return c;
}

TextControl *Band::addField(double x, double y, double width, const QString &field) {
    TextControl *c = addText(x, y, width, TextSource::Field);
    c->setField(field);
    return c;
}

TextControl *Band::addExpression(double x, double y, double width, const QString &expression) {
    return addExpression(x, y, width, Expression::parse(expression));
}

TextControl *Band::addExpression(double x, double y, double width, const Expression &expression) {
    TextControl *c = addText(x, y, width, TextSource::Expression);
    c->setExpression(expression);
    return c;
}

TextControl *Band::addSystemField(double x, double y, double width, SystemValue value,
                                  const QString &prefix) {
    TextControl *c = addText(x, y, width, TextSource::System);
    c->setSystemValue(value);
    c->setCaption(prefix);
    return c;
}

ShapeControl *Band::addHorizontalLine(double x, double y, double width, double penMm) {
    auto shape =
        std::make_unique<ShapeControl>(*this, QRectF(x, y, width, 0.0), ShapeKind::HorizontalLine);
    shape->setPenWidthMm(penMm);
    ShapeControl *raw = shape.get();
    m_controls.push_back(std::move(shape));
    return raw;
}

ShapeControl *Band::addVerticalLine(double x, double y, double height, double penMm) {
    auto shape =
        std::make_unique<ShapeControl>(*this, QRectF(x, y, 0.0, height), ShapeKind::VerticalLine);
    shape->setPenWidthMm(penMm);
    ShapeControl *raw = shape.get();
    m_controls.push_back(std::move(shape));
    return raw;
}

ShapeControl *Band::addRectangle(double x, double y, double width, double height,
                                 const QColor &fill, bool outline) {
    auto shape =
        std::make_unique<ShapeControl>(*this, QRectF(x, y, width, height), ShapeKind::Rectangle);
    shape->setFill(fill);
    shape->setOutline(outline);
    ShapeControl *raw = shape.get();
    m_controls.push_back(std::move(shape));
    return raw;
}

Control *Band::control(const QString &name) const {
    for (const auto &c : m_controls)
        if (c->name() == name)
            return c.get();
    return nullptr;
}

} // namespace ledra::report
