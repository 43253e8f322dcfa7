// Year change, carry-forward, earlier years and the VAT basis switch.

#include "posting/PostingFixture.h"

#include "accounts/Jahreswechsel.h"
#include "accounts/Versteuerung.h"
#include "books/IniFile.h"
#include "books/OutputFileGuard.h"
#include "books/SaldenRecompute.h"
#include "store/Query.h"
#include "store/Table.h"
#include "store/TableFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
namespace ledra {

namespace {

// A closed year 2025 with a few bookings in its journal.
struct Years : Books {
    void SetUp() override {
        Books::SetUp();
        // The capital account that takes the year's result and the private account.
        fb->books().konten.appendRecord({880, QStringLiteral("Variables Kapital"), 9, 0.0, 0, 0, 0,
                                         0, 0, QVariant(), 0, 0, 0, 0, QVariant(), QVariant()});
        fb->books().settings.kapital = QStringLiteral("0880");
        fb->books().settings.buchVon = QStringLiteral("01.01.2025");
        fb->books().settings.buchBis = QStringLiteral("31.12.2025");
        ui.answers = {Btn::Yes, Btn::Yes, Btn::Yes};
        ASSERT_TRUE(book("02.01.2025;1;1400;8400;Rechnung;1190,00;B;")); // customer 1190
        ASSERT_TRUE(book("03.01.2025;2;4210;1200;Miete;250,00;B;"));     // bank -250
        ASSERT_TRUE(book("04.01.2025;3;1800;1000;Privat;40,00;B;"));     // private
        ui.answers = {Btn::Yes};
        e().transferStapel();
        ASSERT_EQ(fb->books().journal.recordCount(), 3);
        ui.clear();
    }
    QString folder(const char *n) const { return fx.base + QLatin1Char('/') + QLatin1String(n); }
    Money opening(int konto, const char *side) { return field(konto, side); }
    // A new start of the program on the same folder, after the last run ended without its
    // close steps (as a crash ends it); the messages of the start are kept.
    void restart(QDate today) {
        fb.reset();
        ui.clear();
        fb = std::make_unique<Shell>(ui, fx.program);
        ASSERT_TRUE(fb->start(QRect(), today));
        fb->entry().startTimer = [this] { fb->entry().refocusHaben(); };
    }
    bool told(const char *start) const {
        for (const auto &m : ui.messages)
            if (m.text.startsWith(QString::fromUtf8(start)))
                return true;
        return false;
    }
    QString periodOnDisk(const char *key) const {
        return IniFile(fx.base + QStringLiteral("/LEDRA.INI"))
            .readString(QStringLiteral("BZR"), QLatin1String(key), QString());
    }
    // The archive as the year change moves it into place, before the journal is emptied.
    void archiveOfAStoppedChange() {
        const QString a = folder("LEDRA25");
        QDir(a).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(a));
        for (const char *t : {"BWA.db", "Bilanz.DB", "Konten.DB", "Journal.DB", "LEDRA.INI"})
            ASSERT_TRUE(QFile::copy(TableFile::resolve(fx.base, QLatin1String(t)),
                                    a + QLatin1Char('/') + QLatin1String(t)));
        fx.writeFile(a + QStringLiteral("/Jahreswechsel.offen"), QByteArray());
    }
};

} // namespace

