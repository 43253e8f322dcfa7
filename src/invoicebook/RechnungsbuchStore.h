#pragma once
// The invoicing program's tables that the bookkeeping reads and writes: its invoice book,
// the invoice headers and its change log. Exists only while the invoicing program is
// installed beside this program.

#include "store/Table.h"
namespace ledra {

class RechnungsbuchStore {
public:
    RechnungsbuchStore();
    Table TRechbuch, TBeleg, TProtokoll;
    // The change log is written only when the invoicing program says so (Client > 0).
    bool MitProtokoll = false;

    // Opens the three tables in the invoicing program's data folder; throws EngineError.
    void open(const QString &folder);
    void close();
};

} // namespace ledra
