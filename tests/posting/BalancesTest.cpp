// Running balances: the effect of a booking on its accounts, and the invariant that removing
// and adding a booking again changes nothing.

#include "PostingFixture.h"

#include "books/Balances.h"
#include "store/Sql.h"
#include "store/SqlTransaction.h"
#include "store/Table.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <limits>
namespace ledra {

TEST_F(Books, CostBookingMovesCostBankAndInputTax) {
    ASSERT_TRUE(book("05.03.%Y;1;3400;1200;Ware;119,00;B;"));
    EXPECT_EQ(saldo(3400), Money::fromCents(10000));
    EXPECT_EQ(saldo(1200), Money::fromCents(-11900));
    EXPECT_EQ(saldo(1576), Money::fromCents(1900));
    EXPECT_EQ(field(3400, "JVZSoll"), Money::fromCents(10000));
    EXPECT_EQ(field(1576, "JVZSoll"), Money::fromCents(1900));
    EXPECT_EQ(field(1200, "JVZHaben"), Money::fromCents(11900));
    EXPECT_EQ(fb->books().konten.asDate(QStringLiteral("Datum1")),
              QDate(QDate::currentDate().year(), 3, 5));
    // Revenue: output tax on the credit side of the VAT account.
    ASSERT_TRUE(book("06.03.%Y;2;1000;8400;Verkauf;238,00;B;"));
    EXPECT_EQ(saldo(1776), Money::fromCents(-3800));
    EXPECT_EQ(saldo(8400), Money::fromCents(-20000));
    EXPECT_EQ(saldo(1000), Money::fromCents(23800));
}

TEST_F(Books, EditCancelDeleteKeepTheInvariant) {
    ASSERT_TRUE(book("05.03.%Y;1;3400;1200;Ware;119,00;B;"));
    ASSERT_TRUE(book("06.03.%Y;2;1000;8400;Verkauf;238,00;B;"));
    const auto before = totals();
    Table &b = fb->books().stapel;
    b.first();
    b.edit(); // the balances change only when the changed row is stored
    EXPECT_EQ(totals(), before);
    b.cancel();
    EXPECT_EQ(totals(), before);
    b.first();
    b.edit();
    e().setFocus(QStringLiteral("Betrag"));
    b.post(); // stored again with the same values
    EXPECT_EQ(totals(), before);
    b.first();
    b.edit();
    e().setFocus(QStringLiteral("Betrag"));
    e().setAmount(Money::fromCents(23800));
    b.post();
    EXPECT_EQ(saldo(3400), Money::fromCents(20000));
    EXPECT_EQ(saldo(1576), Money::fromCents(3800));
    b.first();
    e().deleteRow();
    b.first();
    e().deleteRow();
    EXPECT_TRUE(b.isEmpty());
    for (const auto &[nr, t] : totals()) {
        EXPECT_EQ(t[0], 0) << nr;
        EXPECT_EQ(t[1], 0) << nr;
        EXPECT_EQ(t[2], 0) << nr;
    }
}

TEST_F(Books, DeletingOutsideThePeriodIsRefused) {
    ASSERT_TRUE(book("05.03.%Y;1;3400;1200;Ware;119,00;B;"));
    fb->books().settings.buchVon = QStringLiteral("01.04.") + year();
    fb->books().stapel.first();
    EXPECT_THROW(e().deleteRow(), SilentAbort);
    EXPECT_TRUE(ui.saw(QStringLiteral("Löschen der Buchung nur im passenden Buchungsjahr!")));
    EXPECT_EQ(fb->books().stapel.recordCount(), 1);
    EXPECT_EQ(saldo(3400), Money::fromCents(10000));
}

TEST_F(Books, MissingAccountsAndTaxAccount) {
    // Without tax no tax account is needed.
    fb->books().settings.vorsteuer = QStringLiteral("9999");
    ASSERT_TRUE(book("05.03.%Y;1;4210;1200;Miete;500,00;B;"));
    EXPECT_EQ(saldo(4210), Money::fromCents(50000));
    // With tax the store fails and nothing changes.
    const auto before = totals();
    EXPECT_FALSE(book("05.03.%Y;2;4930;1200;Papier;119,00;B;"));
    EXPECT_TRUE(ui.saw(QStringLiteral("Vorsteuer- oder Mwst-Konto nicht vorhanden!")));
    EXPECT_EQ(totals(), before);
    EXPECT_EQ(fb->books().stapel.recordCount(), 1);

    // A row whose debit account is gone: reported, and neither account changes.
    BookingAmounts r;
    r.date = QDate(2026, 3, 5);
    r.soll = 4711;
    r.haben = 1200;
    r.netto = r.brutto = Money::fromCents(1000);
    r.sollArt = std::nullopt;
    r.habenArt = KontoArt::Bank;
    ui.clear();
    EXPECT_FALSE(checkBalanceAccounts(fb->books().konten, fb->books().settings, &ui, r));
    EXPECT_TRUE(ui.saw(QStringLiteral("Fehler bei Saldeneintrag in Konto 4711")));
    EXPECT_EQ(totals(), before);
}

TEST_F(Books, DmAndEuroAreConvertedByDate) {
    // A euro booking of the mark years moves the balances by its value in marks.
    const QDate before2002(2001, 12, 15);
    BookingAmounts r;
    r.date = before2002;
    r.soll = 4210;
    r.haben = 1200;
    r.netto = r.brutto = Money::fromCents(10000);
    r.sollArt = KontoArt::Kosten;
    r.habenArt = KontoArt::Bank;
    r.euro = true;
    ASSERT_TRUE(checkBalanceAccounts(fb->books().konten, fb->books().settings, &ui, r));
    {
        SqlTransaction tr(fb->books().konten);
        writeBalances(fb->books().konten, quotedName(fb->books().konten), fb->books().settings, r,
                      BalanceDirection::Add);
        tr.commit();
    }
    EXPECT_EQ(saldo(4210), Money::fromCents(19558));
    EXPECT_EQ(saldo(1200), Money::fromCents(-19558));
}

TEST_F(Books, ReversedBookingsPutTaxOnTheOtherSide) {
    ui.answers = {Btn::Yes, Btn::Yes};
    ASSERT_TRUE(book("05.03.%Y;1;8400;1200;Gutschrift;119,00;B;")); // revenue to bank
    EXPECT_EQ(saldo(1776), Money::fromCents(1900)) << "VAT account on its debit side";
    ASSERT_TRUE(book("05.03.%Y;2;1200;4930;Erstattung;119,00;B;")); // bank to cost
    EXPECT_EQ(saldo(1576), Money::fromCents(-1900)) << "input tax on its credit side";
}

} // namespace ledra

