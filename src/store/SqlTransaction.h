#pragma once
// A transaction as a scoped object: begun when made, made durable by commit(), rolled back
// by the destructor when commit() was not reached (an early return, an exception, a refused
// question). It spans every file attached to the connection; with the rollback journal the
// table files use, a commit across them is atomic.

#include "SqlConnection.h"

namespace ledra {

class SqlTransaction {
public:
    // Deferred takes the write lock at the first write; Immediate takes it at the start, so
    // that a unit of work that will write learns at once when another writer holds the file.
    enum class Mode { Deferred, Immediate };

    explicit SqlTransaction(SqlConnection connection, Mode mode = Mode::Deferred);
    ~SqlTransaction();
    SqlTransaction(const SqlTransaction &) = delete;
    SqlTransaction &operator=(const SqlTransaction &) = delete;

    // Makes every change since the begin durable at once. A failed commit leaves the
    // transaction open, and the destructor rolls it back.
    void commit();
    bool isOpen() const { return m_open; }

private:
    SqlConnection m_connection;
    bool m_open = false;
};

} // namespace ledra
