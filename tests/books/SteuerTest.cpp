// The VAT and currency arithmetic, at the halves of each rounding, for the rates the program
// has seen (0, 7, 16, 19 %), reversals, sub-cent amounts and amounts near the largest a
// booking can hold. Every expected value is worked out by hand from the exact quotient.

#include "books/Steuer.h"

#include <gtest/gtest.h>

using namespace ledra;

namespace {

Money eur(const char *text) {
    return Money::parsePlain(QString::fromLatin1(text)).value();
}

struct SplitRow {
    const char *entered; // the amount typed, gross or net
    double percent;
    const char *netto, *brutto, *steuer;
    const char *why;
};

} // namespace

namespace ledra {
// Amounts in failure messages as numbers, found by argument-dependent look-up.
void PrintTo(const Money &m, std::ostream *os) {
    *os << m.toPlain(4).toStdString();
}
} // namespace ledra

TEST(Steuer, RatesAreTakenAtTenThousandthsOfAPercent) {
    const struct {
        double percent;
        qint64 expected;
    } rows[] = {{0.0, 0},     {7.0, 70000},       {16.0, 160000},    {19.0, 190000},
                {5.5, 55000}, {19.00004, 190000}, {19.00006, 190001}};
    for (const auto &r : rows) {
        SCOPED_TRACE(r.percent);
        EXPECT_EQ(Steuersatz::fromPercent(r.percent).tenThousandthPercent(), r.expected);
    }
    EXPECT_EQ(Steuersatz::fromTenthPercent(190), Steuersatz::fromPercent(19.0));
    EXPECT_EQ(Steuersatz::fromTenthPercent(70), Steuersatz::fromPercent(7.0));
    EXPECT_TRUE(Steuersatz::fromTenthPercent(0).isZero());
}

TEST(Steuer, GrossEnteredGivesNetToTheEvenCent) {
    const SplitRow rows[] = {
        {"119.00", 19, "100.00", "119.00", "19.00", "exact"},
        {"10.00", 19, "8.40", "10.00", "1.60", "8.40336 cents"},
        {"1.00", 19, "0.84", "1.00", "0.16", "84.03 cents"},
        {"0.01", 19, "0.01", "0.01", "0.00", "0.84 cent"},
        {"-119.00", 19, "-100.00", "-119.00", "-19.00", "reversal"},
        {"-10.00", 19, "-8.40", "-10.00", "-1.60", "reversal, 840.336 cents"},
        {"10.70", 7, "10.00", "10.70", "0.70", "exact"},
        {"10.00", 7, "9.35", "10.00", "0.65", "934.58 cents"},
        {"1.00", 7, "0.93", "1.00", "0.07", "93.46 cents"},
        {"116.00", 16, "100.00", "116.00", "16.00", "exact"},
        {"0.0058", 16, "0.00", "0.0058", "0.0058", "half a cent goes to the even 0"},
        {"0.0174", 16, "0.02", "0.0174", "-0.0026", "1.5 cents go to the even 2"},
        {"0.0290", 16, "0.02", "0.0290", "0.0090", "2.5 cents go to the even 2"},
        {"-0.0174", 16, "-0.02", "-0.0174", "0.0026", "-1.5 cents go to the even -2"},
        {"12.34", 0, "12.34", "12.34", "0.00", "no tax"},
        {"0.0050", 0, "0.00", "0.0050", "0.0050", "half a cent at 0 % goes to 0"},
        {"0.0150", 0, "0.02", "0.0150", "-0.0050", "1.5 cents at 0 % go to 2"},
        {"0.00", 19, "0.00", "0.00", "0.00", "nothing"},
        {"999999999.99", 19, "840336134.45", "999999999.99", "159663865.54", "largest entry"},
        {"-999999999.99", 19, "-840336134.45", "-999999999.99", "-159663865.54", "its reversal"},
        {"1189999999.99", 19, "999999999.99", "1189999999.99", "190000000.00", "large, exact"},
    };
    for (const SplitRow &r : rows) {
        SCOPED_TRACE(std::string(r.entered) + " at " + std::to_string(r.percent) + " %: " + r.why);
        const Steuersatz satz = Steuersatz::fromPercent(r.percent);
        EXPECT_EQ(nettoFromBrutto(eur(r.entered), satz), eur(r.netto));
        EXPECT_EQ(betraegeFromBrutto(eur(r.entered), satz),
                  (Buchungsbetraege{eur(r.netto), eur(r.brutto), eur(r.steuer)}));
    }
}