namespace ledra {

// An account whose balance is near the end of the fixed-point range: a booking that would
// carry it over is refused with a message instead of wrapping round to a negative balance.
TEST_F(Books, BookingThatWouldOverflowAnAccountIsRefused) {
    const qint64 nearTop = std::numeric_limits<qint64>::max() - 500000; // 50 € below the top
    {
        SQLite::Database db((fx.base + QStringLiteral("/Konten.DB")).toStdString(),
                            SQLite::OPEN_READWRITE);
        SQLite::Statement st(db, "UPDATE Konten SET Saldo = ? WHERE KtoNr = 4210");
        st.bind(1, static_cast<int64_t>(nearTop));
        st.exec();
    }
    ASSERT_TRUE(book("05.03.%Y;1;4210;1200;Miete;40,00;B;"));
    const auto before = totals();
    ui.clear();
    EXPECT_FALSE(book("06.03.%Y;2;4210;1200;Miete;100,00;B;"));
    EXPECT_EQ(totals(), before);
    EXPECT_EQ(fb->books().stapel.recordCount(), 1);
    bool named = false;
    for (const auto &m : ui.messages)
        named = named || (m.text.contains(QStringLiteral("4210")) &&
                          m.text.contains(QStringLiteral("darstellbaren Betrag")));
    EXPECT_TRUE(named) << "no message names the account";
    // The other way round the account has room.
    ASSERT_TRUE(book("07.03.%Y;3;1200;4210;Erstattung;100,00;B;"));
    EXPECT_EQ(saldo(4210).units(), nearTop + 400000 - 1000000);
}

} // namespace ledra
