#pragma once
// The VAT arithmetic of a booking and the DM/euro conversion, as pure functions over Money.
// Each result is rounded once, from the exact quotient, to whole cents: net and gross with
// halves to the even cent (so that entering either one gives the other without drift), the
// tax amounts and conversions with halves away from zero (commercial rounding).

#include "store/Money.h"

#include <QDate>
#include <QString>

namespace ledra {

// A VAT rate in ten-thousandths of a percent (19 % is 190000). Rates live as floating-point
// numbers in the booking rows and the accounts, and in tenths of a percent in the settings;
// both are brought to this resolution before any amount is computed, so that 19.0 read from
// a float field is exactly 19 %.
class Steuersatz {
public:
    constexpr Steuersatz() = default;
    // The nearest ten-thousandth of a percent.
    static Steuersatz fromPercent(double percent);
    static constexpr Steuersatz fromTenthPercent(qint64 tenths) {
        return Steuersatz(tenths * 1000);
    }

    constexpr qint64 tenThousandthPercent() const { return m_tenThousandthPercent; }
    constexpr bool isZero() const { return m_tenThousandthPercent == 0; }
    constexpr auto operator<=>(const Steuersatz &) const = default;

private:
    constexpr explicit Steuersatz(qint64 v) : m_tenThousandthPercent(v) {}
    qint64 m_tenThousandthPercent = 0;
};

// Net, gross and tax of one booking. The tax is always gross minus net, so the three agree
// to the unit whichever of net or gross was entered.
struct Buchungsbetraege {
    Money netto, brutto, steuer;
    bool operator==(const Buchungsbetraege &) const = default;
};

// Net from gross: brutto / (1 + satz), halves to the even cent.
Money nettoFromBrutto(Money brutto, Steuersatz satz);
// Gross from net: netto * (1 + satz), halves to the even cent.
Money bruttoFromNetto(Money netto, Steuersatz satz);
// The amounts of a booking entered gross, or entered net.
Buchungsbetraege betraegeFromBrutto(Money brutto, Steuersatz satz);
Buchungsbetraege betraegeFromNetto(Money netto, Steuersatz satz);

// The tax contained in a gross amount, brutto * satz / (1 + satz), halves away from zero.
// Under cash-basis VAT this is the VAT that falls due when a customer pays that amount.
Money steuerInBrutto(Money brutto, Steuersatz satz);
// The tax on a net amount, netto * satz, halves away from zero: the VAT a recipient owes
// for a reverse-charge service, where the supplier's invoice shows no tax.
Money steuerOnNetto(Money netto, Steuersatz satz);

// The day the euro replaced the mark as the currency of account.
QDate euroStichtag();

// An amount brought into the currency in force on `date`: a euro amount before the euro
// day is worth 1.95583 times as many marks, a mark amount from that day on (or with no
// date) 0.5112918811962185 times as many euros; rounded to cents, halves away from zero.
// An amount already in the currency of its date stays as it is.
Money toCurrencyOfDate(Money amount, bool euro, const QDate &date);

// An amount of one currency taken into the other at the official rate (or left in its own),
// rounded to cents, halves away from zero.
Money inCurrency(Money amount, bool fromEuro, bool toEuro);

// The currency text of a booking period that ends on `periodEnd`: "DM" when it ends before
// the euro day (or has no end), "€" otherwise.
QString currencyTextOfPeriod(const QDate &periodEnd);

} // namespace ledra
