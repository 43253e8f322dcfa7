#include "SqlStatement.h"

#include "TableFileEngine.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

namespace ledra {

namespace {

std::unique_ptr<SQLite::Statement> prepare(SQLite::Database &db, const QString &sql,
                                           const QString &path) {
    try {
        return std::make_unique<SQLite::Statement>(db, sql.toStdString());
    } catch (const std::exception &e) {
        throw TableFile::translate(e, path);
    }
}

} // namespace

SqlStatement::SqlStatement(SqlConnection connection, const QString &sql)
    : m_connection(std::move(connection)),
      m_statement(prepare(m_connection.database(), sql, m_connection.path())),
      m_row(m_statement.get()) {}

SqlStatement::~SqlStatement() = default;
SqlStatement::SqlStatement(SqlStatement &&) noexcept = default;
SqlStatement &SqlStatement::operator=(SqlStatement &&) noexcept = default;

EngineError SqlStatement::fail(const std::exception &e) const {
    return TableFile::translate(e, m_connection.path());
}

void SqlStatement::startOver() {
    if (!m_stepped)
        return;
    m_statement->tryReset();
    m_stepped = false;
}

SqlStatement &SqlStatement::bind(int index, const QVariant &value) {
    if (value.metaType() == QMetaType::fromType<Money>())
        return bind(index, value.value<Money>());
    startOver();
    try {
        TableFile::bind(*m_statement, index, value);
    } catch (const std::exception &e) {
        throw fail(e);
    }
    return *this;
}

SqlStatement &SqlStatement::bind(int index, Money value) {
    return bind(index, QVariant(static_cast<qlonglong>(value.units())));
}

SqlStatement &SqlStatement::bind(int index, const QDate &value) {
    if (!value.isValid())
        return bindNull(index);
    return bind(index, QVariant(value.toString(Qt::ISODate)));
}

SqlStatement &SqlStatement::bindNull(int index) {
    return bind(index, QVariant());
}

SqlStatement &SqlStatement::bindAll(const QVariantList &values) {
    for (int i = 0; i < values.size(); ++i)
        bind(i + 1, values[i]);
    return *this;
}

bool SqlStatement::next() {
    m_stepped = true;
    try {
        return m_statement->executeStep();
    } catch (const std::exception &e) {
        throw fail(e);
    }
}

int SqlStatement::columnCount() const {
    return m_statement->getColumnCount();
}

QString SqlStatement::columnName(int column) const {
    return m_row.columnName(column);
}

int SqlStatement::exec() {
    startOver();
    try {
        const int changed = m_statement->exec();
        m_statement->reset();
        return changed;
    } catch (const std::exception &e) {
        m_statement->tryReset();
        throw fail(e);
    }
}

void SqlStatement::reset() {
    m_stepped = true;
    startOver();
}

} // namespace ledra
