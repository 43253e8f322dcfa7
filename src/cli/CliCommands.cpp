#include "CliCommands.h"
#include "CliOutput.h"
#include "DatevCommands.h"

#include "MervaCommands.h"
#include "OpCommands.h"
#include "ReportCommands.h"

#include "accounts/Jahreswechsel.h"
#include "accounts/KontenRules.h"
#include "accounts/Versteuerung.h"
#include "app/Shell.h"
#include "books/SaldenRecompute.h"
#include "exports/GdpduExport.h"
#include "posting/BuchungInput.h"
#include "posting/BuchungRules.h"
#include "posting/EntryLine.h"
#include "posting/StornoRules.h"
#include "reportengine/TextRenderer.h"
#include "store/Dates.h"
#include "store/InstallLayout.h"
#include "store/Table.h"
#include "ui/ScriptedUi.h"

#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <optional>
namespace ledra {

namespace {

int usage() {
    err(QStringLiteral(
        "Aufruf: ledra-cli --data ORDNER [--answer yes|no] BEFEHL [ARGUMENTE]\n"
        "Befehle: info | book DATEI | transfer | batch | journal | accounts | recompute |\n"
        "         chart skr03|skr04 | yearchange [--today TT.MM.JJJJ] | carryforward |\n"
        "         vatbasis ist|soll | storno AUTONUMMER | report BERICHT ... |\n"
        "         export gdpdu ZIELORDNER | export datev DATEI --berater N --mandant N\n"
        "         [--von TT.MM.JJJJ] [--bis TT.MM.JJJJ] [--festschreiben] | rechnungsbuch |\n"
        "         merva-init ORDNER [--client N] | help [KONTEXT] |\n"
        "         op list|add|delete|check|stapel (report op: Liste der offenen Posten)\n"
        "Optionen: --year JJ öffnet vorher das Buchungsjahr JJ; --merva ORDNER nimmt das\n"
        "         Rechnungsprogramm aus ORDNER; transfer [--rechnungsbuch ja|nein|abbrechen]\n"
        "         [--abweichung weiter|abbrechen]; -debug schreibt HHDebug.txt\n"
        "         ledra-cli --version zeigt die Programmversion"));
    return 2;
}

struct Options {
    FolderOptions folders; // --data, --merva
    QString year;
    QString today;
    QString answer = QStringLiteral("no");
    QString rechnungsbuch = QStringLiteral("nein");   // the transfer's invoice-book question
    QString abweichung = QStringLiteral("abbrechen"); // a payment that differs from its invoice
    QString client = QStringLiteral("0");
    QStringList rest; // command and its arguments
};

bool parse(QStringList args, Options &o) {
    o.folders = FolderOptions::take(args);
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a == QLatin1String("--year") && i + 1 < args.size())
            o.year = args[++i];
        else if (a == QLatin1String("--today") && i + 1 < args.size())
            o.today = args[++i];
        else if (a == QLatin1String("--answer") && i + 1 < args.size())
            o.answer = args[++i].toLower();
        else if (a == QLatin1String("--rechnungsbuch") && i + 1 < args.size())
            o.rechnungsbuch = args[++i].toLower();
        else if (a == QLatin1String("--abweichung") && i + 1 < args.size())
            o.abweichung = args[++i].toLower();
        else if (a == QLatin1String("--client") && i + 1 < args.size())
            o.client = args[++i];
        else
            o.rest << a;
    }
    bool clientOk = false;
    o.client.toInt(&clientOk);
    return !o.rest.isEmpty() && clientOk &&
           (o.answer == QLatin1String("yes") || o.answer == QLatin1String("no")) &&
           QStringList{QStringLiteral("ja"), QStringLiteral("nein"), QStringLiteral("abbrechen")}
               .contains(o.rechnungsbuch) &&
           (o.abweichung == QLatin1String("weiter") || o.abweichung == QLatin1String("abbrechen"));
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

// A text holding ";", a quote or a line break is quoted, so that every row keeps its columns.
int cmdList(Table &t) {
    QStringList head;
    for (const auto &f : t.schema().fields)
        head << f.name;
    out(head.join(QLatin1Char(';')));
    for (t.first(); !t.eof(); t.next()) {
        QStringList row;
        for (const auto &f : t.schema().fields)
            row << report::csvField(plainValue(t, f), QLatin1Char(';'));
        out(row.join(QLatin1Char(';')));
    }
    return 0;
}

// The whole input: a file, or standard input for "-" (a pipe is read to its end).
std::optional<QByteArray> readBookingInput(const QString &file) {
    const bool standardInput = file == QLatin1String("-");
    QFile f(standardInput ? QString() : file);
    const bool opened =
        standardInput ? f.open(stdin, QIODevice::ReadOnly) : f.open(QIODevice::ReadOnly);
    if (!opened)
        return std::nullopt;
    QByteArray data = f.readAll();
    if (data.startsWith("\xEF\xBB\xBF")) // the byte order mark spreadsheets write
        data.remove(0, 3);
    return data;
}

int cmdBook(BuchungRules &entry, const QString &file) {
    const std::optional<QByteArray> data = readBookingInput(file);
    if (!data) {
        err(QStringLiteral("Fehler: Datei %1 kann nicht gelesen werden.").arg(file));
        return 1;
    }
    int refused = 0, lineNo = 0;
    for (QByteArray line : data->split('\n')) {
        ++lineNo;
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.trimmed().isEmpty())
            continue;
        const BuchungLineInput in = parseBuchungLine(line);
        if (!in.line) {
            err(QStringLiteral("Fehler: Zeile %1: %2").arg(lineNo).arg(in.error));
            ++refused;
        } else if (!enterBuchungLine(entry, *in.line)) {
            err(QStringLiteral("Fehler: Zeile %1 nicht gebucht: %2")
                    .arg(lineNo)
                    .arg(QString::fromUtf8(line)));
            ++refused;
        }
    }
    return refused ? 1 : 0;
}

