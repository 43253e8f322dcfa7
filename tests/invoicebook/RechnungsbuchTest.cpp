// The invoice-book link: the search of an invoice, the change log, and payments checked and
// entered during the transfer.

#include "posting/PostingFixture.h"

#include "invoicebook/RechnungsbuchStore.h"
#include "posting/RechnungszahlungRules.h"
#include "store/Query.h"
#include "store/Sql.h"
#include "store/TableFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <SQLiteCpp/Database.h>
#include <algorithm>
namespace ledra {

namespace {

const QString kQuestion =
    QStringLiteral("Sollen die Buchungen auch ins Rechnungsbuch eingetragen werden?");

struct Rechnungsbuch : Books {
    QString daten;

    void SetUp() override {
        Books::SetUp();
        // The invoicing program beside the program folder, with its tables.
        const QString merva = QFileInfo(fx.program).absolutePath() + QStringLiteral("/MERVA");
        daten = fx.tmp.path() + QStringLiteral("/MervaDaten");
        QDir().mkpath(merva);
        QDir().mkpath(daten);
        ASSERT_TRUE(QFile::copy(QStringLiteral(LEDRA_MERVA_STUB),
                                merva + QStringLiteral("/librechbuch.so")));
        fx.writeFile(merva + QStringLiteral("/MERVA.INI"),
                     QStringLiteral("[Options]\nDaten=%1\nClient=1\n").arg(daten).toUtf8());
        for (const TableSchema *s : {&Schemas::rechbuch(), &Schemas::beleg(), &Schemas::protokoll(),
                                     &Schemas::kunden(), &Schemas::liefer()})
            TableFile::create(daten + QLatin1Char('/') + s->fileName, *s);
        start();
        ASSERT_NE(fb->rechDaten(), nullptr);
    }

    RechnungsbuchStore &rb() { return *fb->rechDaten(); }

    // An invoice with its header; amounts in cents of its currency (waehrung 1: DM, 2: euro).
    void invoice(const char *typ, qint64 belNr, qint64 bruttoCents, int waehrung,
                 qint64 zahlungCents = 0, qint64 einbehaltCents = 0) {
        execute(rb().TRechbuch,
                QStringLiteral("INSERT INTO RechBuch (Typ, BelNr, Zahlung, Skonto, Einbehalt, "
                               "Info) VALUES (?, ?, ?, 0, ?, '')"),
                {QString::fromLatin1(typ), belNr, zahlungCents * 100, einbehaltCents * 100});
        execute(rb().TBeleg,
                QStringLiteral("INSERT INTO Beleg (Typ, BelNr, Brutto, Waehrung) "
                               "VALUES (?, ?, ?, ?)"),
                {QString::fromLatin1(typ), belNr, bruttoCents * 100, waehrung});
        rb().TRechbuch.refresh();
        rb().TBeleg.refresh();
    }

    // A batch row as the entry stores it (its balances do not matter here).
    void row(qint64 belegnummer, int soll, int haben, const QString &text, qint64 bruttoCents,
             bool euro = true) {
        Table &b = fb->books().stapel;
        const qint64 nr = std::max(scalar(b, QStringLiteral("SELECT MAX(Autonummer) FROM Buchung")),
                                   scalar(fb->books().journal,
                                          QStringLiteral("SELECT MAX(Autonummer) FROM Journal"))) +
                          1;
        execute(b,
                QStringLiteral("INSERT INTO Buchung (Autonummer, Belegdatum, Buchungstext, Soll, "
                               "Haben, Netto, Brutto, Steuer, Steuersatz, Belegnummer, Euro, "
                               "Stfaellig) VALUES (?, ?, ?, ?, ?, ?, ?, 0, 0, ?, ?, 0)"),
                {nr, QStringLiteral("%1-03-05").arg(year()), text, soll, haben, bruttoCents * 100,
                 bruttoCents * 100, belegnummer, euro ? 1 : 0});
        b.refresh();
    }

