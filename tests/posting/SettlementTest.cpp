// Open items on the booking entry's road: an invoice booking marks an open item, the transfer
// opens it, a payment taken over from it settles it in full or in part, the rest becomes the
// discount booking, and the transfer applies each row's effect once. The plug-in's core runs
// here without windows.

#include "PostingFixture.h"

#include "klaro/KlaroCore.h"
#include "store/Sql.h"
#include "store/Table.h"
#include "support/OpenItemFiles.h"

namespace ledra {

namespace {

struct Settlement : Books {
    KlaroCore core;
    void SetUp() override {
        Books::SetUp();
        fx.addAccount(4730, QStringLiteral("Gewährte Skonti"), 3, 19);
        fx.addAccount(5730, QStringLiteral("Erhaltene Skonti"), 1, 19);
        start();
        core.create(nullptr, ui);
        core.init(fx.base, QStringLiteral("€"));
        fb->setOpenItemsForTest(&core);
    }
    void TearDown() override { fb->setOpenItemsForTest(nullptr); }
    Table &batch() { return fb->books().stapel; }
    qint64 lastNumber() {
        batch().last();
        return batch().asInt(QStringLiteral("Autonummer"));
    }
    void transfer() {
        ui.answers = {Btn::Yes};
        e().transferStapel();
        ASSERT_TRUE(batch().isEmpty());
    }
    std::optional<Money> offen(qint64 nr) { return openItemAmount(fx.base, nr); }
    int stapelRows() { return stapelRowCount(fx.base); }
    // An invoice transferred into the journal: the number of its open item.
    qint64 invoice(const QString &line) {
        EXPECT_TRUE(book(line));
        const qint64 nr = lastNumber();
        transfer();
        EXPECT_TRUE(offen(nr));
        return nr;
    }
    // The manager window's "Übernahme" of the item, then the payment's account typed and the
    // amount entered (empty: as taken over); leaving the amount stores the row.
    bool pay(qint64 item, const QString &account, const QString &amount = QString()) {
        EXPECT_TRUE(core.selectForSettlement(item));
        try {
            e().takeOverOpenItem(1);
        } catch (const SilentAbort &) {
            return false;
        }
        const QString side = e().focused();
        for (QChar c : account)
            e().accountKey(side, c);
        if (!e().moveFocus(QStringLiteral("Betrag")))
            return false;
        if (!amount.isEmpty())
            e().setAmount(*Money::parseGerman(amount));
        // A discount row takes the focus to its text field; either way the payment is stored.
        e().moveFocus(QStringLiteral("Brutto"));
        return batch().isBrowse() || e().focused() == QStringLiteral("BuchText");
    }
};

} // namespace

TEST_F(Settlement, InvoiceBookingsAreMarkedSilentlyWhenNewAndWithAMessageWhenChanged) {
    ASSERT_TRUE(book("05.03.%Y;1;1400;8400;R: Meier;119,00;B;"));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(fb->status[3], QStringLiteral("Buchung erzeugt offenen Posten"));
    EXPECT_TRUE(fb->controls.opDatumEnabled);
    EXPECT_EQ(stapelRows(), 1) << "written with the row";

    batch().last();
    batch().edit();
    batch().setValue(QStringLiteral("Buchungstext"), QStringLiteral("R: Meier 2"));
    e().setFocus(QStringLiteral("Brutto"));
    batch().post();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, QStringLiteral("Buchung wurde als offener Posten markiert."));

    // A supplier invoice marks too; a customer against the bank does not.
    ASSERT_TRUE(book("06.03.%Y;2;3400;1600;L: Schulz;59,50;B;"));
    EXPECT_EQ(stapelRows(), 2);
    ASSERT_TRUE(book("07.03.%Y;3;1400;1200;Umbuchung;10,00;B;"));
    EXPECT_EQ(stapelRows(), 2);
    EXPECT_TRUE(fb->status[3].isEmpty());

    // Deleting a marked row removes its entry in the same transaction.
    batch().first();
    e().deleteRow();
    EXPECT_EQ(stapelRows(), 1);
}

