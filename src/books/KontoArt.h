#pragma once
// The type of an account. Konten.DB stores it as the small integer `Art`, whose codes are the
// keys of KontoArt.DB (that table only supplies the display names). Posting, balances, the
// year change and the reports decide by the type; they ask the predicates below rather than
// compare codes, so that each rule of German bookkeeping is written down once.

#include "store/Money.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>

namespace ledra {

enum class KontoArt : int {
    Kosten = 0,        // general costs (Aufwand)
    Wareneingang = 1,  // goods bought for resale or production
    Fremdleistung = 2, // work bought in from others ("Fremdleistg.")
    Erloese = 3,       // revenue
    Bank = 4,
    Kasse = 5,    // the cash box; its account sheet is the cash book
    Privat = 6,   // the owner's withdrawals and deposits
    Debitor = 7,  // a customer (receivable)
    Kreditor = 8, // a supplier (payable)
    Bestand = 9,  // any other balance account
};

// The code written to Konten.DB.
constexpr int kontoArtCode(KontoArt art) {
    return static_cast<int>(art);
}

// A stored code read back. Empty for a code that names no type: the program only ever stores
// the codes of KontoArt.DB, so such a code comes from a damaged row and is treated like an
// account that does not exist.
constexpr std::optional<KontoArt> kontoArtFromCode(qint64 code) {
    if (code < kontoArtCode(KontoArt::Kosten) || code > kontoArtCode(KontoArt::Bestand))
        return std::nullopt;
    return static_cast<KontoArt>(code);
}

// The value of an `Art` field or of a looked-up type (XSollArt, XHabenArt). A null value is
// a look-up that found no account: empty.
inline std::optional<KontoArt> kontoArtOf(const QVariant &value) {
    if (value.isNull() || !value.isValid())
        return std::nullopt;
    return kontoArtFromCode(value.toLongLong());
}

// Every predicate answers false for an empty type (no such account): a missing account
// takes part in no rule. Callers that need the opposite side of a predicate for a missing
// account negate the predicate of that side.

// Cost accounts (Kosten, Wareneingang, Fremdleistung): their tax is input tax (Vorsteuer),
// and on the credit side they mark a booking as running against its normal direction.
constexpr bool isKostenkonto(std::optional<KontoArt> art) {
    return art && *art >= KontoArt::Kosten && *art <= KontoArt::Fremdleistung;
}

// The revenue account: its tax is output VAT (Umsatzsteuer), and on the debit side it marks
// a credit note or a booking against the normal direction.
constexpr bool isErloeskonto(std::optional<KontoArt> art) {
    return art == KontoArt::Erloese;
}

// Profit-and-loss accounts (Erfolgskonten: costs and revenue). They are posted with the net
// amount, take the full VAT rate when created or retyped, and start each year at zero.
constexpr bool isErfolgskonto(std::optional<KontoArt> art) {
    return art && *art >= KontoArt::Kosten && *art <= KontoArt::Erloese;
}

// Balance accounts (Bestandskonten: money, private, customers, suppliers and the rest). They
// are posted with the gross amount and carry no VAT rate of their own.
constexpr bool isBestandskonto(std::optional<KontoArt> art) {
    return art && *art >= KontoArt::Bank && *art <= KontoArt::Bestand;
}

// Purchase accounts (Wareneingang, Fremdleistung): the costs of what is bought from
// suppliers, as opposed to the general costs.
constexpr bool isEinkaufskonto(std::optional<KontoArt> art) {
    return art == KontoArt::Wareneingang || art == KontoArt::Fremdleistung;
}

// Money accounts (Geldkonten: bank and cash box).
constexpr bool isGeldkonto(std::optional<KontoArt> art) {
    return art == KontoArt::Bank || art == KontoArt::Kasse;
}

// Accounts a payment is received on or made from: the money accounts, the private account
// (the owner pays in or takes out) and the other balance accounts. Under cash-basis VAT a
// customer's payment onto one of them is what makes the VAT fall due.
constexpr bool isZahlungskonto(std::optional<KontoArt> art) {
    return isGeldkonto(art) || art == KontoArt::Privat || art == KontoArt::Bestand;
}

// Personal accounts (Personenkonten: customers and suppliers).
constexpr bool isPersonenkonto(std::optional<KontoArt> art) {
    return art == KontoArt::Debitor || art == KontoArt::Kreditor;
}

// Whether the balance is carried into the next year (Saldovortrag). Profit-and-loss
// accounts are closed into the result and the private account into the equity, so both
// start the new year at zero; every other balance account carries over. (The two tax
// accounts start at zero too; they are told apart by number, not by type.)
constexpr bool hasSaldovortrag(std::optional<KontoArt> art) {
    return isBestandskonto(art) && art != KontoArt::Privat;
}

enum class Saldoseite { Soll, Haben };

// The side on which an account of this type normally has its balance: debit for costs,
// money, private and customers, credit for revenue and suppliers. The other balance
// accounts (and a missing type) have no normal side.
constexpr std::optional<Saldoseite> normaleSaldoseite(std::optional<KontoArt> art) {
    if (art == KontoArt::Erloese || art == KontoArt::Kreditor)
        return Saldoseite::Haben;
    if (!art || *art == KontoArt::Bestand)
        return std::nullopt;
    return Saldoseite::Soll;
}

// A balance on the side opposite to the type's normal side; the accounts grid colours it.
// A zero balance is on no side.
inline bool isSaldoOnWrongSide(std::optional<KontoArt> art, Money saldo) {
    const std::optional<Saldoseite> normal = normaleSaldoseite(art);
    if (saldo < Money())
        return normal == Saldoseite::Soll;
    if (saldo > Money())
        return normal == Saldoseite::Haben;
    return false;
}

// The codes of the types a predicate holds for, comma-separated in code order ("0,1,2" for
// the cost accounts), for SQL conditions over a stored or looked-up `Art`.
inline QString kontoArtCodeList(bool (*predicate)(std::optional<KontoArt>)) {
    QStringList codes;
    for (int code = kontoArtCode(KontoArt::Kosten); code <= kontoArtCode(KontoArt::Bestand); ++code)
        if (predicate(static_cast<KontoArt>(code)))
            codes << QString::number(code);
    return codes.join(QLatin1Char(','));
}

} // namespace ledra
