#include "TableModel.h"

#include "ui/Ui.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPointer>
#include <QScopedValueRollback>
#include <QSet>
#include <QStyle>
#include <QTableView>
#include <QTimer>

#include <memory>
namespace ledra {

namespace {
// Rows read in one pass of the cursor; a screenful of a grid fits in one or two passes.
constexpr int kBlock = 64;
// Texts kept for this many rows at most; beyond that the cache starts afresh.
constexpr int kCacheLimit = 4096;

QSet<const Table *> &readingTables() {
    static QSet<const Table *> tables;
    return tables;
}

// While the cursor wanders over rows to read them, the table is marked as being read and
// its after-scroll handler (a rule) is kept from running: nothing has really scrolled.
class ReadingGuard {
public:
    explicit ReadingGuard(Table &t) : m_t(t), m_afterScroll(std::move(t.afterScroll)) {
        m_t.afterScroll = nullptr;
        readingTables().insert(&m_t);
    }
    ~ReadingGuard() {
        readingTables().remove(&m_t);
        m_t.afterScroll = std::move(m_afterScroll);
    }
    ReadingGuard(const ReadingGuard &) = delete;
    ReadingGuard &operator=(const ReadingGuard &) = delete;

private:
    Table &m_t;
    TableEvent m_afterScroll;
};
} // namespace

TableModel::TableModel(Table &table, QList<TableColumn> columns, QObject *parent)
    : QAbstractTableModel(parent), m_table(table), m_columns(std::move(columns)) {
    m_insertRow = m_table.isActive() && m_table.state() == DsState::Insert;
    m_rows = tableRows() + (m_insertRow ? 1 : 0);
    // The table outlives no window, but a model may go before its table: the guard keeps a
    // late notification from reaching a deleted model.
    QPointer<TableModel> self(this);
    m_table.addObserver([self](Table::Change c) {
        if (self)
            self->onTableChange(c);
    });
}

bool TableModel::isReading(const Table &table) {
    return readingTables().contains(&table);
}

int TableModel::tableRows() const {
    return m_table.isActive() ? m_table.recordCount() : 0;
}

int TableModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : m_rows;
}

int TableModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(m_columns.size());
}