TEST_F(Settlement, AFullPaymentLeavesNoDiscountAndTheTransferRemovesTheItem) {
    const qint64 item = invoice("05.03.%Y;815;1400;8400;R: Meier;119,00;B;");
    EXPECT_EQ(offen(item), Money::fromCents(11900));
    EXPECT_EQ(stapelRows(), 0) << "the transfer empties the settlement batch";

    ASSERT_TRUE(pay(item, QStringLiteral("1200")));
    EXPECT_EQ(batch().recordCount(), 1) << "no discount row";
    batch().last();
    EXPECT_EQ(batch().asInt(QStringLiteral("Soll")), 1200);
    EXPECT_EQ(batch().asInt(QStringLiteral("Haben")), 1400);
    EXPECT_EQ(batch().asInt(QStringLiteral("Belegnummer")), 815);
    EXPECT_EQ(batch().asMoney(QStringLiteral("Brutto")), Money::fromCents(11900));
    EXPECT_EQ(batch().asMoney(QStringLiteral("Steuer")), Money());
    EXPECT_EQ(fb->status[3], QStringLiteral("Buchung gleicht offenen Posten aus"));
    EXPECT_FALSE(e().opTakeover);

    // A second takeover of the same item is refused while the payment waits.
    ASSERT_TRUE(core.selectForSettlement(item));
    EXPECT_THROW(e().takeOverOpenItem(1), SilentAbort);
    EXPECT_EQ(ui.messages.back().text, QStringLiteral("OP schon im Buchungsstapel!"));
    EXPECT_TRUE(batch().isBrowse());

    transfer();
    EXPECT_FALSE(offen(item));
    EXPECT_EQ(stapelRows(), 0);
}

TEST_F(Settlement, APartialPaymentIsFollowedByTheDiscountAtTheInvoicesRate) {
    const qint64 item = invoice("05.03.%Y;815;1400;8400;R: Meier;100,00;B;");
    ASSERT_TRUE(pay(item, QStringLiteral("1200"), QStringLiteral("97,00")));
    ASSERT_EQ(batch().recordCount(), 2);
    batch().last();
    EXPECT_TRUE(batch().isBrowse()) << "the discount row is stored at once";
    EXPECT_EQ(batch().asString(QStringLiteral("Buchungstext")), QStringLiteral("gewährtes Skonto"));
    EXPECT_EQ(batch().asInt(QStringLiteral("Soll")), 4730);
    EXPECT_EQ(batch().asInt(QStringLiteral("Haben")), 1400);
    EXPECT_EQ(batch().asInt(QStringLiteral("Belegnummer")), 815);
    EXPECT_EQ(batch().asMoney(QStringLiteral("Brutto")), Money::fromCents(300));
    EXPECT_EQ(batch().asDouble(QStringLiteral("Steuersatz")), 19);
    EXPECT_EQ(batch().asMoney(QStringLiteral("Steuer")), Money::fromCents(48));
    EXPECT_EQ(e().openAmount, Money());
    EXPECT_EQ(saldo(1400), Money()) << "invoice, payment and discount balance the customer";

    transfer();
    EXPECT_FALSE(offen(item));
}

TEST_F(Settlement, DeletingTheDiscountRowLeavesTheRestOpen) {
    const qint64 item = invoice("05.03.%Y;815;1400;8400;R: Meier;100,00;B;");
    ASSERT_TRUE(pay(item, QStringLiteral("1200"), QStringLiteral("97,00")));
    batch().last();
    e().deleteRow();
    transfer();
    EXPECT_EQ(offen(item), Money::fromCents(300));
}

TEST_F(Settlement, AnOverpaymentIsRefusedAndTheRowStaysInEntry) {
    const qint64 item = invoice("05.03.%Y;815;1400;8400;R: Meier;119,00;B;");
    EXPECT_FALSE(pay(item, QStringLiteral("1200"), QStringLiteral("120,00")));
    EXPECT_EQ(ui.messages.back().text,
              QStringLiteral("Überzahlung! Dieser Betrag übersteigt 119,00 €"));
    EXPECT_TRUE(batch().isEditing());
    EXPECT_EQ(e().focused(), QStringLiteral("Betrag"));
}

