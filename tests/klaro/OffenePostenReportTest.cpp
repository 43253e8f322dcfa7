// The list print: marks, the three totals, DM and euro rows together, the empty list.

#include "klaro/OffenePostenReport.h"
#include "KlaroFixture.h"
#include "klaro/OffenePostenCsv.h"
#include "reportengine/Layout.h"
#include "reportengine/TextRenderer.h"

#include <gtest/gtest.h>

namespace ledra {

TEST(OpReportMark, CreditSidePartnerIsPayableDebitSideReceivable) {
    EXPECT_EQ(OffenePostenReport::art(1, 8), QStringLiteral("V"));
    EXPECT_EQ(OffenePostenReport::art(7, 3), QStringLiteral("F"));
    EXPECT_EQ(OffenePostenReport::art(4, 7), QStringLiteral("V"))
        << "a customer account on the credit side";
    EXPECT_EQ(OffenePostenReport::art(4, 3), QStringLiteral(" "));
}

TEST(OpReportCsv, TextsAreQuotedAndFormulaStartsNeutralised) {
    EXPECT_EQ(csvText(QStringLiteral("=SUMME(A1)")), QStringLiteral("\"'=SUMME(A1)\""));
    EXPECT_EQ(csvText(QStringLiteral("Papier \"A4\"; 5 Stk")),
              QStringLiteral("\"Papier \"\"A4\"\"; 5 Stk\""));
}

TEST(OpReport, PartlyPaidReceivableAddsItsOpenAmountAndTheFullTax) {
    KlaroFixture k;
    k.book(1, QDate(2024, 3, 5), 815, QStringLiteral("R: Müller"), 10000, 8400, 11900, 1900);
    k.book(2, QDate(2001, 6, 1), 816, QStringLiteral("R: Alt"), 10000, 8400, 20000, 2759, false);
    k.book(3, QDate(2024, 4, 9), 817, QStringLiteral("L: Holz"), 3400, 70000, 5950, 950);
    k.openItem(1, 5000); // 119,00 of which 69,00 were paid
    k.openItem(2, 20000);
    k.openItem(3, 5950);
    OffenePostenRules &r = k.open();
    OffenePostenReport rep(r.daten());
    const auto model = report::layoutReport(rep.Ausdruck);
    EXPECT_EQ(rep.sumForderungen, Money::fromCents(25000)) << "DM and euro added as they are";
    EXPECT_EQ(rep.sumSteuer, Money::fromCents(1900 + 2759));
    EXPECT_EQ(rep.sumVerbindlichkeiten, Money::fromCents(5950));
    const QString text = report::renderText(model);
    EXPECT_TRUE(text.contains(QStringLiteral("50,00 €")));
    EXPECT_TRUE(text.contains(QStringLiteral("200,00 DM")));
    EXPECT_TRUE(text.contains(QStringLiteral("250,00 €")));
    EXPECT_TRUE(text.contains(QStringLiteral("46,59 €")));

    // After the type filter "Verbindlichkeiten" the receivables total is 0.
    r.cycleArt();
    r.cycleArt();
    OffenePostenReport payables(r.daten());
    report::layoutReport(payables.Ausdruck);
    EXPECT_EQ(payables.sumForderungen, Money());
    EXPECT_EQ(payables.sumVerbindlichkeiten, Money::fromCents(5950));
}

TEST(OpReport, AnEmptyListPrintsOnePageWithHeadsAndZeroTotals) {
    KlaroFixture k;
    OffenePostenRules &r = k.open();
    OffenePostenReport rep(r.daten());
    const auto model = report::layoutReport(rep.Ausdruck);
    ASSERT_EQ(model.pages.size(), 1u);
    const QString text = report::renderText(model);
    for (const char *s :
         {"Offene Posten", "Ford/Verb.", "Forderungen", "Verbindlichkeiten", "Steuer:", "0,00 €"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(s))) << s;
}

} // namespace ledra
