#pragma once

#include "reportengine/Layout.h"
#include "reportengine/Report.h"

#include <QStringList>

#include <vector>

namespace ledra::report::test {

inline std::vector<const BandInstance *> bandsOf(const Page &page, BandKind kind,
                                                 const QString &name = {}) {
    std::vector<const BandInstance *> out;
    for (const BandInstance &b : page.bands)
        if (b.kind == kind && (name.isEmpty() || b.name == name))
            out.push_back(&b);
    return out;
}

inline std::vector<const BandInstance *> bandsOf(const PageModel &model, BandKind kind,
                                                 const QString &name = {}) {
    std::vector<const BandInstance *> out;
    for (const Page &p : model.pages)
        for (const BandInstance *b : bandsOf(p, kind, name))
            out.push_back(b);
    return out;
}

inline QStringList textsOf(const BandInstance &band) {
    QStringList out;
    for (const TextItem &t : band.texts)
        out << t.text;
    return out;
}

// First text of each band, in printing order: "which band printed what".
inline QStringList firstTexts(const std::vector<const BandInstance *> &bands) {
    QStringList out;
    for (const BandInstance *b : bands)
        out << (b->texts.isEmpty() ? QString() : b->texts.first().text);
    return out;
}

// Bands of the page in printing order as "name:first text".
inline QStringList sequence(const PageModel &model) {
    QStringList out;
    for (const Page &p : model.pages)
        for (const BandInstance &b : p.bands)
            out << b.name + u':' + (b.texts.isEmpty() ? QString() : b.texts.first().text);
    return out;
}

} // namespace ledra::report::test
