#include "CliCommands.h"

#include "ReportCommands.h"

#include "accounts/Jahreswechsel.h"
#include "accounts/KontenRules.h"
#include "accounts/Versteuerung.h"
#include "app/Shell.h"
#include "books/SaldenRecompute.h"
#include "exports/GdpduExport.h"
#include "posting/BuchungRules.h"
#include "posting/EntryLine.h"
#include "posting/StornoRules.h"
#include "store/Dates.h"
#include "store/Table.h"
#include "ui/ScriptedUi.h"

#include <QFile>
#include <QTextStream>
#include <cstdio>
namespace ledra {

namespace {

void out(const QString &line) {
    std::fprintf(stdout, "%s\n", line.toUtf8().constData());
}
void err(const QString &line) {
    std::fprintf(stderr, "%s\n", line.toUtf8().constData());
}

int usage() {
    err(QStringLiteral(
        "Aufruf: ledra-cli --data ORDNER [--answer yes|no] BEFEHL [ARGUMENTE]\n"
        "Befehle: info | book DATEI | transfer | batch | journal | accounts | recompute |\n"
        "         chart skr03|skr04 | yearchange [--today TT.MM.JJJJ] | carryforward |\n"
        "         vatbasis ist|soll | storno AUTONUMMER | report BERICHT ... |\n"
        "         export gdpdu ZIELORDNER | help [KONTEXT]\n"
        "Optionen: --year JJ öffnet vorher das Buchungsjahr JJ; -debug schreibt HHDebug.txt"));
    return 2;
}

struct Options {
    QString data;
    QString year;
    QString today;
    QString answer = QStringLiteral("no");
    QStringList rest; // command and its arguments
};

bool parse(const QStringList &args, Options &o) {
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a == QLatin1String("--data") && i + 1 < args.size())
            o.data = args[++i];
        else if (a == QLatin1String("--year") && i + 1 < args.size())
            o.year = args[++i];
        else if (a == QLatin1String("--today") && i + 1 < args.size())
            o.today = args[++i];
        else if (a == QLatin1String("--answer") && i + 1 < args.size())
            o.answer = args[++i].toLower();
        else
            o.rest << a;
    }
    return !o.rest.isEmpty() &&
           (o.answer == QLatin1String("yes") || o.answer == QLatin1String("no"));
}

int cmdInfo(const BooksSession &books) {
    out(books.journalCountText());
    out(books.accountCountText());
    out(books.yearFolderName());
    return 0;
}

// One value as the table listings print it: amounts with two decimals and a decimal point,
// dates ISO, booleans 1/0, empty for an empty field.
QString plainValue(const Table &t, const FieldDef &f) {
    const QVariant v = t.value(f.name);
    if (v.isNull())
        return QString();
    switch (f.type) {
    case FieldType::Currency:
        return Money::fromUnits(v.toLongLong()).toPlain();
    case FieldType::Date:
        return isoDate(v.toDate());
    case FieldType::Boolean:
        return v.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    case FieldType::Float:
        return QString::number(v.toDouble(), 'g', 15);
    default:
        return v.toString();
    }
}

int cmdList(Table &t) {
    QStringList head;
    for (const auto &f : t.schema().fields)
        head << f.name;
    out(head.join(QLatin1Char(';')));
    for (t.first(); !t.eof(); t.next()) {
        QStringList row;
        for (const auto &f : t.schema().fields)
            row << plainValue(t, f);
        out(row.join(QLatin1Char(';')));
    }
    return 0;
}

int cmdBook(BuchungRules &entry, const QString &file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) {
        err(QStringLiteral("Fehler: Datei %1 kann nicht gelesen werden.").arg(file));
        return 1;
    }
    QTextStream in(&f);
    in.setEncoding(QStringConverter::Utf8);
    int refused = 0, lineNo = 0;
    while (!in.atEnd()) {
        const QString line = in.readLine();
        ++lineNo;
        if (line.trimmed().isEmpty())
            continue;
        const QStringList cols = line.split(QLatin1Char(';'));
        if (cols.size() < 7) {
            err(QStringLiteral("Fehler: Zeile %1 hat nicht die Spalten "
                               "Belegdatum;Belegnummer;Soll;Haben;Buchungstext;Betrag;Modus;Mwst")
                    .arg(lineNo));
            ++refused;
            continue;
        }
        if (!enterBuchungLine(entry, cols)) {
            err(QStringLiteral("Fehler: Zeile %1 nicht gebucht: %2").arg(lineNo).arg(line));
            ++refused;
        }
    }
    return refused ? 1 : 0;
}

