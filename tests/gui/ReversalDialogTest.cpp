// The reversal dialog on Qt: opened from "S&torno", it lists the journal in voucher order
// while shown; OK and a double click reverse the chosen row into the batch; the window goes
// when the rules close the dialog; the wheel and Ctrl+L work on the journal's current row.

#include "GuiFixture.h"

#include "app/qt/BuchenPage.h"
#include "app/qt/HelpWindow.h"
#include "app/qt/PageControl.h"
#include "app/qt/ReversalDialog.h"
#include "posting/StornoRules.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTextBrowser>
#include <QToolButton>
#include <QWheelEvent>
namespace ledra {

namespace {
class Reversal : public BooksWindow {
protected:
    Table &batch() { return window->core().books().stapel; }
    Table &journal() { return window->core().books().journal; }

    ReversalDialog *openDialog() {
        QAction *storno = window->entryMenu().Storno;
        EXPECT_TRUE(storno->isEnabled());
        storno->trigger();
        ReversalDialog *d = window->journalDialog();
        EXPECT_NE(d, nullptr);
        if (d) {
            EXPECT_TRUE(QTest::qWaitForWindowExposed(d));
        }
        return d;
    }
    static QString cell(ReversalDialog *d, int row, const char *field) {
        const TableModel *m = d->gridModel();
        return m->data(m->index(row, m->columnOf(QString::fromLatin1(field)))).toString();
    }
    static void clickRow(ReversalDialog *d, int row) {
        QTableView *g = d->gridView();
        const QRect r = g->visualRect(d->gridModel()->index(row, 0));
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, r.center());
    }
};
} // namespace

TEST_F(Reversal, OkReversesTheChosenRowAndClosesTheDialog) {
    ASSERT_NO_FATAL_FAILURE(startWithJournal());
    const Money tonerBefore = saldo(4930);
    ReversalDialog *d = openDialog();
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->windowTitle(), QStringLiteral("Buchungssatz stornieren"));
    EXPECT_FALSE(d->isModal());
    EXPECT_TRUE(window->core().reversalDialog().visible());

    // Shown: voucher order, with the batch grid's texts.
    ASSERT_EQ(d->gridModel()->rowCount(), 3);
    EXPECT_EQ(cell(d, 0, "Belegnummer"), QStringLiteral("3"));
    EXPECT_EQ(cell(d, 1, "Belegnummer"), QStringLiteral("5"));
    EXPECT_EQ(cell(d, 2, "Belegnummer"), QStringLiteral("9"));
    EXPECT_EQ(cell(d, 2, "Brutto"), QStringLiteral("119,00 €"));
    EXPECT_EQ(d->gridModel()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Belegnr."));

    clickRow(d, 2);
    EXPECT_EQ(journal().asString(QStringLiteral("Buchungstext")), QStringLiteral("Toner"));
    d->bbOK()->click();

    EXPECT_TRUE(ui.messages.empty()) << messageTexts().join(QLatin1Char('|')).toStdString();
    EXPECT_FALSE(d->isVisible());
    EXPECT_FALSE(window->core().reversalDialog().visible());
    EXPECT_EQ(journal().orderFields(), QStringList{QStringLiteral("Autonummer")});
    ASSERT_EQ(batch().recordCount(), 1);
    EXPECT_EQ(batch().state(), DsState::Browse) << "the reversal is stored at once";
    batch().first();
    EXPECT_EQ(batch().asString(QStringLiteral("Buchungstext")), QStringLiteral("Storno"));
    EXPECT_EQ(batch().asInt(QStringLiteral("Soll")), 1200);
    EXPECT_EQ(batch().asInt(QStringLiteral("Haben")), 4930);
    EXPECT_EQ(batch().asInt(QStringLiteral("Belegnummer")), 9);
    EXPECT_EQ(batch().asMoney(QStringLiteral("Brutto")), Money::fromWhole(119));
    EXPECT_EQ(saldo(4930), tonerBefore - Money::fromWhole(100));
    EXPECT_EQ(window->buchenPage()->gridModel()->rowCount(), 1) << "the batch grid shows it";
}

TEST_F(Reversal, DoubleClickKeepsTheDialogAndCloseRestoresBookingOrder) {
    ASSERT_NO_FATAL_FAILURE(startWithJournal());
    ReversalDialog *d = openDialog();
    ASSERT_NE(d, nullptr);

    QTableView *g = d->gridView();
    const QRect porto = g->visualRect(d->gridModel()->index(0, 0));
    // A double click: the first click picks the row, the second reverses it.
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, porto.center());
    QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, porto.center());
    EXPECT_TRUE(ui.messages.empty()) << messageTexts().join(QLatin1Char('|')).toStdString();
    ASSERT_EQ(batch().recordCount(), 1);
    batch().first();
    EXPECT_EQ(batch().asInt(QStringLiteral("Soll")), 1000);
    EXPECT_EQ(batch().asInt(QStringLiteral("Haben")), 4930);
    EXPECT_EQ(batch().asInt(QStringLiteral("Belegnummer")), 3);
    EXPECT_TRUE(d->isVisible()) << "a double click leaves the dialog open";
    EXPECT_EQ(journal().orderFields(), QStringList{QStringLiteral("Belegnummer")});
    EXPECT_EQ(cell(d, 0, "Buchungstext"), QStringLiteral("Porto"));
    EXPECT_EQ(d->gridModel()->currentRow(), 0) << "the reversed row stays the chosen one";

    d->bbCancel()->click();
    EXPECT_FALSE(d->isVisible());
    EXPECT_FALSE(window->core().reversalDialog().visible());
    EXPECT_EQ(journal().orderFields(), QStringList{QStringLiteral("Autonummer")});
    EXPECT_EQ(cell(d, 0, "Buchungstext"), QStringLiteral("Toner")) << "booking order again";

    // Opened again it is the same window, in voucher order.
    ReversalDialog *again = openDialog();
    EXPECT_EQ(again, d);
    EXPECT_EQ(cell(d, 0, "Buchungstext"), QStringLiteral("Porto"));
}