// A command whose button the window would show disabled or hidden is refused the same way.
void requireEnabled(Ui &ui, bool enabled, const QString &why) {
    if (!enabled) {
        ui.error(why);
        throw SilentAbort();
    }
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
    if (args == QStringList{QStringLiteral("--version")}) {
        out(QStringLiteral("ledra-cli ") + programVersion());
        return 0;
    }
    if (args == QStringList{QStringLiteral("--help")} ||
        args == QStringList{QStringLiteral("-h")}) {
        usage();
        return 0;
    }
    Options o;
    if (!parse(args, o))
        return usage();
    // Known before the data folder is opened: a mistyped command must not take the writer
    // lock or write the year settings of a folder it was never meant for.
    static const QStringList commands{
        QStringLiteral("info"),         QStringLiteral("book"),     QStringLiteral("transfer"),
        QStringLiteral("batch"),        QStringLiteral("journal"),  QStringLiteral("accounts"),
        QStringLiteral("recompute"),    QStringLiteral("chart"),    QStringLiteral("yearchange"),
        QStringLiteral("carryforward"), QStringLiteral("vatbasis"), QStringLiteral("storno"),
        QStringLiteral("report"),       QStringLiteral("export"),   QStringLiteral("rechnungsbuch"),
        QStringLiteral("merva-init"),   QStringLiteral("op")};
    if (!commands.contains(o.rest.first())) {
        err(QStringLiteral("Unbekannter Befehl: %1").arg(o.rest.first()));
        return usage();
    }
    if (o.rest.first() == QLatin1String("merva-init"))
        return o.rest.size() == 2 ? createMervaStandIn(o.rest[1], programFolder, o.client.toInt())
                                  : usage();
    ScriptedUi ui;
    ui.echoToStderr = true;
    ui.defaultAnswer = o.answer == QLatin1String("yes") ? Btn::Yes : Btn::No;
    // The transfer's two questions about the invoice book have answers of their own.
    ui.answersByText = {
        {QStringLiteral("Sollen die Buchungen auch ins Rechnungsbuch eingetragen werden?"),
         o.rechnungsbuch == QLatin1String("ja")     ? Btn::Yes
         : o.rechnungsbuch == QLatin1String("nein") ? Btn::No
                                                    : Btn::Cancel},
        {QStringLiteral("In der Buchung "),
         o.abweichung == QLatin1String("weiter") ? Btn::Ok : Btn::Cancel}};
    Shell shell(ui, programFolder);
    if (!shell.useFolderOptions(o.folders))
        return 2;
    shell.checkHelp = false;
    BooksSession &books = shell.books();
    // Every run takes the data folder's writer lock, the listings too: each run saves the year
    // settings at its close and must not write back what it read before another's change.
    books.writerLockWaiting = [](const QString &text) { err(QStringLiteral("Hinweis: ") + text); };
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
    else if (cmd == QLatin1String("transfer")) {
        const bool hadRows = books.stapel.isActive() && !books.stapel.isEmpty();
        rc = click([&] { e.transferStapel(); });
        // Declining the question leaves every row in the batch: that is no success.
        if (rc == 0 && hadRows && !books.stapel.isEmpty()) {
            err(QStringLiteral("Hinweis: Die Buchungen bleiben im Stapel, nichts übertragen."));
            rc = 1;
        }
    } else if (cmd == QLatin1String("storno") && o.rest.size() == 2)
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
    else if (cmd == QLatin1String("recompute")) {
        int skipped = 0;
        rc = click([&] { skipped = recomputeSalden(books); });
        if (rc == 0 && skipped > 0) {
            err(QStringLiteral("Fehler: %1 Buchung(en) bei der Saldenberechnung übergangen.")
                    .arg(skipped));
            rc = 1;
        }
    } else if (cmd == QLatin1String("chart") &&
               (arg == QLatin1String("skr03") || arg == QLatin1String("skr04")))
        rc = click([&] {
            requireEnabled(ui, shell.controls.skrButtonsVisible,
                           QStringLiteral("Ein Standardkontenrahmen lässt sich nur in einen "
                                          "leeren Kontenplan laden!"));
            if (arg == QLatin1String("skr03"))
                shell.chart().loadSkr03();
            else
                shell.chart().loadSkr04();
        });
    else if (cmd == QLatin1String("yearchange"))
        rc = click([&] {
            requireEnabled(ui, shell.controls.jWechselEnabled,
                           QStringLiteral("Jahreswechsel erst nach dem Ende des "
                                          "Buchungsbereiches (%1) und nur im aktuellen "
                                          "Buchungsjahr!")
                               .arg(books.settings.buchBis));
            runJahreswechsel(books, today);
        });
    else if (cmd == QLatin1String("carryforward"))
        rc = click([&] {
            requireEnabled(ui, shell.controls.kSaldouebertrEnabled,
                           QStringLiteral("Kontensalden übertragen nur bei geöffnetem altem "
                                          "Buchungsjahr (--year JJ)!"));
            carryForwardSalden(books);
        });
    else if (cmd == QLatin1String("vatbasis") &&
             (arg == QLatin1String("ist") || arg == QLatin1String("soll")))
        rc = click([&] {
            const bool before = books.settings.istSteuer;
            books.settings.istSteuer = arg == QLatin1String("ist");
            if (!switchVersteuerung(books)) {
                // Declined: the setting stays as it was, and the exit status says so.
                books.settings.istSteuer = before;
                err(QStringLiteral("Hinweis: Die Versteuerung bleibt unverändert."));
                throw SilentAbort();
            }
        });
    else if (cmd == QLatin1String("batch"))
        rc = cmdList(books.stapel);
    else if (cmd == QLatin1String("journal"))
        rc = cmdList(books.journal);
    else if (cmd == QLatin1String("accounts"))
        rc = cmdList(books.konten);
    else if (cmd == QLatin1String("report") && arg == QLatin1String("op"))
        rc = runOpReport(books, shell.merva.dataFolder, o.rest.mid(2));
    else if (cmd == QLatin1String("rechnungsbuch"))
        rc = printRechnungsbuch(shell.rechDaten());
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
    else if (cmd == QLatin1String("export") && arg == QLatin1String("datev"))
        rc = runDatevCommand(books, ui, o.rest.mid(2));
    else if (cmd == QLatin1String("op"))
        rc = runOpCommand(books, shell.merva.dataFolder, o.rest.mid(1));
    else {
        err(QStringLiteral("Unbekannter Befehl: %1").arg(cmd));
        rc = 2;
    }
    shell.close(false);
    if (rc == 0 && !shell.yearSettingsSaved())
        rc = 1;
    return rc;
}

} // namespace ledra
