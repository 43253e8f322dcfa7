// Storing a batch row: the checks in the order a bookkeeper meets them, net, gross and tax
// from the entered amount, the question before an unusual booking, the tax that falls due
// under cash-basis VAT, and the row's amounts added to its accounts.

#include "BuchungRules.h"

#include "BuchungInput.h"
#include "books/Balances.h"
#include "books/BooksSession.h"
#include "books/Istversteuerung.h"
#include "books/KontoArt.h"
#include "books/Steuer.h"
#include "store/Table.h"
#include "ui/Ui.h"

#include <cmath>

namespace ledra {

namespace {

const QString kSoll = QStringLiteral("Soll");
const QString kHaben = QStringLiteral("Haben");

bool contains(const QString &text, const char *word) {
    return text.contains(QLatin1String(word));
}

// Under cash-basis VAT: the tax that falls due with this booking ("Stfaellig") and its rate
// ("Satzfaellig"). Revenue becomes due at once unless it is booked against a customer; a
// customer's payment into a money account makes the invoice's tax due, and money paid back
// to a customer (a refunded credit note, a returned payment) takes that tax back.
struct DueTaxCase {
    KontoArt soll, haben;
    bool reversed;
    bool storno;
    bool opTakeover;
};

// A payment or refund entered by hand: the tax contained in it at the rate it already has,
// else the rate of the sale with the same voucher number, else the full rate; the warning
// names the rate used.
void setPaymentDueTax(Table &t, BooksSession &fb, Money brutto) {
    const QString SF = QStringLiteral("Stfaellig"), SS = QStringLiteral("Satzfaellig");
    if (t.isNull(SS))
        t.setValue(SS, saleRateOfVoucher(fb, t.asInt(QStringLiteral("Belegnummer")))
                           .value_or(fb.settings.fullRate()));
    const Money d = steuerInBrutto(brutto, Steuersatz::fromPercent(t.asDouble(SS)));
    if (!(d - t.asMoney(SF)).nearlyEquals(Money())) {
        t.setMoney(SF, d);
        fb.ui().warning(QStringLiteral("Fällige Steuer automatisch berechnet! (Steuersatz ") +
                        rateText(t.asDouble(SS)) + QStringLiteral(" %)"));
    }
}

void setDueTax(Table &t, BooksSession &fb, const DueTaxCase &c, Money brutto, Money steuer,
               double rate) {
    Ui &ui = fb.ui();
    const QString SF = QStringLiteral("Stfaellig"), SS = QStringLiteral("Satzfaellig");
    const KontoArt s = c.soll, h = c.haben;
    if ((isErloeskonto(s) && h != KontoArt::Debitor) ||
        (isErloeskonto(h) && s != KontoArt::Debitor) ||
        (c.reversed && h == KontoArt::Fremdleistung)) {
        t.setMoney(SF, steuer);
        t.setValue(SS, rate);
    } else if (s == h && t.asMoney(SF) > Money()) {
        t.setMoney(SF, Money());
        t.setValue(SS, 0.0);
    } else if (isGeldkonto(s) && h == KontoArt::Debitor && !c.opTakeover) {
        setPaymentDueTax(t, fb, brutto);
    } else if (s == KontoArt::Debitor && isZahlungskonto(h) && !c.opTakeover && !c.storno) {
        // Paid back to the customer: the VAT return takes the due tax back in this period.
        setPaymentDueTax(t, fb, brutto);
        return;
    }
    if (c.storno)
        return;
    if (h != KontoArt::Debitor && !isZahlungskonto(s)) {
        if (t.asMoney(SF) > Money())
            ui.warning(QStringLiteral("Fällige Steuer auf 0 gesetzt!"));
        t.setMoney(SF, Money());
        t.setValue(SS, 0.0);
    } else if (!isZahlungskonto(s)) {
        t.setMoney(SF, Money());
        t.setValue(SS, 0.0);
    }
}

} // namespace

void BuchungRules::beforeStapelPost(Table &t) {
    m_balanceAdd.reset();
    m_stapelRole.reset();
    if (m_focused != QLatin1String("Brutto") && m_focused != QLatin1String("Netto") &&
        m_focused != QLatin1String("Betrag")) {
        if (!moveFocus(QStringLiteral("Brutto")))
            throw SilentAbort();
    }
    m_postWasInsert = t.state() == DsState::Insert;

    requireDifferentAccounts(t);
    const KontoArt s = entryArt(t, QStringLiteral("XSollArt"));
    const KontoArt h = entryArt(t, QStringLiteral("XHabenArt"));
    const QString text = t.asString(QStringLiteral("Buchungstext"));
    // Revenue on the debit side or costs on the credit side, unless a discount or reversal.
    const bool reversed = (isErloeskonto(s) || isKostenkonto(h)) && !contains(text, "Skonto") &&
                          !contains(text, "Storno");
    const double rate = requireRate(t);
    const Money amount = requireAmount(t);
    const Buchungsbetraege betraege = storeAmounts(t, amount, rate);
    confirmUnusualBooking(t, reversed && betraege.steuer >= Money::fromCents(1), rate);
    if (m_fb.settings.istSteuer)
        setDueTax(t, m_fb, DueTaxCase{s, h, reversed, contains(text, "Storno"), opTakeover},
                  betraege.brutto, betraege.steuer, rate);
    m_balanceAdd = balancesOf(t);
    m_stapelRole = stapelRoleOf(t);
}

void BuchungRules::requireDifferentAccounts(Table &t) {
    if (t.value(kSoll) == t.value(kHaben)) {
        setFocus(kHaben);
        m_fb.ui().error(QStringLiteral("Soll- und Habenkonto sind gleich"));
        throw SilentAbort();
    }
}

double BuchungRules::requireRate(Table &t) {
    if (t.isNull(QStringLiteral("Steuersatz"))) {
        if (mwstEnabled)
            setFocus(QStringLiteral("Mwst"));
        m_fb.ui().error(QStringLiteral("Mwst-Satz fehlt!"));
        throw SilentAbort();
    }
    // A rate outside 0 to 100 % would give negative tax, or divide by zero for -100 %.
    const double rate = t.asDouble(QStringLiteral("Steuersatz"));
    if (const auto why = steuersatzError(rate)) {
        if (mwstEnabled)
            setFocus(QStringLiteral("Mwst"));
        m_fb.ui().error(*why);
        throw SilentAbort();
    }
    return rate;
}

Money BuchungRules::requireAmount(Table &t) {
    const QString entered = grossMode ? QStringLiteral("Brutto") : QStringLiteral("Netto");
    if (t.isNull(entered)) {
        setFocus(QStringLiteral("Betrag"));
        m_fb.ui().error(QStringLiteral("Betrag fehlt!"));
        throw SilentAbort();
    }
    const Money amount = t.asMoney(entered);
    if (amount < Money()) {
        setFocus(QStringLiteral("Betrag"));
        m_fb.ui().error(QStringLiteral("Betrag darf nicht negativ sein!"));
        throw SilentAbort();
    }
    // Bookings hold whole cents: a fourth-decimal remainder would drift the sums.
    if (const auto why = betragError(amount)) {
        setFocus(QStringLiteral("Betrag"));
        m_fb.ui().error(*why);
        throw SilentAbort();
    }
    return amount;
}

Buchungsbetraege BuchungRules::storeAmounts(Table &t, Money amount, double rate) {
    const Steuersatz satz = Steuersatz::fromPercent(rate);
    const Buchungsbetraege betraege =
        grossMode ? betraegeFromBrutto(amount, satz) : betraegeFromNetto(amount, satz);
    t.setMoney(QStringLiteral("Netto"), betraege.netto);
    t.setMoney(QStringLiteral("Brutto"), betraege.brutto);
    t.setMoney(QStringLiteral("Steuer"), betraege.steuer);
    return betraege;
}

void BuchungRules::confirmUnusualBooking(Table &t, bool reversedWithTax, double rate) {
    QString q = QStringLiteral("\rTrotzdem buchen?");
    if (reversedWithTax)
        q = QStringLiteral("Erlöskonto im Soll oder Kostenkonto im Haben!") + q;
    const double a = t.asDouble(QStringLiteral("XSollMwst")),
                 bRate = t.asDouble(QStringLiteral("XHabenMwst"));
    const double m = std::max(a, bRate);
    auto same = [](double x, double y) { return std::fabs(x - y) < 1e-9; };
    if ((same(m, 0) || !same(a, bRate)) && !same(rate, m))
        q = QStringLiteral("Steuersatz ungleich Kontensteuersatz! ") + q;
    if (!q.startsWith(QLatin1Char('\r')) && m_fb.ui().confirm(q, Btn::YesNo) != Btn::Yes)
        throw SilentAbort();
}

} // namespace ledra
