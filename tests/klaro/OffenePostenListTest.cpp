// The open-items list: which items it shows for a year, its filters built from typed text,
// the type cycle, the year chooser, the search, adding and deleting, and the amount texts.

#include "KlaroFixture.h"
#include "klaro/OffenePostenStore.h"
#include "store/Table.h"
#include "store/TableFile.h"

#include <QFile>
#include <gtest/gtest.h>

namespace ledra {

namespace {

struct OpList : ::testing::Test, KlaroFixture {
    void SetUp() override {
        // A customer invoice, a supplier invoice and a bank transfer without partner.
        book(101, QDate(2024, 3, 5), 815, QStringLiteral("R: Müller"), 10000, 8400, 11900, 1900);
        book(102, QDate(2024, 4, 9), 816, QStringLiteral("L: Holz"), 3400, 70000, 5950, 950);
        book(103, QDate(2024, 5, 2), 817, QStringLiteral("Umbuchung"), 1200, 8400, 1000, 0);
        openItem(101, 11900, 0, QDate(2024, 4, 5));
        openItem(102, 5950, 0, QDate(2024, 3, 1));
        openItem(103, 1000);
    }
    std::vector<qint64> listed() const {
        std::vector<qint64> n;
        for (const auto &r : rules->rows())
            n.push_back(r.autonummer);
        return n;
    }
};

} // namespace

TEST_F(OpList, AnItemWhoseBookingIsNotInTheYearsJournalIsNotListedButStays) {
    openItem(555, 100); // its booking was in no journal of this year
    open();
    EXPECT_EQ(listed(), (std::vector<qint64>{101, 102, 103}))
        << "the first opening lists every item of the year, without a type condition";
    EXPECT_EQ(opCount(), 4);

    // An earlier year joins its own journal; the open items stay those of the data folder.
    const QString y = yearFolder(QStringLiteral("LEDRA23"));
    book(555, QDate(2023, 12, 1), 900, QStringLiteral("R: Alt"), 10000, 8400, 100, 0, true, y);
    open();
    const int i = int(rules->jahre().indexOf(QStringLiteral("LEDRA23")));
    ASSERT_GT(i, 0);
    ASSERT_TRUE(rules->chooseJahr(i));
    EXPECT_EQ(listed(), (std::vector<qint64>{555}));
    EXPECT_EQ(rules->daten().journal.folder(), y);
}

TEST_F(OpList, AYearFolderWithoutJournalIsNamedAndTheChooserGoesBack) {
    QDir().mkpath(fx.base + QStringLiteral("/Sicherung"));
    OffenePostenRules &r = open();
    const int i = int(r.jahre().indexOf(QStringLiteral("Sicherung")));
    ASSERT_GT(i, 0) << "every sub-folder is offered";
    EXPECT_FALSE(r.chooseJahr(i));
    EXPECT_EQ(r.jahr(), 0);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_TRUE(ui.messages[0].text.contains(QStringLiteral("Sicherung")));
    EXPECT_EQ(listed().size(), 3u) << "the present year is shown again";
}

TEST_F(OpList, ThreeTypeClicksComeBackToAllAccountsWithTheCombinedCondition) {
    OffenePostenRules &r = open();
    EXPECT_EQ(r.artCaption(), QStringLiteral("Alle Konten"));
    EXPECT_TRUE(r.daten().lines()[6].isEmpty());
    r.cycleArt();
    EXPECT_EQ(r.artCaption(), QStringLiteral("Forderungen"));
    EXPECT_EQ(listed(), (std::vector<qint64>{101}));
    EXPECT_EQ(r.kundenLabel(), QStringLiteral("Kunde"));
    EXPECT_TRUE(r.kunden().empty()) << "no invoicing program: the chooser stays empty";
    r.cycleArt();
    EXPECT_EQ(r.artCaption(), QStringLiteral("Verbindlichkeiten"));
    EXPECT_EQ(listed(), (std::vector<qint64>{102}));
    EXPECT_EQ(r.kundenLabel(), QStringLiteral("Lieferant"));
    r.cycleArt();
    EXPECT_EQ(r.artCaption(), QStringLiteral("Alle Konten"));
    EXPECT_EQ(r.daten().lines()[6], QStringLiteral("AND (D2.Art=7 OR D3.Art=8)"));
    EXPECT_EQ(listed(), (std::vector<qint64>{101, 102})) << "the bank transfer has no partner";
    EXPECT_TRUE(r.kundenLabel().isEmpty());

    // Opening again lists everything, in the order chosen before.
    r.sortBy(OffenePostenRules::Sortierung::Zahlungsziel);
    r.show();
    EXPECT_EQ(r.artCaption(), QStringLiteral("Alle Konten"));
    EXPECT_EQ(listed(), (std::vector<qint64>{103, 102, 101})) << "empty target first, then by date";
}

TEST_F(OpList, AnAccountReplacesTheTypeAndASortKeepsItsCondition) {
    OffenePostenRules &r = open();
    r.cycleArt(); // Forderungen
    r.chooseKonto(8400);
    EXPECT_EQ(listed(), (std::vector<qint64>{101, 103}));
    r.sortBy(OffenePostenRules::Sortierung::Datum);
    EXPECT_EQ(r.konto(), 0) << "the chooser is emptied";
    EXPECT_EQ(listed(), (std::vector<qint64>{101, 103})) << "its condition stays";
}

TEST_F(OpList, RangeBoundsAreConvertedAndBoundNeverSplicedIntoTheQuery) {
    OffenePostenRules &r = open();
    r.von = QStringLiteral("1.4.24");
    EXPECT_TRUE(r.applyBereich(OffenePostenRules::Bereich::Datum));
    EXPECT_EQ(listed(), (std::vector<qint64>{102, 103}));
    EXPECT_FALSE(r.daten().lines()[7].contains(QStringLiteral("24")));

    r.von.clear();
    r.bis = QStringLiteral("30.04.2024");
    r.applyBereich(OffenePostenRules::Bereich::Datum);
    EXPECT_EQ(listed(), (std::vector<qint64>{101, 102})) << "the to-field alone: an upper bound";

    // A bound that does not convert is named and left out; the other one still holds.
    r.von = QStringLiteral("816\" OR 1=1 --");
    r.bis = QStringLiteral("816");
    EXPECT_FALSE(r.applyBereich(OffenePostenRules::Bereich::Belegnummer));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_TRUE(ui.messages[0].text.startsWith(QStringLiteral("Feld „von“")));
    EXPECT_EQ(ui.focused, QStringLiteral("EVon"));
    EXPECT_EQ(listed(), (std::vector<qint64>{101, 102}));
    EXPECT_FALSE(r.daten().lines()[7].contains(QStringLiteral("OR 1=1")));
}

TEST_F(OpList, ACustomerNarrowsTheRange) {
    Table t(Schemas::op());
    t.setFolder(fx.base);
    t.open();
    ASSERT_TRUE(OffenePostenStore::findNr(102, t));
    t.edit();
    t.setValue(QStringLiteral("KNr"), 4711);
    t.post();
    OffenePostenRules &r = open();
    r.bis = QStringLiteral("816");
    r.applyBereich(OffenePostenRules::Bereich::Belegnummer);
    r.chooseKunde(4711);
    EXPECT_EQ(listed(), (std::vector<qint64>{102}));
    r.chooseKunde(0);
    EXPECT_EQ(listed(), (std::vector<qint64>{102})) << "a choice of 0 changes nothing";
}

TEST_F(OpList, SearchMovesTheCursorByAmountWithACommaElseByVoucher) {
    OffenePostenRules &r = open();
    EXPECT_TRUE(r.search(QStringLiteral("59,50")));
    EXPECT_EQ(r.currentRow()->autonummer, 102);
    EXPECT_TRUE(r.search(QStringLiteral("817")));
    EXPECT_EQ(r.currentRow()->autonummer, 103);
    EXPECT_EQ(r.rows().size(), 3u) << "the list itself is not filtered";
    EXPECT_FALSE(r.search(QStringLiteral("81x"))) << "the window empties the field";
    EXPECT_FALSE(r.search(QStringLiteral("'; DROP TABLE OP; --")));
    EXPECT_EQ(opCount(), 3);
}

TEST_F(OpList, AddingTwiceIsRefusedAndDeletingAsksFirst) {
    OffenePostenRules &r = open();
    EXPECT_FALSE(r.addBooking(101));
    EXPECT_TRUE(ui.saw(QStringLiteral("Offener Posten ist schon vorhanden !")));
    book(104, QDate(2024, 6, 1), 818, QStringLiteral("Beliebig"), 1200, 8400, 2500, 0);
    r.daten().journal.refresh();
    ASSERT_TRUE(r.addBooking(104));
    EXPECT_EQ(r.currentRow()->autonummer, 104);
    EXPECT_EQ(r.currentRow()->betrag, Money::fromCents(2500)) << "its gross amount";

    ui.answers = {Btn::No, Btn::Yes};
    EXPECT_FALSE(r.deleteCurrent());
    ASSERT_FALSE(ui.questions.empty());
    EXPECT_EQ(ui.questions.back().text, QStringLiteral("OP zum Beleg 818 löschen ?"));
    EXPECT_EQ(opCount(), 4);
    EXPECT_TRUE(r.deleteCurrent());
    EXPECT_EQ(opCount(), 3);

    // A row gone from the table meanwhile: no question, only the list reloaded.
    r.setCurrent(0);
    const qint64 gone = r.currentRow()->autonummer;
    Table t(Schemas::op());
    t.setFolder(fx.base);
    t.open();
    ASSERT_TRUE(OffenePostenStore::findNr(gone, t));
    t.remove();
    const size_t asked = ui.questions.size();
    EXPECT_FALSE(r.deleteCurrent());
    EXPECT_EQ(ui.questions.size(), asked);
    EXPECT_EQ(r.rows().size(), 2u);
}

TEST_F(OpList, ChangingStoresOnlyWhatConverts) {
    OffenePostenRules &r = open();
    r.setCurrent(0); // 101
    auto before = r.beginChange();
    ASSERT_TRUE(before);
    EXPECT_EQ(before->wahl, OffenePostenRules::Aenderung::Wahl::Kunden) << "text begins with R:";
    EXPECT_FALSE(r.saveChange(*before, QStringLiteral("zwölf"), QString(), 0));
    EXPECT_EQ(ui.focused, QStringLiteral("DBBetrag"));
    EXPECT_TRUE(r.saveChange(*before, QStringLiteral("100.50"), QStringLiteral("31.12.24"), 0));
    EXPECT_EQ(r.rows()[0].betrag, Money::fromCents(10050));
    EXPECT_EQ(r.rows()[0].zahlungsziel, QDate(2024, 12, 31));
    r.setCurrent(2); // 103: no partner
    EXPECT_EQ(r.beginChange()->wahl, OffenePostenRules::Aenderung::Wahl::Keine);
}

TEST(OpAmountTexts, ListWithBlankAndUnitChangeDialogWithoutAndPlainForTyping) {
    ScriptedUi ui;
    OffenePostenStore s(ui);
    const Money m = Money::fromCents(123456);
    EXPECT_EQ(s.listAmountText(m, true), QStringLiteral("1.234,56 €"));
    EXPECT_EQ(s.listAmountText(m, std::nullopt), QStringLiteral("1.234,56 €"))
        << "an empty Euro field is a euro amount";
    EXPECT_EQ(s.listAmountText(m, false), QStringLiteral("1.234,56 DM"));
    EXPECT_EQ(s.itemAmountText(m, true, false), QStringLiteral("1.234,56€"));
    EXPECT_EQ(s.itemAmountText(m, false, false), QStringLiteral("1.234,56 DM"));
    EXPECT_EQ(s.itemAmountText(m, true, true), QStringLiteral("1234.56"));
}

TEST(OpTables, ANewTableBesideTheOldTakesItsRowsAndTheMissingOnesAreCreated) {
    KlaroFixture k;
    QFile::remove(k.fx.base + QStringLiteral("/Stapel.db"));
    k.openItem(7, 700);
    k.openItem(8, 800, 12, QDate(2024, 1, 31));
    TableFile::create(k.fx.base + QStringLiteral("/NEWOP.db"), Schemas::op());
    k.open();
    EXPECT_FALSE(QFile::exists(k.fx.base + QStringLiteral("/NEWOP.db")));
    EXPECT_TRUE(QFile::exists(k.fx.base + QStringLiteral("/Stapel.db")));
    Table &op = k.rules->daten().op;
    ASSERT_EQ(op.recordCount(), 2);
    ASSERT_TRUE(OffenePostenStore::findNr(8, op));
    EXPECT_EQ(op.asMoney(QStringLiteral("Betrag")), Money::fromCents(800));
    EXPECT_EQ(op.asInt(QStringLiteral("KNr")), 12);
    EXPECT_EQ(op.asDate(QStringLiteral("Datum")), QDate(2024, 1, 31));
    EXPECT_FALSE(OffenePostenStore::findNr(9, op));
    EXPECT_EQ(k.rules->daten().lastNumber(), 8);
}

} // namespace ledra
