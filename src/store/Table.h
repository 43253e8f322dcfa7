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
#include <utility>
#include <vector>

namespace SQLite {
class Database;
class Statement;
} // namespace SQLite
namespace ledra {

enum class DsState { Inactive, Browse, Edit, Insert };

class Table;
using TableEvent = std::function<void(Table &)>;

class Table {
public:
    explicit Table(const TableSchema &schema, QString objectName = QString());
    ~Table();
    Table(const Table &) = delete;
    Table &operator=(const Table &) = delete;

    const TableSchema &schema() const { return m_schema; }
    const QString &objectName() const { return m_objectName; }

    // Location: a folder (the "database name") and a file name; the file name defaults to the
    // schema's canonical name and is resolved case-insensitively when opening.
    void setFolder(const QString &folder);
    const QString &folder() const { return m_folder; }
    void setFileName(const QString &fileName);
    const QString &fileName() const { return m_fileName; }
    QString path() const;

    void open();
    void close();
    bool isActive() const { return m_state != DsState::Inactive; }
    DsState state() const { return m_state; }
    bool isBrowse() const { return m_state == DsState::Browse; }
    bool isEditing() const { return m_state == DsState::Edit || m_state == DsState::Insert; }

    // Order: a named index of the schema ("" is the primary index) or a list of fields.
    void setIndexName(const QString &name);
    void setIndexFields(const QStringList &fields);
    QStringList orderFields() const;
    // A row filter in SQL over the table's fields; values always as parameters.
    void setFilter(const QString &whereSql, const QVariantList &params = {});
    void clearFilter();

    int recordCount() const;
    bool isEmpty() const { return recordCount() == 0; }
    int recNo() const {
        ensureIds();
        return m_pos;
    } // 0-based; -1 on an empty table
    bool bof() const {
        ensureIds();
        return m_bof;
    }
    bool eof() const {
        ensureIds();
        return m_eof;
    }
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

    int fieldCount() const { return int(m_schema.fields.size()); }
    // Name of the table inside its file, for SQL over the open table (see store/Sql.h).
    const QString &innerName() const { return m_inner; }

    // Views register here to hear about changes (rows, current row, state).
    enum class Change { Reset, Current, State, Data };
    void addObserver(std::function<void(Change)> f) { m_observers.push_back(std::move(f)); }
    void disableControls() { ++m_controlsDisabled; }
    void enableControls();
    bool controlsDisabled() const { return m_controlsDisabled > 0; }

    TableEvent beforeInsert, onNewRecord, afterInsert, beforeEdit, afterEdit, beforePost, afterPost,
        beforeCancel, afterCancel, beforeDelete, afterDelete, afterScroll;

    // Changes to other table files that belong to a row: they are committed together with
    // the row's insert, change or deletion, or not at all. `jointFiles` names those files
    // (alias, path); they are attached to the table's connection while the row is written.
    // `writeWithPost` and `writeWithDelete` run inside that one transaction, after
    // beforePost or beforeDelete, just before the row itself is written or deleted, and reach
    // the attached tables through SqlConnection(*this) as alias."Table". Whatever they or
    // the row's write throw rolls everything back; a refused post leaves the row in its edit
    // state.
    std::function<std::vector<std::pair<QString, QString>>()> jointFiles;
    TableEvent writeWithPost, writeWithDelete;

private:
    // SQL over an open table runs on the table's own connection, lent out through
    // SqlConnection only, so that nothing above the store touches the engine.
    friend class SqlConnection;
    SQLite::Database &db();

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
    class JointWrite;
    // The joint files attached to the table's connection, with the file each path named when
    // it was attached.
    struct Joint {
        QString alias, path;
        std::pair<qint64, qint64> identity;
    };
    std::vector<Joint> m_joints;

    TableSchema m_schema;
    QString m_objectName;
    QString m_folder;
    QString m_fileName;
    QString m_openPath;
    QString m_inner;
    std::unique_ptr<SQLite::Database> m_db;
    DsState m_state = DsState::Inactive;
    QString m_indexName;
    QStringList m_indexFields;
    QString m_filterSql;
    QVariantList m_filterParams;
    mutable std::vector<qint64> m_ids;
    mutable int m_pos = -1;
    mutable bool m_bof = true, m_eof = true;
    mutable bool m_stale = false;
    mutable qint64 m_keepId = 0;
    mutable int m_count = -1;
    mutable bool m_curLoaded = false;
    mutable QVariantList m_cur;
    QVariantList m_buf;
    qint64 m_editId = 0;
    std::vector<Lookup> m_lookups;
    std::vector<std::function<void(Change)>> m_observers;
    int m_controlsDisabled = 0;
};

} // namespace ledra
