// Trial balances on the page model: class footers and their labels, blank zeros, the
// extended form's print condition and class count; both on the year fixture against the
// hand-worked figures. Also the fixture's own balances.

#include "YearFixture.h"

#include "books/SaldenRecompute.h"
#include "reports/ReportConventions.h"
#include "reports/SaldenlisteQuerReport.h"
#include "reports/SaldenlisteReport.h"
#include "store/Table.h"
namespace ledra {

using ledra::report::BandKind;

// Texts compared as UTF-8, so that a failure shows them readably.
#define EXPECT_QEQ(a, b) EXPECT_EQ(QString(a).toStdString(), QString(b).toStdString())
using ledra::report::PageModel;

namespace {

QString eur(qint64 cents) {
    return reports::currencyFormat(cents * 100, QStringLiteral("€"));
}

// The printed detail line of an account ("1200|Bank|..."), or "" when it is not listed.
QString lineOf(const PageModel &m, int konto) {
    for (const QString &line : bandTexts(m, BandKind::Detail))
        if (line.startsWith(QString::number(konto) + QLatin1Char('|')))
            return line;
    return {};
}

} // namespace

// The fixture's postings give the hand-worked balances, and a full recomputation from the
// journal agrees with the running update.
TEST_F(YearBooks, FixtureBalancesMatchHandWorkedFigures) {
    const std::pair<int, qint64> expected[] = {
        {12, 0},
        {880, year::kKapital},
        {1000, year::kKasse},
        {1200, year::kBank},
        {1300, 0},
        {1400, year::kMeier},
        {1576, year::kVorsteuer},
        {1600, year::kSchulz},
        {1776, year::kUst},
        {1800, year::kPrivat},
        {3120, year::kFremd13b},
        {3400, year::kWareneingang},
        {4210, year::kMiete},
        {4930, year::kBuero},
        {8300, year::kErloese7},
        {8400, year::kErloese19},
        {8736, year::kSkonto},
    };
    for (const auto &[konto, cents] : expected)
        EXPECT_EQ(saldoCents(konto), cents) << konto;
    EXPECT_EQ(field(1200, "JVZSoll"), Money::fromCents(year::kBankSoll));
    EXPECT_EQ(field(1200, "JVZHaben"), Money::fromCents(year::kBankHaben));
    EXPECT_EQ(field(1776, "JVZSoll"), Money::fromCents(year::kUstSoll));
    const auto before = totals();
    recomputeSalden(fb->books());
    EXPECT_EQ(totals(), before);
}

TEST_F(YearBooks, TrialBalancesOfTheYear) {
    okAtOnce();
    fb->books().settings.lRand = 25;
    reports::printSaldenliste(*ctx);
    EXPECT_QEQ(dlg->caption, QStringLiteral("Saldenliste"));
    EXPECT_EQ(dlg->helpContext, 24);
    EXPECT_FALSE(dlg->mitKontenVisible);
    EXPECT_TRUE(dlg->sortChoiceVisible) << "a trial balance can be limited by any range";
    reports::printSaldenlisteQuer(*ctx);
    ASSERT_EQ(viewer.models.size(), 2u);
    EXPECT_TRUE(viewer.lastOptions.wholePage);
    const PageModel &hoch = viewer.models[0], &quer = viewer.models[1];

    // Portrait: the left-margin setting applies; one footer per class with the class label;
    // Endsaldo is Vortrag plus movement, for the whole year the year balance.
    EXPECT_EQ(hoch.pages.at(0).margins.left, 25);
    EXPECT_QEQ(
        bandTexts(hoch, BandKind::GroupFooter).join('\n'),
        (QStringList{"Summe Klasse 0|" + eur(year::kOpenKapital) + "|0,00 €|" + eur(year::kClass0) +
                         "|" + eur(year::kClass0),
                     "Summe Klasse 1|" + eur(year::kClass1Opening) + "|" + eur(year::kGewinn) +
                         "|" + eur(year::kClass1) + "|" + eur(year::kClass1),
                     "Summe Klasse 3|0,00 €|" + eur(year::kClass3) + "|" + eur(year::kClass3) +
                         "|" + eur(year::kClass3),
                     "Summe Klasse 4|0,00 €|" + eur(year::kClass4) + "|" + eur(year::kClass4) +
                         "|" + eur(year::kClass4),
                     "Summe Klasse 8|0,00 €|" + eur(year::kClass8) + "|" + eur(year::kClass8) +
                         "|" + eur(year::kClass8)})
            .join('\n'));
    EXPECT_QEQ(bandTexts(hoch, BandKind::Summary).join('\n'),
               "Saldenbilanz|0,00 €|0,00 €|0,00 €|0,00 €");
    // Accounts without any figure are listed with blank amounts.
    EXPECT_QEQ(lineOf(hoch, 1300), "1300|Sparkasse");
    EXPECT_QEQ(lineOf(hoch, 12), "12|Kurzes Konto");
    EXPECT_QEQ(lineOf(hoch, 1200), "1200|Bank|" + eur(year::kOpenBank) + "|" +
                                       eur(year::kBank - year::kOpenBank) + "|" + eur(year::kBank) +
                                       "|" + eur(year::kBank));
    EXPECT_QEQ(lineOf(hoch, 1400), "1400|Kunde Meier|" + eur(year::kMeier) + "|" +
                                       eur(year::kMeier) + "|" + eur(year::kMeier))
        << "no opening value: Vortrag is blank";

    // Extended: landscape with the design's margins; untouched accounts are left out, and
    // so is the footer of a class without any listed account.
    const auto &page = quer.pages.at(0);
    EXPECT_EQ(page.sizeMm, QSizeF(297, 210));
    EXPECT_EQ(page.margins.left, 10);
    EXPECT_EQ(page.margins.top, 20);
    EXPECT_QEQ(lineOf(quer, 1300), QString());
    EXPECT_QEQ(lineOf(quer, 12), QString());
    EXPECT_QEQ(lineOf(quer, 880),
               "880|Variables Kapital|" + eur(year::kKapital) + "|0,00 €|" + eur(year::kKapital))
        << "listed for its opening credit value";
    EXPECT_QEQ(lineOf(quer, 1776), "1776|Umsatzsteuer 19 %|" + day(10, 1).toString("dd.MM.yyyy") +
                                       "|" + eur(year::kUstSoll) + "|" + eur(year::kUstHaben) +
                                       "|" + eur(year::kUst) + "|" + eur(year::kUstSoll) + "|" +
                                       eur(year::kUstHaben) + "|" + eur(year::kUst))
        << "no opening: Vortrag blank";
    const QStringList footers = bandTexts(quer, BandKind::GroupFooter);
    ASSERT_EQ(footers.size(), 5);
    EXPECT_TRUE(footers[1].startsWith("Summe Klasse 1|" + eur(year::kClass1Opening) + "|" +
                                      eur(year::kKasseSoll + year::kBankSoll + year::kMeierSoll +
                                          year::kVorsteuer + year::kSchulzSoll + year::kUstSoll +
                                          year::kPrivat)))
        << footers[1].toStdString();
    const QString t = eur(year::kTurnover);
    EXPECT_QEQ(bandTexts(quer, BandKind::Summary).join('\n'),
               "Saldenbilanz|0,00 €|" + t + "|" + t + "|0,00 €|" + t + "|" + t + "|0,00 €");
}

// With a range that starts after the booking period, the carried-forward balance holds the
// bookings before it; with a voucher-number range only the opening value.
TEST_F(YearBooks, CarriedForwardBalanceOfALaterRange) {
    okAtOnce();
    dlg->sortByDate();
    dlg->fromText = QStringLiteral("01.04.") + year();
    reports::printSaldenliste(*ctx);
    // Bank up to 31.03.: 12,000.00 - rent 3 x 800.00 - 2,000.00 - 595.00 - 1,000.00 - 119.00
    //   + 1,166.20 + 535.00 + 500.00 = 8,087.20
    const qint64 bankMarch = 808720;
    EXPECT_QEQ(lineOf(viewer.models.at(0), 1200), "1200|Bank|" + eur(bankMarch) + "|" +
                                                      eur(year::kBank - bankMarch) + "|" +
                                                      eur(year::kBank) + "|" + eur(year::kBank));
    dlg->sortByBelegnummer();
    reports::printSaldenliste(*ctx);
    EXPECT_TRUE(
        lineOf(viewer.models.at(1), 1200).startsWith("1200|Bank|" + eur(year::kOpenBank) + "|"));
}

TEST(TrialBalance, ClassLabels) {
    EXPECT_QEQ(reports::classLabel(1200), "Summe Klasse 1");
    EXPECT_QEQ(reports::classLabel(1999), "Summe Klasse 1");
    EXPECT_QEQ(reports::classLabel(12345), "Summe Klasse 12");
    EXPECT_QEQ(reports::classLabel(999), "Summe Klasse 0");
    EXPECT_QEQ(reports::classLabel(12), "Summe Klasse 0");
}

namespace {

// Three accounts of class 1 and two of class 4 with figures set by hand: a booking of 0.40
// and an opening value of 0.40 on Kasse.
struct SmallBalances : ReportBooks {
    void SetUp() override {
        ReportBooks::SetUp();
        opening(1000, 40, 0);
        journal(1, day(5, 3), QStringLiteral("Einzahlung"), 1000, 1200, "0,40", "0,40", "0,00", 0,
                1);
        recomputeSalden(fb->books());
        fb->books().settings.zeilenfarbe = 0xC0C0C0;
        okAtOnce();
    }
    static bool shaded(const ledra::report::BandInstance &b) { return !b.rects.isEmpty(); }
};

} // namespace

TEST_F(SmallBalances, OnlyExactZerosAreBlank) {
    reports::printSaldenliste(*ctx);
    const PageModel &m = viewer.models.at(0);
    EXPECT_QEQ(lineOf(m, 1000), "1000|Kasse|0,40 €|0,40 €|0,80 €|0,80 €");
    EXPECT_QEQ(lineOf(m, 1200), "1200|Bank|-0,40 €|-0,40 €|-0,40 €");
    EXPECT_QEQ(lineOf(m, 1300), "1300|Sparkasse");
    // Every account is listed, each line shaded in turn from the first one.
    int n = 0;
    for (const auto &b : m.pages.at(0).bands)
        if (b.kind == BandKind::Detail) {
            EXPECT_EQ(shaded(b), n % 2 == 0) << n;
            ++n;
        }
    EXPECT_EQ(n, 15);
}

TEST_F(SmallBalances, ExtendedFormListsOnlyTouchedAccounts) {
    // An opening credit value alone lists an account, an opening of 0 does not.
    opening(1600, 0, 25000);
    reports::printSaldenlisteQuer(*ctx);
    const PageModel &m = viewer.models.at(0);
    const QString march = QDate(day(5, 3)).toString("dd.MM.yyyy");
    EXPECT_QEQ(lineOf(m, 1000), "1000|Kasse|" + march + "|0,40 €|0,40 €|0,40 €|0,40 €|0,80 €");
    EXPECT_QEQ(lineOf(m, 1200), "1200|Bank|" + march + "|0,40 €|-0,40 €|0,40 €|-0,40 €")
        << "no opening: blank Vortrag";
    // Jahressaldo is read from the opening value and the journal, not from the running total.
    EXPECT_QEQ(lineOf(m, 1600), "1600|Lieferant Schulz|-250,00 €|0,00 €|-250,00 €");
    EXPECT_QEQ(lineOf(m, 4210), QString());
    QStringList listed;
    int n = 0;
    for (const auto &b : m.pages.at(0).bands)
        if (b.kind == BandKind::Detail) {
            listed << b.texts.at(0).text;
            EXPECT_EQ(shaded(b), n % 2 == 0) << "shading counts printed lines only";
            ++n;
        }
    EXPECT_QEQ(listed.join(','), "1000,1200,1600");
    // Only class 1 has listed accounts: the footers of classes 0, 3, 4 and 8 stay away.
    EXPECT_QEQ(bandTexts(m, BandKind::GroupFooter).join('\n'),
               "Summe Klasse 1|-249,60 €|0,40 €|0,40 €|0,00 €|0,40 €|0,40 €|-249,60 €");
}

} // namespace ledra
