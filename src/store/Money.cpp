#include "Money.h"

#include <QRegularExpression>
#include <cmath>
namespace ledra {

qint64 divRoundHalfAway(__int128 num, __int128 den) {
    if (den < 0) {
        num = -num;
        den = -den;
    }
    bool neg = num < 0;
    __int128 a = neg ? -num : num;
    __int128 q = a / den, r = a % den;
    if (2 * r >= den)
        ++q;
    return qint64(neg ? -q : q);
}

qint64 divRoundHalfEven(__int128 num, __int128 den) {
    if (den < 0) {
        num = -num;
        den = -den;
    }
    bool neg = num < 0;
    __int128 a = neg ? -num : num;
    __int128 q = a / den, r = a % den;
    if (2 * r > den || (2 * r == den && (q % 2) == 1))
        ++q;
    return qint64(neg ? -q : q);
}

qint64 roundUnitsHalfAway(qint64 units, qint64 step) {
    return divRoundHalfAway(units, step) * step;
}

Money Money::fromDoubleNearest(double value) {
    return Money(qint64(std::llround(value * 10000.0)));
}

Money Money::round2() const {
    return Money(divRoundHalfAway(m_v, 100) * 100);
}

Money Money::roundHalfEven2() const {
    return Money(divRoundHalfEven(m_v, 100) * 100);
}

bool Money::nearlyEquals(Money other) const {
    qint64 d = m_v - other.m_v;
    return (d < 0 ? -d : d) < 100;
}

static std::optional<Money> parseDigits(QString intPart, QString frac, bool neg) {
    if (intPart.isEmpty() && frac.isEmpty())
        return std::nullopt;
    if (frac.size() > 4) {
        // More decimals than the money type holds: round the rest half away.
        QString rest = frac.mid(4);
        frac = frac.left(4);
        bool up = rest.at(0) >= QLatin1Char('5');
        qint64 whole = intPart.isEmpty() ? 0 : intPart.toLongLong();
        qint64 u = whole * 10000 + frac.toLongLong() + (up ? 1 : 0);
        return Money::fromUnits(neg ? -u : u);
    }
    while (frac.size() < 4)
        frac += QLatin1Char('0');
    if (intPart.size() > 14)
        return std::nullopt;
    qint64 whole = intPart.isEmpty() ? 0 : intPart.toLongLong();
    qint64 u = whole * 10000 + frac.toLongLong();
    return Money::fromUnits(neg ? -u : u);
}

std::optional<Money> Money::parseGerman(const QString &text) {
    QString t = text.trimmed();
    t.remove(QStringLiteral("€"));
    t.remove(QStringLiteral("DM"));
    t = t.trimmed();
    static const QRegularExpression re(
        QStringLiteral("^([-+]?)\\s*([0-9]{1,3}(?:\\.[0-9]{3})+|[0-9]*)(?:([,.])([0-9]*))?$"));
    auto m = re.match(t);
    if (!m.hasMatch())
        return std::nullopt;
    QString intPart = m.captured(2);
    QString sep = m.captured(3);
    QString frac = m.captured(4);
    if (sep == QLatin1String(".") && intPart.contains(QLatin1Char('.')))
        return std::nullopt;
    if (sep == QLatin1String(".") && frac.size() == 3 && !intPart.isEmpty()) {
        // "1.234" is a thousands group in German input, not 1,234.
        intPart += frac;
        frac.clear();
    }
    intPart.remove(QLatin1Char('.'));
    return parseDigits(intPart, frac, m.captured(1) == QLatin1String("-"));
}

std::optional<Money> Money::parsePlain(const QString &text) {
    static const QRegularExpression re(QStringLiteral("^([-+]?)([0-9]*)(?:\\.([0-9]*))?$"));
    auto m = re.match(text.trimmed());
    if (!m.hasMatch())
        return std::nullopt;
    return parseDigits(m.captured(2), m.captured(3), m.captured(1) == QLatin1String("-"));
}

static QString formatUnits(qint64 v, int decimals, QChar point, QChar group) {
    qint64 scale = 1;
    for (int i = decimals; i < 4; ++i)
        scale *= 10;
    qint64 r = divRoundHalfAway(v, scale);
    bool neg = r < 0;
    quint64 a = neg ? quint64(-r) : quint64(r);
    quint64 div = 1;
    for (int i = 0; i < decimals; ++i)
        div *= 10;
    QString whole = QString::number(a / div);
    if (!group.isNull())
        for (qsizetype i = whole.size() - 3; i > 0; i -= 3)
            whole.insert(i, group);
    QString s = neg ? QStringLiteral("-") + whole : whole;
    if (decimals > 0)
        s += point + QStringLiteral("%1").arg(a % div, decimals, 10, QLatin1Char('0'));
    return s;
}

QString Money::toGerman(int decimals, bool thousands) const {
    return formatUnits(m_v, decimals, QLatin1Char(','), thousands ? QLatin1Char('.') : QChar());
}

QString Money::toPlain(int decimals) const {
    return formatUnits(m_v, decimals, QLatin1Char('.'), QChar());
}

} // namespace ledra
