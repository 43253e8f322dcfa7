#pragma once
// An SQL query over table files addressed by path. The text is held as numbered lines
// because rules replace single lines by number; each file is attached under an alias and
// named in the text as alias.Table (for example "FROM J.Journal D1"). Values that come from
// a user are always bound as parameters.

#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <vector>

#include "SqlConnection.h"
#include "SqlTransaction.h"

#include <optional>

namespace ledra {

class Query {
public:
    Query();
    ~Query();

    QStringList &lines() { return m_lines; }
    const QStringList &lines() const { return m_lines; }
    void setLine(int n, const QString &text);
    QString text() const { return m_lines.join(QLatin1Char('\n')); }

    // Attaches the table file under the alias (replaces an earlier path of that alias).
    void setTable(const QString &alias, const QString &path);
    void clearParams() { m_params.clear(); }
    void addParam(const QVariant &v) { m_params.push_back(v); }
    void setParams(const QVariantList &p) { m_params = p; }

    // Runs the query and keeps its rows (for grids and small result sets).
    void open();
    void close();
    bool isActive() const { return m_active; }
    int recordCount() const { return int(m_rows.size()); }
    const QStringList &columns() const { return m_cols; }
    const QVariantList &row(int i) const { return m_rows[size_t(i)]; }
    QVariant value(int row, const QString &column) const;

    // Streams the rows without keeping them; the callback returns false to stop.
    void forEach(const std::function<bool(const QStringList &cols, const QVariantList &row)> &f);
    // Runs a statement that returns no rows (an UPDATE or DELETE); returns the changed rows.
    int exec();

private:
    SqlConnection &connect();
    QStringList m_lines;
    std::vector<std::pair<QString, QString>> m_tables;
    QVariantList m_params;
    std::optional<SqlConnection> m_db;
    bool m_active = false;
    QStringList m_cols;
    std::vector<QVariantList> m_rows;
};

// A unit of work across several table files: one connection on the first file with the
// others attached, one transaction. commit() makes every change durable at once; the
// destructor rolls back whatever was not committed. Both rely on the rollback journal.
class UnitOfWork {
public:
    explicit UnitOfWork(const QString &mainPath);
    ~UnitOfWork();
    void attach(const QString &alias, const QString &path);
    // Takes the write lock at once (Immediate), so that a writer elsewhere is noticed before
    // anything is changed.
    void begin();
    // Where the unit's statements run (store/SqlStatement.h); begin() first.
    SqlConnection &connection() { return m_connection; }
    void commit();
    // Runs one statement with parameters; returns the changed rows.
    int exec(const QString &sql, const QVariantList &params = {});

private:
    SqlConnection m_connection;
    std::optional<SqlTransaction> m_transaction; // after the connection: rolled back first
};

} // namespace ledra
