// The accounts grid edited through the chart's rules (change guard by column, type with its
// default rate, opening balances, BWA lines by their text), the wrong-side colour, the name
// search, and the settings page's buttons that change the chart and the section lists.

#include "GuiFixture.h"

#include "app/qt/BuchenPage.h"
#include "app/qt/DbNavigator.h"
#include "app/qt/EinstellungPage.h"
#include "app/qt/KontenDelegate.h"
#include "app/qt/KontenPage.h"
#include "app/qt/PageControl.h"
#include "app/qt/SectionEditor.h"

#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>
namespace ledra {

namespace {
using Col = KontenDelegate::Column;

class AccountsPage : public BooksWindow {
protected:
    KontenPage *open() {
        start();
        EXPECT_TRUE(window->pageControl()->requestPage(1));
        return window->kontenPage();
    }
    Table &accounts() { return window->core().books().kontenGrid; }
    QTableView *grid() { return window->kontenPage()->gridView(); }
    const TableModel *model() { return window->kontenPage()->gridModel(); }
    int rowOf(int ktoNr) {
        for (int r = 0; r < model()->rowCount(); ++r)
            if (model()->data(model()->index(r, Col::KtoNr)).toInt() == ktoNr)
                return r;
        return -1;
    }
    QString cell(int ktoNr, Col c) {
        return model()->data(model()->index(rowOf(ktoNr), c)).toString();
    }
    // An editor is open in the grid's current cell.
    bool editorOpen() { return grid()->indexWidget(grid()->currentIndex()) != nullptr; }
    // Opens the cell's editor with F2 as a person does.
    QWidget *editCell(int ktoNr, Col c) {
        grid()->setFocus();
        grid()->setCurrentIndex(model()->index(rowOf(ktoNr), c));
        QTest::keyClick(grid(), Qt::Key_F2);
        return editorOpen() ? focused() : nullptr;
    }
    void typeAndEnter(QWidget *editor, const QString &text) {
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, Qt::Key_Return);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !editorOpen(); }));
    }
    void post() { window->kontenPage()->DBNavigator1()->button(DbNavigator::Post)->click(); }
};

} // namespace

TEST_F(AccountsPage, AccountInUseKeepsItsNameButTakesAnOpeningBalance) {
    open();
    // Only the batch knows the account: its balance is still 0.
    window->core().books().stapel.appendRecord({1, QDate::currentDate(), QStringLiteral("Erlös"),
                                                1200, 8400, QVariant(), QVariant(), QVariant(),
                                                19.0, 1, QVariant(), true});
    ASSERT_GE(rowOf(8400), 0);
    grid()->setFocus();
    grid()->setCurrentIndex(model()->index(rowOf(8400), Col::Name));
    QTest::keyClick(grid(), Qt::Key_X);
    EXPECT_TRUE(ui.saw(QStringLiteral("Konto wird benutzt und kann nicht verändert werden!")));
    EXPECT_FALSE(editorOpen());
    EXPECT_TRUE(accounts().isBrowse()) << "a refused edit leaves the row as it was";
    EXPECT_EQ(cell(8400, Col::Name), QStringLiteral("Erlöse 19 %"));

    QWidget *editor = editCell(8400, Col::Soll);
    ASSERT_NE(editor, nullptr) << "the opening balance of an account in use stays editable";
    typeAndEnter(editor, QStringLiteral("250"));
    post();
    EXPECT_TRUE(accounts().isBrowse());
    EXPECT_EQ(cell(8400, Col::Soll), QStringLiteral("250,00"));
    EXPECT_EQ(cell(8400, Col::Saldo), QStringLiteral("250,00"));
    EXPECT_EQ(saldo(8400), Money::fromWhole(250));
    EXPECT_EQ(ui.messages.size(), 1u) << messageTexts().join(QLatin1Char('|')).toStdString();

    // The other side refuses a second opening balance and stays 0.
    editor = editCell(8400, Col::Haben);
    ASSERT_NE(editor, nullptr);
    typeAndEnter(editor, QStringLiteral("50"));
    EXPECT_TRUE(ui.saw(QStringLiteral("Nur ein Vortrag in Soll oder Haben möglich!")));
    post();
    EXPECT_EQ(cell(8400, Col::Haben), QStringLiteral("0,00"));
    EXPECT_EQ(saldo(8400), Money::fromWhole(250));
}

