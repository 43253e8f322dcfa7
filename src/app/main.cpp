// The program entry: splash window, main window (whose creation opens the settings and the
// tables), the message loop.

#include "app/Shell.h"
#include "app/qt/MainWindow.h"
#include "app/qt/Splash.h"

#include <QApplication>

using namespace ledra;

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Buchhaltung"));
    // Ties the windows to the launcher and its icon (the Wayland app id).
    QGuiApplication::setDesktopFileName(QStringLiteral("de.ledra.ledra"));
    auto *splash = new TWillkommen();
    splash->show();
    app.processEvents();
    MainWindow w(QCoreApplication::applicationDirPath());
    // --data ORDNER opens another data folder without touching the program settings;
    // --merva ORDNER takes the invoicing program (or its stand-in) from another folder.
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
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
