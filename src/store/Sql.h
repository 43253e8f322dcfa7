#pragma once
// Short forms for the SQL the rules run on the table files: one value, whether there is a
// row, a statement without rows, a loop over rows. Each prepares a statement on the
// connection (an open table converts to its own), binds the values in order and reports
// engine failures as the store's EngineError. Names of tables and aliases go into the text
// through quoteIdentifier(); values never do.

#include "SqlConnection.h"
#include "SqlRow.h"
#include "SqlStatement.h"

#include <QString>
#include <QVariant>
#include <QVariantList>
#include <optional>
#include <type_traits>
#include <utility>

namespace ledra {

class Table;

// "name" with every double quote inside doubled, for a table, column or alias name in SQL.
QString quoteIdentifier(const QString &name);
// The quoted name of the table inside the file of an open table (of a closed one, the name
// its schema gives).
QString quotedName(const Table &table);

// The first column of the first row; nullopt when there is no row. A NULL in that column
// comes back as a null QVariant, so "no row" and "a row without a value" stay apart.
std::optional<QVariant> queryValue(SqlConnection connection, const QString &sql,
                                   const QVariantList &params = {});
// The first column of the first row as an integer; `fallback` when there is no row or the
// value is NULL (a MAX over an empty table, a look-up that finds nothing).
qint64 scalar(SqlConnection connection, const QString &sql, const QVariantList &params = {},
              qint64 fallback = 0);
// Whether the query returns at least one row.
bool hasRow(SqlConnection connection, const QString &sql, const QVariantList &params = {});
// Runs a statement without rows; returns how many rows it changed.
int execute(SqlConnection connection, const QString &sql, const QVariantList &params = {});

// Calls `f` with every row of the query in order. `f` may return bool: false ends the loop.
template <class F>
void forEachRow(SqlConnection connection, const QString &sql, const QVariantList &params, F &&f) {
    SqlStatement st(std::move(connection), sql);
    st.bindAll(params);
    while (st.next()) {
        if constexpr (std::is_same_v<std::invoke_result_t<F &, const SqlRow &>, bool>) {
            if (!f(st.row()))
                break;
        } else {
            f(st.row());
        }
    }
}

template <class F> void forEachRow(SqlConnection connection, const QString &sql, F &&f) {
    forEachRow(std::move(connection), sql, QVariantList(), std::forward<F>(f));
}

} // namespace ledra
