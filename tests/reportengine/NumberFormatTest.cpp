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

// A listing prints dates, amounts and whole numbers by a short way; each must give exactly the
// text the general formatter gives for the same value and mask.
TEST(NumberFormat, ShortWaysPrintAsTheGeneralFormatter) {
    const qint64 amounts[] = {0,
                              49,
                              50,
                              -49,
                              -50,
                              9949,
                              9950,
                              -9950,
                              1234567,
                              -1234567,
                              999999950,
                              -999999950,
                              123456789012345678,
                              std::numeric_limits<qint64>::max(),
                              std::numeric_limits<qint64>::min()};
    for (const qint64 units : amounts) {
        const Decimal d = Decimal::fromScaled(units, kCurrencyScale);
        for (const char *mask : {"0.00", "#,##0.00"})
            EXPECT_EQ(displayText(QVariant(units), true, QLatin1String(mask)),
                      formatNumber(d, QLatin1String(mask)))
                << units << " " << mask;
        EXPECT_EQ(formatMoney(units), formatNumber(d, QStringLiteral("#,##0.00"))) << units;
        EXPECT_EQ(formatCents(units, false), formatNumber(d, QStringLiteral("0.00"))) << units;
        EXPECT_EQ(displayText(QVariant(units), true, QString()),
                  formatNumber(d, QStringLiteral("#,##0.00")))
            << units;
        EXPECT_EQ(displayText(QVariant(units), false, QString()),
                  formatNumber(Decimal::fromScaled(units, 0), QString()))
            << units;
    }
    for (const double rate : {0.0, -0.0, 7.0, 19.0, -16.0, 7.5, 123456789012345.0, 1e15, 1e20})
        EXPECT_EQ(displayText(QVariant(rate), false, QString()),
                  formatNumber(Decimal::fromDouble(rate), QString()))
            << rate;
    for (const QDate &day : {QDate(2025, 4, 1), QDate(1999, 12, 31), QDate(1000, 1, 1),
                             QDate(9999, 12, 31), QDate(999, 5, 6), QDate(10000, 1, 1)})
        EXPECT_EQ(displayText(QVariant(day), false, QString()),
                  day.toString(QStringLiteral("dd.MM.yyyy")))
            << qPrintable(day.toString(Qt::ISODate));
}
