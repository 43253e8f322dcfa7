#pragma once
// Where SQL runs: the connection of an open table, or a connection of its own on one table
// file or over several attached files. It carries the file that error messages name, so that
// every failure reaches the rules as the store's EngineError and no rule sees the engine.

#include <QString>
#include <memory>
#include <utility>
#include <vector>

namespace SQLite {
class Database;
} // namespace SQLite

namespace ledra {

class Table;

class SqlConnection {
public:
    // The table's own connection, borrowed: the table must stay open while it is used. Not
    // explicit, so that a rule hands the table itself to the helpers of store/Sql.h.
    SqlConnection(Table &table); // NOLINT(google-explicit-constructor)

    // A connection of its own on one table file, after the quick checks of an open (no
    // integrity scan: the file is normally open in a table object already).
    static SqlConnection open(const QString &path);
    // A connection of its own with no main file; every file is attached under its alias
    // after the checks of an ordinary open, and named in the SQL as alias."Table".
    static SqlConnection attached(const std::vector<std::pair<QString, QString>> &files);

    // Attaches a table file under the alias; the alias is quoted, the path bound.
    void attach(const QString &alias, const QString &path);

    // The file that error messages name: the table's, the opened one or the first attached.
    const QString &path() const { return m_path; }

private:
    friend class SqlStatement;
    friend class SqlTransaction;
    SqlConnection(std::shared_ptr<SQLite::Database> owned, QString path);
    SQLite::Database &database() const { return *m_database; }

    // Shared, so that a statement keeps a connection of its own alive as long as it lives.
    std::shared_ptr<SQLite::Database> m_owned;
    SQLite::Database *m_database = nullptr;
    QString m_path;
};

} // namespace ledra
