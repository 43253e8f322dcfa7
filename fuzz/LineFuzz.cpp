// Lines of a booking file: whatever the bytes, a line is either refused with its reason or
// handed on with every column within what the entry panel's fields can hold.

#include "posting/BuchungInput.h"

#include <QByteArray>
#include <cstdint>
#include <cstdlib>

using namespace ledra;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const BuchungLineInput in = parseBuchungLine(bytes, QDate(2026, 5, 4));
    if (!in.line) {
        if (in.error.isEmpty())
            std::abort();
        return 0;
    }
    const BuchungLine &l = *in.line;
    if (!l.belegdatum.isValid() || l.buchungstext.size() > 30 || l.belegnummer.size() > 9)
        std::abort();
    for (const QString &account : {l.soll, l.haben}) {
        if (account.isEmpty())
            std::abort();
        for (QChar c : account)
            if (!isAccountSearchKey(c))
                std::abort();
    }
    if (l.betrag.units() % 100 != 0 || l.betrag > maxBuchungsbetrag() ||
        -l.betrag > maxBuchungsbetrag())
        std::abort();
    if (l.mwst && (*l.mwst < 0.0 || *l.mwst > 100.0))
        std::abort();
    for (QChar c : l.buchungstext)
        if (c.unicode() < 0x20)
            std::abort();
    return 0;
}
