// Posting with a journal of a million bookings: storing one batch row (every check, the
// balance update and, for an invoice, its entry in the open items' settlement batch) and
// transferring 10,000 batch rows into the journal, plain and with a third of them opening or
// settling open items and the payments among them entered into the invoice book. Plain
// SQLite is measured beside each as the floor: one fsynced commit of the same files per row,
// and one transaction that moves the same rows and makes the same open-item and invoice-book
// changes with a few set-wise statements.
//
//   cmake -S . -B build -DLEDRA_BUILD_BENCH=ON && cmake --build build --target bench_posting
//   build/bin/bench_posting

#include "app/Shell.h"
#include "invoicebook/RechnungsbuchStore.h"
#include "klaro/KlaroCore.h"
#include "posting/BuchungRules.h"
#include "posting/EntryLine.h"
#include "store/Query.h"
#include "store/Sql.h"
#include "store/Table.h"
#include "store/TableFile.h"
#include "ui/ScriptedUi.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <SQLiteCpp/Transaction.h>
#include <benchmark/benchmark.h>

#include "BenchFolder.h"

using namespace ledra;

namespace {

constexpr int kJournal = 1000000;
constexpr int kBatch = 10000;

struct Folder : BenchFolder {
    Folder()
        : BenchFolder(
              QStringLiteral(
                  "[Konten]\nVorsteuer=1576\nMwst=1776\n[BZR]\nVon=01.01.%1\nBis=31.12.%1\n")
                  .arg(QDate::currentDate().year())
                  .toUtf8()) {
        SQLite::Database db((base + QStringLiteral("/Journal.DB")).toStdString(),
                            SQLite::OPEN_READWRITE);
        SQLite::Transaction tr(db);
        SQLite::Statement st(db, "INSERT INTO Journal VALUES (?, ?, 'Altbuchung', ?, 1200, "
                                 "1000000, 1190000, 190000, 19, ?, NULL, 1, 0)");
        const int accounts[] = {4930, 3400, 4210, 4900};
        for (int i = 1; i <= kJournal; ++i) {
            st.bind(1, i);
            st.bind(2, QDate(QDate::currentDate().year(), 1 + i % 12, 1 + i % 28)
                           .toString(Qt::ISODate)
                           .toStdString());
            st.bind(3, accounts[i % 4]);
            st.bind(4, 100000 + i);
            st.exec();
            st.reset();
        }
        tr.commit();
    }
};

Folder &folder() {
    static Folder f;
    return f;
}

// The open-items plug-in on the bench's folder, as the program loads it.
void useOpenItems(Shell &fb, KlaroCore &openItems, Ui &ui) {
    openItems.create(nullptr, ui);
    openItems.init(folder().base, QStringLiteral("€"));
    fb.setOpenItemsForTest(&openItems);
}

// A customer invoice typed into the entry: the row, its three balances and its settlement
// entry (the open-items plug-in is loaded) are written in one transaction.
void StoreOneBatchRow(benchmark::State &state) {
    ScriptedUi ui;
    ui.defaultAnswer = Btn::Yes;
    Shell fb(ui, folder().program);
    if (!fb.start()) {
        state.SkipWithError("start failed");
        return;
    }
    KlaroCore openItems;
    useOpenItems(fb, openItems, ui);
    fb.entry().startTimer = [&] { fb.entry().refocusHaben(); };
    const QString line =
        QStringLiteral("05.03.%1;7;1400;8400;R: Kunde;119,00;B;").arg(QDate::currentDate().year());
    for (auto _ : state) {
        if (!enterBuchungLine(fb.entry(), line.split(QLatin1Char(';'))))
            state.SkipWithError("row refused");
    }
    if (openItems.stapelRole(int(fb.books().stapel.asInt(QStringLiteral("Autonummer")))).isEmpty())
        state.SkipWithError("no settlement entry written");
    fb.books().stapel.emptyTable();
    SQLite::Database(folder().path("Stapel.db").toStdString(), SQLite::OPEN_READWRITE)
        .exec("DELETE FROM Stapel");
    fb.setOpenItemsForTest(nullptr);
}
BENCHMARK(StoreOneBatchRow)->Unit(benchmark::kMillisecond)->Iterations(300);

// The floor of storing a row: one fsynced commit over the same three files (batch, chart,
// settlement batch) with the same writes, prepared once, nothing checked.
void PlainCommitBatchRowBalancesStapel(benchmark::State &state) {
    SQLite::Database db(folder().path("Buchung.DB").toStdString(), SQLite::OPEN_READWRITE);
    db.exec("ATTACH DATABASE '" + folder().path("Konten.DB").toStdString() + "' AS k");
    db.exec("ATTACH DATABASE '" + folder().path("Stapel.db").toStdString() + "' AS s");
    SQLite::Statement row(db, "INSERT INTO main.Buchung (Autonummer, Belegdatum, Buchungstext, "
                              "Soll, Haben, Netto, Brutto, Steuer, Steuersatz, Belegnummer, Euro, "
                              "Stfaellig) VALUES (?, '2026-03-05', 'R: Kunde', 1400, 8400, "
                              "1000000, 1190000, 190000, 19, 7, 1, 0)");
    SQLite::Statement saldo(db, "UPDATE k.Konten SET Saldo = Saldo + ?, JVZSoll = JVZSoll + ? "
                                "WHERE KtoNr = ?");
    SQLite::Statement stapel(db, "INSERT INTO s.Stapel (Nr, OP, KNr) VALUES (?, 1, 0)");
    int nr = 5000000;
    for (auto _ : state) {
        SQLite::Transaction tr(db);
        row.bind(1, ++nr);
        row.exec();
        row.reset();
        for (const auto &[konto, units] :
             {std::pair{1400, 1190000}, std::pair{8400, -1000000}, std::pair{1776, -190000}}) {
            saldo.bind(1, units);
            saldo.bind(2, units);
            saldo.bind(3, konto);
            saldo.exec();
            saldo.reset();
        }
        stapel.bind(1, nr);
        stapel.exec();
        stapel.reset();
        tr.commit();
    }
    db.exec("DELETE FROM main.Buchung");
    db.exec("DELETE FROM s.Stapel");
}
BENCHMARK(PlainCommitBatchRowBalancesStapel)->Unit(benchmark::kMillisecond)->Iterations(300);

// The first booking number of a new batch of kBatch rows. Every batch of the run, in
// whichever benchmark and repetition, gets numbers of its own: the journal, the open items
// and the invoice book keep what earlier batches left there.
constexpr qint64 kFirstBatch = kJournal + 100000;
qint64 freshBatch() {
    static qint64 next = kFirstBatch;
    const qint64 first = next;
    next += kBatch;
    return first;
}

void fillBatch(const QString &base, qint64 firstNr) {
    SQLite::Database db((base + QStringLiteral("/Buchung.DB")).toStdString(),
                        SQLite::OPEN_READWRITE);
    SQLite::Transaction tr(db);
    db.exec("DELETE FROM Buchung");
    SQLite::Statement st(db, "INSERT INTO Buchung VALUES (?, ?, 'Papier', 4930, 1200, 1000000, "
                             "1190000, 190000, 19, ?, NULL, 1, 0, 0)");
    for (int i = 0; i < kBatch; ++i) {
        st.bind(1, static_cast<int64_t>(firstNr + i));
        st.bind(2, QDate(QDate::currentDate().year(), 3, 5).toString(Qt::ISODate).toStdString());
        st.bind(3, 7 + i % 50);
        st.exec();
        st.reset();
    }
    tr.commit();
}

void TransferTenThousand(benchmark::State &state) {
    ScriptedUi ui;
    ui.defaultAnswer = Btn::Yes;
    Shell fb(ui, folder().program);
    if (!fb.start()) {
        state.SkipWithError("start failed");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        fillBatch(folder().base, freshBatch());
        fb.books().stapel.refresh();
        state.ResumeTiming();
        fb.entry().transferStapel();
    }
}
BENCHMARK(TransferTenThousand)->Unit(benchmark::kMillisecond)->Iterations(3);

// The floor: the same rows copied and deleted with plain SQL in one transaction.
void PlainSqlMoveTenThousand(benchmark::State &state) {
    for (auto _ : state) {
        state.PauseTiming();
        fillBatch(folder().base, freshBatch());
        state.ResumeTiming();
        SQLite::Database db((folder().base + QStringLiteral("/Journal.DB")).toStdString(),
                            SQLite::OPEN_READWRITE);
        db.exec(("ATTACH DATABASE '" +
                 (folder().base + QStringLiteral("/Buchung.DB")).toStdString() + "' AS b")
                    .c_str());
        SQLite::Transaction tr(db);
        db.exec("INSERT INTO main.Journal SELECT Autonummer, Belegdatum, Buchungstext, Soll, "
                "Haben, Netto, Brutto, Steuer, "
                "Steuersatz, Belegnummer, IDNr, Euro, Stfaellig FROM b.Buchung");
        db.exec("DELETE FROM b.Buchung");
        tr.commit();
    }
}
BENCHMARK(PlainSqlMoveTenThousand)->Unit(benchmark::kMillisecond)->Iterations(3);

// --- the transfer with the open items and the invoice book ---
//
// Of every six batch rows one is a customer invoice that opens an open item, one a payment
// from the bank that settles an open item (in full or, every other one, in part) and pays an
// invoice of the invoice book, and four are plain expenses. The invoice book holds 20,000
// older invoices besides the ones the payments pay; the change log is kept.

constexpr int kOldInvoices = 20000;
constexpr qint64 kItemBase = 50000000; // open items settled by the batch, apart from bookings

QString mervaFolder() {
    return folder().program + QStringLiteral("/MERVA");
}
QString mervaData() {
    return mervaFolder() + QStringLiteral("/Daten");
}

// The invoicing program's installation beside the bench folder, made once.
void prepareInvoiceBook() {
    static bool done = false;
    if (done)
        return;
    done = true;
    QDir().mkpath(mervaData());
    QFile::remove(mervaFolder() + QStringLiteral("/librechbuch.so"));
    QFile::copy(QStringLiteral(LEDRA_MERVA_STANDIN),
                mervaFolder() + QStringLiteral("/librechbuch.so"));
    QFile ini(mervaFolder() + QStringLiteral("/MERVA.INI"));
    if (ini.open(QIODevice::WriteOnly))
        ini.write(QStringLiteral("[Options]\nDaten=%1\nClient=1\n").arg(mervaData()).toUtf8());
    for (const TableSchema *s : {&Schemas::rechbuch(), &Schemas::beleg(), &Schemas::protokoll()})
        TableFile::create(mervaData() + QLatin1Char('/') + s->fileName, *s);
    SQLite::Database rb((mervaData() + QStringLiteral("/RechBuch.DB")).toStdString(),
                        SQLite::OPEN_READWRITE);
    rb.exec("ATTACH DATABASE '" + (mervaData() + QStringLiteral("/Beleg.DB")).toStdString() +
            "' AS h");
    SQLite::Transaction tr(rb);
    SQLite::Statement inv(rb, "INSERT INTO RechBuch (Typ, BelNr, Zahlung, Skonto, Einbehalt, "
                              "Info) VALUES ('R', ?, 1190000, 0, 0, 'bezahlt')");
    SQLite::Statement head(rb, "INSERT INTO h.Beleg (Typ, BelNr, Brutto, Waehrung) VALUES "
                               "('R', ?, 1190000, 2)");
    for (int i = 1; i <= kOldInvoices; ++i) {
        for (SQLite::Statement *st : {&inv, &head}) {
            st->bind(1, i);
            st->exec();
            st->reset();
        }
    }
    tr.commit();
}

// One run's batch: the rows, their roles in the settlement batch, the open items the payments
// settle and the invoices they pay. `first` is the first booking number; the run's invoices
// and open items are numbered from `first` too, so that every run has its own.
struct SettlingBatch {
    qint64 first;
    // Above the older invoices, and apart for every batch.
    qint64 invoice(int i) const { return 100000 + (first - kFirstBatch) + i; }
    qint64 item(int i) const { return kItemBase + first + i; }
    static bool opens(int i) { return i % 6 == 0; }
    static bool settles(int i) { return i % 6 == 3; }
    // Every other payment leaves a rest of its open item.
    static qint64 itemUnits(int i) { return i % 12 == 3 ? 2000000 : 1190000; }
};

void fillSettlingBatch(const SettlingBatch &sb) {
    const std::string date =
        QDate(QDate::currentDate().year(), 3, 5).toString(Qt::ISODate).toStdString();
    SQLite::Database db(folder().path("Buchung.DB").toStdString(), SQLite::OPEN_READWRITE);
    db.exec("ATTACH DATABASE '" + folder().path("Stapel.db").toStdString() + "' AS s");
    db.exec("ATTACH DATABASE '" + folder().path("OP.db").toStdString() + "' AS o");
    db.exec("ATTACH DATABASE '" + (mervaData() + QStringLiteral("/RechBuch.DB")).toStdString() +
            "' AS rb");
    db.exec("ATTACH DATABASE '" + (mervaData() + QStringLiteral("/Beleg.DB")).toStdString() +
            "' AS h");
    SQLite::Transaction tr(db);
    db.exec("DELETE FROM main.Buchung");
    db.exec("DELETE FROM s.Stapel");
    SQLite::Statement row(db, "INSERT INTO main.Buchung (Autonummer, Belegdatum, Buchungstext, "
                              "Soll, Haben, Netto, Brutto, Steuer, Steuersatz, Belegnummer, "
                              "Euro, Stfaellig, Satzfaellig) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, "
                              "?, 1, 0, 0)");
    SQLite::Statement role(db, "INSERT INTO s.Stapel (Nr, OP, KNr) VALUES (?, ?, ?)");
    SQLite::Statement item(db, "INSERT INTO o.OP (Nr, Betrag) VALUES (?, ?)");
    SQLite::Statement inv(db, "INSERT INTO rb.RechBuch (Typ, BelNr, Zahlung, Skonto, Einbehalt, "
                              "Info) VALUES ('R', ?, 0, 0, 0, '')");
    SQLite::Statement head(db, "INSERT INTO h.Beleg (Typ, BelNr, Brutto, Waehrung) VALUES "
                               "('R', ?, 1190000, 2)");
    // The text, accounts, amounts (1/10000 units), rate and voucher number of a batch row.
    auto bindRow = [&row](const char *text, int soll, int haben, int64_t netto, int64_t brutto,
                          int64_t steuer, double satz, int64_t beleg) {
        row.bind(3, text);
        row.bind(4, soll);
        row.bind(5, haben);
        row.bind(6, netto);
        row.bind(7, brutto);
        row.bind(8, steuer);
        row.bind(9, satz);
        row.bind(10, beleg);
    };
    for (int i = 0; i < kBatch; ++i) {
        const qint64 nr = sb.first + i;
        row.bind(1, static_cast<int64_t>(nr));
        row.bind(2, date);
        if (SettlingBatch::opens(i)) {
            bindRow("R: Kunde", 1400, 8400, 1000000, 1190000, 190000, 19.0, 900000 + i);
            role.bind(1, static_cast<int64_t>(nr));
            role.bind(2, 1);
            role.bind(3, 0);
        } else if (SettlingBatch::settles(i)) {
            bindRow("R: Kunde", 1200, 1400, 1190000, 1190000, 0, 0.0, sb.invoice(i));
            role.bind(1, static_cast<int64_t>(nr));
            role.bind(2, 0);
            role.bind(3, static_cast<int64_t>(sb.item(i)));
            item.bind(1, static_cast<int64_t>(sb.item(i)));
            item.bind(2, static_cast<int64_t>(SettlingBatch::itemUnits(i)));
            item.exec();
            item.reset();
            for (SQLite::Statement *st : {&inv, &head}) {
                st->bind(1, static_cast<int64_t>(sb.invoice(i)));
                st->exec();
                st->reset();
            }
        } else {
            bindRow("Papier", 4930, 1200, 1000000, 1190000, 190000, 19.0, 7 + i % 50);
        }
        row.exec();
        row.reset();
        if (SettlingBatch::opens(i) || SettlingBatch::settles(i)) {
            role.exec();
            role.reset();
        }
    }
    tr.commit();
}

// What a run left: open items the batch opened, items it settled that are still open, the
// invoices it paid, the entries left in the settlement batch.
struct SettledState {
    qint64 opened = 0, stillOpen = 0, paid = 0, leftInStapel = 0;
};

SettledState settledState(const SettlingBatch &sb) {
    SQLite::Database db(folder().path("OP.db").toStdString(), SQLite::OPEN_READONLY);
    db.exec("ATTACH DATABASE '" + folder().path("Stapel.db").toStdString() + "' AS s");
    db.exec("ATTACH DATABASE '" + (mervaData() + QStringLiteral("/RechBuch.DB")).toStdString() +
            "' AS rb");
    auto count = [&](const std::string &sql, qint64 lo, qint64 hi) {
        SQLite::Statement st(db, sql);
        st.bind(1, static_cast<int64_t>(lo));
        st.bind(2, static_cast<int64_t>(hi));
        return st.executeStep() ? qint64(st.getColumn(0).getInt64()) : -1;
    };
    SettledState s;
    s.opened =
        count("SELECT COUNT(*) FROM OP WHERE Nr BETWEEN ? AND ?", sb.first, sb.first + kBatch - 1);
    s.stillOpen = count("SELECT COUNT(*) FROM OP WHERE Nr BETWEEN ? AND ? AND Betrag = 810000",
                        sb.item(0), sb.item(kBatch - 1));
    s.paid = count("SELECT COUNT(*) FROM rb.RechBuch WHERE BelNr BETWEEN ? AND ? AND "
                   "Zahlung = 1190000 AND Info <> ''",
                   sb.invoice(0), sb.invoice(kBatch - 1));
    s.leftInStapel = count("SELECT COUNT(*) FROM s.Stapel WHERE ? <= ?", 0, 0);
    return s;
}

// The figures every run must reach, the program's and the floor's alike.
bool settledAsExpected(const SettlingBatch &sb, benchmark::State &state) {
    const SettledState s = settledState(sb);
    const qint64 payments = (kBatch + 2) / 6, halfOpen = (kBatch + 8) / 12;
    if (s.opened != (kBatch + 5) / 6 || s.stillOpen != halfOpen || s.paid != payments ||
        s.leftInStapel != 0) {
        const std::string why =
            QStringLiteral("unexpected result: %1 opened, %2 still open, %3 paid, "
                           "%4 left in the settlement batch")
                .arg(s.opened)
                .arg(s.stillOpen)
                .arg(s.paid)
                .arg(s.leftInStapel)
                .toStdString();
        state.SkipWithError(why.c_str());
        return false;
    }
    return true;
}

void TransferSettlingTenThousand(benchmark::State &state) {
    prepareInvoiceBook();
    ScriptedUi ui;
    ui.defaultAnswer = Btn::Yes;
    Shell fb(ui, folder().program);
    fb.mervaFolderOverride = mervaFolder();
    if (!fb.start() || !fb.rechDaten()) {
        state.SkipWithError("start failed");
        return;
    }
    KlaroCore openItems;
    useOpenItems(fb, openItems, ui);
    for (auto _ : state) {
        state.PauseTiming();
        const SettlingBatch sb{freshBatch()};
        fillSettlingBatch(sb);
        fb.books().stapel.refresh();
        openItems.reopenData();
        fb.rechDaten()->refresh();
        ui.clear();
        state.ResumeTiming();
        fb.entry().transferStapel();
        state.PauseTiming();
        if (!ui.messages.empty())
            state.SkipWithError(ui.messages.front().text.toStdString().c_str());
        if (!fb.books().stapel.isEmpty())
            state.SkipWithError("batch not emptied");
        settledAsExpected(sb, state);
        state.ResumeTiming();
    }
    fb.setOpenItemsForTest(nullptr);
}
BENCHMARK(TransferSettlingTenThousand)->Unit(benchmark::kMillisecond)->Iterations(3);

// The floor: the same rows moved, the same open items opened, reduced and deleted, the same
// invoices paid and logged, with plain SQL in one transaction over the same files.
void PlainSqlMoveSettlingTenThousand(benchmark::State &state) {
    prepareInvoiceBook();
    for (auto _ : state) {
        state.PauseTiming();
        const SettlingBatch sb{freshBatch()};
        fillSettlingBatch(sb);
        const std::string paid =
            QStringLiteral("%1:Zahlung 119,00 €\n")
                .arg(
                    QDate(QDate::currentDate().year(), 3, 5).toString(QStringLiteral("dd.MM.yyyy")))
                .toStdString();
        state.ResumeTiming();
        SQLite::Database db(folder().path("Journal.DB").toStdString(), SQLite::OPEN_READWRITE);
        for (const auto &[alias, file] :
             {std::pair{"b", folder().path("Buchung.DB")},
              std::pair{"s", folder().path("Stapel.db")}, std::pair{"o", folder().path("OP.db")},
              std::pair{"rb", mervaData() + QStringLiteral("/RechBuch.DB")},
              std::pair{"h", mervaData() + QStringLiteral("/Beleg.DB")},
              std::pair{"rp", mervaData() + QStringLiteral("/Protokoll.DB")}})
            db.exec("ATTACH DATABASE '" + file.toStdString() + "' AS " + alias);
        SQLite::Transaction tr(db);
        db.exec("INSERT INTO main.Journal (Autonummer, Belegdatum, Buchungstext, Soll, Haben, "
                "Netto, Brutto, Steuer, Steuersatz, Belegnummer, IDNr, Euro, Stfaellig) SELECT "
                "Autonummer, Belegdatum, Buchungstext, Soll, Haben, Netto, Brutto, Steuer, CASE "
                "WHEN Stfaellig > 0 THEN Satzfaellig ELSE Steuersatz END, Belegnummer, IDNr, "
                "Euro, Stfaellig FROM b.Buchung");
        // The settling rows with their payment, each once.
        db.exec("CREATE TEMP TABLE pay AS SELECT s.KNr AS item, bu.Brutto AS amount, "
                "bu.Belegnummer AS invoice FROM s.Stapel s JOIN b.Buchung bu ON bu.Autonummer "
                "= s.Nr WHERE NOT s.OP");
        db.exec("CREATE INDEX temp.payItem ON pay (item)");
        db.exec("INSERT INTO o.OP (Nr, Betrag, KNr, Datum) SELECT s.Nr, bu.Brutto, s.KNr, "
                "s.Datum FROM s.Stapel s JOIN b.Buchung bu ON bu.Autonummer = s.Nr WHERE s.OP");
        db.exec("UPDATE o.OP SET Betrag = Betrag - (SELECT amount FROM pay WHERE item = OP.Nr) "
                "WHERE Nr IN (SELECT item FROM pay)");
        db.exec("DELETE FROM o.OP WHERE Betrag < 100 AND Nr IN (SELECT item FROM pay)");
        SQLite::Statement inv(db, "UPDATE rb.RechBuch SET Bezahlt = ?, Zahlung = "
                                  "COALESCE(Zahlung, 0) + (SELECT amount FROM pay WHERE invoice = "
                                  "RechBuch.BelNr), Info = COALESCE(Info, '') || ? WHERE Typ = "
                                  "'R' AND BelNr IN (SELECT invoice FROM pay)");
        inv.bind(1, QDate(QDate::currentDate().year(), 3, 5).toString(Qt::ISODate).toStdString());
        inv.bind(2, paid);
        inv.exec();
        db.exec("INSERT INTO rp.Protokoll (Datum, Geloescht, Tabelle, Feld) SELECT "
                "datetime('now'), 0, 'TRechbuch', 'R;' || invoice FROM pay");
        db.exec("DROP TABLE temp.pay");
        db.exec("DELETE FROM s.Stapel");
        db.exec("DELETE FROM b.Buchung");
        tr.commit();
        state.PauseTiming();
        settledAsExpected(sb, state);
        state.ResumeTiming();
    }
}
BENCHMARK(PlainSqlMoveSettlingTenThousand)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::benchmark::Initialize(&argc, argv);
    ::benchmark::RunSpecifiedBenchmarks();
    ::benchmark::Shutdown();
    return 0;
}
