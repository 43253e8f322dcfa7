#include "Query.h"

#include "EngineError.h"
#include "TableFile.h"

#include <QFile>
#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

Query::Query() = default;
Query::~Query() = default;

void Query::setLine(int n, const QString &text)
{
    while (lines_.size() <= n) lines_ << QString();
    lines_[n] = text;
}

void Query::setTable(const QString &alias, const QString &path)
{
    for (auto &t : tables_)
        if (t.first == alias) {
            t.second = path;
            db_.reset();
            return;
        }
    tables_.emplace_back(alias, path);
    db_.reset();
}

SQLite::Database &Query::connect()
{
    if (db_) return *db_;
    try {
        db_ = std::make_unique<SQLite::Database>(":memory:", SQLite::OPEN_READWRITE);
        for (const auto &t : tables_) {
            // The checks of an ordinary open (ours, not damaged) before the file is read.
            TableFile::open(t.second, nullptr, false).reset();
            SQLite::Statement st(*db_, QStringLiteral("ATTACH DATABASE ? AS \"%1\"").arg(t.first).toStdString());
            st.bind(1, QFile::encodeName(t.second).toStdString());
            st.exec();
        }
    } catch (const EngineError &) {
        db_.reset();
        throw;
    } catch (const std::exception &e) {
        db_.reset();
        throw TableFile::translate(e, tables_.empty() ? QString() : tables_.front().second);
    }
    return *db_;
}

void Query::close()
{
    active_ = false;
    rows_.clear();
    cols_.clear();
}

void Query::forEach(const std::function<bool(const QStringList &, const QVariantList &)> &f)
{
    auto &db = connect();
    try {
        SQLite::Statement st(db, text().toStdString());
        for (int i = 0; i < params_.size(); ++i) TableFile::bind(st, i + 1, params_[i]);
        QStringList cols;
        for (int c = 0; c < st.getColumnCount(); ++c) cols << QString::fromUtf8(st.getColumnName(c));
        QVariantList row;
        while (st.executeStep()) {
            row.clear();
            for (int c = 0; c < cols.size(); ++c) row << TableFile::columnValue(st.getColumn(c));
            if (!f(cols, row)) break;
        }
    } catch (const EngineError &) {
        throw;
    } catch (const std::exception &e) {
        throw TableFile::translate(e, tables_.empty() ? QString() : tables_.front().second);
    }
}

void Query::open()
{
    close();
    forEach([this](const QStringList &cols, const QVariantList &row) {
        if (cols_.isEmpty()) cols_ = cols;
        rows_.push_back(row);
        return true;
    });
    active_ = true;
}

QVariant Query::value(int row, const QString &column) const
{
    int c = -1;
    for (int i = 0; i < cols_.size(); ++i)
        if (cols_[i].compare(column, Qt::CaseInsensitive) == 0) c = i;
    if (c < 0 || row < 0 || row >= int(rows_.size())) return QVariant();
    return rows_[size_t(row)][c];
}

int Query::exec()
{
    auto &db = connect();
    try {
        SQLite::Statement st(db, text().toStdString());
        for (int i = 0; i < params_.size(); ++i) TableFile::bind(st, i + 1, params_[i]);
        return st.exec();
    } catch (const std::exception &e) {
        throw TableFile::translate(e, tables_.empty() ? QString() : tables_.front().second);
    }
}

UnitOfWork::UnitOfWork(const QString &mainPath) : mainPath_(mainPath)
{
    db_ = TableFile::open(mainPath, nullptr, false);
}

UnitOfWork::~UnitOfWork()
{
    if (inTx_) {
        try {
            db_->exec("ROLLBACK");
        } catch (...) {
        }
    }
}

void UnitOfWork::attach(const QString &alias, const QString &path)
{
    TableFile::open(path, nullptr, false).reset();
    try {
        SQLite::Statement st(*db_, QStringLiteral("ATTACH DATABASE ? AS \"%1\"").arg(alias).toStdString());
        st.bind(1, QFile::encodeName(path).toStdString());
        st.exec();
    } catch (const std::exception &e) {
        throw TableFile::translate(e, path);
    }
}

void UnitOfWork::begin()
{
    if (inTx_) return;
    try {
        db_->exec("BEGIN IMMEDIATE");
    } catch (const std::exception &e) {
        throw TableFile::translate(e, mainPath_);
    }
    inTx_ = true;
}

SQLite::Database &UnitOfWork::db() { return *db_; }

int UnitOfWork::exec(const QString &sql, const QVariantList &params)
{
    begin();
    try {
        SQLite::Statement st(*db_, sql.toStdString());
        for (int i = 0; i < params.size(); ++i) TableFile::bind(st, i + 1, params[i]);
        return st.exec();
    } catch (const std::exception &e) {
        throw TableFile::translate(e, mainPath_);
    }
}

void UnitOfWork::commit()
{
    if (!inTx_) return;
    try {
        db_->exec("COMMIT");
    } catch (const std::exception &e) {
        throw TableFile::translate(e, mainPath_);
    }
    inTx_ = false;
}
