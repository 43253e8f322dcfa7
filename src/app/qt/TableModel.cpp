#include "TableModel.h"

#include "ui/Ui.h"

#include <QItemSelectionModel>
#include <QPointer>
#include <QScopedValueRollback>
#include <QSet>
#include <QTableView>
#include <QTimer>

#include <memory>

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
    explicit ReadingGuard(Table &t) : t_(t), afterScroll_(std::move(t.afterScroll)) {
        t_.afterScroll = nullptr;
        readingTables().insert(&t_);
    }
    ~ReadingGuard() {
        readingTables().remove(&t_);
        t_.afterScroll = std::move(afterScroll_);
    }
    ReadingGuard(const ReadingGuard &) = delete;
    ReadingGuard &operator=(const ReadingGuard &) = delete;

private:
    Table &t_;
    TableEvent afterScroll_;
};
} // namespace

TableModel::TableModel(Table &table, QList<TableColumn> columns, QObject *parent)
    : QAbstractTableModel(parent), table_(table), columns_(std::move(columns)) {
    insertRow_ = table_.isActive() && table_.state() == DsState::Insert;
    rows_ = tableRows() + (insertRow_ ? 1 : 0);
    // The table outlives no window, but a model may go before its table: the guard keeps a
    // late notification from reaching a deleted model.
    QPointer<TableModel> self(this);
    table_.addObserver([self](Table::Change c) {
        if (self)
            self->onTableChange(c);
    });
}

bool TableModel::isReading(const Table &table) {
    return readingTables().contains(&table);
}

int TableModel::tableRows() const {
    return table_.isActive() ? table_.recordCount() : 0;
}

int TableModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : rows_;
}

int TableModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(columns_.size());
}

