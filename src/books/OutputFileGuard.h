#pragma once
// Files the program writes on request (report PDF, text, CSV) go wherever the person points,
// but never over the books themselves: a report saved as Journal.DB, or through a link to it,
// would destroy the journal.

#include <QString>
namespace ledra {

class BooksSession;

// Empty when `path` may receive an output file. Otherwise the German message that refuses it:
// the path leads (links followed) to a file of an open table, or to a file in the base data
// folder or the open year's folder named (in any case) like a table, its rollback journal or
// the year settings.
QString outputFileRefusal(const BooksSession &books, const QString &path);

} // namespace ledra
