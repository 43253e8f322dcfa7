// Recomputation of all balances from the opening balances and every booking.

#include "posting/PostingFixture.h"

#include "books/SaldenRecompute.h"
#include "store/Table.h"
namespace ledra {

namespace {
void setOpening(BooksSession &fb, int konto, const char *field, qint64 cents) {
    Table &k = fb.konten;
    ASSERT_TRUE(k.findKey({konto}));
    k.edit();
    k.setMoney(QString::fromLatin1(field), Money::fromCents(cents));
    k.post();
}
} // namespace

TEST_F(Books, RecomputeEqualsTheRunningBalancesAndIsIdempotent) {
    setOpening(fb->books(), 1200, "Soll", 500000);
    setOpening(fb->books(), 1600, "Haben", 20000);
    // The opening balances were typed outside the grid's rules: the running balances follow
    // only after a recomputation.
    recomputeSalden(fb->books());
    EXPECT_EQ(saldo(1200), Money::fromCents(500000));
    EXPECT_EQ(saldo(1600), Money::fromCents(-20000));

    ui.answers = {Btn::Yes, Btn::Yes, Btn::Yes, Btn::Yes};
    ASSERT_TRUE(book("05.03.%Y;1;3400;1600;Ware;238,00;B;"));
    ASSERT_TRUE(book("06.03.%Y;2;1400;8400;Rechnung;595,00;B;"));
    ASSERT_TRUE(book("07.03.%Y;3;1200;1400;Zahlung;595,00;B;"));
    ASSERT_TRUE(book("08.03.%Y;4;8400;1000;Storno Bar;11,90;B;"));
    ASSERT_TRUE(book("09.03.%Y;5;1800;1000;Privat;50,00;B;"));
    e().transferStapel();
    ASSERT_TRUE(book("10.03.%Y;6;4930;1200;Papier;23,80;B;"));
    ASSERT_TRUE(book("11.03.%Y;7;1200;8300;Buch;10,70;B;"));
    // Change one batch row, cancel another change, delete a third.
    Table &b = fb->books().stapel;
    b.first();
    b.edit();
    e().setFocus(QStringLiteral("Betrag"));
    e().setAmount(Money::fromCents(4760));
    b.post();
    b.last();
    b.edit();
    b.cancel();
    ASSERT_TRUE(book("12.03.%Y;8;4210;1200;Miete;700,00;B;"));
    b.last();
    e().deleteRow();
    const auto running = totals();
    const Money d1 = field(3400, "Saldo");
    ui.clear();
    recomputeSalden(fb->books());
    EXPECT_EQ(totals(), running) << "the running balances were right";
    EXPECT_EQ(d1, Money::fromCents(20000));
    EXPECT_EQ(fb->books().konten.asDate(QStringLiteral("Datum1")).isValid(), true);
    recomputeSalden(fb->books());
    EXPECT_EQ(totals(), running) << "a second run changes nothing";
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_FALSE(ui.progressShown) << "the gauge is hidden again";
}

TEST_F(Books, RecomputeResetsToOpeningAndCleansSectionLines) {
    Table &k = fb->books().konten;
    ASSERT_TRUE(k.findKey({4930}));
    k.edit();
    k.setValue(QStringLiteral("BWA"), 500);
    k.setValue(QStringLiteral("Saldo"), 123);
    k.setValue(QStringLiteral("JVZSoll"), 77);
    k.setValue(QStringLiteral("Datum1"), QDate(2020, 1, 1));
    k.post();
    ASSERT_TRUE(k.findKey({8400}));
    k.edit();
    k.setValue(QStringLiteral("BWA"), 1010);    // a line of the shipped BWA
    k.setValue(QStringLiteral("Bilanz"), 4242); // no such balance-sheet line
    k.post();
    ASSERT_TRUE(k.findKey({1200}));
    k.edit();
    k.setValue(QStringLiteral("Bilanz"), 100000); // a heading with a text stays
    k.post();
    recomputeSalden(fb->books());
    ASSERT_TRUE(k.findKey({4930}));
    EXPECT_TRUE(k.isNull(QStringLiteral("BWA")));
    EXPECT_EQ(k.asMoney(QStringLiteral("Saldo")), Money());
    EXPECT_EQ(k.asMoney(QStringLiteral("JVZSoll")), Money());
    EXPECT_TRUE(k.isNull(QStringLiteral("Datum1")));
    ASSERT_TRUE(k.findKey({8400}));
    EXPECT_EQ(k.asInt(QStringLiteral("BWA")), 1010);
    EXPECT_TRUE(k.isNull(QStringLiteral("Bilanz")));
    ASSERT_TRUE(k.findKey({1200}));
    EXPECT_EQ(k.asInt(QStringLiteral("Bilanz")), 100000);
}

TEST_F(Books, RecomputeRefusesWhileEditingAndStopsWithoutTaxAccount) {
    ASSERT_TRUE(book("05.03.%Y;1;4930;1200;Papier;119,00;B;"));
    const auto before = totals();
    fb->books().kontenGrid.insert();
    EXPECT_THROW(recomputeSalden(fb->books()), SilentAbort);
    EXPECT_TRUE(ui.saw(QStringLiteral("Bitte erst Dateneingabe beenden!")));
    fb->books().kontenGrid.cancel();
    fb->books().settings.vorsteuer = QStringLiteral("9999");
    EXPECT_THROW(recomputeSalden(fb->books()), SilentAbort);
    EXPECT_TRUE(ui.saw(QStringLiteral("Vorsteuer- oder Mwst-Konto nicht vorhanden!")));
    EXPECT_EQ(totals(), before) << "a stopped run writes nothing";
    EXPECT_FALSE(fb->books().dataOperationRunning());
}

} // namespace ledra