TEST_F(Settlement, ASupplierItemIsPaidFromTheBankWithTheReceivedDiscount) {
    const qint64 item = invoice("05.03.%Y;816;3400;1600;L: Schulz;238,00;B;");
    ASSERT_TRUE(pay(item, QStringLiteral("1200"), QStringLiteral("233,24")));
    ASSERT_EQ(batch().recordCount(), 2);
    batch().first();
    EXPECT_EQ(batch().asInt(QStringLiteral("Soll")), 1600);
    EXPECT_EQ(batch().asInt(QStringLiteral("Haben")), 1200);
    batch().last();
    EXPECT_EQ(batch().asString(QStringLiteral("Buchungstext")),
              QStringLiteral("erhaltenes Skonto"));
    EXPECT_EQ(batch().asInt(QStringLiteral("Soll")), 1600);
    EXPECT_EQ(batch().asInt(QStringLiteral("Haben")), 5730);
    EXPECT_EQ(batch().asMoney(QStringLiteral("Brutto")), Money::fromCents(476));
    transfer();
    EXPECT_FALSE(offen(item));
    EXPECT_EQ(saldo(1600), Money());
}

TEST_F(Settlement, AMissingDiscountAccountIsNamedAndTheRowWaitsForOne) {
    fb->books().settings.skontoGew = QStringLiteral("4711");
    const qint64 item = invoice("05.03.%Y;815;1400;8400;R: Meier;100,00;B;");
    pay(item, QStringLiteral("1200"), QStringLiteral("97,00"));
    EXPECT_TRUE(ui.saw(QStringLiteral("Konto für gewährtes Skonto ist nicht bekannt!\rBitte "
                                      "tragen Sie es auf der Seite Einstellungen ein.")));
    ASSERT_EQ(batch().state(), DsState::Insert) << "the entry's checks refuse account 0";
    EXPECT_EQ(batch().asInt(QStringLiteral("Soll")), 0);
    // The user picks the account and stores: the row settles the same item.
    batch().setValue(QStringLiteral("Soll"), 4730);
    e().setFocus(QStringLiteral("Brutto"));
    batch().post();
    EXPECT_EQ(fb->status[3], QStringLiteral("Buchung gleicht offenen Posten aus"));
    transfer();
    EXPECT_FALSE(offen(item));
}

TEST_F(Settlement, ADmItemIsPaidInDmAndItsRestStaysInDm) {
    const qint64 item = invoice("05.03.%Y;815;1400;8400;R: Alt;200,00;B;");
    {
        // An item from the mark's days: its booking and amount in DM.
        Table j(Schemas::journal());
        j.setFolder(fx.base);
        j.open();
        ASSERT_TRUE(j.locate(QStringLiteral("Autonummer"), item));
        j.edit();
        j.setValue(QStringLiteral("Euro"), false);
        j.post();
    }
    ASSERT_TRUE(pay(item, QStringLiteral("1200"), QStringLiteral("150,00")));
    batch().first();
    EXPECT_FALSE(batch().asBool(QStringLiteral("Euro")));
    batch().last();
    EXPECT_FALSE(batch().asBool(QStringLiteral("Euro")));
    EXPECT_EQ(batch().asMoney(QStringLiteral("Brutto")), Money::fromCents(5000));
}

TEST_F(Settlement, AnItemDeletedBeforeTheTransferIsListedAndTheRestGoesOn) {
    const qint64 item = invoice("05.03.%Y;815;1400;8400;R: Meier;119,00;B;");
    ASSERT_TRUE(pay(item, QStringLiteral("1200")));
    ASSERT_TRUE(book("06.03.%Y;2;1400;8400;R: Neu;50,00;B;"));
    {
        Table op(Schemas::op());
        op.setFolder(fx.base);
        op.open();
        ASSERT_TRUE(op.locate(QStringLiteral("Nr"), item));
        op.remove();
    }
    ui.clear();
    transfer();
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_TRUE(
        ui.messages.back().text.contains(QStringLiteral("Offener Posten Nr. 815 nicht gefunden")));
    EXPECT_EQ(fb->books().journal.recordCount(), 3) << "the transfer went on";
    EXPECT_EQ(offen(lastNumber()), std::nullopt);
    EXPECT_EQ(stapelRows(), 0);
}

