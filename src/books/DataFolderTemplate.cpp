#include "DataFolderTemplate.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <stdexcept>
namespace ledra {

namespace {

[[noreturn]] void fail(const QString &text) {
    throw std::runtime_error(text.toStdString());
}

// Copies the regular files and folders of `from` into the existing folder `to`. Build
// bookkeeping (files starting with a dot) is not part of the data.
void copyTree(const QString &from, const QString &to) {
    const QFileInfoList entries = QDir(from).entryInfoList(
        QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks, QDir::Name);
    for (const QFileInfo &e : entries) {
        const QString target = to + QLatin1Char('/') + e.fileName();
        if (e.isDir()) {
            if (!QDir().mkdir(target))
                fail(QStringLiteral("Der Ordner %1 kann nicht angelegt werden.")
                         .arg(QDir::toNativeSeparators(target)));
            copyTree(e.filePath(), target);
        } else if (!QFile::copy(e.filePath(), target)) {
            fail(
                QStringLiteral("Die Datei %1 kann nicht nach %2 kopiert werden.")
                    .arg(QDir::toNativeSeparators(e.filePath()), QDir::toNativeSeparators(target)));
        } else {
            // Installed templates are read-only; the user's copy must be writable.
            QFile::setPermissions(target, QFile::permissions(target) | QFile::WriteOwner |
                                              QFile::ReadOwner);
        }
    }
}

} // namespace

void createDataFolderFromTemplate(const QString &templateFolder, const QString &folder) {
    const QString target = QDir::cleanPath(folder);
    if (!QFileInfo(templateFolder).isDir())
        fail(QStringLiteral("Die Vorlage des Datenordners %1 fehlt. Bitte das Programm neu "
                            "installieren.")
                 .arg(QDir::toNativeSeparators(templateFolder)));
    if (QFileInfo(target).exists() || QFileInfo(target).isSymLink())
        fail(QStringLiteral("Der Datenordner %1 besteht schon.")
                 .arg(QDir::toNativeSeparators(target)));
    const QString parent = QFileInfo(target).absolutePath();
    if (!QDir().mkpath(parent))
        fail(QStringLiteral("Der Ordner %1 kann nicht angelegt werden.")
                 .arg(QDir::toNativeSeparators(parent)));
    QTemporaryDir staging(parent + QStringLiteral("/.ledra-neu-XXXXXX"));
    if (!staging.isValid())
        fail(QStringLiteral("Im Ordner %1 kann nichts angelegt werden: %2")
                 .arg(QDir::toNativeSeparators(parent), staging.errorString()));
    copyTree(templateFolder, staging.path());
    // A data folder is the user's own: not readable by others, whatever the umask.
    QFile::setPermissions(staging.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (!QDir().rename(staging.path(), target))
        fail(QStringLiteral("Der Datenordner %1 kann nicht angelegt werden.")
                 .arg(QDir::toNativeSeparators(target)));
    staging.setAutoRemove(false);
}

} // namespace ledra
