// The item model over a table: consistency under every table operation, reading rows without
// disturbing the table, the row being inserted, the texts of the batch grid, and the
// navigator bar over a table.

#include "app/qt/TableModel.h"
#include "app/qt/BuchenPage.h"
#include "app/qt/DbNavigator.h"
#include "support/Fixture.h"
#include "ui/ScriptedUi.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>
namespace ledra {

namespace {

QStringList g_modelWarnings;

void collectWarnings(QtMsgType type, const QMessageLogContext &ctx, const QString &msg) {
    if (type != QtDebugMsg &&
        QByteArray(ctx.category ? ctx.category : "").startsWith("qt.modeltest"))
        g_modelWarnings << msg;
}

class BatchTable : public ::testing::Test {
protected:
    void SetUp() override {
        table.setFolder(data.base);
        table.open();
    }
    // Rows with the text "Zeile <n>", n from 0.
    void addRows(int n) {
        for (int i = 0; i < n; ++i)
            table.appendRecord({i + 1, QDate(2024, 1, 1 + i % 28),
                                QStringLiteral("Zeile %1").arg(i), 1200, 8400, QVariant(),
                                QVariant::fromValue(Money::fromCents(100 * i)), QVariant(), 19.0,
                                i + 1, QVariant(), true});
        table.first();
    }
    QString text(const TableModel &m, int row,
                 const QString &field = QStringLiteral("Buchungstext")) {
        return m.data(m.index(row, m.columnOf(field))).toString();
    }
    QString storedText(int row) {
        Table other(Schemas::buchung());
        other.setFolder(data.base);
        other.open();
        other.moveTo(row);
        return other.asString(QStringLiteral("Buchungstext"));
    }

    DataFixture data;
    Table table{Schemas::buchung(), QStringLiteral("TBuchungen")};
};

QList<TableColumn> textColumns(bool editable = false) {
    TableColumn text{QStringLiteral("Buchungstext"), QStringLiteral("Buchungstext")};
    text.editable = editable;
    return {{QStringLiteral("Belegnummer"), QStringLiteral("Belegnr.")}, text};
}

} // namespace

TEST_F(BatchTable, ModelStaysConsistentThroughEveryTableOperation) {
    addRows(5);
    TableModel model(table, textColumns());
    g_modelWarnings.clear();
    auto old = qInstallMessageHandler(collectWarnings);
    {
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::Warning);
        auto touchAll = [&] {
            for (int r = 0; r < model.rowCount(); ++r)
                model.data(model.index(r, 1));
        };
        table.insert();
        table.setValue(QStringLiteral("Buchungstext"), QStringLiteral("neu"));
        EXPECT_EQ(model.rowCount(), 6);
        touchAll();
        table.cancel();
        EXPECT_EQ(model.rowCount(), 5);
        table.insert();
        table.setValue(QStringLiteral("Autonummer"), 1000);
        table.setValue(QStringLiteral("Buchungstext"), QStringLiteral("bleibt"));
        table.post();
        EXPECT_EQ(model.rowCount(), 6);
        touchAll();
        table.moveTo(2);
        table.edit();
        table.setValue(QStringLiteral("Buchungstext"), QStringLiteral("geändert"));
        table.post();
        table.moveTo(0);
        table.remove();
        EXPECT_EQ(model.rowCount(), 5);
        table.setFilter(QStringLiteral("Belegnummer > ?"), {3});
        EXPECT_EQ(model.rowCount(), table.recordCount());
        touchAll();
        table.clearFilter();
        table.refresh();
        table.close();
        EXPECT_EQ(model.rowCount(), 0);
        touchAll();
        table.open();
        EXPECT_EQ(model.rowCount(), 5);
        touchAll();
    }
    qInstallMessageHandler(old);
    EXPECT_TRUE(g_modelWarnings.isEmpty()) << g_modelWarnings.join(QLatin1Char('\n')).toStdString();
}

TEST_F(BatchTable, ReadsRowsInTableOrderAndLeavesTheCursorWhereItWas) {
    addRows(150); // more than one pass of the cursor
    int scrolls = 0;
    table.afterScroll = [&](Table &) { ++scrolls; };
    table.moveTo(7);
    scrolls = 0;
    TableModel model(table, textColumns());
    QSignalSpy moved(&model, &TableModel::currentRowChanged);

    ASSERT_EQ(model.rowCount(), 150);
    for (int r : {149, 0, 64, 63, 100, 7})
        EXPECT_EQ(text(model, r), QStringLiteral("Zeile %1").arg(r)) << r;
    EXPECT_EQ(table.recNo(), 7);
    EXPECT_EQ(scrolls, 0) << "reading must not run the table's scroll handler";
    EXPECT_EQ(moved.count(), 0) << "reading is no cursor move for the views";

    // The handler is back in place for real moves.
    table.next();
    EXPECT_EQ(scrolls, 1);
    EXPECT_EQ(moved.count(), 1);
    EXPECT_EQ(model.currentRow(), 8);
}

