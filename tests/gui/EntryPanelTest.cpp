// The entry panel of the page "Buchen" driven by keys as a person types a booking: the focus
// moves through the booking entry of the rules, whose exit handlers may keep it; the account
// drop-downs search by number or name; Esc ends a search, then cancels the row; the grid and
// the commands follow the batch.

#include "GuiFixture.h"

#include "app/qt/BuchenPage.h"
#include "app/qt/PageControl.h"
#include "app/qt/Panel.h"
#include "posting/BuchungRules.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>
namespace ledra {

namespace {
class EntryPanel : public BooksWindow {
protected:
    BuchenPage *page() { return window->buchenPage(); }
    Table &batch() { return window->core().books().stapel; }
    BuchungRules &entry() { return window->core().entry(); }
    QString gridText(int row, const char *field) {
        const TableModel *m = page()->gridModel();
        return m->data(m->index(row, m->columnOf(QString::fromLatin1(field)))).toString();
    }
};
} // namespace

TEST_F(EntryPanel, BookingTypedWithKeysIsStoredWithNetAndTax) {
    start();
    const auto &menu = window->entryMenu();
    EXPECT_TRUE(menu.Neu->isEnabled());
    EXPECT_FALSE(menu.Splitting->isEnabled()) << "splitting only while a row is entered";
    EXPECT_FALSE(window->BSpeichern()->isEnabled()) << "nothing to transfer yet";

    page()->BDatum()->setFocus();
    QTest::keyClick(page()->BDatum(), Qt::Key_Insert);
    ASSERT_EQ(batch().state(), DsState::Insert);
    EXPECT_FALSE(menu.Neu->isEnabled());
    EXPECT_TRUE(menu.Splitting->isEnabled());
    EXPECT_FALSE(menu.Beenden->isEnabled());
    EXPECT_EQ(page()->BelNr()->text(), QStringLiteral("1")) << "the first row takes Belegnr";

    retype(page()->BDatum(), QStringLiteral("15.03.") + year());
    QTest::keyClick(focused(), Qt::Key_Tab);
    EXPECT_EQ(page()->BDatum()->text(), QStringLiteral("15.03.") + year());
    retype(page()->BelNr(), QStringLiteral("7"));
    QTest::keyClick(focused(), Qt::Key_Tab);
    ASSERT_EQ(focused(), page()->Soll());

    QTest::keyClicks(page()->Soll(), QStringLiteral("4930"));
    EXPECT_EQ(page()->SollSaldo()->text(), QStringLiteral("4930")) << "the typed search shows";
    EXPECT_EQ(page()->Soll()->currentText(), QString()) << "keys never reach the drop-down";
    QTest::keyClick(page()->Soll(), Qt::Key_Tab);
    ASSERT_EQ(focused(), page()->Haben());
    EXPECT_TRUE(page()->SollSaldo()->text().startsWith(QStringLiteral("Bürobedarf\n")));
    EXPECT_EQ(page()->Soll()->currentText(), QStringLiteral("4930"));

    QTest::keyClicks(page()->Haben(), QStringLiteral("ba"));
    QTest::keyClick(page()->Haben(), Qt::Key_Tab);
    ASSERT_EQ(focused(), page()->BuchText());
    EXPECT_EQ(page()->Haben()->currentText(), QStringLiteral("1200")) << "Bank by its name";
    QTest::keyClicks(page()->BuchText(), QStringLiteral("Papier"));
    QTest::keyClick(focused(), Qt::Key_Tab);
    ASSERT_EQ(focused(), page()->Betrag());
    EXPECT_EQ(page()->Mwst()->text(), QStringLiteral("19")) << "rate of the cost account";

    QTest::keyClicks(page()->Betrag(), QStringLiteral("1.190,00"));
    ASSERT_EQ(batch().state(), DsState::Insert);
    QTest::keyClick(page()->Betrag(), Qt::Key_Tab);

    EXPECT_TRUE(ui.messages.empty()) << messageTexts().join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(ui.questions.empty());
    ASSERT_EQ(batch().state(), DsState::Browse) << "leaving the amount stores a new row";
    ASSERT_EQ(batch().recordCount(), 1);
    batch().first();
    EXPECT_EQ(batch().asDate(QStringLiteral("Belegdatum")),
              QDate(QDate::currentDate().year(), 3, 15));
    EXPECT_EQ(batch().asInt(QStringLiteral("Belegnummer")), 7);
    EXPECT_EQ(batch().asInt(QStringLiteral("Soll")), 4930);
    EXPECT_EQ(batch().asInt(QStringLiteral("Haben")), 1200);
    EXPECT_EQ(batch().asString(QStringLiteral("Buchungstext")), QStringLiteral("Papier"));
    EXPECT_EQ(batch().asMoney(QStringLiteral("Brutto")), Money::fromWhole(1190));
    EXPECT_EQ(batch().asMoney(QStringLiteral("Netto")), Money::fromWhole(1000));
    EXPECT_EQ(batch().asMoney(QStringLiteral("Steuer")), Money::fromWhole(190));
    EXPECT_EQ(saldo(4930), Money::fromWhole(1000));
    EXPECT_EQ(saldo(1576), Money::fromWhole(190));
    EXPECT_EQ(saldo(1200), Money::fromWhole(-1190));

    EXPECT_EQ(gridText(0, "Brutto"), QStringLiteral("1.190,00 €"));
    EXPECT_EQ(gridText(0, "Steuer"), QStringLiteral("190,00 €"));
    EXPECT_EQ(page()->Betrag()->text(), QStringLiteral("1190,00"));
    EXPECT_TRUE(menu.Neu->isEnabled());
    EXPECT_TRUE(window->BSpeichern()->isEnabled());
    EXPECT_TRUE(window->SBDruck()->isEnabled());
}

TEST_F(EntryPanel, NextRowIsPrefilledAndANetAmountGetsItsTax) {
    start();
    page()->BDatum()->setFocus();
    ASSERT_NO_FATAL_FAILURE(bookByKeys(QStringLiteral("02.01.") + year(), QStringLiteral("5"),
                                       QStringLiteral("4930"), QStringLiteral("1000"),
                                       QStringLiteral("Porto"), QStringLiteral("11,90")));
    ASSERT_EQ(batch().recordCount(), 1);

    QTest::keyClick(focused(), Qt::Key_Insert);
    ASSERT_EQ(batch().state(), DsState::Insert);
    EXPECT_EQ(page()->BDatum()->text(), QStringLiteral("02.01.") + year());
    EXPECT_EQ(page()->BelNr()->text(), QStringLiteral("6"));
    EXPECT_EQ(page()->Soll()->currentText(), QStringLiteral("4930"));
    EXPECT_EQ(page()->Haben()->currentText(), QStringLiteral("1000"));
    EXPECT_EQ(page()->BuchText()->currentText(), QStringLiteral("Porto"));
    EXPECT_TRUE(page()->HabenSaldo()->text().startsWith(QStringLiteral("Kasse\n")));

    page()->Netto()->click();
    EXPECT_FALSE(entry().grossMode);
    page()->Betrag()->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(page()->Betrag(), QStringLiteral("100"));
    QTest::keyClick(page()->Betrag(), Qt::Key_Tab);
    ASSERT_EQ(batch().state(), DsState::Browse);
    ASSERT_EQ(batch().recordCount(), 2);
    batch().last();
    EXPECT_EQ(batch().asMoney(QStringLiteral("Netto")), Money::fromWhole(100));
    EXPECT_EQ(batch().asMoney(QStringLiteral("Brutto")), Money::fromWhole(119));
    EXPECT_EQ(page()->Betrag()->text(), QStringLiteral("100,00")) << "bound to the net amount";
    EXPECT_EQ(saldo(1000), Money::fromCents(-1190 - 11900));
}

TEST_F(EntryPanel, AmountFieldRefusesWhatABookingFileMayNotHold) {
    start();
    page()->BDatum()->setFocus();
    ASSERT_NO_FATAL_FAILURE(bookByKeys(QStringLiteral("02.01.") + year(), QStringLiteral("5"),
                                       QStringLiteral("4930"), QStringLiteral("1200"),
                                       QStringLiteral("Porto"), QStringLiteral("11,90")));
    QTest::keyClick(focused(), Qt::Key_Insert);
    ASSERT_EQ(batch().state(), DsState::Insert);
    page()->Betrag()->setFocus(Qt::TabFocusReason);
    const std::pair<const char *, QString> refused[] = {
        {"10,005", QStringLiteral("Betrag mit höchstens zwei Nachkommastellen eingeben!")},
        {"1,23456789", QStringLiteral("Betrag mit höchstens zwei Nachkommastellen eingeben!")},
        {"1844674407370956,100000", QStringLiteral("Betrag darf höchstens 999.999.999,99 sein!")},
    };
    for (const auto &[text, message] : refused) {
        ui.clear();
        retype(page()->Betrag(), QString::fromLatin1(text));
        QTest::keyClick(page()->Betrag(), Qt::Key_Tab);
        EXPECT_TRUE(ui.saw(message)) << text << ": " << messageTexts().join('|').toStdString();
        EXPECT_EQ(focused(), page()->Betrag()) << text;
        EXPECT_EQ(batch().state(), DsState::Insert) << text << " was not stored";
    }
    EXPECT_EQ(saldo(4930), Money::fromCents(1000)) << "only the first row is in the balances";
    ui.clear();
    retype(page()->Betrag(), QStringLiteral("10,00"));
    QTest::keyClick(page()->Betrag(), Qt::Key_Tab);
    EXPECT_TRUE(ui.messages.empty()) << messageTexts().join('|').toStdString();
    ASSERT_EQ(batch().state(), DsState::Browse);
    EXPECT_EQ(batch().recordCount(), 2);
}

TEST_F(EntryPanel, UnknownAccountKeepsTheFocusInItsField) {
    start();
    page()->BDatum()->setFocus();
    QTest::keyClick(page()->BDatum(), Qt::Key_Insert);
    page()->Soll()->setFocus(Qt::TabFocusReason);
    ASSERT_EQ(entry().focused(), QStringLiteral("Soll"));

    QTest::keyClicks(page()->Soll(), QStringLiteral("zz"));
    EXPECT_EQ(page()->SollSaldo()->text(), QStringLiteral("zz"));
    QTest::keyClick(page()->Soll(), Qt::Key_Tab);
    EXPECT_TRUE(ui.saw(QStringLiteral("zz nicht gefunden")));
    EXPECT_EQ(focused(), page()->Soll());
    EXPECT_EQ(entry().focused(), QStringLiteral("Soll"));
    EXPECT_EQ(batch().state(), DsState::Insert);

    // Backspace takes typed characters back; a number that is an account is taken.
    QTest::keyClicks(page()->Soll(), QStringLiteral("8400x"));
    QTest::keyClick(page()->Soll(), Qt::Key_Backspace);
    EXPECT_EQ(page()->SollSaldo()->text(), QStringLiteral("8400"));
    QTest::keyClick(page()->Soll(), Qt::Key_Tab);
    EXPECT_EQ(focused(), page()->Haben());
    EXPECT_EQ(batch().asInt(QStringLiteral("Soll")), 8400);

    // On the credit side the focus comes back through the timer; until it has, leaving the
    // field runs no search.
    ui.clear();
    QTest::keyClicks(page()->Haben(), QStringLiteral("qq"));
    QTest::keyClick(page()->Haben(), Qt::Key_Tab);
    EXPECT_TRUE(ui.saw(QStringLiteral("qq nicht gefunden")));
    EXPECT_EQ(focused(), page()->Haben());
    EXPECT_TRUE(page()->Timer1()->isActive());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !entry().timerRunning; }));
    EXPECT_EQ(focused(), page()->Haben());
    EXPECT_EQ(ui.messages.size(), 1u);
}

