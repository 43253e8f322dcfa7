// The main window's side of the open items: the status line and the payment target of an
// invoice row, F8 taking an open item over into a payment row that the keyboard completes,
// the discount booking that follows, and the detail dialog for the row being entered.

#include "GuiFixture.h"

#include "app/qt/BuchenPage.h"
#include "klaro/KlaroCore.h"
#include "store/Table.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTest>
#include <QToolButton>

namespace ledra {

namespace {

// The plug-in's core with its windows replaced: the manager window "chooses" an item.
class ChoosingCore : public KlaroCore {
public:
    qint64 pick = 0;
    QList<int> details;
    int showWindow() override { return pick && selectForSettlement(pick) ? 1 : 2; }
    void showDetail(int batchNumber) override { details << batchNumber; }
};

class SettlementWindow : public BooksWindow {
protected:
    ChoosingCore core;
    void SetUp() override {
        BooksWindow::SetUp();
        data.addAccount(1400, QStringLiteral("Kunde Meier"), 7, 0);
        data.addAccount(4730, QStringLiteral("Gewährte Skonti"), 3, 19);
        start();
        core.create(window.get(), ui);
        core.init(data.base, QStringLiteral("€"));
        window->core().setOpenItemsForTest(&core);
        window->buchenPage()->BDatum()->setFocus();
    }
    void TearDown() override {
        window->core().setOpenItemsForTest(nullptr);
        BooksWindow::TearDown();
    }
    QString panel3() const {
        return window->findChild<QLabel *>(QStringLiteral("StatusPanel3"))->text();
    }
    Table &batch() { return window->core().books().stapel; }
};

} // namespace

TEST_F(SettlementWindow, AnInvoiceRowShowsItsRoleAndTakesAPaymentTarget) {
    BuchenPage *p = window->buchenPage();
    // "OP-Datum editieren" shows the field.
    window->findChild<QCheckBox *>(QStringLiteral("CBOPDatum"))->setChecked(true);
    ASSERT_NO_FATAL_FAILURE(bookByKeys(QStringLiteral("05.03.") + year(), QStringLiteral("815"),
                                       QStringLiteral("1400"), QStringLiteral("8400"),
                                       QStringLiteral("R: Meier"), QStringLiteral("119")));
    EXPECT_EQ(panel3(), QStringLiteral("Buchung erzeugt offenen Posten"));
    EXPECT_TRUE(p->OPDatum()->isEnabled());
    const int nr = int(batch().asInt(QStringLiteral("Autonummer")));
    retype(p->OPDatum(), QStringLiteral("30.04.") + year());
    QTest::keyClick(p->OPDatum(), Qt::Key_Tab);
    EXPECT_EQ(core.paymentTarget(nr), QDate(QDate::currentDate().year(), 4, 30));

    // A plain booking opens nothing: no role, no payment target.
    ASSERT_NO_FATAL_FAILURE(bookByKeys(QStringLiteral("06.03.") + year(), QStringLiteral("816"),
                                       QStringLiteral("4930"), QStringLiteral("1200"),
                                       QStringLiteral("Papier"), QStringLiteral("10")));
    EXPECT_TRUE(panel3().isEmpty());
    EXPECT_FALSE(p->OPDatum()->isEnabled());
}

TEST_F(SettlementWindow, F8TakesTheItemOverAndAPartialPaymentIsFollowedByTheDiscount) {
    BuchenPage *p = window->buchenPage();
    ASSERT_NO_FATAL_FAILURE(bookByKeys(QStringLiteral("05.03.") + year(), QStringLiteral("815"),
                                       QStringLiteral("1400"), QStringLiteral("8400"),
                                       QStringLiteral("R: Meier"), QStringLiteral("100")));
    core.pick = batch().asInt(QStringLiteral("Autonummer"));
    ui.answers = {Btn::Yes};
    window->BSpeichern()->click();
    ASSERT_TRUE(batch().isEmpty());

    QTest::keyClick(focused(), Qt::Key_F8);
    ASSERT_EQ(batch().state(), DsState::Insert);
    EXPECT_EQ(focused(), p->Soll()) << "the bank account goes on the empty side";
    EXPECT_EQ(batch().asInt(QStringLiteral("Haben")), 1400);
    EXPECT_EQ(p->Betrag()->text(), QStringLiteral("100,00"));
    QTest::keyClicks(p->Soll(), QStringLiteral("1200"));
    QTest::keyClick(p->Soll(), Qt::Key_Tab);
    QTest::keyClick(focused(), Qt::Key_Tab);
    QTest::keyClick(focused(), Qt::Key_Tab);
    ASSERT_EQ(focused(), p->Betrag());
    retype(p->Betrag(), QStringLiteral("97"));
    QTest::keyClick(p->Betrag(), Qt::Key_Tab);

    ASSERT_EQ(batch().recordCount(), 2);
    EXPECT_TRUE(batch().isBrowse());
    batch().last();
    EXPECT_EQ(batch().asString(QStringLiteral("Buchungstext")), QStringLiteral("gewährtes Skonto"));
    EXPECT_EQ(batch().asMoney(QStringLiteral("Brutto")), Money::fromCents(300));
    EXPECT_EQ(focused(), p->BuchText());
    EXPECT_EQ(panel3(), QStringLiteral("Buchung gleicht offenen Posten aus"));
}

TEST_F(SettlementWindow, F8WhileARowIsEnteredStoresItAndOpensItsDetail) {
    BuchenPage *p = window->buchenPage();
    QTest::keyClick(focused(), Qt::Key_Insert);
    retype(p->BDatum(), QStringLiteral("05.03.") + year());
    QTest::keyClick(p->BDatum(), Qt::Key_Tab);
    QTest::keyClick(focused(), Qt::Key_Tab);
    QTest::keyClicks(p->Soll(), QStringLiteral("4930"));
    QTest::keyClick(p->Soll(), Qt::Key_Tab);
    QTest::keyClicks(p->Haben(), QStringLiteral("1200"));
    QTest::keyClick(p->Haben(), Qt::Key_Tab);
    QTest::keyClick(focused(), Qt::Key_Tab);
    QTest::keyClicks(p->Betrag(), QStringLiteral("10"));
    QTest::keyClick(p->Betrag(), Qt::Key_F8);
    ASSERT_EQ(core.details.size(), 1);
    EXPECT_EQ(batch().recordCount(), 1) << "stored before its detail is shown";
    EXPECT_EQ(core.details[0], int(batch().asInt(QStringLiteral("Autonummer"))));

    // A double click in the grid shows the current row's detail too.
    if (batch().isEditing())
        batch().cancel();
    QTableView *grid = p->gridView();
    const QRect cell = grid->visualRect(grid->model()->index(0, 0));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(core.details.size(), 2);
}

} // namespace ledra