TEST_F(Reversal, F1ShowsTheDialogsHelpPage) {
    installManual();
    ASSERT_NO_FATAL_FAILURE(startWithJournal());
    ReversalDialog *d = openDialog();
    ASSERT_NE(d, nullptr);
    QTest::keyClick(d->gridView(), Qt::Key_F1);
    HelpWindow *help = window->helpWindow();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->currentPage().fileName(), QStringLiteral("storno.html"));
    EXPECT_TRUE(help->browser()->toPlainText().contains(QStringLiteral("Stornobuchung")));
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(Reversal, NewBatchRowClosesTheWindowAndStornoFollowsTheBatchState) {
    ASSERT_NO_FATAL_FAILURE(startWithJournal());
    ReversalDialog *d = openDialog();
    ASSERT_NE(d, nullptr);

    // "&Neu" from the menu while the dialog is in front.
    window->entryMenu().Neu->trigger();
    ASSERT_EQ(batch().state(), DsState::Insert);
    EXPECT_FALSE(d->isVisible()) << "the rules closed the dialog; its window goes too";
    EXPECT_EQ(journal().orderFields(), QStringList{QStringLiteral("Autonummer")});
    EXPECT_FALSE(window->entryMenu().Storno->isEnabled());

    window->buchenPage()->Abbruch()->click();
    ASSERT_EQ(batch().state(), DsState::Browse);
    EXPECT_TRUE(window->entryMenu().Storno->isEnabled());
}

TEST_F(Reversal, WheelMovesTheJournalRowAndCtrlLDeletesIt) {
    ASSERT_NO_FATAL_FAILURE(startWithJournal());
    ReversalDialog *d = openDialog();
    ASSERT_NE(d, nullptr);
    clickRow(d, 0);
    ASSERT_EQ(journal().recNo(), 0);

    QTableView *g = d->gridView();
    auto turn = [&](int delta) {
        const QPointF at = g->viewport()->rect().center();
        QWheelEvent e(at, g->viewport()->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(g->viewport(), &e);
    };
    turn(-120);
    EXPECT_EQ(journal().recNo(), 1) << "a notch down is the next row";
    EXPECT_EQ(g->selectionModel()->currentIndex().row(), 1) << "the grid follows";
    turn(-60);
    EXPECT_EQ(journal().recNo(), 1) << "half a notch moves nothing yet";
    turn(-60);
    EXPECT_EQ(journal().recNo(), 2);
    turn(240);
    EXPECT_EQ(journal().recNo(), 0);

    // Ctrl+L: the current row after its question, not before.
    g->setFocus();
    ui.answers = {Btn::No, Btn::Yes};
    QTest::keyClick(g, Qt::Key_L, Qt::ControlModifier);
    EXPECT_EQ(journal().recordCount(), 3);
    QTest::keyClick(g, Qt::Key_L, Qt::ControlModifier);
    ASSERT_EQ(ui.questions.size(), 2u);
    EXPECT_EQ(ui.questions[1].text, QStringLiteral("Datensatz löschen?"));
    EXPECT_EQ(journal().recordCount(), 2);
    EXPECT_EQ(d->gridModel()->rowCount(), 2);
    EXPECT_EQ(cell(d, 0, "Belegnummer"), QStringLiteral("5")) << "voucher 3 is gone";
    EXPECT_EQ(saldo(1000), Money()) << "the balances are recomputed without it";
}

TEST_F(Reversal, F1InTheMainWindowShowsTheFieldsOrThePagesHelp) {
    installManual();
    ASSERT_NO_FATAL_FAILURE(startWithJournal());
    window->buchenPage()->BelNr()->setFocus();
    QTest::keyClick(window->buchenPage()->BelNr(), Qt::Key_F1);
    HelpWindow *help = window->helpWindow();
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->currentPage().fileName(), QStringLiteral("belegnummer.html"));
    window->buchenPage()->BuchText()->setFocus();
    QTest::keyClick(window->buchenPage()->BuchText(), Qt::Key_F1);
    EXPECT_EQ(help->currentPage().fileName(), QStringLiteral("buchen.html")) << "the page's help";
    // Nothing focused yet (as right after the start, where a desktop without a window manager
    // has no active window either): F1 in the window still names the page.
    window->pageControl()->setCurrentIndex(1);
    QApplication::setActiveWindow(help);
    if (QWidget *f = QApplication::focusWidget())
        f->clearFocus();
    ASSERT_EQ(QApplication::focusWidget(), nullptr);
    QTest::keyClick(window.get(), Qt::Key_F1);
    EXPECT_EQ(help->currentPage().fileName(), QStringLiteral("konten.html"));
}

} // namespace ledra