TEST_F(EntryPanel, EscEndsTheSearchThenCancelsTheRow) {
    start();
    page()->BDatum()->setFocus();
    QTest::keyClick(page()->BDatum(), Qt::Key_Insert);
    retype(page()->BuchText(), QStringLiteral("Kaffee"));
    page()->Soll()->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(page()->Soll(), QStringLiteral("ka"));
    QTest::keyClick(page()->Soll(), Qt::Key_Escape);
    EXPECT_EQ(batch().state(), DsState::Insert) << "the first Esc only ends the search";
    EXPECT_EQ(batch().asInt(QStringLiteral("Soll")), 1000);
    EXPECT_EQ(page()->Soll()->currentText(), QStringLiteral("1000"));
    EXPECT_TRUE(page()->SollSaldo()->text().startsWith(QStringLiteral("Kasse\n")));

    QTest::keyClick(page()->Soll(), Qt::Key_Escape);
    EXPECT_EQ(batch().state(), DsState::Browse);
    EXPECT_EQ(batch().recordCount(), 0);
    EXPECT_EQ(page()->gridModel()->rowCount(), 0);
    EXPECT_EQ(page()->BuchText()->currentText(), QString());
    EXPECT_EQ(page()->Soll()->currentText(), QString());
    EXPECT_TRUE(ui.messages.empty()) << messageTexts().join(QLatin1Char('|')).toStdString();
}