TEST(Steuer, NetEnteredGivesGrossToTheEvenCent) {
    const SplitRow rows[] = {
        {"100.00", 19, "100.00", "119.00", "19.00", "exact"},
        {"0.50", 19, "0.50", "0.60", "0.10", "59.5 cents go to the even 60"},
        {"1.50", 19, "1.50", "1.78", "0.28", "178.5 cents go to the even 178"},
        {"-0.50", 19, "-0.50", "-0.60", "-0.10", "reversal of 59.5 cents"},
        {"-1.50", 19, "-1.50", "-1.78", "-0.28", "reversal of 178.5 cents"},
        {"100.00", 7, "100.00", "107.00", "7.00", "exact"},
        {"0.50", 7, "0.50", "0.54", "0.04", "53.5 cents go to the even 54"},
        {"1.50", 7, "1.50", "1.60", "0.10", "160.5 cents go to the even 160"},
        {"0.50", 5, "0.50", "0.52", "0.02", "52.5 cents go to the even 52"},
        {"0.50", 15, "0.50", "0.58", "0.08", "57.5 cents go to the even 58"},
        {"0.25", 16, "0.25", "0.29", "0.04", "exact"},
        {"0.125", 16, "0.125", "0.14", "0.015", "14.5 cents go to the even 14"},
        {"12.34", 0, "12.34", "12.34", "0.00", "no tax"},
        {"0.0050", 0, "0.0050", "0.00", "-0.0050", "half a cent at 0 % goes to 0"},
        {"999999999.99", 19, "999999999.99", "1189999999.99", "190000000.00", "largest entry"},
        {"-999999999.99", 7, "-999999999.99", "-1069999999.99", "-70000000.00", "large reversal"},
    };
    for (const SplitRow &r : rows) {
        SCOPED_TRACE(std::string(r.entered) + " at " + std::to_string(r.percent) + " %: " + r.why);
        const Steuersatz satz = Steuersatz::fromPercent(r.percent);
        EXPECT_EQ(bruttoFromNetto(eur(r.entered), satz), eur(r.brutto));
        EXPECT_EQ(betraegeFromNetto(eur(r.entered), satz),
                  (Buchungsbetraege{eur(r.netto), eur(r.brutto), eur(r.steuer)}));
    }
}

