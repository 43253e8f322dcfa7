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

namespace ledra {

// "book" with the columns OP;Zahlungsziel;Rest: payments taken over from open items as the
// manager window's "Übernahme" does, their discount or an open rest, and an invoice's
// payment target.
TEST_F(OpCli, BookTakesOpenItemsOverAndTheTransferSettlesThem) {
    fx.addAccount(4730, QStringLiteral("Gewährte Skonti"), 3, 19);
    fx.addAccount(1576, QStringLiteral("Vorsteuer"), 9, 0);
    fx.addAccount(1776, QStringLiteral("Umsatzsteuer"), 9, 0);
    fx.writeFile(fx.base + QStringLiteral("/LEDRA.INI"),
                 "[Konten]\nVorsteuer=1576\nMwst=1776\n[BZR]\nVon=01.01.2024\nBis=31.12.2024\n");
    const QString file = fx.tmp.path() + QStringLiteral("/zahlungen.txt");
    fx.writeFile(file, "10.04.2024;;1200;;;40,00;B;;101;;\n" // 40 of 50: 10 discount
                       "10.04.2024;;;1200;;;B;;102;;\n"      // the DM item in full
                       "11.04.2024;900;10000;8400;R: Neu;119,00;B;;;30.05.2024;\n"
                       "11.04.2024;901;1200;8400;Bar;10,00;B;;;30.05.2024;\n" // opens nothing
                       "12.04.2024;;1200;;;5,00;B;;101;;\n");                 // settled already
    EXPECT_EQ(run({QStringLiteral("book"), file}), 1);
    EXPECT_TRUE(err.contains(QStringLiteral("Ein Zahlungsziel gibt es nur"))) << err.toStdString();
    EXPECT_TRUE(err.contains(QStringLiteral("OP schon im Buchungsstapel!")));
    ASSERT_EQ(run({QStringLiteral("batch")}), 0);
    const QStringList rows = out.split(QLatin1Char('\n'), Qt::SkipEmptyParts).mid(1);
    ASSERT_EQ(rows.size(), 4) << out.toStdString();
    EXPECT_TRUE(rows[0].contains(QStringLiteral(";R: Müller;1200;10000;40.00;40.00;0.00;0;815;")))
        << rows[0].toStdString();
    EXPECT_TRUE(
        rows[1].contains(QStringLiteral(";gewährtes Skonto;4730;10000;8.40;10.00;1.60;19;815;")))
        << rows[1].toStdString();
    EXPECT_TRUE(rows[2].contains(QStringLiteral(";L: Holz;70000;1200;59.50;59.50;0.00;0;816;;0;")))
        << "paid in DM: " << rows[2].toStdString();
    ASSERT_EQ(run({QStringLiteral("op"), QStringLiteral("stapel")}), 0);
    EXPECT_TRUE(out.contains(QStringLiteral(";2024-05-30;1;"))) << out.toStdString();

    ASSERT_EQ(run({QStringLiteral("--answer"), QStringLiteral("yes"), QStringLiteral("transfer")}),
              0)
        << err.toStdString();
    ASSERT_EQ(run({QStringLiteral("op"), QStringLiteral("list")}), 0);
    QStringList items = out.split(QLatin1Char('\n'), Qt::SkipEmptyParts).mid(1);
    ASSERT_EQ(items.size(), 1) << out.toStdString();
    EXPECT_TRUE(items[0].contains(QStringLiteral(";R: Neu;119.00;10000;8400;2024-05-30;1;F")))
        << items[0].toStdString();

    // Part of the new invoice paid, the rest kept open.
    const QString neu = items[0].section(QLatin1Char(';'), 0, 0);
    fx.writeFile(file,
                 QStringLiteral("15.04.2024;;1200;;;100,00;B;;%1;;offen\n").arg(neu).toUtf8());
    ASSERT_EQ(run({QStringLiteral("book"), file}), 0) << err.toStdString();
    ASSERT_EQ(run({QStringLiteral("--answer"), QStringLiteral("yes"), QStringLiteral("transfer")}),
              0);
    ASSERT_EQ(run({QStringLiteral("op"), QStringLiteral("list")}), 0);
    EXPECT_TRUE(out.contains(QStringLiteral(";R: Neu;19.00;"))) << out.toStdString();
}

} // namespace ledra
