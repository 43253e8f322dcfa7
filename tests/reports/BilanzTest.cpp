// The balance sheet on the page model: the four-level outline by trailing zeros, the level
// sums and their footers, the form without accounts, the question, and the year's sheet.

#include "YearFixture.h"

#include "reports/BilanzReport.h"
#include "reports/ReportConventions.h"
#include "store/Table.h"

#include "store/Sql.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
namespace ledra {

using ledra::report::BandKind;

// Texts compared as UTF-8, so that a failure shows them readably.
#define EXPECT_QEQ(a, b) EXPECT_EQ(QString(a).toStdString(), QString(b).toStdString())
using ledra::report::PageModel;
using reports::BilanzReport;

namespace {

QString sh(qint64 cents) {
    return reports::sideAmount(cents * 100, QStringLiteral("€"));
}

// A small outline of the user's own with four-digit numbers:
//   1000 Aktiva / 1100 Umlauf / 1110 Geld / 1111 Kasse, 1112 Bank / 1200 Forderungen
//   2000 Passiva / 2100 Kapital;  500 Intern (below 1000, never printed)
struct Sheet : ReportBooks {
    void SetUp() override {
        ReportBooks::SetUp();
        Table &t = fb->books().bilanz;
        t.emptyTable();
        const std::pair<int, const char *> sections[] = {
            {500, "Intern"},       {1000, "Aktiva"},  {1100, "Umlauf"},
            {1110, "Geld"},        {1111, "Kasse"},   {1112, "Bank"},
            {1200, "Forderungen"}, {2000, "Passiva"}, {2100, "Kapital"}};
        for (const auto &[nr, name] : sections)
            t.appendRecord({nr, QString::fromUtf8(name)});
        t.refresh();
    }
    void set(int konto, int bilanz, qint64 saldoCents) {
        Table &k = fb->books().konten;
        ASSERT_EQ(execute(k,
                          QStringLiteral("UPDATE %1 SET Bilanz = ?, Saldo = ? WHERE KtoNr = ?")
                              .arg(quotedName(k)),
                          {bilanz, saldoCents * 100, konto}),
                  1);
        k.refresh();
    }
    QString run(int answer) {
        viewer.models.clear();
        ui.answers = {answer};
        reports::printBilanzOverview(*ctx);
        return viewer.models.empty() ? QStringLiteral("(nothing)") : body(viewer.models[0]);
    }
    static QString body(const PageModel &m) {
        QStringList out;
        for (const auto &page : m.pages)
            for (const auto &b : page.bands) {
                if (b.pageFrame || b.texts.isEmpty())
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

TEST(BalanceSheetLevel, TrailingZeros) {
    EXPECT_EQ(BilanzReport::level(1000), 1);
    EXPECT_EQ(BilanzReport::level(1100), 2);
    EXPECT_EQ(BilanzReport::level(1500), 2);
    EXPECT_EQ(BilanzReport::level(1110), 3);
    EXPECT_EQ(BilanzReport::level(1010), 3);
    EXPECT_EQ(BilanzReport::level(1111), 4);
    EXPECT_EQ(BilanzReport::level(1001), 4);
    EXPECT_EQ(BilanzReport::level(999), 0);
    // The shipped outline's six digits.
    EXPECT_EQ(BilanzReport::level(200000), 1);
    EXPECT_EQ(BilanzReport::level(230000), 2);
    EXPECT_EQ(BilanzReport::level(238000), 3);
    EXPECT_EQ(BilanzReport::level(238100), 4);
}

TEST_F(Sheet, FourLevelsWithTheirSums) {
    set(1000, 1111, 100000); // Kasse in level 4: counts in all four sums
    set(1200, 1112, -30000); // Bank overdrawn
    set(1400, 1100, 5000);   // directly in level 2: levels 1 and 2 only
    set(1300, 1200, 0);      // a level with sum 0 prints no footer
    set(1800, 2100, -75000);
    set(1600, 500, 99900);  // a section below 1000 counts nowhere
    set(1576, 9999, 99900); // no such section: not printed either
    const QString out = run(Btn::Yes);
    EXPECT_QEQ(ui.questions.at(0).text, QStringLiteral("Mit Konten drucken?"));
    EXPECT_QEQ(out, "Aktiva\n"
                    "Umlauf\n"
                    "1400|Kunde Meier|" +
                        sh(5000) +
                        "\n"
                        "Geld\n"
                        "Kasse\n"
                        "1000|Kasse|" +
                        sh(100000) +
                        "\n"
                        "Kasse|" +
                        sh(100000) +
                        "\n"
                        "Bank\n"
                        "1200|Bank|" +
                        sh(-30000) +
                        "\n"
                        "Bank|" +
                        sh(-30000) +
                        "\n"
                        "Geld|" +
                        sh(70000) +
                        "\n"
                        "Umlauf|" +
                        sh(75000) +
                        "\n"
                        "Forderungen\n"
                        "1300|Sparkasse|0,00 €  \n"
                        "Summe Aktiva|" +
                        sh(75000) +
                        "\n"
                        "Passiva\n"
                        "Kapital\n"
                        "1800|Privatentnahmen|" +
                        sh(-75000) +
                        "\n"
                        "Kapital|" +
                        sh(-75000) +
                        "\n"
                        "Summe Passiva|" +
                        sh(-75000));
    // Each level-1 section starts a page.
    const PageModel &m = viewer.models.at(0);
    ASSERT_EQ(m.pages.size(), 2u);
    EXPECT_TRUE(m.pages[1].texts().contains("Passiva"));
    EXPECT_TRUE(viewer.lastOptions.wholePage);
    // Afterwards the accounts are back in number order without a section filter.
    EXPECT_EQ(fb->books().konten.orderFields(), QStringList{"KtoNr"});
    EXPECT_EQ(fb->books().konten.recordCount(), 15);
}

TEST_F(Sheet, FormWithoutAccounts) {
    set(1000, 1111, 100000);
    set(1200, 1112, -30000);
    set(1400, 1100, 5000);
    set(1300, 1200, 2500);
    set(1800, 2100, -75000);
    const QString out = run(Btn::No);
    // A section with no section under it carries its sum on its own line; the sections
    // above it close with a named sum line. No amount stands on a line without a name.
    EXPECT_QEQ(out, "Aktiva\n"
                    "Umlauf\n"
                    "Geld\n"
                    "Kasse|" +
                        sh(100000) +
                        "\n"
                        "Bank|" +
                        sh(-30000) +
                        "\n"
                        "Geld|" +
                        sh(70000) +
                        "\n"
                        "Umlauf|" +
                        sh(75000) +
                        "\n"
                        "Forderungen|" +
                        sh(2500) +
                        "\n"
                        "Summe Aktiva|" +
                        sh(77500) +
                        "\n"
                        "Passiva\n"
                        "Kapital|" +
                        sh(-75000) +
                        "\n"
                        "Summe Passiva|" +
                        sh(-75000) +
                        "\n"
                        "Differenz|" +
                        sh(2500));
    EXPECT_EQ(viewer.models.at(0).pages.size(), 1u) << "no new page before a level-1 section";
}

// However the page breaks fall, a heading with sections under it is never the last line of
// a page, and every amount prints with its side in a column of its own.
TEST_F(Sheet, AHeadingNeverEndsAPage) {
    Table &t = fb->books().bilanz;
    set(1000, 111000, 100000);
    int pagesSeen = 0;
    for (const int leaves : {3, 7}) {
        for (const bool mitKonten : {false, true}) {
            t.emptyTable();
            t.appendRecord({100000, QStringLiteral("Aktiva")});
            for (int g = 1; g <= 9; ++g) {
                t.appendRecord({100000 + g * 10000, QStringLiteral("Gruppe %1").arg(g)});
                for (int i = 1; i <= leaves; ++i)
                    t.appendRecord({100000 + g * 10000 + i * 1000,
                                    QStringLiteral("Posten %1.%2").arg(g).arg(i)});
            }
            t.refresh();
            run(mitKonten ? Btn::Yes : Btn::No);
            ASSERT_EQ(viewer.models.size(), 1u);
            const PageModel &m = viewer.models[0];
            pagesSeen = std::max(pagesSeen, int(m.pages.size()));
            for (const auto &page : m.pages) {
                const ledra::report::BandInstance *last = nullptr;
                for (const auto &b : page.bands) {
                    if (!b.pageFrame && !b.texts.isEmpty())
                        last = &b;
                    for (const auto &item : b.texts) {
                        if (item.text.endsWith(" S") || item.text.endsWith(" H")) {
                            EXPECT_GT(item.sideColumnMm, 0.0) << item.text.toStdString();
                        }
                    }
                }
                ASSERT_NE(last, nullptr);
                EXPECT_FALSE(last->kind == BandKind::GroupHeader &&
                             last->texts.front().text.startsWith("Gruppe"))
                    << leaves << " items, accounts " << mitKonten << ": page " << page.number
                    << " ends with " << last->texts.front().text.toStdString();
            }
        }
    }
    EXPECT_GE(pagesSeen, 3) << "the outline must fill more than two pages";
}

TEST_F(Sheet, OnlyYesOrNoPrints) {
    set(1000, 1111, 100000);
    EXPECT_QEQ(run(Btn::Cancel), "(nothing)");
    EXPECT_EQ(fb->books().konten.orderFields(), QStringList{"KtoNr"});
}

TEST_F(YearBooks, BalanceSheetOfTheYear) {
    ui.answers = {Btn::No};
    reports::printBilanzOverview(*ctx);
    ASSERT_EQ(viewer.models.size(), 1u);
    const PageModel &m = viewer.models[0];
    EXPECT_TRUE(m.pages.at(0).texts().contains("für den Zeitraum vom 01.01." + year() +
                                               " bis zum 31.12." + year()));
    const QStringList footers = bandTexts(m, BandKind::GroupFooter);
    const QStringList headings = bandTexts(m, BandKind::GroupHeader);
    auto has = [&](const QString &line) { return footers.contains(line); };
    // The year's profit stands in equity, so both sides balance.
    EXPECT_TRUE(has("Summe AKTIVA|" + sh(year::kAktiva)));
    EXPECT_TRUE(has("Summe PASSIVA|" + sh(-year::kAktiva)));
    EXPECT_TRUE(headings.contains("V. Jahresüberschuss/Jahresfehlbetrag|" + sh(-year::kGewinn)))
        << headings.join('\n').toStdString();
    EXPECT_TRUE(has("B. Umlaufvermögen|" + sh(year::kAktiva)));
    EXPECT_TRUE(has("II. Forderungen und sonstige Vermögensgegenstände|" + sh(year::kForderungen)));
    EXPECT_TRUE(
        headings.contains("IV. Kassenbestand, Guthaben bei Kreditinstituten|" + sh(year::kLiquide)))
        << "level 3 without level-4 sections: the amount on its own line";
    for (const QString &line : footers + headings)
        EXPECT_TRUE(!line.contains(QStringLiteral("€")) || line.contains('|'))
            << "an amount without a name: " << line.toStdString();
    EXPECT_TRUE(has("A. Eigenkapital|" + sh(year::kEigenkapital - year::kGewinn)));
    EXPECT_TRUE(has("C. Verbindlichkeiten|" + sh(year::kVerbindlichkeiten)));
    EXPECT_TRUE(has("8. Sonstige Verbindlichkeiten|" + sh(year::kUst)));
    EXPECT_EQ(footers.size(), 8) << footers.join('\n').toStdString();
    EXPECT_TRUE(bandTexts(m, BandKind::Summary).isEmpty()) << "no difference";
}

// The command line runs the same launchers on the same data: the evaluations of the year
// land in files, and options that do not belong to a report are refused.
TEST_F(YearBooks, EvaluationsFromTheCommandLine) {
    // The books are closed here first: the command line may not use them beside the window.
    ASSERT_TRUE(fb->close(false));
    QTemporaryDir out;
    auto cli = [&](const QStringList &args, QString *text = nullptr) {
        QProcess p;
        const QString file = out.filePath(QStringLiteral("out.txt"));
        QFile::remove(file);
        p.start(QStringLiteral(LEDRA_CLI),
                QStringList{QStringLiteral("--data"), fx.base, QStringLiteral("report")} + args +
                    QStringList{QStringLiteral("--txt"), file});
        EXPECT_TRUE(p.waitForFinished(60000));
        if (text) {
            QFile f(file);
            *text = f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
        }
        return p.exitCode();
    };
    const QString y = year();
    QString text;
    ASSERT_EQ(cli({"bilanz", "--mit-konten"}, &text), 0);
    EXPECT_TRUE(text.contains("Summe AKTIVA")) << text.toStdString();
    EXPECT_TRUE(text.contains(sh(year::kAktiva)));
    EXPECT_TRUE(text.contains("1200     Bank")) << "accounts listed";
    EXPECT_TRUE(text.contains("1300     Sparkasse"));
    ASSERT_EQ(cli({"bilanz", "--mit-konten", "--nur-bebuchte"}, &text), 0);
    EXPECT_TRUE(text.contains("1200     Bank"));
    EXPECT_FALSE(text.contains("1300     Sparkasse")) << "never booked, no opening value";
    ASSERT_EQ(cli({"bwa", "--von", "01.01." + y, "--bis", "31.12." + y}, &text), 0);
    EXPECT_TRUE(text.contains(reports::currencyFormat(year::kGewinn * 100, "€") + " Gewinn"))
        << text.toStdString();
    EXPECT_FALSE(text.contains("8400     Erlöse")) << "no account lines without --mit-konten";
    ASSERT_EQ(cli({"guv"}, &text), 0);
    EXPECT_TRUE(text.contains("Gewinn/Verlust:")) << text.toStdString();
    ASSERT_EQ(cli({"saldenliste", "--sortierung", "belegnummer"}, &text), 0);
    EXPECT_TRUE(text.contains("Saldenbilanz"));
    ASSERT_EQ(cli({"saldenliste-quer", "--von", "01.04." + y}, &text), 0);
    EXPECT_TRUE(text.contains("Saldenliste erweitert"));
    EXPECT_EQ(cli({"guv", "--sortierung", "belegnummer"}), 1) << "the overview covers a date range";
    EXPECT_EQ(cli({"journal", "--mit-konten"}), 2);
    EXPECT_EQ(cli({"guv", "--nur-bebuchte"}), 2);
    EXPECT_EQ(cli({"bilanz", "--von", "01.01." + y}), 2) << "the balance sheet has no range";
    // The VAT return's month or quarter in one option, as the window's pick offers them.
    ASSERT_EQ(cli({"ustva", "--quartal", "2"}, &text), 0);
    EXPECT_TRUE(text.section('\n', 0, 0).endsWith("01.04." + y + " bis 30.06." + y))
        << text.toStdString();
    ASSERT_EQ(cli({"ustva", "--monat", "3"}, &text), 0);
    EXPECT_TRUE(text.section('\n', 0, 0).endsWith("01.03." + y + " bis 31.03." + y))
        << text.toStdString();
    EXPECT_EQ(cli({"ustva", "--monat", "13"}), 2);
    EXPECT_EQ(cli({"ustva", "--quartal", "1", "--monat", "1"}), 2);
    EXPECT_EQ(cli({"ustva", "--quartal", "1", "--von", "01.01." + y}), 1);
    EXPECT_EQ(cli({"bwa", "--quartal", "1"}), 2) << "only the VAT return takes a period";
}

} // namespace ledra
