// Recomputation of all balances over a journal of a million bookings, beside its floor: a
// plain SQLite scan of the same journal file reading the same columns. Peak memory is read
// from /proc before and after.
//
//   cmake -S . -B build -DLEDRA_BUILD_BENCH=ON && cmake --build build --target bench_recompute
//   build/bin/bench_recompute

#include "app/Shell.h"
#include "books/SaldenRecompute.h"
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
#include <fstream>
#include <string>

using namespace ledra;

namespace {

constexpr int kJournal = 1000000;

long vmHwmKb() {
    std::ifstream f("/proc/self/status");
    std::string line;
    while (std::getline(f, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6));
    return 0;
}

struct Folder : BenchFolder {
    Folder() : BenchFolder("[Konten]\nVorsteuer=1576\nMwst=1776\n") {
        SQLite::Database db((base + QStringLiteral("/Journal.DB")).toStdString(),
                            SQLite::OPEN_READWRITE);
        SQLite::Transaction tr(db);
        SQLite::Statement st(db, "INSERT INTO Journal VALUES (?, ?, 'Buchung', ?, ?, 1000000, "
                                 "1190000, 190000, 19, ?, NULL, ?, 0)");
        const int soll[] = {4930, 1200, 3400, 1000};
        const int haben[] = {1200, 8400, 1600, 8300};
        for (int i = 1; i <= kJournal; ++i) {
            st.bind(1, i);
            // A few DM bookings before 2002 exercise the conversion.
            const int year = i % 50 == 0 ? 2001 : 2024;
            st.bind(2, QDate(year, 1 + i % 12, 1 + i % 28).toString(Qt::ISODate).toStdString());
            st.bind(3, soll[i % 4]);
            st.bind(4, haben[i % 4]);
            st.bind(5, i);
            st.bind(6, i % 50 == 0 ? 0 : 1);
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

void Recompute(benchmark::State &state) {
    ScriptedUi ui;
    Shell fb(ui, folder().program);
    if (!fb.start()) {
        state.SkipWithError("start failed");
        return;
    }
    const long before = vmHwmKb();
    for (auto _ : state)
        recomputeSalden(fb.books());
    state.counters["peak_kb_growth"] = double(vmHwmKb() - before);
    state.counters["messages"] = double(ui.messages.size());
}
BENCHMARK(Recompute)->Unit(benchmark::kMillisecond)->Iterations(3);

// The floor: reading the same columns of every journal row with plain SQLite.
void PlainScan(benchmark::State &state) {
    SQLite::Database db((folder().base + QStringLiteral("/Journal.DB")).toStdString(),
                        SQLite::OPEN_READONLY);
    for (auto _ : state) {
        SQLite::Statement st(
            db, "SELECT Belegdatum, Soll, Haben, Netto, Brutto, Steuer, Euro FROM Journal");
        qint64 sum = 0;
        while (st.executeStep())
            sum += st.getColumn(1).getInt64() + st.getColumn(3).getInt64() +
                   std::strlen(st.getColumn(0).getText());
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(PlainScan)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    folder();
    ::benchmark::Initialize(&argc, argv);
    ::benchmark::RunSpecifiedBenchmarks();
    ::benchmark::Shutdown();
    return 0;
}