TEST_F(Years, YearChangeArchivesAndCarriesForward) {
    ui.answers = {Btn::Yes};
    runJahreswechsel(fb->books(), QDate(2026, 1, 10));
    const QString a = folder("LEDRA25");
    for (const char *t : {"BWA.db", "Bilanz.DB", "Konten.DB", "Journal.DB", "LEDRA.INI"})
        EXPECT_TRUE(QFileInfo::exists(a + QLatin1Char('/') + QLatin1String(t))) << t;
    EXPECT_FALSE(QFileInfo::exists(a + QStringLiteral(".neu~")));
    EXPECT_FALSE(QFileInfo::exists(a + QStringLiteral("/Jahreswechsel.offen")))
        << "the change is complete";
    ASSERT_FALSE(ui.questions.empty());
    EXPECT_TRUE(
        ui.questions[0].text.endsWith(QStringLiteral("Den Jahreswechsel jetzt durchführen?")));
    EXPECT_TRUE(ui.questions[0].warning) << "the year change asks as a warning";
    EXPECT_EQ(fb->books().journal.recordCount(), 0);
    EXPECT_EQ(fb->status[0], QStringLiteral("0 Buchungen"));
    // Balance accounts carry, the VAT account too; profit-and-loss and private accounts start
    // at zero, closed into the capital account: revenue 1.000,00 less rent 250,00 and the
    // private 40,00 leave 710,00 on its credit side.
    EXPECT_EQ(opening(1200, "Haben"), Money::fromCents(25000));
    EXPECT_EQ(opening(1200, "Soll"), Money());
    EXPECT_EQ(saldo(1200), Money::fromCents(-25000));
    EXPECT_EQ(opening(1400, "Soll"), Money::fromCents(119000));
    EXPECT_EQ(saldo(1000), Money::fromCents(-4000)) << "cash carries";
    EXPECT_EQ(opening(1776, "Haben"), Money::fromCents(19000));
    EXPECT_EQ(opening(880, "Haben"), Money::fromCents(71000));
    // Cost accounts (type 0 here) start at zero as well: a cost balance never belongs to the
    // next year.
    for (int k : {8400, 4210, 1800}) {
        EXPECT_EQ(saldo(k), Money()) << k;
        EXPECT_EQ(opening(k, "Soll"), Money()) << k;
        EXPECT_EQ(opening(k, "Haben"), Money()) << k;
    }
    EXPECT_EQ(fb->books().settings.buchVon, QStringLiteral("01.01.2026"));
    EXPECT_EQ(fb->books().settings.buchBis, QStringLiteral("31.12.2026"));
    EXPECT_EQ(fb->books().settings.belegnr, QStringLiteral("1"));
    EXPECT_FALSE(fb->controls.jWechselEnabled);
    // The archive keeps the closed year: its journal, its closing balances, its settings.
    Table j(Schemas::journal());
    j.setFolder(a);
    j.open();
    EXPECT_EQ(j.recordCount(), 3);
    Table k(Schemas::konten());
    k.setFolder(a);
    k.open();
    ASSERT_TRUE(k.findKey({8400}));
    EXPECT_EQ(k.asMoney(QStringLiteral("Saldo")), Money::fromCents(-100000));
    IniFile ini(a + QStringLiteral("/LEDRA.INI"));
    EXPECT_EQ(ini.readString(QStringLiteral("BZR"), QStringLiteral("Bis"), QString()),
              QStringLiteral("31.12.2025"));
    EXPECT_EQ(ini.readString(QStringLiteral("Zaehler"), QStringLiteral("Beleg1"), QString()),
              QStringLiteral("4"));

    // The same period end again (typed back by hand): refused, nothing changes.
    fb->books().settings.buchBis = QStringLiteral("31.12.2025");
    ui.clear();
    ui.answers = {Btn::Yes};
    EXPECT_THROW(runJahreswechsel(fb->books(), QDate(2026, 1, 10)), SilentAbort);
    EXPECT_TRUE(ui.saw(QStringLiteral("Jahreswechsel wurde schon durchgeführt!")));
    EXPECT_EQ(opening(1400, "Soll"), Money::fromCents(119000));
}

TEST_F(Years, NewPeriodEndsInTodaysYear) {
    // A year that is still running is not closed (the command line asks without the window's
    // check of the button).
    ui.answers = {Btn::Yes};
    EXPECT_THROW(runJahreswechsel(fb->books(), QDate(2025, 12, 31)), SilentAbort);
    EXPECT_FALSE(QFileInfo::exists(folder("LEDRA25")));
    EXPECT_EQ(fb->books().journal.recordCount(), 3);
    ui.answers = {Btn::Yes};
    runJahreswechsel(fb->books(), QDate(2027, 1, 5));
    EXPECT_EQ(fb->books().settings.buchVon, QStringLiteral("01.01.2026"));
    EXPECT_EQ(fb->books().settings.buchBis, QStringLiteral("31.12.2027"));
}

