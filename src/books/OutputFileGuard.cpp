#include "OutputFileGuard.h"

#include "BooksSession.h"
#include "store/Schema.h"

#include <QDir>
#include <QFileInfo>
namespace ledra {

namespace {

// Where a write to `path` would land: links followed as far as they lead, then the folder made
// canonical. A path whose target does not exist yet keeps its last name.
QString landingPath(const QString &path) {
    QFileInfo fi(QDir::fromNativeSeparators(path));
    for (int hops = 0; fi.isSymLink() && hops < 40; ++hops)
        fi = QFileInfo(fi.symLinkTarget());
    if (fi.exists())
        return fi.canonicalFilePath();
    const QString dir = QFileInfo(fi.absolutePath()).canonicalFilePath();
    return (dir.isEmpty() ? fi.absolutePath() : dir) + QLatin1Char('/') + fi.fileName();
}

QString canonicalFolder(const QString &folder) {
    const QString c = QFileInfo(QDir::fromNativeSeparators(folder)).canonicalFilePath();
    return c.isEmpty() ? QDir::cleanPath(QFileInfo(folder).absoluteFilePath()) : c;
}

bool isDataFileName(const QString &name) {
    QStringList names = Schemas::tableFileNames();
    const qsizetype tables = names.size();
    for (qsizetype i = 0; i < tables; ++i)
        names << names[i] + QStringLiteral("-journal");
    names << QStringLiteral("LEDRA.INI");
    for (const QString &n : names)
        if (name.compare(n, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

} // namespace

QString outputFileRefusal(const BooksSession &books, const QString &path) {
    const QString target = landingPath(path);
    const QString refusal =
        QStringLiteral("Die Datei %1 gehört zu den Buchhaltungsdaten und wird nicht "
                       "überschrieben. Bitte einen anderen Namen oder Ordner wählen.")
            .arg(QDir::toNativeSeparators(path));
    for (const Table *t : {&books.kontoArten, &books.favoriten, &books.stapel, &books.bwa,
                           &books.bilanz, &books.konten, &books.kontenGrid, &books.journal})
        if (t->isActive() && landingPath(t->path()) == target)
            return refusal;
    const QFileInfo fi(target);
    const QString folder = fi.absolutePath();
    for (const QString &data : {books.baseDataFolder(), books.currentDataFolder()})
        if (!data.isEmpty() && canonicalFolder(data) == folder && isDataFileName(fi.fileName()))
            return refusal;
    return QString();
}

} // namespace ledra
