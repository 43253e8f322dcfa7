// What a person meets first: the menu bar that reaches every command of the pages, a chart
// that can be loaded when it is empty (with or without the open-items module), the window that
// takes Insert right after the start, gross/net switched from the amount field, and the
// account search by names of several words.

#include "GuiFixture.h"

#include "app/qt/BuchenPage.h"
#include "app/qt/EinstellungPage.h"
#include "app/qt/KontenPage.h"
#include "app/qt/MainMenuBar.h"
#include "app/qt/PageControl.h"
#include "app/qt/Panel.h"
#include "posting/BuchungRules.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <memory>
namespace ledra {

namespace {
QChar mnemonicOf(const QString &text) {
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text.at(i) != QLatin1Char('&'))
            continue;
        if (text.at(i + 1) != QLatin1Char('&'))
            return text.at(i + 1).toUpper();
        ++i;
    }
    return {};
}

QAction *menuAction(MainWindow &w, const QString &name) {
    const QList<QAction *> all = w.mainMenu()->commands();
    for (QAction *a : all)
        if (a->objectName() == name)
            return a;
    return nullptr;
}
} // namespace

TEST_F(WindowTest, MenuBarReachesEveryCommandOfThePagesWithItsKey) {
    MainWindow &w = start();
    QStringList titles;
    const QList<QAction *> menus = w.menuBar()->actions();
    for (QAction *m : menus)
        titles << QString(m->text()).remove(QLatin1Char('&'));
    EXPECT_EQ(titles, QStringList({"Datei", "Bearbeiten", "Buchen", "Auswertungen", "Konten",
                                   "Extras", "Hilfe"}));

    const QList<QAction *> commands = w.mainMenu()->commands();
    // The pop-up menus' items are in the menu bar themselves, so their state and keys are one.
    const auto &p1 = w.entryMenu();
    const auto &p2 = w.accountsMenu();
    for (QAction *a :
         {p1.Neu, p1.Speichern, p1.Splitting, p1.OffenePosten, p1.Storno, p1.Favorithinzufuegen,
          p1.Favoritloeschen, p1.Beenden, p2.Salden, p2.Kontenblatt, p2.Journal, p2.MUstVM,
          p2.MSalden, p2.MSalden2, p2.GuV, p2.BWA, p2.Bilanz})
        EXPECT_TRUE(commands.contains(a)) << a->objectName().toStdString();
    EXPECT_EQ(p1.Neu->shortcut(), QKeySequence(Qt::Key_Insert));
    EXPECT_EQ(p1.Splitting->shortcut(), QKeySequence(Qt::Key_F4));
    EXPECT_EQ(p1.OffenePosten->shortcut(), QKeySequence(Qt::Key_F8));

    // Every button of the pages is reached: by an item that clicks it, or by the pop-up item
    // that runs the same command.
    const QMap<QString, QAction *> sameCommand{
        {QStringLiteral("BSpeichern"), p1.Speichern}, {QStringLiteral("BOP"), p1.OffenePosten},
        {QStringLiteral("SBEnde"), p1.Beenden},       {QStringLiteral("SaldenNeu"), p2.Salden},
        {QStringLiteral("KBlatt"), p2.Kontenblatt},   {QStringLiteral("SBJournal"), p2.Journal}};
    QList<QAbstractButton *> buttons = w.einstellungPage()->findChildren<QAbstractButton *>();
    const QList<QPushButton *> kontenButtons = w.kontenPage()->findChildren<QPushButton *>();
    for (QPushButton *b : kontenButtons)
        buttons << b;
    for (QToolButton *b : {w.BSpeichern(), w.SBDruck(), w.BOP(), w.SBEnde()})
        buttons << b;
    buttons << w.buchenPage()->Abbruch();
    for (QAbstractButton *b : buttons) {
        // Check boxes and colour panels are settings, not commands.
        if (b->isCheckable() || b->objectName().isEmpty())
            continue;
        const QString name = b->objectName();
        QAction *a = sameCommand.value(name, menuAction(w, QStringLiteral("M") + name));
        ASSERT_NE(a, nullptr) << "no menu item for the button " << name.toStdString();
        EXPECT_TRUE(commands.contains(a)) << name.toStdString();
    }

    // Alt with a letter must still reach the fields of the page "Buchen": no menu title
    // shares a letter with a caption there.
    QSet<QChar> pageLetters;
    const QList<QLabel *> labels = w.buchenPage()->findChildren<QLabel *>();
    for (QLabel *l : labels)
        if (l->buddy())
            pageLetters.insert(mnemonicOf(l->text()));
    for (QRadioButton *r : {w.buchenPage()->Brutto(), w.buchenPage()->Netto()})
        pageLetters.insert(mnemonicOf(r->text()));
    for (QAction *m : menus) {
        const QChar letter = mnemonicOf(m->text());
        EXPECT_FALSE(letter.isNull()) << m->text().toStdString();
        EXPECT_FALSE(pageLetters.contains(letter)) << m->text().toStdString();
    }
}