TEST_F(Years, BatchRowsAreNeverCountedTwice) {
    // A row of the old year in the batch: the year change refuses and changes nothing.
    ui.answers = {Btn::Yes};
    ASSERT_TRUE(book("30.12.2025;9;4210;1200;Spät;10,00;B;"));
    ui.answers = {Btn::Yes};
    EXPECT_THROW(runJahreswechsel(fb->books(), QDate(2026, 1, 10)), SilentAbort);
    EXPECT_FALSE(QFileInfo::exists(folder("LEDRA25")));
    EXPECT_EQ(fb->books().journal.recordCount(), 3);
    fb->books().stapel.last();
    e().deleteRow();
    // A row of the new year stays in the batch and counts once in the new year.
    fb->books().settings.buchBis = QStringLiteral("31.01.2026");
    ui.answers = {Btn::Yes}; // voucher 1 exists in the old journal
    ASSERT_TRUE(book("05.01.2026;1;4210;1200;Januar;100,00;B;"));
    fb->books().settings.buchBis = QStringLiteral("31.12.2025");
    ui.answers = {Btn::Yes};
    runJahreswechsel(fb->books(), QDate(2026, 1, 10));
    EXPECT_EQ(opening(1200, "Haben"), Money::fromCents(25000)) << "carried without the January row";
    EXPECT_EQ(saldo(1200), Money::fromCents(-35000)) << "opening plus the January row once";
    EXPECT_EQ(saldo(4210), Money::fromCents(10000));
    Table k(Schemas::konten());
    k.setFolder(folder("LEDRA25"));
    k.open();
    ASSERT_TRUE(k.findKey({1200}));
    EXPECT_EQ(k.asMoney(QStringLiteral("Saldo")), Money::fromCents(-25000))
        << "the archive holds the closed year only";
}

TEST_F(Years, ChangeStoppedAfterTheCarryForwardIsFinishedAtTheNextStart) {
    BooksSession &books = fb->books();
    books.saveYearSettings(fx.base);
    // The program ends the moment the transaction that empties the journal and writes the
    // opening values has committed, before the settings name the new year.
    struct Killed {};
    const auto shellListener = books.listener;
    bool killed = false;
    books.listener = [&](BooksEvent ev) {
        shellListener(ev);
        if (ev == BooksEvent::JournalChanged && !killed && books.journal.isEmpty()) {
            killed = true;
            throw Killed();
        }
    };
    ui.answers = {Btn::Yes};
    EXPECT_THROW(runJahreswechsel(books, QDate(2026, 1, 10)), Killed);
    ASSERT_EQ(periodOnDisk("Bis"), QStringLiteral("31.12.2025"));

    restart(QDate(2026, 1, 10));
    EXPECT_TRUE(told("Der Jahreswechsel wurde unterbrochen und ist jetzt abgeschlossen."));
    BooksSession &again = fb->books();
    EXPECT_EQ(again.settings.buchVon, QStringLiteral("01.01.2026"));
    EXPECT_EQ(again.settings.buchBis, QStringLiteral("31.12.2026"));
    EXPECT_EQ(again.settings.belegnr, QStringLiteral("1"));
    EXPECT_EQ(periodOnDisk("Von"), QStringLiteral("01.01.2026"));
    EXPECT_EQ(periodOnDisk("Bis"), QStringLiteral("31.12.2026"));
    EXPECT_FALSE(QFileInfo::exists(folder("LEDRA25/Jahreswechsel.offen")));
    EXPECT_TRUE(fb->controls.delJahrEnabled);
    EXPECT_FALSE(fb->controls.jWechselEnabled) << "the new year is not over";
    EXPECT_EQ(again.journal.recordCount(), 0);
    EXPECT_EQ(opening(1200, "Haben"), Money::fromCents(25000));
    EXPECT_EQ(opening(1400, "Soll"), Money::fromCents(119000));
    EXPECT_EQ(saldo(1200), Money::fromCents(-25000));
    EXPECT_EQ(saldo(8400), Money());

    // A booking of the closed year never reaches the new journal.
    ui.clear();
    ui.answers = {Btn::Yes};
    EXPECT_FALSE(book("15.12.2025;5;4210;1200;Nachzügler;10,00;B;"));
    EXPECT_TRUE(ui.saw(QStringLiteral("Datum außerhalb des Buchungsbereiches!")));
    EXPECT_EQ(again.stapel.recordCount(), 0);

    restart(QDate(2026, 1, 10));
    EXPECT_FALSE(told("Der Jahreswechsel")) << "nothing is left to settle";
}

