#include "Query.h"

#include "EngineError.h"
#include "TableFile.h"

#include <QFile>
#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
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

SQLite::Database &Query::connect() {
    if (m_db)
        return *m_db;
    try {
        m_db = std::make_unique<SQLite::Database>(":memory:", SQLite::OPEN_READWRITE);
        for (const auto &t : m_tables) {
            // The checks of an ordinary open (ours, not damaged) before the file is read.
            TableFile::open(t.second, nullptr, false).reset();
            SQLite::Statement st(
                *m_db, QStringLiteral("ATTACH DATABASE ? AS \"%1\"").arg(t.first).toStdString());
            st.bind(1, QFile::encodeName(t.second).toStdString());
            st.exec();
        }
    } catch (const EngineError &) {
        m_db.reset();
        throw;
    } catch (const std::exception &e) {
        m_db.reset();
        throw TableFile::translate(e, m_tables.empty() ? QString() : m_tables.front().second);
    }
    return *m_db;
}

void Query::close() {
    m_active = false;
    m_rows.clear();
    m_cols.clear();
}

void Query::forEach(const std::function<bool(const QStringList &, const QVariantList &)> &f) {
    auto &db = connect();
    try {
        SQLite::Statement st(db, text().toStdString());
        for (int i = 0; i < m_params.size(); ++i)
            TableFile::bind(st, i + 1, m_params[i]);
        QStringList cols;
        for (int c = 0; c < st.getColumnCount(); ++c)
            cols << QString::fromUtf8(st.getColumnName(c));
        QVariantList row;
        while (st.executeStep()) {
            row.clear();
            for (int c = 0; c < cols.size(); ++c)
                row << TableFile::columnValue(st.getColumn(c));
            if (!f(cols, row))
                break;
        }
    } catch (const EngineError &) {
        throw;
    } catch (const std::exception &e) {
        throw TableFile::translate(e, m_tables.empty() ? QString() : m_tables.front().second);
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
    auto &db = connect();
    try {
        SQLite::Statement st(db, text().toStdString());
        for (int i = 0; i < m_params.size(); ++i)
            TableFile::bind(st, i + 1, m_params[i]);
        return st.exec();
    } catch (const std::exception &e) {
        throw TableFile::translate(e, m_tables.empty() ? QString() : m_tables.front().second);
    }
}

UnitOfWork::UnitOfWork(const QString &mainPath) : m_mainPath(mainPath) {
    m_db = TableFile::open(mainPath, nullptr, false);
}

UnitOfWork::~UnitOfWork() {
    if (m_inTx) {
        try {
            m_db->exec("ROLLBACK");
        } catch (...) {
        }
    }
}

void UnitOfWork::attach(const QString &alias, const QString &path) {
    TableFile::open(path, nullptr, false).reset();
    try {
        SQLite::Statement st(
            *m_db, QStringLiteral("ATTACH DATABASE ? AS \"%1\"").arg(alias).toStdString());
        st.bind(1, QFile::encodeName(path).toStdString());
        st.exec();
    } catch (const std::exception &e) {
        throw TableFile::translate(e, path);
    }
}

void UnitOfWork::begin() {
    if (m_inTx)
        return;
    try {
        m_db->exec("BEGIN IMMEDIATE");
    } catch (const std::exception &e) {
        throw TableFile::translate(e, m_mainPath);
    }
    m_inTx = true;
}

SQLite::Database &UnitOfWork::db() {
    return *m_db;
}

int UnitOfWork::exec(const QString &sql, const QVariantList &params) {
    begin();
    try {
        SQLite::Statement st(*m_db, sql.toStdString());
        for (int i = 0; i < params.size(); ++i)
            TableFile::bind(st, i + 1, params[i]);
        return st.exec();
    } catch (const std::exception &e) {
        throw TableFile::translate(e, m_mainPath);
    }
}

void UnitOfWork::commit() {
    if (!m_inTx)
        return;
    try {
        m_db->exec("COMMIT");
    } catch (const std::exception &e) {
        throw TableFile::translate(e, m_mainPath);
    }
    m_inTx = false;
}

} // namespace ledra