TEST_F(EntryPanel, CancelledRowTakesItsTypedAccountWithIt) {
    start();
    page()->BDatum()->setFocus();
    ASSERT_NO_FATAL_FAILURE(bookByKeys(QStringLiteral("02.01.") + year(), QStringLiteral("5"),
                                       QStringLiteral("4930"), QStringLiteral("1200"),
                                       QStringLiteral("Toner"), QStringLiteral("119")));
    QTest::keyClick(focused(), Qt::Key_Insert);
    ASSERT_EQ(batch().state(), DsState::Insert);
    page()->Soll()->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(page()->Soll(), QStringLiteral("1000"));
    ASSERT_EQ(page()->SollSaldo()->text(), QStringLiteral("1000"));
    QTest::mouseClick(page()->Abbruch(), Qt::LeftButton);
    ASSERT_EQ(batch().state(), DsState::Browse);
    ASSERT_EQ(batch().recordCount(), 1);
    EXPECT_EQ(entry().searchText(QStringLiteral("Soll")), QString());
    EXPECT_TRUE(page()->SollSaldo()->text().startsWith(QStringLiteral("Bürobedarf\n")))
        << "the panel shows the stored row, not the cancelled text: "
        << page()->SollSaldo()->text().toStdString();

    // Leaving the field afterwards changes nothing in the stored row.
    QTest::keyClick(page()->Soll(), Qt::Key_Tab);
    EXPECT_EQ(batch().state(), DsState::Browse);
    batch().first();
    EXPECT_EQ(batch().asInt(QStringLiteral("Soll")), 4930);
    EXPECT_EQ(batch().asDouble(QStringLiteral("Steuersatz")), 19.0);
    EXPECT_EQ(saldo(4930), Money::fromWhole(100));
    EXPECT_EQ(saldo(1000), Money());

    // Nor does the next new row get it: it is prefilled from the stored row.
    QTest::keyClick(focused(), Qt::Key_Insert);
    ASSERT_EQ(batch().state(), DsState::Insert);
    page()->Soll()->setFocus(Qt::TabFocusReason);
    QTest::keyClick(page()->Soll(), Qt::Key_Tab);
    EXPECT_EQ(batch().asInt(QStringLiteral("Soll")), 4930);
    EXPECT_EQ(page()->Soll()->currentText(), QStringLiteral("4930"));
    EXPECT_TRUE(ui.messages.empty()) << messageTexts().join(QLatin1Char('|')).toStdString();
}