TEST_F(WindowTest, StandardChartButtonsShowOnAnEmptyChartWithoutThePlugIn) {
    MainWindow &w = start();
    ASSERT_EQ(w.core().openItems(), nullptr);
    ASSERT_TRUE(w.pageControl()->requestPage(2));
    EinstellungPage *page = w.einstellungPage();
    EXPECT_FALSE(page->gbSkonto()->isVisible()) << "the discount accounts need the plug-in";
    EXPECT_TRUE(page->BSKR03()->isVisible());
    EXPECT_TRUE(page->BSKR04()->isVisible());
    QAction *skr04 = menuAction(w, QStringLiteral("MBSKR04"));
    ASSERT_NE(skr04, nullptr);
    EXPECT_TRUE(skr04->isEnabled());

    // From the menu on another page, as from the button.
    ASSERT_TRUE(w.pageControl()->requestPage(0));
    skr04->trigger();
    EXPECT_TRUE(ui.messages.empty()) << messageTexts().join(QLatin1Char('|')).toStdString();
    EXPECT_GT(w.core().books().kontenGrid.recordCount(), 100);
    EXPECT_EQ(w.kontenPage()->gridModel()->rowCount(), w.core().books().kontenGrid.recordCount());
    EXPECT_FALSE(skr04->isEnabled()) << "a chart is only loaded into an empty one";
    ASSERT_TRUE(w.pageControl()->requestPage(2));
    EXPECT_FALSE(page->BSKR03()->isVisible());
}

TEST_F(WindowTest, FirstStartOnAnEmptyChartOffersBothStandardCharts) {
    ui.choiceAnswers = {0};
    MainWindow &w = start();
    QTest::qWait(1);
    ASSERT_EQ(ui.choicesAsked.size(), 1u);
    EXPECT_TRUE(ui.choicesAsked[0].text.startsWith(QStringLiteral("Der Kontenplan ist leer.")));
    EXPECT_EQ(ui.choicesAsked[0].choices, QStringList({"SKR 03", "SKR 04", "Später"}));
    EXPECT_GT(w.core().books().kontenGrid.recordCount(), 100);
    EXPECT_EQ(w.kontenPage()->gridModel()->rowCount(), w.core().books().kontenGrid.recordCount());
    EXPECT_EQ(w.einstellungPage()->Vorsteuer()->text(), QStringLiteral("1570")) << "SKR 03";

    // A chart with accounts is not asked about again.
    restart();
    QTest::qWait(1);
    EXPECT_EQ(ui.choicesAsked.size(), 1u);
}

TEST_F(WindowTest, DecliningTheStandardChartLeavesTheChartEmpty) {
    ui.choiceAnswers = {2};
    MainWindow &w = start();
    QTest::qWait(1);
    ASSERT_EQ(ui.choicesAsked.size(), 1u);
    EXPECT_EQ(w.core().books().kontenGrid.recordCount(), 0);
    EXPECT_TRUE(ui.messages.empty()) << messageTexts().join(QLatin1Char('|')).toStdString();
}

