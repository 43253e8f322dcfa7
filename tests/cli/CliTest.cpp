// The command-line contract: columns of the input file, the listings and the exit status.

#include "support/Fixture.h"

#include "store/Table.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <unistd.h>
namespace ledra {

namespace {

struct CliRun : ::testing::Test {
    DataFixture fx;
    QString out, err;
    int run(const QStringList &args, const QByteArray &input = QByteArray()) {
        return runRaw(QStringList{QStringLiteral("--data"), fx.base} + args, input);
    }
    int runRaw(const QStringList &args, const QByteArray &input = QByteArray()) {
        QProcess p;
        p.start(QStringLiteral(LEDRA_CLI), args);
        p.write(input);
        p.closeWriteChannel();
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
        QStringLiteral("1;%1-03-05;\"Papier \"\"A4\"\"\";4930;1200;100.00;119.00;19.00;19;1;;1;;")
            .arg(y));
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

TEST_F(CliRun, BookReadsStandardInputAndListingsQuoteTheirFields) {
    const QByteArray lines = QStringLiteral("05.03.%1;1;4930;1200;Semi \"x\";1,19;B;\n")
                                 .arg(QDate::currentDate().year())
                                 .toUtf8();
    EXPECT_EQ(run({QStringLiteral("book"), QStringLiteral("-")}, lines), 0) << err.toStdString();
    EXPECT_EQ(run({QStringLiteral("book"), QStringLiteral("/dev/stdin")}, lines), 0)
        << err.toStdString();
    ASSERT_EQ(run({QStringLiteral("batch")}), 0);
    EXPECT_EQ(out.count(QStringLiteral(";\"Semi \"\"x\"\"\";4930;1200;1.00;1.19;")), 2)
        << out.toStdString();
    fx.addAccount(1300, QStringLiteral("Bank; Giro"), 4, 0);
    ASSERT_EQ(run({QStringLiteral("accounts")}), 0);
    EXPECT_TRUE(out.contains(QStringLiteral("\n1300;\"Bank; Giro\";4;"))) << out.toStdString();
    EXPECT_EQ(out.section(QLatin1Char('\n'), 0, 0),
              QStringLiteral("KtoNr;Name;Art;Mwst;Saldo;Soll;Haben;DruckSaldo;VorSaldo;BWA;"
                             "BewSoll;BewHaben;JVZSoll;JVZHaben;Datum1;Bilanz"))
        << "the head is unchanged";
}

TEST_F(CliRun, BookRefusesLinesWithTheirNumberAndReason) {
    const QString y = QString::number(QDate::currentDate().year());
    QByteArray file = QStringLiteral("05.03.%1;1;4930;1200;Gut;1,19;B;\n"
                                     "05.03.%1;2;4930;1200;Drift;10,005;B;\n"
                                     "05.03.%1;3;1200.99;4930;Punkt;1,00;B;\n")
                          .arg(y)
                          .toUtf8();
    file += "05.03." + y.toUtf8() + ";4;4930;1200;Pap\xff;1,00;B;\n";
    file += QByteArray("05.03.") + y.toUtf8() + QByteArray(";5;4930;1200;N\0L;1,00;B;\n", 25);
    file += "05.03." + y.toUtf8() + ";6;4930;1200;Satz;1,00;B;-100\n";
    file += "05.03." + y.toUtf8() + ";7;4930;1200;Gut;2,38;B;\n";
    fx.writeFile(fx.tmp.path() + QStringLiteral("/bad.csv"), file);
    EXPECT_EQ(run({QStringLiteral("--answer"), QStringLiteral("yes"), QStringLiteral("book"),
                   fx.tmp.path() + QStringLiteral("/bad.csv")}),
              1);
    for (const char *reason :
         {"Zeile 2: Betrag mit höchstens zwei Nachkommastellen eingeben!",
          "Zeile 3: Soll '1200.99'", "Zeile 4: kein gültiger UTF-8-Text", "Zeile 5: NUL-Zeichen",
          "Zeile 6: Mwst-Satz muss zwischen 0 und 100 liegen!"})
        EXPECT_TRUE(err.contains(QString::fromUtf8(reason))) << reason << "\n" << err.toStdString();
    EXPECT_FALSE(err.contains(QStringLiteral("Frage:"))) << "refused before any question";
    ASSERT_EQ(run({QStringLiteral("batch")}), 0);
    EXPECT_EQ(out.count(QLatin1Char('\n')), 3) << "the two good lines, after the refused ones too";
}

TEST_F(CliRun, DataMustNameAFolder) {
    EXPECT_NE(runRaw({QStringLiteral("--data"), QString(), QStringLiteral("info")}), 0);
    EXPECT_TRUE(err.contains(QStringLiteral("--data"))) << err.toStdString();
    EXPECT_TRUE(out.isEmpty()) << "nothing opened: " << out.toStdString();
    const QString file = fx.tmp.path() + QStringLiteral("/datei.txt");
    fx.writeFile(file, "x");
    EXPECT_NE(runRaw({QStringLiteral("--data"), file, QStringLiteral("info")}), 0);
    EXPECT_TRUE(err.contains(QStringLiteral("ist kein Ordner"))) << err.toStdString();
    EXPECT_EQ(fx.readFile(file), QByteArray("x"));
}

// A mistyped command is refused before the folder is opened: the year settings stay as
// they were, and --help only shows the usage.
TEST_F(CliRun, UnknownCommandLeavesTheFolderUntouched) {
    const QString ini = fx.base + QStringLiteral("/LEDRA.INI");
    const QByteArray before = fx.readFile(ini);
    QFile::remove(ini);
    EXPECT_EQ(run({QStringLiteral("infos")}), 2);
    EXPECT_TRUE(err.contains(QStringLiteral("Unbekannter Befehl: infos"))) << err.toStdString();
    EXPECT_TRUE(err.contains(QStringLiteral("Aufruf: ledra-cli"))) << err.toStdString();
    EXPECT_FALSE(QFile::exists(ini)) << "the year settings were written by a refused command";
    EXPECT_EQ(runRaw({QStringLiteral("--help")}), 0);
    EXPECT_TRUE(err.contains(QStringLiteral("Aufruf: ledra-cli"))) << err.toStdString();
    fx.writeFile(ini, before);
    EXPECT_EQ(run({QStringLiteral("info")}), 0) << err.toStdString();
}

TEST_F(CliRun, YearCommandsNeedTheWindowsPreconditions) {
    ASSERT_EQ(run({QStringLiteral("--answer"), QStringLiteral("yes"), QStringLiteral("book"),
                   fx.tmp.path() + QStringLiteral("/b.csv")}),
              1);
    ASSERT_EQ(run({QStringLiteral("accounts")}), 0);
    const QString accounts = out;

    // A filled chart is not replaced by a standard chart.
    EXPECT_NE(run({QStringLiteral("--answer"), QStringLiteral("yes"), QStringLiteral("chart"),
                   QStringLiteral("skr03")}),
              0);
    EXPECT_TRUE(err.contains(QStringLiteral("leeren Kontenplan"))) << err.toStdString();
    ASSERT_EQ(run({QStringLiteral("accounts")}), 0);
    EXPECT_EQ(out, accounts);

    // The year change waits for the end of the booking period, however often it is run.
    const QString y = QString::number(QDate::currentDate().year());
    for (int i = 0; i < 2; ++i) {
        EXPECT_NE(run({QStringLiteral("--answer"), QStringLiteral("yes"), QStringLiteral("--today"),
                       QStringLiteral("01.12.") + y, QStringLiteral("yearchange")}),
                  0);
        EXPECT_TRUE(err.contains(QStringLiteral("Jahreswechsel erst nach dem Ende")))
            << err.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(fx.base + QStringLiteral("/LEDRA") + y.right(2)));
    EXPECT_TRUE(fx.readFile(fx.base + QStringLiteral("/LEDRA.INI"))
                    .contains(QStringLiteral("Bis=31.12.%1").arg(y).toUtf8()));

    // Carrying balances forward needs an earlier year open.
    EXPECT_NE(
        run({QStringLiteral("--answer"), QStringLiteral("yes"), QStringLiteral("carryforward")}),
        0);
    EXPECT_TRUE(err.contains(QStringLiteral("alte"))) << err.toStdString();
    ASSERT_EQ(run({QStringLiteral("accounts")}), 0);
    EXPECT_EQ(out, accounts);
}

TEST_F(CliRun, CsvReportsNeutraliseFormulasAndNameEveryColumn) {
    const QString y = QString::number(QDate::currentDate().year());
    fx.writeFile(fx.tmp.path() + QStringLiteral("/f.csv"),
                 QStringLiteral("05.03.%1;1;4930;1200;=HYPERLINK(1);119,00;B;\n"
                                "06.03.%1;2;4930;1200;@SUM(A1);1,19;B;\n"
                                "07.03.%1;3;4930;1200;-2+3;2,38;B;\n"
                                "08.03.%1;4;4930;1200;+Skonto;3,57;B;\n")
                     .arg(y)
                     .toUtf8());
    ASSERT_EQ(run({QStringLiteral("book"), fx.tmp.path() + QStringLiteral("/f.csv")}), 0)
        << err.toStdString();
    ASSERT_EQ(run({QStringLiteral("--answer"), QStringLiteral("yes"), QStringLiteral("transfer")}),
              0);
    const QString csv = fx.tmp.path() + QStringLiteral("/r.csv");
    const QList<QStringList> reports = {
        {QStringLiteral("journal")},
        {QStringLiteral("kontenblatt"), QStringLiteral("--konto"), QStringLiteral("1200")},
        {QStringLiteral("saldenliste-quer")}};
    for (const QStringList &report : reports) {
        ASSERT_EQ(run(QStringList{QStringLiteral("report")} + report +
                      QStringList{QStringLiteral("--csv"), csv}),
                  0)
            << err.toStdString();
        const QString text = QString::fromUtf8(fx.readFile(csv));
        const QStringList lines = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        ASSERT_GE(lines.size(), 2) << text.toStdString();
        EXPECT_EQ(csvCells(lines[0]).size(), csvCells(lines[1]).size())
            << report.first().toStdString() << "\n"
            << text.toStdString();
        for (const QString &line : lines)
            for (const QString &cell : csvCells(line)) {
                const bool amount = cell.contains(
                    QRegularExpression(QStringLiteral("^-[0-9][0-9.]*,[0-9]{2}( €)?$")));
                EXPECT_TRUE(amount || !QStringLiteral("=+-@").contains(cell.left(1)) ||
                            cell.isEmpty())
                    << report.first().toStdString() << ": " << cell.toStdString();
            }
        if (report.first() != QLatin1String("saldenliste-quer")) {
            for (const char *t : {"'=HYPERLINK(1)", "'@SUM(A1)", "'-2+3", "'+Skonto"})
                EXPECT_TRUE(text.contains(QString::fromUtf8(t))) << t << "\n" << text.toStdString();
        }
    }
    const QString quer = QString::fromUtf8(fx.readFile(csv));
    EXPECT_TRUE(quer.contains(QStringLiteral(";-126,14 €"))) << "amounts keep their sign\n"
                                                             << quer.toStdString();
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
