// The BWA on the page model: departments and sections, the debit-positive sign convention,
// hidden accounts that still count, the form without accounts, the missing department, and
// the year's figures.

#include "YearFixture.h"

#include "reports/BwaReport.h"
#include "reports/ReportConventions.h"
#include "reports/SaldenlisteReport.h"
#include "store/Table.h"

#include "store/Sql.h"
namespace ledra {

using ledra::report::BandKind;

// Texts compared as UTF-8, so that a failure shows them readably.
#define EXPECT_QEQ(a, b) EXPECT_EQ(QString(a).toStdString(), QString(b).toStdString())
using ledra::report::PageModel;

namespace {

QString sh(qint64 cents) {
    return reports::sideAmount(cents * 100, QStringLiteral("€"));
}
QString eur(qint64 cents) {
    return reports::currencyFormat(cents * 100, QStringLiteral("€"));
}

// Accounts with sections and balances set straight into the table, as the period
// preparation leaves them.
struct Bwa : ReportBooks {
    void SetUp() override {
        ReportBooks::SetUp();
        okAtOnce();
    }
    void set(int konto, int bwa, qint64 druckCents, qint64 saldoCents, qint64 saldoExtraUnits = 0) {
        Table &k = fb->books().konten;
        ASSERT_EQ(execute(k,
                          QStringLiteral("UPDATE %1 SET BWA = ?, DruckSaldo = ?, Saldo = ? "
                                         "WHERE KtoNr = ?")
                              .arg(quotedName(k)),
                          {bwa, druckCents * 100, saldoCents * 100 + saldoExtraUnits, konto}),
                  1);
        k.refresh();
    }
    // Lays the report out as the launcher would, without the period preparation.
    PageModel layout(bool mitKonten) {
        reports::TableOrder order(fb->books().konten, QStringLiteral("iBWA"));
        reports::BwaReport report(fb->books(), *dlg, mitKonten);
        return ledra::report::layoutReport(report.Ausdruck);
    }
    static QString body(const PageModel &m) {
        QStringList out;
        for (const auto &page : m.pages)
            for (const auto &b : page.bands) {
                if (b.pageFrame)
                    continue;
                QStringList t;
                for (const auto &item : b.texts)
                    t << item.text;
                out << t.join('|');
            }
        return out.join('\n');
    }
};

} // namespace

TEST(BwaAmount, SidesAndCounts) {
    const QString e = QStringLiteral("€");
    EXPECT_QEQ(reports::BwaReport::amountText(10000000, 1, e), "1.000,00 € S");
    EXPECT_QEQ(reports::BwaReport::amountText(-10000000, 1, e), "1.000,00 € H");
    EXPECT_QEQ(reports::BwaReport::amountText(0, 2, e), "0,00 €  ");
    EXPECT_QEQ(reports::BwaReport::amountText(-100000, 0, e), "0,00 €   ")
        << "no accounts behind it";
}

TEST_F(Bwa, DepartmentsSectionsAndTheSignConvention) {
    set(8400, 1010, -300000, -12000000); // revenue: credit, H
    set(8300, 1500, -50000, -500000);    // section 1500 belongs to department 1000
    set(4210, 5010, 80000, 6400000);     // rent: debit, S
    set(4930, 5010, 0, 0, 40);           // 0.004: hidden
    set(3400, 0, 99900, 99900);          // no section: never printed, counted nowhere
    set(1800, 500, 99900, 99900);        // a number below 1000 likewise
    const PageModel m = layout(true);
    EXPECT_QEQ(body(m), "Umsatzerlöse|Zeitraum|Jahreswerte\n"
                        "Erlöse 19 % USt\n"
                        "8400|Erlöse 19 %|" +
                            sh(-300000) + "|" + sh(-12000000) +
                            "\n"
                            "Erlöse 19 % USt|" +
                            sh(-300000) + "|" + sh(-12000000) +
                            "\n"
                            "\n" // section 1500 has no row of its own: no name
                            "8300|Erlöse 7 %|" +
                            sh(-50000) + "|" + sh(-500000) + "\n" + sh(-50000) + "|" + sh(-500000) +
                            "\n"
                            "Umsatzerlöse|" +
                            sh(-350000) + "|" + sh(-12500000) +
                            "\n"
                            "Raumkosten|Zeitraum|Jahreswerte\n"
                            "Miete und Pacht\n"
                            "4210|Miete|" +
                            sh(80000) + "|" + sh(6400000) +
                            "\n"
                            "Miete und Pacht|" +
                            sh(80000) + "|" + sh(6400000) +
                            "\n"
                            "Raumkosten|" +
                            sh(80000) + "|" + sh(6400000) +
                            "\n"
                            "Ergebnis|2.700,00 €|Gewinn|61.000,00 €|Gewinn");
    // Loss: more debit than credit.
    set(4210, 5010, 400000, 13000000);
    const QStringList summary = bandTexts(layout(false), BandKind::Summary);
    EXPECT_QEQ(summary.join('\n'), "Ergebnis|500,00 €|Verlust|5.000,00 €|Verlust");
}

TEST_F(Bwa, HiddenAccountStillCountsAndTheFormWithoutAccounts) {
    set(4210, 5010, 80000, 80000);
    set(4930, 5010, 0, 0, 99); // below a cent: not listed
    set(3400, 5010, 0, 0);
    set(8400, 1010, -250000, -250000);
    set(8300, 1010, 0, 0);
    PageModel m = layout(true);
    EXPECT_FALSE(body(m).contains("4930")) << body(m).toStdString();
    // 800.00 + 0.0099 of the hidden account: 800.01 in the section and department.
    EXPECT_TRUE(
        body(m).contains("Miete und Pacht|800,00 € S|800,01 € S\nRaumkosten|800,00 € S|800,01 € S"))
        << body(m).toStdString();
    // Without accounts: per department its header, one line per section and its footer.
    m = layout(false);
    EXPECT_QEQ(body(m), "Umsatzerlöse|Zeitraum|Jahreswerte\n"
                        "Erlöse 19 % USt|" +
                            sh(-250000) + "|" + sh(-250000) +
                            "\n"
                            "Umsatzerlöse|" +
                            sh(-250000) + "|" + sh(-250000) +
                            "\n"
                            "Raumkosten|Zeitraum|Jahreswerte\n"
                            "Miete und Pacht|800,00 € S|800,01 € S\n"
                            "Raumkosten|800,00 € S|800,01 € S\n"
                            "Ergebnis|1.700,00 €|Gewinn|1.699,99 €|Gewinn");
}

TEST_F(Bwa, AMissingDepartmentEndsTheRun) {
    Table &t = fb->books().bwa;
    ASSERT_EQ(
        execute(t, QStringLiteral("DELETE FROM %1 WHERE Reihenfolge = 5000").arg(quotedName(t))),
        1);
    t.refresh();
    set(4210, 5010, 0, 0);
    journal(1, day(5, 3), QStringLiteral("Miete"), 4210, 1200, "10,00", "10,00", "0,00", 0, 1);
    dlg->mitKonten = true;
    reports::printBwa(*ctx);
    EXPECT_TRUE(viewer.models.empty());
    EXPECT_TRUE(ui.saw(QStringLiteral("BWA-Sektion 5000 nicht gefunden")));
    EXPECT_TRUE(dlg->sortChoiceVisible);
    EXPECT_EQ(fb->books().konten.orderFields(), QStringList{"KtoNr"});
}

TEST_F(YearBooks, BwaOfTheYear) {
    okAtOnce();
    dlg->mitKonten = true;
    reports::printBwa(*ctx);
    EXPECT_QEQ(dlg->caption, QStringLiteral("Betriebswirtschaftliche Auswertung"));
    EXPECT_EQ(dlg->helpContext, 26);
    EXPECT_TRUE(dlg->mitKontenVisible);
    ASSERT_EQ(viewer.models.size(), 1u);
    const PageModel &m = viewer.models[0];
    // The range is the whole year: period and annual columns agree.
    auto both = [](qint64 c) { return sh(c) + "|" + sh(c); };
    QStringList departments;
    for (const auto &page : m.pages)
        for (const auto &b : page.bands)
            if (b.kind == BandKind::GroupFooter && b.height > 8) {
                QStringList t;
                for (const auto &item : b.texts)
                    t << item.text;
                departments << t.join('|');
            }
    EXPECT_QEQ(departments.join('\n'),
               "Umsatzerlöse|" + both(year::kDept1000) + "\nMaterialaufwand/Wareneinsatz|" +
                   both(year::kDept2000) + "\nRaumkosten|" + both(year::kDept5000) +
                   "\nSonstige Kosten|" + both(year::kDept8000));
    EXPECT_QEQ(bandTexts(m, BandKind::Summary).join('\n'),
               "Ergebnis|" + eur(year::kGewinn) + "|Gewinn|" + eur(year::kGewinn) + "|Gewinn");
    EXPECT_EQ(bandTexts(m, BandKind::Detail).size(), 7)
        << "every account with a section and a balance";
}

} // namespace ledra

