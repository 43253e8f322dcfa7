// The command-line contract: columns of the input file, the listings and the exit status.

#include "support/Fixture.h"

#include "store/Table.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <gtest/gtest.h>
#include <unistd.h>
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
    EXPECT_EQ(run({QStringLiteral("transfer")}), 1) << "No to the question: nothing moves";
    EXPECT_TRUE(err.contains(QStringLiteral("nichts übertragen"))) << err.toStdString();
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

// A run that did not do what it was asked says so in its exit status.
TEST_F(CliRun, DeclinedOrIncompleteWorkIsNoSuccess) {
    ASSERT_EQ(run({QStringLiteral("info")}), 0);
    const QByteArray ini = fx.readFile(fx.base + QStringLiteral("/LEDRA.INI"));
    EXPECT_EQ(run({QStringLiteral("vatbasis"), QStringLiteral("ist")}), 1);
    EXPECT_EQ(fx.readFile(fx.base + QStringLiteral("/LEDRA.INI")), ini)
        << "a declined switch keeps the VAT basis";
    EXPECT_EQ(run({QStringLiteral("--answer"), QStringLiteral("yes"), QStringLiteral("vatbasis"),
                   QStringLiteral("ist")}),
              0);
    EXPECT_TRUE(fx.readFile(fx.base + QStringLiteral("/LEDRA.INI")).contains("Ist=1"));

    // A journal row on an account that has gone: the recomputation skips it and says so.
    ASSERT_EQ(run({QStringLiteral("--answer"), QStringLiteral("yes"), QStringLiteral("book"),
                   fx.tmp.path() + QStringLiteral("/b.csv")}),
              1);
    ASSERT_EQ(run({QStringLiteral("--answer"), QStringLiteral("yes"), QStringLiteral("transfer")}),
              0);
    {
        Table k(Schemas::konten());
        k.setFolder(fx.base);
        k.open();
        ASSERT_TRUE(k.findKey({4930}));
        k.remove();
    }
    EXPECT_EQ(run({QStringLiteral("recompute")}), 1);
    EXPECT_TRUE(err.contains(QStringLiteral("Fehler bei Saldeneintrag in Konto 4930")))
        << err.toStdString();
}

TEST_F(CliRun, SettingsThatCannotBeSavedAreNoSuccess) {
    // The temporary file the settings are written to cannot be made.
    ASSERT_TRUE(QDir().mkpath(fx.base + QStringLiteral("/LEDRA.INI.neu~/x")));
    EXPECT_EQ(run({QStringLiteral("info")}), 1);
    EXPECT_TRUE(err.contains(QStringLiteral("Die Einstellungsdatei"))) << err.toStdString();
}

TEST_F(CliRun, FolderWithoutAccessRightsIsSaidSo) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root ignores access rights";
    const auto perms = QFile::permissions(fx.base);
    ASSERT_TRUE(QFile::setPermissions(fx.base, QFileDevice::Permissions()));
    const int rc = run({QStringLiteral("info")});
    QFile::setPermissions(fx.base, perms);
    EXPECT_NE(rc, 0);
    EXPECT_TRUE(err.contains(QStringLiteral("Kein Zugriff auf den Datenordner ") +
                             QDir::toNativeSeparators(fx.base)))
        << err.toStdString();
    EXPECT_FALSE(err.contains(QStringLiteral("existiert nicht"))) << err.toStdString();
}

// A run killed while writing leaves its temporary file; the next run clears it away, in the
// base folder and in the year folder it opens, and nothing else.
TEST_F(CliRun, NextRunClearsLeftoverTemporaryFiles) {
    const QString old = fx.base + QStringLiteral("/LEDRA25");
    DataFixture::copyShipped(old);
    const QString outside = fx.tmp.path() + QStringLiteral("/fremd.neu~");
    fx.writeFile(outside, "nicht von uns");
    fx.writeFile(fx.base + QStringLiteral("/Journal.DB.neu~"), "halb");
    fx.writeFile(fx.base + QStringLiteral("/LEDRA.INI.neu~"), "halb");
    fx.writeFile(old + QStringLiteral("/Konten.DB.neu~"), "halb");
    fx.writeFile(fx.base + QStringLiteral("/Notiz.neu~.txt"), "bleibt");
    ASSERT_TRUE(QDir().mkpath(fx.base + QStringLiteral("/LEDRA24.neu~")));
    fx.writeFile(fx.base + QStringLiteral("/LEDRA24.neu~/Journal.DB.neu~"), "bleibt");
    ASSERT_TRUE(QFile::link(outside, fx.base + QStringLiteral("/Bilanz.DB.neu~")));

    ASSERT_EQ(run({QStringLiteral("--year"), QStringLiteral("25"), QStringLiteral("info")}), 0)
        << err.toStdString();
    EXPECT_FALSE(QFile::exists(fx.base + QStringLiteral("/Journal.DB.neu~")));
    EXPECT_FALSE(QFile::exists(fx.base + QStringLiteral("/LEDRA.INI.neu~")));
    EXPECT_FALSE(QFile::exists(old + QStringLiteral("/Konten.DB.neu~")));
    EXPECT_TRUE(QFile::exists(fx.base + QStringLiteral("/Notiz.neu~.txt")));
    EXPECT_TRUE(QFile::exists(fx.base + QStringLiteral("/LEDRA24.neu~/Journal.DB.neu~")))
        << "only files, not what is inside a folder";
    EXPECT_TRUE(QFileInfo(fx.base + QStringLiteral("/Bilanz.DB.neu~")).isSymLink())
        << "a link is never followed nor removed";
    EXPECT_EQ(fx.readFile(outside), QByteArray("nicht von uns"));
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