TEST_F(Years, ChangeStoppedBeforeTheJournalWasEmptiedIsUndoneAtTheNextStart) {
    fb->books().saveYearSettings(fx.base);
    // An archive whose journal is not the base journal: only a person can tell which is
    // right, so nothing is removed.
    archiveOfAStoppedChange();
    {
        UnitOfWork uw(folder("LEDRA25/Journal.DB"));
        uw.exec(QStringLiteral("DELETE FROM Journal WHERE Autonummer = (SELECT MAX(Autonummer) "
                               "FROM Journal)"));
        uw.commit();
    }
    restart(QDate(2026, 1, 10));
    EXPECT_TRUE(told("Im Ordner "));
    EXPECT_TRUE(QFileInfo::exists(folder("LEDRA25/Jahreswechsel.offen")));
    EXPECT_EQ(fb->books().journal.recordCount(), 3);
    EXPECT_EQ(fb->books().settings.buchBis, QStringLiteral("31.12.2025"));

    // The archive is a copy of the open year: the change is undone and can run again.
    archiveOfAStoppedChange();
    restart(QDate(2026, 1, 10));
    EXPECT_TRUE(told("Der Jahreswechsel wurde unterbrochen, bevor das Journal geleert war"));
    EXPECT_FALSE(QFileInfo::exists(folder("LEDRA25")));
    EXPECT_EQ(fb->books().journal.recordCount(), 3);
    EXPECT_EQ(fb->books().settings.buchBis, QStringLiteral("31.12.2025"));
    EXPECT_EQ(opening(1200, "Haben"), Money());
    EXPECT_EQ(saldo(1200), Money::fromCents(-25000));
    ui.clear();
    ui.answers = {Btn::Yes};
    runJahreswechsel(fb->books(), QDate(2026, 1, 10));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(fb->books().journal.recordCount(), 0);
    EXPECT_EQ(fb->books().settings.buchBis, QStringLiteral("31.12.2026"));
    EXPECT_FALSE(QFileInfo::exists(folder("LEDRA25/Jahreswechsel.offen")));
    EXPECT_FALSE(QFileInfo::exists(fx.base + QStringLiteral("/Jahreswechsel.laeuft")));
}

TEST_F(Years, EarlierYearsOpenReturnAndDelete) {
    ui.answers = {Btn::Yes};
    runJahreswechsel(fb->books(), QDate(2026, 1, 10));
    ui.clear();
    for (const char *typed : {"", "#", "x/..", "..", "5", "2099"}) {
        ui.inputs = {QString::fromLatin1(typed)};
        EXPECT_THROW(toggleOldYear(fb->books()), SilentAbort) << typed;
        EXPECT_TRUE(ui.saw(QStringLiteral("Buchungsjahr nicht vorhanden!")));
        EXPECT_EQ(fb->status[2], QStringLiteral("DATEN")) << typed;
        ui.clear();
    }
    EXPECT_TRUE(
        yearFolderFor(fb->books(), QStringLiteral("../25")).endsWith(QStringLiteral("/LEDRA25")))
        << "only the last two characters count";
    ui.inputs = {QStringLiteral("2025")};
    toggleOldYear(fb->books());
    EXPECT_EQ(fb->altBuchCaption, QStringLiteral("Aktuelle Buchungsdaten"));
    EXPECT_EQ(fb->status[2], QStringLiteral("LEDRA25"));
    EXPECT_EQ(fb->status[0], QStringLiteral("3 Buchungen"));
    EXPECT_EQ(fb->books().settings.buchBis, QStringLiteral("31.12.2025"))
        << "the year's own settings";
    EXPECT_FALSE(fb->controls.delJahrEnabled);
    EXPECT_FALSE(fb->controls.jWechselEnabled);
    EXPECT_TRUE(fb->controls.kSaldouebertrEnabled);
    toggleOldYear(fb->books());
    EXPECT_EQ(fb->altBuchCaption, QStringLiteral("Alte Buchungsdaten"));
    EXPECT_EQ(fb->status[2], QStringLiteral("DATEN"));
    EXPECT_EQ(fb->books().settings.buchBis, QStringLiteral("31.12.2026"));

    // Deleting: ordinary files go; a subfolder keeps the folder, with the warning.
    QDir().mkpath(folder("LEDRA25") + QStringLiteral("/Unterordner"));
    ui.inputs = {QStringLiteral("25")};
    ui.answers = {Btn::Yes};
    ui.clear();
    deleteJahr(fb->books());
    ASSERT_EQ(ui.questions.size(), 1u);
    EXPECT_TRUE(ui.questions[0].warning);
    EXPECT_EQ(ui.questions[0].defaultButton, Btn::No) << "Enter alone deletes nothing";
    EXPECT_FALSE(QFileInfo::exists(folder("LEDRA25") + QStringLiteral("/Journal.DB")));
    EXPECT_TRUE(QFileInfo::exists(folder("LEDRA25") + QStringLiteral("/Unterordner")));
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_TRUE(
        ui.messages.back().text.startsWith(QStringLiteral("Beim Löschen des Verzeichnisses ")));
    ui.inputs = {QStringLiteral("../..")};
    EXPECT_THROW(deleteJahr(fb->books()), SilentAbort);
    EXPECT_TRUE(QFileInfo::exists(fx.base + QStringLiteral("/Konten.DB")))
        << "nothing outside a year folder is touched";
}

