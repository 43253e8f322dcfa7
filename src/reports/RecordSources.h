#pragma once
// Record sources for reports over the table store. A report walks its rows once, from the
// first to the last, so a query is streamed through an SQLite cursor: a journal of 100,000
// bookings costs one row in memory, never the whole result.

#include "reportengine/RecordSource.h"
#include "store/Schema.h"
#include "store/SqlConnection.h"
#include "store/SqlStatement.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace ledra {

class Table;

namespace reports {

// Field types of a result, so that values arrive as the table objects deliver them (dates
// as QDate, flags as bool, money as qint64 in 1/10000); unknown fields pass unchanged.
using FieldTypes = QHash<QString, FieldType>; // keys in lower case
FieldTypes fieldTypes(const TableSchema &schema);

// Files attached to a query connection: alias and path.
using Attachments = std::vector<std::pair<QString, QString>>;

// Streams the rows of one SELECT; first() runs it (again), next() steps. Values the user
// typed arrive only as bound parameters.
class SqlSource : public ledra::report::RecordSource {
public:
    SqlSource(Attachments tables, QString sql, QVariantList params, FieldTypes types = {});
    ~SqlSource() override;

    void first() override;
    void next() override;
    bool eof() const override { return m_eof; }
    QStringList fieldNames() const override { return m_columns; }
    QVariant value(const QString &field) const override;
    ledra::report::Record snapshot(const QSharedPointer<const QStringList> &names) const override;

    // Rows stepped over since first(); the row count once eof() is reached.
    qint64 position() const { return m_position; }

    // The current row as the engine holds it, for a pass that reads columns without the
    // conversions of value(); valid while not eof(). Column positions by fieldIndex (-1 when
    // the result has no such field).
    const SqlRow &row() const { return m_statement->row(); }
    int fieldIndex(const QString &field) const { return m_index.value(field.toLower(), -1); }
    // The value of the column at `column` as value() delivers it.
    QVariant valueAt(int column) const;

private:
    void prepare();
    void step();
    QVariant column(int index) const;

    Attachments m_tables;
    QString m_sql;
    QVariantList m_params;
    FieldTypes m_types;
    std::optional<SqlConnection> m_connection;
    std::unique_ptr<SqlStatement> m_statement;
    QStringList m_columns;
    std::vector<FieldType> m_columnTypes;
    std::vector<bool> m_typed;
    QHash<QString, int> m_index; // lower-case name -> column
    bool m_eof = true;
    qint64 m_position = 0;
};

// Walks a table object in its current order and filter, with its look-up fields. The
// table's current row and its scroll handler are restored when the source is destroyed,
// so a grid showing the table does not follow the report.
class TableSource : public ledra::report::RecordSource {
public:
    // `extraFields`: look-up fields to deliver besides the table's own fields.
    TableSource(Table &table, QStringList extraFields = {});
    ~TableSource() override;

    void first() override;
    void next() override;
    bool eof() const override;
    QStringList fieldNames() const override { return m_fields; }
    QVariant value(const QString &field) const override;

private:
    Table &m_table;
    QStringList m_fields;
    qint64 m_bookmark = 0;
    bool m_moved = false;
    std::function<void(Table &)> m_afterScroll;
};

} // namespace reports

} // namespace ledra
