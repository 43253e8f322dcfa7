// The program entry: the diagnostic log, the splash window, main window (whose creation
// opens the settings and the tables), the message loop. With --help-context N only the
// help window opens, at that topic: support can show a user a page without the books.

#include "app/Shell.h"
#include "app/qt/GermanTranslations.h"
#include "app/qt/HelpWindow.h"
#include "app/qt/MainWindow.h"
#include "app/qt/Splash.h"
#include "diagnostics/DebugLog.h"
#include "diagnostics/HelpHook.h"
#include "diagnostics/HelpTopics.h"
#include "store/InstallLayout.h"
#include "ui/qt/QtUi.h"

#include <QApplication>
#include <cstdio>

using namespace ledra;

namespace {

int showHelpOnly(const QString &contextText, const QString &helpFolder) {
    bool ok = false;
    const int context = contextText.toInt(&ok);
    if (!ok || context <= 0) {
        std::fprintf(stderr, "Aufruf: ledra --help-context NUMMER\n");
        return 2;
    }
    QtUi ui;
    HelpWindow window(helpFolder);
    HelpHook hook(HelpTopics::helpFileIn(helpFolder), DebugLog::program(), ui, window);
    if (hook.showHelp(context) != HelpShown)
        return 1;
    return QApplication::exec();
}

} // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Buchhaltung"));
    installGermanTranslations(app, QCoreApplication::applicationDirPath());
    // Ties the windows to the launcher and its icon (the Wayland app id).
    QGuiApplication::setDesktopFileName(QStringLiteral("de.ledra.ledra"));
    const QString programFolder = QCoreApplication::applicationDirPath();
    const QString helpFolder = InstallLayout(programFolder).helpFolder();
    QStringList args = app.arguments();
    args.removeFirst();
    DebugLog::program().start(
        programModuleFacts(QCoreApplication::applicationFilePath(), args, true));
    const qsizetype helpAt = args.indexOf(QStringLiteral("--help-context"));
    if (helpAt >= 0)
        return showHelpOnly(args.value(helpAt + 1), helpFolder);

    auto *splash = new TWillkommen();
    splash->show();
    app.processEvents();
    MainWindow w(programFolder);
    // --data ORDNER opens another data folder without touching the program settings;
    // --merva ORDNER takes the invoicing program (or its stand-in) from another folder.
    if (!w.core().useFolderOptions(FolderOptions::take(args))) {
        delete splash;
        return 2;
    }
    if (!w.create()) {
        delete splash;
        return 1;
    }
    w.show();
    delete splash;
    return app.exec();
}