int TableModel::columnOf(const QString &field) const {
    for (int i = 0; i < columns_.size(); ++i)
        if (columns_[i].field.compare(field, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

int TableModel::currentRow() const {
    if (!table_.isActive())
        return -1;
    if (table_.state() == DsState::Insert)
        return insertRow_ ? rows_ - 1 : -1;
    const int r = table_.recNo();
    return r < rows_ ? r : -1;
}

bool TableModel::canMoveCursor() const {
    return table_.isActive() && table_.isBrowse() && !table_.controlsDisabled() &&
           !isReading(table_);
}

TableModel::Row TableModel::readCurrent() const {
    Row r;
    r.texts.reserve(columns_.size());
    r.user.reserve(columns_.size());
    for (const auto &c : columns_) {
        r.texts << (c.text ? c.text(table_) : table_.asString(c.field));
        r.user << (c.userData ? c.userData(table_) : QVariant());
    }
    return r;
}

QVariant TableModel::cellOfCurrent(int column, int role) const {
    const TableColumn &c = columns_[column];
    if (role == Qt::UserRole)
        return c.userData ? c.userData(table_) : QVariant();
    return c.text ? c.text(table_) : table_.asString(c.field);
}

const TableModel::Row *TableModel::cachedRow(int row) const {
    auto it = cache_.constFind(row);
    if (it != cache_.constEnd())
        return &it.value();
    const int n = table_.isActive() ? table_.recordCount() : 0;
    if (row >= n || !canMoveCursor())
        return nullptr;

    if (cache_.size() > kCacheLimit)
        cache_.clear();
    const int start = row / kBlock * kBlock;
    const int end = std::min(n, start + kBlock);
    const int saved = table_.recNo();
    ReadingGuard guard(table_);
    try {
        table_.moveTo(start);
        for (int r = start; r < end; ++r) {
            if (r > start)
                table_.next();
            cache_.insert(r, readCurrent());
        }
        table_.moveTo(saved);
    } catch (const std::exception &) {
        try {
            table_.moveTo(saved);
        } catch (const std::exception &) {
        }
        return nullptr;
    }
    it = cache_.constFind(row);
    return it != cache_.constEnd() ? &it.value() : nullptr;
}

qint64 TableModel::bookmarkAt(int row) const {
    if (!canMoveCursor() || row < 0 || row >= table_.recordCount())
        return 0;
    const int saved = table_.recNo();
    ReadingGuard guard(table_);
    qint64 id = 0;
    try {
        table_.moveTo(row);
        id = table_.bookmark();
        table_.moveTo(saved);
    } catch (const std::exception &) {
        try {
            table_.moveTo(saved);
        } catch (const std::exception &) {
        }
        return 0;
    }
    return id;
}

QVariant TableModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || index.row() >= rows_ || index.column() >= columns_.size())
        return {};
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(columns_[index.column()].align);
    if (role != Qt::DisplayRole && role != Qt::EditRole && role != Qt::UserRole)
        return {};
    if (!table_.isActive())
        return {};
    try {
        // The row being edited is read where it stands, so an edit shows while it is typed.
        // Other rows come from the cache, so that they stay readable once an edit begins.
        const bool current = index.row() == currentRow();
        if (current && table_.isEditing())
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
    if (orientation != Qt::Horizontal || section < 0 || section >= columns_.size())
        return {};
    if (role == Qt::DisplayRole)
        return columns_[section].title;
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(columns_[section].align);
    return {};
}

Qt::ItemFlags TableModel::flags(const QModelIndex &index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    if (columns_[index.column()].editable && table_.isActive())
        f |= Qt::ItemIsEditable;
    return f;
}

bool TableModel::setData(const QModelIndex &index, const QVariant &value, int role) {
    if (role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable))
        return false;
    if (index.row() != currentRow() && !moveCursorTo(index.row()))
        return false;
    try {
        table_.edit();
        table_.setValue(columns_[index.column()].field, value);
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
    if (!table_.isActive() || row < 0 || row >= rows_ || row == currentRow())
        return true;
    if (insertRow_ && row == rows_ - 1)
        return true;
    try {
        table_.moveTo(row);
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
    const bool inserting = table_.isActive() && table_.state() == DsState::Insert;
    if (inserting == insertRow_)
        return;
    if (inserting) {
        beginInsertRows(QModelIndex(), rows_, rows_);
        insertRow_ = true;
        ++rows_;
        endInsertRows();
    } else {
        beginRemoveRows(QModelIndex(), rows_ - 1, rows_ - 1);
        insertRow_ = false;
        --rows_;
        endRemoveRows();
    }
}

void TableModel::onTableChange(Table::Change change) {
    switch (change) {
    case Table::Change::Reset:
        beginResetModel();
        cache_.clear();
        insertRow_ = table_.isActive() && table_.state() == DsState::Insert;
        rows_ = tableRows() + (insertRow_ ? 1 : 0);
        endResetModel();
        emit currentRowChanged(currentRow());
        break;
    case Table::Change::Current:
        if (!isReading(table_))
            emit currentRowChanged(currentRow());
        break;
    case Table::Change::State:
    case Table::Change::Data: {
        syncInsertRow();
        const int r = currentRow();
        if (r >= 0 && r < rows_) {
            cache_.remove(r);
            emit dataChanged(index(r, 0), index(r, int(columns_.size()) - 1));
        }
        if (change == Table::Change::State)
            emit currentRowChanged(r);
        break;
    }
    }
}

void followTableCursor(QTableView *view, TableModel *model) {
    // While the view moves the cursor itself, its own selection command (a plain click
    // selects the row, Ctrl+click adds it to the marked rows) decides what is selected.
    auto viewMoving = std::make_shared<bool>(false);
    auto select = [view, model, viewMoving](int row) {
        QItemSelectionModel *sm = view->selectionModel();
        if (!sm || *viewMoving)
            return;
        if (row < 0) {
            sm->clearSelection();
            return;
        }
        const QModelIndex cur = sm->currentIndex();
        const QModelIndex idx = model->index(row, cur.isValid() ? cur.column() : 0);
        if (cur == idx && sm->isRowSelected(row, QModelIndex()))
            return;
        sm->setCurrentIndex(idx, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    };
    QObject::connect(model, &TableModel::currentRowChanged, view, select);
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
        });
    select(model->currentRow());
}
