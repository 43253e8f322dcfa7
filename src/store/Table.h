#pragma once
// A dataset over one table file: states, a current record, the edit cycle with its
// before/after events, named indexes, locate and key search, filters, bookmarks and
// look-up fields. Only the ordered row ids are held in memory; records are fetched when
// they are needed, so a journal of a million rows costs a few bytes per row.

#include "EngineError.h"
#include "Money.h"
#include "Schema.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <vector>

namespace SQLite {
class Database;
class Statement;
} // namespace SQLite

enum class DsState { Inactive, Browse, Edit, Insert };

class Table;
using TableEvent = std::function<void(Table &)>;

class Table {
public:
    explicit Table(const TableSchema &schema, QString objectName = QString());
    ~Table();
    Table(const Table &) = delete;
    Table &operator=(const Table &) = delete;

    const TableSchema &schema() const { return schema_; }
    const QString &objectName() const { return objectName_; }

    // Location: a folder (the "database name") and a file name; the file name defaults to the
    // schema's canonical name and is resolved case-insensitively when opening.
    void setFolder(const QString &folder);
    const QString &folder() const { return folder_; }
    void setFileName(const QString &fileName);
    const QString &fileName() const { return fileName_; }
    QString path() const;

    void open();
    void close();
    bool isActive() const { return state_ != DsState::Inactive; }
    DsState state() const { return state_; }
    bool isBrowse() const { return state_ == DsState::Browse; }
    bool isEditing() const { return state_ == DsState::Edit || state_ == DsState::Insert; }

    // Order: a named index of the schema ("" is the primary index) or a list of fields.
    void setIndexName(const QString &name);
    void setIndexFields(const QStringList &fields);
    QStringList orderFields() const;
    // A row filter in SQL over the table's fields; values always as parameters.
    void setFilter(const QString &whereSql, const QVariantList &params = {});
    void clearFilter();

    int recordCount() const;
    bool isEmpty() const { return recordCount() == 0; }
    int recNo() const { ensureIds(); return pos_; } // 0-based; -1 on an empty table
    bool bof() const { ensureIds(); return bof_; }
    bool eof() const { ensureIds(); return eof_; }
    void first();
    void last();
    void next();
    void prior();
    void moveTo(int row);

    // Exact match on the fields, or (caseInsensitive/partialKey) a case-insensitive prefix
    // match of text fields. On success the row becomes current.
    bool locate(const QStringList &fields, const QVariantList &values, bool caseInsensitive = false,
                bool partialKey = false);
    bool locate(const QString &field, const QVariant &value, bool caseInsensitive = false,
                bool partialKey = false);
    // Exact search on the leading fields of the active order.
    bool findKey(const QVariantList &values);
    // First row at or after the values in the active order (the nearest key).
    void findNearest(const QVariantList &values);

    qint64 bookmark() const;
    bool gotoBookmark(qint64 bookmark);

    // Values of the current record (the edit buffer while editing). Storage forms: integer
    // fields qlonglong, currency qlonglong in 1/10000, float double, date QDate, boolean bool,
    // text QString; null when empty. Look-up fields are read from their source table.
    QVariant value(const QString &field) const;
    bool isNull(const QString &field) const { return value(field).isNull(); }
    qint64 asInt(const QString &field) const;
    double asDouble(const QString &field) const;
    Money asMoney(const QString &field) const;
    QString asString(const QString &field) const;
    QDate asDate(const QString &field) const;
    bool asBool(const QString &field) const;

    // Only while editing or inserting. Currency accepts Money, a German text, a double meaning
    // the amount, or an integer in the storage form of value() (1/10000); strings are cut to
    // their size.
    void setValue(const QString &field, const QVariant &v);
    void setMoney(const QString &field, Money m);
    void clearValue(const QString &field) { setValue(field, QVariant()); }

    void insert();
    void append() { insert(); }
    void edit();
    void post();
    void cancel();
    void remove();
    // Posts a pending edit or insert (as a grid does before it moves).
    void checkBrowseMode();
    // Re-reads the rows from the file, keeping the current row where it still exists.
    void refresh();
    // Adds a row from values in field order without running the edit events.
    void appendRecord(const QVariantList &values);
    void emptyTable();

    void addLookup(const QString &name, const QString &keyField, Table *source,
                   const QString &sourceKey, const QString &resultField);
    bool isLookup(const QString &name) const;
    // The definition of a field or of the source field of a look-up field; null when unknown.
    const FieldDef *fieldDef(const QString &name) const;

    int fieldCount() const { return int(schema_.fields.size()); }
    SQLite::Database &db();
    const QString &innerName() const { return inner_; }

    // Views register here to hear about changes (rows, current row, state).
    enum class Change { Reset, Current, State, Data };
    void addObserver(std::function<void(Change)> f) { observers_.push_back(std::move(f)); }
    void disableControls() { ++controlsDisabled_; }
    void enableControls();
    bool controlsDisabled() const { return controlsDisabled_ > 0; }

    TableEvent beforeInsert, onNewRecord, afterInsert, beforeEdit, afterEdit, beforePost,
        afterPost, beforeCancel, afterCancel, beforeDelete, afterDelete, afterScroll;
    // Runs when the row passed beforePost but the file refused it (key violation, disk full),
    // so that work done in beforePost can be undone; the row stays in its edit state.
    TableEvent postError;

private:
    struct Lookup {
        QString name, keyField, sourceKey, resultField;
        Table *source = nullptr;
    };
    void requireActive() const;
    // Marks the row ids stale; they are read again when a row is next needed, so that a
    // refresh after a bulk change of a big table costs nothing until someone looks.
    void reload(qint64 keepId);
    void ensureIds() const;
    qint64 currentId() const;
    void loadCurrent() const;
    QVariant toStorage(const FieldDef &f, const QVariant &v) const;
    QVariant fromDb(const FieldDef &f, const QVariant &v) const;
    QVariant toDb(const FieldDef &f, const QVariant &v) const;
    QString orderSql() const;
    void notify(Change c);
    void scrolled();
    EngineError fail(const std::exception &e) const;

    TableSchema schema_;
    QString objectName_;
    QString folder_;
    QString fileName_;
    QString openPath_;
    QString inner_;
    std::unique_ptr<SQLite::Database> db_;
    DsState state_ = DsState::Inactive;
    QString indexName_;
    QStringList indexFields_;
    QString filterSql_;
    QVariantList filterParams_;
    mutable std::vector<qint64> ids_;
    mutable int pos_ = -1;
    mutable bool bof_ = true, eof_ = true;
    mutable bool stale_ = false;
    mutable qint64 keepId_ = 0;
    mutable int count_ = -1;
    mutable bool curLoaded_ = false;
    mutable QVariantList cur_;
    QVariantList buf_;
    qint64 editId_ = 0;
    std::vector<Lookup> lookups_;
    std::vector<std::function<void(Change)>> observers_;
    int controlsDisabled_ = 0;
};
