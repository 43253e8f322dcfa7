// Splitting and booking templates from the entry page: F4 fills the focused account field
// with the splitting account; templates are stored and deleted from the menu, and a text
// picked from the drop-down of the booking text fills accounts and amount.

#include "GuiFixture.h"

#include "app/qt/BuchenPage.h"
#include "app/qt/Panel.h"
#include "posting/BuchungRules.h"
#include "posting/StornoRules.h"

#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>
namespace ledra {

namespace {
class Templates : public BooksWindow {
protected:
    BuchenPage *page() { return window->buchenPage(); }
    Table &batch() { return window->core().books().stapel; }
    QStringList listed() {
        QStringList texts;
        for (int i = 0; i < page()->BuchText()->count(); ++i)
            texts << page()->BuchText()->itemText(i);
        return texts;
    }
    // Opens the drop-down of the booking text and clicks the entry with this text.
    void pick(const QString &text) {
        QComboBox *box = page()->BuchText();
        const int i = box->findText(text);
        ASSERT_GE(i, 0) << text.toStdString();
        box->showPopup();
        QAbstractItemView *v = box->view();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(v->window()));
        const QRect r = v->visualRect(v->model()->index(i, box->modelColumn()));
        QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, r.center());
    }
};
} // namespace

TEST_F(Templates, StoredTemplateFillsANewRowWhenPickedAndCanBeDeleted) {
    start();
    const auto &menu = window->entryMenu();
    page()->BDatum()->setFocus();
    ASSERT_NO_FATAL_FAILURE(bookByKeys(QStringLiteral("02.01.") + year(), QStringLiteral("1"),
                                       QStringLiteral("4930"), QStringLiteral("1200"),
                                       QStringLiteral("Toner"), QStringLiteral("119")));
    ASSERT_TRUE(menu.Favorithinzufuegen->isEnabled());
    ui.answers = {Btn::Yes};
    menu.Favorithinzufuegen->trigger();
    ASSERT_NO_FATAL_FAILURE(bookByKeys(QStringLiteral("03.01.") + year(), QStringLiteral("2"),
                                       QStringLiteral("1000"), QStringLiteral("8400"),
                                       QStringLiteral("Abo"), QStringLiteral("50")));
    ui.answers = {Btn::No};
    menu.Favorithinzufuegen->trigger();
    EXPECT_EQ(listed(), (QStringList{QStringLiteral("Abo"), QStringLiteral("Toner")}))
        << "the list is sorted, not in the order the templates were stored";
    EXPECT_TRUE(ui.messages.empty()) << messageTexts().join(QLatin1Char('|')).toStdString();

    // A new row starts with the previous row's accounts; the template replaces them.
    QTest::keyClick(focused(), Qt::Key_Insert);
    ASSERT_EQ(batch().state(), DsState::Insert);
    ASSERT_EQ(batch().asInt(QStringLiteral("Soll")), 1000);
    ASSERT_NO_FATAL_FAILURE(pick(QStringLiteral("Toner")));
    EXPECT_EQ(batch().state(), DsState::Insert);
    EXPECT_EQ(batch().asString(QStringLiteral("Buchungstext")), QStringLiteral("Toner"));
    EXPECT_EQ(batch().asInt(QStringLiteral("Soll")), 4930);
    EXPECT_EQ(batch().asInt(QStringLiteral("Haben")), 1200);
    EXPECT_EQ(batch().asMoney(QStringLiteral("Brutto")), Money::fromWhole(119));
    EXPECT_EQ(page()->Soll()->currentText(), QStringLiteral("4930"));
    EXPECT_EQ(page()->Haben()->currentText(), QStringLiteral("1200"));
    EXPECT_EQ(page()->Betrag()->text(), QStringLiteral("119,00"));
    EXPECT_EQ(page()->Mwst()->text(), QStringLiteral("19")) << "the accounts' exit handling ran";
    EXPECT_TRUE(page()->SollSaldo()->text().startsWith(QStringLiteral("Bürobedarf\n")));
    EXPECT_TRUE(menu.Favoritloeschen->isEnabled());
    EXPECT_FALSE(menu.Favorithinzufuegen->isEnabled());

    // The template without amount gives the amount 0.
    ASSERT_NO_FATAL_FAILURE(pick(QStringLiteral("Abo")));
    EXPECT_EQ(batch().asInt(QStringLiteral("Soll")), 1000);
    EXPECT_EQ(batch().asMoney(QStringLiteral("Brutto")), Money());

    ui.answers = {Btn::Yes};
    menu.Favoritloeschen->trigger();
    ASSERT_EQ(ui.questions.size(), 3u);
    EXPECT_EQ(ui.questions[2].text, QStringLiteral("Favorit \"Abo\" löschen?"));
    EXPECT_EQ(listed(), QStringList{QStringLiteral("Toner")});
    EXPECT_EQ(page()->BuchText()->currentText(), QStringLiteral("Abo"))
        << "refilling the list keeps the row's text";
}

