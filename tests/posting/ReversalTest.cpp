// Reversal, splitting and booking templates.

#include "PostingFixture.h"

#include "posting/StornoRules.h"
#include "store/Table.h"
namespace ledra {

TEST_F(Books, ReversalSwapsAccountsKeepsAmountsAndPicksTheChosenRow) {
    ASSERT_TRUE(book("05.03.%Y;7;4930;1200;Papier;119,00;B;"));
    ASSERT_TRUE(book("06.03.%Y;8;3400;1600;Ware;238,00;B;"));
    ui.answers = {Btn::Yes};
    e().transferStapel();
    Table &j = fb->books().journal;
    // A third journal row whose voucher number equals the first row's booking number.
    j.first();
    const qint64 firstNr = j.asInt(QStringLiteral("Autonummer"));
    ui.answers = {Btn::Yes};
    ASSERT_TRUE(book(QStringLiteral("07.03.%Y;%1;1000;8400;Verkauf;10,00;B;").arg(firstNr)));
    ui.answers = {Btn::Yes};
    e().transferStapel();
    ASSERT_TRUE(book("08.03.%Y;20;1000;8300;Im Stapel;10,70;B;")); // the batch already holds a row
    const auto before = totals();

    StornoRules &d = fb->reversalDialog();
    d.open();
    EXPECT_EQ(j.orderFields(), QStringList{QStringLiteral("Belegnummer")});
    ASSERT_TRUE(j.locate(QStringLiteral("Autonummer"), firstNr));
    EXPECT_TRUE(d.reverseCurrentAndClose());
    EXPECT_FALSE(d.visible());
    EXPECT_TRUE(j.orderFields() == QStringList{QStringLiteral("Autonummer")})
        << "back in booking order";
    Table &b = fb->books().stapel;
    b.last();
    EXPECT_EQ(b.asString(QStringLiteral("Buchungstext")), QStringLiteral("Storno"));
    EXPECT_EQ(b.asInt(QStringLiteral("Soll")), 1200);
    EXPECT_EQ(b.asInt(QStringLiteral("Haben")), 4930);
    EXPECT_EQ(b.asMoney(QStringLiteral("Brutto")), Money::fromCents(11900));
    EXPECT_EQ(b.asMoney(QStringLiteral("Netto")), Money::fromCents(10000));
    EXPECT_EQ(b.asMoney(QStringLiteral("Steuer")), Money::fromCents(1900));
    EXPECT_DOUBLE_EQ(b.asDouble(QStringLiteral("Steuersatz")), 19.0);
    EXPECT_EQ(b.asInt(QStringLiteral("Belegnummer")), 7);
    // The reversal took the booking out of the balances again.
    auto after = totals();
    EXPECT_EQ(after[4930][0], before.at(4930)[0] - 1000000);
    EXPECT_EQ(after[1576][0], before.at(1576)[0] - 190000);
}

TEST_F(Books, ReversingADueTaxPaymentWarnsAndCancelKeepsTheBatch) {
    fb->books().settings.istSteuer = true;
    ASSERT_TRUE(book("06.03.%Y;3;1200;1400;Zahlung Meier;119,00;B;"));
    ui.answers = {Btn::Yes};
    e().transferStapel();
    fb->books().journal.first();
    const qint64 nr = fb->books().journal.asInt(QStringLiteral("Autonummer"));
    ui.clear();
    ui.answers = {Btn::Cancel};
    EXPECT_FALSE(fb->reversalDialog().reverseBooking(nr));
    ASSERT_EQ(ui.questions.size(), 1u);
    EXPECT_TRUE(ui.questions[0].text.startsWith(
        QStringLiteral("Vorsicht! Sie stornieren einen Forderungsausgleich")));
    EXPECT_TRUE(fb->books().stapel.isEmpty());
    ui.answers = {Btn::Yes, Btn::Yes};
    EXPECT_TRUE(fb->reversalDialog().reverseBooking(nr));
    Table &b = fb->books().stapel;
    b.last();
    EXPECT_DOUBLE_EQ(b.asDouble(QStringLiteral("Satzfaellig")), 19.0);
    EXPECT_EQ(b.asMoney(QStringLiteral("Stfaellig")), Money::fromCents(1900))
        << "a Storno keeps its due tax";
}

TEST_F(Books, SplittingAccountIsCreatedOnceAndBlocksTheTransfer) {
    fx.addAccount(1370, QStringLiteral("Belegt"), 9, 0);
    fb->books().konten.refresh();
    // F4 in the wrong place.
    putSplittingAccount(fb->books(), fb->entry());
    EXPECT_TRUE(ui.saw(QStringLiteral(
        "- neuen Buchungssatz anlegen\r- bis zum Soll- oder Habenkonto gehen\r- erst dann F4 "
        "drücken!")));
    e().newRow();
    e().setFocus(QStringLiteral("Soll"));
    e().accountKey(QStringLiteral("Soll"), QLatin1Char('4')); // half-typed before F4
    putSplittingAccount(fb->books(), fb->entry());
    EXPECT_EQ(splittingAccountNumber(fb->books()), 1371) << "1370 is taken";
    EXPECT_EQ(fb->books().stapel.asInt(QStringLiteral("Soll")), 1371);
    e().leaveSoll();
    EXPECT_EQ(fb->books().stapel.asInt(QStringLiteral("Soll")), 1371)
        << "the typed search does not overwrite it";
    e().cancelRow();
    // A split: 300 from the bank onto the splitting account, then 100 + 200 onto costs.
    ASSERT_TRUE(book("05.03.%Y;1;1371;1200;Sammelüberweisung;300,00;B;"));
    ui.answers = {Btn::Yes};
    EXPECT_THROW(e().transferStapel(), SilentAbort);
    EXPECT_TRUE(ui.saw(QStringLiteral("Das Splittingkonto muss auf Null stehen!")));
    // The next row is prefilled with the splitting account on the other side and the same voucher.
    e().newRow();
    Table &b = fb->books().stapel;
    EXPECT_EQ(b.asInt(QStringLiteral("Haben")), 1371);
    EXPECT_TRUE(b.isNull(QStringLiteral("Soll")));
    EXPECT_EQ(b.asInt(QStringLiteral("Belegnummer")), 1);
    EXPECT_EQ(e().focused(), QStringLiteral("Soll"));
    e().cancelRow();
    ASSERT_TRUE(book("05.03.%Y;1;4210;1371;Miete;100,00;B;"));
    ASSERT_TRUE(book("05.03.%Y;1;4210;1371;Miete;200,00;B;"));
    EXPECT_TRUE(e().splittingBalance().isZero());
    e().newRow();
    e().setFocus(QStringLiteral("Haben"));
    putSplittingAccount(fb->books(), fb->entry());
    EXPECT_EQ(b.asInt(QStringLiteral("Haben")), 1371) << "reused";
    e().cancelRow();
    ui.answers = {Btn::Yes};
    EXPECT_NO_THROW(e().transferStapel());
    EXPECT_EQ(fb->books().journal.recordCount(), 3);
}

TEST_F(Books, TemplatesApplyAddDeleteAndRefuseDuplicates) {
    ASSERT_TRUE(book("05.03.%Y;1;4210;1200;Miete Büro;500,00;B;"));
    ui.answers = {Btn::No}; // without amount
    addTemplate(fb->books());
    EXPECT_EQ(fb->books().bookingTexts, QStringList{QStringLiteral("Miete Büro")});
    const QByteArray before = fx.readFile(fx.base + QStringLiteral("/Favoriten.db"));
    ui.answers = {Btn::Yes};
    addTemplate(fb->books());
    EXPECT_TRUE(ui.saw(QStringLiteral("Favorit \"Miete Büro\" ist schon vorhanden.")));
    EXPECT_EQ(fb->books().favoriten.recordCount(), 1);
    EXPECT_EQ(fx.readFile(fx.base + QStringLiteral("/Favoriten.db")), before)
        << "the table is unchanged";

    // Choosing the text in a new row fills accounts and amount (0 without an amount).
    e().newRow();
    Table &b = fb->books().stapel;
    b.setValue(QStringLiteral("Soll"), 1000);
    b.setValue(QStringLiteral("Buchungstext"), QStringLiteral("Miete Büro"));
    applyTemplate(fb->books(), fb->entry());
    EXPECT_EQ(b.asInt(QStringLiteral("Soll")), 4210);
    EXPECT_EQ(b.asInt(QStringLiteral("Haben")), 1200);
    EXPECT_EQ(b.asMoney(QStringLiteral("Brutto")), Money());
    EXPECT_TRUE(fb->controls.favDelEnabled);
    EXPECT_FALSE(fb->controls.favAddEnabled);
    // A text without a template stays free text.
    b.setValue(QStringLiteral("Buchungstext"), QStringLiteral("miete büro"));
    b.setValue(QStringLiteral("Soll"), 1000);
    applyTemplate(fb->books(), fb->entry());
    EXPECT_EQ(b.asInt(QStringLiteral("Soll")), 1000) << "the search is case-sensitive";
    deleteTemplate(fb->books());
    EXPECT_TRUE(ui.saw(QStringLiteral("Favorit \"miete büro\" exstiert nicht")));
    b.setValue(QStringLiteral("Buchungstext"), QStringLiteral("Miete Büro"));
    ui.answers = {Btn::Yes};
    deleteTemplate(fb->books());
    EXPECT_TRUE(fb->books().bookingTexts.isEmpty());
    EXPECT_EQ(fb->books().favoriten.recordCount(), 0);
    e().cancelRow();
}

namespace {
// The running balance of every account (the turnovers grow with a reversal as well).
std::map<qint64, qint64> saldi(const std::map<qint64, QList<qint64>> &totals) {
    std::map<qint64, qint64> m;
    for (const auto &[nr, t] : totals)
        m[nr] = t[0];
    return m;
}
} // namespace

TEST_F(Books, SplittingAccountIsFoundByNameInAnyCase) {
    fx.addAccount(1370, QStringLiteral("Splitting"), 9, 0);
    fb->books().konten.refresh();
    ASSERT_TRUE(book("05.03.%Y;1;1370;1200;Sammelüberweisung;100,00;B;"));
    // The prefill offers the splitting account on the other side and keeps the voucher.
    e().newRow();
    Table &b = fb->books().stapel;
    EXPECT_EQ(b.asInt(QStringLiteral("Haben")), 1370);
    EXPECT_TRUE(b.isNull(QStringLiteral("Soll")));
    EXPECT_EQ(b.asInt(QStringLiteral("Belegnummer")), 1);
    // F4 takes it too instead of creating a second one.
    e().setFocus(QStringLiteral("Soll"));
    putSplittingAccount(fb->books(), fb->entry());
    EXPECT_EQ(b.asInt(QStringLiteral("Soll")), 1370);
    e().cancelRow();
    ASSERT_TRUE(book("05.03.%Y;1;4210;1370;Miete;40,00;B;"));
    EXPECT_EQ(e().splittingBalance(), Money::fromCents(6000));
    ui.answers = {Btn::Yes};
    EXPECT_THROW(e().transferStapel(), SilentAbort) << "60,00 are not split yet";
    EXPECT_TRUE(ui.saw(QStringLiteral("Das Splittingkonto muss auf Null stehen!")));
    EXPECT_EQ(fb->books().journal.recordCount(), 0);
}

TEST_F(Books, AReversalInNetModeReproducesTheOriginalToTheCent) {
    const auto before = totals();
    // 0,03 gross at 19 % is 0,03 net, and 0,03 net is 0,04 gross.
    ASSERT_TRUE(book("05.03.%Y;1;4930;1200;Cent;0,03;B;"));
    ui.answers = {Btn::Yes};
    e().transferStapel();
    e().chooseNet();
    fb->books().journal.first();
    ASSERT_TRUE(fb->reversalDialog().reverseBooking(
        fb->books().journal.asInt(QStringLiteral("Autonummer"))));
    Table &b = fb->books().stapel;
    b.last();
    EXPECT_EQ(b.asMoney(QStringLiteral("Brutto")), Money::fromCents(3));
    EXPECT_EQ(b.asMoney(QStringLiteral("Netto")), Money::fromCents(3));
    EXPECT_EQ(saldi(totals()), saldi(before)) << "the reversal cancels its original";
    EXPECT_FALSE(e().grossMode) << "the person's mode is back";
}

TEST_F(Books, AReversalIsDatedInTheBookingPeriodAndCancelsAcrossTheEuroDay) {
    // A fiscal year from July 2001 to June 2002: today lies outside it, and its bookings
    // are converted by their dates.
    fx.writeFile(fx.base + QStringLiteral("/LEDRA.INI"),
                 "[Konten]\nVorsteuer=1576\nMwst=1776\n[BZR]\nVon=01.07.2001\nBis=30.06.2002\n");
    start();
    const auto before = totals();
    ASSERT_TRUE(book("15.12.2001;1;4930;1200;Euro 2001;119,00;B;"));
    ui.answers = {Btn::Yes};
    e().transferStapel();
    ASSERT_TRUE(fb->books().stapel.isEmpty());
    fb->books().journal.first();
    ASSERT_TRUE(fb->reversalDialog().reverseBooking(
        fb->books().journal.asInt(QStringLiteral("Autonummer"))));
    Table &b = fb->books().stapel;
    b.last();
    EXPECT_EQ(b.asDate(QStringLiteral("Belegdatum")), QDate(2001, 12, 15));
    EXPECT_EQ(saldi(totals()), saldi(before));

    // A batch row of 2002 would prefill a date on the other side of the euro day.
    ASSERT_TRUE(book("10.01.2002;2;4930;1200;Euro 2002;10,00;B;"));
    fb->books().journal.first();
    ASSERT_TRUE(fb->reversalDialog().reverseBooking(
        fb->books().journal.asInt(QStringLiteral("Autonummer"))));
    b.last();
    EXPECT_EQ(b.asDate(QStringLiteral("Belegdatum")), QDate(2001, 12, 15));
}

} // namespace ledra
