#include "GuiFixture.h"

#include "app/Settings.h"

#include <QDir>
#include <QTest>

void WindowTest::SetUp() {
    QDir().mkpath(data.program + QStringLiteral("/ledra-hilfe"));
    data.writeFile(data.program + QStringLiteral("/ledra-hilfe/index.html"), "<html></html>");
}

MainWindow &WindowTest::start(bool show) {
    window = std::make_unique<MainWindow>(data.program, ui);
    EXPECT_TRUE(window->create());
    if (show) {
        window->show();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    return *window;
}

void WindowTest::restart(bool show) {
    window.reset();
    start(show);
}

void WindowTest::writeProgramIni(const QByteArray &content) {
    data.writeFile(data.program + QStringLiteral("/LEDRA.INI"), content);
}

void WindowTest::writeYearIni(const QByteArray &content) {
    data.writeFile(data.base + QStringLiteral("/LEDRA.INI"), content);
}

QString WindowTest::userProgramIni() const {
    return qEnvironmentVariable("APPDATA") + QStringLiteral("/QUINDEL/LEDRA.INI");
}

QStringList WindowTest::messageTexts() const {
    QStringList texts;
    for (const auto &m : ui.messages)
        texts << m.text;
    return texts;
}

QString WindowTest::programIniInUse() const {
    return programSettingsLocation(data.program + QStringLiteral("/LEDRA.INI"));
}
