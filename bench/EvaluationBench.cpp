// The evaluations of a quarter on a year of 1,000,000 bookings (SKR 03, eight kinds of
// booking), each measured end to end through the command line's report command (without
// the program's start) beside its floor: a plain one-pass C++ scan of the same columns with
// SQLite, which sums, and formats a text line for every line the report writes. The period
// preparation alone is measured beside the scan and sums it needs. The journal PDF of about
// 100,000 bookings is measured beside a plain QPdfWriter program that draws the same texts at
// the same places (taken from the same layout beforehand, outside the time).
//
//   LEDRA_BUILD_BENCH=ON bash scripts/build && build/bin/bench_evaluations
//   build/bin/bench_evaluations --keep            keeps the year's folder and prints it
//   build/bin/bench_evaluations --year DIR        runs on a year kept before instead of
//       making one (combines with --peak)
//   build/bin/bench_evaluations --only TEXT       only the lines whose label holds TEXT
//   build/bin/bench_evaluations --peak KIND [N]   one run alone, then its peak memory:
//       KIND journal-pdf (N bookings), journal-txt (N days), saldenliste, ustva, kontenblatt
//
// All ratios are of the same run; the machine is noisy, so only ratios are compared, and each
// evaluation and its floor run three times in turn, the fastest of each counting.

#include "app/Shell.h"
#include "cli/ReportCommands.h"
#include "reportengine/Layout.h"
#include "reportengine/PdfRenderer.h"
#include "reports/EingrenzungRules.h"
#include "reports/JournalReport.h"
#include "reports/PrepareEvaluation.h"
#include "ui/ScriptedUi.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHash>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <SQLiteCpp/Transaction.h>

#include "BenchFolder.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <sys/resource.h>
#include <vector>

using namespace ledra;