TEST_F(AccountsPage, GridStaysOnTheAccountWhoseOpeningBalanceWasStored) {
    // Enough accounts that the grid scrolls.
    for (int nr = 2000; nr < 2060; ++nr)
        data.addAccount(nr, QStringLiteral("Konto %1").arg(nr), 4, 0);
    open();
    QWidget *editor = editCell(2050, Col::Soll);
    ASSERT_NE(editor, nullptr);
    const QModelIndex cellBefore = grid()->currentIndex();
    const QRect before = grid()->visualRect(cellBefore);
    ASSERT_GT(grid()->verticalScrollBar()->value(), 0) << "the account lies below the first page";
    typeAndEnter(editor, QStringLiteral("500"));
    post();
    ASSERT_TRUE(accounts().isBrowse());
    EXPECT_EQ(saldo(2050), Money::fromWhole(500));
    EXPECT_EQ(accounts().asInt(QStringLiteral("KtoNr")), 2050);
    EXPECT_EQ(grid()->currentIndex(), cellBefore) << "the same account, the same column";
    EXPECT_EQ(grid()->visualRect(grid()->currentIndex()), before);

    // The next key edits the same cell (the account is in use now: its number could not be
    // changed, so a key that reached another column would be refused).
    QTest::keyClicks(grid(), QStringLiteral("7"));
    ASSERT_TRUE(editorOpen());
    QTest::keyClick(focused(), Qt::Key_Return);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !editorOpen(); }));
    post();
    EXPECT_EQ(saldo(2050), Money::fromWhole(7));
    EXPECT_TRUE(ui.messages.empty()) << messageTexts().join(QLatin1Char('|')).toStdString();

    // Stored by moving on: the grid is on the row moved to, not on none (from where the next
    // arrow key would start at the first account).
    editor = editCell(2050, Col::Soll);
    ASSERT_NE(editor, nullptr);
    typeAndEnter(editor, QStringLiteral("8"));
    QTest::keyClick(grid(), Qt::Key_Down);
    EXPECT_EQ(saldo(2050), Money::fromWhole(8));
    EXPECT_EQ(accounts().asInt(QStringLiteral("KtoNr")), 2051);
    EXPECT_EQ(grid()->currentIndex(), model()->index(rowOf(2051), Col::Soll));
    QTest::keyClick(grid(), Qt::Key_Up);
    EXPECT_EQ(accounts().asInt(QStringLiteral("KtoNr")), 2050);
}

TEST_F(AccountsPage, WrongSideBalanceIsDrawnInItsColour) {
    open();
    YearSettings &s = window->core().books().settings;
    s.fSaldo1 = 0x0000ff; // red, as the platform number keeps it
    s.fSaldo2 = 0x00ff00; // green
    QWidget *editor = editCell(8400, Col::Soll);
    ASSERT_NE(editor, nullptr);
    typeAndEnter(editor, QStringLiteral("10"));
    post();

    const KontenDelegate *d = window->kontenPage()->gridDelegate();
    const QModelIndex revenue = model()->index(rowOf(8400), Col::Saldo);
    const QModelIndex bank = model()->index(rowOf(1200), Col::Saldo);
    EXPECT_EQ(d->balanceBackground(revenue, false), QColor(255, 0, 0));
    EXPECT_EQ(d->balanceBackground(revenue, true), QColor(0, 255, 0));
    EXPECT_FALSE(d->balanceBackground(bank, false).isValid());
    EXPECT_FALSE(d->balanceBackground(model()->index(rowOf(8400), Col::Soll), false).isValid())
        << "only the balance column is coloured";

    // What the grid really draws, with the row not selected.
    grid()->setCurrentIndex(model()->index(rowOf(1200), Col::KtoNr));
    grid()->viewport()->repaint();
    const QImage image = grid()->viewport()->grab().toImage();
    const QRect r = grid()->visualRect(revenue);
    EXPECT_EQ(QColor(image.pixel(r.left() + 2, r.center().y())), QColor(255, 0, 0));
    const QRect b = grid()->visualRect(bank);
    EXPECT_NE(QColor(image.pixel(b.left() + 2, b.center().y())), QColor(255, 0, 0));

    s.fSaldo = false;
    EXPECT_FALSE(d->balanceBackground(revenue, false).isValid());
}

TEST_F(AccountsPage, TypeAndBwaLineArePickedByTheirTexts) {
    open();
    QWidget *editor = editCell(1200, Col::Art);
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_Up); // from "Bank" (4) to "Erlöse" (3)
    EXPECT_FALSE(editorOpen()) << "a pick is taken at once";
    EXPECT_EQ(accounts().asInt(QStringLiteral("Art")), 3);
    EXPECT_EQ(accounts().asDouble(QStringLiteral("Mwst")), 19.0) << "the full rate of the settings";

    editor = editCell(1200, Col::BWA);
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_Down); // the first line of the list is a section heading
    EXPECT_EQ(accounts().asInt(QStringLiteral("BWA")), 1000);
    post();
    EXPECT_TRUE(ui.saw(QStringLiteral("Bitte keine BWA-Sektionen zuordnen!")));
    EXPECT_TRUE(accounts().isEditing()) << "the typed row stays to be corrected";

    editor = editCell(1200, Col::BWA);
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_Down);
    post();
    EXPECT_TRUE(accounts().isBrowse());
    EXPECT_EQ(cell(1200, Col::Art), QStringLiteral("Erlöse"));
    EXPECT_EQ(cell(1200, Col::Mwst), QStringLiteral("19"));
    EXPECT_EQ(cell(1200, Col::BWA), QStringLiteral("Erlöse 19 % USt"));

    // Esc in an editor that changed nothing ends the edit it began.
    editor = editCell(1200, Col::Name);
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(accounts().isEditing());
    QTest::keyClick(editor, Qt::Key_Escape);
    EXPECT_TRUE(accounts().isBrowse());
}

