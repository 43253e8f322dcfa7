#include "reportengine/PageModel.h"

#include <QStringList>

namespace ledra::report {

QString bandKindName(BandKind kind) {
    switch (kind) {
    case BandKind::PageHeader:
        return QStringLiteral("PageHeader");
    case BandKind::Title:
        return QStringLiteral("Title");
    case BandKind::ColumnHeader:
        return QStringLiteral("ColumnHeader");
    case BandKind::GroupHeader:
        return QStringLiteral("GroupHeader");
    case BandKind::Detail:
        return QStringLiteral("Detail");
    case BandKind::SubDetail:
        return QStringLiteral("SubDetail");
    case BandKind::Child:
        return QStringLiteral("Child");
    case BandKind::GroupFooter:
        return QStringLiteral("GroupFooter");
    case BandKind::Summary:
        return QStringLiteral("Summary");
    case BandKind::CarryOver:
        return QStringLiteral("CarryOver");
    case BandKind::PageFooter:
        return QStringLiteral("PageFooter");
    }
    return {};
}

QStringList Page::texts() const {
    QStringList out;
    for (const BandInstance &band : bands)
        for (const TextItem &t : band.texts)
            out << t.text;
    return out;
}

void PageFanOut::begin(const PageSetup &setup) {
    for (PageSink *s : m_sinks)
        s->begin(setup);
}

void PageFanOut::addPage(Page &&page) {
    // Every sink but the last gets a copy; the last may take the page.
    for (size_t i = 0; i + 1 < m_sinks.size(); ++i) {
        Page copy = page;
        m_sinks[i]->addPage(std::move(copy));
    }
    if (!m_sinks.empty())
        m_sinks.back()->addPage(std::move(page));
}

void PageFanOut::end() {
    for (PageSink *s : m_sinks)
        s->end();
}

} // namespace ledra::report
