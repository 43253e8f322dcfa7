#include "OpCommands.h"
#include "CliOutput.h"

#include "books/BooksSession.h"
#include "klaro/OffenePostenCsv.h"
#include "klaro/OffenePostenReport.h"
#include "klaro/OffenePostenRules.h"
#include "reports/FileReportViewer.h"
#include "store/Dates.h"
#include "store/EngineError.h"
#include "store/Sql.h"
#include "ui/Ui.h"

#include <QDir>
#include <cstdio>
#include <optional>

namespace ledra {

namespace {

int usageError(const QString &message) {
    err(QStringLiteral("Fehler: ") + message);
    return 2;
}

// The list's filters as the window's controls would be set, in the order a person works
// through them: year, sort order, type, account, range, customer.
struct ListArgs {
    QString jahr;
    std::optional<OffenePostenRules::Art> art;
    qint64 konto = 0;
    std::optional<OffenePostenRules::Bereich> bereich;
    QString von, bis;
    qint64 kunde = 0;
    std::optional<OffenePostenRules::Sortierung> sort;
    QString pdf, txt, csv;
};

// Reads the options from `from` on; `files` allows --pdf, --txt and --csv. Returns an
// error text, empty when the call is right.
QString parseListArgs(const QStringList &args, int from, bool files, ListArgs &a) {
    for (int i = from; i < args.size(); ++i) {
        const QString &o = args[i];
        if (i + 1 >= args.size())
            return QStringLiteral("Unbekannte Option oder fehlender Wert: %1").arg(o);
        const QString v = args[++i];
        const QString lv = v.toLower();
        bool ok = true;
        if (o == QLatin1String("--jahr")) {
            a.jahr = v;
        } else if (o == QLatin1String("--art")) {
            if (lv == QLatin1String("alle"))
                a.art = OffenePostenRules::Art::Alle;
            else if (lv == QLatin1String("forderungen"))
                a.art = OffenePostenRules::Art::Forderungen;
            else if (lv == QLatin1String("verbindlichkeiten"))
                a.art = OffenePostenRules::Art::Verbindlichkeiten;
            else
                return QStringLiteral("Unbekannte Art: %1").arg(v);
        } else if (o == QLatin1String("--konto")) {
            a.konto = v.toLongLong(&ok);
            if (!ok || a.konto <= 0)
                return QStringLiteral("'%1' ist keine Kontonummer.").arg(v);
        } else if (o == QLatin1String("--bereich")) {
            if (lv == QLatin1String("datum"))
                a.bereich = OffenePostenRules::Bereich::Datum;
            else if (lv == QLatin1String("belegnummer"))
                a.bereich = OffenePostenRules::Bereich::Belegnummer;
            else
                return QStringLiteral("Unbekannter Bereich: %1").arg(v);
        } else if (o == QLatin1String("--von")) {
            a.von = v;
        } else if (o == QLatin1String("--bis")) {
            a.bis = v;
        } else if (o == QLatin1String("--kunde")) {
            a.kunde = v.toLongLong(&ok);
            if (!ok || a.kunde <= 0)
                return QStringLiteral("'%1' ist keine Kunden- oder Lieferantennummer.").arg(v);
        } else if (o == QLatin1String("--sortierung")) {
            if (lv == QLatin1String("datum"))
                a.sort = OffenePostenRules::Sortierung::Datum;
            else if (lv == QLatin1String("zahlungsziel"))
                a.sort = OffenePostenRules::Sortierung::Zahlungsziel;
            else
                return QStringLiteral("Unbekannte Sortierung: %1").arg(v);
        } else if (files && o == QLatin1String("--pdf")) {
            a.pdf = v;
        } else if (files && o == QLatin1String("--txt")) {
            a.txt = v;
        } else if (files && o == QLatin1String("--csv")) {
            a.csv = v;
        } else {
            return QStringLiteral("Unbekannte Option: %1").arg(o);
        }
    }
    if ((!a.von.isEmpty() || !a.bis.isEmpty()) && !a.bereich)
        return QStringLiteral("--von und --bis gehören zu --bereich datum|belegnummer.");
    return QString();
}

// The year chooser's entry of a year given as "JJ" or "JJJJ": the year folder's name.
bool chooseJahr(BooksSession &fb, OffenePostenRules &rules, const QString &jahr) {
    if (jahr.isEmpty())
        return true;
    const QString name = QDir(fb.yearFolder(jahr)).dirName();
    int index = -1;
    for (int i = 1; i < rules.jahre().size(); ++i)
        if (rules.jahre()[i].compare(name, Qt::CaseInsensitive) == 0)
            index = i;
    if (index < 1) {
        fb.ui().error(
            QStringLiteral("Buchungsjahr %1 nicht gefunden: kein Ordner %2.").arg(jahr, name));
        return false;
    }
    return rules.chooseJahr(index);
}

// The window opened and its controls set as the options say. False when a control refused.
bool applyListArgs(BooksSession &fb, OffenePostenRules &rules, const ListArgs &a) {
    rules.show();
    if (!chooseJahr(fb, rules, a.jahr))
        return false;
    if (a.sort)
        rules.sortBy(*a.sort);
    // The type button cycles; "alle" is the third click (customers' and suppliers' items).
    if (a.art) {
        const int clicks = *a.art == OffenePostenRules::Art::Forderungen         ? 1
                           : *a.art == OffenePostenRules::Art::Verbindlichkeiten ? 2
                                                                                 : 3;
        for (int i = 0; i < clicks; ++i)
            rules.cycleArt();
    }
    if (a.konto)
        rules.chooseKonto(a.konto);
    if (a.bereich) {
        rules.von = a.von;
        rules.bis = a.bis;
        if (!rules.applyBereich(*a.bereich))
            return false;
    }
    if (a.kunde)
        rules.chooseKunde(a.kunde);
    return true;
}

int listRows(const OffenePostenRules &rules) {
    out(QStringLiteral("Nr;Belegdatum;Belegnummer;Buchungstext;Betrag;Soll;Haben;Zahlungsziel;"
                       "Euro;Art"));
    for (const OffenerPostenZeile &r : rules.rows()) {
        const QString art = OffenePostenReport::art(r.sollArt, r.habenArt).trimmed();
        out(QStringList{QString::number(r.autonummer), isoDate(r.belegdatum),
                        QString::number(r.belegnummer), r.buchungstext, r.betrag.toPlain(2),
                        QString::number(r.soll), QString::number(r.haben), isoDate(r.zahlungsziel),
                        r.isEuro() ? QStringLiteral("1") : QStringLiteral("0"), art}
                .join(QLatin1Char(';')));
    }
    return 0;
}

int listStapel(OffenePostenRules &rules) {
    Table &s = rules.daten().stapel;
    out(QStringLiteral("Nr;Datum;OP;KNr"));
    forEachRow(s,
               QStringLiteral("SELECT Nr, Datum, OP, KNr FROM %1 ORDER BY Nr").arg(quotedName(s)),
               [](const SqlRow &r) {
                   const QVariant op = r.value(2);
                   out(QStringList{r.value(0).toString(), r.value(1).toString(),
                                   op.isNull()       ? QString()
                                   : op.toLongLong() ? QStringLiteral("1")
                                                     : QStringLiteral("0"),
                                   r.value(3).toString()}
                           .join(QLatin1Char(';')));
               });
    return 0;
}

// Runs `f` as the window's event boundary does: a refusal with its message is a failure.
template <class F> int guarded(Ui &ui, F &&f) {
    try {
        return f();
    } catch (const SilentAbort &) {
        return 1;
    } catch (const EngineError &e) {
        ui.error(e.message());
        return 1;
    }
}

} // namespace

int runOpCommand(BooksSession &fb, const QString &customerFolder, const QStringList &args) {
    const QString cmd = args.value(0);
    OffenePostenRules rules(fb.ui());
    return guarded(fb.ui(), [&]() -> int {
        rules.init(fb.baseDataFolder(), QStringLiteral("€"));
        rules.daten().customerFolder = customerFolder;
        if (cmd == QLatin1String("list")) {
            ListArgs a;
            const QString wrong = parseListArgs(args, 1, false, a);
            if (!wrong.isEmpty())
                return usageError(wrong);
            if (!applyListArgs(fb, rules, a))
                return 1;
            return listRows(rules);
        }
        if (cmd == QLatin1String("add") || cmd == QLatin1String("delete")) {
            bool ok = false;
            const qint64 nr = args.value(1).toLongLong(&ok);
            ListArgs a;
            const QString wrong = args.size() < 2 ? QStringLiteral("Nummer fehlt.")
                                  : !ok
                                      ? QStringLiteral("'%1' ist keine Nummer.").arg(args.value(1))
                                      : parseListArgs(args, 2, false, a);
            if (!wrong.isEmpty())
                return usageError(wrong);
            rules.show();
            if (!chooseJahr(fb, rules, a.jahr))
                return 1;
            if (cmd == QLatin1String("add"))
                return rules.addBooking(nr) ? 0 : 1;
            // As in the window: the listed row chosen, then "&Löschen".
            int row = -1;
            for (size_t i = 0; i < rules.rows().size(); ++i)
                if (rules.rows()[i].autonummer == nr)
                    row = int(i);
            if (row < 0) {
                fb.ui().error(QStringLiteral("Offener Posten %1 ist nicht in der Liste.").arg(nr));
                return 1;
            }
            rules.setCurrent(row);
            return rules.deleteCurrent() ? 0 : 1;
        }
        if (cmd == QLatin1String("check") && args.size() == 1) {
            rules.show();
            const auto p = rules.pruefen();
            return p.ran && !p.aborted ? 0 : 1;
        }
        if (cmd == QLatin1String("stapel") && args.size() == 1)
            return listStapel(rules);
        return usageError(QStringLiteral("op list|add|delete|check|stapel"));
    });
}

int runOpReport(BooksSession &fb, const QString &customerFolder, const QStringList &args) {
    ListArgs a;
    const QString wrong = parseListArgs(args, 0, true, a);
    if (!wrong.isEmpty())
        return usageError(wrong);
    if (a.pdf.isEmpty() && a.txt.isEmpty() && a.csv.isEmpty())
        return usageError(
            QStringLiteral("Keine Ausgabedatei angegeben (--pdf, --txt oder --csv)."));
    OffenePostenRules rules(fb.ui());
    return guarded(fb.ui(), [&]() -> int {
        rules.init(fb.baseDataFolder(), QStringLiteral("€"));
        rules.daten().customerFolder = customerFolder;
        if (!applyListArgs(fb, rules, a))
            return 1;
        // The CSV comes from the list itself in the spreadsheet form; PDF and text from the
        // print.
        if (!a.csv.isEmpty())
            if (const QString e = writeOffenePostenCsv(rules.daten(), a.csv); !e.isEmpty()) {
                fb.ui().error(e);
                return 1;
            }
        if (a.pdf.isEmpty() && a.txt.isEmpty())
            return 0;
        OffenePostenReport report(rules.daten());
        reports::FileReportViewer files(a.pdf, a.txt, QString());
        files.preview(report.Ausdruck, reports::PreviewOptions{});
        if (!files.error().isEmpty()) {
            fb.ui().error(files.error());
            return 1;
        }
        return 0;
    });
}

} // namespace ledra
