#pragma once
// Where the program's own files are, and where a user's files go. There are two layouts:
//
// - the build folder: everything the build makes lies beside the binary (plug-ins, help,
//   templates, the ready data folder DATEN), and development runs the program from there;
// - an installation under a prefix: programs in bin/, plug-ins in lib/ledra (or the
//   multiarch library folder), everything else in share/ledra. It is recognised by the
//   binary lying in a folder named bin beside share/ledra.
//
// Every file the program reads from its own installation is found through this class, so
// that a new shipped file needs only a name here and an install rule. An installed program
// never writes under its prefix: the prefix may be read-only, shared by several users and
// replaced by the next package update. Its data, settings and scratch files go to the
// user's XDG folders instead.

#include <QString>
#include <QStringList>
namespace ledra {

class InstallLayout {
public:
    explicit InstallLayout(const QString &programFolder);

    bool installed() const { return m_installed; }
    const QString &programFolder() const { return m_programFolder; }
    // The installation prefix (the parent of bin/); empty in the build folder.
    const QString &prefix() const { return m_prefix; }

    // A file or folder the build puts beside the program (templates, help, the data folder
    // template): <prefix>/share/ledra/<name> when installed. The path is returned whether or
    // not it exists; callers report a missing file in their own words.
    QString dataFile(const QString &name) const;
    // A plug-in library: the first of the plug-in folders that holds it; when none does,
    // the path in the first of them.
    QString pluginFile(const QString &name) const;
    QStringList pluginFolders() const;

    QString helpFolder() const;
    // The shipped base data folder that new data folders are made from.
    QString templateDataFolder() const;
    // The base data folder when the program settings name none: DATEN beside the binary in
    // the build folder, <XDG data home>/ledra/DATEN when installed.
    QString defaultBaseDataFolder() const;
    // Where the program settings file comes from: LEDRA.INI beside the binary in the build
    // folder (the file that is used when no per-user copy can be made), the shipped default
    // in share/ledra when installed (only ever copied, never written).
    QString programSettingsTemplate() const;
    // For files that only live for a run or serve diagnosis (temporary tables, logs): the
    // program folder in the build folder, <XDG cache home>/ledra when installed. The folder
    // is not created here.
    QString scratchFolder() const;

    // $XDG_DATA_HOME, else ~/.local/share; $XDG_CACHE_HOME, else ~/.cache. A relative value
    // is ignored, as the XDG rules say.
    static QString userDataHome();
    static QString userCacheHome();

private:
    QString m_programFolder;
    QString m_prefix;
    bool m_installed = false;
};

// The program's version, as "Info" and --version show it.
QString programVersion();

} // namespace ledra
