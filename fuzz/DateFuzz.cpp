// Date texts as typed into the date fields, the settings and the booking file: an accepted
// date is valid and reads back from its German form.

#include "store/Dates.h"

#include <QString>
#include <cstdint>
#include <cstdlib>

using namespace ledra;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const QDate today(2026, 5, 4);
    const std::optional<QDate> d = parseGermanDate(text, today);
    if (!d)
        return 0;
    if (!d->isValid())
        std::abort();
    const std::optional<QDate> back = parseGermanDate(germanDate(*d), today);
    if (!back || *back != *d)
        std::abort();
    if (fromIsoDate(isoDate(*d)) != *d)
        std::abort();
    return 0;
}