TEST_F(AccountsPage, EnterInTheSearchFieldGoesFromMatchToMatch) {
    KontenPage *page = open();
    QLineEdit *search = page->Edit1();
    search->setFocus();
    QTest::keyClicks(search, QStringLiteral("erl"));
    auto current = [&] {
        return model()->data(model()->index(grid()->currentIndex().row(), 0)).toInt();
    };

    QTest::keyClick(search, Qt::Key_Return);
    EXPECT_EQ(current(), 8300);
    EXPECT_EQ(focused(), search) << "Enter is swallowed";
    QTest::keyClick(search, Qt::Key_Return);
    EXPECT_EQ(current(), 8400);
    QTest::keyClick(search, Qt::Key_Return);
    EXPECT_EQ(current(), 8400) << "nothing more: the grid stays";
    EXPECT_EQ(ui.beeps, 1);

    QTest::keyClick(search, Qt::Key_Backspace);
    page->Suchen()->click();
    EXPECT_EQ(current(), 1576) << "a changed text (\"er\") searches from the top";
}

TEST_F(AccountsPage, CashBasisTickShowsTheDueTaxColumnsAtOnce) {
    start();
    ASSERT_TRUE(window->pageControl()->requestPage(2));
    QCheckBox *ist = window->einstellungPage()->cbIstSteuer();
    QTableView *batch = window->buchenPage()->gridView();
    const int due = window->buchenPage()->gridModel()->columnOf(QStringLiteral("Stfaellig"));
    ASSERT_TRUE(batch->isColumnHidden(due));
    ist->click();
    EXPECT_TRUE(window->core().books().settings.istSteuer);
    EXPECT_FALSE(batch->isColumnHidden(due));
    ist->click();
    EXPECT_TRUE(batch->isColumnHidden(due));
}

TEST_F(WindowTest, StandardChartFillsAnEmptyChartAndItsTaxAccounts) {
    start();
    ASSERT_TRUE(window->pageControl()->requestPage(2));
    EinstellungPage *page = window->einstellungPage();
    ASSERT_FALSE(page->BSKR03()->isHidden()) << "offered while the chart is empty";
    page->BSKR03()->click();
    Shell &core = window->core();
    EXPECT_TRUE(ui.messages.empty()) << messageTexts().join(QLatin1Char('|')).toStdString();
    ASSERT_GT(core.books().kontenGrid.recordCount(), 100);
    EXPECT_EQ(window->kontenPage()->gridModel()->rowCount(), core.books().kontenGrid.recordCount());
    EXPECT_EQ(page->Vorsteuer()->text(), QStringLiteral("1570"));
    EXPECT_EQ(page->KontoMwst()->text(), QStringLiteral("1770"));
    EXPECT_EQ(window->statusPanel(1)->text(),
              QStringLiteral("%1 Konten").arg(core.books().kontenGrid.recordCount()));
    EXPECT_TRUE(page->BSKR03()->isHidden());
}

TEST_F(WindowTest, SectionEditorStoresTheRowBeingTypedWhenClosed) {
    start();
    Shell &core = window->core();
    const int before = core.books().bwa.recordCount();
    QString caption;
    int help = 0;
    // The editor is modal: it is worked on from the event loop it runs.
    std::function<void()> work = [&] {
        auto *editor = window->findChild<SectionEditor *>();
        if (!editor || !editor->isVisible()) {
            QTimer::singleShot(10, window.get(), work);
            return;
        }
        caption = editor->windowTitle();
        help = editor->property("helpContext").toInt();
        EXPECT_EQ(editor->closeButton()->toolTip(), QStringLiteral("Speichern und beenden"));
        editor->navigator()->button(DbNavigator::Insert)->click();
        QAbstractItemModel *m = editor->grid()->model();
        const int row = m->rowCount() - 1;
        m->setData(m->index(row, 0), 9010); // a line the list already holds
        m->setData(m->index(row, 1), QStringLiteral("Sonstiges"));
        editor->closeButton()->click();
        EXPECT_TRUE(editor->isVisible()) << "a row the table refuses keeps the editor open";
        EXPECT_EQ(ui.messages.size(), 1u);
        m->setData(m->index(row, 0), 12040);
        editor->closeButton()->click();
        if (editor->isVisible()) {
            ADD_FAILURE() << "the editor did not close: "
                          << messageTexts().join(QLatin1Char('|')).toStdString();
            core.books().bwa.cancel();
            editor->reject();
        }
    };
    QTimer::singleShot(0, window.get(), work);
    window->einstellungPage()->BBWA()->click();
    EXPECT_EQ(caption, QStringLiteral("BWA-Sektionen eingeben"));
    EXPECT_EQ(help, 33);
    EXPECT_TRUE(core.books().bwa.isBrowse());
    ASSERT_EQ(core.books().bwa.recordCount(), before + 1);
    ASSERT_TRUE(core.books().bwa.findKey({12040}));
    EXPECT_EQ(core.books().bwa.asString(QStringLiteral("Sektion")), QStringLiteral("Sonstiges"));
}

} // namespace ledra