TEST_F(BatchTable, NeverMovesTheCursorWhileTheTableIsBusy) {
    addRows(150);
    TableModel model(table, textColumns());
    EXPECT_EQ(text(model, 10), QStringLiteral("Zeile 10")); // reads the first block

    table.moveTo(3);
    table.edit();
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    table.setValue(QStringLiteral("Buchungstext"), QStringLiteral("geändert"));
    ASSERT_GE(changed.count(), 1);
    EXPECT_EQ(changed.last().at(0).value<QModelIndex>().row(), 3);

    EXPECT_EQ(text(model, 3), QStringLiteral("geändert"))
        << "the row being edited shows the typed value";
    EXPECT_EQ(text(model, 10), QStringLiteral("Zeile 10")) << "rows read before stay readable";
    EXPECT_TRUE(model.data(model.index(120, 1)).toString().isEmpty())
        << "no read that would post the edit";
    EXPECT_TRUE(table.isEditing());
    EXPECT_EQ(table.recNo(), 3);
    EXPECT_EQ(storedText(3), QStringLiteral("Zeile 3"));

    table.cancel();
    EXPECT_EQ(text(model, 3), QStringLiteral("Zeile 3"));
    EXPECT_EQ(text(model, 120), QStringLiteral("Zeile 120"));

    // A bulk operation disables the controls and walks the table itself.
    TableModel fresh(table, textColumns());
    table.disableControls();
    table.moveTo(40);
    EXPECT_TRUE(fresh.data(fresh.index(130, 1)).toString().isEmpty());
    EXPECT_EQ(table.recNo(), 40);
    table.enableControls();
    EXPECT_EQ(text(fresh, 130), QStringLiteral("Zeile 130"));
}

TEST_F(BatchTable, RowBeingInsertedIsTheLastRowUntilStoredOrCancelled) {
    addRows(3);
    TableModel model(table, textColumns());
    EXPECT_EQ(text(model, 0), QStringLiteral("Zeile 0")); // as a view paints before the insert
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);

    table.insert();
    ASSERT_EQ(inserted.count(), 1);
    EXPECT_EQ(model.rowCount(), 4);
    EXPECT_EQ(model.currentRow(), 3);
    table.setValue(QStringLiteral("Buchungstext"), QStringLiteral("neu"));
    EXPECT_EQ(text(model, 3), QStringLiteral("neu"));
    EXPECT_EQ(text(model, 0), QStringLiteral("Zeile 0"));
    table.cancel();
    EXPECT_EQ(removed.count(), 1);
    EXPECT_EQ(model.rowCount(), 3);

    table.insert();
    table.setValue(QStringLiteral("Autonummer"), 1000);
    table.setValue(QStringLiteral("Buchungstext"), QStringLiteral("gespeichert"));
    table.post();
    EXPECT_EQ(model.rowCount(), 4);
    EXPECT_EQ(text(model, model.currentRow()), QStringLiteral("gespeichert"));
}

TEST_F(BatchTable, EditingACellEditsThatRowOfTheTable) {
    addRows(10);
    TableModel model(table, textColumns(true));
    EXPECT_FALSE(model.flags(model.index(0, 0)) & Qt::ItemIsEditable);
    ASSERT_TRUE(model.flags(model.index(0, 1)) & Qt::ItemIsEditable);

    ASSERT_TRUE(model.setData(model.index(6, 1), QStringLiteral("neuer Text")));
    EXPECT_EQ(table.state(), DsState::Edit);
    EXPECT_EQ(table.recNo(), 6);
    EXPECT_EQ(text(model, 6), QStringLiteral("neuer Text"));
    table.post();
    EXPECT_EQ(storedText(6), QStringLiteral("neuer Text"));

    // A refusal by the table's rules leaves the row as it was.
    table.beforeEdit = [](Table &) { throw SilentAbort(); };
    EXPECT_FALSE(model.setData(model.index(2, 1), QStringLiteral("nein")));
    EXPECT_TRUE(table.isBrowse());
    EXPECT_EQ(text(model, 2), QStringLiteral("Zeile 2"));
}

TEST_F(BatchTable, ViewFollowsTheCursorAndMovesItWhenARowIsPicked) {
    addRows(12);
    TableModel model(table, textColumns());
    QTableView view;
    view.setModel(&model);
    view.setSelectionBehavior(QAbstractItemView::SelectRows);
    followTableCursor(&view, &model);

    table.moveTo(4);
    EXPECT_EQ(view.currentIndex().row(), 4);
    EXPECT_TRUE(view.selectionModel()->isRowSelected(4, QModelIndex()));

    view.selectionModel()->setCurrentIndex(model.index(9, 0), QItemSelectionModel::ClearAndSelect);
    EXPECT_EQ(table.recNo(), 9);

    // Picking another row while a new row fails its checks keeps the new row current.
    table.insert();
    table.beforePost = [](Table &) { throw SilentAbort(); };
    view.selectionModel()->setCurrentIndex(model.index(2, 0), QItemSelectionModel::ClearAndSelect);
    QCoreApplication::processEvents();
    EXPECT_EQ(table.state(), DsState::Insert);
    EXPECT_EQ(view.currentIndex().row(), 12);
}

