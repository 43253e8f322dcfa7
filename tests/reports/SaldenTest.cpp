// Trial balances on the page model, and the year fixture's balances themselves.

#include "YearFixture.h"

#include "accounts/USaldenNeu.h"

// The fixture's postings give the hand-worked balances, and a full recomputation from the
// journal agrees with the running update.
TEST_F(YearBooks, FixtureBalancesMatchHandWorkedFigures)
{
    const std::pair<int, qint64> expected[] = {
        {12, 0},
        {880, year::kKapital},
        {1000, year::kKasse},
        {1200, year::kBank},
        {1300, 0},
        {1400, year::kMeier},
        {1576, year::kVorsteuer},
        {1600, year::kSchulz},
        {1776, year::kUst},
        {1800, year::kPrivat},
        {3120, year::kFremd13b},
        {3400, year::kWareneingang},
        {4210, year::kMiete},
        {4930, year::kBuero},
        {8300, year::kErloese7},
        {8400, year::kErloese19},
        {8736, year::kSkonto},
    };
    for (const auto &[konto, cents] : expected) EXPECT_EQ(saldoCents(konto), cents) << konto;
    EXPECT_EQ(field(1200, "JVZSoll"), Money::fromCents(year::kBankSoll));
    EXPECT_EQ(field(1200, "JVZHaben"), Money::fromCents(year::kBankHaben));
    EXPECT_EQ(field(1776, "JVZSoll"), Money::fromCents(year::kUstSoll));
    const auto before = totals();
    SaldenNeuClick(*fb);
    EXPECT_EQ(totals(), before);
}