// A row the journal refuses ends the transfer: the invoice before it opened its item, the
// refused one and the payment after it keep their roles for the next transfer, which then
// applies each of them once.
TEST_F(Settlement, ARowTheJournalRefusesKeepsItsRoleAndTheRowsAfterItForTheNextTransfer) {
    const qint64 item = invoice("05.03.%Y;815;1400;8400;R: Meier;119,00;B;");
    ASSERT_TRUE(book("06.03.%Y;2;1400;8400;R: Vorher;50,00;B;"));
    const qint64 before = lastNumber();
    ASSERT_TRUE(book("06.03.%Y;3;4930;1200;Papier;10,00;B;"));
    ASSERT_TRUE(book("06.03.%Y;4;1400;8400;R: Gesperrt;20,00;B;"));
    const qint64 refused = lastNumber();
    ASSERT_TRUE(pay(item, QStringLiteral("1200")));
    const qint64 payment = lastNumber();
    fb->books().journal.appendRecord({refused, QDate(2026, 1, 1), QStringLiteral("alt")});
    ui.clear();
    ui.answers = {Btn::Yes};
    EXPECT_THROW(e().transferStapel(), SilentAbort);
    EXPECT_TRUE(ui.saw(QStringLiteral("Buchung 4 20,00 lässt sich nicht eintragen!")));
    EXPECT_EQ(offen(before), Money::fromCents(5000));
    EXPECT_EQ(offen(refused), std::nullopt);
    EXPECT_EQ(offen(item), Money::fromCents(11900)) << "the payment after it waits";
    EXPECT_EQ(stapelRows(), 2);
    EXPECT_EQ(batch().recordCount(), 2);

    execute(fb->books().journal, QStringLiteral("DELETE FROM Journal WHERE Autonummer = ?"),
            {refused});
    ui.clear();
    transfer();
    EXPECT_TRUE(ui.messages.empty()) << "nothing missing, nothing applied twice";
    EXPECT_EQ(offen(before), Money::fromCents(5000));
    EXPECT_EQ(offen(refused), Money::fromCents(2000));
    EXPECT_EQ(offen(item), std::nullopt) << "settled in full";
    EXPECT_EQ(offen(payment), std::nullopt);
    EXPECT_EQ(stapelRows(), 0);
}

TEST_F(Settlement, UnderCashBasisThePartialPaymentMakesOnlyItsOwnTaxDue) {
    fb->books().settings.istSteuer = true;
    const qint64 item = invoice("05.03.%Y;815;1400;8400;R: Meier;119,00;B;");
    ASSERT_TRUE(pay(item, QStringLiteral("1200"), QStringLiteral("59,50")));
    batch().first();
    EXPECT_EQ(batch().asMoney(QStringLiteral("Stfaellig")), Money::fromCents(950));
    EXPECT_EQ(batch().asDouble(QStringLiteral("Satzfaellig")), 19);
}

// A small year worked by hand: two customer invoices and a supplier invoice, one paid in
// full, two with discount. Every account ends where the figures say, no item stays open, and
// the two tax accounts hold 19 % of the revenue and the purchases net of their discounts.
TEST_F(Settlement, ASmallYearEndsWithTheBalancesAndTaxWorkedOutByHand) {
    const qint64 r1 = invoice("05.03.%Y;1;1400;8400;R: Erste;1190,00;B;");
    const qint64 r2 = invoice("06.03.%Y;2;1400;8400;R: Zweite;595,00;B;");
    const qint64 l1 = invoice("07.03.%Y;3;3400;1600;L: Holz;476,00;B;");
    ASSERT_TRUE(pay(r1, QStringLiteral("1200")));
    ASSERT_TRUE(pay(r2, QStringLiteral("1200"), QStringLiteral("583,10")));
    ASSERT_TRUE(pay(l1, QStringLiteral("1200"), QStringLiteral("466,48")));
    transfer();
    for (qint64 item : {r1, r2, l1})
        EXPECT_FALSE(offen(item)) << item;
    const std::pair<int, qint64> expected[] = {{1200, 130662},  {1400, 0},      {1600, 0},
                                               {8400, -150000}, {1776, -28310}, {4730, 1000},
                                               {3400, 40000},   {1576, 7448},   {5730, -800}};
    for (const auto &[konto, cents] : expected)
        EXPECT_EQ(saldo(konto), Money::fromCents(cents)) << konto;
}

} // namespace ledra
