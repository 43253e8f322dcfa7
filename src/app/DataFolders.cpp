// The data folder routines of the main window: opening one table with its structure
// upgrade, and opening the tables and settings of a fiscal year.

#include "UBuchhaltung.h"

#include "store/TableFile.h"
#include "ui/Ui.h"

#include <QDir>
#include <QFileInfo>

static bool sameFolder(const QString &a, const QString &b)
{
    return TableFile::withSlash(a) == TableFile::withSlash(b);
}

bool TFBuchhaltung::OpenTableInFolder(Table &t, const QString &folder)
{
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
            TableFile::rename(newPath, QFileInfo(old).isFile() ? old : TableFile::join(folder, name));
        } catch (const EngineError &e) {
            ui_.error(e.message());
        }
    }

    try {
        t.open();
        return true;
    } catch (const EngineError &e) {
        const bool isBase = sameFolder(folder, folders.baseDataFolder);
        if (e.code() == DbErr::TableMissing) {
            if (isBase) {
                ui_.error(e.message());
                return false;
            }
            try {
                TableFile::copy(TableFile::resolve(folders.baseDataFolder, name), TableFile::join(folder, name));
                t.open();
                return true;
            } catch (const EngineError &e2) {
                ui_.error(e2.message());
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
                ui_.error(e2.message());
                return false;
            }
        }
        // A damaged, foreign or newer file is reported and left untouched.
        if (e.code() != DbErr::Structure) ui_.error(e.message());
        return false;
    }
}

bool TFBuchhaltung::OpenDataFolder(const QString &folder, QDate today)
{
    QString f = folder;
    bool result = true;
    if (!QFileInfo(f).isDir()) {
        f = folders.baseDataFolder;
        result = false;
        if (!QFileInfo(f).isDir()) {
            ui_.error(QStringLiteral("Fehler beim Datenzugriff.\rVerzeichnis ") + QDir::toNativeSeparators(f) +
                      QStringLiteral(" nicht vorhanden"));
            throw SilentAbort();
        }
    }
    Table *const year[] = {&TBWA, &TBilanz, &TKonten, &TKonten2, &TJournal};
    bool ok = true;
    for (Table *t : year)
        if (!OpenTableInFolder(*t, f)) {
            ok = false;
            break;
        }
    if (!ok) {
        f = folders.baseDataFolder;
        for (Table *t : year) OpenTableInFolder(*t, f);
        result = false;
    }
    setStatus(2, QDir(QDir::fromNativeSeparators(f)).dirName());
    LoadYearSettings(f, today);
    updateYearButtons(today);
    return result;
}

void TFBuchhaltung::updateYearButtons(QDate today)
{
    controls.delJahrEnabled = sameFolder(TJournal.folder(), folders.baseDataFolder);
    const QDate end = settings.periodEnd();
    controls.jWechselEnabled = controls.delJahrEnabled && end.isValid() && today > end;
    controls.kSaldouebertrEnabled = !controls.delJahrEnabled;
    notifyControls();
}

QString TFBuchhaltung::yearFolder(const QString &year) const
{
    return TableFile::withSlash(folders.baseDataFolder) + folders.prefix + year.right(2);
}

void TFBuchhaltung::LoadYearSettings(const QString &folder, QDate today)
{
    settings.load(folder, &ui_, today);
    controls.cashBasisColumns = settings.istSteuer;
}

void TFBuchhaltung::SaveYearSettings(const QString &folder) { settings.save(folder); }