namespace {

constexpr int kYear = 2025;
constexpr int kBookings = 1000000;
constexpr int kRepeats = 3;
const char *const kFrom = "01.04.2025", *const kTo = "30.06.2025";
const char *const kIsoFrom = "2025-04-01", *const kIsoTo = "2025-06-30";
// About 100,000 bookings of the year for the PDF.
const char *const kPdfTo = "06.05.2025";
const char *const kIsoPdfTo = "2025-05-06";

// One kind of booking: debit, credit, tax rate in percent.
struct Kind {
    int soll, haben, rate;
    const char *text;
};
constexpr Kind kKinds[] = {
    {4930, 1200, 19, "Büromaterial"},     {1400, 8400, 19, "Ausgangsrechnung"},
    {1200, 1400, 0, "Zahlung Kunde"},     {3400, 1600, 19, "Wareneinkauf"},
    {1600, 1200, 0, "Zahlung Lieferant"}, {1000, 8300, 7, "Barverkauf"},
    {1800, 1200, 0, "Privatentnahme"},    {4210, 1200, 0, "Miete"},
};

struct Folder : BenchFolder {
    explicit Folder(int bookings)
        : BenchFolder(QStringLiteral("[Konten]\nVorsteuer=1576\nMwst=1776\n[BZR]\nVon=01.01.%1\n"
                                     "Bis=31.12.%1\n[Farben]\nZeile=15790320\n")
                          .arg(kYear)
                          .toUtf8()) {
        SQLite::Database db(path("Journal.DB").toStdString(), SQLite::OPEN_READWRITE);
        SQLite::Transaction tr(db);
        SQLite::Statement st(db, "INSERT INTO Journal VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, NULL, "
                                 "1, ?)");
        const QDate first(kYear, 1, 1);
        char text[64];
        for (int i = 1; i <= bookings; ++i) {
            const Kind &k = kKinds[i % 8];
            const qint64 net = (1000 + (i * 7919LL) % 99000) * 100; // 10.00 to 1,000.00
            const qint64 tax = k.rate ? (net * k.rate + 50) / 100 / 100 * 100 : 0;
            st.bind(1, i);
            const QDate d = first.addDays(qint64(i) * 365 / (bookings + 1));
            st.bind(2, d.toString(Qt::ISODate).toStdString());
            std::snprintf(text, sizeof text, "%s %d", k.text, i);
            st.bind(3, text);
            st.bind(4, k.soll);
            st.bind(5, k.haben);
            st.bind(6, static_cast<int64_t>(net));
            st.bind(7, static_cast<int64_t>(net + tax));
            st.bind(8, static_cast<int64_t>(tax));
            st.bind(9, double(k.rate));
            st.bind(10, 100000 + i);
            st.bind(11, 0);
            st.exec();
            st.reset();
        }
        tr.commit();
    }
};

double msOf(const std::function<void()> &f) {
    QElapsedTimer t;
    t.start();
    f();
    return t.nsecsElapsed() / 1e6;
}

// --- the floors: SQLite read directly, the sums and lines in plain C++ ---

struct Chart {
    std::vector<int> art = std::vector<int>(100000, -1);
    std::vector<std::string> name = std::vector<std::string>(100000);
    explicit Chart(SQLite::Database &k) {
        SQLite::Statement st(k, "SELECT KtoNr, Art, Name FROM Konten");
        while (st.executeStep()) {
            const int nr = st.getColumn(0).getInt();
            if (nr >= 0 && nr < 100000) {
                art[size_t(nr)] = st.getColumn(1).isNull() ? -1 : st.getColumn(1).getInt();
                name[size_t(nr)] = st.getColumn(2).getString();
            }
        }
    }
    int of(long long nr) const { return nr >= 0 && nr < 100000 ? art[size_t(nr)] : -1; }
};

struct Sums {
    std::vector<long long> range = std::vector<long long>(100000),
                           before = std::vector<long long>(100000),
                           end = std::vector<long long>(100000);
};

// The balances of the range, the days before it and the year to its end in one pass: the
// same columns the preparation reads, the account-type rules reduced to their arithmetic.
Sums floorBalances(SQLite::Database &j, const Chart &chart) {
    Sums s;
    SQLite::Statement st(j, "SELECT Belegdatum, Soll, Haben, Netto, Brutto, Steuer, Euro FROM "
                            "Journal WHERE Belegdatum<=?");
    st.bind(1, kIsoTo);
    while (st.executeStep()) {
        const char *date = st.getColumn(0).getText();
        const long long soll = st.getColumn(1).getInt64(), haben = st.getColumn(2).getInt64();
        const int sa = chart.of(soll), ha = chart.of(haben);
        if (sa < 0 || ha < 0)
            continue;
        const long long netto = st.getColumn(3).getInt64(), brutto = st.getColumn(4).getInt64(),
                        steuer = st.getColumn(5).getInt64();
        (void)st.getColumn(6).getInt();
        const long long d = sa >= 4 ? brutto : netto, c = ha >= 4 ? brutto : netto;
        const bool inRange = std::strcmp(date, kIsoFrom) >= 0;
        for (auto *v : {&s.end, inRange ? &s.range : &s.before}) {
            (*v)[size_t(soll)] += d;
            (*v)[size_t(haben)] -= c;
            if (steuer >= 100)
                (*v)[sa == 3 || ha == 3 ? 1776 : 1576] += sa == 3 || ha <= 2 ? steuer : -steuer;
        }
    }
    return s;
}

// One text line per account as a trial balance writes it.
void writeAccountLines(const Chart &chart, const Sums &s, const QString &file) {
    FILE *f = std::fopen(file.toLocal8Bit().constData(), "w");
    char line[256];
    for (size_t nr = 0; nr < chart.art.size(); ++nr)
        if (chart.art[nr] >= 0) {
            const int n = std::snprintf(line, sizeof line, "%6zu %-30s %14.2f %14.2f %14.2f\n", nr,
                                        chart.name[nr].c_str(), s.before[nr] / 10000.0,
                                        s.range[nr] / 10000.0, s.end[nr] / 10000.0);
            std::fwrite(line, 1, size_t(n), f);
        }
    std::fclose(f);
}

// The VAT return's columns of the range, summed per rate.
void floorUstva(SQLite::Database &j, const Chart &chart, const QString &file) {
    SQLite::Statement st(j, "SELECT Soll, Haben, Netto, Brutto, Steuer, Stfaellig, Steuersatz "
                            "FROM Journal WHERE Belegdatum>=? AND Belegdatum<=?");
    st.bind(1, kIsoFrom);
    st.bind(2, kIsoTo);
    std::map<double, std::pair<long long, long long>> perRate;
    long long input = 0, direct = 0;
    while (st.executeStep()) {
        const long long soll = st.getColumn(0).getInt64(), haben = st.getColumn(1).getInt64();
        const int sa = chart.of(soll), ha = chart.of(haben);
        const long long netto = st.getColumn(2).getInt64(), brutto = st.getColumn(3).getInt64(),
                        steuer = st.getColumn(4).getInt64();
        (void)st.getColumn(5).getInt64();
        const double rate = st.getColumn(6).getDouble();
        if (haben == 1776 || soll == 1576)
            direct += brutto;
        auto &g = perRate[rate];
        if (ha == 3) {
            g.first += netto;
            g.second += steuer;
        } else if (sa == 3) {
            g.first -= netto;
            g.second -= steuer;
        } else if (sa >= 0 && sa <= 2) {
            input += steuer;
        }
    }
    FILE *f = std::fopen(file.toLocal8Bit().constData(), "w");
    for (const auto &[rate, g] : perRate)
        std::fprintf(f, "%5.1f %14.2f %14.2f\n", rate, g.first / 10000.0, g.second / 10000.0);
    std::fprintf(f, "%14.2f %14.2f\n", input / 10000.0, direct / 10000.0);
    std::fclose(f);
}

// The account sheet: the account's rows to the range end, the earlier ones summed into the
// opening line, one text line for each row of the range.
void floorSheet(SQLite::Database &j, const Chart &chart, int konto, const QString &file) {
    SQLite::Statement st(j, "SELECT Belegdatum, Belegnummer, Buchungstext, Soll, Haben, Netto, "
                            "Brutto, Euro, Steuersatz FROM Journal WHERE Belegdatum<=? AND "
                            "(Soll=? OR Haben=?) ORDER BY Belegdatum, Belegnummer, Autonummer");
    st.bind(1, kIsoTo);
    st.bind(2, konto);
    st.bind(3, konto);
    FILE *f = std::fopen(file.toLocal8Bit().constData(), "w");
    long long opening = 0, debit = 0, credit = 0;
    char line[256];
    while (st.executeStep()) {
        const char *date = st.getColumn(0).getText();
        const long long soll = st.getColumn(3).getInt64(), haben = st.getColumn(4).getInt64();
        const long long amount = st.getColumn(6).getInt64();
        const bool debitSide = soll == konto;
        if (std::strcmp(date, kIsoFrom) < 0) {
            opening += debitSide ? amount : -amount;
            continue;
        }
        (debitSide ? debit : credit) += amount;
        const long long other = debitSide ? haben : soll;
        const int n = std::snprintf(
            line, sizeof line, "%s %8lld %-30.30s %12.2f %12.2f %s %6lld %-20.20s %4.1f\n", date,
            static_cast<long long>(st.getColumn(1).getInt64()), st.getColumn(2).getText(),
            debitSide ? amount / 10000.0 : 0.0, debitSide ? 0.0 : amount / 10000.0,
            st.getColumn(7).getInt() ? "€" : "DM", other,
            other >= 0 && other < 100000 ? chart.name[size_t(other)].c_str() : "",
            st.getColumn(8).getDouble());
        std::fwrite(line, 1, size_t(n), f);
    }
    std::fprintf(f, "%14.2f %14.2f %14.2f\n", opening / 10000.0, debit / 10000.0, credit / 10000.0);
    std::fclose(f);
}

// The journal listing: every row of the range in the listing's order, one text line each.
void floorJournal(SQLite::Database &j, const Chart &chart, const char *isoTo, const QString &file) {
    SQLite::Statement st(j, "SELECT Belegdatum, Belegnummer, Buchungstext, Soll, Haben, Netto, "
                            "Brutto, Steuer, Steuersatz, Euro FROM Journal WHERE Belegdatum>=? "
                            "AND Belegdatum<=? ORDER BY Belegdatum, Belegnummer, Autonummer");
    st.bind(1, kIsoFrom);
    st.bind(2, isoTo);
    FILE *f = std::fopen(file.toLocal8Bit().constData(), "w");
    char line[320];
    while (st.executeStep()) {
        const long long soll = st.getColumn(3).getInt64(), haben = st.getColumn(4).getInt64();
        const int n = std::snprintf(
            line, sizeof line,
            "%s %8lld %-30.30s %6lld %-20.20s %6lld %-20.20s %12.2f %12.2f %12.2f %4.1f %s\n",
            st.getColumn(0).getText(), static_cast<long long>(st.getColumn(1).getInt64()),
            st.getColumn(2).getText(), soll,
            chart.of(soll) >= 0 ? chart.name[size_t(soll)].c_str() : "", haben,
            chart.of(haben) >= 0 ? chart.name[size_t(haben)].c_str() : "",
            st.getColumn(5).getInt64() / 10000.0, st.getColumn(6).getInt64() / 10000.0,
            st.getColumn(7).getInt64() / 10000.0, st.getColumn(8).getDouble(),
            st.getColumn(9).getInt() ? "€" : "DM");
        std::fwrite(line, 1, size_t(n), f);
    }
    std::fclose(f);
}

// A plain QPdfWriter program: the pages' texts and lines drawn at their places, the font set
// only when it changes.
void plainPdf(const report::PageModel &model, const QString &file) {
    QPdfWriter writer(file);
    writer.setResolution(600);
    writer.setPageLayout(QPageLayout(QPageSize(model.setup.paperMm, QPageSize::Millimeter),
                                     QPageLayout::Portrait, QMarginsF(0, 0, 0, 0),
                                     QPageLayout::Millimeter));
    QPainter p(&writer);
    const double f = 600 / 25.4;
    report::FontStyle current;
    bool hasFont = false;
    bool firstPage = true;
    for (const report::Page &page : model.pages) {
        if (!firstPage)
            writer.newPage();
        firstPage = false;
        for (const report::BandInstance &band : page.bands) {
            for (const report::RectItem &r : band.rects)
                if (r.fill.isValid())
                    p.fillRect(QRectF(r.rect.topLeft() * f, r.rect.size() * f), r.fill);
            for (const report::LineItem &l : band.lines) {
                p.setPen(QPen(l.color, std::max(l.widthMm * f, 1.0)));
                p.drawLine(l.from * f, l.to * f);
            }
            p.setPen(Qt::black);
            for (const report::TextItem &t : band.texts) {
                if (!hasFont || !(t.font == current)) {
                    p.setFont(report::toQFont(t.font));
                    current = t.font;
                    hasFont = true;
                }
                const Qt::Alignment h = t.alignment & Qt::AlignHorizontal_Mask;
                p.drawText(QRectF(t.rect.topLeft() * f, t.rect.size() * f),
                           int(h ? h : Qt::AlignLeft) | Qt::AlignTop | Qt::TextSingleLine |
                               Qt::TextDontClip,
                           t.text);
            }
        }
    }
}

// --- the program's side ---

struct Books {
    ScriptedUi ui;
    Shell shell;
    explicit Books(const QString &program) : shell(ui, program) {
        if (!shell.start()) {
            std::fprintf(stderr, "start failed\n");
            std::exit(1);
        }
    }
    int report(const QStringList &args) { return runReportCommand(shell.books(), args); }
};

QStringList quarter(const QString &name, const QString &out, const char *to = kTo) {
    return {name,
            QStringLiteral("--von"),
            QLatin1String(kFrom),
            QStringLiteral("--bis"),
            QLatin1String(to),
            out.endsWith(QLatin1String(".pdf")) ? QStringLiteral("--pdf") : QStringLiteral("--txt"),
            out};
}

void line(const char *what, double program, double floor) {
    std::printf("%-34s %9.0f ms   floor %9.0f ms   ratio %5.2f\n", what, program, floor,
                program / floor);
    std::fflush(stdout);
}

// The year's program folder, made here or kept by an earlier run, and a folder for the outputs.
struct Year {
    std::unique_ptr<Folder> made;
    QString program;
    QTemporaryDir out;
    QString path(const char *table) const {
        return program + QStringLiteral("/DATEN/") + QLatin1String(table);
    }
};

int peakRun(const Year &folder, const QString &kind, int n) {
    Books b(folder.program);
    const QString out = folder.out.filePath(QStringLiteral("peak"));
    const long before = statusKb("VmHWM:");
    int rc = 0;
    if (kind == QLatin1String("journal-pdf")) {
        // The first n bookings of the quarter.
        const QDate to = QDate(kYear, 4, 1).addDays(qint64(n) * 365 / kBookings - 1);
        rc = b.report(quarter(QStringLiteral("journal"), out + QStringLiteral(".pdf"),
                              qPrintable(to.toString(QStringLiteral("dd.MM.yyyy")))));
    } else if (kind == QLatin1String("journal-txt")) {
        const QDate to = QDate(kYear, 4, 1).addDays(n - 1);
        rc = b.report(quarter(QStringLiteral("journal"), out + QStringLiteral(".txt"),
                              qPrintable(to.toString(QStringLiteral("dd.MM.yyyy")))));
    } else if (kind == QLatin1String("kontenblatt")) {
        QStringList args = quarter(QStringLiteral("kontenblatt"), out + QStringLiteral(".txt"));
        args << QStringLiteral("--konto") << QStringLiteral("1200");
        rc = b.report(args);
    } else {
        rc = b.report(quarter(kind, out + QStringLiteral(".txt")));
    }
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    std::printf("%s %d: exit %d, peak resident %.1f MB (%.1f MB after start), maxrss %.1f MB\n",
                qPrintable(kind), n, rc, statusKb("VmHWM:") / 1024.0, before / 1024.0,
                ru.ru_maxrss / 1024.0);
    return rc;
}

} // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    Year folder;
    if (const qsizetype kept = args.indexOf(QStringLiteral("--year"));
        kept > 0 && kept + 1 < args.size()) {
        folder.program = args[kept + 1];
        if (!QFileInfo::exists(folder.path("Journal.DB"))) {
            std::fprintf(stderr, "no year in %s\n", qPrintable(folder.program));
            return 1;
        }
    } else {
        std::printf("making a year of %d bookings ...\n", kBookings);
        std::fflush(stdout);
        folder.made = std::make_unique<Folder>(kBookings);
        folder.program = folder.made->program;
        if (args.contains(QStringLiteral("--keep"))) {
            folder.made->tmp.setAutoRemove(false);
            std::printf("kept: %s\n", qPrintable(folder.program));
            return 0;
        }
    }
    const qsizetype peak = args.indexOf(QStringLiteral("--peak"));
    if (peak > 0 && peak + 1 < args.size())
        return peakRun(folder, args[peak + 1],
                       peak + 2 < args.size() ? args[peak + 2].toInt() : 100000);

    SQLite::Database journal(folder.path("Journal.DB").toStdString(), SQLite::OPEN_READONLY);
    SQLite::Database konten(folder.path("Konten.DB").toStdString(), SQLite::OPEN_READONLY);
    const Chart chart(konten);
    Books b(folder.program);
    const QString dir = folder.out.path() + QLatin1Char('/');
    auto out = [&](const char *name) { return dir + QLatin1String(name); };

    // Each measured once after one untimed walk of the journal, so that both sides find the
    // file in the page cache.
    floorBalances(journal, chart);
    const qsizetype only = args.indexOf(QStringLiteral("--only"));
    auto wanted = [&](const char *label) {
        return only < 0 || only + 1 >= args.size() || QLatin1String(label).contains(args[only + 1]);
    };

    if (wanted("period preparation")) {
        reports::EingrenzungRules dlg(b.shell.books());
        dlg.caption = QStringLiteral("Saldenliste");
        dlg.sortByDate();
        dlg.fromText = QLatin1String(kFrom);
        dlg.toText = QLatin1String(kTo);
        dlg.showModal = [&dlg] { return dlg.confirmRange(); };
        double program = 1e300, floor = 1e300;
        for (int i = 0; i < kRepeats; ++i) {
            program =
                std::min(program, msOf([&] { reports::prepareEvaluation(b.shell.books(), dlg); }));
            floor = std::min(floor, msOf([&] { floorBalances(journal, chart); }));
        }
        line("period preparation (trial bal.)", program, floor);
    }

    struct Evaluation {
        const char *label, *name;
        std::function<void(const QString &)> floor;
    };
    const Evaluation evaluations[] = {
        {"report saldenliste", "saldenliste",
         [&](const QString &f) { writeAccountLines(chart, floorBalances(journal, chart), f); }},
        {"report ustva", "ustva", [&](const QString &f) { floorUstva(journal, chart, f); }},
        {"report guv", "guv",
         [&](const QString &f) { writeAccountLines(chart, floorBalances(journal, chart), f); }},
        {"report bwa", "bwa",
         [&](const QString &f) { writeAccountLines(chart, floorBalances(journal, chart), f); }},
        {"report kontenblatt --konto 1200", "kontenblatt",
         [&](const QString &f) { floorSheet(journal, chart, 1200, f); }},
        {"report journal --txt", "journal",
         [&](const QString &f) { floorJournal(journal, chart, kIsoTo, f); }},
    };
    for (const Evaluation &e : evaluations) {
        if (!wanted(e.label))
            continue;
        QStringList a = quarter(QLatin1String(e.name), out("program.txt"));
        if (QLatin1String(e.name) == QLatin1String("kontenblatt"))
            a << QStringLiteral("--konto") << QStringLiteral("1200");
        int rc = 0;
        double program = 1e300, floor = 1e300;
        for (int i = 0; i < kRepeats; ++i) {
            program = std::min(program, msOf([&] { rc = b.report(a); }));
            floor = std::min(floor, msOf([&] { e.floor(out("floor.txt")); }));
        }
        if (rc != 0)
            std::printf("%s: exit %d\n", e.label, rc);
        line(e.label, program, floor);
    }

    // The journal PDF: the program's report command, then the same pages drawn by a plain
    // QPdfWriter program (the pages are laid out beforehand, outside the time).
    if (wanted("journal PDF")) {
        int rc = 0;
        const double program = msOf(
            [&] { rc = b.report(quarter(QStringLiteral("journal"), out("program.pdf"), kPdfTo)); });
        reports::EingrenzungRules dlg(b.shell.books());
        dlg.caption = QStringLiteral("Buchungsjournal");
        dlg.amountChoiceVisible = true;
        dlg.sortByDate();
        dlg.fromText = QLatin1String(kFrom);
        dlg.toText = QLatin1String(kPdfTo);
        dlg.open();
        dlg.confirmRange();
        reports::JournalReport report(b.shell.books(), dlg);
        report::PageCollector pages;
        report::layoutReport(report.Ausdruck, pages);
        const double floor = msOf([&] { plainPdf(pages.model(), out("floor.pdf")); });
        char label[80];
        std::snprintf(label, sizeof label, "journal PDF %lld rows, %zu pages",
                      static_cast<long long>(dlg.QJournal.recordCount()),
                      pages.model().pages.size());
        if (rc != 0)
            std::printf("journal pdf: exit %d\n", rc);
        line(label, program, floor);
        std::printf("PDF sizes: program %.1f MB, plain %.1f MB\n",
                    QFileInfo(out("program.pdf")).size() / 1048576.0,
                    QFileInfo(out("floor.pdf")).size() / 1048576.0);
        (void)kIsoPdfTo;
    }
    return 0;
}
