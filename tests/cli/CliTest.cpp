// The command-line contract: columns of the input file, the listings and the exit status.

#include "support/Fixture.h"

#include <QDate>
#include <QProcess>
#include <gtest/gtest.h>
namespace ledra {

namespace {

struct CliRun : ::testing::Test {
    DataFixture fx;
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
        fx.addAccount(1200, QStringLiteral("Bank"), 4, 0);
        fx.addAccount(1576, QStringLiteral("Vorsteuer"), 9, 0);
        fx.addAccount(4930, QStringLiteral("Bürobedarf"), 0, 19);
        const QString y = QString::number(QDate::currentDate().year());
        fx.writeFile(fx.base + QStringLiteral("/LEDRA.INI"),
                     QStringLiteral("[Konten]\nVorsteuer=1576\n[BZR]\nVon=01.01.%1\nBis=31.12.%1\n")
                         .arg(y)
                         .toUtf8());
        fx.writeFile(fx.tmp.path() + QStringLiteral("/b.csv"),
                     QStringLiteral("05.03.%1;1;4930;ba;Papier \"A4\";119,00;B;\n"
                                    "06.03.%1;2;4930;1200;Netto;100;N;7\n"
                                    "07.03.%1;3;zz;1200;Falsch;1,00;B;\n")
                         .arg(y)
                         .toUtf8());
    }
};

} // namespace

TEST_F(CliRun, BookListTransferAndReverse) {
    EXPECT_EQ(run({QStringLiteral("--answer"), QStringLiteral("yes"), QStringLiteral("book"),
                   fx.tmp.path() + QStringLiteral("/b.csv")}),
              1)
        << "one line was refused";
    EXPECT_TRUE(err.contains(QStringLiteral("Fehler: zz nicht gefunden"))) << err.toStdString();
    EXPECT_TRUE(err.contains(QStringLiteral("Frage: Steuersatz ungleich Kontensteuersatz! ")));
    ASSERT_EQ(run({QStringLiteral("batch")}), 0);
    const QStringList lines = out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0],
              QStringLiteral(
                  "Autonummer;Belegdatum;Buchungstext;Soll;Haben;Netto;Brutto;Steuer;Steuersatz;"
                  "Belegnummer;IDNr;Euro;Stfaellig;Satzfaellig"));
    const QString y = QString::number(QDate::currentDate().year());
    EXPECT_EQ(
        lines[1],
        QStringLiteral("1;%1-03-05;Papier \"A4\";4930;1200;100.00;119.00;19.00;19;1;;1;;").arg(y));
    EXPECT_EQ(lines[2],
              QStringLiteral("2;%1-03-06;Netto;4930;1200;100.00;107.00;7.00;7;2;;1;;").arg(y));
    ASSERT_EQ(run({QStringLiteral("accounts")}), 0);
    EXPECT_TRUE(out.contains(QStringLiteral("\n1200;Bank;4;0;-226.00;")));
    EXPECT_EQ(run({QStringLiteral("transfer")}), 0) << "No to the question: nothing moves";
    ASSERT_EQ(run({QStringLiteral("journal")}), 0);
    EXPECT_EQ(out.count(QLatin1Char('\n')), 1);
    ASSERT_EQ(run({QStringLiteral("--answer"), QStringLiteral("yes"), QStringLiteral("transfer")}),
              0);
    ASSERT_EQ(run({QStringLiteral("journal")}), 0);
    EXPECT_EQ(out.count(QLatin1Char('\n')), 3);
    ASSERT_EQ(run({QStringLiteral("storno"), QStringLiteral("1")}), 0);
    ASSERT_EQ(run({QStringLiteral("batch")}), 0);
    EXPECT_TRUE(out.contains(QStringLiteral(";Storno;1200;4930;100.00;119.00;19.00;19;1;;1;")));
    EXPECT_NE(run({QStringLiteral("storno"), QStringLiteral("99")}), 0);
    ASSERT_EQ(run({QStringLiteral("recompute")}), 0);
    ASSERT_EQ(run({QStringLiteral("info")}), 0);
    EXPECT_EQ(out, QStringLiteral("2 Buchungen\n3 Konten\nDATEN\n"));
    EXPECT_EQ(run({QStringLiteral("unbekannt")}), 2);
}

} // namespace ledra
