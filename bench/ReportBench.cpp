// The journal listing of 100,000 bookings: the filter dialog's OK (query opened and
// counted), the layout alone, and the layout written as PDF page by page. Reported: the
// times, the PDF time as a multiple of the layout time (both measured in the same run),
// the pages, the size of the file and the peak resident memory of the process while the
// PDF is written (VmHWM, reset before the pass where the kernel allows it).
//
//   cmake -S . -B build -DLEDRA_BUILD_BENCH=ON && cmake --build build --target bench_report
//   build/bin/bench_report

#include "app/Shell.h"
#include "reportengine/Layout.h"
#include "reportengine/PdfRenderer.h"
#include "reports/EingrenzungRules.h"
#include "reports/JournalReport.h"
#include "ui/ScriptedUi.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <SQLiteCpp/Transaction.h>
#include <benchmark/benchmark.h>

#include "BenchFolder.h"

#include <cstdio>

using namespace ledra;

namespace {

constexpr int kJournal = 100000;

struct Folder : BenchFolder {
    Folder()
        : BenchFolder(QStringLiteral(
                          "[Konten]\nVorsteuer=1576\nMwst=1776\n[BZR]\nVon=01.01.%1\nBis=31.12.%1\n"
                          "[Farben]\nZeile=15790320\n")
                          .arg(QDate::currentDate().year())
                          .toUtf8()) {
        const int year = QDate::currentDate().year();
        SQLite::Database db((base + QStringLiteral("/Journal.DB")).toStdString(),
                            SQLite::OPEN_READWRITE);
        SQLite::Transaction tr(db);
        SQLite::Statement st(db, "INSERT INTO Journal VALUES (?, ?, ?, ?, ?, 1000000, 1190000, "
                                 "190000, 19, ?, NULL, 1, 0)");
        const int debit[] = {4930, 3400, 4210, 4900, 1200};
        const int credit[] = {1200, 1200, 1000, 1200, 8400};
        for (int i = 1; i <= kJournal; ++i) {
            st.bind(1, i);
            st.bind(2, QDate(year, 1 + i % 12, 1 + i % 28).toString(Qt::ISODate).toStdString());
            st.bind(3, QStringLiteral("Buchung Nr. %1 für Büro").arg(i).toStdString());
            st.bind(4, debit[i % 5]);
            st.bind(5, credit[i % 5]);
            st.bind(6, 100000 + i);
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

// Lets VmHWM start again from the current resident size (Linux 4.0 and later).
bool resetPeak() {
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    return f.open(QIODevice::WriteOnly) && f.write("5") == 1;
}

void JournalListing100k(benchmark::State &state) {
    ScriptedUi ui;
    Shell fb(ui, folder().program);
    if (!fb.start()) {
        state.SkipWithError("start failed");
        return;
    }
    reports::EingrenzungRules dlg(fb.books());
    dlg.caption = QStringLiteral("Buchungsjournal");
    dlg.amountChoiceVisible = true;
    const QString pdf = folder().tmp.filePath(QStringLiteral("journal.pdf"));
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        dlg.open();
        if (!dlg.confirmRange()) {
            state.SkipWithError("no rows");
            return;
        }
        const double okMs = t.nsecsElapsed() / 1e6;

        reports::JournalReport countOnly(fb.books(), dlg);
        ledra::report::PageCounter counter;
        t.restart();
        ledra::report::layoutReport(countOnly.Ausdruck, counter);
        const double layoutMs = t.nsecsElapsed() / 1e6;

        const long rssBefore = statusKb("VmRSS:");
        const bool peakReset = resetPeak();
        reports::JournalReport report(fb.books(), dlg);
        QString error;
        t.restart();
        const bool ok = ledra::report::writePdf(report.Ausdruck, pdf, &error);
        const double pdfMs = t.nsecsElapsed() / 1e6;
        if (!ok) {
            state.SkipWithError(error.toUtf8().constData());
            return;
        }
        const long peak = statusKb("VmHWM:");
        state.SetIterationTime(pdfMs / 1000.0);
        state.counters["rows"] = double(dlg.QJournal.recordCount());
        state.counters["pages"] = counter.count();
        state.counters["ok_ms"] = okMs;
        state.counters["layout_ms"] = layoutMs;
        state.counters["pdf_ms"] = pdfMs;
        state.counters["pdf_per_layout"] = pdfMs / layoutMs;
        state.counters["pdf_MB"] = QFileInfo(pdf).size() / 1048576.0;
        state.counters["rss_before_MB"] = rssBefore / 1024.0;
        state.counters["peak_MB"] = peak / 1024.0;
        state.counters["peak_reset"] = peakReset ? 1 : 0;
        std::printf(
            "journal %d rows: OK %.0f ms, layout %.0f ms, PDF %.0f ms (%.1f x layout), %d pages, "
            "%.1f MB file; resident before %.0f MB, peak while writing %.0f MB%s\n",
            int(dlg.QJournal.recordCount()), okMs, layoutMs, pdfMs, pdfMs / layoutMs,
            counter.count(), QFileInfo(pdf).size() / 1048576.0, rssBefore / 1024.0, peak / 1024.0,
            peakReset ? "" : " (peak not reset: since process start)");
        dlg.QJournal.close();
    }
}
BENCHMARK(JournalListing100k)->Unit(benchmark::kMillisecond)->Iterations(1)->UseManualTime();

} // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    folder(); // the data is made before anything is measured
    ::benchmark::Initialize(&argc, argv);
    ::benchmark::RunSpecifiedBenchmarks();
}
