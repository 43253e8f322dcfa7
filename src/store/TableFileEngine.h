#pragma once
// The engine side of the table files, for the store's own classes only: it names SQLite's
// types, which nothing above the store sees. The rules reach a file through Table, Query,
// UnitOfWork and the SQL helpers of Sql.h.

#include "Schema.h"
#include "TableFile.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>

namespace SQLite {
class Column;
class Database;
class Statement;
} // namespace SQLite

namespace ledra {

namespace TableFile {

// Opens a table file after the checks every open makes (exists, not empty, ours, not newer,
// quick integrity check, rollback journal). When `expected` is given, the fields must match
// it in name and order, else DbErr::Structure. Returns the connection. The integrity check
// reads the whole file, so connections for a unit of work or a query on a file that a table
// object has already opened skip it (deep = false).
std::unique_ptr<SQLite::Database> open(const QString &path, const TableSchema *expected,
                                       bool deep = true);
// Name of the one table inside an opened file.
QString innerName(SQLite::Database &db);
QStringList columns(SQLite::Database &db, const QString &inner);

void bind(SQLite::Statement &st, int index, const QVariant &v);
QVariant columnValue(const SQLite::Column &c);

} // namespace TableFile

} // namespace ledra
