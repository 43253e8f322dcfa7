// Widgets need a QApplication; the offscreen platform needs no display. The widgets speak
// German as in the program, so that tests see the texts a person sees.
#include "app/qt/GermanTranslations.h"

#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The help window keeps its search index in the user's cache; the tests' go with them.
    QTemporaryDir cache;
    qputenv("XDG_CACHE_HOME", cache.path().toUtf8());
    QApplication app(argc, argv);
    ledra::installGermanTranslations(app, QCoreApplication::applicationDirPath());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
