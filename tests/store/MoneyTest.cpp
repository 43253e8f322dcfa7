#include "store/Money.h"
#include "store/Dates.h"

#include <gtest/gtest.h>
namespace ledra {

TEST(Money, RoundingAtTheHalves) {
    // Round2: halves away from zero.
    EXPECT_EQ(Money::fromUnits(12350).round2(), Money::fromCents(124));
    EXPECT_EQ(Money::fromUnits(-12350).round2(), Money::fromCents(-124));
    EXPECT_EQ(Money::fromUnits(12349).round2(), Money::fromCents(123));
    // Half to even: 1.235 -> 1.24, 1.245 -> 1.24, -1.245 -> -1.24, 1.2451 -> 1.25.
    EXPECT_EQ(Money::fromUnits(12350).roundHalfEven2(), Money::fromCents(124));
    EXPECT_EQ(Money::fromUnits(12450).roundHalfEven2(), Money::fromCents(124));
    EXPECT_EQ(Money::fromUnits(-12450).roundHalfEven2(), Money::fromCents(-124));
    EXPECT_EQ(Money::fromUnits(12451).roundHalfEven2(), Money::fromCents(125));
}

TEST(Money, GermanTextBothWays) {
    EXPECT_EQ(Money::parseGerman(QStringLiteral("1.234,56"))->units(), 12345600);
    EXPECT_EQ(Money::parseGerman(QStringLiteral("-12,5"))->units(), -125000);
    EXPECT_EQ(Money::parseGerman(QStringLiteral("12.50"))->units(), 125000);
    EXPECT_EQ(Money::parseGerman(QStringLiteral("1.234"))->units(), 12340000);
    EXPECT_EQ(Money::parseGerman(QStringLiteral("119 €"))->units(), 1190000);
    EXPECT_FALSE(Money::parseGerman(QStringLiteral("12,3,4")));
    EXPECT_FALSE(Money::parseGerman(QStringLiteral("abc")));
    EXPECT_FALSE(Money::parseGerman(QString()));
    EXPECT_EQ(Money::fromUnits(-12345600).toGerman(), QStringLiteral("-1.234,56"));
    EXPECT_EQ(Money::fromUnits(10000000000).toGerman(), QStringLiteral("1.000.000,00"));
    EXPECT_EQ(Money::fromUnits(-50).toPlain(), QStringLiteral("-0.01"));
    EXPECT_EQ(Money::fromUnits(5).toPlain(), QStringLiteral("0.00"));
}

TEST(Dates, GermanInput) {
    const QDate today(2026, 12, 7);
    EXPECT_EQ(*parseGermanDate(QStringLiteral("1.1.24"), today), QDate(2024, 1, 1));
    EXPECT_EQ(*parseGermanDate(QStringLiteral("31.12.2001"), today), QDate(2001, 12, 31));
    EXPECT_EQ(*parseGermanDate(QStringLiteral("3.4."), today), QDate(2026, 4, 3));
    EXPECT_EQ(*parseGermanDate(QStringLiteral("010224"), today), QDate(2024, 2, 1));
    EXPECT_FALSE(parseGermanDate(QStringLiteral("31.02.2024"), today));
    EXPECT_FALSE(parseGermanDate(QStringLiteral("2024-01-01"), today));
    EXPECT_EQ(germanDate(QDate(2024, 3, 5)), QStringLiteral("05.03.2024"));
}

} // namespace ledra