int TableModel::columnOf(const QString &field) const {
    for (int i = 0; i < m_columns.size(); ++i)
        if (m_columns[i].field.compare(field, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

int TableModel::currentRow() const {
    if (!m_table.isActive())
        return -1;
    if (m_table.state() == DsState::Insert)
        return m_insertRow ? m_rows - 1 : -1;
    const int r = m_table.recNo();
    return r < m_rows ? r : -1;
}

bool TableModel::canMoveCursor() const {
    return m_table.isActive() && m_table.isBrowse() && !m_table.controlsDisabled() &&
           !isReading(m_table);
}

TableModel::Row TableModel::readCurrent() const {
    Row r;
    r.texts.reserve(m_columns.size());
    r.user.reserve(m_columns.size());
    for (const auto &c : m_columns) {
        r.texts << (c.text ? c.text(m_table) : m_table.asString(c.field));
        r.user << (c.userData ? c.userData(m_table) : QVariant());
    }
    return r;
}

QVariant TableModel::cellOfCurrent(int column, int role) const {
    const TableColumn &c = m_columns[column];
    if (role == Qt::UserRole)
        return c.userData ? c.userData(m_table) : QVariant();
    return c.text ? c.text(m_table) : m_table.asString(c.field);
}

const TableModel::Row *TableModel::cachedRow(int row) const {
    auto it = m_cache.constFind(row);
    if (it != m_cache.constEnd())
        return &it.value();
    const int n = m_table.isActive() ? m_table.recordCount() : 0;
    if (row >= n || !canMoveCursor())
        return nullptr;

    if (m_cache.size() > kCacheLimit)
        m_cache.clear();
    const int start = row / kBlock * kBlock;
    const int end = std::min(n, start + kBlock);
    const int saved = m_table.recNo();
    ReadingGuard guard(m_table);
    try {
        m_table.moveTo(start);
        for (int r = start; r < end; ++r) {
            if (r > start)
                m_table.next();
            m_cache.insert(r, readCurrent());
        }
        m_table.moveTo(saved);
    } catch (const std::exception &) {
        try {
            m_table.moveTo(saved);
        } catch (const std::exception &) {
        }
        return nullptr;
    }
    it = m_cache.constFind(row);
    return it != m_cache.constEnd() ? &it.value() : nullptr;
}

qint64 TableModel::bookmarkAt(int row) const {
    if (!canMoveCursor() || row < 0 || row >= m_table.recordCount())
        return 0;
    const int saved = m_table.recNo();
    ReadingGuard guard(m_table);
    qint64 id = 0;
    try {
        m_table.moveTo(row);
        id = m_table.bookmark();
        m_table.moveTo(saved);
    } catch (const std::exception &) {
        try {
            m_table.moveTo(saved);
        } catch (const std::exception &) {
        }
        return 0;
    }
    return id;
}

QVariant TableModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || index.row() >= m_rows || index.column() >= m_columns.size())
        return {};
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(m_columns[index.column()].align);
    if (role != Qt::DisplayRole && role != Qt::EditRole && role != Qt::UserRole)
        return {};
    if (!m_table.isActive())
        return {};
    try {
        // The row being edited is read where it stands, so an edit shows while it is typed.
        // Other rows come from the cache, so that they stay readable once an edit begins.
        const bool current = index.row() == currentRow();
        if (current && m_table.isEditing())
            return cellOfCurrent(index.column(), role);
        if (const Row *r = cachedRow(index.row()))
            return role == Qt::UserRole ? r->user.value(index.column())
                                        : QVariant(r->texts.value(index.column()));
        if (current)
            return cellOfCurrent(index.column(), role);
    } catch (const std::exception &) {
        // A row that cannot be read shows empty; the rules report the damage when they touch it.
    }
    return {};
}

QVariant TableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= m_columns.size())
        return {};
    if (role == Qt::DisplayRole)
        return m_columns[section].title;
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(m_columns[section].align);
    return {};
}

Qt::ItemFlags TableModel::flags(const QModelIndex &index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    if (m_columns[index.column()].editable && m_table.isActive())
        f |= Qt::ItemIsEditable;
    return f;
}

bool TableModel::setData(const QModelIndex &index, const QVariant &value, int role) {
    if (role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable))
        return false;
    if (index.row() != currentRow() && !moveCursorTo(index.row()))
        return false;
    try {
        m_table.edit();
        m_table.setValue(m_columns[index.column()].field, value);
        return true;
    } catch (const SilentAbort &) {
    } catch (const EngineError &e) {
        emit tableError(e.message());
    } catch (const std::exception &e) {
        emit tableError(QString::fromUtf8(e.what()));
    }
    return false;
}

bool TableModel::moveCursorTo(int row) {
    if (!m_table.isActive() || row < 0 || row >= m_rows || row == currentRow())
        return true;
    if (m_insertRow && row == m_rows - 1)
        return true;
    try {
        m_table.moveTo(row);
        return true;
    } catch (const SilentAbort &) {
    } catch (const EngineError &e) {
        emit tableError(e.message());
    } catch (const std::exception &e) {
        emit tableError(QString::fromUtf8(e.what()));
    }
    return false;
}

void TableModel::reload() {
    onTableChange(Table::Change::Reset);
}

void TableModel::syncInsertRow() {
    const bool inserting = m_table.isActive() && m_table.state() == DsState::Insert;
    if (inserting == m_insertRow)
        return;
    if (inserting) {
        beginInsertRows(QModelIndex(), m_rows, m_rows);
        m_insertRow = true;
        ++m_rows;
        endInsertRows();
    } else {
        beginRemoveRows(QModelIndex(), m_rows - 1, m_rows - 1);
        m_insertRow = false;
        --m_rows;
        endRemoveRows();
    }
}

