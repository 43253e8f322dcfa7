#include "SqlConnection.h"

#include "EngineError.h"
#include "Sql.h"
#include "Table.h"
#include "TableFileEngine.h"

#include <QFile>
#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

namespace ledra {

SqlConnection::SqlConnection(Table &table) : m_database(&table.db()), m_path(table.path()) {}

SqlConnection::SqlConnection(std::shared_ptr<SQLite::Database> owned, QString path)
    : m_owned(std::move(owned)), m_database(m_owned.get()), m_path(std::move(path)) {}

SqlConnection SqlConnection::open(const QString &path) {
    return SqlConnection(std::shared_ptr<SQLite::Database>(TableFile::open(path, nullptr, false)),
                         path);
}

SqlConnection SqlConnection::attached(const std::vector<std::pair<QString, QString>> &files) {
    const QString first = files.empty() ? QString() : files.front().second;
    std::shared_ptr<SQLite::Database> db;
    try {
        // Such a connection is made for one query or pass and used by no other thread, so
        // it goes without the engine's per-call lock: a report reads a dozen columns of every
        // row, each read otherwise taking and releasing it.
        db = std::make_shared<SQLite::Database>(":memory:",
                                                SQLite::OPEN_READWRITE | SQLite::OPEN_NOMUTEX);
    } catch (const std::exception &e) {
        throw TableFile::translate(e, first);
    }
    SqlConnection c(std::move(db), first);
    for (const auto &[alias, path] : files)
        c.attach(alias, path);
    return c;
}

void SqlConnection::attach(const QString &alias, const QString &path) {
    // The checks of an ordinary open (there, ours, not newer, not damaged) before the file
    // is read through another connection.
    TableFile::open(path, nullptr, false).reset();
    try {
        SQLite::Statement st(
            *m_database,
            (QStringLiteral("ATTACH DATABASE ? AS ") + quoteIdentifier(alias)).toStdString());
        st.bind(1, QFile::encodeName(path).toStdString());
        st.exec();
    } catch (const std::exception &e) {
        throw TableFile::translate(e, path);
    }
    if (m_path.isEmpty())
        m_path = path;
}

} // namespace ledra
