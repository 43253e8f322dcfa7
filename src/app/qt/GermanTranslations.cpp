#include "GermanTranslations.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
namespace ledra {

QStringList qtTranslationFolders(const QString &programFolder) {
    QStringList folders{programFolder + QStringLiteral("/translations"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath),
                        QStringLiteral("/usr/share/qt6/translations"),
                        QStringLiteral("/usr/local/share/qt6/translations")};
    folders.removeDuplicates();
    return folders;
}

bool installGermanTranslations(QCoreApplication &app, const QString &programFolder) {
    const QLocale german(QLocale::German, QLocale::Germany);
    QLocale::setDefault(german);
    // qtbase holds the texts of the widgets and dialogs; "qt_de" is the older bundle that
    // some installations still ship instead.
    for (const QString &folder : qtTranslationFolders(programFolder)) {
        for (const char *name : {"qtbase_de.qm", "qt_de.qm"}) {
            const QString file = QDir(folder).filePath(QString::fromLatin1(name));
            if (!QFileInfo::exists(file))
                continue;
            auto *t = new QTranslator(&app);
            if (t->load(file)) {
                QCoreApplication::installTranslator(t);
                return true;
            }
            delete t;
        }
    }
    return false;
}

} // namespace ledra