TEST_F(Years, LaterCarryForwardAsksPerAccount) {
    ui.answers = {Btn::Yes};
    runJahreswechsel(fb->books(), QDate(2026, 1, 10));
    ui.inputs = {QStringLiteral("25")};
    toggleOldYear(fb->books());
    // A late correction in 2025: another rent payment.
    fb->books().settings.buchBis = QStringLiteral("31.12.2025");
    ui.answers = {Btn::Yes};
    ASSERT_TRUE(book("31.12.2025;4;4210;1200;Nachtrag;50,00;B;"));
    ui.answers = {Btn::Yes};
    e().transferStapel();
    ui.clear();
    ui.answers = {Btn::Yes, Btn::Yes};
    carryForwardSalden(fb->books());
    // The bank and the capital account, which takes the lower profit, changed.
    ASSERT_EQ(ui.questions.size(), 2u);
    EXPECT_EQ(ui.questions[0].text,
              QStringLiteral("Variables Kapital alt: -710,00\rüberschreiben mit neu: -660"));
    EXPECT_EQ(ui.questions[1].text,
              QStringLiteral("Bank alt: -250,00\rüberschreiben mit neu: -300"));
    toggleOldYear(fb->books()); // back to the current year
    EXPECT_EQ(opening(880, "Haben"), Money::fromCents(66000));
    EXPECT_EQ(opening(1200, "Haben"), Money::fromCents(30000));
    EXPECT_EQ(saldo(1200), Money::fromCents(-30000));
}

TEST_F(Books, VatBasisSwitchRewritesDueTax) {
    ui.answers = {Btn::Yes, Btn::Yes, Btn::Yes, Btn::Yes, Btn::Yes};
    ASSERT_TRUE(book("02.03.%Y;100;1400;8400;Rechnung;1190,00;B;"));
    ASSERT_TRUE(book("05.03.%Y;100;1200;1400;Zahlung;595,00;B;"));
    ASSERT_TRUE(book("02.03.%Y;101;1400;8400;Rechnung;1190,00;B;"));
    ASSERT_TRUE(book("05.03.%Y;101;1200;1400;Zahlung;1200,00;B;"));
    ASSERT_TRUE(book("02.03.%Y;102;1400;8400;Rechnung;1190,00;B;"));
    ASSERT_TRUE(book("05.03.%Y;102;1200;1400;Zahlung;1190,00;B;"));
    ASSERT_TRUE(book("06.03.%Y;103;1200;1400;Fremd;100,00;B;"));
    ui.answers = {Btn::Yes};
    e().transferStapel();
    fb->books().settings.istSteuer = true;
    ui.clear();
    ui.answers = {Btn::Yes};
    switchVersteuerung(fb->books());
    EXPECT_TRUE(ui.saw(QStringLiteral(
        "Der Beleg 101 wurde überzahlt.\rDiese Buchung ist unzulässig und sollte storniert "
        "werden.\rDie Umsatzsteuerschuld wird automatisch angepasst.")));
    std::map<QString, std::pair<Money, double>> due;
    Table &j = fb->books().journal;
    for (j.first(); !j.eof(); j.next())
        due[j.asString(QStringLiteral("Belegnummer")) +
            j.asString(QStringLiteral("Buchungstext"))] = {
            j.asMoney(QStringLiteral("Stfaellig")), j.asDouble(QStringLiteral("Steuersatz"))};
    EXPECT_EQ(due["100Rechnung"].first, Money());
    EXPECT_EQ(due["100Zahlung"].first, Money::fromCents(9500)) << "partial payment: its own share";
    EXPECT_EQ(due["101Zahlung"].first, Money::fromCents(19160)) << "overpayment: its own share";
    EXPECT_EQ(due["102Zahlung"].first, Money::fromCents(19000))
        << "full payment: the invoice's tax";
    EXPECT_DOUBLE_EQ(due["102Zahlung"].second, 19.0);
    // No invoice of that voucher: the due tax of a hand-entered payment at the full rate
    // (100,00 contains 15,97), and the payment is named.
    EXPECT_EQ(due["103Fremd"].first, Money::fromCents(1597));
    EXPECT_DOUBLE_EQ(due["103Fremd"].second, 19.0);
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_TRUE(ui.messages.back().text.contains(QStringLiteral(": 100,00 zu 19 %")))
        << ui.messages.back().text.toStdString();

    fb->books().settings.istSteuer = false;
    ui.answers = {Btn::Yes};
    switchVersteuerung(fb->books());
    for (j.first(); !j.eof(); j.next()) {
        EXPECT_EQ(j.asMoney(QStringLiteral("Stfaellig")), Money());
        if (j.asMoney(QStringLiteral("Steuer")).isZero()) {
            EXPECT_DOUBLE_EQ(j.asDouble(QStringLiteral("Steuersatz")), 0.0);
        }
    }
}

