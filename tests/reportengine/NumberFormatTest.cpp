#include "reportengine/NumberFormat.h"

#include <QDate>

#include <gtest/gtest.h>

#include <limits>

using namespace ledra::report;

TEST(NumberFormat, RoundsHalvesAwayFromZeroAsWritten) {
    const QString mask = QStringLiteral("0.00");
    EXPECT_EQ(formatNumber(0.125, mask), "0,13");
    EXPECT_EQ(formatNumber(-0.125, mask), "-0,13");
    // Neither is exact in binary; rounding must follow the decimal digits.
    EXPECT_EQ(formatNumber(2.675, mask), "2,68");
    EXPECT_EQ(formatNumber(1.005, mask), "1,01");
    EXPECT_EQ(formatNumber(0.124, mask), "0,12");
    // Exact units: 0.1250 and -0.1250.
    EXPECT_EQ(formatNumber(Decimal::fromScaled(1250, 4), mask), "0,13");
    EXPECT_EQ(formatNumber(Decimal::fromScaled(-1250, 4), mask), "-0,13");
    EXPECT_EQ(formatNumber(Decimal::fromScaled(1249, 4), mask), "0,12");
}

TEST(NumberFormat, CarryRunsThroughGroupingAndSign) {
    EXPECT_EQ(formatNumber(9.995, "0.00"), "10,00");
    EXPECT_EQ(formatNumber(999.995, "#,##0.00"), "1.000,00");
    EXPECT_EQ(formatNumber(-999999.995, "#,##0.00"), "-1.000.000,00");
    // A negative value that rounds to zero prints without a sign.
    EXPECT_EQ(formatNumber(-0.004, "0.00"), "0,00");
    EXPECT_EQ(formatMoney(qint64(-49)), "0,00");
    EXPECT_EQ(formatMoney(qint64(-50)), "-0,01");
}

TEST(NumberFormat, MoneyAndCurrencyFormats) {
    EXPECT_EQ(formatMoney(qint64(12345600)), "1.234,56");
    EXPECT_EQ(formatMoney(qint64(-12345600)), "-1.234,56");
    EXPECT_EQ(formatMoney(qint64(0)), "0,00");
    EXPECT_EQ(formatMoney(qint64(1234567890000)), "123.456.789,00");
    EXPECT_EQ(formatMoney(1234.565), "1.234,57");
    EXPECT_EQ(formatCurrency(qint64(10000000), QStringLiteral("€")), "1.000,00 €");
    EXPECT_EQ(formatCurrency(qint64(-5000), QStringLiteral("DM")), "-0,50 DM");
    // The extreme value must not overflow when negated.
    EXPECT_FALSE(formatMoney(std::numeric_limits<qint64>::min()).isEmpty());
    EXPECT_TRUE(formatMoney(std::numeric_limits<qint64>::min()).startsWith(u'-'));
}

TEST(NumberFormat, MaskVariants) {
    // Mask of the trial balances: leading comma, trailing currency text.
    EXPECT_EQ(formatNumber(1234567.891, ",##0.00 €"), "1.234.567,89 €");
    EXPECT_EQ(formatNumber(-0.4, ",##0.00 €"), "-0,40 €");
    EXPECT_EQ(formatNumber(1234567.891, "0.00"), "1234567,89");
    EXPECT_EQ(formatNumber(12.0, "000"), "012");
    EXPECT_EQ(formatNumber(0.5, "#.##"), ",5");
    EXPECT_EQ(formatNumber(2.0, "0.##"), "2");
    EXPECT_EQ(formatNumber(2.5, "0.0#"), "2,5");
    EXPECT_EQ(formatNumber(7.0, "'Nr. '0"), "Nr. 7");
    EXPECT_EQ(formatNumber(1234.5, "#,##0"), "1.235");
    EXPECT_EQ(formatNumber(1234.5, QString()), "1234,5");
}

TEST(NumberFormat, SectionsForNegativeAndZero) {
    const QString mask = QStringLiteral("#,##0.00 S;#,##0.00 H;0.00");
    EXPECT_EQ(formatNumber(1000.0, mask), "1.000,00 S");
    EXPECT_EQ(formatNumber(-1000.0, mask), "1.000,00 H");
    EXPECT_EQ(formatNumber(0.001, mask), "0,00");
    // A semicolon inside quotes is text, not a section separator.
    EXPECT_EQ(formatNumber(-3.0, "0'; x'"), "-3; x");
    // An empty negative section falls back to the first one with a sign.
    EXPECT_EQ(formatNumber(-3.0, "0.0;"), "-3,0");
}

TEST(NumberFormat, DisplayTextOfValues) {
    EXPECT_EQ(displayText(QVariant(qint64(12345600)), true, {}), "1.234,56");
    EXPECT_EQ(displayText(QVariant(qint64(-12345600)), true, "0.00"), "-1234,56");
    EXPECT_EQ(displayText(QVariant(1234.5 * 10000), true, {}), "1.234,50");
    EXPECT_EQ(displayText(QVariant(qint64(4711)), false, {}), "4711");
    EXPECT_EQ(displayText(QVariant(16.0), false, {}), "16");
    EXPECT_EQ(displayText(QVariant(7.5), false, {}), "7,5");
    EXPECT_EQ(displayText(QVariant(QDate(2004, 3, 1)), false, {}), "01.03.2004");
    EXPECT_EQ(displayText(QVariant(QStringLiteral("Miete")), true, "0.00"), "Miete");
    EXPECT_EQ(displayText(QVariant(), true, "0.00"), "");
}
