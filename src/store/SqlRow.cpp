#include "SqlRow.h"

#include "TableFileEngine.h"

#include <SQLiteCpp/Column.h>
#include <SQLiteCpp/Statement.h>

namespace ledra {

namespace {

// Reads the date straight from the engine's text: a recomputation reads one per booking, and
// building a QString for each would cost more than the rest of the row.
QDate isoDay(const char *t) {
    for (int i = 0; i < 10; ++i) {
        const bool dash = i == 4 || i == 7;
        if (t[i] == '\0' || (dash ? t[i] != '-' : (t[i] < '0' || t[i] > '9')))
            return QDate();
    }
    auto num = [t](int from, int len) {
        int v = 0;
        for (int i = from; i < from + len; ++i)
            v = v * 10 + (t[i] - '0');
        return v;
    };
    return QDate(num(0, 4), num(5, 2), num(8, 2));
}

} // namespace

int SqlRow::columnCount() const {
    return m_statement->getColumnCount();
}

QString SqlRow::columnName(int column) const {
    return QString::fromUtf8(m_statement->getColumnName(column));
}

bool SqlRow::isNull(int column) const {
    return m_statement->isColumnNull(column);
}

bool SqlRow::holdsInteger(int column) const {
    return m_statement->getColumn(column).getType() == SQLite::INTEGER;
}

std::optional<qint64> SqlRow::integer(int column) const {
    const SQLite::Column c = m_statement->getColumn(column);
    if (c.getType() != SQLite::INTEGER)
        return std::nullopt;
    return c.getInt64();
}

std::optional<double> SqlRow::floating(int column) const {
    const SQLite::Column c = m_statement->getColumn(column);
    if (c.getType() != SQLite::FLOAT)
        return std::nullopt;
    return c.getDouble();
}

qint64 SqlRow::int64(int column) const {
    return m_statement->getColumn(column).getInt64();
}

double SqlRow::real(int column) const {
    return m_statement->getColumn(column).getDouble();
}

QString SqlRow::text(int column) const {
    return QString::fromUtf8(m_statement->getColumn(column).getText());
}

QDate SqlRow::date(int column) const {
    return isoDay(m_statement->getColumn(column).getText(""));
}

Money SqlRow::money(int column) const {
    return Money::fromUnits(int64(column));
}

QVariant SqlRow::value(int column) const {
    return TableFile::columnValue(m_statement->getColumn(column));
}

} // namespace ledra
