#include "ReportCommands.h"
#include "CliOutput.h"

#include "books/BooksSession.h"
#include "books/OutputFileGuard.h"
#include "reports/BilanzReport.h"
#include "reports/BwaReport.h"
#include "reports/EingrenzungRules.h"
#include "reports/FileReportViewer.h"
#include "reports/GuvReport.h"
#include "reports/JournalReport.h"
#include "reports/KontenblattReport.h"
#include "reports/ReportViewer.h"
#include "reports/SaldenlisteQuerReport.h"
#include "reports/SaldenlisteReport.h"
#include "reports/StapelReport.h"
#include "reports/UstVaReport.h"
#include "store/EngineError.h"
#include "store/Table.h"
#include "ui/Ui.h"

#include <cstdio>
#include <functional>
#include <optional>
#include <vector>
namespace ledra {

namespace {

using reports::EingrenzungRules;

struct ReportArgs {
    QString name;
    std::optional<QString> von, bis;
    std::optional<EingrenzungRules::Sort> sort;
    bool netto = false;
    bool mitKonten = false;   // bwa, bilanz: "Mit Konten"
    bool nurBebuchte = false; // saldenliste, saldenliste-quer, bilanz: "nur bebuchte Konten"
    QString pdf, txt, csv;
    QString konto;        // kontenblatt: "1200" or "1000,1200"
    bool details = false; // ustva: "Mit Details"
    // ustva: a month (0-11) or a quarter (12-15) of the booking year, as the window's
    // "Zeitraum" offers them.
    std::optional<int> period;

    bool usesRange() const { return von || bis || sort || netto || period; }
};

// One report of the command. Further reports join by a runner and an entry in kReports.
using Runner = void (*)(reports::ReportContext &ctx, const ReportArgs &args);

struct ReportEntry {
    const char *name;
    const char *options; // shown in the usage text
    bool usesFilter;     // takes the range options of the filter dialog
    Runner run;
};

// The filter dialog as a person would fill it in: the sort option first (which sets its
// default range), then the typed range; OK is pressed at once.
void prepareFilter(reports::ReportContext &ctx, const ReportArgs &a) {
    EingrenzungRules &dlg = ctx.filter;
    if (a.sort)
        dlg.choose(*a.sort);
    if (a.von)
        dlg.fromText = *a.von;
    if (a.bis)
        dlg.toText = *a.bis;
    dlg.Netto = a.netto;
    dlg.showModal = [&dlg] { return dlg.confirmRange(); };
}

void runJournal(reports::ReportContext &ctx, const ReportArgs &a) {
    prepareFilter(ctx, a);
    reports::printJournal(ctx);
}

void runBatch(reports::ReportContext &ctx, const ReportArgs &) {
    reports::printStapel(ctx);
}

// The viewer of this command: every report it is handed goes into the files asked for. With a
// file label (several account sheets of one run), each report gets files of its own named
// after the label: konten.pdf becomes konten-1200.pdf, konten-1400.pdf ...
class CommandViewer : public reports::ReportViewer {
public:
    CommandViewer(const BooksSession &books, QString pdf, QString txt, QString csv)
        : m_books(books), m_pdf(std::move(pdf)), m_txt(std::move(txt)), m_csv(std::move(csv)) {}

    std::function<QString()> fileLabel;

    void preview(ledra::report::Report &report, const reports::PreviewOptions &options) override {
        const QString label = fileLabel ? fileLabel() : QString();
        m_written = true;
        // The labelled names are only known now; they must not land on the books either.
        for (const QString &name :
             {labelled(m_pdf, label), labelled(m_txt, label), labelled(m_csv, label)}) {
            const QString refusal = name.isEmpty() ? QString() : outputFileRefusal(m_books, name);
            if (!refusal.isEmpty()) {
                if (m_error.isEmpty())
                    m_error = refusal;
                return;
            }
        }
        reports::FileReportViewer files(labelled(m_pdf, label), labelled(m_txt, label),
                                        labelled(m_csv, label));
        files.preview(report, options);
        if (m_error.isEmpty())
            m_error = files.error();
    }
    void print(ledra::report::Report &report) override { preview(report, {}); }

    bool written() const { return m_written; }
    QString error() const { return m_error; }