    struct Entry {
        Money zahlung, skonto;
        QString info;
        QDate bezahlt;
    };
    Entry entry(const char *typ, qint64 belNr) {
        Entry found;
        forEachRow(rb().TRechbuch,
                   QStringLiteral("SELECT Zahlung, Skonto, Info, Bezahlt FROM RechBuch WHERE "
                                  "Typ = ? AND BelNr = ?"),
                   {QString::fromLatin1(typ), belNr}, [&](const SqlRow &r) {
                       found = {r.money(0), r.money(1), r.text(2), r.date(3)};
                   });
        return found;
    }
    qint64 logRows() {
        return scalar(rb().TProtokoll, QStringLiteral("SELECT COUNT(*) FROM Protokoll"));
    }
    QString today() const { return QStringLiteral("05.03.") + year(); }
};

} // namespace

TEST(RechnungsbuchMatch, VoucherTextMustEndTheEightDigitNumber) {
    EXPECT_TRUE(RechnungsbuchStore::belNrEndsWith(1234, QStringLiteral("1234")));
    EXPECT_TRUE(RechnungsbuchStore::belNrEndsWith(51234, QStringLiteral("1234")));
    EXPECT_TRUE(RechnungsbuchStore::belNrEndsWith(1234, QStringLiteral("00001234")));
    EXPECT_FALSE(RechnungsbuchStore::belNrEndsWith(12345, QStringLiteral("1234")));
    // The first occurrence counts: 12121212 holds "1212" first at its start.
    EXPECT_FALSE(RechnungsbuchStore::belNrEndsWith(12121212, QStringLiteral("1212")));
    EXPECT_FALSE(RechnungsbuchStore::belNrEndsWith(1234, QString()));
    EXPECT_FALSE(RechnungsbuchStore::belNrEndsWith(123456789, QStringLiteral("89")));
}

TEST_F(Rechnungsbuch, FindsTheLastMatchingInvoiceOfItsTypeOnly) {
    invoice("R", 1234, 11900, 2);
    invoice("R", 71234, 5000, 2);
    invoice("N", 99234, 100, 2);
    Rechnungsverzeichnis dir = rb().verzeichnis(rb().TRechbuch, QString());
    const std::optional<qint64> rowid = dir.find(QStringLiteral("1234"), QLatin1Char('R'));
    ASSERT_TRUE(rowid);
    const std::optional<Rechnung> r = dir.rechnung(*rowid);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->belNr, 71234) << "seen from the end";
    EXPECT_EQ(r->brutto, Money::fromCents(5000)) << "the header follows the invoice";
    EXPECT_FALSE(dir.find(QStringLiteral("99234"), QLatin1Char('R')));
    EXPECT_TRUE(dir.find(QStringLiteral("234"), QLatin1Char('N')));
    EXPECT_FALSE(dir.find(QStringLiteral("1234"), QLatin1Char('\'')));
}

// The transfer finds each payment's invoice in a directory read once; it must find what the
// search over the book finds, for every voucher text: short and long suffixes, numbers of
// more than eight digits, negative numbers, other types and numbers that match nowhere.
TEST_F(Rechnungsbuch, TheDirectoryFindsWhatTheSearchOverTheBookFinds) {
    const qint64 numbers[] = {1,        7,        17,        1234,      71234,   51234,
                              12121212, 99999999, 123456789, 100000007, -5,      -1234,
                              -71234,   0,        10,        1000,      4000017, 87654321};
    for (const char *typ : {"R", "N", "G"})
        for (qint64 n : numbers)
            if (!(typ[0] == 'G' && n % 2 == 0))
                invoice(typ, n, 100, 2);
    Rechnungsverzeichnis dir = rb().verzeichnis(rb().TRechbuch, QString());
    int found = 0;
    for (QChar typ : {QLatin1Char('R'), QLatin1Char('N'), QLatin1Char('G'), QLatin1Char('X')})
        for (const QString &text :
             {QStringLiteral("1234"), QStringLiteral("234"), QStringLiteral("7"),
              QStringLiteral("17"), QStringLiteral("00000007"), QStringLiteral("0"),
              QStringLiteral("1212"), QStringLiteral("89"), QStringLiteral("8"),
              QStringLiteral("99999999"), QStringLiteral("123456789"), QStringLiteral("-5"),
              QStringLiteral("-1234"), QStringLiteral("5"), QStringLiteral("4711"), QString()}) {
            // The rule read plainly: the type's invoices from the end of the book, the first
            // whose number ends with the text; a voucher of up to eight digits also names only
            // numbers whose last digits it is (123456789 holds "8" where an eight-digit
            // number ends, but does not end with it).
            const bool digitsOnly =
                !text.isEmpty() && text.size() <= 8 &&
                std::all_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); });
            std::optional<qint64> expected, expectedNr;
            forEachRow(rb().TRechbuch,
                       QStringLiteral("SELECT rowid, BelNr FROM RechBuch WHERE Typ = ? ORDER BY "
                                      "BelNr DESC"),
                       {QString(typ)}, [&](const SqlRow &row) {
                           const qint64 n = row.int64(1);
                           const bool lastDigits =
                               n < 0 || !digitsOnly ||
                               QStringLiteral("%1").arg(n, 8, 10, QLatin1Char('0')).endsWith(text);
                           if (!lastDigits || !RechnungsbuchStore::belNrEndsWith(n, text))
                               return true;
                           expected = row.int64(0);
                           expectedNr = row.int64(1);
                           return false;
                       });
            const std::optional<qint64> rowid = dir.find(text, typ);
            ASSERT_EQ(rowid, expected) << QString(typ).toStdString() << " " << text.toStdString();
            if (!rowid)
                continue;
            ++found;
            const std::optional<Rechnung> byRowid = dir.rechnung(*rowid);
            ASSERT_TRUE(byRowid);
            EXPECT_EQ(byRowid->belNr, *expectedNr);
            EXPECT_EQ(byRowid->brutto, Money::fromCents(100)) << "the header comes with it";
        }
    EXPECT_GT(found, 10) << "many texts name an invoice";
}

