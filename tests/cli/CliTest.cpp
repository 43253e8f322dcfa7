// The command-line contract: columns of the input file, the listings and the exit status.

#include "support/Fixture.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
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

// A report file must never take the place of the books: not a table by its name (in any case),
// not through a link, not the settings; a file elsewhere is written as asked.
TEST_F(CliRun, ReportFilesNeverReplaceTheData) {
    ASSERT_EQ(run({QStringLiteral("--answer"), QStringLiteral("yes"), QStringLiteral("book"),
                   fx.tmp.path() + QStringLiteral("/b.csv")}),
              1);
    ASSERT_EQ(run({QStringLiteral("--answer"), QStringLiteral("yes"), QStringLiteral("transfer")}),
              0);
    const QString journal = fx.base + QStringLiteral("/Journal.DB");
    const QByteArray before = fx.readFile(journal);
    const QString link = fx.tmp.path() + QStringLiteral("/bericht.pdf");
    ASSERT_TRUE(QFile::link(fx.base + QStringLiteral("/Konten.DB"), link));
    const QByteArray konten = fx.readFile(fx.base + QStringLiteral("/Konten.DB"));
    const QStringList refused[] = {
        {QStringLiteral("--pdf"), journal},
        {QStringLiteral("--csv"), fx.base + QStringLiteral("/journal.db")},
        {QStringLiteral("--txt"), fx.base + QStringLiteral("/../DATEN/Buchung.DB")},
        {QStringLiteral("--pdf"), link},
        {QStringLiteral("--txt"), fx.base + QStringLiteral("/LEDRA.INI")},
    };
    for (const QStringList &out : refused) {
        SCOPED_TRACE(out.join(QLatin1Char(' ')).toStdString());
        EXPECT_EQ(run(QStringList{QStringLiteral("report"), QStringLiteral("journal")} + out), 1);
        EXPECT_TRUE(err.contains(QStringLiteral("wird nicht überschrieben"))) << err.toStdString();
    }
    EXPECT_EQ(fx.readFile(journal), before);
    EXPECT_EQ(fx.readFile(fx.base + QStringLiteral("/Konten.DB")), konten);
    EXPECT_FALSE(QFileInfo::exists(fx.base + QStringLiteral("/journal.db")));
    EXPECT_TRUE(fx.readFile(fx.base + QStringLiteral("/LEDRA.INI")).contains("Vorsteuer=1576"));
    ASSERT_EQ(run({QStringLiteral("journal")}), 0) << "the journal still opens";

    const QString ok = fx.tmp.path() + QStringLiteral("/journal.txt");
    EXPECT_EQ(
        run({QStringLiteral("report"), QStringLiteral("journal"), QStringLiteral("--txt"), ok}), 0)
        << err.toStdString();
    EXPECT_TRUE(QFileInfo(ok).size() > 0);
}

// A voucher counter that is no number is said and repaired; the booking goes in.
TEST_F(CliRun, UnusableVoucherCounterDoesNotStopBooking) {
    const QString y = QString::number(QDate::currentDate().year());
    fx.writeFile(
        fx.base + QStringLiteral("/LEDRA.INI"),
        QStringLiteral("[Konten]\nVorsteuer=1576\n[Zaehler]\nBeleg1=abc\n[BZR]\nVon=01.01.%1\n"
                       "Bis=31.12.%1\n")
            .arg(y)
            .toUtf8());
    fx.writeFile(fx.tmp.path() + QStringLiteral("/c.csv"),
                 QStringLiteral("05.03.%1;;4930;1200;Papier;119,00;B;\n").arg(y).toUtf8());
    EXPECT_EQ(run({QStringLiteral("book"), fx.tmp.path() + QStringLiteral("/c.csv")}), 0)
        << err.toStdString();
    EXPECT_TRUE(err.contains(QStringLiteral("Beleg1=abc"))) << err.toStdString();
    ASSERT_EQ(run({QStringLiteral("batch")}), 0);
    EXPECT_EQ(out.count(QLatin1Char('\n')), 2) << out.toStdString();
    EXPECT_TRUE(fx.readFile(fx.base + QStringLiteral("/LEDRA.INI")).contains("Beleg1=1"));
}

} // namespace ledra
