// Rules of the accounts grid.

#include "posting/PostingFixture.h"

#include "accounts/KontenRules.h"
#include "store/Table.h"
namespace ledra {

TEST_F(Books, AccountsInUseKeepNumberNameTypeAndRate) {
    KontenRules &c = fb->chart();
    Table &k = fb->books().kontenGrid;
    // Only an opening balance: in use, but the opening balance stays editable.
    ASSERT_TRUE(k.findKey({1300}));
    c.selectedColumn = 5;
    c.setOpeningSoll(QStringLiteral("100"));
    k.post();
    c.selectedColumn = 1;
    EXPECT_THROW(k.edit(), SilentAbort);
    EXPECT_TRUE(ui.saw(QStringLiteral("Konto wird benutzt und kann nicht verändert werden!")));
    EXPECT_THROW(k.remove(), SilentAbort);
    EXPECT_TRUE(ui.saw(QStringLiteral("Konto wird benutzt und kann nicht gelöscht werden!")));
    c.selectedColumn = 6;
    EXPECT_NO_THROW(k.edit());
    k.cancel();
    // Balance 0 but the number stands in the batch: in use.
    ASSERT_TRUE(book("05.03.%Y;1;4210;1200;Miete;0;B;"));
    ASSERT_TRUE(k.findKey({4210}));
    EXPECT_TRUE(k.asMoney(QStringLiteral("Saldo")).isZero());
    c.selectedColumn = 0;
    EXPECT_THROW(k.edit(), SilentAbort);
    // An unused account can be changed and deleted.
    ASSERT_TRUE(k.findKey({12}));
    EXPECT_NO_THROW(k.edit());
    k.cancel();
    EXPECT_NO_THROW(k.remove());
    EXPECT_EQ(fb->status[1], QString::number(k.recordCount()) + QStringLiteral(" Konten"));
}

TEST_F(Books, OpeningBalancesOnOneSideMoveTheBalance) {
    KontenRules &c = fb->chart();
    Table &k = fb->books().kontenGrid;
    c.selectedColumn = 5;
    ASSERT_TRUE(k.findKey({1300}));
    c.setOpeningSoll(QStringLiteral("100,00"));
    k.post();
    EXPECT_EQ(k.asMoney(QStringLiteral("Saldo")), Money::fromCents(10000));
    c.setOpeningSoll(QStringLiteral("250"));
    k.post();
    EXPECT_EQ(k.asMoney(QStringLiteral("Saldo")), Money::fromCents(25000)) << "raised by 150";
    c.setOpeningSoll(QStringLiteral("0"));
    c.setOpeningHaben(QStringLiteral("50"));
    k.post();
    EXPECT_EQ(k.asMoney(QStringLiteral("Saldo")), Money::fromCents(-5000));
    ui.clear();
    c.setOpeningSoll(QStringLiteral("100"));
    k.post();
    EXPECT_TRUE(ui.saw(QStringLiteral("Nur ein Vortrag in Soll oder Haben möglich!")));
    EXPECT_EQ(k.asMoney(QStringLiteral("Soll")), Money());
    EXPECT_EQ(k.asMoney(QStringLiteral("Haben")), Money::fromCents(5000));
    EXPECT_EQ(k.asMoney(QStringLiteral("Saldo")), Money::fromCents(-5000));
}

TEST_F(Books, BwaHeadingsRefusedAndDefaultRates) {
    KontenRules &c = fb->chart();
    Table &k = fb->books().kontenGrid;
    ASSERT_TRUE(k.findKey({12}));
    c.selectedColumn = 7;
    k.edit();
    k.setValue(QStringLiteral("BWA"), 2000);
    EXPECT_THROW(k.post(), SilentAbort);
    EXPECT_TRUE(ui.saw(QStringLiteral("Bitte keine BWA-Sektionen zuordnen!")));
    k.setValue(QStringLiteral("BWA"), 2010);
    EXPECT_NO_THROW(k.post());
    c.selectedColumn = 2;
    k.edit();
    c.changeArt(2);
    EXPECT_DOUBLE_EQ(k.asDouble(QStringLiteral("Mwst")), 19.0);
    c.changeArt(5);
    EXPECT_DOUBLE_EQ(k.asDouble(QStringLiteral("Mwst")), 0.0);
    c.changeArt(1);
    EXPECT_DOUBLE_EQ(k.asDouble(QStringLiteral("Mwst")), 19.0);
    k.post();
    // A new account starts at zero.
    k.insert();
    EXPECT_EQ(k.asMoney(QStringLiteral("Saldo")), Money());
    EXPECT_EQ(k.asMoney(QStringLiteral("Soll")), Money());
    k.cancel();
}

TEST_F(Books, NameSearchGoesOnAndBeepsAtTheEnd) {
    KontenRules &c = fb->chart();
    Table &k = fb->books().kontenGrid;
    c.setSearchText(QStringLiteral("ST"));
    ASSERT_TRUE(c.searchNext());
    const qint64 first = k.asInt(QStringLiteral("KtoNr"));
    ASSERT_TRUE(c.searchNext());
    const qint64 second = k.asInt(QStringLiteral("KtoNr"));
    EXPECT_LT(first, second);
    while (c.searchNext()) {
    }
    EXPECT_EQ(ui.beeps, 1);
    EXPECT_TRUE(
        k.asString(QStringLiteral("Name")).contains(QStringLiteral("st"), Qt::CaseInsensitive))
        << "stays on the last match";
}

TEST_F(Books, StandardChartReplacesTheAccounts) {
    fb->chart().loadSkr03();
    EXPECT_GT(fb->books().konten.recordCount(), 150);
    EXPECT_TRUE(fb->books().konten.findKey({8400}));
    EXPECT_EQ(fb->books().settings.vorsteuer, QStringLiteral("1570"));
    EXPECT_EQ(fb->books().settings.kontoMwst, QStringLiteral("1770"));
    EXPECT_EQ(fb->books().settings.skontoErh, QStringLiteral("3730"));
    EXPECT_EQ(fb->books().settings.skontoGew, QStringLiteral("8730"));
    // The capital account of the chart, a balance account the year change can close into.
    EXPECT_EQ(fb->books().settings.kapital, QStringLiteral("0880"));
    ASSERT_TRUE(fb->books().konten.findKey({880}));
    EXPECT_EQ(fb->books().konten.asInt(QStringLiteral("Art")), 9);
    fb->books().settings.vorsteuer = QStringLiteral("1400");
    fb->chart().loadSkr04();
    EXPECT_TRUE(fb->books().konten.findKey({4400}));
    EXPECT_EQ(fb->books().settings.vorsteuer, QStringLiteral("1400"))
        << "SKR 04 leaves the tax accounts alone";
    EXPECT_EQ(fb->books().settings.kapital, QStringLiteral("2010"));
    ASSERT_TRUE(fb->books().konten.findKey({2010}));
    EXPECT_EQ(fb->books().konten.asInt(QStringLiteral("Art")), 9);
    EXPECT_EQ(fb->status[1],
              QString::number(fb->books().konten.recordCount()) + QStringLiteral(" Konten"));
}

} // namespace ledra