TEST_F(Rechnungsbuch, StoringAnInvoiceRowWritesTheChangeLogOnlyWhenAsked) {
    invoice("R", 1234, 11900, 2);
    Table &r = rb().TRechbuch;
    ASSERT_TRUE(
        r.locate({QStringLiteral("Typ"), QStringLiteral("BelNr")}, {QStringLiteral("R"), 1234}));
    r.edit();
    r.setValue(QStringLiteral("Mahnstufe"), 1);
    r.post();
    r.edit();
    r.post();
    ASSERT_EQ(logRows(), 1) << "the second store edits the same log row";
    Table &p = rb().TProtokoll;
    p.first();
    EXPECT_EQ(p.asString(QStringLiteral("Tabelle")), QStringLiteral("TRechbuch"));
    EXPECT_EQ(p.asString(QStringLiteral("Feld")), QStringLiteral("R;1234"));
    EXPECT_FALSE(p.asBool(QStringLiteral("Geloescht")));
    EXPECT_TRUE(p.value(QStringLiteral("Datum")).toDateTime().isValid());

    invoice("R", 1300, 100, 2);
    rb().MitProtokoll = false;
    ASSERT_TRUE(
        r.locate({QStringLiteral("Typ"), QStringLiteral("BelNr")}, {QStringLiteral("R"), 1300}));
    r.edit();
    r.post();
    EXPECT_EQ(logRows(), 1) << "no log row without the change log";
}

TEST_F(Rechnungsbuch, EuroPaymentOfADmInvoiceWithDiscountIsEnteredConverted) {
    // DM 199,49 open: 102,00 € after conversion; 100,00 € paid and 2,00 € discount granted.
    invoice("R", 1234, 19949, 1);
    row(1234, 1200, 1400, QStringLiteral("R:Meier"), 10000);
    row(1234, 1800, 1400, QStringLiteral("gewährtes Skonto"), 200);
    ui.answers = {Btn::Yes, Btn::Yes};
    e().transferStapel();
    ASSERT_EQ(ui.questions.size(), 2u);
    EXPECT_EQ(ui.questions[1].text, kQuestion);
    EXPECT_EQ(ui.questions[1].buttons, Btn::YesNoCancel);
    EXPECT_TRUE(ui.messages.empty()) << "payment and discount match the open amount";
    EXPECT_TRUE(fb->books().stapel.isEmpty());
    const Entry en = entry("R", 1234);
    EXPECT_EQ(en.zahlung, Money::fromCents(19558)) << "100 € as DM, rounded to cents";
    EXPECT_EQ(en.skonto, Money::fromUnits(39117)) << "2 € as DM, four decimals kept";
    EXPECT_EQ(en.bezahlt, QDate(QDate::currentDate().year(), 3, 5));
    EXPECT_EQ(en.info, today() + QStringLiteral(":Zahlung 100,00 €\n") + today() +
                           QStringLiteral(":Skonto 2,00 €\n"));
    EXPECT_EQ(logRows(), 1);
}

