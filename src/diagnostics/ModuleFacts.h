#pragma once
// What the diagnostic log's header tells about the running program and its help: gathered
// once at start, so that a support request can see where the program ran from, with which
// arguments, and whether the manual and the help module were there.

#include <QString>
#include <QStringList>
namespace ledra {

struct ModuleFacts {
    QString modulePath;    // the program file
    QString moduleDir;     // its folder, without a trailing separator
    QString moduleName;    // its file name
    QString runDir;        // the folder of the program file
    QString version;       // four numbers joined by "."
    QStringList arguments; // without the program itself
    // Where the log may be written: the program folder, but for an installed program the
    // user's cache folder, since an installed program never writes under its prefix (not
    // even the log folder's write test).
    QString logHome;
    // The manual: the compressed help file beside the program.
    bool hhInstalled = false;
    QString hhVerStr;
    QString hhFriendlyVerStr;
    // The component that shows it: Qt's help module.
    bool ieInstalled = false;
    QString ieVerStr;
    QString ieFriendlyVerStr;

    // `helpModuleLinked`: the program shows help with Qt's help module built in; a program
    // without it (the command line) looks for the module's library on the system.
    static ModuleFacts gather(const QString &programPath, const QStringList &arguments,
                              const QString &helpFile, bool helpModuleLinked);
    // "1.2.3" -> "1.2.3.0": the log writes versions as four numbers.
    static QString fourNumbers(const QString &version);
};

} // namespace ledra
