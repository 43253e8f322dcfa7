#pragma once
// One table is one SQLite file in a data folder. These are the file operations of the
// table store: resolve, create, open with checks, copy, rename, delete, empty, batch append.

#include "EngineError.h"
#include "Schema.h"

#include <QString>
#include <QVariant>
#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <memory>
namespace ledra {

namespace TableFile {

constexpr int ApplicationId = 0x4C454452; // "LEDR": marks our table files
constexpr int FormatVersion = 1;          // PRAGMA user_version of files this program writes

// Folder and file name joined; an existing file of the same name in another case is found.
QString resolve(const QString &folder, const QString &fileName);
QString join(const QString &folder, const QString &fileName);
// Folder path with exactly one trailing separator.
QString withSlash(const QString &folder);
bool exists(const QString &folder, const QString &fileName);

// Creates a new, empty table file from the schema. An existing file is never touched: that
// is an error (a zero-length file is not a valid empty table and is left for the user).
void create(const QString &path, const TableSchema &schema);

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

// Table copy that replaces the target (written beside it and renamed into place).
void copy(const QString &srcPath, const QString &dstPath);
void rename(const QString &srcPath, const QString &dstPath);
void remove(const QString &path);
void empty(const QString &path);
// Appends every row of src to dst, matching columns by name; columns that src lacks stay empty.
void batchAppend(const QString &srcPath, const QString &dstPath);

// Translates an SQLite failure into the store's error with a German message naming the file.
EngineError translate(const std::exception &e, const QString &path);
void bind(SQLite::Statement &st, int index, const QVariant &v);
QVariant columnValue(const SQLite::Column &c);

} // namespace TableFile

} // namespace ledra