TEST_F(Rechnungsbuch, PaymentsAreRecognisedByTextAndAccountTypes) {
    invoice("R", 10, 5000, 2);
    invoice("R", 11, 5000, 2);
    invoice("N", 12, 3000, 2);
    invoice("R", 13, 4000, 2);
    row(10, 1800, 1400, QStringLiteral("R:Privat bezahlt"), 5000); // credit customer suffices
    row(11, 1200, 8400, QStringLiteral("R:Bar"), 2000);            // money account debited
    row(12, 1600, 4210, QStringLiteral("L:Schulz"), 3000);         // supplier debited: type N
    row(13, 4930, 8400, QStringLiteral("R:keine Zahlung"), 4000);  // neither: not a payment
    ui.answers = {Btn::Yes, Btn::Ok, Btn::Yes};
    e().transferStapel();
    // Invoice 11 is paid only in part: the error names the open amount, OK goes on.
    ASSERT_EQ(ui.questions.size(), 3u);
    EXPECT_EQ(ui.questions[1].text,
              QStringLiteral("In der Buchung 11 entspricht der Betrag nicht dem offenen "
                             "Rechnungsbetrag von 50,00 €"));
    EXPECT_EQ(ui.questions[1].buttons, Btn::Ok | Btn::Cancel);
    EXPECT_EQ(entry("R", 10).zahlung, Money::fromCents(5000));
    EXPECT_EQ(entry("R", 11).zahlung, Money::fromCents(2000));
    EXPECT_EQ(entry("N", 12).zahlung, Money::fromCents(3000));
    EXPECT_EQ(entry("R", 13).zahlung, Money()) << "no payment";
    EXPECT_EQ(entry("R", 13).info, QString());
    EXPECT_TRUE(fb->books().stapel.isEmpty());
}

TEST_F(Rechnungsbuch, AnswersNoAndCancelAndAMismatchCancelled) {
    invoice("R", 20, 5000, 2, 0, 1000);
    row(20, 1200, 1400, QStringLiteral("R:Meier"), 4000); // open: 50 - 10 withheld
    // No: the batch moves, the invoice book stays.
    ui.answers = {Btn::Yes, Btn::No};
    e().transferStapel();
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(fb->books().journal.recordCount(), 1);
    EXPECT_EQ(entry("R", 20).zahlung, Money());
    EXPECT_EQ(logRows(), 0);
    // Cancel: nothing moves.
    row(20, 1200, 1400, QStringLiteral("R:Meier"), 4000);
    ui.clear();
    ui.answers = {Btn::Yes, Btn::Cancel};
    EXPECT_THROW(e().transferStapel(), SilentAbort);
    EXPECT_EQ(fb->books().journal.recordCount(), 1);
    EXPECT_EQ(fb->books().stapel.recordCount(), 1);
    // A payment that differs from the open amount, stopped at its error: nothing moves.
    row(21, 1200, 1400, QStringLiteral("R:Meier"), 100);
    invoice("R", 21, 5000, 2);
    ui.clear();
    ui.answers = {Btn::Yes, Btn::Cancel};
    EXPECT_THROW(e().transferStapel(), SilentAbort);
    ASSERT_EQ(ui.questions.size(), 2u);
    EXPECT_TRUE(ui.questions[1].text.startsWith(QStringLiteral("In der Buchung 21 ")));
    EXPECT_EQ(fb->books().stapel.recordCount(), 2);
    EXPECT_EQ(entry("R", 21).zahlung, Money());
}

TEST_F(Rechnungsbuch, DmPaymentOfAEuroInvoiceIsConvertedAndATinyDiscountWritesNoLine) {
    // 0,01 DM discount is 0,0051 €: it adds to the discount but writes no line.
    invoice("R", 30, 10226, 2); // 200,00 DM are 102,26 €
    row(30, 1200, 1400, QStringLiteral("R:Alt"), 20000, false);
    row(30, 1800, 1400, QStringLiteral("Skonto"), 1, false);
    ui.answers = {Btn::Yes, Btn::Ok, Btn::Yes};
    e().transferStapel();
    const Entry en = entry("R", 30);
    EXPECT_EQ(en.zahlung, Money::fromCents(10226));
    EXPECT_EQ(en.skonto, Money::fromUnits(51));
    EXPECT_EQ(en.info, today() + QStringLiteral(":Zahlung 200,00 DM\n"));
}

