#include "BooksSession.h"

#include "store/Schema.h"
#include "store/TableFile.h"
#include "ui/Ui.h"

#include <QDir>
#include <QFileInfo>
namespace ledra {

namespace {
bool sameFolder(const QString &a, const QString &b) {
    return TableFile::withSlash(a) == TableFile::withSlash(b);
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
}

bool BooksSession::openTableInFolder(Table &t, const QString &folder) {
    const QString u = TableFile::withSlash(folders.updateFolder);
    const QString name = t.fileName();
    t.close();
    t.setFolder(folder);

    // A table of a newer structure delivered by an update takes the old one's rows and
    // moves into place; the rename replaces the old file in one step.
    const QString newPath = TableFile::resolve(u, QStringLiteral("NEW") + name);
    if (QFileInfo(newPath).isFile()) {
        try {
            const QString old = TableFile::resolve(folder, name);
            if (QFileInfo(old).isFile()) {
                TableFile::empty(newPath);
                TableFile::batchAppend(old, newPath);
            }
            TableFile::rename(newPath,
                              QFileInfo(old).isFile() ? old : TableFile::join(folder, name));
        } catch (const EngineError &e) {
            m_ui.error(e.message());
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