// Whatever sits under the archive's temporary name (here a link to someone else's folder) is
// removed as an entry of the data folder; the folder it points to is never emptied or filled.
TEST_F(Years, PlantedLinkAtTheArchivesTemporaryNameIsNeverFollowed) {
    const QString foreign = fx.tmp.path() + QStringLiteral("/fremd");
    ASSERT_TRUE(QDir().mkpath(foreign + QStringLiteral("/unter")));
    fx.writeFile(foreign + QStringLiteral("/brief.txt"), "bleibt\n");
    ASSERT_TRUE(QFile::link(foreign, folder("LEDRA25") + QStringLiteral(".neu~")));
    ui.answers = {Btn::Yes};
    runJahreswechsel(fb->books(), QDate(2026, 1, 10));
    EXPECT_EQ(fx.readFile(foreign + QStringLiteral("/brief.txt")), QByteArray("bleibt\n"));
    EXPECT_TRUE(QFileInfo(foreign + QStringLiteral("/unter")).isDir());
    EXPECT_FALSE(QFileInfo::exists(foreign + QStringLiteral("/Journal.DB")));
    const QFileInfo archive(folder("LEDRA25"));
    EXPECT_TRUE(archive.isDir());
    EXPECT_FALSE(archive.isSymLink());
    EXPECT_TRUE(QFileInfo::exists(folder("LEDRA25") + QStringLiteral("/Journal.DB")));
    EXPECT_EQ(fb->books().journal.recordCount(), 0) << "the year change went through";
}

// With an earlier year open, its tables are as protected as the base data folder's.
TEST_F(Years, OutputFilesNeverLandOnTheBooks) {
    ui.answers = {Btn::Yes};
    runJahreswechsel(fb->books(), QDate(2026, 1, 10));
    BooksSession &b = fb->books();
    ASSERT_TRUE(b.openDataFolder(folder("LEDRA25"), QDate(2026, 1, 10)));
    const QString link = fx.tmp.path() + QStringLiteral("/liste.csv");
    ASSERT_TRUE(QFile::link(folder("LEDRA25") + QStringLiteral("/Journal.DB"), link));
    for (const QString &p :
         {folder("LEDRA25") + QStringLiteral("/journal.db"), link,
          folder("LEDRA25") + QStringLiteral("/Konten.DB-journal"),
          fx.base + QStringLiteral("/STAPEL.DB"), fx.base + QStringLiteral("/Konten.DB")})
        EXPECT_FALSE(outputFileRefusal(b, p).isEmpty()) << p.toStdString();
    for (const QString &p : {folder("LEDRA25") + QStringLiteral("/Journal.pdf"),
                             fx.tmp.path() + QStringLiteral("/Journal.DB")})
        EXPECT_TRUE(outputFileRefusal(b, p).isEmpty()) << p.toStdString();
}

} // namespace ledra