TEST_F(EntryPanel, EscOnAChangedRowShowsTheStoredAccountsAgain) {
    start();
    page()->BDatum()->setFocus();
    ASSERT_NO_FATAL_FAILURE(bookByKeys(QStringLiteral("02.01.") + year(), QStringLiteral("5"),
                                       QStringLiteral("4930"), QStringLiteral("1200"),
                                       QStringLiteral("Toner"), QStringLiteral("119")));
    const QString sollBefore = page()->SollSaldo()->text();
    const QString habenBefore = page()->HabenSaldo()->text();
    ASSERT_EQ(sollBefore, QStringLiteral("Bürobedarf\n100,00"));
    ASSERT_EQ(habenBefore, QStringLiteral("Bank\n-119,00"));

    // The stored row is changed by typing other accounts into it.
    page()->Soll()->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(page()->Soll(), QStringLiteral("8300"));
    QTest::keyClick(page()->Soll(), Qt::Key_Tab);
    ASSERT_EQ(batch().state(), DsState::Edit);
    QTest::keyClicks(page()->Haben(), QStringLiteral("1000"));
    QTest::keyClick(page()->Haben(), Qt::Key_Tab);
    ASSERT_EQ(focused(), page()->BuchText());
    ASSERT_TRUE(page()->SollSaldo()->text().startsWith(QStringLiteral("Erlöse 7 %\n")));
    ASSERT_TRUE(page()->HabenSaldo()->text().startsWith(QStringLiteral("Kasse\n")));

    QTest::keyClick(focused(), Qt::Key_Escape);
    ASSERT_EQ(batch().state(), DsState::Browse);
    EXPECT_EQ(batch().asInt(QStringLiteral("Soll")), 4930);
    EXPECT_EQ(page()->SollSaldo()->text(), sollBefore);
    EXPECT_EQ(page()->HabenSaldo()->text(), habenBefore);
    EXPECT_EQ(page()->Soll()->currentText(), QStringLiteral("4930"));
    EXPECT_EQ(page()->Haben()->currentText(), QStringLiteral("1200"));
    EXPECT_EQ(saldo(4930), Money::fromWhole(100));
    EXPECT_EQ(saldo(8300), Money());
}

