// Figures that must mean what their labels say, each checked on the page model against the
// hand-worked year of FiguresFixture: the trial balances' class sums and balance at the range
// end, the opening line and closing balance of an account sheet and the cash book, the signs
// and balances of the profit-and-loss overview, the balance sheet with the year's result,
// cumulative columns that stop at the range end, the opening balances after the year change,
// and the cash-basis VAT return.

#include "FiguresFixture.h"

#include "accounts/Jahreswechsel.h"
#include "accounts/Versteuerung.h"
#include "reports/BilanzReport.h"
#include "reports/BwaReport.h"
#include "reports/GuvReport.h"
#include "reports/KontenblattReport.h"
#include "reports/ReportConventions.h"
#include "reports/SaldenlisteQuerReport.h"
#include "reports/SaldenlisteReport.h"
#include "reports/UstVaReport.h"
#include "store/Sql.h"
#include "store/Table.h"

namespace ledra {

using fig::eur;
using fig::sh;
using ledra::report::BandKind;
using ledra::report::PageModel;

// Texts compared as UTF-8, so that a failure shows them readably.
#define EXPECT_QEQ(a, b) EXPECT_EQ(QString(a).toStdString(), QString(b).toStdString())

namespace {

// The cells of a printed band from left to right, a blank amount as an empty cell
// ("1400|Kunde Meier|535,00 €||...").
QString cellsOf(const ledra::report::BandInstance &b) {
    std::vector<std::pair<double, QString>> cells;
    for (const auto &t : b.texts)
        cells.emplace_back(t.rect.x(), t.text);
    for (const QRectF &r : b.emptyCells)
        cells.emplace_back(r.x(), QString());
    std::stable_sort(cells.begin(), cells.end(),
                     [](const auto &x, const auto &y) { return x.first < y.first; });
    QStringList out;
    for (const auto &c : cells)
        out << c.second;
    return out.join(QLatin1Char('|'));
}

// The printed line of a kind that starts with `start` ("1200|Bank|..."), or "" when there is
// none.
QString lineOf(const PageModel &m, BandKind kind, const QString &start) {
    for (const auto &page : m.pages)
        for (const auto &band : page.bands)
            if (band.kind == kind) {
                const QString line = cellsOf(band);
                if (line.startsWith(start + QLatin1Char('|')) || line == start)
                    return line;
            }
    return {};
}

QString accountLine(const PageModel &m, int konto) {
    return lineOf(m, BandKind::Detail, QString::number(konto));
}

// Columns 2 to 4 of a trial-balance line: Vortrag, movement and balance at the range end.
QString middle(const QString &line) {
    return line.split(QLatin1Char('|')).mid(2, 3).join(QLatin1Char('|'));
}

// Every band of a kind, and the child bands, in printing order ("a|b").
QString bandsOf(const PageModel &m, std::initializer_list<BandKind> kinds) {
    QStringList all;
    for (const auto &page : m.pages)
        for (const auto &b : page.bands)
            if (std::find(kinds.begin(), kinds.end(), b.kind) != kinds.end()) {
                QStringList t;
                for (const auto &item : b.texts)
                    t << item.text;
                all << t.join('|');
            }
    return all.join('\n');
}

} // namespace

TEST_F(FigureBooks, FixtureBalancesMatchHandWorkedFigures) {
    const std::pair<int, qint64> expected[] = {{880, fig::kKapital},
                                               {1000, fig::kKasse},
                                               {1200, fig::kBank},
                                               {1400, fig::kMeier},
                                               {1576, fig::kVorsteuer},
                                               {1600, fig::kSchulz},
                                               {1776, fig::kUst},
                                               {1800, fig::kPrivat},
                                               {3400, fig::kWareneingang},
                                               {4210, fig::kMiete},
                                               {4930, fig::kBuero},
                                               {8300, fig::kErloese7},
                                               {8400, fig::kErloese19},
                                               {1300, 0},
                                               {12, 0}};
    for (const auto &[konto, cents] : expected)
        EXPECT_EQ(saldoCents(konto), cents) << konto;
}

// A range in the middle of the year: Endsaldo is the balance at the range end (Vortrag plus
// movement) in the lines, the class sums and the total; the class footer names the class.
TEST_F(FigureBooks, TrialBalanceEndsWithTheBalanceAtTheRangeEnd) {
    okAtOnce();
    range(d(1, 3), d(31, 3));
    reports::printSaldenliste(*ctx);
    const PageModel &m = viewer.models.at(0);
    EXPECT_QEQ(middle(accountLine(m, 1200)), eur(fig::kBankFeb) + "|" +
                                                 eur(fig::kBankMar - fig::kBankFeb) + "|" +
                                                 eur(fig::kBankMar));
    // Paid and refunded: the receivable stands at 0 at the end of March (blank).
    EXPECT_QEQ(middle(accountLine(m, 1400)),
               eur(fig::kMeierFeb) + "|" + eur(-fig::kMeierFeb) + "|");
    // Class sums: Vortrag, movement, balance at the end of March.
    const QStringList footers = bandTexts(m, BandKind::GroupFooter);
    EXPECT_TRUE(footers.contains("Summe Klasse 1|" + eur(fig::kClass1Feb) + "|" +
                                 eur(fig::kClass1Mar - fig::kClass1Feb) + "|" +
                                 eur(fig::kClass1Mar) + "|" + eur(fig::kClass1Mar)))
        << footers.join('\n').toStdString();
    EXPECT_TRUE(footers.value(0).startsWith("Summe Klasse 0|" + eur(fig::kOpenKapital) +
                                            "|0,00 €|" + eur(fig::kOpenKapital)))
        << footers.value(0).toStdString();
    const QStringList summary = bandTexts(m, BandKind::Summary);
    ASSERT_EQ(summary.size(), 1);
    EXPECT_TRUE(summary[0].startsWith("Saldenbilanz|0,00 €|0,00 €|0,00 €"))
        << summary[0].toStdString();
}

// "nur bebuchte Konten" leaves out the accounts without an opening value or a booking, in
// both trial balances' dialog and in the balance sheet with accounts.
TEST_F(FigureBooks, OnlyBookedAccounts) {
    okAtOnce();
    reports::printSaldenliste(*ctx);
    EXPECT_TRUE(dlg->nurBebuchteVisible == false) << "the option is shown for trial balances only";
    EXPECT_QEQ(accountLine(viewer.models.at(0), 1300), "1300|Sparkasse||||");
    bool shown = false;
    dlg->showModal = [this, &shown] {
        shown = dlg->nurBebuchteVisible;
        dlg->nurBebuchte = true;
        return dlg->confirmRange();
    };
    reports::printSaldenliste(*ctx);
    EXPECT_TRUE(shown);
    const PageModel &m = viewer.models.at(1);
    EXPECT_QEQ(accountLine(m, 1300), QString());
    EXPECT_QEQ(accountLine(m, 12), QString());
    EXPECT_FALSE(accountLine(m, 1200).isEmpty());
    // Account 12 was the only one of class 0 besides 880, which is listed.
    EXPECT_EQ(bandTexts(m, BandKind::GroupFooter).size(), 5);

    ui.answers = {Btn::Yes, Btn::Yes}; // with accounts, only booked ones
    reports::printBilanzOverview(*ctx);
    ASSERT_EQ(ui.questions.size(), 2u);
    EXPECT_QEQ(ui.questions[1].text, "Nur bebuchte Konten drucken?");
    const PageModel &sheet = viewer.models.at(2);
    EXPECT_QEQ(lineOf(sheet, BandKind::SubDetail, QStringLiteral("1300")), QString());
    EXPECT_FALSE(lineOf(sheet, BandKind::SubDetail, QStringLiteral("1200")).isEmpty());
}

// An account sheet of March opens with the balance before March and ends with the balance
// at its end; the cash book ends with the cash in hand.
TEST_F(FigureBooks, SheetOfAMonthOpensAndEndsWithTheBalance) {
    okAtOnce();
    range(d(1, 3), d(31, 3));
    auto sheet = [this](int konto) -> const PageModel & {
        EXPECT_TRUE(fb->books().kontenGrid.locate(QStringLiteral("KtoNr"), konto));
        reports::printKontenblatt(*ctx);
        return viewer.models.back();
    };
    // Customer: 535,00 open before March; credit note 119,00, payment 535,00, refund 119,00.
    const PageModel &meier = sheet(1400);
    EXPECT_QEQ(bandTexts(meier, BandKind::CarryOver).value(0), "Anfangsstand:|535,00|0,00");
    EXPECT_QEQ(bandTexts(meier, BandKind::Summary).value(0), "Saldo:|0,00 €|654,00|654,00|€");
    // Bank: 4.390,00 before March, 714,00 paid out in it.
    EXPECT_QEQ(bandTexts(sheet(1200), BandKind::Summary).value(0),
               "Saldo:|" + eur(fig::kBankMar) + "|4390,00|714,00|€");
    // Cash: 688,00 before March, 535,00 in, 59,50 out: 1.163,50 in hand.
    const PageModel &cash = sheet(1000);
    EXPECT_QEQ(bandTexts(cash, BandKind::CarryOver).value(0), "Anfangsstand:|688,00");
    EXPECT_QEQ(bandTexts(cash, BandKind::Summary).value(0),
               "Saldo:|" + eur(fig::kKasseMar) + "|535,00|€|59,50|€");
    // From the period's first day the opening values open the sheet, as before.
    range(d(1, 1), d(31, 3));
    EXPECT_QEQ(bandTexts(sheet(1200), BandKind::CarryOver).value(0), "Anfangsstand:|5000,00|0,00");
    EXPECT_QEQ(bandTexts(viewer.models.back(), BandKind::Summary).value(0),
               "Saldo:|" + eur(fig::kBankMar) + "|6190,00|2514,00|€");
}

// March holds only a credit note on the revenue side: its line is negative and the lines add
// up to the result; money, receivables and payables show their balances at the end of March.
TEST_F(FigureBooks, OverviewOfAMonthWithACreditNote) {
    okAtOnce();
    range(d(1, 3), d(31, 3));
    reports::printGuv(*ctx);
    EXPECT_QEQ(bandsOf(viewer.models.at(0), {BandKind::GroupFooter, BandKind::Child}),
               QStringList({"Kosten|" + eur(fig::kKostenMarch), "Wareneingang|0,00 €",
                            "Fremdleistg.|0,00 €", "Erlöse|" + eur(-fig::kErloeseMarch),
                            "Gewinn/Verlust:|" + eur(-fig::kKostenMarch - fig::kErloeseMarch),
                            "Bank|" + eur(fig::kBankMar), "Kasse|" + eur(fig::kKasseMar),
                            "Geldvermögen:|" + eur(fig::kBankMar + fig::kKasseMar), "Privat|0,00 €",
                            "Debitor|0,00 €", "Kreditor|0,00 €"})
                   .join('\n'));
    // The whole year: revenue and payables print positive, receivables as they stand.
    viewer.models.clear();
    range(d(1, 1), d(31, 12));
    reports::printGuv(*ctx);
    const QString year = bandsOf(viewer.models.at(0), {BandKind::GroupFooter, BandKind::Child});
    EXPECT_TRUE(year.contains("Erlöse|" + eur(-(fig::kErloese7 + fig::kErloese19)) + "\n" +
                              "Gewinn/Verlust:|" + eur(fig::kGewinn)))
        << year.toStdString();
    EXPECT_TRUE(year.contains("Debitor|" + eur(fig::kMeier) + "\nKreditor|0,00 €\nDifferenz:|" +
                              eur(fig::kMeier)))
        << year.toStdString();
}

// The balance sheet balances with the year's profit under its equity section; an account
// left out of the outline shows as a difference.
TEST_F(FigureBooks, BalanceSheetBalancesWithTheYearsResult) {
    reports::printBilanz(*ctx, true);
    const PageModel &m = viewer.models.at(0);
    const QString footers = bandsOf(m, {BandKind::GroupFooter});
    EXPECT_TRUE(footers.contains("Summe AKTIVA|" + sh(fig::kAktiva))) << footers.toStdString();
    EXPECT_TRUE(footers.contains("Summe PASSIVA|" + sh(fig::kPassiva))) << footers.toStdString();
    EXPECT_QEQ(lineOf(m, BandKind::SubDetail, QStringLiteral("Jahresüberschuss")),
               "Jahresüberschuss|" + sh(-fig::kGewinn));
    EXPECT_TRUE(footers.contains("V. Jahresüberschuss/Jahresfehlbetrag|" + sh(-fig::kGewinn)));
    EXPECT_TRUE(bandTexts(m, BandKind::Summary).isEmpty()) << "no difference";

    // Without accounts the result still counts; the input tax left unassigned is missing on
    // the assets side by 142,50.
    Table &k = fb->books().konten;
    execute(k, QStringLiteral("UPDATE %1 SET Bilanz = 0 WHERE KtoNr = 1576").arg(quotedName(k)));
    k.refresh();
    reports::printBilanz(*ctx, false);
    const PageModel &without = viewer.models.at(1);
    EXPECT_TRUE(
        bandsOf(without, {BandKind::GroupFooter}).contains("Summe PASSIVA|" + sh(fig::kPassiva)));
    EXPECT_QEQ(bandTexts(without, BandKind::Summary).join('\n'),
               "Differenz|" + sh(-fig::kVorsteuer));
    // A loss reads "Jahresfehlbetrag".
    execute(k,
            QStringLiteral("UPDATE %1 SET Saldo = Saldo + ? WHERE KtoNr = 4210").arg(quotedName(k)),
            {(fig::kGewinn + 10000) * 100});
    k.refresh();
    reports::printBilanz(*ctx, true);
    EXPECT_QEQ(lineOf(viewer.models.at(2), BandKind::SubDetail, QStringLiteral("Jahresfehlbetrag")),
               "Jahresfehlbetrag|" + sh(10000));
}

// An interim evaluation's cumulative columns run from the period's start to the range end and
// read the journal only: a later booking and a row still in the batch are in no column.
TEST_F(FigureBooks, CumulativeColumnsStopAtTheRangeEnd) {
    okAtOnce();
    // A row left in the batch: more rent in March.
    ASSERT_TRUE(book(QStringLiteral("31.03.%Y;17;4210;1200;Miete Nachtrag;100,00;B;")));
    range(d(1, 3), d(31, 3));
    reports::printSaldenliste(*ctx);
    EXPECT_QEQ(accountLine(viewer.models.at(0), 1200).section('|', 5), eur(fig::kBankMar));
    EXPECT_QEQ(accountLine(viewer.models.at(0), 4210).section('|', 2),
               eur(80000) + "||" + eur(80000) + "|" + eur(80000))
        << "Vortrag, no movement, Endsaldo and Jahressaldo without the batch row";

    reports::printSaldenlisteQuer(*ctx);
    // Bank up to March: debits 1.190,00, credits 800,00 + 1.000,00 + 119,00 + 595,00.
    EXPECT_TRUE(accountLine(viewer.models.at(1), 1200)
                    .endsWith(eur(119000) + "|" + eur(251400) + "|" + eur(fig::kBankMar)))
        << accountLine(viewer.models.at(1), 1200).toStdString();

    // A BWA of the first quarter: revenue 1.200,00 - 100,00 + 500,00, costs 800,00 + 50,00
    // + 500,00; the year column holds the same (the quarter starts the year).
    range(d(1, 1), d(31, 3));
    ctx->filter.mitKonten = true;
    reports::printBwa(*ctx);
    const QStringList total = bandTexts(viewer.models.at(2), BandKind::Summary);
    ASSERT_EQ(total.size(), 1);
    const QString profit = reports::currencyFormat(25000 * 100, QStringLiteral("€"));
    EXPECT_QEQ(total[0], "Ergebnis|" + profit + "|Gewinn|" + profit + "|Gewinn");
}

// After the year change the opening balances balance: the profit and the private account
// went into the capital account, the VAT accounts carry.
TEST_F(FigureBooks, YearChangeOpensTheNewYearBalanced) {
    fb->books().settings.kapital = QStringLiteral("0880");
    ui.answers = {Btn::Yes};
    runJahreswechsel(fb->books(), d(10, 1).addYears(1));
    ASSERT_EQ(fb->books().journal.recordCount(), 0);
    auto opening = [this](int konto) {
        return (field(konto, "Soll") - field(konto, "Haben")).units() / 100;
    };
    EXPECT_EQ(opening(880), fig::kNewKapital);
    EXPECT_EQ(opening(1776), fig::kUst);
    EXPECT_EQ(opening(1576), fig::kVorsteuer);
    EXPECT_EQ(opening(1800), 0);
    EXPECT_EQ(opening(8400), 0);
    // The trial balance of the new year, with a first booking: its opening column sums to 0.
    const int next = d(1, 1).year() + 1;
    journal(1, QDate(next, 1, 5), QStringLiteral("Bareinzahlung"), 1200, 1000, "10,00", "10,00",
            "0,00", 0, 1);
    okAtOnce();
    range(QDate(next, 1, 1), QDate(next, 12, 31));
    reports::printSaldenliste(*ctx);
    EXPECT_QEQ(bandTexts(viewer.models.at(0), BandKind::Summary).value(0),
               "Saldenbilanz|0,00 €|0,00 €|0,00 €|0,00 €");
    EXPECT_QEQ(lineOf(viewer.models.at(0), BandKind::Detail, QStringLiteral("880")),
               "880|Variables Kapital|" + eur(fig::kNewKapital) + "||" + eur(fig::kNewKapital) +
                   "|" + eur(fig::kNewKapital));
}

TEST_F(FigureBooks, YearChangeNeedsTheCapitalAccount) {
    fb->books().settings.kapital = QStringLiteral("2010");
    ui.answers = {Btn::Yes};
    EXPECT_THROW(runJahreswechsel(fb->books(), d(10, 1).addYears(1)), SilentAbort);
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_TRUE(ui.messages.back().text.startsWith(
        QStringLiteral("Das Kapitalkonto 2010 fehlt im Kontenplan oder ist kein Bestandskonto.")));
    EXPECT_EQ(fb->books().journal.recordCount(), fig::kBookings) << "nothing changed";
}

// The cash-basis return of March: the 7 % invoice paid in cash is declared at 7 %, the refund
// of the credit note takes its VAT back at 19 %.
TEST_F(FigureBooks, CashBasisReturnOfAMonthWithARefund) {
    okAtOnce();
    range(d(1, 3), d(31, 3));
    reports::printUstVa(*ctx);
    const PageModel &m = viewer.models.at(0);
    const QString groups = bandsOf(m, {BandKind::GroupFooter});
    EXPECT_TRUE(groups.contains("19|(81)|" + eur(fig::kMarch19Base) + "|" + eur(fig::kMarch19Tax)))
        << groups.toStdString();
    EXPECT_TRUE(groups.contains("7|(86)|" + eur(fig::kMarch7Base) + "|" + eur(fig::kMarch7Tax)))
        << groups.toStdString();
    EXPECT_TRUE(groups.contains("0|(60)|" + eur(0) + "|" + eur(0))) << groups.toStdString();
    const QString all = pageTexts(m, 0).join('|');
    EXPECT_TRUE(all.contains("Umsatzsteuer-Vorauszahlung/Überschuß|" +
                             eur(fig::kMarch19Tax + fig::kMarch7Tax - fig::kMarchVorsteuer)))
        << all.toStdString();
}

// Posting gave the hand-entered payment of the 7 % invoice its invoice's rate and the refund
// the credit note's; a payment without an invoice takes the full rate, and the warning says so.
TEST_F(FigureBooks, HandEnteredPaymentsTakeTheRateOfTheirSale) {
    Table &j = fb->books().journal;
    auto due = [&j](const char *where) {
        const QString sql = QStringLiteral("SELECT Stfaellig, Steuersatz FROM %1 WHERE %2")
                                .arg(quotedName(j), QLatin1String(where));
        QString out;
        forEachRow(j, sql, {}, [&out](const SqlRow &r) {
            out = QStringLiteral("%1 @ %2").arg(r.int64(0) / 100).arg(r.real(1));
        });
        return out;
    };
    EXPECT_QEQ(due("Belegnummer = 4 AND Haben = 1400"), "3500 @ 7");
    EXPECT_QEQ(due("Belegnummer = 9 AND Soll = 1400"), "1900 @ 19");
    ASSERT_TRUE(book(QStringLiteral("11.05.%Y;77;1200;1400;Zahlung ohne Rechnung;107,00;B;")));
    EXPECT_TRUE(ui.saw(QStringLiteral("Fällige Steuer automatisch berechnet! (Steuersatz 19 %)")))
        << "no invoice: the full rate";
}

// The switch to the cash basis gives a payment without its invoice in the journal the due tax
// of a hand-entered one and names it; the return then never counts a receipt as tax-free.
TEST_F(FigureBooks, SwitchListsPaymentsWithoutInvoice) {
    Table &j = fb->books().journal;
    // A payment of last year's 7 % invoice, booked under the accrual basis: no due tax, no rate.
    j.appendRecord({100, d(20, 3), QStringLiteral("Zahlung Vorjahr"), 1200, 1400,
                    QStringLiteral("214,00"), QStringLiteral("214,00"), QStringLiteral("0,00"), 0.0,
                    90, QVariant(), true, QVariant()});
    okAtOnce();
    range(d(1, 3), d(31, 3));
    reports::printUstVa(*ctx);
    EXPECT_TRUE(
        bandsOf(viewer.models.at(0), {BandKind::GroupFooter}).contains("0|(60)|0,00 €|0,00 €"))
        << "a receipt is no tax-free turnover";

    ui.answers = {Btn::Yes};
    ASSERT_TRUE(switchVersteuerung(fb->books()));
    const QString date = d(20, 3).toString(QStringLiteral("dd.MM.yyyy"));
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_TRUE(ui.messages.back().text.contains("Beleg 90 vom " + date + ": 214,00 zu 19 %"))
        << ui.messages.back().text.toStdString();
    EXPECT_FALSE(ui.messages.back().text.contains("Beleg 3 ")) << "linked payments are not named";
    // 214,00 at the full rate: 34,17 due.
    EXPECT_EQ(scalar(j, QStringLiteral("SELECT Stfaellig FROM %1 WHERE Autonummer = 100")
                            .arg(quotedName(j))),
              3417 * 100);
    // The refund keeps its 19,00 due at 19 %, the 7 % payment its 35,00.
    EXPECT_EQ(scalar(j, QStringLiteral("SELECT Stfaellig FROM %1 WHERE Belegnummer = 9 AND "
                                       "Soll = 1400")
                            .arg(quotedName(j))),
              1900 * 100);
    EXPECT_EQ(scalar(j, QStringLiteral("SELECT Stfaellig FROM %1 WHERE Belegnummer = 4 AND "
                                       "Haben = 1400")
                            .arg(quotedName(j))),
              3500 * 100);
}

} // namespace ledra
