// Transfer of the batch into the journal.

#include "PostingFixture.h"

#include "store/Sql.h"
#include "store/Table.h"
namespace ledra {

TEST_F(Books, TransferMovesRowsAdvancesVoucherAndCounter) {
    fb->books().settings.belegnr = QStringLiteral("5");
    ASSERT_TRUE(book("05.03.%Y;5;3400;1200;A;119,00;B;"));
    ASSERT_TRUE(book("05.03.%Y;6;3400;1200;B;119,00;B;"));
    ASSERT_TRUE(book("05.03.%Y;12000;3400;1200;C;119,00;B;"));
    fb->books().settings.istSteuer = true;
    ASSERT_TRUE(book("06.03.%Y;6;1200;1400;Zahlung;119,00;B;0"));
    const qint64 lastNr = [&] {
        fb->books().stapel.last();
        return fb->books().stapel.asInt(QStringLiteral("Autonummer"));
    }();
    const auto before = totals();
    ui.answers = {Btn::Yes};
    e().transferStapel();
    EXPECT_TRUE(fb->books().stapel.isEmpty());
    EXPECT_EQ(fb->books().journal.recordCount(), 4);
    EXPECT_EQ(fb->books().settings.belegnr, QStringLiteral("7")) << "12000 does not count";
    EXPECT_EQ(totals(), before) << "the balances already hold the batch";
    EXPECT_EQ(autoNumberCounter(fx.base, 0), lastNr + 1);
    EXPECT_EQ(fb->status[3], QStringLiteral("OK"));
    EXPECT_EQ(fb->status[0], QStringLiteral("4 Buchungen"));
    // The payment's due tax rate replaces its own rate 0 in the journal.
    fb->books().journal.last();
    EXPECT_DOUBLE_EQ(fb->books().journal.asDouble(QStringLiteral("Steuersatz")), 19.0);
    EXPECT_EQ(fb->books().journal.asMoney(QStringLiteral("Stfaellig")), Money::fromCents(1900));
    // The settings file holds the advanced voucher number.
    YearSettings s;
    s.load(fx.base);
    EXPECT_EQ(s.belegnr, QStringLiteral("7"));
    // The next batch starts above the last booking number.
    e().newRow();
    EXPECT_EQ(fb->books().stapel.asInt(QStringLiteral("Autonummer")), lastNr + 1);
}

TEST_F(Books, TransferStopsAtARowOutsideThePeriod) {
    ASSERT_TRUE(book("05.03.%Y;1;3400;1200;A;119,00;B;"));
    ASSERT_TRUE(book("05.06.%Y;2;3400;1200;B;119,00;B;"));
    ASSERT_TRUE(book("05.03.%Y;3;3400;1200;C;119,00;B;"));
    fb->books().settings.buchBis = QStringLiteral("31.05.") + year();
    ui.answers = {Btn::Yes};
    EXPECT_THROW(e().transferStapel(), SilentAbort);
    EXPECT_TRUE(ui.saw(QStringLiteral("Datum außerhalb des Buchungsbereiches!")));
    EXPECT_EQ(fb->books().journal.recordCount(), 1) << "the row before stays moved";
    EXPECT_EQ(fb->books().stapel.recordCount(), 2);
    EXPECT_EQ(autoNumberCounter(fx.base, 0), 0) << "the counter is not written in a stopped run";
}

TEST_F(Books, TransferRefusalsLeaveEverything) {
    ASSERT_TRUE(book("05.03.%Y;1;3400;1200;A;119,00;B;"));
    ui.answers = {Btn::No};
    e().transferStapel();
    EXPECT_EQ(fb->books().stapel.recordCount(), 1);
    EXPECT_EQ(fb->books().journal.recordCount(), 0);
    fb->books().stapel.insert();
    EXPECT_THROW(e().transferStapel(), SilentAbort);
    EXPECT_TRUE(ui.saw(QStringLiteral("Bitte noch die Buchung speichern!\r(Das Häkchen klicken)")));
    fb->books().stapel.cancel();
    // An unbalanced splitting account blocks the transfer.
    fx.addAccount(1370, QStringLiteral("SPLITTING"), 9, 0);
    ASSERT_TRUE(book("06.03.%Y;2;1370;1200;Split;50,00;B;"));
    ui.answers = {Btn::Yes};
    EXPECT_THROW(e().transferStapel(), SilentAbort);
    EXPECT_TRUE(ui.saw(QStringLiteral("Das Splittingkonto muss auf Null stehen!")));
    EXPECT_EQ(fb->books().journal.recordCount(), 0);
}

TEST_F(Books, TransferOfARowTheJournalRefusesKeepsIt) {
    ASSERT_TRUE(book("05.03.%Y;1;3400;1200;A;119,00;B;"));
    ASSERT_TRUE(book("05.03.%Y;2;3400;1200;B;119,00;B;"));
    // A journal row with the second row's booking number already exists.
    fb->books().stapel.last();
    const qint64 nr = fb->books().stapel.asInt(QStringLiteral("Autonummer"));
    fb->books().journal.appendRecord({nr, QDate(2026, 1, 1), QStringLiteral("alt")});
    ui.answers = {Btn::Yes};
    EXPECT_THROW(e().transferStapel(), SilentAbort);
    EXPECT_TRUE(ui.saw(QStringLiteral("Buchung 2 119,00 lässt sich nicht eintragen!")));
    EXPECT_EQ(fb->books().stapel.recordCount(), 1);
    EXPECT_EQ(fb->books().journal.recordCount(), 2);
}

// Rows ahead of a refused one move; the refused row and every row after it stay, and the
// voucher number counts up to the refused row as it always did.
TEST_F(Books, TransferEndsAtARefusedRowAmongManyAndSkipsARowThatDidNotArrive) {
    for (int beleg = 1; beleg <= 6; ++beleg)
        ASSERT_TRUE(book(QStringLiteral("05.03.%Y;%1;3400;1200;T;119,00;B;").arg(beleg)));
    Table &b = fb->books().stapel;
    Table &j = fb->books().journal;
    ASSERT_TRUE(b.locate(QStringLiteral("Belegnummer"), 4));
    j.appendRecord(
        {b.asInt(QStringLiteral("Autonummer")), QDate(2026, 1, 1), QStringLiteral("alt")});
    fb->books().settings.belegnr = QStringLiteral("1");
    ui.answers = {Btn::Yes};
    EXPECT_THROW(e().transferStapel(), SilentAbort);
    EXPECT_TRUE(ui.saw(QStringLiteral("Buchung 4 119,00 lässt sich nicht eintragen!")));
    auto vouchers = [](Table &t) {
        QList<qint64> v;
        forEachRow(
            t, QStringLiteral("SELECT Belegnummer FROM %1 ORDER BY Autonummer").arg(quotedName(t)),
            [&](const SqlRow &r) { v << r.int64(0); });
        return v;
    };
    EXPECT_EQ(vouchers(b), (QList<qint64>{4, 5, 6}));
    EXPECT_EQ(vouchers(j), (QList<qint64>{1, 2, 3, 0})) << "the old row keeps its place";
    EXPECT_EQ(fb->books().settings.belegnr, QStringLiteral("5"));

    // The journal silently drops the row of voucher 5: it stays in the batch, the others go.
    execute(j, QStringLiteral("DELETE FROM Journal WHERE Belegnummer IS NULL"));
    execute(j, QStringLiteral("CREATE TRIGGER drop5 BEFORE INSERT ON Journal WHEN "
                              "new.Belegnummer = 5 BEGIN SELECT RAISE(IGNORE); END"));
    ui.clear();
    ui.answers = {Btn::Yes};
    e().transferStapel();
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(vouchers(b), (QList<qint64>{5}));
    EXPECT_EQ(vouchers(j), (QList<qint64>{1, 2, 3, 4, 6}));
}

} // namespace ledra
