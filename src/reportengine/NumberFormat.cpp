#include "reportengine/NumberFormat.h"

#include <QDate>
#include <QDateTime>
#include <QTime>

#include <cmath>

namespace ledra::report {

Decimal Decimal::fromScaled(qint64 value, int scale) {
    Decimal d;
    d.m_negative = value < 0;
    // Negate in unsigned arithmetic so that the smallest qint64 survives.
    const quint64 magnitude = value < 0 ? quint64(0) - quint64(value) : quint64(value);
    d.m_digits = QByteArray::number(magnitude);
    d.m_scale = qMax(0, scale);
    if (d.m_digits.size() < d.m_scale + 1)
        d.m_digits.prepend(QByteArray(d.m_scale + 1 - d.m_digits.size(), '0'));
    if (d.isZero())
        d.m_negative = false;
    return d;
}

Decimal Decimal::fromDouble(double value) {
    Decimal d;
    if (!std::isfinite(value))
        return d;
    QByteArray text = QByteArray::number(std::fabs(value), 'g', 15);
    if (text.contains('e') || text.contains('E'))
        text = QByteArray::number(std::fabs(value), 'f', 12);
    const qsizetype point = text.indexOf('.');
    if (point >= 0) {
        d.m_scale = int(text.size() - point - 1);
        text.remove(point, 1);
    }
    d.m_digits = text;
    if (d.m_digits.size() < d.m_scale + 1)
        d.m_digits.prepend(QByteArray(d.m_scale + 1 - d.m_digits.size(), '0'));
    d.m_negative = value < 0 && !d.isZero();
    return d;
}

bool Decimal::isZero() const {
    for (char c : m_digits)
        if (c != '0')
            return false;
    return true;
}

Decimal Decimal::abs() const {
    Decimal d = *this;
    d.m_negative = false;
    return d;
}

Decimal Decimal::rounded(int decimals) const {
    decimals = qMax(0, decimals);
    Decimal d = *this;
    if (m_scale <= decimals) {
        d.m_digits.append(QByteArray(decimals - m_scale, '0'));
        d.m_scale = decimals;
        return d;
    }
    const qsizetype keep = m_digits.size() - (m_scale - decimals);
    const bool roundUp = m_digits.at(keep) >= '5';
    d.m_digits = m_digits.left(keep);
    d.m_scale = decimals;
    if (roundUp) {
        qsizetype i = d.m_digits.size() - 1;
        while (i >= 0 && d.m_digits[i] == '9') {
            d.m_digits[i] = '0';
            --i;
        }
        if (i < 0)
            d.m_digits.prepend('1');
        else
            d.m_digits[i] = char(d.m_digits[i] + 1);
    }
    if (d.m_digits.size() < d.m_scale + 1)
        d.m_digits.prepend(QByteArray(d.m_scale + 1 - d.m_digits.size(), '0'));
    if (d.isZero())
        d.m_negative = false;
    return d;
}

QString Decimal::integerDigits() const {
    QByteArray integer = m_digits.left(m_digits.size() - m_scale);
    qsizetype start = 0;
    while (start < integer.size() && integer.at(start) == '0')
        ++start;
    return QString::fromLatin1(integer.mid(start));
}

QString Decimal::fractionDigits() const {
    return QString::fromLatin1(m_digits.right(m_scale));
}

namespace {

struct Section {
    QString prefix;
    QString suffix;
    bool hasNumber = false;
    bool thousands = false;
    int integerZeros = 0;
    int fractionZeros = 0;
    int fractionHashes = 0;
    int decimals() const { return fractionZeros + fractionHashes; }
};

bool isPlaceholder(QChar c) {
    return c == u'0' || c == u'#' || c == u'.' || c == u',';
}

QStringList splitSections(const QString &mask) {
    QStringList sections;
    QString current;
    QChar quote;
    for (QChar c : mask) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'"' || c == u'\'') {
            quote = c;
        } else if (c == u';') {
            sections << current;
            current.clear();
            continue;
        }
        current += c;
    }
    sections << current;
    return sections;
}

