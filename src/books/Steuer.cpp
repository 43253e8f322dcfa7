#include "Steuer.h"

#include <cmath>

namespace ledra {

namespace {
// 100 % at the resolution of Steuersatz.
constexpr qint64 kHundredPercent = 1000000;
// Units of Money per cent.
constexpr qint64 kUnitsPerCent = 100;
} // namespace

Steuersatz Steuersatz::fromPercent(double percent) {
    return Steuersatz(std::llround(percent * 10000.0));
}

Money nettoFromBrutto(Money brutto, Steuersatz satz) {
    // brutto / (1 + satz) in cents = units * 100 % / (100 % + satz) / 100.
    return Money::fromCents(
        divRoundHalfEven(__int128(brutto.units()) * (kHundredPercent / kUnitsPerCent),
                         kHundredPercent + satz.tenThousandthPercent()));
}

Money bruttoFromNetto(Money netto, Steuersatz satz) {
    return Money::fromCents(
        divRoundHalfEven(__int128(netto.units()) * (kHundredPercent + satz.tenThousandthPercent()),
                         __int128(kHundredPercent) * kUnitsPerCent));
}

Buchungsbetraege betraegeFromBrutto(Money brutto, Steuersatz satz) {
    const Money netto = nettoFromBrutto(brutto, satz);
    return {netto, brutto, brutto - netto};
}

Buchungsbetraege betraegeFromNetto(Money netto, Steuersatz satz) {
    const Money brutto = bruttoFromNetto(netto, satz);
    return {netto, brutto, brutto - netto};
}

Money steuerInBrutto(Money brutto, Steuersatz satz) {
    return Money::fromCents(divRoundHalfAway(
        __int128(brutto.units()) * satz.tenThousandthPercent(),
        (__int128(kHundredPercent) + satz.tenThousandthPercent()) * kUnitsPerCent));
}

Money steuerOnNetto(Money netto, Steuersatz satz) {
    return Money::fromCents(divRoundHalfAway(__int128(netto.units()) * satz.tenThousandthPercent(),
                                             __int128(kHundredPercent) * kUnitsPerCent));
}

QDate euroStichtag() {
    return QDate(2002, 1, 1);
}

Money toCurrencyOfDate(Money amount, bool euro, const QDate &date) {
    const QDate euroDay = euroStichtag();
    // The official rate 1.95583 DM per euro, and its inverse to sixteen places.
    if (euro && date.isValid() && date < euroDay)
        return Money::fromCents(
            divRoundHalfAway(__int128(amount.units()) * 195583, __int128(100000) * kUnitsPerCent));
    if (!euro && (!date.isValid() || date >= euroDay))
        return Money::fromCents(divRoundHalfAway(__int128(amount.units()) * 5112918811962185LL,
                                                 __int128(10000000000000000LL) * kUnitsPerCent));
    return amount;
}

Money inCurrency(Money amount, bool fromEuro, bool toEuro) {
    if (fromEuro == toEuro)
        return amount.round2();
    // A day on which the target currency is the one in force.
    return toCurrencyOfDate(amount, fromEuro, toEuro ? euroStichtag() : euroStichtag().addDays(-1));
}

QString currencyTextOfPeriod(const QDate &periodEnd) {
    return euroStichtag() > periodEnd ? QStringLiteral("DM") : QStringLiteral("€");
}

} // namespace ledra
