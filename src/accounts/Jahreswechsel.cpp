#include "Jahreswechsel.h"

#include "books/BooksSession.h"
#include "books/KontoArt.h"
#include "books/SaldenRecompute.h"
#include "books/Steuer.h"
#include "store/Dates.h"
#include "store/Query.h"
#include "store/Sql.h"
#include "store/Table.h"
#include "store/TableFile.h"
#include "ui/Ui.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <optional>
#include <tuple>
#include <vector>
namespace ledra {

namespace {

const char *const kYearTables[] = {"BWA.db", "Bilanz.DB", "Konten.DB", "Journal.DB"};

// The carry rule: accounts whose type has a carry-forward keep their balance, the VAT and
// input-tax accounts as well (what is still owed or claimed is settled in the new year). The
// profit-and-loss accounts and the private account start at zero: their balances, the year's
// result and the owner's withdrawals and deposits, are closed into the capital account, so
// that the new year's opening balances balance.
bool carries(int art) {
    return hasSaldovortrag(kontoArtFromCode(art));
}

bool closesIntoCapital(int art) {
    const std::optional<KontoArt> a = kontoArtFromCode(art);
    return isErfolgskonto(a) || a == KontoArt::Privat;
}

qint64 capitalAccount(const BooksSession &fb) {
    return fb.settings.kapital.trimmed().toLongLong();
}

// The capital account must be in the chart and carry its balance, or the result would be
// lost; refused before anything changes.
void requireCapitalAccount(BooksSession &fb) {
    const qint64 nr = capitalAccount(fb);
    Table &k = fb.konten;
    const qint64 art =
        nr == 0 ? -1
                : scalar(k,
                         QStringLiteral("SELECT COALESCE(MAX(Art), -1) FROM %1 WHERE KtoNr = ?")
                             .arg(quotedName(k)),
                         {nr});
    if (art < 0 || !carries(int(art))) {
        fb.ui().error(
            QStringLiteral("Das Kapitalkonto %1 fehlt im Kontenplan oder ist kein Bestandskonto."
                           "\rGewinn oder Verlust und die Privatkonten werden beim "
                           "Jahresabschluss darauf übertragen. Bitte das Kapitalkonto in den "
                           "Einstellungen angeben.")
                .arg(fb.settings.kapital.trimmed()));
        throw SilentAbort();
    }
}

// An account's closing balance and the opening balance it gives the next year.
struct OpeningOf {
    qint64 nr;
    qint64 opening; // units, debit positive
    bool carries;
};

// The next year's opening balances from the closing balances (number, type, balance) of all
// accounts: the carried balance, 0 for an account that does not carry, and for the capital
// account its own balance plus the result and the private accounts.
std::vector<OpeningOf>
openingBalances(const BooksSession &fb,
                const std::vector<std::tuple<qint64, int, qint64>> &closing) {
    qint64 closed = 0;
    for (const auto &[nr, art, saldo] : closing)
        if (closesIntoCapital(art))
            closed += saldo;
    const qint64 capital = capitalAccount(fb);
    std::vector<OpeningOf> out;
    for (const auto &[nr, art, saldo] : closing) {
        const bool c = carries(art);
        out.push_back({nr, c ? saldo + (nr == capital ? closed : 0) : 0, c});
    }
    return out;
}

qint64 journalRows(const QString &path, qint64 *maxNr) {
    qint64 n = 0;
    Query q;
    q.setTable(QStringLiteral("J"), path);
    q.lines() << QStringLiteral("SELECT COUNT(*), COALESCE(MAX(Autonummer), 0) FROM J.Journal");
    q.forEach([&](const QStringList &, const QVariantList &r) {
        n = r[0].toLongLong();
        *maxNr = r[1].toLongLong();
        return false;
    });
    return n;
}

// Written into a year folder with its archive and removed as the year change's very last
// step: while it is there, the base data folder has not fully become the new year. The next
// start finishes or undoes the change (settleStoppedJahreswechsel).
const QString kOpenMarker = QStringLiteral("Jahreswechsel.offen");
// Written into the base data folder before the year change writes anything and removed just
// before the open marker: a start that finds it without a marked archive knows that a change
// stopped before its archive was in place, with the balances possibly left without the batch.
const QString kRunningMarker = QStringLiteral("Jahreswechsel.laeuft");

bool hasOpenMarker(const QString &archive) {
    return !archive.isEmpty() && QFileInfo(archive).isDir() &&
           QFileInfo::exists(TableFile::join(archive, kOpenMarker));
}

QString general(Money m) {
    QString s = m.toGerman(4, false);
    while (s.endsWith(QLatin1Char('0')))
        s.chop(1);
    if (s.endsWith(QLatin1Char(',')))
        s.chop(1);
    return s;
}

} // namespace

QString yearFolderFor(const BooksSession &fb, const QString &typed) {
    const QString t = typed.trimmed();
    if (t.size() < 2)
        return QString();
    const QString yy = t.right(2);
    // Only two digits name a year folder; anything else (separators, "..") could leave the
    // base data folder and is refused.
    if (!yy.at(0).isDigit() || !yy.at(1).isDigit() || yy.at(0).unicode() > 127 ||
        yy.at(1).unicode() > 127)
        return QString();
    if (fb.folders.prefix.contains(QLatin1Char('/')) ||
        fb.folders.prefix.contains(QLatin1Char('\\')) ||
        fb.folders.prefix.contains(QLatin1String("..")))
        return QString();
    return fb.yearFolder(yy);
}

namespace {

bool confirmJahreswechsel(Ui &ui) {
    return ui.warnConfirm(
               QStringLiteral(
                   "Der Jahreswechsel verlagert das Buchungsjournal in einen neuen Ordner. Führen "
                   "Sie vorher eine Datensicherung durch!\rDen Jahreswechsel jetzt durchführen?"),
               Btn::YesNo, 31) == Btn::Yes;
}

// The year folder that receives the closing year, and whether an earlier run stopped there
// before the year change was complete.
struct ArchiveFolder {
    QString path;
    bool resume = false;
};

// A year folder that exists without the open marker holds a year already changed: refused.
ArchiveFolder archiveFolderOrRefuse(BooksSession &fb) {
    const QString a = yearFolderFor(fb, fb.settings.buchBis);
    const bool resume = hasOpenMarker(a);
    if (a.isEmpty() || (QFileInfo(a).exists() && !resume)) {
        fb.ui().error(QStringLiteral("Jahreswechsel wurde schon durchgeführt!"));
        throw SilentAbort();
    }
    return {a, resume};
}

// Once the refusals are passed, the journal view and the listeners learn of the year change's
// end however it ends.
struct FinishYearChangeOnExit {
    BooksSession &fb;
    ~FinishYearChangeOnExit() {
        if (fb.journal.isActive())
            fb.journal.refresh();
        fb.notify(BooksEvent::YearChangeFinished);
    }
};

// Rows of the closing year still in the batch would end up in the archive's balances and
// again in the new year's: they must reach the journal first. Rows of the new year stay.
void refuseBatchRowsOfClosingYear(BooksSession &fb, const QDate &bis) {
    SqlStatement st(
        fb.stapel,
        QStringLiteral("SELECT COUNT(*) FROM %1 WHERE Belegdatum <= ?").arg(quotedName(fb.stapel)));
    st.bind(1, isoDate(bis));
    if (bis.isValid() && st.next() && st.row().int64(0) > 0) {
        fb.ui().error(
            QStringLiteral("Im Buchungsstapel stehen noch Buchungen des alten Jahres.\rBitte erst "
                           "die Buchungen ins Journal übertragen!"));
        throw SilentAbort();
    }
}

// The archive is built beside its final name and moved into place in one step, so a year
// folder, once there, always holds the complete closed year (and the open marker).
void buildArchive(BooksSession &fb, const QString &base, const QString &a) {
    const QString tmp = a + QStringLiteral(".neu~");
    // A leftover of a stopped run is removed; a link planted under that name is removed
    // itself, never the folder it points to, and the folder is made anew, not reused.
    const QFileInfo left(tmp);
    if (left.isSymLink() || (left.exists() && !left.isDir()))
        QFile::remove(tmp);
    else if (left.exists())
        QDir(tmp).removeRecursively();
    if (!QDir().mkdir(tmp))
        throw EngineError(DbErr::ReadOnly,
                          QStringLiteral("Der Ordner %1 kann nicht angelegt werden.")
                              .arg(QDir::toNativeSeparators(tmp)));
    for (const char *t : kYearTables)
        TableFile::copy(TableFile::resolve(base, QString::fromLatin1(t)),
                        TableFile::join(tmp, QString::fromLatin1(t)));
    fb.saveYearSettings(tmp);
    QFile marker(TableFile::join(tmp, kOpenMarker));
    if (!marker.open(QIODevice::WriteOnly))
        throw EngineError(DbErr::ReadOnly,
                          QStringLiteral("Der Ordner %1 kann nicht beschrieben werden.")
                              .arg(QDir::toNativeSeparators(tmp)));
    marker.close();
    if (!QDir().rename(tmp, a))
        throw EngineError(DbErr::ReadOnly,
                          QStringLiteral("Der Ordner %1 kann nicht angelegt werden.")
                              .arg(QDir::toNativeSeparators(a)));
}

// The journal is emptied only when the archive holds the same journal: same number of rows
// and the same highest running number.
void refuseArchiveWithOtherJournal(BooksSession &fb, const QString &a) {
    qint64 maxA = 0, maxB = 0;
    const qint64 rowsA = journalRows(TableFile::resolve(a, QStringLiteral("Journal.DB")), &maxA);
    const qint64 rowsB = journalRows(fb.journal.path(), &maxB);
    if (rowsA != rowsB || maxA != maxB)
        throw EngineError(DbErr::General,
                          QStringLiteral("Das Journal im Ordner %1 stimmt nicht mit dem "
                                         "aktuellen Journal überein. Der Jahreswechsel wird "
                                         "nicht fortgesetzt.")
                              .arg(QDir::toNativeSeparators(a)));
}

// The opening values of an account in the new year.
struct Carry {
    qint64 nr;
    qint64 soll, haben;
};

// Every account with its new opening values: the closing balance on its side for an account
// that carries, zero for all others.
std::vector<Carry> openingValuesOfNewYear(BooksSession &fb) {
    Table &k = fb.konten;
    std::vector<std::tuple<qint64, int, qint64>> closing;
    forEachRow(
        k,
        QStringLiteral("SELECT KtoNr, Art, COALESCE(Saldo, 0) FROM %1 ORDER BY KtoNr")
            .arg(quotedName(k)),
        [&](const SqlRow &r) { closing.emplace_back(r.int64(0), int(r.int64(1)), r.int64(2)); });
    std::vector<Carry> carry;
    for (const OpeningOf &o : openingBalances(fb, closing))
        carry.push_back({o.nr, o.opening > 0 ? o.opening : 0, o.opening > 0 ? 0 : -o.opening});
    return carry;
}

// One transaction: the journal is emptied exactly when the opening values are written.
void emptyJournalWritingOpeningValues(BooksSession &fb, const std::vector<Carry> &carry) {
    Table &k = fb.konten;
    UnitOfWork uw(k.path());
    uw.attach(QStringLiteral("j"), fb.journal.path());
    uw.exec(QStringLiteral("DELETE FROM j.%1").arg(quotedName(fb.journal)));
    for (const Carry &c : carry)
        uw.exec(
            QStringLiteral("UPDATE %1 SET Soll = ?, Haben = ? WHERE KtoNr = ?").arg(quotedName(k)),
            {c.soll, c.haben, c.nr});
    uw.commit();
    fb.journal.refresh();
    fb.notify(BooksEvent::JournalChanged);
}

// The base data folder's settings name the new year: its period up to the end of today's
// year (never before the period's first day: a period that ends before it starts would refuse
// every booking), voucher numbers from 1 and the period's currency. The values are set in the
// session before the file is written, so that even a failed write leaves this session
// refusing bookings of the closed year.
void saveNewYearSettings(BooksSession &fb, const QDate &bis, QDate today, const QString &base) {
    const QDate von = bis.addDays(1);
    fb.settings.belegnr = QStringLiteral("1");
    fb.settings.buchVon = germanDate(von);
    fb.settings.buchBis =
        QStringLiteral("31.12.") + QString::number(std::max(today.year(), von.year()));
    fb.settings.currency = currencyTextOfPeriod(fb.settings.periodEnd());
    fb.saveYearSettings(base);
}

void markYearChangeRunning(const QString &base) {
    const QString path = TableFile::join(base, kRunningMarker);
    const QFileInfo fi(path);
    if (fi.isFile() && !fi.isSymLink())
        return;
    // NewOnly creates the file exclusively and so never writes through a link put there.
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        throw EngineError(DbErr::ReadOnly,
                          QStringLiteral("Der Ordner %1 kann nicht beschrieben werden.")
                              .arg(QDir::toNativeSeparators(base)));
}

// The last step of every year change: the base marker goes first, so that a stop between the
// two removals still finds the marked archive and the new year's settings.
void removeYearChangeMarkers(const QString &base, const QString &archive) {
    QFile::remove(TableFile::join(base, kRunningMarker));
    if (!archive.isEmpty())
        QFile::remove(TableFile::join(archive, kOpenMarker));
}

// An archive of a change that is undone: renamed away in one step first, so that a stop while
// its files are removed never leaves a year folder that looks like a changed year.
void discardArchive(const QString &archive) {
    const QString gone = archive + QStringLiteral(".verworfen~");
    QDir(gone).removeRecursively();
    if (!QDir().rename(archive, gone))
        throw EngineError(DbErr::ReadOnly,
                          QStringLiteral("Der Ordner %1 kann nicht entfernt werden.")
                              .arg(QDir::toNativeSeparators(archive)));
    QDir(gone).removeRecursively();
}

// How far a stopped year change came, judged from what it left on disk.
enum class StoppedAt {
    Nothing,         // no year change stopped
    BeforeArchive,   // only the balances may have been written
    ArchiveBuilt,    // the archive is complete, the journal still holds the closed year
    JournalEmptied,  // the journal was emptied with the opening values, the settings are old
    SettingsWritten, // only the balances and the markers were left to do
    Unclear          // a marked archive whose journal is not the base journal
};

struct StoppedChange {
    StoppedAt at = StoppedAt::Nothing;
    QString archive;
};

StoppedChange findStoppedChange(BooksSession &fb) {
    const QString stillOld = yearFolderFor(fb, fb.settings.buchBis);
    if (hasOpenMarker(stillOld)) {
        try {
            qint64 maxA = 0, maxB = 0;
            const qint64 rowsA =
                journalRows(TableFile::resolve(stillOld, QStringLiteral("Journal.DB")), &maxA);
            const qint64 rowsB = journalRows(fb.journal.path(), &maxB);
            if (rowsB == 0)
                return {StoppedAt::JournalEmptied, stillOld};
            if (rowsA == rowsB && maxA == maxB)
                return {StoppedAt::ArchiveBuilt, stillOld};
        } catch (const EngineError &) {
        }
        return {StoppedAt::Unclear, stillOld};
    }
    const QDate von = fb.settings.periodStart();
    const QString closed =
        von.isValid() ? yearFolderFor(fb, germanDate(von.addDays(-1))) : QString();
    if (hasOpenMarker(closed))
        return {StoppedAt::SettingsWritten, closed};
    if (QFileInfo::exists(TableFile::join(fb.baseDataFolder(), kRunningMarker)))
        return {StoppedAt::BeforeArchive, QString()};
    return {};
}

} // namespace

QString settleStoppedJahreswechsel(BooksSession &fb, QDate today) {
    if (!fb.presentYearOpen())
        return QString();
    const StoppedChange stop = findStoppedChange(fb);
    const QString base = fb.baseDataFolder();
    const QString folder = QDir::toNativeSeparators(stop.archive);
    try {
        switch (stop.at) {
        case StoppedAt::Nothing:
            return QString();
        case StoppedAt::Unclear:
            return QStringLiteral("Im Ordner %1 liegt ein unterbrochener Jahreswechsel, dessen "
                                  "Journal nicht mit dem aktuellen Journal übereinstimmt.\rDer "
                                  "Ordner bleibt unverändert. Bitte prüfen Sie beide Journale, "
                                  "bevor Sie den Jahreswechsel erneut durchführen.")
                .arg(folder);
        case StoppedAt::BeforeArchive:
        case StoppedAt::ArchiveBuilt:
            if (stop.at == StoppedAt::ArchiveBuilt)
                discardArchive(stop.archive);
            recomputeSalden(fb, true);
            removeYearChangeMarkers(base, QString());
            return QStringLiteral("Der Jahreswechsel wurde unterbrochen, bevor das Journal geleert "
                                  "war, und ist rückgängig gemacht.\rDer Buchungszeitraum bleibt "
                                  "%1 bis %2. Bitte führen Sie den Jahreswechsel erneut durch.")
                .arg(fb.settings.buchVon, fb.settings.buchBis);
        case StoppedAt::JournalEmptied:
        case StoppedAt::SettingsWritten:
            // Written again when they already name the new year: in a session whose write
            // failed they are new only in memory.
            if (stop.at == StoppedAt::JournalEmptied)
                saveNewYearSettings(fb, fb.settings.periodEnd(), today, base);
            else
                fb.saveYearSettings(base);
            recomputeSalden(fb, true);
            removeYearChangeMarkers(base, stop.archive);
            fb.notify(BooksEvent::YearOpened);
            return QStringLiteral("Der Jahreswechsel wurde unterbrochen und ist jetzt "
                                  "abgeschlossen.\rDas abgeschlossene Jahr liegt im Ordner %1; "
                                  "der Buchungszeitraum ist jetzt %2 bis %3.")
                .arg(folder, fb.settings.buchVon, fb.settings.buchBis);
        }
    } catch (const std::exception &e) {
        const auto *engine = dynamic_cast<const EngineError *>(&e);
        const QString why = dynamic_cast<const SilentAbort *>(&e) ? QString()
                            : engine ? QStringLiteral("\r") + engine->message()
                                     : QStringLiteral("\r") + QString::fromUtf8(e.what());
        fb.notify(BooksEvent::YearOpened);
        return QStringLiteral("Ein unterbrochener Jahreswechsel konnte nicht bereinigt werden; "
                              "der nächste Programmstart versucht es erneut.") +
               why;
    }
    return QString();
}

namespace {

// A step that stopped is reported (a silent abort has reported itself), and the balances must
// hold the batch again whatever step stopped.
void reportStopAndRestoreBalances(BooksSession &fb, const std::exception &e) {
    if (!dynamic_cast<const SilentAbort *>(&e))
        fb.ui().error(dynamic_cast<const EngineError *>(&e)
                          ? static_cast<const EngineError &>(e).message()
                          : QString::fromUtf8(e.what()));
    try {
        recomputeSalden(fb, true);
    } catch (...) {
    }
}

} // namespace

void runJahreswechsel(BooksSession &fb, QDate today) {
    if (!confirmJahreswechsel(fb.ui()))
        return;
    const ArchiveFolder archive = archiveFolderOrRefuse(fb);
    const QDate bis = fb.settings.periodEnd();
    // The window offers the change only after the period's end; the command line asks for it
    // directly, and closing a year that is still running would end its period before it began.
    if (bis.isValid() && today <= bis) {
        fb.ui().error(QStringLiteral("Das Buchungsjahr endet erst am %1. Der Jahreswechsel ist "
                                     "erst danach möglich.")
                          .arg(fb.settings.buchBis));
        throw SilentAbort();
    }
    const FinishYearChangeOnExit finally{fb};
    refuseBatchRowsOfClosingYear(fb, bis);
    requireCapitalAccount(fb);

    const QString base = fb.baseDataFolder();
    try {
        markYearChangeRunning(base);
        // Closing balances of the year: opening balances and the journal.
        recomputeSalden(fb, false);
        if (!archive.resume)
            buildArchive(fb, base, archive.path);
        // A run that goes on after a stop finds the journal already empty when the
        // transaction that empties it was committed.
        if (!fb.journal.isEmpty()) {
            refuseArchiveWithOtherJournal(fb, archive.path);
            const std::vector<Carry> carry = openingValuesOfNewYear(fb);
            emptyJournalWritingOpeningValues(fb, carry);
        }
        // The settings name the new year right after the journal was emptied: from here on
        // a booking of the closed year is refused by the period check.
        saveNewYearSettings(fb, bis, today, base);
        recomputeSalden(fb, true);
        removeYearChangeMarkers(base, archive.path);
    } catch (const std::exception &e) {
        reportStopAndRestoreBalances(fb, e);
        // Undone while the journal still holds the closed year, finished once it does not;
        // what cannot be settled now is settled at the next start.
        const QString settled = settleStoppedJahreswechsel(fb, today);
        if (!settled.isEmpty())
            fb.ui().warning(settled);
        throw SilentAbort();
    }
}

namespace {

// An account's name, type and balance as the open year closes it.
struct ClosingSaldo {
    qint64 nr;
    QString name;
    int art;
    Money saldo;
};

// The folder of the year after the open one, or the base data folder when that year is the
// current one; nothing when the open folder's name ends in no year.
std::optional<QString> folderOfNextYear(BooksSession &fb) {
    const QString open = QDir(fb.currentDataFolder()).dirName();
    bool ok = false;
    const int yy = open.right(2).toInt(&ok);
    if (!ok)
        return std::nullopt;
    QString target = TableFile::withSlash(fb.baseDataFolder()) + fb.folders.prefix +
                     QString::asprintf("%2.2d", yy + 1);
    if (!QFileInfo(target).isDir())
        target = fb.baseDataFolder();
    return target;
}

void openOrRefuse(Table &t, Ui &ui) {
    try {
        t.open();
    } catch (const EngineError &e) {
        ui.error(e.message());
        throw SilentAbort();
    }
}

std::vector<ClosingSaldo> closingSalden(Table &k) {
    k.refresh();
    std::vector<ClosingSaldo> rows;
    forEachRow(k,
               QStringLiteral("SELECT KtoNr, Name, Art, COALESCE(Saldo, 0) FROM %1 ORDER BY KtoNr")
                   .arg(quotedName(k)),
               [&](const SqlRow &r) {
                   rows.push_back({r.int64(0), r.text(1), int(r.int64(2)), r.money(3)});
               });
    return rows;
}

int askOverwrite(Ui &ui, const ClosingSaldo &r, Money opening) {
    return ui.confirm(r.name + QStringLiteral(" alt: ") + opening.toGerman(2, false) +
                          QStringLiteral("\rüberschreiben mit neu: ") + general(r.saldo),
                      Btn::YesNoCancel);
}

// The target row's opening values become the closing balance; its balance moves by the
// difference, so the bookings of the target year stay in it.
void overwriteOpening(Table &t, Money opening, Money saldo) {
    t.edit();
    t.setMoney(QStringLiteral("Soll"), saldo > Money() ? saldo : Money());
    t.setMoney(QStringLiteral("Haben"), saldo > Money() ? Money() : -saldo);
    t.setMoney(QStringLiteral("Saldo"), t.asMoney(QStringLiteral("Saldo")) - opening + saldo);
    t.post();
}

} // namespace

void carryForwardSalden(BooksSession &fb) {
    Ui &ui = fb.ui();
    const std::optional<QString> target = folderOfNextYear(fb);
    if (!target)
        return;
    requireCapitalAccount(fb);
    Table t(Schemas::konten(), QStringLiteral("TZiel"));
    t.setFolder(*target);
    openOrRefuse(t, ui);
    const std::vector<ClosingSaldo> rows = closingSalden(fb.konten);
    std::vector<std::tuple<qint64, int, qint64>> closing;
    for (const ClosingSaldo &r : rows)
        closing.emplace_back(r.nr, r.art, r.saldo.units());
    const std::vector<OpeningOf> openings = openingBalances(fb, closing);
    for (size_t i = 0; i < rows.size(); ++i) {
        if (!openings[i].carries)
            continue;
        // The capital account takes the closed result and private accounts with it.
        ClosingSaldo r = rows[i];
        r.saldo = Money::fromUnits(openings[i].opening);
        if (!t.findKey({r.nr}))
            continue;
        const Money o = t.asMoney(QStringLiteral("Soll")) - t.asMoney(QStringLiteral("Haben"));
        if ((o - r.saldo).nearlyEquals(Money()))
            continue;
        const int answer = askOverwrite(ui, r, o);
        if (answer == Btn::Cancel)
            break;
        if (answer != Btn::Yes)
            continue;
        overwriteOpening(t, o, r.saldo);
    }
    t.close();
}

void toggleOldYear(BooksSession &fb) {
    Ui &ui = fb.ui();
    const QString base = fb.baseDataFolder();
    if (TableFile::withSlash(fb.currentDataFolder()) != TableFile::withSlash(base)) {
        fb.openDataFolder(base);
    } else {
        {
            fb.oldYearFloor =
                int(scalar(fb.journal, QStringLiteral("SELECT COALESCE(MAX(Autonummer), 0) FROM %1")
                                           .arg(quotedName(fb.journal))) +
                    1);
        }
        const auto typed = ui.input(QStringLiteral("Alte Buchungsdaten"),
                                    QStringLiteral("Buchungsjahr angeben:"), QString());
        if (!typed)
            return;
        const QString folder = yearFolderFor(fb, *typed);
        if (*typed < QLatin1String("00") || folder.isEmpty() || !QFileInfo(folder).isDir() ||
            !fb.openDataFolder(folder)) {
            ui.error(QStringLiteral("Buchungsjahr nicht vorhanden!"));
            throw SilentAbort();
        }
    }
    fb.notify(BooksEvent::OldYearToggled);
}

void deleteJahr(BooksSession &fb) {
    Ui &ui = fb.ui();
    if (TableFile::withSlash(fb.currentDataFolder()) != TableFile::withSlash(fb.baseDataFolder()))
        return;
    const auto typed =
        ui.input(QStringLiteral("Buchungsjahr löschen"),
                 QStringLiteral("Buchungsjahr angeben: (Aber Vorsicht!)"), QString());
    if (!typed)
        return;
    const QString y = yearFolderFor(fb, *typed);
    if (*typed < QLatin1String("00") || y.isEmpty() || !QFileInfo(y).isDir()) {
        ui.error(QStringLiteral("Buchungsjahr nicht vorhanden!"));
        throw SilentAbort();
    }
    // Enter alone must not delete a year: the default button is "Nein".
    if (ui.warnConfirm(QStringLiteral("Achtung !!! Die Daten vom Jahr ") + *typed +
                           QStringLiteral(" werden gelöscht!") +
                           QStringLiteral("\rWollen Sie das wirklich ?"),
                       Btn::YesNoCancel, 32, Btn::No) != Btn::Yes)
        return;
    QDir dir(y);
    for (const QString &f : dir.entryList(QDir::Files | QDir::NoDotAndDotDot))
        dir.remove(f);
    if (!QDir().rmdir(y))
        ui.warning(QStringLiteral("Beim Löschen des Verzeichnisses ") +
                   QDir::toNativeSeparators(y) +
                   QStringLiteral(" ist ein Fehler aufgetreten. Bitte nachträglich löschen."));
}

} // namespace ledra
