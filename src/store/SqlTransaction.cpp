#include "SqlTransaction.h"

#include "TableFileEngine.h"

#include <SQLiteCpp/Database.h>

namespace ledra {

SqlTransaction::SqlTransaction(SqlConnection connection, Mode mode)
    : m_connection(std::move(connection)) {
    try {
        m_connection.database().exec(mode == Mode::Immediate ? "BEGIN IMMEDIATE" : "BEGIN");
    } catch (const std::exception &e) {
        throw TableFile::translate(e, m_connection.path());
    }
    m_open = true;
}

SqlTransaction::~SqlTransaction() {
    if (!m_open)
        return;
    try {
        m_connection.database().exec("ROLLBACK");
    } catch (...) {
        // The engine rolls back by itself what it cannot roll back here (the file closes with
        // its hot journal, which the next open applies).
    }
}

void SqlTransaction::commit() {
    if (!m_open)
        return;
    try {
        m_connection.database().exec("COMMIT");
    } catch (const std::exception &e) {
        throw TableFile::translate(e, m_connection.path());
    }
    m_open = false;
}

} // namespace ledra