TEST_F(Templates, NoTemplateOnceTheTransferHasEmptiedTheBatch) {
    start();
    const auto &menu = window->entryMenu();
    EXPECT_FALSE(menu.Favorithinzufuegen->isEnabled()) << "an empty batch has no row to take";
    page()->BDatum()->setFocus();
    ASSERT_NO_FATAL_FAILURE(bookByKeys(QStringLiteral("02.01.") + year(), QStringLiteral("1"),
                                       QStringLiteral("4930"), QStringLiteral("1200"),
                                       QStringLiteral("Toner"), QStringLiteral("119")));
    ASSERT_TRUE(menu.Favorithinzufuegen->isEnabled());
    QTest::keyClick(focused(), Qt::Key_Insert);
    EXPECT_FALSE(menu.Favorithinzufuegen->isEnabled()) << "not while a row is entered";
    QTest::keyClick(focused(), Qt::Key_Escape);
    ASSERT_EQ(batch().state(), DsState::Browse);
    EXPECT_TRUE(menu.Favorithinzufuegen->isEnabled());

    ui.answers = {Btn::Yes};
    window->BSpeichern()->click();
    ASSERT_EQ(batch().recordCount(), 0);
    EXPECT_FALSE(menu.Favorithinzufuegen->isEnabled());

    // Even asked directly, no template is made from no row.
    const int before = window->core().books().favoriten.recordCount();
    ui.clear();
    ui.answers = {Btn::Yes};
    addTemplate(window->core().books());
    EXPECT_TRUE(ui.questions.empty());
    EXPECT_EQ(window->core().books().favoriten.recordCount(), before);
    EXPECT_EQ(page()->BuchText()->findText(QString()), -1) << "no empty entry in the list";
}

TEST_F(Templates, F4PutsTheSplittingAccountIntoTheFocusedAccountField) {
    start();
    Table &accounts = window->core().books().konten;
    const int accountsBefore = accounts.recordCount();
    ASSERT_EQ(splittingAccountNumber(window->core().books()), 0);

    page()->BDatum()->setFocus();
    QTest::keyClick(page()->BDatum(), Qt::Key_Insert);
    EXPECT_TRUE(window->entryMenu().Splitting->isEnabled());
    page()->Soll()->setFocus(Qt::TabFocusReason);
    ASSERT_EQ(window->core().entry().focused(), QStringLiteral("Soll"));
    QTest::keyClick(page()->Soll(), Qt::Key_F4);

    const qint64 nr = splittingAccountNumber(window->core().books());
    ASSERT_NE(nr, 0) << "F4 created the account";
    EXPECT_EQ(batch().asInt(QStringLiteral("Soll")), nr);
    EXPECT_TRUE(batch().isNull(QStringLiteral("Haben")));
    EXPECT_EQ(page()->Soll()->currentText(), QString::number(nr));
    EXPECT_EQ(focused(), page()->Soll());
    QTest::keyClick(page()->Soll(), Qt::Key_Tab);
    ASSERT_EQ(focused(), page()->Haben());
    EXPECT_TRUE(page()->SollSaldo()->text().startsWith(QStringLiteral("SPLITTING\n")));

    QTest::keyClick(page()->Haben(), Qt::Key_F4);
    EXPECT_EQ(batch().asInt(QStringLiteral("Haben")), nr);
    accounts.refresh();
    EXPECT_EQ(accounts.recordCount(), accountsBefore + 1) << "one splitting account only";
    EXPECT_TRUE(ui.messages.empty()) << messageTexts().join(QLatin1Char('|')).toStdString();

    // Outside the account fields F4 only explains itself.
    retype(page()->BuchText(), QStringLiteral("Aufteilung"));
    QTest::keyClick(page()->BuchText(), Qt::Key_F4);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_TRUE(ui.messages[0].text.startsWith(QStringLiteral("- neuen Buchungssatz anlegen")));
    EXPECT_EQ(batch().asInt(QStringLiteral("Soll")), nr);
    EXPECT_EQ(batch().asInt(QStringLiteral("Haben")), nr);
}

} // namespace ledra
