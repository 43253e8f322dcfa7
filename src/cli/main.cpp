// ledra-cli: the bookkeeping without a window. Each run is a short session of the program:
// the start-up opens the data as the window would, the command runs through the same
// handlers, then the close steps save the year settings.

#include "CliCommands.h"
#include "HelpCommands.h"

#include "app/Shell.h"
#include "diagnostics/DebugLog.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <cstdio>

using namespace ledra;

// Only the program's own messages belong on stderr; Qt's notes about the platform do not.
static void quietQt(QtMsgType type, const QMessageLogContext &, const QString &msg) {
    if (type == QtFatalMsg || type == QtCriticalMsg)
        std::fprintf(stderr, "%s\n", msg.toUtf8().constData());
}

int main(int argc, char **argv) {
    qInstallMessageHandler(quietQt);
    // Reports need fonts and a paint device, never a screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QStringList args = app.arguments();
    args.removeFirst();
    // The same diagnostic log as the window program, switched on the same way.
    const QString folder = QCoreApplication::applicationDirPath();
    DebugLog::program().start(
        programModuleFacts(QCoreApplication::applicationFilePath(), args, false));
    args.removeIf([](const QString &a) { return DebugLog::isDebugSwitch(a); });
    if (isHelpCommand(args))
        return runHelpCommand(args, folder);
    return runCli(args, folder);
}
