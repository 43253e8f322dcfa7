#include "reportengine/Expression.h"

#include "reportengine/NumberFormat.h"

#include <stdexcept>
#include <vector>

namespace ledra::report {

QVariant addValues(const QVariant &a, const QVariant &b, bool subtract) {
    const QVariant x = isNumeric(a) ? a : QVariant(qint64(0));
    const QVariant y = isNumeric(b) ? b : QVariant(qint64(0));
    if (isIntegral(x) && isIntegral(y)) {
        const qint64 r =
            subtract ? x.toLongLong() - y.toLongLong() : x.toLongLong() + y.toLongLong();
        return QVariant(r);
    }
    const double r = subtract ? x.toDouble() - y.toDouble() : x.toDouble() + y.toDouble();
    return QVariant(r);
}

namespace {

struct Operand {
    bool subtract = false;
    QString field;   // empty for a number
    QVariant number; // qint64 or double
};

// term := ['-'|'+'] operand { ('+'|'-') operand }
// operand := field name | number (decimal point '.')
std::vector<Operand> parseTerm(const QString &text) {
    std::vector<Operand> ops;
    qsizetype i = 0;
    const qsizetype n = text.size();
    auto skipBlanks = [&] {
        while (i < n && text.at(i).isSpace())
            ++i;
    };
    auto fail = [&](const char *what) {
        throw std::invalid_argument(std::string("Ausdruck \"") + text.toStdString() +
                                    "\": " + what);
    };
    bool subtract = false;
    skipBlanks();
    if (i < n && (text.at(i) == u'-' || text.at(i) == u'+')) {
        subtract = text.at(i) == u'-';
        ++i;
    }
    for (;;) {
        skipBlanks();
        if (i >= n)
            fail("Operand fehlt");
        Operand op;
        op.subtract = subtract;
        const QChar c = text.at(i);
        if (c.isDigit()) {
            const qsizetype start = i;
            while (i < n && (text.at(i).isDigit() || text.at(i) == u'.'))
                ++i;
            const QString lit = text.mid(start, i - start);
            bool ok = false;
            if (lit.contains(u'.'))
                op.number = lit.toDouble(&ok);
            else
                op.number = lit.toLongLong(&ok);
            if (!ok)
                fail("ungültige Zahl");
        } else if (c.isLetter() || c == u'_') {
            const qsizetype start = i;
            while (i < n && (text.at(i).isLetterOrNumber() || text.at(i) == u'_'))
                ++i;
            op.field = text.mid(start, i - start);
        } else {
            fail("unerwartetes Zeichen");
        }
        ops.push_back(op);
        skipBlanks();
        if (i >= n)
            break;
        if (text.at(i) != u'+' && text.at(i) != u'-')
            fail("Operator erwartet");
        subtract = text.at(i) == u'-';
        ++i;
    }
    return ops;
}

RecordFunction compileTerm(const QString &text) {
    std::vector<Operand> ops = parseTerm(text);
    if (ops.size() == 1 && !ops.front().subtract && !ops.front().field.isEmpty()) {
        // A lone field keeps its type, so that texts and dates print as such.
        const QString field = ops.front().field;
        return [field](const Record &r) { return r.value(field); };
    }
    return [ops = std::move(ops)](const Record &r) {
        QVariant acc(qint64(0));
        for (const Operand &op : ops)
            acc = addValues(acc, op.field.isEmpty() ? op.number : r.value(op.field), op.subtract);
        return acc;
    };
}

} // namespace

Expression Expression::parse(const QString &text) {
    Expression e;
    e.m_text = text;
    const QString t = text.trimmed();
    const QString upper = t.toUpper();
    auto inner = [&](int prefixLength) {
        if (!t.endsWith(u')'))
            throw std::invalid_argument("Ausdruck \"" + text.toStdString() +
                                        "\": schließende Klammer fehlt");
        return t.mid(prefixLength, t.size() - prefixLength - 1).trimmed();
    };
    if (upper.startsWith(QStringLiteral("SUM("))) {
        e.m_aggregate = Aggregate::Sum;
        e.m_term = compileTerm(inner(4));
    } else if (upper == QStringLiteral("COUNT") || upper.startsWith(QStringLiteral("COUNT("))) {
        // COUNT counts rows; an argument is accepted and ignored.
        e.m_aggregate = Aggregate::Count;
        if (upper != QStringLiteral("COUNT"))
            inner(6);
    } else {
        e.m_term = compileTerm(t);
    }
    return e;
}

Expression Expression::fromFunction(Aggregate aggregate, RecordFunction term) {
    Expression e;
    e.m_aggregate = aggregate;
    e.m_term = std::move(term);
    return e;
}

QVariant Expression::evaluate(const Record &record) const {
    return m_term ? m_term(record) : QVariant();
}

void Accumulator::add(const QVariant &value) {
    ++m_count;
    if (!isNumeric(value))
        return;
    if (!m_useDouble && isIntegral(value)) {
        m_int += value.toLongLong();
        return;
    }
    if (!m_useDouble) {
        m_useDouble = true;
        m_double = double(m_int);
    }
    m_double += value.toDouble();
}

void Accumulator::reset() {
    *this = Accumulator();
}

QVariant Accumulator::sum() const {
    return m_useDouble ? QVariant(m_double) : QVariant(m_int);
}

} // namespace ledra::report
