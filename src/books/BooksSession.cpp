#include "BooksSession.h"

#include "DataFolderLock.h"

#include "store/Schema.h"
#include "store/TableFile.h"
#include "ui/Ui.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <unistd.h>
namespace ledra {

namespace {
bool sameFolder(const QString &a, const QString &b) {
    return TableFile::withSlash(a) == TableFile::withSlash(b);
}

// Without this check a folder the user may not enter reads as a folder without tables.
bool mayReadAndWrite(const QString &folder) {
    return ::access(QFile::encodeName(folder).constData(), R_OK | W_OK | X_OK) == 0;
}

// A folder as messages name it: in full, even where it was given relative.
QString shownFolder(const QString &folder) {
    return QDir::toNativeSeparators(QFileInfo(folder).absoluteFilePath());
}

QString noAccessText(const QString &folder) {
    return QStringLiteral("Kein Zugriff auf den Datenordner %1.\rDas Programm muss dort lesen und "
                          "schreiben dürfen; bitte die Zugriffsrechte prüfen.")
        .arg(shownFolder(folder));
}
} // namespace

BooksSession::BooksSession(Ui &ui, const QString &programFolder)
    : kontoArten(Schemas::kontoArt(), QStringLiteral("TKontoArt")),
      favoriten(Schemas::favoriten(), QStringLiteral("TFavoriten")),
      stapel(Schemas::buchung(), QStringLiteral("TBuchungen")),
      bwa(Schemas::bwa(), QStringLiteral("TBWA")),
      bilanz(Schemas::bilanz(), QStringLiteral("TBilanz")),
      konten(Schemas::konten(), QStringLiteral("TKonten")),
      kontenGrid(Schemas::konten(), QStringLiteral("TKonten2")),
      journal(Schemas::journal(), QStringLiteral("TJournal")), m_ui(ui),
      m_programFolder(QDir::fromNativeSeparators(programFolder)), m_layout(m_programFolder) {
    setupLookups();
}

BooksSession::~BooksSession() = default;

void BooksSession::setupLookups() {
    for (Table *k : {&konten, &kontenGrid}) {
        k->addLookup(QStringLiteral("XArt"), QStringLiteral("Art"), &kontoArten,
                     QStringLiteral("Autonummer"), QStringLiteral("Kontenart"));
        k->addLookup(QStringLiteral("xBWA"), QStringLiteral("BWA"), &bwa,
                     QStringLiteral("Reihenfolge"), QStringLiteral("Sektion"));
        k->addLookup(QStringLiteral("xBilanz"), QStringLiteral("Bilanz"), &bilanz,
                     QStringLiteral("Reihenfolge"), QStringLiteral("Sektion"));
    }
    kontenGrid.setIndexFields({QStringLiteral("KtoNr")});
    const QString K = QStringLiteral("KtoNr");
    for (Table *b : {&journal, &stapel}) {
        b->addLookup(QStringLiteral("XSollArt"), QStringLiteral("Soll"), &konten, K,
                     QStringLiteral("Art"));
        b->addLookup(QStringLiteral("XHabenArt"), QStringLiteral("Haben"), &konten, K,
                     QStringLiteral("Art"));
    }
    stapel.addLookup(QStringLiteral("XSollName"), QStringLiteral("Soll"), &konten, K,
                     QStringLiteral("Name"));
    stapel.addLookup(QStringLiteral("XHabenName"), QStringLiteral("Haben"), &konten, K,
                     QStringLiteral("Name"));
    stapel.addLookup(QStringLiteral("XSollMwst"), QStringLiteral("Soll"), &konten, K,
                     QStringLiteral("Mwst"));
    stapel.addLookup(QStringLiteral("XHabenMwst"), QStringLiteral("Haben"), &konten, K,
                     QStringLiteral("Mwst"));
    stapel.addLookup(QStringLiteral("XSollSaldo"), QStringLiteral("Soll"), &konten, K,
                     QStringLiteral("Saldo"));
    stapel.addLookup(QStringLiteral("XHabenSaldo"), QStringLiteral("Haben"), &konten, K,
                     QStringLiteral("Saldo"));
}

void BooksSession::notify(BooksEvent event) {
    if (listener)
        listener(event);
}

QString BooksSession::journalCountText() const {
    return QString::number(journal.isActive() ? journal.recordCount() : 0) +
           QStringLiteral(" Buchungen");
}

QString BooksSession::accountCountText() const {
    return QString::number(kontenGrid.isActive() ? kontenGrid.recordCount() : 0) +
           QStringLiteral(" Konten");
}

void BooksSession::ensureOpenItemTables() {
    // The open-items tables belong to the base data folder; an older installation may not
    // have them yet.
    for (const TableSchema *s : {&Schemas::op(), &Schemas::stapel()})
        if (!TableFile::exists(folders.baseDataFolder, s->fileName))
            TableFile::create(TableFile::join(folders.baseDataFolder, s->fileName), *s);
}

void BooksSession::open(QDate today) {
    oldYearFloor = 0;
    kontoArten.close();
    kontoArten.setFolder(folders.baseDataFolder);
    if (!QFileInfo(folders.baseDataFolder).isDir()) {
        m_ui.error(QStringLiteral("Fehler beim Datenzugriff.\rVerzeichnis ") +
                   QDir::toNativeSeparators(folders.baseDataFolder) +
                   QStringLiteral(" nicht vorhanden"));
        throw SilentAbort();
    }
    requireAccess(folders.baseDataFolder);
    lockBaseFolder();
    kontoArten.open();
    auto fail = [&](const Table &t) {
        return EngineError(DbErr::General,
                           QStringLiteral("Die Tabelle %1 kann nicht geöffnet werden.")
                               .arg(QDir::toNativeSeparators(t.path())));
    };
    if (!openTableInFolder(favoriten, folders.baseDataFolder))
        throw fail(favoriten);
    reloadBookingTexts();
    openDataFolder(folders.baseDataFolder, today);
    for (Table *t : {&bwa, &bilanz, &konten, &kontenGrid, &journal})
        if (!t->isActive())
            throw fail(*t);
    if (!openTableInFolder(stapel, folders.baseDataFolder))
        throw fail(stapel);
    ensureOpenItemTables();
    notify(BooksEvent::JournalChanged);
    notify(BooksEvent::ChartChanged);
}

void BooksSession::reloadBookingTexts() {
    Table &f = favoriten;
    bookingTexts.clear();
    for (f.first(); !f.eof(); f.next())
        bookingTexts << f.asString(QStringLiteral("Text"));
    notify(BooksEvent::TemplatesChanged);
}

void BooksSession::close() {
    stapel.close();
    m_writerLock.reset();
}

void BooksSession::requireAccess(const QString &folder) {
    if (mayReadAndWrite(folder))
        return;
    m_ui.error(noAccessText(folder));
    throw SilentAbort();
}

bool BooksSession::holdsWriterLock() const {
    return m_writerLock && m_writerLock->isLocked();
}

// Taken before anything is read or written, so that a refused start changes nothing; once
// held, what a killed run left behind can go.
void BooksSession::lockBaseFolder() {
    const QString base = folders.baseDataFolder;
    if (holdsWriterLock() && sameFolder(m_writerLock->folder(), base))
        return;
    m_writerLock.reset();
    auto lock = std::make_unique<DataFolderLock>(base);
    const QString busy =
        QStringLiteral("Der Datenordner %1 wird von einem anderen Programm benutzt")
            .arg(shownFolder(base));
    const auto result = lock->lock(
        writerLockWaitMs,
        [&] {
            const QString text = busy + QStringLiteral(", warte …");
            if (writerLockWaiting)
                writerLockWaiting(text);
            else
                m_ui.status(3, text);
        },
        [&] { m_ui.processEvents(); });
    if (result == DataFolderLock::Result::Busy) {
        m_ui.error(busy + QStringLiteral(".\rBitte das andere Programm beenden und es dann erneut "
                                         "versuchen."));
        throw SilentAbort();
    }
    if (result == DataFolderLock::Result::Failed) {
        m_ui.error(QStringLiteral("Der Datenordner %1 kann nicht gesperrt werden:\r%2")
                       .arg(shownFolder(base), lock->errorString()));
        throw SilentAbort();
    }
    m_writerLock = std::move(lock);
    m_writerLock->removeLeftoverTemporaries(base);
}

bool BooksSession::openTableInFolder(Table &t, const QString &folder) {
    const QString u = TableFile::withSlash(folders.updateFolder);
    const QString name = t.fileName();
    t.close();
    t.setFolder(folder);

    // A table of a newer structure delivered by an update takes the old one's rows and
    // moves into place; the rename replaces the old file in one step. It must be the table
    // this program version expects: one with other fields would lose a column of the rows
    // or leave a table the program cannot open, so it is refused and the old one stays.
    const QString newPath = TableFile::resolve(u, QStringLiteral("NEW") + name);
    if (QFileInfo(newPath).isFile() && !m_refusedUpdates.contains(newPath)) {
        try {
            TableFile::checkStructure(newPath, t.schema());
            TableFile::replaceByNew(newPath, folder, name);
        } catch (const EngineError &e) {
            // Reported once per run, not again for the second view of the same file.
            m_refusedUpdates << newPath;
            m_ui.error(
                e.code() == DbErr::Structure
                    ? QStringLiteral("Die Tabelle %1 aus dem Aktualisierungsordner hat nicht "
                                     "die Felder der Tabelle %2 und wird nicht übernommen.")
                          .arg(QDir::toNativeSeparators(newPath), name)
                    : e.message());
        }
    }

    try {
        t.open();
        return true;
    } catch (const EngineError &e) {
        const bool isBase = sameFolder(folder, folders.baseDataFolder);
        if (e.code() == DbErr::TableMissing) {
            if (isBase) {
                m_ui.error(e.message());
                return false;
            }
            try {
                TableFile::copy(TableFile::resolve(folders.baseDataFolder, name),
                                TableFile::join(folder, name));
                t.open();
                return true;
            } catch (const EngineError &e2) {
                m_ui.error(e2.message());
                return false;
            }
        }
        if (e.code() == DbErr::Structure && !isBase) {
            // Bring an older year table up to the structure of the base data folder. The
            // old file is replaced only by the final rename, so a crash before it leaves the
            // old table as it was.
            const QString old = TableFile::resolve(folder, name);
            const QString x = TableFile::join(folder, QStringLiteral("X") + name);
            try {
                TableFile::copy(TableFile::resolve(folders.baseDataFolder, name), x);
                TableFile::empty(x);
                TableFile::batchAppend(old, x);
                TableFile::rename(x, old);
                t.open();
                return true;
            } catch (const EngineError &e2) {
                TableFile::remove(x);
                m_ui.error(e2.message());
                return false;
            }
        }
        // A damaged, foreign or newer file is reported and left untouched.
        if (e.code() != DbErr::Structure)
            m_ui.error(e.message());
        return false;
    }
}

bool BooksSession::openDataFolder(const QString &folder, QDate today) {
    QString f = folder;
    bool result = true;
    if (!QFileInfo(f).isDir()) {
        f = folders.baseDataFolder;
        result = false;
        if (!QFileInfo(f).isDir()) {
            m_ui.error(QStringLiteral("Fehler beim Datenzugriff.\rVerzeichnis ") +
                       QDir::toNativeSeparators(f) + QStringLiteral(" nicht vorhanden"));
            throw SilentAbort();
        }
    }
    // A year folder without access is reported and treated like a missing one.
    if (!sameFolder(f, folders.baseDataFolder) && !mayReadAndWrite(f)) {
        m_ui.error(noAccessText(f));
        f = folders.baseDataFolder;
        result = false;
    }
    if (holdsWriterLock())
        m_writerLock->removeLeftoverTemporaries(f);
    Table *const year[] = {&bwa, &bilanz, &konten, &kontenGrid, &journal};
    bool ok = true;
    for (Table *t : year)
        if (!openTableInFolder(*t, f)) {
            ok = false;
            break;
        }
    if (!ok) {
        f = folders.baseDataFolder;
        for (Table *t : year)
            openTableInFolder(*t, f);
        result = false;
    }
    m_today = today;
    loadYearSettings(f, today);
    notify(BooksEvent::YearOpened);
    return result;
}

bool BooksSession::presentYearOpen() const {
    return sameFolder(journal.folder(), folders.baseDataFolder);
}

QString BooksSession::yearFolderName() const {
    return QDir(QDir::fromNativeSeparators(currentDataFolder())).dirName();
}

QString BooksSession::yearFolder(const QString &year) const {
    return TableFile::withSlash(folders.baseDataFolder) + folders.prefix + year.right(2);
}

void BooksSession::loadYearSettings(const QString &folder, QDate today) {
    settings.load(folder, &m_ui, today);
}

void BooksSession::saveYearSettings(const QString &folder) {
    settings.save(folder);
}

void BooksSession::beginDataOperation() {
    const bool browse = (!stapel.isActive() || stapel.isBrowse()) &&
                        (!kontenGrid.isActive() || kontenGrid.isBrowse());
    if (!browse) {
        m_ui.error(QStringLiteral("Bitte erst Dateneingabe beenden!"));
        throw SilentAbort();
    }
    m_busy = true;
    stapel.disableControls();
    kontenGrid.disableControls();
    notify(BooksEvent::DataOperationStarted);
    m_ui.processEvents();
    m_ui.progress(0);
    m_ui.progressVisible(true);
}

void BooksSession::endDataOperation() {
    m_ui.progressVisible(false);
    m_busy = false;
    stapel.enableControls();
    kontenGrid.enableControls();
    if (stapel.isActive())
        stapel.refresh();
    if (kontenGrid.isActive())
        kontenGrid.refresh();
}

void BooksSession::checkNoDataOperation() {
    if (m_busy) {
        m_ui.error(QStringLiteral("Datenvorgang läuft!"));
        throw SilentAbort();
    }
}

} // namespace ledra
