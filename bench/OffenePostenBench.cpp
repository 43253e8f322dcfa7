// The open-items consistency check over 10,000 open items and 10 year folders of 20,000
// bookings each, beside plain SQLite looking up the same numbers in the same journals (the
// floor). The check must not grow with open items times years.

#include "BenchFolder.h"
#include "klaro/OffenePostenRules.h"
#include "store/Schema.h"
#include "store/TableFile.h"
#include "ui/ScriptedUi.h"

#include <QDate>
#include <QGuiApplication>
#include <SQLiteCpp/SQLiteCpp.h>
#include <benchmark/benchmark.h>

#include <unordered_set>

namespace ledra {

namespace {

constexpr int kYears = 10;
constexpr int kPerYear = 20000;
constexpr int kItems = 10000;

QString yearName(int y) {
    return QStringLiteral("LEDRA%1").arg(15 + y);
}

struct Folder : BenchFolder {
    Folder() : BenchFolder("[BZR]\nVon=01.01.2025\nBis=31.12.2025\n") {
        // Year y holds the bookings y*20000+1 .. (y+1)*20000; every 20th is an open item, so
        // the open items are spread over all years and all of them are found.
        for (int y = 0; y < kYears; ++y) {
            const QString folder = base + QLatin1Char('/') + yearName(y);
            QDir().mkpath(folder);
            const QString j = folder + QStringLiteral("/Journal.DB");
            TableFile::create(j, Schemas::journal());
            QFile::copy(base + QStringLiteral("/Konten.DB"), folder + QStringLiteral("/Konten.DB"));
            SQLite::Database db(j.toStdString(), SQLite::OPEN_READWRITE);
            SQLite::Transaction tr(db);
            SQLite::Statement st(db, "INSERT INTO Journal (Autonummer, Belegdatum, Buchungstext, "
                                     "Soll, Haben, Brutto, Belegnummer, Euro) "
                                     "VALUES (?, ?, 'R: Kunde', 10000, 8400, 1190000, ?, 1)");
            for (int i = 1; i <= kPerYear; ++i) {
                const int nr = y * kPerYear + i;
                st.bind(1, nr);
                st.bind(
                    2, QDate(2015 + y, 1 + i % 12, 1 + i % 28).toString(Qt::ISODate).toStdString());
                st.bind(3, nr);
                st.exec();
                st.reset();
            }
            tr.commit();
        }
        SQLite::Database db(path("OP.db").toStdString(), SQLite::OPEN_READWRITE);
        SQLite::Transaction tr(db);
        SQLite::Statement st(db, "INSERT INTO OP (Nr, Betrag) VALUES (?, 1190000)");
        for (int k = 1; k <= kItems; ++k) {
            st.bind(1, k * (kYears * kPerYear / kItems));
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

void Pruefung(benchmark::State &state) {
    ScriptedUi ui;
    OffenePostenRules rules(ui);
    rules.init(folder().base, QStringLiteral("€"));
    rules.show();
    qint64 highest = 0;
    for (auto _ : state) {
        ui.answers = {Btn::Yes};
        const auto p = rules.pruefen();
        highest = p.highest;
        if (p.deleted != 0)
            state.SkipWithError("open items were deleted");
    }
    state.counters["highest"] = double(highest);
}
BENCHMARK(Pruefung)->Unit(benchmark::kMillisecond)->Iterations(5);

// The floor: each year's journal attached to the open items and searched for all of them.
void PlainLookup(benchmark::State &state) {
    const std::string op = folder().path("OP.db").toStdString();
    for (auto _ : state) {
        SQLite::Database db(op, SQLite::OPEN_READONLY);
        std::unordered_set<long long> found;
        for (int y = 0; y < kYears; ++y) {
            SQLite::Statement att(db, "ATTACH DATABASE ? AS J");
            att.bind(
                1, (folder().base + QLatin1Char('/') + yearName(y) + QStringLiteral("/Journal.DB"))
                       .toStdString());
            att.exec();
            {
                SQLite::Statement q(db, "SELECT d.Nr FROM OP d WHERE EXISTS "
                                        "(SELECT 1 FROM J.Journal b WHERE b.Autonummer = d.Nr)");
                while (q.executeStep())
                    found.insert(q.getColumn(0).getInt64());
                SQLite::Statement m(db, "SELECT MAX(Autonummer) FROM J.Journal");
                m.executeStep();
            }
            db.exec("DETACH DATABASE J");
        }
        benchmark::DoNotOptimize(found.size());
    }
}
BENCHMARK(PlainLookup)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

} // namespace ledra

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ledra::folder();
    ::benchmark::Initialize(&argc, argv);
    ::benchmark::RunSpecifiedBenchmarks();
    ::benchmark::Shutdown();
    return 0;
}