namespace {
class Desktop : public BooksWindow {
protected:
    void SetUp() override {
        BooksWindow::SetUp();
        data.addAccount(3300, QStringLiteral("Wareneingang 7 % Vorsteuer"), 0, 7.0);
        data.addAccount(3400, QStringLiteral("Wareneingang 19 % Vorsteuer"), 0, 19.0);
    }
    BuchenPage *page() { return window->buchenPage(); }
    Table &batch() { return window->core().books().stapel; }
};
} // namespace

TEST_F(Desktop, InsertRightAfterTheStartBeginsABooking) {
    start();
    QWidget *f = focused();
    ASSERT_NE(f, nullptr) << "the window opens with a control focused";
    QTest::keyClick(f, Qt::Key_Insert);
    EXPECT_EQ(batch().state(), DsState::Insert);
    EXPECT_EQ(focused(), page()->BDatum());
}

TEST_F(Desktop, NewFromTheMenuBarOnAnotherPageEntersTheRowOnPageBuchen) {
    start();
    ASSERT_TRUE(window->pageControl()->requestPage(1));
    window->entryMenu().Neu->trigger();
    EXPECT_EQ(window->pageControl()->currentIndex(), 0);
    EXPECT_EQ(batch().state(), DsState::Insert);
    QAction *cancel = menuAction(*window, QStringLiteral("MAbbruch"));
    ASSERT_NE(cancel, nullptr);
    EXPECT_TRUE(cancel->isEnabled());
    cancel->trigger();
    EXPECT_EQ(batch().state(), DsState::Browse);
    EXPECT_EQ(batch().recordCount(), 0);

    QAction *find = menuAction(*window, QStringLiteral("MKontoSuchen"));
    ASSERT_NE(find, nullptr);
    find->trigger();
    EXPECT_EQ(window->pageControl()->currentIndex(), 1);
    EXPECT_EQ(focused(), window->kontenPage()->Edit1());
}

TEST_F(Desktop, AltRAndAltNSwitchGrossAndNetWithoutLeavingTheAmount) {
    start();
    QTest::keyClick(focused(), Qt::Key_Insert);
    ASSERT_EQ(batch().state(), DsState::Insert);
    retype(page()->BDatum(), QStringLiteral("02.01.") + year());
    page()->Soll()->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(page()->Soll(), QStringLiteral("4930"));
    QTest::keyClick(focused(), Qt::Key_Tab);
    QTest::keyClicks(page()->Haben(), QStringLiteral("1200"));
    QTest::keyClick(focused(), Qt::Key_Tab);
    QTest::keyClick(focused(), Qt::Key_Tab);
    ASSERT_EQ(focused(), page()->Betrag());

    QTest::keyClicks(page()->Betrag(), QStringLiteral("100"));
    QTest::keyClick(page()->Betrag(), Qt::Key_N, Qt::AltModifier);
    EXPECT_EQ(focused(), page()->Betrag());
    EXPECT_EQ(batch().state(), DsState::Insert) << "the row is not stored by the switch";
    EXPECT_FALSE(window->core().entry().grossMode);
    EXPECT_TRUE(page()->Netto()->isChecked());
    QTest::keyClick(page()->Betrag(), Qt::Key_R, Qt::AltModifier);
    EXPECT_TRUE(window->core().entry().grossMode);
    QTest::keyClick(page()->Betrag(), Qt::Key_N, Qt::AltModifier);
    QTest::keyClick(page()->Betrag(), Qt::Key_Tab);

    EXPECT_TRUE(ui.messages.empty()) << messageTexts().join(QLatin1Char('|')).toStdString();
    ASSERT_EQ(batch().state(), DsState::Browse);
    batch().first();
    EXPECT_EQ(batch().asMoney(QStringLiteral("Netto")), Money::fromWhole(100));
    EXPECT_EQ(batch().asMoney(QStringLiteral("Brutto")), Money::fromWhole(119));
}

