// The plug-in's side of the settlement: what an open item hands over to the payment row, the
// settlement batch's entries, and how a transferred row opens, reduces or removes an item.

#include "KlaroFixture.h"
#include "klaro/KlaroCore.h"
#include "store/Sql.h"
#include "store/Table.h"
#include "support/OpenItemFiles.h"

#include <gtest/gtest.h>

namespace ledra {

namespace {

struct Ausgleich : ::testing::Test, KlaroFixture {
    KlaroCore core;
    void SetUp() override {
        book(101, QDate(2024, 3, 5), 815, QStringLiteral("R: Müller"), 10000, 8400, 11900, 1900);
        book(102, QDate(2024, 4, 9), 816, QStringLiteral("L: Holz"), 3400, 70000, 5950, 950);
        book(103, QDate(2024, 5, 2), 817, QStringLiteral("Umbuchung"), 1200, 8400, 1000, 0);
        openItem(101, 11900);
        openItem(102, 5950);
        openItem(103, 1000);
        core.create(nullptr, ui);
        core.init(fx.base, QStringLiteral("€"));
        ASSERT_NE(core.rules(), nullptr);
    }
    // The program's connection with the module's files, as a row's store or a transfer has it.
    SqlConnection connection() {
        const OffenePostenDateien f = core.files();
        return SqlConnection::attached(
            {{OffenePostenModule::stapelAlias(), f.stapel}, {OffenePostenModule::opAlias(), f.op}});
    }
    std::optional<Money> offen(qint64 nr) { return openItemAmount(fx.base, nr); }
    int stapelRows() { return stapelRowCount(fx.base); }
    std::optional<OffenerPostenAusgleich> take(qint64 nr) {
        EXPECT_TRUE(core.selectForSettlement(nr));
        return core.takeForSettlement();
    }
};

} // namespace

TEST_F(Ausgleich, ACustomerItemHandsOverItsAccountOnTheCreditSideWithTheTaxShare) {
    const auto a = take(101);
    ASSERT_TRUE(a);
    EXPECT_FALSE(a->soll);
    EXPECT_EQ(a->haben, 10000);
    EXPECT_EQ(a->brutto, Money::fromCents(11900));
    EXPECT_EQ(a->netto, Money::fromCents(11900));
    EXPECT_EQ(a->steuer, Money::fromCents(1900)) << "a fully open invoice hands over its tax";
    EXPECT_EQ(a->steuersatz, 19);
    EXPECT_EQ(a->belegnummer, 815);
    EXPECT_EQ(a->autonummer, 101);
    EXPECT_TRUE(a->euro);

    // Half of it paid: the tax share of what is still open.
    Table op(Schemas::op());
    op.setFolder(fx.base);
    op.open();
    ASSERT_TRUE(op.locate(QStringLiteral("Nr"), 101));
    op.edit();
    op.setMoney(QStringLiteral("Betrag"), Money::fromCents(5950));
    op.post();
    EXPECT_EQ(take(101)->steuer, Money::fromCents(950));
}

TEST_F(Ausgleich, ASupplierItemHandsOverItsAccountOnTheDebitSideWithoutTax) {
    const auto a = take(102);
    ASSERT_TRUE(a);
    EXPECT_EQ(a->soll, 70000);
    EXPECT_FALSE(a->haben);
    EXPECT_EQ(a->steuer, Money());
    EXPECT_EQ(a->brutto, Money::fromCents(5950));
}

TEST_F(Ausgleich, AnItemWithoutCustomerOrSupplierAccountIsRefusedButChosen) {
    EXPECT_FALSE(take(103));
    EXPECT_EQ(core.ausgleich()->handedOver(), 103);
    EXPECT_FALSE(core.selectForSettlement(999)) << "not in the list";
}

TEST_F(Ausgleich, TheSettlementBatchNotesEachRowsRoleOnce) {
    ASSERT_TRUE(take(101));
    core.addStapel(connection(), 500, false);
    EXPECT_EQ(core.stapelRole(500), QStringLiteral("Buchung gleicht offenen Posten aus"));
    EXPECT_TRUE(core.settledInStapel(101));
    EXPECT_FALSE(core.setPaymentTarget(500, QDate(2024, 6, 1)))
        << "only an opening row has a payment target";

    // The same row stored again as an invoice: one entry, now opening, settling nothing.
    core.addStapel(connection(), 500, true);
    EXPECT_EQ(stapelRows(), 1);
    EXPECT_EQ(core.stapelRole(500), QStringLiteral("Buchung erzeugt offenen Posten"));
    EXPECT_FALSE(core.settledInStapel(101));
    EXPECT_TRUE(core.setPaymentTarget(500, QDate(2024, 6, 1)));
    EXPECT_EQ(core.paymentTarget(500), QDate(2024, 6, 1));

    core.removeStapel(connection(), 500);
    EXPECT_TRUE(core.stapelRole(500).isEmpty());
}

TEST_F(Ausgleich, TransferredRowsOpenReduceAndRemoveItems) {
    // An invoice with its payment target, a partial payment of 101, a full one of 102.
    core.addStapel(connection(), 600, true);
    ASSERT_TRUE(core.setPaymentTarget(600, QDate(2024, 7, 1)));
    ASSERT_TRUE(take(101));
    core.addStapel(connection(), 601, false);
    ASSERT_TRUE(take(102));
    core.addStapel(connection(), 602, false);

    SqlConnection c = connection();
    EXPECT_TRUE(
        core.book(c, 600, Money::fromCents(23800).units(), true, QStringLiteral("1")).isEmpty());
    EXPECT_TRUE(
        core.book(c, 601, Money::fromCents(10000).units(), true, QStringLiteral("815")).isEmpty());
    EXPECT_TRUE(
        core.book(c, 602, Money::fromCents(5950).units(), true, QStringLiteral("816")).isEmpty());
    EXPECT_TRUE(core.book(c, 603, 10000, true, QStringLiteral("9")).isEmpty())
        << "a row without entry changes nothing";
    EXPECT_EQ(offen(600), Money::fromCents(23800));
    EXPECT_EQ(offen(101), Money::fromCents(1900));
    EXPECT_FALSE(offen(102)) << "paid in full";
    EXPECT_EQ(stapelRows(), 0) << "each applied entry leaves the settlement batch";
    Table op(Schemas::op());
    op.setFolder(fx.base);
    op.open();
    ASSERT_TRUE(op.locate(QStringLiteral("Nr"), 600));
    EXPECT_EQ(op.asDate(QStringLiteral("Datum")), QDate(2024, 7, 1));
}

TEST_F(Ausgleich, WhatCannotBeAppliedGoesIntoTheErrorListAndChangesNothing) {
    ASSERT_TRUE(take(101));
    core.addStapel(connection(), 700, false);
    core.addStapel(connection(), 701, true);
    // Meanwhile the item was deleted in the manager window.
    Table op(Schemas::op());
    op.setFolder(fx.base);
    op.open();
    ASSERT_TRUE(op.locate(QStringLiteral("Nr"), 101));
    op.remove();

    SqlConnection c = connection();
    EXPECT_EQ(core.book(c, 700, 11900, true, QStringLiteral("815")),
              QStringList{QStringLiteral("Offener Posten Nr. 815 nicht gefunden")});
    // An opening row whose number is an open item already: the engine's refusal is listed.
    execute(c, QStringLiteral("UPDATE opstapel.Stapel SET Nr = 102 WHERE Nr = 701"));
    const QStringList dup = core.book(c, 102, 100, true, QStringLiteral("816"));
    ASSERT_EQ(dup.size(), 1);
    EXPECT_EQ(offen(102), Money::fromCents(5950)) << "the refused row changed nothing";

    core.bookingCommitted(
        QStringList{QStringLiteral("Offener Posten Nr. 815 nicht gefunden")} + dup, true);
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_TRUE(ui.messages.back().text.contains(
        QStringLiteral("Beim Buchen der offenen Posten sind Fehler aufgetreten.")));
    EXPECT_TRUE(
        ui.messages.back().text.contains(QStringLiteral("Offener Posten Nr. 815 nicht gefunden")));
    core.finishBooking(connection());
    EXPECT_EQ(stapelRows(), 0);
}

TEST_F(Ausgleich, TheDetailDialogTurnsRowsIntoOpeningOnesOrStopsASettlement) {
    AusgleichRules &a = *core.ausgleich();
    // A row without entry: ticking "anlegen" makes it open an item.
    AusgleichRules::Detail d = a.beginDetail(800);
    EXPECT_FALSE(d.stored);
    EXPECT_FALSE(AusgleichRules::settleEnabled(d.opens, d.knr));
    a.acceptDetail(d, true, false);
    EXPECT_EQ(core.stapelRole(800), QStringLiteral("Buchung erzeugt offenen Posten"));

    // A taken-over payment: the settle box is ticked; unticking it drops the settlement.
    ASSERT_TRUE(take(101));
    core.addStapel(connection(), 801, false);
    d = a.beginDetail(801);
    EXPECT_TRUE(AusgleichRules::settleEnabled(d.opens, d.knr));
    a.acceptDetail(d, false, false);
    EXPECT_TRUE(core.stapelRole(801).isEmpty());

    // Turned into an opening row, the payment no longer names the item it settled.
    core.addStapel(connection(), 802, false);
    d = a.beginDetail(802);
    a.acceptDetail(d, true, true);
    EXPECT_FALSE(core.settledInStapel(101));
}

} // namespace ledra
