#pragma once
// One prepared SQL statement on a connection. Values are bound as parameters (counting from
// 1), never spliced into the text. A statement is prepared once and may be bound and run
// again and again: binding after the statement ran starts it over, and exec() leaves it
// ready for the next binding, so a loop over thousands of rows parses the SQL once.
// Every engine failure comes out as the store's EngineError naming the connection's file.

#include "EngineError.h"
#include "Money.h"
#include "SqlConnection.h"
#include "SqlRow.h"

#include <QDate>
#include <QString>
#include <QVariant>
#include <QVariantList>
#include <memory>

namespace ledra {

class SqlStatement {
public:
    SqlStatement(SqlConnection connection, const QString &sql);
    ~SqlStatement();
    SqlStatement(SqlStatement &&) noexcept;
    SqlStatement &operator=(SqlStatement &&) noexcept;
    SqlStatement(const SqlStatement &) = delete;
    SqlStatement &operator=(const SqlStatement &) = delete;

    // A null or invalid QVariant binds NULL; money binds its units, a date its ISO text (the
    // typed overload binds NULL for an invalid date, a QVariant holding one an empty text).
    SqlStatement &bind(int index, const QVariant &value);
    SqlStatement &bind(int index, Money value);
    SqlStatement &bind(int index, const QDate &value);
    SqlStatement &bindNull(int index);
    // Binds the values to the parameters 1, 2, ... in order.
    SqlStatement &bindAll(const QVariantList &values);

    // Steps to the next row of the result; false when there is none (then reset() or a new
    // binding runs it again).
    bool next();
    // The current row; valid after next() returned true.
    const SqlRow &row() const { return m_row; }
    int columnCount() const;
    QString columnName(int column) const;

    // Runs a statement that returns no rows (INSERT, UPDATE, DELETE) and returns how many rows
    // it changed. Succeeding or not, the statement is ready to be bound and run again; a
    // refused statement undoes only its own changes.
    int exec();
    // Starts the statement over, keeping its bindings.
    void reset();

    const QString &path() const { return m_connection.path(); }

private:
    void startOver();
    EngineError fail(const std::exception &e) const;

    SqlConnection m_connection;
    std::unique_ptr<SQLite::Statement> m_statement;
    SqlRow m_row;
    bool m_stepped = false;
};

} // namespace ledra
