// The profit-and-loss overview on the page model: type lines and their sign rule, the result
// lines with the profit over all four profit-and-loss types, and the year's figures.

#include "YearFixture.h"

#include "reports/GuvReport.h"
#include "reports/ReportConventions.h"
#include "store/Table.h"

#include "store/Sql.h"
namespace ledra {

using ledra::report::BandKind;

// Texts compared as UTF-8, so that a failure shows them readably.
#define EXPECT_QEQ(a, b) EXPECT_EQ(QString(a).toStdString(), QString(b).toStdString())

namespace {

QString eur(qint64 cents) {
    return reports::currencyFormat(cents * 100, QStringLiteral("€"));
}

struct Overview : ReportBooks {
    void SetUp() override {
        ReportBooks::SetUp();
        okAtOnce();
    }
    int next = 1;
    // A booking without tax: net and gross alike.
    void book(int soll, int haben, const char *amount) {
        journal(next, day(10, 2), QStringLiteral("Buchung"), soll, haben, amount, amount, "0,00", 0,
                next);
        ++next;
    }
    void dropAccount(int konto) {
        Table &k = fb->books().konten;
        ASSERT_EQ(execute(k, QStringLiteral("DELETE FROM %1 WHERE KtoNr = ?").arg(quotedName(k)),
                          {konto}),
                  1);
        k.refresh();
    }
    QString run() {
        viewer.models.clear();
        reports::printGuv(*ctx);
        if (viewer.models.empty())
            return QStringLiteral("(nothing)");
        QStringList lines = bandTexts(viewer.models[0], BandKind::GroupFooter);
        // Result lines in their place after the type lines.
        QStringList all;
        for (const auto &page : viewer.models[0].pages)
            for (const auto &b : page.bands) {
                QStringList t;
                for (const auto &item : b.texts)
                    t << item.text;
                if (b.kind == BandKind::GroupFooter || b.kind == BandKind::Child)
                    all << t.join('|');
            }
        return all.join('\n');
    }
};

} // namespace

TEST(OverviewTypes, SignRuleAndResultGroupOfEveryType) {
    const struct {
        std::optional<KontoArt> art;
        int printedSign;
        const char *group; // nullptr: no result line, and no line of its own
        int sign;
        KontoArt last;
    } rows[] = {
        {KontoArt::Kosten, 1, "Gewinn/Verlust:", -1, KontoArt::Erloese},
        {KontoArt::Wareneingang, 1, "Gewinn/Verlust:", -1, KontoArt::Erloese},
        {KontoArt::Fremdleistung, 1, "Gewinn/Verlust:", -1, KontoArt::Erloese},
        {KontoArt::Erloese, -1, "Gewinn/Verlust:", -1, KontoArt::Erloese},
        {KontoArt::Bank, 1, "Geldvermögen:", 1, KontoArt::Kasse},
        {KontoArt::Kasse, 1, "Geldvermögen:", 1, KontoArt::Kasse},
        {KontoArt::Privat, 1, "Privatentnahme:", 1, KontoArt::Privat},
        {KontoArt::Debitor, 1, "Differenz:", 1, KontoArt::Kreditor},
        {KontoArt::Kreditor, -1, "Differenz:", 1, KontoArt::Kreditor},
        {KontoArt::Bestand, 1, nullptr, 0, KontoArt::Bestand},
        {std::nullopt, 1, nullptr, 0, KontoArt::Bestand},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(r.art ? kontoArtCode(*r.art) : -1);
        EXPECT_EQ(reports::GuvReport::printedSign(r.art), r.printedSign);
        // Money, receivables and payables are levels: their lines stand at the range end.
        EXPECT_EQ(reports::GuvReport::showsLevelAtEnd(r.art),
                  isGeldkonto(r.art) || isPersonenkonto(r.art));
        const reports::GuvReport::ResultGroup *g = reports::GuvReport::resultGroup(r.art);
        ASSERT_EQ(g != nullptr, r.group != nullptr);
        if (!g)
            continue;
        EXPECT_QEQ(g->label, QString::fromUtf8(r.group));
        EXPECT_EQ(g->sign, r.sign);
        EXPECT_EQ(g->last, r.last);
    }
}

TEST_F(Overview, CostsAndRevenuesGiveTheProfit) {
    book(3120, 1200, "800,00");  // services bought (type 2)
    book(1200, 8400, "1000,00"); // revenue (type 3)
    // One line per type that has accounts, also when its sum is 0.
    EXPECT_QEQ(run(), "Kosten|0,00 €\n"
                      "Wareneingang|0,00 €\n"
                      "Fremdleistg.|800,00 €\n"
                      "Erlöse|1.000,00 €\n"
                      "Gewinn/Verlust:|200,00 €\n"
                      "Bank|200,00 €\n"
                      "Kasse|0,00 €\n"
                      "Geldvermögen:|200,00 €\n"
                      "Privat|0,00 €\n"
                      "Debitor|0,00 €\n"
                      "Kreditor|0,00 €");
    EXPECT_QEQ(dlg->caption, QStringLiteral("Kurzübersicht Gewinn und Verlust"));
    EXPECT_EQ(dlg->helpContext, 25);
    EXPECT_TRUE(dlg->sortChoiceVisible) << "the sort group is shown again";
    EXPECT_EQ(fb->books().konten.orderFields(), QStringList{"KtoNr"})
        << "the accounts are back in number order";

    book(3120, 1200, "400,00");
    EXPECT_TRUE(run().contains("Gewinn/Verlust:|-200,00 €\n")) << "a loss prints negative";
}

// Every profit-and-loss type the overview prints enters the profit: general costs (type 0)
// and goods (type 1) as well as services (type 2) and revenues (type 3).
TEST_F(Overview, TheProfitIncludesEveryProfitAndLossType) {
    book(4930, 1200, "100,00");  // type 0
    book(3400, 1200, "300,00");  // type 1
    book(3120, 1200, "200,00");  // type 2
    book(1200, 8400, "1000,00"); // type 3
    const QString out = run();
    EXPECT_TRUE(out.startsWith(
        "Kosten|100,00 €\nWareneingang|300,00 €\nFremdleistg.|200,00 €\nErlöse|1.000,00 €\n"
        "Gewinn/Verlust:|400,00 €\n"))
        << out.toStdString();
}

TEST_F(Overview, ResultLinesOfTheOtherGroupsAndTheirConditions) {
    book(1400, 8400, "500,00"); // invoice
    book(1200, 1400, "500,00"); // paid: receivables back to 0, the bank holds the money
    book(1800, 1000, "50,00");  // private withdrawal from the cash box
    book(1600, 1200, "70,00");  // a supplier paid in advance
    book(1200, 1600, "20,00");
    book(1576, 1776, "9,00"); // type 9: no line
    EXPECT_QEQ(run(), "Kosten|0,00 €\n"
                      "Wareneingang|0,00 €\n"
                      "Fremdleistg.|0,00 €\n"
                      "Erlöse|500,00 €\n"
                      "Gewinn/Verlust:|500,00 €\n"
                      "Bank|450,00 €\n"
                      "Kasse|-50,00 €\n"
                      "Geldvermögen:|400,00 €\n"
                      "Privat|50,00 €\n"
                      "Privatentnahme:|50,00 €\n"
                      "Debitor|0,00 €\n"
                      "Kreditor|-50,00 €\n"
                      "Differenz:|50,00 €")
        << "a customer paid in full makes no Differenz of its own; a supplier paid in advance "
           "is a negative payable; types 9 print nothing";
    book(1600, 1200, "30,00");
    book(1200, 1600, "80,00");
    EXPECT_TRUE(run().endsWith("Debitor|0,00 €\nKreditor|0,00 €"))
        << "a result of exactly 0 prints no line";
}

// A group whose last type has no account still gets its result line.
TEST_F(Overview, AMissingTypeDoesNotDropTheResult) {
    for (int konto : {8300, 8400, 1000})
        dropAccount(konto);
    book(3120, 1200, "500,00");
    const QString out = run();
    EXPECT_TRUE(out.contains("Fremdleistg.|500,00 €\nGewinn/Verlust:|-500,00 €\nBank|-500,00 "
                             "€\nGeldvermögen:|-500,00 €\n"))
        << out.toStdString();
}

TEST_F(Overview, CancelPrintsNothingAndTheDateOptionIsChosen) {
    dlg->sortByBelegnummer();
    dlg->showModal = [] { return false; };
    EXPECT_QEQ(run(), "(nothing)");
    EXPECT_EQ(dlg->sort, reports::EingrenzungRules::Sort::Datum);
    EXPECT_QEQ(dlg->fromText, fb->books().settings.buchVon)
        << "choosing the date option resets the range";
    EXPECT_TRUE(dlg->sortChoiceVisible);
}

TEST_F(YearBooks, ProfitAndLossOfTheYear) {
    okAtOnce();
    reports::printGuv(*ctx);
    ASSERT_EQ(viewer.models.size(), 1u);
    EXPECT_QEQ(bandTexts(viewer.models[0], BandKind::Title).value(0).section('|', 0, 1),
               "Kurzübersicht|vom 01.01." + year() + " bis 31.12." + year());
    EXPECT_QEQ(bandTexts(viewer.models[0], BandKind::Child).join('\n'),
               "Gewinn/Verlust:|" + eur(year::kGewinn) + "\nGeldvermögen:|" +
                   eur(year::kGeldvermoegen) + "\nPrivatentnahme:|" + eur(year::kPrivat) +
                   "\nDifferenz:|" + eur(year::kDifferenz));
    // From April the money line shows the level of bank and cash at the range end, as its
    // label says, not their change.
    // Profit April to December: 710.00 - the first quarter's 5,130.00 (revenues 11,600.00
    //   + 600.00 - 20.00; costs 2,400.00 + 3,500.00 + 1,000.00 + 150.00) = -4,420.00.
    dlg->fromText = QStringLiteral("01.04.") + year();
    reports::printGuv(*ctx);
    ASSERT_EQ(viewer.models.size(), 2u);
    const QStringList results = bandTexts(viewer.models[1], BandKind::Child);
    EXPECT_QEQ(results.value(0), "Gewinn/Verlust:|" + eur(-442000));
    EXPECT_QEQ(results.value(1), "Geldvermögen:|" + eur(year::kGeldvermoegen));
}

} // namespace ledra
