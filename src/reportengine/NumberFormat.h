#pragma once

// Number formatting for printed reports, always German style (decimal comma,
// thousands dot) whatever the system locale is.
//
// Masks follow the classic picture syntax the report layouts were designed with:
//   0  mandatory digit          #  optional digit
//   .  decimal point            ,  anywhere in the number part: group thousands
//   "..." or '...'  literal text, any other character is literal as well
//   up to three sections "positive;negative;zero"; the negative section prints
//   without an automatic minus sign.
// Rounding is half away from zero on the decimal value as written, so 0.125
// gives "0,13" and 2.675 gives "2,68" although neither is exact as a double.

#include <QString>
#include <QVariant>
#include <QtGlobal>

namespace ledra::report {

// Currency values travel as qint64 in units of 1/10000.
inline constexpr qint64 kUnitsPerCurrency = 10000;
inline constexpr int kCurrencyScale = 4;

// An exact decimal number: sign, digit string and the count of fraction digits.
class Decimal {
public:
    Decimal() = default;
    static Decimal fromScaled(qint64 value, int scale);
    // Uses the shortest 15-digit representation, which is what a person typed.
    static Decimal fromDouble(double value);

    Decimal rounded(int decimals) const;
    bool isNegative() const { return m_negative; }
    bool isZero() const;
    Decimal abs() const;
    // Integer digits without leading zeros ("" for zero).
    QString integerDigits() const;
    QString fractionDigits() const;
    int scale() const { return m_scale; }

private:
    bool m_negative = false;
    QByteArray m_digits = "0"; // integer and fraction digits, at least scale + 1 of them
    int m_scale = 0;
};

// Formats with a mask; an empty mask gives the shortest plain form ("1234,5").
QString formatNumber(const Decimal &value, const QString &mask);
QString formatNumber(double value, const QString &mask);

// "1.234,56" and "-1.234,56" from 1/10000 units (rounded to cents, halves away from zero).
QString formatMoney(qint64 units);
// "1234,56" (grouped: "1.234,56") from 1/10000 units: the masks "0.00" and "#,##0.00" without
// parsing them.
QString formatCents(qint64 units, bool grouped);
QString formatMoney(double value);
// "1.234,56 €": the currency format of the system.
QString formatCurrency(qint64 units, const QString &currency = QStringLiteral("€"));

// Display text of a field or expression value. With `currency` an integral value
// is read as 1/10000 units (a double is divided by 10000); without a mask a
// currency value prints as "1.234,56". Dates print as dd.MM.yyyy.
QString displayText(const QVariant &value, bool currency, const QString &mask);

// Whether a QVariant holds an integral number (read exactly as qint64).
bool isIntegral(const QVariant &value);
bool isNumeric(const QVariant &value);

} // namespace ledra::report
