#pragma once

// Expressions of expression controls: a plain term over the fields of a row
// ("BewSoll - BewHaben"), or an aggregate of such a term over the rows walked so
// far ("SUM(Brutto)", "SUM(Soll-Haben)", "COUNT"). A term adds and subtracts
// fields and numbers; anything else is given as a function.

#include "reportengine/RecordSource.h"

#include <QString>
#include <QVariant>

#include <functional>
#include <memory>

namespace ledra::report {

using RecordFunction = std::function<QVariant(const Record &)>;

class Expression {
public:
    enum class Aggregate { None, Sum, Count };

    Expression() = default;
    // Throws std::invalid_argument on a syntax error: an expression is part of a
    // report's design, so a typo is a programming error that must not print silently.
    static Expression parse(const QString &text);
    static Expression fromFunction(Aggregate aggregate, RecordFunction term);

    Aggregate aggregate() const { return m_aggregate; }
    bool isValid() const { return bool(m_term) || m_aggregate == Aggregate::Count; }
    // The term for one row. Integral operands stay exact (qint64); a double makes
    // the result a double; an empty field counts as 0 in arithmetic.
    QVariant evaluate(const Record &record) const;
    QString text() const { return m_text; }

private:
    Aggregate m_aggregate = Aggregate::None;
    RecordFunction m_term;
    QString m_text;
};

// Running value of a SUM or COUNT. Integral inputs are summed exactly.
class Accumulator {
public:
    void add(const QVariant &value);
    void count() { ++m_count; }
    void reset();
    QVariant sum() const;
    qint64 rowCount() const { return m_count; }

private:
    bool m_useDouble = false;
    qint64 m_int = 0;
    double m_double = 0.0;
    qint64 m_count = 0;
};

// Adds or subtracts two values with the rules of Expression::evaluate.
QVariant addValues(const QVariant &a, const QVariant &b, bool subtract = false);

} // namespace ledra::report