namespace {
// As the invoicing program does for an invoice it has locked.
void refuseChangesTo41(const QString &daten) {
    SQLite::Database db((daten + QStringLiteral("/RechBuch.DB")).toStdString(),
                        SQLite::OPEN_READWRITE);
    db.exec("CREATE TRIGGER sperre BEFORE UPDATE ON RechBuch WHEN old.BelNr = 41 "
            "BEGIN SELECT RAISE(ABORT, 'gesperrt'); END");
}
} // namespace

TEST_F(Rechnungsbuch, ARefusedInvoiceBookWriteKeepsTheRowInTheBatch) {
    invoice("R", 40, 1000, 2);
    invoice("R", 41, 2000, 2);
    row(40, 1200, 1400, QStringLiteral("R:A"), 1000);
    row(41, 1200, 1400, QStringLiteral("R:B"), 2000);
    row(42, 1200, 8400, QStringLiteral("Verkauf"), 500);
    // The invoicing program refuses changes to invoice 41.
    refuseChangesTo41(daten);
    ui.answers = {Btn::Yes, Btn::Yes};
    EXPECT_THROW(e().transferStapel(), SilentAbort);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].kind, MsgKind::Error);
    EXPECT_FALSE(ui.messages[0].text.isEmpty());
    // The first payment moved with its entry; the refused one and the rest stay.
    EXPECT_EQ(fb->books().journal.recordCount(), 1);
    EXPECT_EQ(fb->books().stapel.recordCount(), 2);
    EXPECT_EQ(entry("R", 40).zahlung, Money::fromCents(1000));
    EXPECT_EQ(entry("R", 41).zahlung, Money());
    EXPECT_EQ(scalar(fb->books().journal,
                     QStringLiteral("SELECT COUNT(*) FROM Journal WHERE Belegnummer = 41")),
              0);
    EXPECT_EQ(logRows(), 1) << "only the entered payment is logged";
}

// The rows after a refused payment leave the journal again, and only they: a journal row
// whose number lies between them stays.
TEST_F(Rechnungsbuch, ARefusedPaymentTakesOnlyTheBatchsRowsAfterItOutOfTheJournal) {
    invoice("R", 40, 1000, 2);
    invoice("R", 41, 2000, 2);
    row(40, 1200, 1400, QStringLiteral("R:A"), 1000);
    row(41, 1200, 1400, QStringLiteral("R:B"), 2000);
    const qint64 between =
        scalar(fb->books().stapel, QStringLiteral("SELECT MAX(Autonummer) FROM Buchung")) + 1;
    fb->books().journal.appendRecord({between, QDate(2026, 1, 1), QStringLiteral("alt")});
    row(42, 1200, 8400, QStringLiteral("Verkauf"), 500);
    refuseChangesTo41(daten);
    ui.answers = {Btn::Yes, Btn::Yes};
    EXPECT_THROW(e().transferStapel(), SilentAbort);
    EXPECT_EQ(scalar(fb->books().journal,
                     QStringLiteral("SELECT COUNT(*) FROM Journal WHERE Autonummer = ?"),
                     {between}),
              1);
    EXPECT_EQ(scalar(fb->books().journal,
                     QStringLiteral("SELECT COUNT(*) FROM Journal WHERE Belegnummer IN (41, 42)")),
              0);
    EXPECT_EQ(fb->books().journal.recordCount(), 2);
    EXPECT_EQ(fb->books().stapel.recordCount(), 2);
    EXPECT_EQ(entry("R", 40).zahlung, Money::fromCents(1000));
}

