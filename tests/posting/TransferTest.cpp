// Transfer of the batch into the journal.

#include "PostingFixture.h"

#include "store/Table.h"

TEST_F(Books, TransferMovesRowsAdvancesVoucherAndCounter)
{
    fb->books().settings.belegnr = QStringLiteral("5");
    ASSERT_TRUE(book("05.03.%Y;5;3400;1200;A;119,00;B;"));
    ASSERT_TRUE(book("05.03.%Y;6;3400;1200;B;119,00;B;"));
    ASSERT_TRUE(book("05.03.%Y;12000;3400;1200;C;119,00;B;"));
    fb->books().settings.istSteuer = true;
    ASSERT_TRUE(book("06.03.%Y;6;1200;1400;Zahlung;119,00;B;0"));
    const qint64 lastNr = [&] {
        fb->books().TBuchungen.last();
        return fb->books().TBuchungen.asInt(QStringLiteral("Autonummer"));
    }();
    const auto before = totals();
    ui.answers = {Btn::Yes};
    e().SpeichernClick();
    EXPECT_TRUE(fb->books().TBuchungen.isEmpty());
    EXPECT_EQ(fb->books().TJournal.recordCount(), 4);
    EXPECT_EQ(fb->books().settings.belegnr, QStringLiteral("7")) << "12000 does not count";
    EXPECT_EQ(totals(), before) << "the balances already hold the batch";
    EXPECT_EQ(autoNumberCounter(fx.base, 0), lastNr + 1);
    EXPECT_EQ(fb->status[3], QStringLiteral("OK"));
    EXPECT_EQ(fb->status[0], QStringLiteral("4 Buchungen"));
    // The payment's due tax rate replaces its own rate 0 in the journal.
    fb->books().TJournal.last();
    EXPECT_DOUBLE_EQ(fb->books().TJournal.asDouble(QStringLiteral("Steuersatz")), 19.0);
    EXPECT_EQ(fb->books().TJournal.asMoney(QStringLiteral("Stfaellig")), Money::fromCents(1900));
    // The settings file holds the advanced voucher number.
    YearSettings s;
    s.load(fx.base);
    EXPECT_EQ(s.belegnr, QStringLiteral("7"));
    // The next batch starts above the last booking number.
    e().NeuClick();
    EXPECT_EQ(fb->books().TBuchungen.asInt(QStringLiteral("Autonummer")), lastNr + 1);
}

TEST_F(Books, TransferStopsAtARowOutsideThePeriod)
{
    ASSERT_TRUE(book("05.03.%Y;1;3400;1200;A;119,00;B;"));
    ASSERT_TRUE(book("05.06.%Y;2;3400;1200;B;119,00;B;"));
    ASSERT_TRUE(book("05.03.%Y;3;3400;1200;C;119,00;B;"));
    fb->books().settings.buchBis = QStringLiteral("31.05.") + year();
    ui.answers = {Btn::Yes};
    EXPECT_THROW(e().SpeichernClick(), SilentAbort);
    EXPECT_TRUE(ui.saw(QStringLiteral("Datum außerhalb des Buchungsbereiches!")));
    EXPECT_EQ(fb->books().TJournal.recordCount(), 1) << "the row before stays moved";
    EXPECT_EQ(fb->books().TBuchungen.recordCount(), 2);
    EXPECT_EQ(autoNumberCounter(fx.base, 0), 0) << "the counter is not written in a stopped run";
}

TEST_F(Books, TransferRefusalsLeaveEverything)
{
    ASSERT_TRUE(book("05.03.%Y;1;3400;1200;A;119,00;B;"));
    ui.answers = {Btn::No};
    e().SpeichernClick();
    EXPECT_EQ(fb->books().TBuchungen.recordCount(), 1);
    EXPECT_EQ(fb->books().TJournal.recordCount(), 0);
    fb->books().TBuchungen.insert();
    EXPECT_THROW(e().SpeichernClick(), SilentAbort);
    EXPECT_TRUE(ui.saw(QStringLiteral("Bitte noch die Buchung speichern!\r(Das Häkchen klicken)")));
    fb->books().TBuchungen.cancel();
    // An unbalanced splitting account blocks the transfer.
    fx.addAccount(1370, QStringLiteral("SPLITTING"), 9, 0);
    ASSERT_TRUE(book("06.03.%Y;2;1370;1200;Split;50,00;B;"));
    ui.answers = {Btn::Yes};
    EXPECT_THROW(e().SpeichernClick(), SilentAbort);
    EXPECT_TRUE(ui.saw(QStringLiteral("Das Splittingkonto muss auf Null stehen!")));
    EXPECT_EQ(fb->books().TJournal.recordCount(), 0);
}

TEST_F(Books, TransferOfARowTheJournalRefusesKeepsIt)
{
    ASSERT_TRUE(book("05.03.%Y;1;3400;1200;A;119,00;B;"));
    ASSERT_TRUE(book("05.03.%Y;2;3400;1200;B;119,00;B;"));
    // A journal row with the second row's booking number already exists.
    fb->books().TBuchungen.last();
    const qint64 nr = fb->books().TBuchungen.asInt(QStringLiteral("Autonummer"));
    fb->books().TJournal.appendRecord({nr, QDate(2026, 1, 1), QStringLiteral("alt")});
    ui.answers = {Btn::Yes};
    EXPECT_THROW(e().SpeichernClick(), SilentAbort);
    EXPECT_TRUE(ui.saw(QStringLiteral("Buchung 2 119,00 lässt sich nicht eintragen!")));
    EXPECT_EQ(fb->books().TBuchungen.recordCount(), 1);
    EXPECT_EQ(fb->books().TJournal.recordCount(), 2);
}
