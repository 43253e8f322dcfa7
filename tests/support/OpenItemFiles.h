#pragma once
// What the open-items files of a data folder hold, read straight from the files.

#include "store/Money.h"
#include "store/Table.h"

#include <optional>

namespace ledra {

// The open amount of an open item in OP.db; nothing when the item is not there.
inline std::optional<Money> openItemAmount(const QString &folder, qint64 nr) {
    Table op(Schemas::op());
    op.setFolder(folder);
    op.open();
    if (!op.locate(QStringLiteral("Nr"), nr))
        return std::nullopt;
    return op.asMoney(QStringLiteral("Betrag"));
}

// The rows of the settlement batch Stapel.db.
inline int stapelRowCount(const QString &folder) {
    Table s(Schemas::stapel());
    s.setFolder(folder);
    s.open();
    return s.recordCount();
}

} // namespace ledra
