// The filter dialog: its defaults, the conversions and lines OK writes, the refusals that
// keep it open, and user texts that must never become SQL.

#include "ReportsFixture.h"

#include "store/Table.h"
namespace ledra {

using reports::EingrenzungRules;
using reports::JournalQuery;

namespace {

struct Filter : ReportBooks {
    void SetUp() override {
        ReportBooks::SetUp();
        const int y = QDate::currentDate().year();
        journal(1, QDate(y - 1, 12, 31), QStringLiteral("Vorjahr"), 3400, 1200, "100,00", "119,00",
                "19,00", 19, 10);
        journal(2, day(1, 1), QStringLiteral("Miete Januar"), 4210, 1200, "500,00", "500,00",
                "0,00", 0, 30);
        journal(3, day(31, 3), QStringLiteral("Büro"), 4930, 1200, "10,00", "11,90", "1,90", 19,
                20);
        journal(4, day(1, 4), QStringLiteral("April"), 4930, 1200, "10,00", "11,90", "1,90", 19,
                25);
        journal(5, day(15, 2), QStringLiteral("Material"), 3400, 1000, "10,00", "11,90", "1,90", 19,
                20);
        journal(6, day(16, 2), QStringLiteral("Zahlung Meier"), 1200, 1400, "50,00", "50,00",
                "0,00", 0, 40);
        // The credit account of this row does not exist: no report lists it.
        journal(7, day(17, 2), QStringLiteral("Mzweck"), 4930, 9999, "1,00", "1,00", "0,00", 0, 21);
    }
};

} // namespace

TEST_F(Filter, DefaultsAndTheRangeOfEachSortOption) {
    EXPECT_EQ(dlg->sort, EingrenzungRules::Sort::Datum);
    EXPECT_EQ(dlg->fromText, QStringLiteral("01.01.") + year());
    EXPECT_EQ(dlg->toText, QStringLiteral("31.12.") + year());
    EXPECT_TRUE(dlg->sortChoiceVisible);
    EXPECT_FALSE(dlg->amountChoiceVisible);
    EXPECT_FALSE(dlg->Netto);
    EXPECT_TRUE(dlg->mitKontenVisible);
    EXPECT_FALSE(dlg->mitKonten);
    EXPECT_FALSE(dlg->mitDetailsVisible);
    EXPECT_FALSE(dlg->waitNoteVisible);

    dlg->sortByBelegnummer();
    EXPECT_EQ(dlg->fromText, QStringLiteral("1"));
    EXPECT_EQ(dlg->toText, QStringLiteral("999999"));
    dlg->sortByText();
    EXPECT_EQ(dlg->fromText, QStringLiteral("A"));
    EXPECT_EQ(dlg->toText, QStringLiteral("zzz"));
    // The date option follows the booking period as it is now.
    fb->books().settings.buchVon = QStringLiteral("01.02.") + year();
    dlg->sortByDate();
    EXPECT_EQ(dlg->fromText, QStringLiteral("01.02.") + year());

    // Showing: focus on the sort group, or on OK when a launcher hid it.
    dlg->waitNoteVisible = true;
    dlg->nettoColor = EingrenzungRules::kRed;
    dlg->open();
    EXPECT_EQ(ui.focused, QStringLiteral("GroupBox1"));
    EXPECT_FALSE(dlg->waitNoteVisible);
    EXPECT_FALSE(dlg->nettoRed());
    dlg->sortChoiceVisible = false;
    dlg->open();
    EXPECT_EQ(ui.focused, QStringLiteral("OK"));
}

TEST_F(Filter, DateRangeIsRewrittenAndBoundsAreIncluded) {
    const QString yy = year().right(2);
    dlg->fromText = QStringLiteral("1.1.") + yy;
    dlg->toText = QStringLiteral("31.3.") + yy;
    ASSERT_TRUE(dlg->confirmRange());
    EXPECT_EQ(dlg->fromText, QStringLiteral("01.01.") + year());
    EXPECT_EQ(dlg->toText, QStringLiteral("31.03.") + year());
    EXPECT_EQ(dlg->QJournal.line(6), QStringLiteral("AND Belegdatum>=? AND Belegdatum<=?"));
    EXPECT_EQ(dlg->QJournal.lineParams(6), (QVariantList{day(1, 1), day(31, 3)}));
    EXPECT_EQ(dlg->QJournal.line(7), QStringLiteral("ORDER BY Belegdatum,Belegnummer,Autonummer"));
    EXPECT_TRUE(dlg->QJournal.isActive());
    EXPECT_EQ(dlg->QJournal.recordCount(), 4);
    EXPECT_EQ(listedTexts(), (QStringList{"Miete Januar", "Material", "Zahlung Meier", "Büro"}))
        << "ordered by date; row 7 has no credit account";
    EXPECT_FALSE(listedTexts().contains(QStringLiteral("Mzweck")));
}

TEST_F(Filter, VoucherAndTextRangesAndTheirOrder) {
    dlg->sortByBelegnummer();
    dlg->fromText = QStringLiteral("20");
    dlg->toText = QStringLiteral("30");
    ASSERT_TRUE(dlg->confirmRange());
    EXPECT_EQ(dlg->QJournal.line(7), QStringLiteral("ORDER BY Belegnummer,Belegdatum,Autonummer"));
    EXPECT_EQ(listedTexts(), (QStringList{"Material", "Büro", "April", "Miete Januar"}));

    dlg->sortByText();
    dlg->toText = QStringLiteral("M");
    ASSERT_TRUE(dlg->confirmRange());
    EXPECT_EQ(dlg->toText, QStringLiteral("Mz")) << "the edit keeps the appended letter";
    EXPECT_EQ(dlg->QJournal.line(7), QStringLiteral("ORDER BY Buchungstext,Autonummer"));
    EXPECT_EQ(listedTexts(), (QStringList{"April", "Büro", "Material", "Miete Januar"}))
        << "texts beginning with M belong to the range";
    ASSERT_TRUE(dlg->confirmRange());
    EXPECT_EQ(dlg->toText, QStringLiteral("Mzz"));
}

TEST_F(Filter, HiddenSortGroupLeavesTheLaunchersOrder) {
    dlg->sortChoiceVisible = false;
    dlg->QJournal.setLine(7, QStringLiteral("ORDER BY Steuersatz,Belegdatum,Belegnummer"));
    ASSERT_TRUE(dlg->confirmRange());
    EXPECT_EQ(dlg->QJournal.line(7), QStringLiteral("ORDER BY Steuersatz,Belegdatum,Belegnummer"));
    EXPECT_EQ(listedTexts().first(), QStringLiteral("Miete Januar")) << "rate 0 first";
}

TEST_F(Filter, UnreadableBoundsKeepTheDialogOpenWithFocusOnTheirEdit) {
    dlg->fromText = QStringLiteral("31.02.") + year();
    EXPECT_FALSE(dlg->confirmRange());
    EXPECT_EQ(ui.focused, QStringLiteral("EVon"));
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_EQ(ui.messages.back().kind, MsgKind::Error);
    EXPECT_FALSE(dlg->QJournal.isActive());

    dlg->fromText = QStringLiteral("1.2.") + year().right(2);
    dlg->toText = QStringLiteral("Ostern");
    EXPECT_FALSE(dlg->confirmRange());
    EXPECT_EQ(ui.focused, QStringLiteral("EBis"));
    EXPECT_EQ(dlg->activeControl, QStringLiteral("EBis"));
    EXPECT_EQ(dlg->fromText, QStringLiteral("01.02.") + year()) << "the from edit was read before";
    EXPECT_TRUE(ui.messages.back().text.contains(QStringLiteral("Ostern")));

    dlg->sortByBelegnummer();
    dlg->fromText = QStringLiteral("12a");
    EXPECT_FALSE(dlg->confirmRange());
    EXPECT_EQ(ui.focused, QStringLiteral("EVon"));
    dlg->fromText = QStringLiteral("1");
    dlg->toText = QStringLiteral("");
    EXPECT_FALSE(dlg->confirmRange());
    EXPECT_EQ(ui.focused, QStringLiteral("EBis"));
    EXPECT_FALSE(dlg->waitNoteVisible);
}

TEST_F(Filter, EmptyRangeShowsItsMessageAndStaysOpen) {
    dlg->sortByBelegnummer();
    dlg->fromText = QStringLiteral("500");
    EXPECT_FALSE(dlg->confirmRange());
    EXPECT_TRUE(ui.saw(QStringLiteral("Keine passenden Buchungssätze gefunden!")));
    EXPECT_EQ(ui.messages.back().kind, MsgKind::Info);
    EXPECT_FALSE(dlg->waitNoteVisible);
    EXPECT_FALSE(dlg->QJournal.isActive());
}

TEST_F(Filter, TypedTextsNeverBecomeSql) {
    const QStringList attacks = {
        QStringLiteral("A\" OR \"1\"=\"1"),
        QStringLiteral("' OR '1'='1"),
        QStringLiteral("\"; DROP TABLE Journal; --"),
        QStringLiteral("0) OR 1=1 --"),
        QStringLiteral("x' UNION SELECT * FROM K.Konten --"),
    };
    const int rows = fb->books().journal.recordCount();
    for (const auto sort : {EingrenzungRules::Sort::Datum, EingrenzungRules::Sort::Belegnummer,
                            EingrenzungRules::Sort::Buchungstext}) {
        for (const QString &attack : attacks) {
            {
                SCOPED_TRACE(attack.toStdString());
                dlg->choose(sort);
                dlg->fromText = dlg->toText = attack;
                ui.clear();
                EXPECT_NO_THROW(EXPECT_FALSE(dlg->confirmRange()));
                ASSERT_EQ(ui.messages.size(), 1u);
                if (sort == EingrenzungRules::Sort::Buchungstext)
                    EXPECT_EQ(ui.messages.back().text,
                              QStringLiteral("Keine passenden Buchungssätze gefunden!"))
                        << "the text is compared as a value";
                else
                    EXPECT_EQ(ui.messages.back().kind, MsgKind::Error)
                        << "no date or number: nothing runs";
                EXPECT_FALSE(dlg->QJournal.line(6).contains(attack));
            }
            if (sort != EingrenzungRules::Sort::Buchungstext) {
                // A good from-value and the text in the to-edit.
                dlg->choose(sort);
                dlg->toText = attack;
                EXPECT_FALSE(dlg->confirmRange());
                EXPECT_EQ(ui.focused, QStringLiteral("EBis"));
            }
        }
    }
    fb->books().journal.refresh();
    EXPECT_EQ(fb->books().journal.recordCount(), rows);

    // Quotes are just characters of a booking text.
    journal(8, day(3, 3), QStringLiteral("O'Brien \"Kunde\""), 1200, 8400, "1,00", "1,00", "0,00",
            0, 50);
    dlg->sortByText();
    dlg->fromText = dlg->toText = QStringLiteral("O'Brien \"Kunde\"");
    ASSERT_TRUE(dlg->confirmRange());
    EXPECT_EQ(listedTexts(), QStringList{QStringLiteral("O'Brien \"Kunde\"")});
}

TEST_F(Filter, OnlyTheSortGroupDroppedOnNettoTurnsItRed) {
    EXPECT_TRUE(dlg->acceptsNettoDrag(EingrenzungRules::DragSource::GroupBox));
    EXPECT_FALSE(dlg->acceptsNettoDrag(EingrenzungRules::DragSource::Other));
    dlg->dropNetto(EingrenzungRules::DragSource::Other);
    EXPECT_FALSE(dlg->nettoRed());
    dlg->dropNetto(EingrenzungRules::DragSource::GroupBox);
    EXPECT_EQ(dlg->nettoColor, 255);
}

TEST_F(Filter, QueryLinesBindTheirOwnValuesAndTheFilterKeepsTheOrder) {
    JournalQuery &q = dlg->QJournal;
    EXPECT_THROW(q.setLine(6, QStringLiteral("AND Belegnummer>=?")), std::invalid_argument);
    EXPECT_THROW(q.setLine(8, QString()), std::out_of_range);
    dlg->sortByBelegnummer();
    ASSERT_TRUE(dlg->confirmRange());
    q.setFilter(QStringLiteral("Soll=? OR Haben=?"), {4930, 4930});
    q.setFiltered(true);
    q.open();
    EXPECT_EQ(q.recordCount(), 2);
    EXPECT_EQ(listedTexts(), (QStringList{"Büro", "April"}));
    q.setFiltered(false);
    // A launcher replacing the range with fixed text drops the dialog's values with it.
    q.setLine(6, QStringLiteral("AND Belegnummer=40"));
    EXPECT_TRUE(q.params().isEmpty());
    q.open();
    EXPECT_EQ(listedTexts(), QStringList{QStringLiteral("Zahlung Meier")});
}

} // namespace ledra