    static QString labelled(const QString &name, const QString &label) {
        if (name.isEmpty() || label.isEmpty())
            return name;
        const qsizetype slash = name.lastIndexOf(QLatin1Char('/'));
        const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
        const qsizetype cut = dot > slash + 1 ? dot : name.size();
        return name.left(cut) + QLatin1Char('-') + label + name.mid(cut);
    }

private:
    const BooksSession &m_books;
    QString m_pdf, m_txt, m_csv;
    bool m_written = false;
    QString m_error;
};

[[noreturn]] void refuse(const QString &message) {
    err(message);
    throw SilentAbort();
}

// The accounts are marked in the order given; with more than one, each is printed on its own,
// as the window sends marked accounts straight to the printer.
void runKontenblatt(reports::ReportContext &ctx, const ReportArgs &a) {
    if (a.netto)
        refuse(QStringLiteral("Das Kontenblatt kennt kein --netto."));
    Table &konten = ctx.fb.kontenGrid;
    std::vector<qint64> marks;
    for (const QString &n : a.konto.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        const qint64 nr = n.trimmed().toLongLong(&ok);
        if (!ok || !konten.locate(QStringLiteral("KtoNr"), nr))
            refuse(QStringLiteral("Konto %1 nicht gefunden.").arg(n.trimmed()));
        marks.push_back(konten.bookmark());
    }
    if (marks.size() > 1) // every context of this command carries a CommandViewer
        static_cast<CommandViewer &>(ctx.viewer).fileLabel = [&konten] {
            return konten.asString(QStringLiteral("KtoNr"));
        };
    prepareFilter(ctx, a);
    reports::printKontenblatt(ctx, marks);
}

void runUstva(reports::ReportContext &ctx, const ReportArgs &a) {
    if (a.netto || (a.sort && *a.sort != EingrenzungRules::Sort::Datum))
        refuse(QStringLiteral("Die Umsatzsteuervoranmeldung gilt einem Zeitraum: nur --von und "
                              "--bis."));
    if (a.period && (a.von || a.bis))
        refuse(QStringLiteral("--monat oder --quartal nennt den Zeitraum schon: nicht dazu --von "
                              "oder --bis."));
    prepareFilter(ctx, a);
    if (a.period)
        ctx.filter.choosePeriod(*a.period);
    ctx.filter.mitDetails = a.details;
    reports::printUstVa(ctx);
}

// The evaluations over the accounts table. The profit-and-loss overview and the BWA always
// cover a date range: another sort option would only reset the range given.
void refuseNonDateRange(const ReportArgs &a) {
    if (a.netto || (a.sort && *a.sort != EingrenzungRules::Sort::Datum)) {
        err(QStringLiteral("Der Bericht %1 gilt einem Zeitraum: nur --von und --bis.").arg(a.name));
        throw SilentAbort();
    }
}

void runSalden(reports::ReportContext &ctx, const ReportArgs &a) {
    prepareFilter(ctx, a);
    ctx.filter.nurBebuchte = a.nurBebuchte;
    reports::printSaldenliste(ctx);
}

void runSalden2(reports::ReportContext &ctx, const ReportArgs &a) {
    prepareFilter(ctx, a);
    ctx.filter.nurBebuchte = a.nurBebuchte;
    reports::printSaldenlisteQuer(ctx);
}

void runGuV(reports::ReportContext &ctx, const ReportArgs &a) {
    refuseNonDateRange(a);
    prepareFilter(ctx, a);
    reports::printGuv(ctx);
}

void runBwa(reports::ReportContext &ctx, const ReportArgs &a) {
    refuseNonDateRange(a);
    prepareFilter(ctx, a);
    ctx.filter.mitKonten = a.mitKonten;
    reports::printBwa(ctx);
}

// The balance sheet has no range; --mit-konten and --nur-bebuchte answer its questions.
void runBilanz(reports::ReportContext &ctx, const ReportArgs &a) {
    reports::printBilanz(ctx, a.mitKonten, a.nurBebuchte);
}

const ReportEntry kReports[] = {
    {"journal", "[--von X --bis Y] [--sortierung datum|belegnummer|buchungstext] [--netto]", true,
     runJournal},
    {"batch", "", false, runBatch},
    {"saldenliste",
     "[--von X --bis Y] [--sortierung datum|belegnummer|buchungstext] [--nur-bebuchte]", true,
     runSalden},
    {"saldenliste-quer",
     "[--von X --bis Y] [--sortierung datum|belegnummer|buchungstext] [--nur-bebuchte]", true,
     runSalden2},
    {"guv", "[--von X --bis Y]", true, runGuV},
    {"bwa", "[--von X --bis Y] [--mit-konten]", true, runBwa},
    {"bilanz", "[--mit-konten] [--nur-bebuchte]", false, runBilanz},
    {"kontenblatt",
     "--konto N[,N...] [--von X --bis Y] [--sortierung datum|belegnummer|buchungstext]", true,
     runKontenblatt},
    {"ustva", "[--von X --bis Y | --monat 1-12 | --quartal 1-4] [--details]", true, runUstva},
};

const ReportEntry *findReport(const QString &name) {
    for (const ReportEntry &e : kReports)
        if (name == QLatin1String(e.name))
            return &e;
    return nullptr;
}

int usageError(const QString &message) {
    err(message);
    err(reportCommandUsage());
    return 2;
}

} // namespace

QString reportCommandUsage() {
    QStringList lines;
    for (const ReportEntry &e : kReports)
        lines << QStringLiteral("  report %1 %2(--pdf DATEI | --txt DATEI | --csv DATEI)")
                     .arg(QLatin1String(e.name),
                          *e.options ? QLatin1String(e.options) + QLatin1Char(' ') : QString());
    lines << QStringLiteral("  (kontenblatt mit mehreren Konten: je Konto eigene Dateien, aus "
                            "konten.pdf wird konten-1200.pdf usw.)");
    return lines.join(QLatin1Char('\n'));
}

int runReportCommand(BooksSession &fb, const QStringList &args) {
    if (args.isEmpty())
        return usageError(QStringLiteral("Welcher Bericht?"));
    ReportArgs a;
    a.name = args.first();
    const ReportEntry *entry = findReport(a.name);
    if (!entry)
        return usageError(QStringLiteral("Unbekannter Bericht: %1").arg(a.name));
    for (int i = 1; i < args.size(); ++i) {
        const QString &o = args[i];
        const bool hasValue = i + 1 < args.size();
        if (o == QLatin1String("--netto")) {
            a.netto = true;
        } else if (o == QLatin1String("--mit-konten")) {
            a.mitKonten = true;
        } else if (o == QLatin1String("--nur-bebuchte")) {
            a.nurBebuchte = true;
        } else if (o == QLatin1String("--details")) {
            a.details = true;
        } else if (!hasValue) {
            return usageError(QStringLiteral("Unbekannte Option oder fehlender Wert: %1").arg(o));
        } else if (o == QLatin1String("--von")) {
            a.von = args[++i];
        } else if (o == QLatin1String("--bis")) {
            a.bis = args[++i];
        } else if (o == QLatin1String("--pdf")) {
            a.pdf = args[++i];
        } else if (o == QLatin1String("--txt")) {
            a.txt = args[++i];
        } else if (o == QLatin1String("--csv")) {
            a.csv = args[++i];
        } else if (o == QLatin1String("--konto")) {
            a.konto = args[++i];
        } else if (o == QLatin1String("--monat") || o == QLatin1String("--quartal")) {
            const bool month = o == QLatin1String("--monat");
            bool ok = false;
            const int n = args[++i].toInt(&ok);
            if (!ok || n < 1 || n > (month ? 12 : 4))
                return usageError(month ? QStringLiteral("--monat nimmt 1 bis 12.")
                                        : QStringLiteral("--quartal nimmt 1 bis 4."));
            if (a.period)
                return usageError(QStringLiteral("Nur ein Zeitraum: --monat oder --quartal."));
            a.period = month ? n - 1 : 12 + n - 1;
        } else if (o == QLatin1String("--sortierung")) {
            const QString s = args[++i].toLower();
            if (s == QLatin1String("datum"))
                a.sort = EingrenzungRules::Sort::Datum;
            else if (s == QLatin1String("belegnummer"))
                a.sort = EingrenzungRules::Sort::Belegnummer;
            else if (s == QLatin1String("buchungstext"))
                a.sort = EingrenzungRules::Sort::Buchungstext;
            else
                return usageError(QStringLiteral("Unbekannte Sortierung: %1").arg(args[i]));
        } else {
            return usageError(QStringLiteral("Unbekannte Option: %1").arg(o));
        }
    }
    if (a.pdf.isEmpty() && a.txt.isEmpty() && a.csv.isEmpty())
        return usageError(
            QStringLiteral("Keine Ausgabedatei angegeben (--pdf, --txt oder --csv)."));
    if (a.usesRange() && !entry->usesFilter)
        return usageError(
            QStringLiteral("Der Bericht %1 hat keinen Bereich und keine Sortierung.").arg(a.name));

    if (a.details && a.name != QLatin1String("ustva"))
        return usageError(QStringLiteral("--details gehört zu ustva."));
    if (a.period && a.name != QLatin1String("ustva"))
        return usageError(QStringLiteral("--monat und --quartal gehören zu ustva."));
    if (a.konto.isEmpty() != (a.name != QLatin1String("kontenblatt")))
        return usageError(
            QStringLiteral("--konto N[,N...] gehört zu kontenblatt und nur dorthin."));
    for (const QString &name : {a.pdf, a.txt, a.csv}) {
        const QString refusal = name.isEmpty() ? QString() : outputFileRefusal(fb, name);
        if (!refusal.isEmpty()) {
            err(QStringLiteral("Fehler: ") + refusal);
            return 1;
        }
    }
    CommandViewer viewer(fb, a.pdf, a.txt, a.csv);
    if (a.mitKonten && a.name != QLatin1String("bwa") && a.name != QLatin1String("bilanz"))
        return usageError(QStringLiteral("--mit-konten gehört zu bwa und bilanz."));
    if (a.nurBebuchte && a.name != QLatin1String("saldenliste") &&
        a.name != QLatin1String("saldenliste-quer") && a.name != QLatin1String("bilanz"))
        return usageError(
            QStringLiteral("--nur-bebuchte gehört zu saldenliste, saldenliste-quer und bilanz."));
    reports::EingrenzungRules filter(fb);
    reports::ReportContext ctx{fb, filter, viewer, {}, {}};
    try {
        entry->run(ctx, a);
    } catch (const SilentAbort &) {
        return 1;
    } catch (const EngineError &e) {
        err(QStringLiteral("Fehler: ") + e.message());
        return 1;
    }
    if (!viewer.written())
        return 1; // refused by the dialog; its message is on stderr
    if (!viewer.error().isEmpty()) {
        err(QStringLiteral("Fehler: ") + viewer.error());
        return 1;
    }
    return 0;
}

} // namespace ledra
