// The main window on a copy of the shipped data: start-up, page switching, the commands that
// follow the plug-in and the taxation basis, the Enter key, and the window state it keeps.

#include "GuiFixture.h"

#include "app/qt/BuchenPage.h"
#include "app/qt/EinstellungPage.h"
#include "app/qt/KontenPage.h"
#include "app/qt/PageControl.h"
#include "books/IniFile.h"
#include "ui/qt/QtUi.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTabBar>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>
namespace ledra {

namespace {
const QString kRefused = QStringLiteral("Bitte erst die Dateneingabe beenden.");

void clickTab(MainWindow &w, int index) {
    QTabBar *bar = w.pageControl()->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
}
} // namespace

TEST_F(WindowTest, StartsOnTheShippedDataWithoutAnyMessage) {
    data.addAccount(8400, QStringLiteral("Erlöse 19 % USt"), 3, 19.0);
    data.addAccount(1200, QStringLiteral("Bank"), 4, 0.0);
    MainWindow &w = start();
    EXPECT_TRUE(ui.messages.empty()) << messageTexts().join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(ui.questions.empty());

    Shell &core = w.core();
    EXPECT_EQ(w.statusPanel(0)->text(), QStringLiteral("0 Buchungen"));
    EXPECT_EQ(w.statusPanel(1)->text(),
              QStringLiteral("%1 Konten").arg(core.books().kontenGrid.recordCount()));
    EXPECT_EQ(w.statusPanel(2)->text(), QStringLiteral("DATEN"));
    EXPECT_FALSE(w.progressBar()->isVisible());

    // The grids show the tables the rules opened.
    const TableModel *accounts = w.kontenPage()->gridModel();
    ASSERT_EQ(core.books().kontenGrid.recordCount(), 2);
    EXPECT_EQ(w.statusPanel(1)->text(), QStringLiteral("2 Konten"));
    ASSERT_EQ(accounts->rowCount(), 2);
    const QStringList bank{"1200", "Bank", "Bank", "0", "0,00", "0,00", "0,00", "", ""};
    for (int c = 0; c < bank.size(); ++c)
        EXPECT_EQ(accounts->data(accounts->index(0, c)).toString(), bank[c]) << c;
    EXPECT_EQ(accounts->data(accounts->index(1, 0)).toString(), QStringLiteral("8400"));
    EXPECT_EQ(w.buchenPage()->gridModel()->rowCount(), 0);

    // The settings page shows the year settings of the data folder.
    EXPECT_EQ(w.einstellungPage()->Vorsteuer()->text(), core.books().settings.vorsteuer);
    EXPECT_EQ(w.einstellungPage()->MwstSatz()->text(), QStringLiteral("19,0 %"));
    EXPECT_EQ(w.einstellungPage()->EBuchBis()->text(), core.books().settings.buchBis);
    EXPECT_EQ(w.einstellungPage()->DelJahr()->isEnabled(), core.controls.delJahrEnabled);
    EXPECT_TRUE(w.einstellungPage()->DelJahr()->isEnabled()) << "the base data folder is open";
    EXPECT_FALSE(w.einstellungPage()->KSaldouebertr()->isEnabled());
}

TEST_F(WindowTest, DataOptionOpensAnotherFolderWithoutTouchingTheSettings) {
    const QString other = data.tmp.path() + QStringLiteral("/Andere Daten");
    DataFixture::copyShipped(other);
    data.addAccount(1200, QStringLiteral("Bank"), 4, 0.0, other);

    window = std::make_unique<MainWindow>(data.program, ui);
    QStringList args{QStringLiteral("--data"), other, QStringLiteral("--merva"),
                     data.tmp.path() + QStringLiteral("/KEIN-MERVA")};
    ASSERT_TRUE(window->core().useFolderOptions(FolderOptions::take(args)));
    EXPECT_TRUE(args.isEmpty());
    ASSERT_TRUE(window->create());
    EXPECT_EQ(window->core().books().baseDataFolder(), other);
    EXPECT_EQ(window->statusPanel(1)->text(), QStringLiteral("1 Konten"));
    EXPECT_FALSE(window->core().merva.installed);
    ASSERT_TRUE(window->close());
    EXPECT_EQ(IniFile(programIniInUse())
                  .readString(QStringLiteral("Pfad"), QStringLiteral("1"), QString()),
              QString())
        << "the program settings do not learn the folder";
    restart(false);
    EXPECT_EQ(window->core().books().baseDataFolder(), data.base) << "the next start is as before";
    window.reset();

    // A file or an empty name is no data folder: nothing is opened.
    const QString file = data.tmp.path() + QStringLiteral("/Konten.txt");
    data.writeFile(file, "1200");
    for (const QString &bad : {file, QString()}) {
        ui.clear();
        window = std::make_unique<MainWindow>(data.program, ui);
        args = {QStringLiteral("--data"), bad};
        EXPECT_FALSE(window->core().useFolderOptions(FolderOptions::take(args)));
        ASSERT_EQ(ui.messages.size(), 1u) << bad.toStdString();
        EXPECT_EQ(ui.messages[0].kind, MsgKind::Error);
    }
    EXPECT_TRUE(ui.saw(QStringLiteral("--data braucht einen Datenordner.")));
}

TEST(MessageBoxes, DeletingQuestionIsAWarningWhoseEnterSaysNein) {
    QtUi ui;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString defaultText;
    // The box is modal: look at it from the event loop it runs, then press Enter.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        poll.stop();
        icon = box->icon();
        if (box->defaultButton())
            defaultText = box->defaultButton()->text();
        QTest::keyClick(box, Qt::Key_Return);
    });
    poll.start(10);
    const int answer = ui.warnConfirm(
        QStringLiteral("Die angezeigten Buchungssätze jetzt löschen?"), Btn::YesNo, 0, Btn::No);
    EXPECT_EQ(icon, QMessageBox::Warning);
    EXPECT_EQ(defaultText, QStringLiteral("&Nein"));
    EXPECT_EQ(answer, Btn::No);
}