TEST(Steuer, TaxAmountsRoundHalvesAwayFromZero) {
    const struct {
        const char *amount;
        double percent;
        const char *inBrutto; // tax contained in the amount taken as gross
        const char *onNetto;  // tax on the amount taken as net
        const char *why;
    } rows[] = {
        {"119.00", 19, "19.00", "22.61", "exact"},
        {"100.00", 19, "15.97", "19.00", "1596.64 cents; exact"},
        {"10.00", 19, "1.60", "1.90", "159.66 cents; exact"},
        {"0.5950", 19, "0.10", "0.11", "9.5 cents up; 11.305 cents"},
        {"-0.5950", 19, "-0.10", "-0.11", "-9.5 cents away from zero"},
        {"0.50", 19, "0.08", "0.10", "7.98 cents; 9.5 cents up"},
        {"-0.50", 19, "-0.08", "-0.10", "reversal: -9.5 cents away from zero"},
        {"0.05", 19, "0.01", "0.01", "0.798 cent; 0.95 cent"},
        {"0.5350", 7, "0.04", "0.04", "3.5 cents up; 3.745 cents"},
        {"-0.5350", 7, "-0.04", "-0.04", "-3.5 cents away from zero"},
        {"0.50", 7, "0.03", "0.04", "3.27 cents; 3.5 cents up"},
        {"107.00", 7, "7.00", "7.49", "exact; 749 cents"},
        {"116.00", 16, "16.00", "18.56", "exact"},
        {"10.00", 16, "1.38", "1.60", "137.93 cents; exact"},
        {"0.03", 16, "0.00", "0.00", "0.41 cent; 0.48 cent"},
        {"119.00", 0, "0.00", "0.00", "no tax"},
        {"1189999999.99", 19, "190000000.00", "226100000.00",
         "large: 18999999999.84 cents; 22609999999.81 cents"},
        {"999999999.99", 7, "65420560.75", "70000000.00", "6542056074.77 cents; 6999999999.93"},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(std::string(r.amount) + " at " + std::to_string(r.percent) + " %: " + r.why);
        const Steuersatz satz = Steuersatz::fromPercent(r.percent);
        EXPECT_EQ(steuerInBrutto(eur(r.amount), satz), eur(r.inBrutto));
        EXPECT_EQ(steuerOnNetto(eur(r.amount), satz), eur(r.onNetto));
    }
}

TEST(Steuer, AmountsAreConvertedIntoTheCurrencyOfTheirDate) {
    const QDate lastMarkDay(2001, 12, 31), euroDay(2002, 1, 1), later(2024, 6, 30);
    const struct {
        const char *amount;
        bool euro;
        QDate date;
        const char *expected;
        const char *why;
    } rows[] = {
        {"100.00", true, lastMarkDay, "195.58", "195.583 DM"},
        {"100.00", true, euroDay, "100.00", "euro in the euro years"},
        {"100.00", false, euroDay, "51.13", "51.129 euros"},
        {"100.00", false, lastMarkDay, "100.00", "marks in the mark years"},
        {"100.00", false, later, "51.13", "marks booked long after"},
        {"-100.00", true, lastMarkDay, "-195.58", "reversal"},
        {"0.23", true, lastMarkDay, "0.45", "44.98 pfennigs"},
        {"0.01", false, euroDay, "0.01", "0.511 cent"},
        {"500.00", true, lastMarkDay, "977.92", "977.915 DM: the half goes up"},
        {"-500.00", true, lastMarkDay, "-977.92", "-977.915 DM: the half goes away from zero"},
        {"1000000000.00", true, lastMarkDay, "1955830000.00", "large"},
        {"1000000000.00", false, euroDay, "511291881.20", "large: 511291881.196 euros"},
        {"10000000000000.00", false, euroDay, "5112918811962.19",
         "5112918811962.185 euros: a half at the last of the sixteen places"},
        {"100.00", true, QDate(), "100.00", "euro without a date stays"},
        {"100.00", false, QDate(), "51.13", "marks without a date are converted"},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(std::string(r.amount) + (r.euro ? " EUR " : " DM ") +
                     r.date.toString(Qt::ISODate).toStdString() + ": " + r.why);
        EXPECT_EQ(toCurrencyOfDate(eur(r.amount), r.euro, r.date), eur(r.expected));
    }
}

TEST(Steuer, CurrencyTextFollowsTheEndOfThePeriod) {
    EXPECT_EQ(currencyTextOfPeriod(QDate(2001, 12, 31)), QStringLiteral("DM"));
    EXPECT_EQ(currencyTextOfPeriod(QDate(2002, 1, 1)), QStringLiteral("€"));
    EXPECT_EQ(currencyTextOfPeriod(QDate(2025, 12, 31)), QStringLiteral("€"));
    EXPECT_EQ(currencyTextOfPeriod(QDate()), QStringLiteral("DM")) << "a period without an end";
}
