// The program entry: splash window, main window (whose creation opens the settings and the
// tables), the message loop.

#include "app/qt/GermanTranslations.h"
#include "app/qt/MainWindow.h"
#include "app/qt/Splash.h"

#include <QApplication>

using namespace ledra;

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Buchhaltung"));
    installGermanTranslations(app, QCoreApplication::applicationDirPath());
    // Ties the windows to the launcher and its icon (the Wayland app id).
    QGuiApplication::setDesktopFileName(QStringLiteral("de.ledra.ledra"));
    auto *splash = new TWillkommen();
    splash->show();
    app.processEvents();
    MainWindow w(QCoreApplication::applicationDirPath());
    // --merva ORDNER: the invoicing program (or its stand-in) from another folder.
    const QStringList args = QCoreApplication::arguments();
    const auto merva = args.indexOf(QStringLiteral("--merva"));
    if (merva > 0 && merva + 1 < args.size())
        w.core().mervaFolderOverride = args.at(merva + 1);
    if (!w.create()) {
        delete splash;
        return 1;
    }
    w.show();
    delete splash;
    return app.exec();
}