TEST_F(BatchTable, BatchGridShowsAmountsWithTheCurrencyOfTheirRow) {
    const auto cents = [](qint64 c) { return QVariant::fromValue(Money::fromCents(c)); };
    table.appendRecord({1, QDate(2024, 3, 5), QStringLiteral("Euro"), 1200, 8400, cents(103743),
                        cents(123456), cents(19713), 19.0, 17, QVariant(), true, cents(19713),
                        19.0});
    table.appendRecord({2, QDate(2001, 12, 31), QStringLiteral("Mark"), 1000, 8300, cents(9346),
                        cents(10000), QVariant(), 7.0, 18, QVariant(), false, QVariant(), 16.5});
    table.appendRecord({3, QDate(2024, 1, 2), QStringLiteral("ohne Kennzeichen"), 1000, 8300,
                        cents(500), cents(500), cents(0), 0.0, 19, QVariant(), QVariant()});
    table.first();
    TableModel model(table, BuchenPage::gridColumns());
    ASSERT_EQ(model.columnCount(), 11);
    auto cell = [&](int row, const char *field) {
        return text(model, row, QString::fromLatin1(field));
    };

    EXPECT_EQ(cell(0, "Belegdatum"), QStringLiteral("05.03.2024"));
    EXPECT_EQ(cell(0, "Brutto"), QStringLiteral("1.234,56 €"));
    EXPECT_EQ(cell(0, "Netto"), QStringLiteral("1.037,43 €"));
    EXPECT_EQ(cell(0, "Stfaellig"), QStringLiteral("197,13 €"));
    EXPECT_EQ(cell(0, "Steuersatz"), QStringLiteral("19"));
    EXPECT_EQ(cell(1, "Brutto"), QStringLiteral("100,00 DM"));
    EXPECT_EQ(cell(1, "Steuer"), QString()) << "an empty amount stays empty";
    EXPECT_EQ(cell(1, "Satzfaellig"), QStringLiteral("16,5"));
    EXPECT_EQ(cell(2, "Brutto"), QStringLiteral("5,00 €"));
    EXPECT_EQ(cell(2, "Steuer"), QStringLiteral("0,00 €"));

    const QStringList titles{"Belegdatum",   "Belegnr.",      "Soll",       "Haben",
                             "Buchungstext", "Brutto",        "Steuer",     "Netto",
                             "Steuersatz",   "Steuer fällig", "Satz fällig"};
    for (int c = 0; c < titles.size(); ++c)
        EXPECT_EQ(model.headerData(c, Qt::Horizontal).toString(), titles[c]);
}

TEST_F(BatchTable, NavigatorRunsTableOperationsAndShowsRefusals) {
    addRows(3);
    ScriptedUi ui;
    DbNavigator nav(table, ui);
    auto button = [&](DbNavigator::Button b) { return nav.button(b); };

    table.last();
    EXPECT_FALSE(button(DbNavigator::Next)->isEnabled());
    EXPECT_TRUE(button(DbNavigator::First)->isEnabled());
    EXPECT_FALSE(button(DbNavigator::Post)->isEnabled());

    ui.answers = {Btn::Cancel};
    button(DbNavigator::Delete)->click();
    ASSERT_EQ(ui.questions.size(), 1u);
    EXPECT_EQ(ui.questions[0].text, QStringLiteral("Datensatz löschen?"));
    EXPECT_EQ(table.recordCount(), 3);
    ui.answers = {Btn::Ok};
    button(DbNavigator::Delete)->click();
    EXPECT_EQ(table.recordCount(), 2);

    button(DbNavigator::Insert)->click();
    EXPECT_EQ(table.state(), DsState::Insert);
    EXPECT_TRUE(button(DbNavigator::Post)->isEnabled());
    EXPECT_FALSE(button(DbNavigator::Edit)->isEnabled());
    button(DbNavigator::Post)->click(); // the new row lacks its required booking number
    EXPECT_TRUE(ui.saw(QStringLiteral("Feld 'Autonummer' muss einen Wert haben.")));
    EXPECT_EQ(table.state(), DsState::Insert);
    button(DbNavigator::Cancel)->click();
    EXPECT_TRUE(table.isBrowse());
    EXPECT_EQ(table.recordCount(), 2);
}

} // namespace ledra
