// Due VAT under cash-basis taxation for the common bookings.

#include "PostingFixture.h"

#include "store/Table.h"
namespace ledra {

namespace {
struct Due {
    Money st;
    double satz;
    bool satzNull;
};
Due lastDue(BooksSession &fb) {
    Table &b = fb.stapel;
    b.last();
    return {b.asMoney(QStringLiteral("Stfaellig")), b.asDouble(QStringLiteral("Satzfaellig")),
            b.isNull(QStringLiteral("Satzfaellig"))};
}
} // namespace

TEST_F(Books, CashBasisDueTaxTable) {
    fb->books().settings.istSteuer = true;
    // Cash sale: the full tax falls due.
    ASSERT_TRUE(book("05.03.%Y;1;1000;8400;Barverkauf;119,00;B;"));
    EXPECT_EQ(lastDue(fb->books()).st, Money::fromCents(1900));
    EXPECT_DOUBLE_EQ(lastDue(fb->books()).satz, 19.0);
    // Invoice to a customer: nothing due yet.
    ASSERT_TRUE(book("05.03.%Y;2;1400;8400;Rechnung;119,00;B;"));
    EXPECT_EQ(lastDue(fb->books()).st, Money());
    // The customer pays into the bank: the VAT contained in the payment, with a warning.
    ui.clear();
    ASSERT_TRUE(book("06.03.%Y;3;1200;1400;Zahlung Meier;119,00;B;"));
    EXPECT_EQ(lastDue(fb->books()).st, Money::fromCents(1900));
    EXPECT_DOUBLE_EQ(lastDue(fb->books()).satz, 19.0);
    // No invoice of voucher 3: the full rate, named in the warning.
    EXPECT_TRUE(ui.saw(QStringLiteral("Fällige Steuer automatisch berechnet! (Steuersatz 19 %)")));
    // Storing it again unchanged gives no warning.
    ui.clear();
    Table &b = fb->books().stapel;
    b.last();
    b.edit();
    e().setFocus(QStringLiteral("Betrag"));
    b.post();
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(lastDue(fb->books()).st, Money::fromCents(1900));
    // Reversal of a cash sale with "Storno": the full tax, clean-up skipped.
    ASSERT_TRUE(book("07.03.%Y;4;8400;1000;Storno Barverkauf;119,00;B;"));
    EXPECT_EQ(lastDue(fb->books()).st, Money::fromCents(1900));
    // Revenue debited without "Storno": due set by rule 1, then zeroed with the warning.
    ui.clear();
    ui.answers = {Btn::Yes};
    ASSERT_TRUE(book("07.03.%Y;5;8400;1200;Korrektur;119,00;B;"));
    EXPECT_EQ(lastDue(fb->books()).st, Money());
    EXPECT_TRUE(ui.saw(QStringLiteral("Fällige Steuer auf 0 gesetzt!")));
    // Credit note to a customer: nothing due, no warning.
    ui.clear();
    ui.answers = {Btn::Yes};
    ASSERT_TRUE(book("08.03.%Y;6;8400;1400;Gutschrift;119,00;B;"));
    EXPECT_EQ(lastDue(fb->books()).st, Money());
    EXPECT_FALSE(ui.saw(QStringLiteral("Fällige Steuer auf 0 gesetzt!")));
    // Cost booking against a supplier: nothing due.
    ASSERT_TRUE(book("08.03.%Y;7;3400;1600;Ware;119,00;B;"));
    EXPECT_EQ(lastDue(fb->books()).st, Money());
    // The credit note of voucher 6 paid back from the bank: the tax it contains, at the credit
    // note's rate, is marked so that the return takes it back.
    ui.clear();
    ASSERT_TRUE(book("09.03.%Y;6;1400;1200;Erstattung Gutschrift;119,00;B;"));
    EXPECT_EQ(lastDue(fb->books()).st, Money::fromCents(1900));
    EXPECT_DOUBLE_EQ(lastDue(fb->books()).satz, 19.0);
    EXPECT_FALSE(ui.saw(QStringLiteral("Fällige Steuer auf 0 gesetzt!")));
}

// A payment of a 7 % invoice takes the invoice's rate, not the full rate.
TEST_F(Books, CashBasisPaymentTakesTheRateOfItsInvoice) {
    fb->books().settings.istSteuer = true;
    ASSERT_TRUE(book("05.03.%Y;8;1400;8300;Rechnung Bücher;535,00;B;"));
    ui.clear();
    ASSERT_TRUE(book("06.03.%Y;8;1000;1400;Zahlung bar;535,00;B;"));
    EXPECT_EQ(lastDue(fb->books()).st, Money::fromCents(3500));
    EXPECT_DOUBLE_EQ(lastDue(fb->books()).satz, 7.0);
    EXPECT_TRUE(ui.saw(QStringLiteral("Fällige Steuer automatisch berechnet! (Steuersatz 7 %)")));
}

TEST_F(Books, CashBasisPaymentAtAnotherRate) {
    fb->books().settings.istSteuer = true;
    fb->books().settings.setMwstSatz(QStringLiteral("070"));
    ASSERT_TRUE(book("06.03.%Y;1;1000;1400;Zahlung;107,00;B;"));
    EXPECT_EQ(lastDue(fb->books()).st, Money::fromCents(700));
    EXPECT_DOUBLE_EQ(lastDue(fb->books()).satz, 7.0);
}

} // namespace ledra
