// Posting with a journal of a million bookings: storing one batch row (every check, the
// balance update and, for an invoice, its entry in the open items' settlement batch) and
// transferring 10,000 batch rows into the journal. Plain SQLite is measured beside both as
// the floor: one fsynced commit of the same files per row, and one insert of the same rows
// in one transaction.
//
//   cmake -S . -B build -DLEDRA_BUILD_BENCH=ON && cmake --build build --target bench_posting
//   build/bin/bench_posting

#include "app/Shell.h"
#include "klaro/KlaroCore.h"
#include "posting/BuchungRules.h"
#include "posting/EntryLine.h"
#include "store/Query.h"
#include "store/Table.h"
#include "store/TableFile.h"
#include "ui/ScriptedUi.h"

#include <QDir>
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
    openItems.create(nullptr, ui);
    openItems.init(folder().base, QStringLiteral("€"));
    fb.setOpenItemsForTest(&openItems);
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
    qint64 next = kJournal + 100000;
    for (auto _ : state) {
        state.PauseTiming();
        fillBatch(folder().base, next);
        next += kBatch;
        fb.books().stapel.refresh();
        state.ResumeTiming();
        fb.entry().transferStapel();
    }
}
BENCHMARK(TransferTenThousand)->Unit(benchmark::kMillisecond)->Iterations(3);

// The floor: the same rows copied and deleted with plain SQL in one transaction.
void PlainSqlMoveTenThousand(benchmark::State &state) {
    qint64 next = kJournal + 900000;
    for (auto _ : state) {
        state.PauseTiming();
        fillBatch(folder().base, next);
        next += kBatch;
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

} // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::benchmark::Initialize(&argc, argv);
    ::benchmark::RunSpecifiedBenchmarks();
    ::benchmark::Shutdown();
    return 0;
}