// Runs one handler as a click would: a silent abort (its message already shown) or an
// engine error makes the exit status non-zero.
int click(const std::function<void()> &f) {
    try {
        f();
    } catch (const SilentAbort &) {
        return 1;
    } catch (const EngineError &e) {
        err(QStringLiteral("Fehler: ") + e.message());
        return 1;
    }
    return 0;
}

} // namespace

int runCli(const QStringList &args, const QString &programFolder) {
    Options o;
    if (!parse(args, o))
        return usage();
    ScriptedUi ui;
    ui.echoToStderr = true;
    ui.defaultAnswer = o.answer == QLatin1String("yes") ? Btn::Yes : Btn::No;
    Shell shell(ui, programFolder);
    shell.dataFolderOverride = o.data;
    shell.checkHelp = false;
    BooksSession &books = shell.books();
    QDate today = QDate::currentDate();
    if (!o.today.isEmpty()) {
        auto d = parseGermanDate(o.today);
        if (!d) {
            err(QStringLiteral("Fehler: '%1' ist kein gültiges Datum").arg(o.today));
            return 2;
        }
        today = *d;
    }
    if (!shell.start(QRect(), today))
        return 1;
    if (!o.year.isEmpty()) {
        // As the button "Alte Buchungsdaten" with the year typed into its input dialog.
        ui.inputs.push_back(o.year);
        if (click([&] { toggleOldYear(books); }) != 0) {
            shell.close(false);
            return 1;
        }
    }
    const QString cmd = o.rest.first();
    const QString arg = o.rest.value(1);
    int rc = 0;
    BuchungRules &e = shell.entry();
    e.startTimer = [&e] { e.refocusHaben(); };
    if (cmd == QLatin1String("info"))
        rc = cmdInfo(books);
    else if (cmd == QLatin1String("book") && o.rest.size() == 2)
        rc = cmdBook(e, o.rest[1]);
    else if (cmd == QLatin1String("transfer"))
        rc = click([&] { e.transferStapel(); });
    else if (cmd == QLatin1String("storno") && o.rest.size() == 2)
        rc = click([&] {
            // As the menu item "S&torno": the dialog, the row chosen in it, OK.
            bool ok = false;
            const qint64 nr = arg.toLongLong(&ok);
            StornoRules &d = shell.reversalDialog();
            d.open();
            if (!ok || !books.journal.locate(QStringLiteral("Autonummer"), nr)) {
                d.hide();
                ui.error(QStringLiteral("Buchung %1 nicht im Journal gefunden.").arg(arg));
                throw SilentAbort();
            }
            if (!d.reverseCurrentAndClose()) {
                if (books.stapel.isEditing())
                    books.stapel.cancel();
                throw SilentAbort();
            }
        });
    else if (cmd == QLatin1String("recompute"))
        rc = click([&] { recomputeSalden(books); });
    else if (cmd == QLatin1String("chart") &&
             (arg == QLatin1String("skr03") || arg == QLatin1String("skr04")))
        rc = click([&] {
            if (arg == QLatin1String("skr03"))
                shell.chart().loadSkr03();
            else
                shell.chart().loadSkr04();
        });
    else if (cmd == QLatin1String("yearchange"))
        rc = click([&] { runJahreswechsel(books, today); });
    else if (cmd == QLatin1String("carryforward"))
        rc = click([&] { carryForwardSalden(books); });
    else if (cmd == QLatin1String("vatbasis") &&
             (arg == QLatin1String("ist") || arg == QLatin1String("soll")))
        rc = click([&] {
            books.settings.istSteuer = arg == QLatin1String("ist");
            switchVersteuerung(books);
        });
    else if (cmd == QLatin1String("batch"))
        rc = cmdList(books.stapel);
    else if (cmd == QLatin1String("journal"))
        rc = cmdList(books.journal);
    else if (cmd == QLatin1String("accounts"))
        rc = cmdList(books.konten);
    else if (cmd == QLatin1String("report"))
        rc = runReportCommand(books, o.rest.mid(1));
    else if (cmd == QLatin1String("export") && arg == QLatin1String("gdpdu") && o.rest.size() == 3)
        rc = click([&] {
            try {
                runGdpduExport(gdpduJobFor(books, o.rest[2]));
            } catch (const EngineError &ex) {
                ui.error(ex.message());
                throw SilentAbort();
            }
        });
    else {
        err(QStringLiteral("Unbekannter Befehl: %1").arg(cmd));
        rc = 2;
    }
    shell.close(false);
    return rc;
}

} // namespace ledra
