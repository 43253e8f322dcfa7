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
    EXPECT_TRUE(ui.saw(QStringLiteral("Fällige Steuer automatisch berechnet!")));
    // Storing it again unchanged gives no warning.
    ui.clear();
    Table &b = fb->books().stapel;
    b.last();
    b.edit();
    e().setFocus(QStringLiteral("Betrag"));
    b.post();
    EXPECT_FALSE(ui.saw(QStringLiteral("Fällige Steuer automatisch berechnet!")));
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
}

TEST_F(Books, CashBasisPaymentAtAnotherRate) {
    fb->books().settings.istSteuer = true;
    fb->books().settings.setMwstSatz(QStringLiteral("070"));
    ASSERT_TRUE(book("06.03.%Y;1;1000;1400;Zahlung;107,00;B;"));
    EXPECT_EQ(lastDue(fb->books()).st, Money::fromCents(700));
    EXPECT_DOUBLE_EQ(lastDue(fb->books()).satz, 7.0);
}

} // namespace ledra