// The command line: a stand-in installation, the transfer's answers, the invoice book as text.
TEST(RechnungsbuchCli, StandInInstallationTransferAndListing) {
    DataFixture fx;
    fx.addAccount(1200, QStringLiteral("Bank"), 4, 0);
    fx.addAccount(1410, QStringLiteral("Kunde"), 7, 0);
    fx.writeFile(fx.base + QStringLiteral("/LEDRA.INI"),
                 QStringLiteral("[BZR]\nVon=01.01.2026\nBis=31.12.2026\n").toUtf8());
    const QString merva = fx.tmp.path() + QStringLiteral("/stand-in");
    // A per-user copy of another installation's settings does not redirect a named folder.
    const QString appdata = fx.tmp.path() + QStringLiteral("/appdata");
    QDir().mkpath(appdata + QStringLiteral("/QUINDEL"));
    fx.writeFile(appdata + QStringLiteral("/QUINDEL/MERVA.INI"),
                 QStringLiteral("[Options]\nDaten=%1/anderswo\n").arg(fx.tmp.path()).toUtf8());
    auto run = [&](const QStringList &args, QString *out = nullptr) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("APPDATA"), appdata);
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(LEDRA_CLI), args);
        p.waitForFinished(60000);
        if (out)
            *out = QString::fromUtf8(p.readAllStandardOutput());
        return p.exitCode();
    };
    ASSERT_EQ(
        run({QStringLiteral("merva-init"), merva, QStringLiteral("--client"), QStringLiteral("1")}),
        0);
    EXPECT_TRUE(QFileInfo(merva + QStringLiteral("/librechbuch.so")).isFile());
    for (const char *f : {"MERVA.INI", "Daten/Kunden.DB", "Daten/Liefer.DB", "Daten/RechBuch.DB",
                          "Daten/Beleg.DB", "Daten/Protokoll.DB"})
        EXPECT_TRUE(QFileInfo(merva + QLatin1Char('/') + QLatin1String(f)).isFile()) << f;
    EXPECT_NE(run({QStringLiteral("merva-init"), merva}), 0) << "nothing is overwritten";
    {
        auto c = SqlConnection::open(merva + QStringLiteral("/Daten/RechBuch.DB"));
        execute(c, QStringLiteral("INSERT INTO RechBuch (Typ, BelNr, Einbehalt) VALUES "
                                  "('R', 7, 0)"));
        auto h = SqlConnection::open(merva + QStringLiteral("/Daten/Beleg.DB"));
        execute(h, QStringLiteral("INSERT INTO Beleg (Typ, BelNr, Brutto, Waehrung) VALUES "
                                  "('R', 7, 1190000, 2)"));
    }
    const QString file = fx.tmp.path() + QStringLiteral("/b.txt");
    fx.writeFile(file, QStringLiteral("05.03.2026;7;1200;1410;R:Kunde;100,00;B;\n"
                                      "06.03.2026;7;1200;1410;R:Kunde;19,00;B;\n")
                           .toUtf8());
    const QStringList base{QStringLiteral("--data"),   fx.base,
                           QStringLiteral("--merva"),  merva,
                           QStringLiteral("--answer"), QStringLiteral("yes")};
    ASSERT_EQ(run(base + QStringList{QStringLiteral("book"), file}), 0);
    // Each row alone differs from the open amount: "weiter" goes on, "ja" enters both.
    ASSERT_EQ(run(base + QStringList{QStringLiteral("transfer"), QStringLiteral("--abweichung"),
                                     QStringLiteral("weiter"), QStringLiteral("--rechnungsbuch"),
                                     QStringLiteral("ja")}),
              0);
    QString out;
    ASSERT_EQ(run(base + QStringList{QStringLiteral("rechnungsbuch")}, &out), 0);
    EXPECT_EQ(out, QStringLiteral("Typ;BelNr;Zahlung;Skonto;Einbehalt;Bezahlt;Info\n"
                                  "R;7;119.00;0.00;0.00;2026-03-06;05.03.2026:Zahlung 100,00 "
                                  "€\\n06.03.2026:Zahlung 19,00 €\\n\n"));
    // The default answer to the mismatch stops the transfer; "nein" leaves the book alone.
    fx.writeFile(file, QStringLiteral("07.03.2026;7;1200;1410;R:Kunde;5,00;B;\n").toUtf8());
    ASSERT_EQ(run(base + QStringList{QStringLiteral("book"), file}), 0);
    EXPECT_NE(run(base + QStringList{QStringLiteral("transfer")}), 0);
    ASSERT_EQ(run(base + QStringList{QStringLiteral("transfer"), QStringLiteral("--abweichung"),
                                     QStringLiteral("weiter")}),
              0);
    QString after;
    ASSERT_EQ(run(base + QStringList{QStringLiteral("rechnungsbuch")}, &after), 0);
    EXPECT_EQ(after, out);
}

} // namespace ledra
