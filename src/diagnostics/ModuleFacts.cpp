#include "ModuleFacts.h"

#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QLibraryInfo>
namespace ledra {

QString ModuleFacts::fourNumbers(const QString &version) {
    QStringList parts = version.split(QLatin1Char('.'), Qt::SkipEmptyParts);
    while (parts.size() < 4)
        parts << QStringLiteral("0");
    return parts.mid(0, 4).join(QLatin1Char('.'));
}

ModuleFacts ModuleFacts::gather(const QString &programPath, const QStringList &arguments,
                                const QString &helpFile, bool helpModuleLinked) {
    ModuleFacts f;
    const QFileInfo exe(programPath);
    f.modulePath = QDir::toNativeSeparators(exe.absoluteFilePath());
    f.moduleDir = QDir::toNativeSeparators(exe.absolutePath());
    f.moduleName = exe.fileName();
    f.runDir = f.moduleDir;
    f.logHome = f.moduleDir;
    f.version = fourNumbers(QStringLiteral(LEDRA_VERSION_TEXT));
    f.arguments = arguments;

    const QFileInfo help(helpFile);
    f.hhInstalled = help.isFile();
    if (f.hhInstalled) {
        f.hhVerStr = f.version;
        f.hhFriendlyVerStr = QStringLiteral("Handbuch %1 vom %2")
                                 .arg(QStringLiteral(LEDRA_VERSION_TEXT),
                                      help.lastModified().toString(QStringLiteral("dd.MM.yyyy")));
    }

    const QString qtVersion = QLibraryInfo::version().toString();
    f.ieInstalled = helpModuleLinked;
    if (!f.ieInstalled) {
        QLibrary module(QStringLiteral("Qt6Help"), QT_VERSION_MAJOR);
        f.ieInstalled = module.load();
        if (f.ieInstalled)
            module.unload();
    }
    if (f.ieInstalled) {
        f.ieVerStr = fourNumbers(qtVersion);
        f.ieFriendlyVerStr = QStringLiteral("Qt Help %1").arg(qtVersion);
    }
    return f;
}

} // namespace ledra