TEST_F(WindowTest, PageStaysWhileABatchRowIsBeingEntered) {
    MainWindow &w = start();
    Shell &core = w.core();
    core.books().stapel.insert();

    clickTab(w, 1);
    EXPECT_EQ(w.pageControl()->currentIndex(), 0);
    EXPECT_EQ(core.books().page, Shell::Page::Buchen);
    EXPECT_TRUE(ui.saw(kRefused));

    QTest::keyClick(w.buchenPage()->BDatum(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(w.pageControl()->currentIndex(), 0) << "Ctrl+Tab asks the same question";
    EXPECT_EQ(ui.messages.size(), 2u);

    core.books().stapel.cancel();
    clickTab(w, 1);
    EXPECT_EQ(w.pageControl()->currentIndex(), 1);
    EXPECT_EQ(core.books().page, Shell::Page::Konten);
    EXPECT_EQ(ui.messages.size(), 2u);
}

TEST_F(WindowTest, OpenItemCommandsFollowThePlugIn) {
    MainWindow &w = start();
    auto shown = [](QWidget *widget) { return !widget->isHidden(); };
    EXPECT_FALSE(shown(w.BOP()));
    EXPECT_FALSE(w.entryMenu().OffenePosten->isVisible());
    EXPECT_FALSE(shown(w.einstellungPage()->gbSkonto()));

    FakeOpenItems module;
    w.core().setOpenItemsForTest(&module);
    EXPECT_TRUE(shown(w.BOP()));
    EXPECT_TRUE(w.entryMenu().OffenePosten->isVisible());
    EXPECT_TRUE(shown(w.einstellungPage()->gbSkonto()));

    w.core().setOpenItemsForTest(nullptr);
    EXPECT_FALSE(shown(w.BOP()));
    EXPECT_FALSE(shown(w.einstellungPage()->gbSkonto()));
}

TEST_F(WindowTest, DueTaxColumnsOnlyUnderCashBasisTaxation) {
    auto dueColumnsHidden = [&](MainWindow &w) {
        QTableView *grid = w.buchenPage()->gridView();
        const TableModel *m = w.buchenPage()->gridModel();
        EXPECT_FALSE(grid->isColumnHidden(m->columnOf(QStringLiteral("Steuersatz"))));
        const bool a = grid->isColumnHidden(m->columnOf(QStringLiteral("Stfaellig")));
        const bool b = grid->isColumnHidden(m->columnOf(QStringLiteral("Satzfaellig")));
        EXPECT_EQ(a, b);
        return a;
    };
    MainWindow &w = start(false);
    EXPECT_FALSE(w.core().books().settings.istSteuer);
    EXPECT_TRUE(dueColumnsHidden(w));

    writeYearIni("[Ust]\r\nVoll=190\r\nIst=1\r\n");
    restart(false);
    EXPECT_TRUE(window->einstellungPage()->cbIstSteuer()->isChecked());
    EXPECT_FALSE(dueColumnsHidden(*window));

    window->core().controls.cashBasisColumns = false;
    window->core().notifyControls();
    EXPECT_TRUE(dueColumnsHidden(*window));
}

TEST_F(WindowTest, SavedPositionOffTheScreenIsPulledBack) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    struct Case {
        int left, top;
        QPoint expected;
    };
    const Case cases[] = {{screen.width() + 500,
                           screen.height() + 300,
                           {screen.width() - 400, screen.height() - 300}},
                          {-60, -25, {0, 0}},
                          {20, 10, {20, 10}}};
    for (const Case &c : cases) {
        QFile::remove(userProgramIni());
        writeProgramIni(
            QStringLiteral("[FBuchhaltung]\r\nLeft=%1\r\nTop=%2\r\nWidth=400\r\nHeight=300\r\n")
                .arg(c.left)
                .arg(c.top)
                .toUtf8());
        restart(false);
        EXPECT_EQ(window->geometry().topLeft(), c.expected) << c.left << "," << c.top;
        EXPECT_EQ(window->geometry().size(), QSize(400, 300));
    }
}

TEST_F(WindowTest, ClosingKeepsGeometryAndColumnWidthsForTheNextStart) {
    MainWindow &w = start(false);
    QTableView *batch = w.buchenPage()->gridView();
    QTableView *accounts = w.kontenPage()->gridView();
    const int text = w.buchenPage()->gridModel()->columnOf(QStringLiteral("Buchungstext"));
    const int name = w.kontenPage()->gridModel()->columnOf(QStringLiteral("Name"));
    batch->setColumnWidth(text, 333);
    accounts->setColumnWidth(name, 277);
    w.setGeometry(30, 40, 640, 480);
    ASSERT_TRUE(w.close());

    {
        IniFile ini(programIniInUse());
        EXPECT_EQ(ini.readInteger(QStringLiteral("DBGrid2"), QStringLiteral("Buchungstext"), 0),
                  333);
        EXPECT_EQ(ini.readInteger(QStringLiteral("DBGrid1"), QStringLiteral("Name"), 0), 277);
        EXPECT_EQ(ini.readInteger(QStringLiteral("FBuchhaltung"), QStringLiteral("Width"), 0), 640);
    }
    restart(false);
    EXPECT_EQ(window->buchenPage()->gridView()->columnWidth(text), 333);
    EXPECT_EQ(window->kontenPage()->gridView()->columnWidth(name), 277);
    EXPECT_EQ(window->geometry(), QRect(30, 40, 640, 480));
}

TEST_F(WindowTest, EnterMovesThroughTheEntryPanelOnlyOnPageBuchen) {
    MainWindow &w = start();
    BuchenPage *page = w.buchenPage();
    QSignalSpy returned(page->BDatum(), &QLineEdit::returnPressed);
    page->BDatum()->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), page->BDatum());

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), page->BelNr());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_TRUE(page->Soll()->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), page->BelNr());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), page->BDatum());
    EXPECT_EQ(returned.count(), 0) << "the Enter key itself is swallowed";

    clickTab(w, 2);
    ASSERT_EQ(w.pageControl()->currentIndex(), 2);
    QLineEdit *belegnr = w.einstellungPage()->Belegnr();
    belegnr->setFocus();
    QSignalSpy settingsReturn(belegnr, &QLineEdit::returnPressed);
    QTest::keyClick(belegnr, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), belegnr);
    EXPECT_EQ(settingsReturn.count(), 1);
}