TEST_F(Desktop, AccountSearchTakesNamesOfSeveralWords) {
    start();
    QTest::keyClick(focused(), Qt::Key_Insert);
    page()->Soll()->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(page()->Soll(), QStringLiteral("wareneingang 7"));
    EXPECT_EQ(page()->SollSaldo()->text(), QStringLiteral("wareneingang 7"));
    QTest::keyClick(page()->Soll(), Qt::Key_Tab);
    EXPECT_TRUE(ui.messages.empty()) << messageTexts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(page()->Soll()->currentText(), QStringLiteral("3300"));

    // A blank does not start a search: the field stays as it was.
    page()->Haben()->setFocus(Qt::TabFocusReason);
    QTest::keyClick(page()->Haben(), Qt::Key_Space);
    EXPECT_EQ(window->core().entry().searchText(QStringLiteral("Haben")), QString());
    QTest::keyClicks(page()->Haben(), QStringLiteral("wareneingang 19"));
    QTest::keyClick(page()->Haben(), Qt::Key_Tab);
    EXPECT_EQ(page()->Haben()->currentText(), QStringLiteral("3400"));
}

} // namespace ledra

namespace ledra {

TEST_F(Desktop, ACashBoxTakenBelowZeroIsStoredWithAWarning) {
    start();
    const QString y = year();
    ASSERT_NO_FATAL_FAILURE(bookByKeys(QStringLiteral("02.01.") + y, QStringLiteral("1"),
                                       QStringLiteral("1000"), QStringLiteral("8400"),
                                       QStringLiteral("Barverkauf"), QStringLiteral("100")));
    EXPECT_TRUE(ui.messages.empty()) << messageTexts().join(QLatin1Char('|')).toStdString();
    ASSERT_NO_FATAL_FAILURE(bookByKeys(QStringLiteral("03.01.") + y, QStringLiteral("2"),
                                       QStringLiteral("4930"), QStringLiteral("1000"),
                                       QStringLiteral("Drucker"), QStringLiteral("178,50")));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].kind, MsgKind::Warning);
    EXPECT_TRUE(ui.messages[0].text.startsWith(QStringLiteral(
        "Der Kassenbestand ist negativ: Konto 1000 Kasse steht jetzt auf -78,50 €.")))
        << ui.messages[0].text.toStdString();
    EXPECT_EQ(batch().state(), DsState::Browse) << "a warning, not a refusal";
    EXPECT_EQ(batch().recordCount(), 2);
    EXPECT_EQ(saldo(1000), Money::fromCents(-7850));

    // A receipt into the short cash box makes nothing worse; a bank may be overdrawn.
    ui.clear();
    ASSERT_NO_FATAL_FAILURE(bookByKeys(QStringLiteral("04.01.") + y, QStringLiteral("3"),
                                       QStringLiteral("1000"), QStringLiteral("8400"),
                                       QStringLiteral("Barverkauf"), QStringLiteral("10")));
    ASSERT_NO_FATAL_FAILURE(bookByKeys(QStringLiteral("05.01.") + y, QStringLiteral("4"),
                                       QStringLiteral("4930"), QStringLiteral("1200"),
                                       QStringLiteral("Toner"), QStringLiteral("500")));
    EXPECT_TRUE(ui.messages.empty()) << messageTexts().join(QLatin1Char('|')).toStdString();
}

TEST(GermanTexts, QtsOwnDialogsAndKeyNamesAreGerman) {
    EXPECT_EQ(QKeySequence(Qt::Key_Insert).toString(QKeySequence::NativeText),
              QStringLiteral("Einfg"));
    EXPECT_EQ(QKeySequence(Qt::CTRL | Qt::Key_F).toString(QKeySequence::NativeText),
              QStringLiteral("Strg+F"));
    QDialogButtonBox box(QDialogButtonBox::Save | QDialogButtonBox::Cancel);
    EXPECT_EQ(box.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Abbrechen"));
    EXPECT_EQ(box.button(QDialogButtonBox::Save)->text(), QStringLiteral("Speichern"));

    QLineEdit edit;
    std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
    QStringList texts;
    const QList<QAction *> actions = menu->actions();
    for (QAction *a : actions)
        texts << a->text().section(QLatin1Char('\t'), 0, 0);
    EXPECT_TRUE(texts.contains(QStringLiteral("&Kopieren"))) << texts.join('|').toStdString();
    EXPECT_TRUE(texts.contains(QStringLiteral("Alles auswählen"))) << texts.join('|').toStdString();

    QFileDialog files;
    files.setOption(QFileDialog::DontUseNativeDialog);
    QStringList labels;
    const QList<QLabel *> all = files.findChildren<QLabel *>();
    for (QLabel *l : all)
        labels << l->text();
    EXPECT_FALSE(labels.contains(QStringLiteral("File &name:"))) << labels.join('|').toStdString();
    EXPECT_TRUE(labels.contains(QStringLiteral("Datei&name:"))) << labels.join('|').toStdString();
}

} // namespace ledra