void TableModel::onTableChange(Table::Change change) {
    switch (change) {
    case Table::Change::Reset:
        beginResetModel();
        m_cache.clear();
        m_insertRow = m_table.isActive() && m_table.state() == DsState::Insert;
        m_rows = tableRows() + (m_insertRow ? 1 : 0);
        endResetModel();
        emit currentRowChanged(currentRow());
        break;
    case Table::Change::Current:
        if (!isReading(m_table))
            emit currentRowChanged(currentRow());
        break;
    case Table::Change::State:
    case Table::Change::Data: {
        syncInsertRow();
        const int r = currentRow();
        if (r >= 0 && r < m_rows) {
            m_cache.remove(r);
            emit dataChanged(index(r, 0), index(r, int(m_columns.size()) - 1));
        }
        if (change == Table::Change::State)
            emit currentRowChanged(r);
        break;
    }
    }
}

int minimumColumnWidth(const QTableView *view, const TableModel *model, int column) {
    int w = view->horizontalHeader()->sectionSizeHint(column);
    const QString &sample = model->column(column).sample;
    if (!sample.isEmpty()) {
        // The cell's text margins of the style, on both sides, plus a little air.
        const int padding =
            2 * (view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1) + 8;
        w = std::max(w, QFontMetrics(view->font()).horizontalAdvance(sample) + padding);
    }
    return w;
}

void fitColumns(QTableView *view, const TableModel *model) {
    for (int c = 0; c < model->columnCount(); ++c) {
        view->resizeColumnToContents(c); // the head and the rows shown now
        view->setColumnWidth(c, std::max(view->columnWidth(c), minimumColumnWidth(view, model, c)));
    }
}

void followTableCursor(QTableView *view, TableModel *model) {
    // While the view moves the cursor itself, its own selection command (a plain click
    // selects the row, Ctrl+click adds it to the marked rows) decides what is selected.
    auto viewMoving = std::make_shared<bool>(false);
    // A stored row reloads the model, which forgets the view's current cell: the column the
    // person works in is kept across the reload, so that the next key edits the same cell.
    auto column = std::make_shared<int>(0);
    auto select = [view, model, viewMoving, column](int row) {
        QItemSelectionModel *sm = view->selectionModel();
        if (!sm || *viewMoving)
            return;
        if (row < 0) {
            sm->clearSelection();
            return;
        }
        const QModelIndex cur = sm->currentIndex();
        const QModelIndex idx = model->index(row, cur.isValid() ? cur.column() : *column);
        if (cur == idx && sm->isRowSelected(row, QModelIndex()))
            return;
        sm->setCurrentIndex(idx, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    };
    QObject::connect(model, &TableModel::currentRowChanged, view, select);
    QObject::connect(view->selectionModel(), &QItemSelectionModel::currentChanged, view,
                     [column](const QModelIndex &now, const QModelIndex &) {
                         if (now.isValid())
                             *column = now.column();
                     });
    QObject::connect(
        view->selectionModel(), &QItemSelectionModel::currentRowChanged, view,
        [view, model, select, viewMoving](const QModelIndex &now, const QModelIndex &) {
            if (!now.isValid() || now.row() == model->currentRow())
                return;
            bool moved = false;
            {
                QScopedValueRollback<bool> guard(*viewMoving, true);
                moved = model->moveCursorTo(now.row());
            }
            // A refused move (say the pending row failed its checks) puts the
            // selection back once the selection model has finished its signal.
            if (!moved)
                QTimer::singleShot(0, view, [model, select] { select(model->currentRow()); });
            // Leaving a changed row stores it and reloads the model, which took the view's
            // current cell with it: the row moved to is current again at once.
            else if (!view->selectionModel()->currentIndex().isValid())
                select(model->currentRow());
        });
    select(model->currentRow());
}

} // namespace ledra
