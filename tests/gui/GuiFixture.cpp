#include "GuiFixture.h"

#include "app/qt/BuchenPage.h"
#include "books/Settings.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>
namespace ledra {

void WindowTest::SetUp() {
    QDir().mkpath(data.program + QStringLiteral("/ledra-hilfe"));
    data.writeFile(data.program + QStringLiteral("/ledra-hilfe/ledra.qch"), "");
}

void WindowTest::installManual() {
    const QString help = data.program + QStringLiteral("/ledra-hilfe");
    QDir(help).removeRecursively();
    QDir().mkpath(help);
    const QDir source(QStringLiteral(LEDRA_HELP_DIR));
    for (const QString &f : source.entryList(QDir::Files))
        ASSERT_TRUE(QFile::copy(source.filePath(f), help + QLatin1Char('/') + f));
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

void BooksWindow::SetUp() {
    WindowTest::SetUp();
    struct A {
        int nr;
        int art;
        const char *name;
        double mwst;
    };
    const A accounts[] = {{1000, 5, "Kasse", 0},
                          {1200, 4, "Bank", 0},
                          {1576, 9, "Vorsteuer 19 %", 0},
                          {1600, 8, "Lieferant Schulz", 0},
                          {1776, 9, "Umsatzsteuer 19 %", 0},
                          {4930, 0, "Bürobedarf", 19},
                          {8400, 3, "Erlöse 19 %", 19},
                          {8300, 3, "Erlöse 7 %", 7}};
    for (const A &a : accounts)
        data.addAccount(a.nr, QString::fromUtf8(a.name), a.art, a.mwst);
    writeYearIni(QStringLiteral("[Konten]\nVorsteuer=1576\nMwst=1776\n[BZR]\nVon=01.01.%1\n"
                                "Bis=31.12.%1\n[Zaehler]\nBeleg1=1\n")
                     .arg(year())
                     .toUtf8());
}

void BooksWindow::retype(QWidget *w, const QString &text) {
    w->setFocus(Qt::TabFocusReason);
    QTest::keyClick(w, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(w, text);
}

QWidget *BooksWindow::focused() {
    return QApplication::focusWidget();
}

void BooksWindow::bookByKeys(const QString &date, const QString &belNr, const QString &soll,
                             const QString &haben, const QString &text, const QString &amount) {
    BuchenPage *p = window->buchenPage();
    QTest::keyClick(focused(), Qt::Key_Insert);
    ASSERT_EQ(focused(), p->BDatum());
    QTest::keyClick(p->BDatum(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(p->BDatum(), date);
    QTest::keyClick(p->BDatum(), Qt::Key_Tab);
    ASSERT_EQ(focused(), p->BelNr());
    QTest::keyClick(p->BelNr(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(p->BelNr(), belNr);
    QTest::keyClick(p->BelNr(), Qt::Key_Tab);
    ASSERT_EQ(focused(), p->Soll());
    QTest::keyClicks(p->Soll(), soll);
    QTest::keyClick(p->Soll(), Qt::Key_Tab);
    ASSERT_EQ(focused(), p->Haben());
    QTest::keyClicks(p->Haben(), haben);
    QTest::keyClick(p->Haben(), Qt::Key_Tab);
    ASSERT_EQ(focused(), p->BuchText());
    QTest::keyClick(p->BuchText(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(p->BuchText(), text);
    QTest::keyClick(p->BuchText(), Qt::Key_Tab);
    ASSERT_EQ(focused(), p->Betrag());
    QTest::keyClicks(p->Betrag(), amount);
    QTest::keyClick(p->Betrag(), Qt::Key_Tab);
}

Money BooksWindow::saldo(int konto) {
    Table &k = window->core().books().konten;
    k.refresh();
    if (!k.findKey({konto}))
        return Money::fromUnits(-999999999);
    return k.asMoney(QStringLiteral("Saldo"));
}

void BooksWindow::startWithJournal() {
    start();
    window->buchenPage()->BDatum()->setFocus();
    const QString y = year();
    ASSERT_NO_FATAL_FAILURE(bookByKeys(QStringLiteral("02.01.") + y, QStringLiteral("9"),
                                       QStringLiteral("4930"), QStringLiteral("1200"),
                                       QStringLiteral("Toner"), QStringLiteral("119")));
    ASSERT_NO_FATAL_FAILURE(bookByKeys(QStringLiteral("03.01.") + y, QStringLiteral("3"),
                                       QStringLiteral("4930"), QStringLiteral("1000"),
                                       QStringLiteral("Porto"), QStringLiteral("11,90")));
    ASSERT_NO_FATAL_FAILURE(bookByKeys(QStringLiteral("04.01.") + y, QStringLiteral("5"),
                                       QStringLiteral("1200"), QStringLiteral("8400"),
                                       QStringLiteral("Verkauf"), QStringLiteral("238")));
    ui.answers = {Btn::Yes};
    window->BSpeichern()->click();
    ASSERT_EQ(window->core().books().journal.recordCount(), 3);
    ASSERT_EQ(window->core().books().stapel.recordCount(), 0);
    ui.clear();
}

} // namespace ledra
