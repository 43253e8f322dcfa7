// The program entry: the diagnostic log, the splash window, main window (whose creation
// opens the settings and the tables), the message loop. With --help-context N only the
// help window opens, at that topic: support can show a user a page without the books.

#include "app/qt/HelpWindow.h"
#include "app/qt/MainWindow.h"
#include "app/qt/Splash.h"
#include "diagnostics/DebugLog.h"
#include "diagnostics/HelpHook.h"
#include "diagnostics/HelpTopics.h"
#include "diagnostics/ModuleFacts.h"
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
    const QString programFolder = QCoreApplication::applicationDirPath();
    const QString helpFolder = HelpTopics::folderBeside(programFolder);
    QStringList args = app.arguments();
    args.removeFirst();
    DebugLog::program().start(ModuleFacts::gather(QCoreApplication::applicationFilePath(), args,
                                                  HelpTopics::helpFileIn(helpFolder), true));
    const qsizetype helpAt = args.indexOf(QStringLiteral("--help-context"));
    if (helpAt >= 0)
        return showHelpOnly(args.value(helpAt + 1), helpFolder);

    auto *splash = new TWillkommen();
    splash->show();
    app.processEvents();
    MainWindow w(programFolder);
    if (!w.create()) {
        delete splash;
        return 1;
    }
    w.show();
    delete splash;
    return app.exec();
}
