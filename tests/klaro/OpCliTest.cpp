// The command line's "op" commands and "report op": the list's columns, refusals with
// their exit status, the question answered by --answer, the CSV of the list print.

#include "KlaroFixture.h"

#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

namespace ledra {

namespace {

struct OpCli : ::testing::Test, KlaroFixture {
    QString out, err;
    int run(const QStringList &args) {
        QProcess p;
        p.start(QStringLiteral(LEDRA_CLI), QStringList{QStringLiteral("--data"), fx.base} + args);
        p.waitForFinished(60000);
        out = QString::fromUtf8(p.readAllStandardOutput());
        err = QString::fromUtf8(p.readAllStandardError());
        return p.exitCode();
    }
    void SetUp() override {
        fx.writeFile(fx.base + QStringLiteral("/LEDRA.INI"),
                     "[BZR]\nVon=01.01.2024\nBis=31.12.2024\n");
        book(101, QDate(2024, 3, 5), 815, QStringLiteral("R: Müller"), 10000, 8400, 11900, 1900);
        book(102, QDate(2024, 4, 9), 816, QStringLiteral("L: Holz"), 3400, 70000, 5950, 950, false);
        openItem(101, 5000, 0, QDate(2024, 4, 5));
        openItem(102, 5950);
    }
};

} // namespace

TEST_F(OpCli, ListFiltersAndDeleteAsTheWindowDoes) {
    ASSERT_EQ(run({QStringLiteral("op"), QStringLiteral("list")}), 0) << err.toStdString();
    EXPECT_EQ(out, QStringLiteral(
                       "Nr;Belegdatum;Belegnummer;Buchungstext;Betrag;Soll;Haben;Zahlungsziel;Euro;"
                       "Art\n"
                       "101;2024-03-05;815;R: Müller;50.00;10000;8400;2024-04-05;1;F\n"
                       "102;2024-04-09;816;L: Holz;59.50;3400;70000;;0;V\n"));
    ASSERT_EQ(run({QStringLiteral("op"), QStringLiteral("list"), QStringLiteral("--art"),
                   QStringLiteral("verbindlichkeiten")}),
              0);
    EXPECT_EQ(out.count(QLatin1Char('\n')), 2);
    EXPECT_TRUE(out.contains(QStringLiteral("\n102;")));

    EXPECT_EQ(run({QStringLiteral("op"), QStringLiteral("list"), QStringLiteral("--bereich"),
                   QStringLiteral("datum"), QStringLiteral("--von"), QStringLiteral("31.02.2024")}),
              1);
    EXPECT_TRUE(err.contains(QStringLiteral("Feld „von“"))) << err.toStdString();
    EXPECT_EQ(run({QStringLiteral("op"), QStringLiteral("list"), QStringLiteral("--jahr"),
                   QStringLiteral("19")}),
              1);
    EXPECT_EQ(run({QStringLiteral("op"), QStringLiteral("list"), QStringLiteral("--art"),
                   QStringLiteral("keine")}),
              2);

    EXPECT_EQ(run({QStringLiteral("op"), QStringLiteral("delete"), QStringLiteral("101")}), 1)
        << "the question declined";
    EXPECT_TRUE(err.contains(QStringLiteral("OP zum Beleg 815 löschen ?")));
    EXPECT_EQ(run({QStringLiteral("--answer"), QStringLiteral("yes"), QStringLiteral("op"),
                   QStringLiteral("delete"), QStringLiteral("101")}),
              0);
    EXPECT_EQ(opCount(), 1);
    EXPECT_EQ(run({QStringLiteral("op"), QStringLiteral("add"), QStringLiteral("102")}), 1);
    EXPECT_TRUE(err.contains(QStringLiteral("Offener Posten ist schon vorhanden !")));
    EXPECT_EQ(run({QStringLiteral("op"), QStringLiteral("add"), QStringLiteral("101")}), 0);
    EXPECT_EQ(opCount(), 2);
    ASSERT_EQ(run({QStringLiteral("op"), QStringLiteral("stapel")}), 0);
    EXPECT_EQ(out, QStringLiteral("Nr;Datum;OP;KNr\n"));
}

TEST_F(OpCli, CheckAndTheListPrintAsCsv) {
    EXPECT_EQ(run({QStringLiteral("op"), QStringLiteral("check")}), 1) << "declined";
    EXPECT_EQ(run({QStringLiteral("--answer"), QStringLiteral("yes"), QStringLiteral("op"),
                   QStringLiteral("check")}),
              0);
    EXPECT_TRUE(err.contains(QStringLiteral("Interne OP-Nr.: 102"))) << err.toStdString();
    EXPECT_TRUE(fx.readFile(fx.base + QStringLiteral("/LEDRA.INI")).contains("AutoNr=103"));

    const QString csv = fx.tmp.path() + QStringLiteral("/op.csv");
    ASSERT_EQ(run({QStringLiteral("report"), QStringLiteral("op"), QStringLiteral("--sortierung"),
                   QStringLiteral("zahlungsziel"), QStringLiteral("--csv"), csv}),
              0)
        << err.toStdString();
    const QString text = QString::fromUtf8(fx.readFile(csv));
    const QStringList lines = text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 6) << text.toStdString();
    EXPECT_TRUE(fx.readFile(csv).startsWith("\xEF\xBB\xBF\"Datum\";\"Beleg-Nr.\";"));
    EXPECT_EQ(lines[1], QStringLiteral("09.04.2024;816;\"L: Holz\";59,50;\"DM\";3400;70000;;\"V\""))
        << "no payment target sorts first";
    EXPECT_EQ(lines[3], QStringLiteral(";;\"Forderungen\";50,00;\"€\""));
    EXPECT_NE(run({QStringLiteral("report"), QStringLiteral("op")}), 0) << "no output file";
}

} // namespace ledra