namespace ledra {

// However many accounts come before it, a department's heading is never the last thing on a
// page: its first line goes with it.
TEST_F(Bwa, DepartmentHeadingNeverStandsAloneAtAPageBottom) {
    set(4210, 5010, 80000, 80000);
    Table &k = fb->books().konten;
    int pagesSeen = 0;
    for (int n = 40; n < 64; ++n) {
        execute(k, QStringLiteral("DELETE FROM %1 WHERE KtoNr >= 70000").arg(quotedName(k)));
        for (int i = 0; i < n; ++i)
            ASSERT_EQ(execute(k,
                              QStringLiteral("INSERT INTO %1 (KtoNr, Name, Art, BWA, DruckSaldo, "
                                             "Saldo) VALUES (?, ?, 3, 1010, ?, ?)")
                                  .arg(quotedName(k)),
                              {70000 + i, QStringLiteral("Erlöse %1").arg(i), -10000, -10000}),
                      1);
        k.refresh();
        const PageModel m = layout(true);
        pagesSeen = std::max(pagesSeen, int(m.pages.size()));
        for (const auto &page : m.pages) {
            const ledra::report::BandInstance *last = nullptr;
            for (const auto &b : page.bands)
                if (!b.pageFrame)
                    last = &b;
            ASSERT_NE(last, nullptr);
            bool heading = false;
            for (const auto &t : last->texts)
                heading = heading || t.text == QStringLiteral("Jahreswerte");
            EXPECT_FALSE(heading) << n << " accounts: page " << page.number;
        }
    }
    EXPECT_GE(pagesSeen, 2) << "the accounts must fill more than a page";
}

} // namespace ledra

namespace ledra {

// A section without an account line to show prints its total line only, not its name twice.
TEST_F(Bwa, EmptySectionPrintsOnce) {
    set(8400, 1010, 0, 0, 40); // below a cent: not listed
    set(8300, 1010, 0, 0);
    set(4210, 5010, 80000, 80000);
    const QString body = Bwa::body(layout(true));
    EXPECT_EQ(body.count(QStringLiteral("Erlöse 19 % USt")), 1) << body.toStdString();
    EXPECT_EQ(body.count(QStringLiteral("Miete und Pacht")), 2)
        << "a section with lines keeps its heading and its total";
}

} // namespace ledra
