// Amounts, roundings and the questions of storing a batch row.

#include "PostingFixture.h"

#include "store/Table.h"
#include "support/OpenItemsDouble.h"
namespace ledra {

namespace {
struct Row {
    Money netto, brutto, steuer;
};
Row lastRow(BooksSession &fb) {
    Table &b = fb.stapel;
    b.last();
    return {b.asMoney(QStringLiteral("Netto")), b.asMoney(QStringLiteral("Brutto")),
            b.asMoney(QStringLiteral("Steuer"))};
}
} // namespace

TEST_F(Books, NetAndGrossRoundHalfToEvenCents) {
    ASSERT_TRUE(book("05.03.%Y;1;4930;1200;Papier;119,00;B;"));
    Row r = lastRow(fb->books());
    EXPECT_EQ(r.netto, Money::fromCents(10000));
    EXPECT_EQ(r.steuer, Money::fromCents(1900));
    ASSERT_TRUE(book("05.03.%Y;2;4930;1200;Papier;10,00;B;"));
    r = lastRow(fb->books());
    EXPECT_EQ(r.netto, Money::fromCents(840)) << "840.336 cents";
    EXPECT_EQ(r.steuer, Money::fromCents(160));
    ASSERT_TRUE(book("05.03.%Y;3;1200;8300;Buch;100,00;N;"));
    EXPECT_EQ(lastRow(fb->books()).brutto, Money::fromCents(10700));
    ui.answers = {Btn::Yes}; // the rate 5 differs from the accounts' rate
    ASSERT_TRUE(book("05.03.%Y;4;1200;8300;halber Cent;0,50;N;5"));
    EXPECT_EQ(lastRow(fb->books()).brutto, Money::fromCents(52))
        << "52.5 cents go to the even cent";
    ui.answers = {Btn::Yes};
    ASSERT_TRUE(book("05.03.%Y;5;1200;8300;halber Cent;0,50;N;15"));
    EXPECT_EQ(lastRow(fb->books()).brutto, Money::fromCents(58))
        << "57.5 cents go to the even cent";
    ASSERT_TRUE(book("05.03.%Y;6;4930;1200;Null;0;B;"));
    EXPECT_EQ(lastRow(fb->books()).steuer, Money());
    const int rows = fb->books().stapel.recordCount();
    EXPECT_FALSE(book("05.03.%Y;7;4930;1200;Minus;-5,00;B;"));
    EXPECT_TRUE(ui.saw(QStringLiteral("Betrag darf nicht negativ sein!")));
    EXPECT_EQ(fb->books().stapel.recordCount(), rows);
    EXPECT_FALSE(book("05.03.%Y;7;4930;4930;Gleich;5,00;B;"));
    EXPECT_TRUE(ui.saw(QStringLiteral("Soll- und Habenkonto sind gleich")));
}

TEST_F(Books, RateAndDirectionQuestions) {
    // A rate other than the accounts' rate asks; Yes stores, No keeps the row unstored.
    ui.answers = {Btn::No};
    EXPECT_FALSE(book("05.03.%Y;1;4930;1200;Papier;119,00;B;7"));
    ASSERT_EQ(ui.questions.size(), 1u);
    EXPECT_EQ(ui.questions[0].text,
              QStringLiteral("Steuersatz ungleich Kontensteuersatz! \rTrotzdem buchen?"));
    EXPECT_EQ(saldo(4930), Money());
    ui.answers = {Btn::Yes};
    EXPECT_TRUE(book("05.03.%Y;1;4930;1200;Papier;119,00;B;7"));
    EXPECT_EQ(saldo(4930), Money::fromCents(11121)) << "119 / 1.07 = 111.21";

    // Two accounts with the same non-zero rate: any rate, no question.
    ui.clear();
    EXPECT_TRUE(book("05.03.%Y;2;3400;8400;Umbuchung;10,00;B;7"));
    EXPECT_TRUE(ui.questions.empty());

    // A revenue account on the debit side: the direction warning, unless the text says Storno.
    ui.clear();
    ui.answers = {Btn::Yes};
    EXPECT_TRUE(book("05.03.%Y;3;8400;1200;Gutschrift;119,00;B;"));
    ASSERT_EQ(ui.questions.size(), 1u);
    EXPECT_EQ(ui.questions[0].text,
              QStringLiteral("Erlöskonto im Soll oder Kostenkonto im Haben!\rTrotzdem buchen?"));
    ui.clear();
    EXPECT_TRUE(book("05.03.%Y;4;8400;1200;Storno Rechnung 3;119,00;B;"));
    EXPECT_TRUE(ui.questions.empty());
}

TEST_F(Books, AccountSearchAndRateDerivation) {
    ui.answers = {Btn::Yes, Btn::Yes, Btn::Yes};
    ASSERT_TRUE(book("05.03.%Y;1;12;ka;Nummer und Name;10,00;B;"));
    Table &b = fb->books().stapel;
    b.last();
    EXPECT_EQ(b.asInt(QStringLiteral("Soll")), 12);
    EXPECT_EQ(b.asInt(QStringLiteral("Haben")), 1000)
        << "first name in name order that starts with Ka";
    EXPECT_FALSE(book("05.03.%Y;2;zz;1200;Nichts;10,00;B;"));
    EXPECT_TRUE(ui.saw(QStringLiteral("zz nicht gefunden")));
    EXPECT_FALSE(book("05.03.%Y;2;4930;99;Nichts;10,00;B;"));
    EXPECT_TRUE(ui.saw(QStringLiteral("99 nicht gefunden")));
    ASSERT_TRUE(book("05.03.%Y;2;bür;bank;Umlaut klein;10,00;B;"));
    b.last();
    EXPECT_EQ(b.asInt(QStringLiteral("Soll")), 4930) << "typed umlauts ignore case as well";
    EXPECT_EQ(b.asDouble(QStringLiteral("Steuersatz")), 19.0)
        << "cost to bank: the cost account's rate";
    ASSERT_TRUE(book("05.03.%Y;3;1200;1300;Bank an Bank;10,00;B;"));
    b.last();
    EXPECT_EQ(b.asDouble(QStringLiteral("Steuersatz")), 0.0);
    ASSERT_TRUE(book("05.03.%Y;4;4930;8400;Kosten an Erlös;10,00;B;"));
    b.last();
    EXPECT_EQ(b.asDouble(QStringLiteral("Steuersatz")), 0.0);
    ASSERT_TRUE(book("05.03.%Y;5;1200;8300;Bank an Erlös 7;10,70;B;"));
    b.last();
    EXPECT_EQ(b.asDouble(QStringLiteral("Steuersatz")), 7.0);
}

TEST_F(Books, PrefillNumbersAndDates) {
    autoNumberCounter(fx.base, 500);
    fb->books().settings.belegnr = QStringLiteral("40");
    ASSERT_TRUE(book("05.03.%Y;40;1200;8300;Erste;10,70;B;"));
    Table &b = fb->books().stapel;
    b.last();
    EXPECT_EQ(b.asInt(QStringLiteral("Autonummer")), 500) << "not below the stored counter";
    // A new row copies date, accounts and text of the last one and takes the next voucher.
    e().newRow();
    EXPECT_EQ(b.asDate(QStringLiteral("Belegdatum")), QDate(QDate::currentDate().year(), 3, 5));
    EXPECT_EQ(b.asInt(QStringLiteral("Soll")), 1200);
    EXPECT_EQ(b.asString(QStringLiteral("Buchungstext")), QStringLiteral("Erste"));
    EXPECT_EQ(b.asInt(QStringLiteral("Belegnummer")), 41);
    EXPECT_EQ(b.asInt(QStringLiteral("Autonummer")), 501);
    EXPECT_DOUBLE_EQ(b.asDouble(QStringLiteral("Steuersatz")), 7.0)
        << "the credit account's exit ran";
    e().cancelRow();
    ASSERT_TRUE(book("05.03.%Y;12000;4930;1200;Hoch;10,00;B;"));
    e().newRow();
    EXPECT_EQ(b.asInt(QStringLiteral("Belegnummer")), 41) << "numbers from 10000 do not count";
    e().cancelRow();
    // A year after the current one moves into the current year.
    ASSERT_TRUE(book(QStringLiteral("06.03.%1;42;4930;1200;Zukunft;10,00;B;")
                         .arg(QDate::currentDate().year() + 1)));
    b.last();
    EXPECT_EQ(b.asDate(QStringLiteral("Belegdatum")).year(), QDate::currentDate().year());
    EXPECT_FALSE(book("06.03.2001;43;4930;1200;Alt;10,00;B;"));
    EXPECT_TRUE(ui.saw(QStringLiteral("Datum außerhalb des Buchungsbereiches!")));
}

TEST_F(Books, ExistingVoucherNumberAsks) {
    ASSERT_TRUE(book("05.03.%Y;7;4930;1200;Eins;10,00;B;"));
    ui.answers = {Btn::Yes};
    e().transferStapel();
    ui.clear();
    ui.answers = {Btn::No};
    EXPECT_FALSE(book("05.03.%Y;7;4930;1200;Zwei;10,00;B;"));
    ASSERT_FALSE(ui.questions.empty());
    EXPECT_EQ(ui.questions[0].text,
              QStringLiteral("Belegnummer schon vorhanden.\rTrotzdem buchen ?"));
    ui.answers = {Btn::Yes};
    EXPECT_TRUE(book("05.03.%Y;7;4930;1200;Zwei;10,00;B;"));
}

namespace {
// Stands in for the open-items plug-in where the entry asks it for numbers and tells it of
// deleted rows.
struct FakeOpenItems : OpenItemsDouble {
    int lastOp = 900;
    QList<int> deleted, booked;
    int ended = 0;
    // The module's files, attached to the transactions that reach it.
    OffenePostenDateien dateien;
    OffenePostenDateien files() override { return dateien; }
    void removeStapel(SqlConnection, int nr) override { deleted << nr; }
    QStringList book(SqlConnection, int nr, qint64, bool, const QString &) override {
        booked << nr;
        return {};
    }
    void bookingCommitted(const QStringList &, bool complete) override { ended += complete; }
    int lastNumber() override { return lastOp; }
};
} // namespace

TEST_F(Books, OpenItemsModuleNumbersAndHearsOfRows) {
    FakeOpenItems op;
    op.dateien = {fx.base + QStringLiteral("/Stapel.db"), fx.base + QStringLiteral("/OP.db")};
    fb->setOpenItemsForTest(&op);
    ASSERT_TRUE(book("05.03.%Y;1;4930;1200;Papier;119,00;B;"));
    Table &b = fb->books().stapel;
    b.last();
    EXPECT_EQ(b.asInt(QStringLiteral("Autonummer")), 901) << "above the highest open item";
    ASSERT_TRUE(book("05.03.%Y;2;4930;1200;Papier;119,00;B;"));
    b.last();
    e().deleteRow();
    EXPECT_EQ(op.deleted, QList<int>{902});
    ui.answers = {Btn::Yes};
    e().transferStapel();
    EXPECT_EQ(op.booked, QList<int>{901});
    EXPECT_EQ(op.ended, 1);
    fb->setOpenItemsForTest(nullptr);
}

} // namespace ledra