TEST_F(EntryPanel, LeavingTheDateChecksItAndArrowKeysMoveIt) {
    start();
    page()->BDatum()->setFocus();
    QTest::keyClick(page()->BDatum(), Qt::Key_Insert);

    retype(page()->BDatum(), QStringLiteral("32.13."));
    QTest::keyClick(page()->BDatum(), Qt::Key_Tab);
    EXPECT_EQ(focused(), page()->BDatum()) << "no date: the field keeps the focus";
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(entry().focused(), QStringLiteral("BDatum"));

    retype(page()->BDatum(), QStringLiteral("15.03.2001"));
    QTest::keyClick(page()->BDatum(), Qt::Key_Tab);
    EXPECT_TRUE(ui.saw(QStringLiteral("Datum außerhalb des Buchungsbereiches!")));
    EXPECT_EQ(focused(), page()->BDatum());

    retype(page()->BDatum(), QStringLiteral("01.03.") + year());
    QTest::keyClick(page()->BDatum(), Qt::Key_Down);
    const QDate first(QDate::currentDate().year(), 3, 1);
    EXPECT_EQ(batch().asDate(QStringLiteral("Belegdatum")), first.addDays(-1));
    EXPECT_EQ(page()->BDatum()->text(), first.addDays(-1).toString(QStringLiteral("dd.MM.yyyy")));
    QTest::keyClick(page()->BDatum(), Qt::Key_Up);
    QTest::keyClick(page()->BDatum(), Qt::Key_Up);
    EXPECT_EQ(batch().asDate(QStringLiteral("Belegdatum")), first.addDays(1));
    QTest::keyClick(page()->BDatum(), Qt::Key_Tab);
    EXPECT_EQ(focused(), page()->BelNr());
    EXPECT_EQ(ui.messages.size(), 2u);
}

TEST_F(EntryPanel, GridDeletesAStoredRowOnlyAfterItsQuestion) {
    start();
    page()->BDatum()->setFocus();
    ASSERT_NO_FATAL_FAILURE(bookByKeys(QStringLiteral("02.01.") + year(), QStringLiteral("5"),
                                       QStringLiteral("4930"), QStringLiteral("1200"),
                                       QStringLiteral("Toner"), QStringLiteral("119")));
    ASSERT_EQ(batch().recordCount(), 1);
    ASSERT_EQ(saldo(4930), Money::fromWhole(100));

    QTableView *grid = page()->gridView();
    grid->setFocus();
    ui.answers = {Btn::Cancel, Btn::Ok};
    QTest::keyClick(grid, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(batch().recordCount(), 1);
    QTest::keyClick(grid, Qt::Key_Delete, Qt::ControlModifier);
    ASSERT_EQ(ui.questions.size(), 2u);
    EXPECT_EQ(ui.questions[0].text, QStringLiteral("Datensatz löschen?"));
    EXPECT_EQ(batch().recordCount(), 0);
    EXPECT_EQ(saldo(4930), Money()) << "the row's effect on the balances is taken back";
    EXPECT_EQ(saldo(1200), Money());
    EXPECT_FALSE(window->BSpeichern()->isEnabled());
}

TEST_F(EntryPanel, SaveButtonMovesTheBatchIntoTheJournal) {
    start();
    page()->BDatum()->setFocus();
    ASSERT_NO_FATAL_FAILURE(bookByKeys(QStringLiteral("02.01.") + year(), QStringLiteral("5"),
                                       QStringLiteral("4930"), QStringLiteral("1200"),
                                       QStringLiteral("Toner"), QStringLiteral("119")));
    ui.answers = {Btn::Yes};
    window->BSpeichern()->click();
    ASSERT_EQ(ui.questions.size(), 1u);
    EXPECT_EQ(ui.questions[0].text, QStringLiteral("Buchungen ins Journal übernehmen?"));
    EXPECT_EQ(batch().recordCount(), 0);
    EXPECT_EQ(page()->gridModel()->rowCount(), 0);
    EXPECT_EQ(window->core().books().journal.recordCount(), 1);
    EXPECT_EQ(window->statusPanel(0)->text(), QStringLiteral("1 Buchungen"));
    EXPECT_EQ(window->statusPanel(3)->text(), QStringLiteral("OK"));
    EXPECT_FALSE(window->BSpeichern()->isEnabled());
}

TEST_F(EntryPanel, InsertKeyStartsARowOnPageBuchenOnly) {
    start();
    page()->BDatum()->setFocus();
    QTest::keyClick(page()->BDatum(), Qt::Key_Insert);
    EXPECT_EQ(batch().state(), DsState::Insert);
    QTest::keyClick(focused(), Qt::Key_Escape);
    ASSERT_EQ(batch().state(), DsState::Browse);

    ASSERT_TRUE(window->pageControl()->requestPage(1));
    QWidget *search = window->findChild<QWidget *>(QStringLiteral("Edit1"));
    ASSERT_NE(search, nullptr);
    search->setFocus();
    QTest::keyClick(search, Qt::Key_Insert);
    EXPECT_EQ(batch().state(), DsState::Browse);
}

} // namespace ledra
