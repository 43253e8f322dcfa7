// The consistency check: which open items it deletes, the counter "AutoNr" it writes, and
// what an abort leaves behind.

#include "KlaroFixture.h"
#include "books/Settings.h"

#include <gtest/gtest.h>

namespace ledra {

namespace {

struct OpCheck : ::testing::Test, KlaroFixture {
    int counter() const { return autoNumberCounter(fx.base, 0); }
};

} // namespace

TEST_F(OpCheck, ItemsOfEarlierYearsStayItemsOfNoYearGoAndTheCounterSkipsHugeNumbers) {
    const QString y = yearFolder(QStringLiteral("LEDRA23"));
    yearFolder(QStringLiteral("LEDRA22"));
    book(1200, QDate(2024, 2, 1), 1, QStringLiteral("R: A"), 10000, 8400, 11900, 1900);
    book(2000000001, QDate(2024, 2, 2), 2, QStringLiteral("Sonder"), 1200, 8400, 100, 0);
    book(900, QDate(2023, 5, 1), 3, QStringLiteral("R: B"), 10000, 8400, 5000, 0, true, y);
    openItem(900, 5000);
    openItem(1200, 11900);
    openItem(1100, 100); // its booking was deleted from every journal
    OffenePostenRules &r = open();
    ui.answers = {Btn::Yes};
    const auto p = r.pruefen();
    EXPECT_TRUE(p.ran);
    EXPECT_FALSE(p.aborted);
    EXPECT_EQ(p.deleted, 1);
    EXPECT_EQ(opCount(), 2);
    EXPECT_EQ(counter(), 1201);
    EXPECT_TRUE(ui.saw(QStringLiteral("Interne OP-Nr.: 1200")));
    EXPECT_EQ(r.jahr(), 0);
}

TEST_F(OpCheck, NoItemsAndEmptyJournalsGiveCounterOne) {
    OffenePostenRules &r = open();
    ui.answers = {Btn::Yes};
    r.pruefen();
    EXPECT_EQ(counter(), 1);
    EXPECT_TRUE(ui.saw(QStringLiteral("Interne OP-Nr.: 0")));
}

TEST_F(OpCheck, DeclinedOrAbortedWritesNoCounter) {
    autoNumberCounter(fx.base, 77);
    yearFolder(QStringLiteral("LEDRA23"));
    book(5, QDate(2024, 2, 1), 1, QStringLiteral("R: A"), 10000, 8400, 100, 0);
    openItem(5, 100);
    openItem(6, 100);
    openItem(7, 100);
    OffenePostenRules &r = open();
    EXPECT_FALSE(r.pruefen().ran) << "No to the question";
    EXPECT_EQ(opCount(), 3);

    ui.answers = {Btn::Yes};
    int seen = 0;
    r.progress = [&](int pos, int max) {
        EXPECT_EQ(max, 3);
        seen = pos;
    };
    // Stopped after the second open item (number 6, which is deleted).
    r.abortRequested = [&] { return seen >= 2; };
    r.chooseJahr(1);
    const auto p = r.pruefen();
    EXPECT_TRUE(p.aborted);
    EXPECT_EQ(p.deleted, 1) << "deletions made so far stay";
    EXPECT_EQ(opCount(), 2);
    EXPECT_EQ(counter(), 77);
    EXPECT_EQ(r.jahr(), 0) << "the chooser shows \"Akt. Jahr\" again";
    EXPECT_FALSE(ui.saw(QStringLiteral("Interne OP-Nr.: 5")));
}

TEST_F(OpCheck, AnUnreadableJournalStopsTheCheckBeforeAnythingIsDeleted) {
    const QString y = yearFolder(QStringLiteral("LEDRA23"));
    fx.writeFile(y + QStringLiteral("/Journal.DB"), "kein Journal");
    openItem(5, 100);
    OffenePostenRules &r = open();
    ui.answers = {Btn::Yes};
    const auto p = r.pruefen();
    EXPECT_TRUE(p.aborted);
    EXPECT_EQ(opCount(), 1) << "its bookings might have been in the damaged journal";
    EXPECT_FALSE(ui.messages.empty());
}

} // namespace ledra
