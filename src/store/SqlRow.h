#pragma once
// The current row of a statement with typed column access (columns count from 0). Values
// are read in the storage forms of the table files: integers and money as INTEGER (money in
// 1/10000), dates as ISO text. A NULL reads as 0, an empty text or a null date.

#include "Money.h"

#include <QDate>
#include <QString>
#include <QVariant>

#include <optional>

namespace SQLite {
class Statement;
} // namespace SQLite

namespace ledra {

class SqlRow {
public:
    int columnCount() const;
    QString columnName(int column) const;

    bool isNull(int column) const;
    // Whether the engine holds the value as an integer (not as text or a real number).
    bool holdsInteger(int column) const;
    // The integer the engine holds there, or nothing when it holds another kind of value: the
    // two questions above in one look at the column.
    std::optional<qint64> integer(int column) const;
    // The same for a floating-point number.
    std::optional<double> floating(int column) const;
    qint64 int64(int column) const;
    double real(int column) const;
    QString text(int column) const;
    // "yyyy-mm-dd" at the start of the text; a null date for NULL or anything else.
    QDate date(int column) const;
    Money money(int column) const;
    // The value as the engine holds it: qlonglong, double, QString, QByteArray or null.
    QVariant value(int column) const;

private:
    friend class SqlStatement;
    explicit SqlRow(SQLite::Statement *statement) : m_statement(statement) {}
    SQLite::Statement *m_statement;
};

} // namespace ledra
