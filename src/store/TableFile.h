#pragma once
// One table is one SQLite file in a data folder. These are the file operations of the
// table store: resolve, create, copy, rename, delete, empty, batch append. Opening a file
// and reading the engine's values are in TableFileEngine.h, for the store's own classes.

#include "EngineError.h"
#include "Schema.h"

#include <QString>
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

// Table copy that replaces the target (written beside it and renamed into place).
void copy(const QString &srcPath, const QString &dstPath);
void rename(const QString &srcPath, const QString &dstPath);
void remove(const QString &path);
void empty(const QString &path);
// Appends every row of src to dst, matching columns by name; columns that src lacks stay empty.
void batchAppend(const QString &srcPath, const QString &dstPath);
// Opens the file (with every check of an open) and throws DbErr::Structure naming it unless its
// fields are exactly the schema's: the same names in the same order, each of the same type.
void checkStructure(const QString &path, const TableSchema &schema);
// A table of a newer structure delivered as newPath takes the rows of the table `fileName`
// in `folder` and moves into its place. The old file is replaced only by the final rename,
// one step: a crash before it leaves the old table as it was, and the next run starts over.
// Throws EngineError when the rows cannot be taken over; the old table then stays.
void replaceByNew(const QString &newPath, const QString &folder, const QString &fileName);

// Translates an SQLite failure into the store's error with a German message naming the file.
EngineError translate(const std::exception &e, const QString &path);

} // namespace TableFile

} // namespace ledra
