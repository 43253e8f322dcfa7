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

TEST(Money, GermanTextBeyondTheTypeIsNoAmount) {
    // More whole digits than the type holds wrapped round (0,94 € and 0,00 € were booked).
    for (const char *text : {"1844674407370956,100000", "99999999999999999999,00001",
                             "922337203685478", "-100000000000000,1"})
        EXPECT_FALSE(Money::parseGerman(QString::fromLatin1(text))) << text;
    EXPECT_EQ(Money::parseGerman(QStringLiteral("99.999.999.999.999,99"))->units(),
              999999999999999900);
    EXPECT_EQ(Money::parseGerman(QStringLiteral("1,23456"))->units(), 12346) << "rounded";
    struct Case {
        const char *text;
        ExactMoneyText::Error error;
        qint64 units;
        int decimals;
    };
    using E = ExactMoneyText::Error;
    const Case cases[] = {{"1,23456789", E::TooManyDecimals, 0, 8},
                          {"10,005", E::None, 100050, 3},
                          {"10,50000", E::None, 105000, 1},
                          {"-0,0001", E::None, -1, 4},
                          {"1.234", E::None, 12340000, 0},
                          {"1844674407370956,1", E::OutOfRange, 0, 0},
                          {"12,3,4", E::Malformed, 0, 0},
                          {"-", E::Malformed, 0, 0},
                          {",", E::Malformed, 0, 0}};
    for (const Case &c : cases) {
        const ExactMoneyText m = Money::parseGermanExact(QString::fromLatin1(c.text));
        EXPECT_EQ(m.error, c.error) << c.text;
        if (c.error == E::None) {
            EXPECT_EQ(m.value.units(), c.units) << c.text;
            EXPECT_EQ(m.decimals, c.decimals) << c.text;
        }
    }
}

TEST(Dates, GermanInputTable) {
    const QDate today(2026, 12, 7);
    const std::pair<const char *, QDate> cases[] = {
        {"05.03.2026", QDate(2026, 3, 5)},
        {" 5.3.26 ", QDate(2026, 3, 5)},
        {"29.02.2024", QDate(2024, 2, 29)},
        {"050326", QDate(2026, 3, 5)},
        {"05032026", QDate(2026, 3, 5)},
        {"1.1.", QDate(2026, 1, 1)},
        {"29.02.2023", QDate()},
        {"00.01.2026", QDate()},
        {"32.01.2026", QDate()},
        {"05.13.2026", QDate()},
        {"05.03.0000", QDate()},
        {"5.3.202", QDate()},
        {"05-03-2026", QDate()},
        {"05.03.2026x", QDate()},
        {"", QDate()},
        {"０５.03.2026", QDate()},
    };
    for (const auto &[text, date] : cases) {
        const auto d = parseGermanDate(QString::fromUtf8(text), today);
        if (date.isValid()) {
            ASSERT_TRUE(d) << text;
            EXPECT_EQ(*d, date) << text;
        } else {
            EXPECT_FALSE(d) << text;
        }
    }
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
