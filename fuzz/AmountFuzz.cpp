// Amount texts as typed into the amount field or written in a booking file: the lenient
// reading of the money type and the booking amount's checks agree, an accepted amount is
// whole cents within the booking range, and it reads back from its own German text.

#include "posting/BuchungInput.h"
#include "store/Money.h"

#include <QString>
#include <cstdint>
#include <cstdlib>

using namespace ledra;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::optional<Money> lenient = Money::parseGerman(text);
    const ExactMoneyText exact = Money::parseGermanExact(text);
    if (exact.error == ExactMoneyText::Error::None && (!lenient || *lenient != exact.value))
        std::abort(); // the exact reading must be what the lenient one rounds to
    if (lenient)
        (void)lenient->toGerman(); // formatting any value the parser hands out
    const BetragInput in = parseBetrag(text);
    if (in.betrag) {
        const Money m = *in.betrag;
        if (m.units() % 100 != 0 || m > maxBuchungsbetrag() || -m > maxBuchungsbetrag())
            std::abort();
        const BetragInput back = parseBetrag(m.toGerman());
        if (!back.betrag || *back.betrag != m)
            std::abort();
    } else if (in.error.isEmpty()) {
        std::abort(); // a refusal always says why
    }
    const SteuersatzInput rate = parseSteuersatz(text);
    if (rate.satz && (*rate.satz < 0.0 || *rate.satz > 100.0))
        std::abort();
    return 0;
}
