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

namespace {

// The parts of a number text: sign, whole digits (leading zeros dropped) and decimals.
struct NumberDigits {
    bool neg = false;
    QString whole, frac;
};

// Empty or malformed text, or a whole part with more digits than the type holds: nothing.
std::optional<NumberDigits> digitsOf(bool neg, QString whole, QString frac, bool *tooLong) {
    if (whole.isEmpty() && frac.isEmpty())
        return std::nullopt;
    qsizetype zeros = 0;
    while (zeros < whole.size() && whole.at(zeros) == QLatin1Char('0'))
        ++zeros;
    whole.remove(0, zeros);
    if (whole.size() > Money::kMaxWholeDigits) {
        if (tooLong)
            *tooLong = true;
        return std::nullopt;
    }
    return NumberDigits{neg, whole, frac};
}

std::optional<NumberDigits> germanDigits(const QString &text, bool *tooLong = nullptr) {
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
    const QString sep = m.captured(3);
    QString frac = m.captured(4);
    if (sep == QLatin1String(".") && intPart.contains(QLatin1Char('.')))
        return std::nullopt;
    if (sep == QLatin1String(".") && frac.size() == 3 && !intPart.isEmpty()) {
        // "1.234" is a thousands group in German input, not 1,234.
        intPart += frac;
        frac.clear();
    }
    intPart.remove(QLatin1Char('.'));
    return digitsOf(m.captured(1) == QLatin1String("-"), intPart, frac, tooLong);
}

qint64 unitsOf(const NumberDigits &d, const QString &frac4, bool up) {
    const qint64 whole = d.whole.isEmpty() ? 0 : d.whole.toLongLong();
    const qint64 u = whole * 10000 + frac4.toLongLong() + (up ? 1 : 0);
    return d.neg ? -u : u;
}

// Four decimals at most; more are rounded half away from zero.
Money roundedMoney(const NumberDigits &d) {
    QString frac = d.frac;
    bool up = false;
    if (frac.size() > 4) {
        up = frac.at(4) >= QLatin1Char('5');
        frac = frac.left(4);
    }
    while (frac.size() < 4)
        frac += QLatin1Char('0');
    return Money::fromUnits(unitsOf(d, frac, up));
}

} // namespace

std::optional<Money> Money::parseGerman(const QString &text) {
    const auto d = germanDigits(text);
    if (!d)
        return std::nullopt;
    return roundedMoney(*d);
}

std::optional<Money> Money::parsePlain(const QString &text) {
    static const QRegularExpression re(QStringLiteral("^([-+]?)([0-9]*)(?:\\.([0-9]*))?$"));
    auto m = re.match(text.trimmed());
    if (!m.hasMatch())
        return std::nullopt;
    const auto d =
        digitsOf(m.captured(1) == QLatin1String("-"), m.captured(2), m.captured(3), nullptr);
    if (!d)
        return std::nullopt;
    return roundedMoney(*d);
}

ExactMoneyText Money::parseGermanExact(const QString &text) {
    ExactMoneyText r;
    bool tooLong = false;
    const auto d = germanDigits(text, &tooLong);
    if (!d) {
        r.error = tooLong ? ExactMoneyText::Error::OutOfRange : ExactMoneyText::Error::Malformed;
        return r;
    }
    QString frac = d->frac;
    while (frac.endsWith(QLatin1Char('0')))
        frac.chop(1);
    r.decimals = int(std::min<qsizetype>(frac.size(), 1000));
    if (frac.size() > 4) {
        r.error = ExactMoneyText::Error::TooManyDecimals;
        return r;
    }
    while (frac.size() < 4)
        frac += QLatin1Char('0');
    r.value = Money::fromUnits(unitsOf(*d, frac, false));
    return r;
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
