#pragma once
// A Qt item model over a Table, the way a data-aware grid sees its dataset: the rows are the
// table's rows in its current order, the columns are chosen fields. The Table keeps only the
// ordered row ids, so the model reads records on demand by moving the table's cursor over a
// small block of rows and back again, and keeps the texts of recently read rows.
//
// Reading never posts: while the table is being edited, inserted into, or while its controls
// are disabled (a bulk operation walks it), the model does not move the cursor and shows
// what it has read before. Code that walks a table while messages may be shown (and the
// window may repaint) therefore disables the table's controls first, as with any grid.
//
// A row being inserted is shown as an extra last row until it is stored or cancelled.

#include "store/Table.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <QStringList>
#include <functional>

class QTableView;
namespace ledra {

struct TableColumn {
    QString field; // field or look-up name of the table; also the key of its stored width
    QString title;
    Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter;
    // Text of the field on the table's current row; empty: the field's plain text.
    std::function<QString(const Table &)> text = nullptr;
    bool editable = false;
    // Further values of the row that a delegate needs to draw the cell (Qt::UserRole); read and
    // cached together with the texts.
    std::function<QVariant(const Table &)> userData = nullptr;
    // The widest text the column usually holds ("999.999,99 €"): its first width, so that an
    // empty grid does not open with columns that the first rows overflow.
    QString sample = QString();
};

class TableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    TableModel(Table &table, QList<TableColumn> columns, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    // Editing a cell puts the table into edit state on that row and sets the field; the
    // table's own events decide whether the value is taken.
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

    Table &table() const { return m_table; }
    const TableColumn &column(int c) const { return m_columns.at(c); }
    int columnOf(const QString &field) const;
    // The row of the table's cursor (the extra row while inserting); -1 when there is none.
    int currentRow() const;
    // Moves the table's cursor to a row picked in a view; a pending edit is posted first, as
    // a grid does. False when the table refused (the reason went to tableError or was shown
    // by the rules already).
    bool moveCursorTo(int row);

    // The bookmark of a row, read as the rows are read: the cursor comes back and nobody
    // sees it move. 0 when the row cannot be read now (the table is busy or being edited).
    qint64 bookmarkAt(int row) const;

    // True while some model moves the cursor of `table` to read rows. Other observers of the
    // table ignore its Current notifications during that time.
    static bool isReading(const Table &table);
    // Reads the table afresh (after an operation that changed its file behind its back).
    void reload();

signals:
    void currentRowChanged(int row);
    void tableError(const QString &message);

private:
    void onTableChange(Table::Change change);
    void syncInsertRow();
    int tableRows() const;
    bool canMoveCursor() const;
    struct Row {
        QStringList texts;
        QVariantList user;
    };
    Row readCurrent() const;
    QVariant cellOfCurrent(int column, int role) const;
    const Row *cachedRow(int row) const;

    Table &m_table;
    QList<TableColumn> m_columns;
    int m_rows = 0;
    bool m_insertRow = false;
    mutable QHash<int, Row> m_cache;
};

// Gives every column of `view` room for its head, its sample text and the rows shown now.
void fitColumns(QTableView *view, const TableModel *model);
// The width a column needs at least: its head and its sample text must be readable (a cut
// amount is a misread amount).
int minimumColumnWidth(const QTableView *view, const TableModel *model, int column);

// Lets a view follow the table's cursor (the current row is the selected row) and move the
// cursor when the user picks another row.
void followTableCursor(QTableView *view, TableModel *model);

} // namespace ledra