Section parseSection(const QString &text) {
    Section s;
    enum { Prefix, Number, Suffix } state = Prefix;
    bool afterPoint = false;
    QChar quote;
    for (QChar c : text) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            else
                (state == Prefix ? s.prefix : s.suffix) += c;
            continue;
        }
        if (c == u'"' || c == u'\'') {
            quote = c;
            if (state == Number)
                state = Suffix;
            continue;
        }
        if (state != Suffix && isPlaceholder(c)) {
            state = Number;
            s.hasNumber = true;
            if (c == u',')
                s.thousands = true;
            else if (c == u'.')
                afterPoint = true;
            else if (afterPoint)
                ++(c == u'0' ? s.fractionZeros : s.fractionHashes);
            else if (c == u'0')
                ++s.integerZeros;
            continue;
        }
        if (state == Number)
            state = Suffix;
        (state == Prefix ? s.prefix : s.suffix) += c;
    }
    return s;
}

QString groupThousands(const QString &digits) {
    QString out;
    const qsizetype n = digits.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            out += u'.';
        out += digits.at(i);
    }
    return out;
}

QString applySection(const Section &s, const Decimal &magnitude, bool minus) {
    if (!s.hasNumber)
        return s.prefix + s.suffix;
    const Decimal r = magnitude.rounded(s.decimals());
    QString integer = r.integerDigits();
    if (integer.size() < s.integerZeros)
        integer.prepend(QString(s.integerZeros - integer.size(), u'0'));
    if (s.thousands)
        integer = groupThousands(integer);
    QString fraction = r.fractionDigits();
    while (fraction.size() > s.fractionZeros && fraction.endsWith(u'0'))
        fraction.chop(1);
    QString number = integer;
    if (!fraction.isEmpty())
        number += u',' + fraction;
    if (minus)
        number.prepend(u'-');
    return s.prefix + number + s.suffix;
}

QString plainText(const Decimal &value) {
    QString integer = value.integerDigits();
    if (integer.isEmpty())
        integer = QStringLiteral("0");
    QString fraction = value.fractionDigits();
    while (fraction.endsWith(u'0'))
        fraction.chop(1);
    QString out = value.isNegative() ? QStringLiteral("-") : QString();
    out += integer;
    if (!fraction.isEmpty())
        out += u',' + fraction;
    return out;
}

} // namespace

QString formatNumber(const Decimal &value, const QString &mask) {
    if (mask.isEmpty())
        return plainText(value);
    const QStringList texts = splitSections(mask);
    const Section positive = parseSection(texts.at(0));
    const Decimal r0 = value.rounded(positive.decimals());
    if (r0.isNegative() && texts.size() >= 2 && !texts.at(1).isEmpty())
        return applySection(parseSection(texts.at(1)), value.abs(), false);
    if (r0.isZero() && texts.size() >= 3 && !texts.at(2).isEmpty())
        return applySection(parseSection(texts.at(2)), value.abs(), false);
    return applySection(positive, value.abs(), r0.isNegative());
}

QString formatNumber(double value, const QString &mask) {
    return formatNumber(Decimal::fromDouble(value), mask);
}

QString formatMoney(qint64 units) {
    return formatCents(units, true);
}

QString formatMoney(double value) {
    return formatNumber(Decimal::fromDouble(value), QStringLiteral("#,##0.00"));
}

QString formatCurrency(qint64 units, const QString &currency) {
    return formatMoney(units) + u' ' + currency;
}

bool isIntegral(const QVariant &value) {
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return true;
    default:
        return false;
    }
}

bool isNumeric(const QVariant &value) {
    return isIntegral(value) || value.typeId() == QMetaType::Double ||
           value.typeId() == QMetaType::Float;
}

