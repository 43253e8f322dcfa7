#include "Query.h"

#include "Sql.h"
namespace ledra {

Query::Query() = default;
Query::~Query() = default;

void Query::setLine(int n, const QString &text) {
    while (m_lines.size() <= n)
        m_lines << QString();
    m_lines[n] = text;
}

void Query::setTable(const QString &alias, const QString &path) {
    for (auto &t : m_tables)
        if (t.first == alias) {
            t.second = path;
            m_db.reset();
            return;
        }
    m_tables.emplace_back(alias, path);
    m_db.reset();
}

SqlConnection &Query::connect() {
    if (!m_db)
        m_db = SqlConnection::attached(m_tables);
    return *m_db;
}

void Query::close() {
    m_active = false;
    m_rows.clear();
    m_cols.clear();
}

void Query::forEach(const std::function<bool(const QStringList &, const QVariantList &)> &f) {
    SqlStatement st(connect(), text());
    st.bindAll(m_params);
    QStringList cols;
    for (int c = 0; c < st.columnCount(); ++c)
        cols << st.columnName(c);
    QVariantList row;
    while (st.next()) {
        row.clear();
        for (int c = 0; c < cols.size(); ++c)
            row << st.row().value(c);
        if (!f(cols, row))
            break;
    }
}

void Query::open() {
    close();
    forEach([this](const QStringList &cols, const QVariantList &row) {
        if (m_cols.isEmpty())
            m_cols = cols;
        m_rows.push_back(row);
        return true;
    });
    m_active = true;
}

QVariant Query::value(int row, const QString &column) const {
    int c = -1;
    for (int i = 0; i < m_cols.size(); ++i)
        if (m_cols[i].compare(column, Qt::CaseInsensitive) == 0)
            c = i;
    if (c < 0 || row < 0 || row >= int(m_rows.size()))
        return QVariant();
    return m_rows[size_t(row)][c];
}

int Query::exec() {
    return execute(connect(), text(), m_params);
}

UnitOfWork::UnitOfWork(const QString &mainPath) : m_connection(SqlConnection::open(mainPath)) {}

UnitOfWork::~UnitOfWork() = default;

void UnitOfWork::attach(const QString &alias, const QString &path) {
    m_connection.attach(alias, path);
}

void UnitOfWork::begin() {
    if (!m_transaction)
        m_transaction.emplace(m_connection, SqlTransaction::Mode::Immediate);
}

int UnitOfWork::exec(const QString &sql, const QVariantList &params) {
    begin();
    return execute(m_connection, sql, params);
}

void UnitOfWork::commit() {
    if (!m_transaction)
        return;
    m_transaction->commit();
    m_transaction.reset();
}

} // namespace ledra