namespace ledra {

// Every head is readable and an amount fits its column, also where the program settings
// kept narrower widths from an older layout.
TEST_F(Desktop, GridColumnsShowTheirHeadsAndTheirContents) {
    writeProgramIni("[DBGrid2]\nSteuersatz=12\nBrutto=15\n[DBGrid1]\nName=10\n");
    MainWindow &w = start();
    for (QTableView *grid : {w.buchenPage()->gridView(), w.kontenPage()->gridView()}) {
        const auto *m = static_cast<const TableModel *>(grid->model());
        for (int c = 0; c < m->columnCount(); ++c) {
            if (grid->isColumnHidden(c))
                continue;
            EXPECT_GE(grid->columnWidth(c), grid->horizontalHeader()->sectionSizeHint(c))
                << grid->objectName().toStdString() << " " << m->column(c).title.toStdString();
        }
    }
    QTableView *batch = w.buchenPage()->gridView();
    const QFontMetrics fm(batch->font());
    EXPECT_GT(batch->columnWidth(w.buchenPage()->gridModel()->columnOf(QStringLiteral("Brutto"))),
              fm.horizontalAdvance(QStringLiteral("-999.999,99 €")));
    QTableView *accounts = w.kontenPage()->gridView();
    EXPECT_GT(accounts->columnWidth(w.kontenPage()->gridModel()->columnOf(QStringLiteral("Name"))),
              fm.horizontalAdvance(QStringLiteral("Wareneingang 19 % Vorsteuer")));
}

// The status bar's counts stay readable on a large year: a panel grows with its text.
TEST_F(Desktop, StatusPanelsShowAMillionBookingsInFull) {
    MainWindow &w = start();
    w.setStatusText(0, QStringLiteral("1000000 Buchungen"));
    w.setStatusText(1, QStringLiteral("12345 Konten"));
    for (int i : {0, 1}) {
        const QLabel *p = w.statusPanel(i);
        EXPECT_GE(p->contentsRect().width(), p->fontMetrics().horizontalAdvance(p->text()))
            << p->text().toStdString();
    }
}

// The settings page keeps the firm and its tax number in the year settings.
TEST_F(Desktop, FirmAndTaxNumberAreYearSettings) {
    MainWindow &w = start();
    ASSERT_TRUE(w.pageControl()->requestPage(2));
    retype(w.einstellungPage()->Firma(), QStringLiteral("Holzbau Meier"));
    retype(w.einstellungPage()->Steuernummer(), QStringLiteral("12/345/67890"));
    EXPECT_EQ(w.core().books().settings.firma, QStringLiteral("Holzbau Meier"));
    EXPECT_EQ(w.core().books().settings.steuernummer, QStringLiteral("12/345/67890"));
    window->close();
    window.reset();
    const QByteArray ini = data.readFile(data.base + QStringLiteral("/LEDRA.INI"));
    EXPECT_TRUE(ini.contains("[Firma]")) << ini.toStdString();
    EXPECT_TRUE(ini.contains("Steuernummer=12/345/67890")) << ini.toStdString();
    start();
    EXPECT_EQ(window->einstellungPage()->Firma()->text(), QStringLiteral("Holzbau Meier"));
}

} // namespace ledra