namespace {

// The two digits of 0..99 written into `out` at `at`.
void putTwo(char16_t *out, int value) {
    out[0] = char16_t(u'0' + value / 10);
    out[1] = char16_t(u'0' + value % 10);
}

// "dd.MM.yyyy" for a date with a four-digit year, written directly: a journal prints a date on
// every line, and the calendar's general formatter costs more than the rest of the line.
QString dayText(const QDate &date) {
    int y = 0, m = 0, d = 0;
    date.getDate(&y, &m, &d);
    QString out(10, Qt::Uninitialized);
    char16_t *p = reinterpret_cast<char16_t *>(out.data());
    putTwo(p, d);
    p[2] = u'.';
    putTwo(p + 3, m);
    p[5] = u'.';
    putTwo(p + 6, y / 100);
    putTwo(p + 8, y % 100);
    return out;
}

} // namespace

// An amount in 1/10000 units with two decimals, rounded half away from zero, as the masks
// "0.00" and "#,##0.00" print it: the same text the general mask formatter gives, without
// parsing the mask and building the digits as a decimal string for every line.
QString formatCents(qint64 units, bool grouped) {
    const quint64 magnitude = units < 0 ? quint64(0) - quint64(units) : quint64(units);
    const quint64 cents = magnitude / 100 + (magnitude % 100 >= 50 ? 1 : 0);
    char16_t buffer[40];
    char16_t *end = buffer + 40, *p = end;
    quint64 rest = cents;
    *--p = char16_t(u'0' + rest % 10);
    rest /= 10;
    *--p = char16_t(u'0' + rest % 10);
    rest /= 10;
    *--p = u',';
    int digits = 0;
    do {
        if (grouped && digits > 0 && digits % 3 == 0)
            *--p = u'.';
        *--p = char16_t(u'0' + rest % 10);
        rest /= 10;
        ++digits;
    } while (rest > 0);
    if (units < 0 && cents != 0)
        *--p = u'-';
    return QString(reinterpret_cast<const QChar *>(p), qsizetype(end - p));
}

QString displayText(const QVariant &value, bool currency, const QString &mask) {
    if (!value.isValid() || value.isNull())
        return {};
    switch (value.typeId()) {
    case QMetaType::QDate: {
        const QDate date = value.toDate();
        if (date.isValid() && date.year() >= 1000 && date.year() <= 9999)
            return dayText(date);
        return date.toString(QStringLiteral("dd.MM.yyyy"));
    }
    case QMetaType::LongLong:
    case QMetaType::Int:
        // The common cases of a listing: an amount in cents and a plain whole number.
        if (currency && (mask.isEmpty() || mask == QLatin1String("#,##0.00")))
            return formatCents(value.toLongLong(), true);
        if (currency && mask == QLatin1String("0.00"))
            return formatCents(value.toLongLong(), false);
        if (!currency && mask.isEmpty())
            return QString::number(value.toLongLong());
        break;
    case QMetaType::Double: {
        // A whole rate ("19") as the shortest form writes it.
        const double v = value.toDouble();
        if (!currency && mask.isEmpty() && std::isfinite(v) && v == std::trunc(v) &&
            std::fabs(v) < 1e15)
            return QString::number(qint64(v));
        break;
    }
    case QMetaType::QDateTime:
        return value.toDateTime().toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
    case QMetaType::QTime:
        return value.toTime().toString(QStringLiteral("HH:mm:ss"));
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("Ja") : QStringLiteral("Nein");
    default:
        break;
    }
    if (!isNumeric(value))
        return value.toString();
    Decimal d;
    if (isIntegral(value))
        d = Decimal::fromScaled(value.toLongLong(), currency ? kCurrencyScale : 0);
    else
        d = Decimal::fromDouble(currency ? value.toDouble() / double(kUnitsPerCurrency)
                                         : value.toDouble());
    if (mask.isEmpty() && currency)
        return formatNumber(d, QStringLiteral("#,##0.00"));
    return formatNumber(d, mask);
}

} // namespace ledra::report
