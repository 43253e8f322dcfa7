// The account-type rules as truth tables: every predicate for every type code and for a
// missing account, the conversions from stored values, and the codes of the shipped type
// table.

#include "books/KontoArt.h"
#include "store/Table.h"
#include "support/Fixture.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

using namespace ledra;

namespace {

using Seite = std::optional<Saldoseite>;
constexpr Seite S = Saldoseite::Soll, H = Saldoseite::Haben, none = std::nullopt;

struct TypeRow {
    std::optional<KontoArt> art; // empty: no such account
    const char *name;
    bool kosten, erloes, erfolg, bestand, einkauf, geld, zahlung, person, vortrag;
    Seite normal;
};

// clang-format off
const TypeRow kTypes[] = {
    //                              Kost Erl  Erf  Best Eink Geld Zahl Pers Vortr normal side
    {KontoArt::Kosten,        "Kosten",        1, 0, 1, 0, 0, 0, 0, 0, 0, S},
    {KontoArt::Wareneingang,  "Wareneingang",  1, 0, 1, 0, 1, 0, 0, 0, 0, S},
    {KontoArt::Fremdleistung, "Fremdleistung", 1, 0, 1, 0, 1, 0, 0, 0, 0, S},
    {KontoArt::Erloese,       "Erloese",       0, 1, 1, 0, 0, 0, 0, 0, 0, H},
    {KontoArt::Bank,          "Bank",          0, 0, 0, 1, 0, 1, 1, 0, 1, S},
    {KontoArt::Kasse,         "Kasse",         0, 0, 0, 1, 0, 1, 1, 0, 1, S},
    {KontoArt::Privat,        "Privat",        0, 0, 0, 1, 0, 0, 1, 0, 0, S},
    {KontoArt::Debitor,       "Debitor",       0, 0, 0, 1, 0, 0, 0, 1, 1, S},
    {KontoArt::Kreditor,      "Kreditor",      0, 0, 0, 1, 0, 0, 0, 1, 1, H},
    {KontoArt::Bestand,       "Bestand",       0, 0, 0, 1, 0, 0, 1, 0, 1, none},
    {std::nullopt,            "kein Konto",    0, 0, 0, 0, 0, 0, 0, 0, 0, none},
};
// clang-format on

} // namespace

TEST(KontoArt, EveryPredicateForEveryType) {
    for (const TypeRow &r : kTypes) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(isKostenkonto(r.art), r.kosten);
        EXPECT_EQ(isErloeskonto(r.art), r.erloes);
        EXPECT_EQ(isErfolgskonto(r.art), r.erfolg);
        EXPECT_EQ(isBestandskonto(r.art), r.bestand);
        EXPECT_EQ(isEinkaufskonto(r.art), r.einkauf);
        EXPECT_EQ(isGeldkonto(r.art), r.geld);
        EXPECT_EQ(isZahlungskonto(r.art), r.zahlung);
        EXPECT_EQ(isPersonenkonto(r.art), r.person);
        EXPECT_EQ(hasSaldovortrag(r.art), r.vortrag);
        EXPECT_EQ(normaleSaldoseite(r.art), r.normal);
    }
}

TEST(KontoArt, BalanceOnTheWrongSide) {
    // A debit balance is positive. Wrong: a credit balance where the normal side is debit,
    // and the other way round; a zero balance never.
    const Money debit = Money::fromCents(1), credit = Money::fromCents(-1);
    const Money bigDebit = Money::fromCents(100000), bigCredit = Money::fromCents(-100000);
    for (const TypeRow &r : kTypes) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(isSaldoOnWrongSide(r.art, credit), r.normal == Saldoseite::Soll);
        EXPECT_EQ(isSaldoOnWrongSide(r.art, bigCredit), r.normal == Saldoseite::Soll);
        EXPECT_EQ(isSaldoOnWrongSide(r.art, debit), r.normal == Saldoseite::Haben);
        EXPECT_EQ(isSaldoOnWrongSide(r.art, bigDebit), r.normal == Saldoseite::Haben);
        EXPECT_FALSE(isSaldoOnWrongSide(r.art, Money()));
    }
}

TEST(KontoArt, StoredValuesAndCodes) {
    const struct {
        QVariant stored;
        std::optional<KontoArt> expected;
        const char *why;
    } rows[] = {
        {QVariant(0), KontoArt::Kosten, "lowest code"},
        {QVariant(3), KontoArt::Erloese, "int"},
        {QVariant(qlonglong(7)), KontoArt::Debitor, "as the engine reads an integer column"},
        {QVariant(QStringLiteral("5")), KontoArt::Kasse, "as text"},
        {QVariant(9), KontoArt::Bestand, "highest code"},
        {QVariant(), std::nullopt, "null: the look-up found no account"},
        {QVariant(-1), std::nullopt, "below the codes"},
        {QVariant(10), std::nullopt, "above the codes"},
        {QVariant(qlonglong(1) << 33), std::nullopt, "beyond int"},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(r.why);
        EXPECT_EQ(kontoArtOf(r.stored), r.expected);
    }
    for (int code = 0; code <= 9; ++code) {
        SCOPED_TRACE(code);
        ASSERT_TRUE(kontoArtFromCode(code));
        EXPECT_EQ(kontoArtCode(*kontoArtFromCode(code)), code);
    }
}

TEST(KontoArt, CodeListsForSqlConditions) {
    EXPECT_EQ(kontoArtCodeList(isKostenkonto), QStringLiteral("0,1,2"));
    EXPECT_EQ(kontoArtCodeList(isErloeskonto), QStringLiteral("3"));
    EXPECT_EQ(kontoArtCodeList(isZahlungskonto), QStringLiteral("4,5,6,9"));
    EXPECT_EQ(kontoArtCodeList(isBestandskonto), QStringLiteral("4,5,6,7,8,9"));
}

TEST(KontoArt, CodesMatchTheShippedTypeTable) {
    // KontoArt.DB gives the names the program shows; a code must mean the type it names.
    const std::map<QString, KontoArt> byName = {
        {QStringLiteral("Kosten"), KontoArt::Kosten},
        {QStringLiteral("Wareneingang"), KontoArt::Wareneingang},
        {QStringLiteral("Fremdleistg."), KontoArt::Fremdleistung},
        {QStringLiteral("Erlöse"), KontoArt::Erloese},
        {QStringLiteral("Bank"), KontoArt::Bank},
        {QStringLiteral("Kasse"), KontoArt::Kasse},
        {QStringLiteral("Privat"), KontoArt::Privat},
        {QStringLiteral("Debitor"), KontoArt::Debitor},
        {QStringLiteral("Kreditor"), KontoArt::Kreditor},
        {QStringLiteral("Bestand"), KontoArt::Bestand},
    };
    DataFixture fx;
    Table t(Schemas::kontoArt());
    t.setFolder(fx.base);
    t.open();
    std::set<QString> seen;
    for (t.first(); !t.eof(); t.next()) {
        const QString name = t.value(QStringLiteral("Kontenart")).toString();
        SCOPED_TRACE(name.toStdString());
        ASSERT_EQ(byName.count(name), 1u);
        EXPECT_EQ(kontoArtOf(t.value(QStringLiteral("Autonummer"))), byName.at(name));
        seen.insert(name);
    }
    EXPECT_EQ(seen.size(), byName.size()) << "every type is shipped";
}
