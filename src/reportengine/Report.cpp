#include "reportengine/Report.h"

#include <stdexcept>

namespace ledra::report {

namespace {

bool isSingleKind(BandKind kind) {
    switch (kind) {
    case BandKind::GroupHeader:
    case BandKind::GroupFooter:
    case BandKind::Child:
    case BandKind::SubDetail:
        return false;
    default:
        return true;
    }
}

} // namespace

Report::Report() = default;
Report::~Report() = default;

void Report::setMargins(double left, double top, double right, double bottom) {
    m_setup.margins = Margins{left, top, right, bottom};
}

Band *Report::newBand(BandKind kind) {
    m_bands.push_back(std::make_unique<Band>(*this, kind));
    return m_bands.back().get();
}

Band *Report::addBand(BandKind kind) {
    if (!isSingleKind(kind))
        throw std::invalid_argument("Report::addBand: use addGroup, addGroupFooter, addChild "
                                    "or addSubDetail for this kind of band");
    if (Band *existing = band(kind))
        return existing;
    return newBand(kind);
}

Band *Report::addGroup(GroupKey key) {
    Band *header = newBand(BandKind::GroupHeader);
    header->setGroupKey(std::move(key));
    m_groups.push_back(header);
    return header;
}

Band *Report::addGroup(const QString &field) {
    Band *header = newBand(BandKind::GroupHeader);
    header->setGroupField(field);
    m_groups.push_back(header);
    return header;
}

Band *Report::addGroupFooter(Band *groupHeader) {
    if (!groupHeader || groupHeader->kind() != BandKind::GroupHeader ||
        &groupHeader->report() != this)
        throw std::invalid_argument("Report::addGroupFooter: not a group header of this report");
    if (groupHeader->m_footer)
        return groupHeader->m_footer;
    Band *footer = newBand(BandKind::GroupFooter);
    footer->m_header = groupHeader;
    groupHeader->m_footer = footer;
    return footer;
}

Band *Report::addChild(Band *parent) {
    if (!parent || &parent->report() != this)
        throw std::invalid_argument("Report::addChild: parent band of another report");
    Band *child = newBand(BandKind::Child);
    child->m_parent = parent;
    parent->m_children.push_back(child);
    return child;
}

Band *Report::addSubDetail(RecordSource *source, std::function<void(const Record &)> prepare) {
    Band *sub = newBand(BandKind::SubDetail);
    sub->setDataSource(source);
    sub->setPrepare(std::move(prepare));
    m_subDetails.push_back(sub);
    return sub;
}

Band *Report::band(BandKind kind) const {
    for (const auto &b : m_bands)
        if (b->kind() == kind)
            return b.get();
    return nullptr;
}

Band *Report::band(const QString &name) const {
    for (const auto &b : m_bands)
        if (b->name() == name)
            return b.get();
    return nullptr;
}

bool Report::needsTwoPasses() const {
    if (m_twoPass)
        return true;
    for (const auto &b : m_bands) {
        for (const auto &c : b->controls()) {
            const auto *t = dynamic_cast<const TextControl *>(c.get());
            if (t && t->source() == TextSource::System &&
                (t->systemValue() == SystemValue::PageCount ||
                 t->systemValue() == SystemValue::PageOfPages))
                return true;
        }
    }
    return false;
}

} // namespace ledra::report