TEST_F(WindowTest, EntryPanelShowsTheCurrentBatchRow) {
    MainWindow &w = start(false);
    Table &batch = w.core().books().stapel;
    batch.appendRecord({7, QDate(2024, 5, 6), QStringLiteral("Miete Mai"), 4210, 1200,
                        QVariant::fromValue(Money::fromCents(100000)),
                        QVariant::fromValue(Money::fromCents(100000)),
                        QVariant::fromValue(Money::fromCents(0)), 0.0, 42, QVariant(), true});
    batch.first();
    BuchenPage *page = w.buchenPage();
    EXPECT_EQ(page->BDatum()->text(), QStringLiteral("06.05.2024"));
    EXPECT_EQ(page->BelNr()->text(), QStringLiteral("42"));
    EXPECT_EQ(page->Soll()->currentText(), QStringLiteral("4210"));
    EXPECT_EQ(page->Haben()->currentText(), QStringLiteral("1200"));
    EXPECT_EQ(page->BuchText()->currentText(), QStringLiteral("Miete Mai"));
    EXPECT_EQ(page->Betrag()->text(), QStringLiteral("1000,00"));
    EXPECT_EQ(page->Mwst()->text(), QStringLiteral("0"));
    EXPECT_EQ(page->gridModel()->rowCount(), 1);
    EXPECT_EQ(page->gridView()->currentIndex().row(), 0);
}

} // namespace ledra
