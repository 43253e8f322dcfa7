#include "InstallLayout.h"

#include <QDir>
#include <QFileInfo>
namespace ledra {

namespace {

// Relative to the prefix; set by the build from its install directories so that the program
// looks where its own install rules put things.
#ifndef LEDRA_INSTALL_PLUGINDIR
#define LEDRA_INSTALL_PLUGINDIR "lib/ledra"
#endif
#ifndef LEDRA_INSTALL_DATADIR
#define LEDRA_INSTALL_DATADIR "share/ledra"
#endif
#ifndef LEDRA_LIBRARY_ARCHITECTURE
#define LEDRA_LIBRARY_ARCHITECTURE ""
#endif
#ifndef LEDRA_VERSION
#define LEDRA_VERSION "0"
#endif

QString xdgHome(const char *variable, const QString &fallback) {
    const QString v = qEnvironmentVariable(variable);
    if (!v.isEmpty() && QDir::isAbsolutePath(v))
        return QDir::cleanPath(v);
    return QDir::cleanPath(QDir::homePath() + QLatin1Char('/') + fallback);
}

} // namespace

InstallLayout::InstallLayout(const QString &programFolder)
    : m_programFolder(QDir::cleanPath(QDir::fromNativeSeparators(programFolder))) {
    const QFileInfo bin(m_programFolder);
    if (bin.fileName() == QLatin1String("bin")) {
        const QString prefix = QDir::cleanPath(bin.absolutePath());
        if (QFileInfo(prefix + QStringLiteral("/" LEDRA_INSTALL_DATADIR)).isDir()) {
            m_prefix = prefix;
            m_installed = true;
        }
    }
}

QString InstallLayout::dataFile(const QString &name) const {
    if (!m_installed)
        return m_programFolder + QLatin1Char('/') + name;
    return m_prefix + QStringLiteral("/" LEDRA_INSTALL_DATADIR "/") + name;
}

QStringList InstallLayout::pluginFolders() const {
    if (!m_installed)
        return {m_programFolder};
    QStringList folders{m_prefix + QStringLiteral("/" LEDRA_INSTALL_PLUGINDIR)};
    // The same program may be installed with a plain or a multiarch library folder (a
    // package built for /usr, a hand-made install under /opt); look in both.
    const QString arch = QStringLiteral(LEDRA_LIBRARY_ARCHITECTURE);
    if (!arch.isEmpty())
        folders << m_prefix + QStringLiteral("/lib/") + arch + QStringLiteral("/ledra");
    folders << m_prefix + QStringLiteral("/lib/ledra");
    folders.removeDuplicates();
    return folders;
}

QString InstallLayout::pluginFile(const QString &name) const {
    const QStringList folders = pluginFolders();
    for (const QString &f : folders) {
        const QString path = f + QLatin1Char('/') + name;
        if (QFileInfo(path).isFile())
            return path;
    }
    return folders.first() + QLatin1Char('/') + name;
}

QString InstallLayout::helpFolder() const {
    return dataFile(QStringLiteral("ledra-hilfe"));
}

QString InstallLayout::templateDataFolder() const {
    return dataFile(QStringLiteral("DATEN"));
}

QString InstallLayout::defaultBaseDataFolder() const {
    if (!m_installed)
        return m_programFolder + QStringLiteral("/DATEN");
    return userDataHome() + QStringLiteral("/ledra/DATEN");
}

QString InstallLayout::programSettingsTemplate() const {
    return dataFile(QStringLiteral("LEDRA.INI"));
}

QString InstallLayout::scratchFolder() const {
    if (!m_installed)
        return m_programFolder;
    return userCacheHome() + QStringLiteral("/ledra");
}

QString InstallLayout::userDataHome() {
    return xdgHome("XDG_DATA_HOME", QStringLiteral(".local/share"));
}

QString InstallLayout::userCacheHome() {
    return xdgHome("XDG_CACHE_HOME", QStringLiteral(".cache"));
}

QString programVersion() {
    return QStringLiteral(LEDRA_VERSION);
}

} // namespace ledra
