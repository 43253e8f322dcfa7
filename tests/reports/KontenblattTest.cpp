// The account sheet and the cash book on the page model: which rows a sheet lists and in which
// column, the opening line, the carry-over lines between pages, the running cash balance, and
// what the launcher does with one, several or no accounts.

#include "ReportsFixture.h"
#include "YearFixture.h"

#include "reports/KassenbuchReport.h"
#include "reports/KontenblattReport.h"
#include "store/Table.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cmath>
namespace ledra {

using ledra::report::BandInstance;
using ledra::report::BandKind;
using ledra::report::Page;
using ledra::report::PageModel;

namespace {

// The text printed in a band under the column head `head` (the item that starts where the
// head starts), or "" when that column is blank.
QString cell(const Page &page, const BandInstance &band, const QString &head) {
    double x = -1;
    for (const BandInstance &b : page.bands)
        if (b.kind == BandKind::ColumnHeader)
            for (const auto &t : b.texts)
                if (t.text == head)
                    x = t.rect.x();
    for (const auto &t : band.texts)
        if (std::abs(t.rect.x() - x) < 0.01)
            return t.text;
    return {};
}

struct Occurrence {
    const Page *page;
    const BandInstance *band;
    bool top; // carry-over lines: below the page header rather than above the footer
    QString at(const QString &head) const { return cell(*page, *band, head); }
    QString texts() const {
        QStringList t;
        for (const auto &item : band->texts)
            t << item.text;
        return t.join(QLatin1Char('|'));
    }
};

std::vector<Occurrence> occurrences(const PageModel &model, BandKind kind) {
    std::vector<Occurrence> out;
    for (const Page &page : model.pages)
        for (const BandInstance &band : page.bands)
            if (band.kind == kind)
                out.push_back({&page, &band, band.top < page.sizeMm.height() / 2});
    return out;
}

// Cents of a fixed-point amount as the sheet prints it ("1234,56").
qint64 cents(const QString &text) {
    const auto m = Money::parseGerman(text);
    return m ? m->units() / 100 : -999999999;
}

struct Sheets : ReportBooks {
    void SetUp() override {
        ReportBooks::SetUp();
        okAtOnce();
    }
    // Runs the launcher for one account, as a double click on its row does.
    void sheetOf(int konto) {
        ASSERT_TRUE(fb->books().kontenGrid.locate(QStringLiteral("KtoNr"), konto)) << konto;
        reports::printKontenblatt(*ctx);
    }
    qint64 bookmarkOf(int konto) {
        EXPECT_TRUE(fb->books().kontenGrid.locate(QStringLiteral("KtoNr"), konto)) << konto;
        return fb->books().kontenGrid.bookmark();
    }
    const PageModel &only() {
        EXPECT_EQ(viewer.models.size(), 1u);
        return viewer.models.back();
    }
};

} // namespace

// Bank 1200, opening debit 1,000.00:
//   15.01. Papier         4930 -> 1200  119.00 gross          credit 119.00
//   10.03. Zahlung Meier  1200 -> 1400  238.00                debit  238.00, rate "0"
//   20.03. Einlage in DM  1200 -> 1800  100.00 DM             debit  100.00, counts 51.13
//   25.03. Import         1200 -> 1800  -20.00                debit  -20.00 (counts as well)
//   05.04. Miete          4210 -> 1300  (not on this account)
// From 01.01.: debit 1,000.00 + 238.00 + 51.13 - 20.00 = 1,269.13, credit 119.00,
// balance 1,150.13. From 01.02.: no opening line, debit 269.13, credit 0.00.
TEST_F(Sheets, OpeningLineColumnsAndBalance) {
    opening(1200, 100000, 0);
    journal(1, day(15, 1), QStringLiteral("Papier"), 4930, 1200, "100,00", "119,00", "19,00", 19,
            1);
    journal(2, day(10, 3), QStringLiteral("Zahlung Meier"), 1200, 1400, "238,00", "238,00", "0,00",
            19, 2);
    journal(3, day(20, 3), QStringLiteral("Einlage in DM"), 1200, 1800, "100,00", "100,00", "0,00",
            0, 3, false);
    journal(4, day(25, 3), QStringLiteral("Import"), 1200, 1800, "-20,00", "-20,00", "0,00", 0, 4);
    journal(5, day(5, 4), QStringLiteral("Miete"), 4210, 1300, "800,00", "800,00", "0,00", 0, 5);
    dlg->fromText = QStringLiteral("01.01.") + year();
    sheetOf(1200);
    EXPECT_EQ(dlg->caption, QStringLiteral("Kontenblatt 1200 Bank"));
    EXPECT_EQ(dlg->helpContext, 21);
    EXPECT_FALSE(dlg->mitKontenVisible);
    EXPECT_TRUE(dlg->sortChoiceVisible) << "the sort options stay";
    const PageModel &model = only();
    ASSERT_EQ(model.pages.size(), 1u);
    const Page &page = model.pages[0];
    EXPECT_EQ(page.margins.left, 13) << "the left-margin setting replaces the design's 15 mm";
    const QStringList texts = page.texts();
    for (const QString &t : {QStringLiteral("Kontenblatt"), QStringLiteral("Bank"),
                             QStringLiteral("Von 01.01.%1 bis 31.12.%1").arg(year()),
                             QStringLiteral("Sortierung: Datum"), fb->status[2]})
        EXPECT_TRUE(texts.contains(t)) << t.toStdString();

    const auto carry = occurrences(model, BandKind::CarryOver);
    ASSERT_EQ(carry.size(), 1u) << "one page: the opening line and no carry-over footer";
    EXPECT_TRUE(carry[0].top);
    EXPECT_EQ(carry[0].texts(), QStringLiteral("Anfangsstand:|1000,00|0,00"));

    const auto lines = occurrences(model, BandKind::Detail);
    ASSERT_EQ(lines.size(), 4u);
    const QString y = year();
    EXPECT_EQ(lines[0].texts(),
              QStringLiteral("15.01.%1|1|Papier|119,00|€|4930|Bürobedarf|19").arg(y));
    EXPECT_EQ(lines[0].at(QStringLiteral("Haben")), QStringLiteral("119,00"));
    EXPECT_EQ(lines[0].at(QStringLiteral("Soll")), QString());
    EXPECT_EQ(lines[1].at(QStringLiteral("Soll")), QStringLiteral("238,00"));
    EXPECT_TRUE(lines[1].texts().endsWith(QStringLiteral("|1400|Kunde Meier|0")))
        << "a customer's payment carries no rate: " << lines[1].texts().toStdString();
    EXPECT_EQ(lines[2].at(QStringLiteral("Soll")), QStringLiteral("100,00")) << "as stored";
    EXPECT_TRUE(lines[2].texts().contains(QStringLiteral("|DM|1800|Privatentnahmen|")))
        << lines[2].texts().toStdString();
    EXPECT_EQ(lines[3].at(QStringLiteral("Soll")), QStringLiteral("-20,00"));

    const auto summary = occurrences(model, BandKind::Summary);
    ASSERT_EQ(summary.size(), 1u);
    EXPECT_EQ(summary[0].texts(), QStringLiteral("Saldo:|1.150,13 €|1269,13|119,00|€"));

    // From 01.02. the sheet opens with the balance before it, 1.000,00 - 119,00, and ends with
    // the same balance as the sheet of the whole year.
    viewer.models.clear();
    dlg->fromText = QStringLiteral("01.02.") + year();
    sheetOf(1200);
    const PageModel &later = only();
    ASSERT_EQ(occurrences(later, BandKind::CarryOver).size(), 1u);
    EXPECT_EQ(occurrences(later, BandKind::CarryOver)[0].texts(),
              QStringLiteral("Anfangsstand:|881,00|0,00"));
    ASSERT_EQ(occurrences(later, BandKind::Detail).size(), 3u);
    EXPECT_EQ(occurrences(later, BandKind::Summary)[0].texts(),
              QStringLiteral("Saldo:|1.150,13 €|1150,13|0,00|€"));

    // The launcher leaves the query as it found it.
    EXPECT_EQ(enabledLog, (QStringList{"KBlatt=0", "KBlatt=1", "KBlatt=0", "KBlatt=1"}));
    EXPECT_FALSE(dlg->QJournal.isActive());
    EXPECT_FALSE(dlg->QJournal.isFiltered());
    EXPECT_TRUE(ui.messages.empty());
}

// A range that starts later (15.03.) opens with the balance of the rows before it, summed in the
// same walk that lists the range. Before the range:
//   10.01. Einlage in DM   1200 -> 1800  100.00 DM         bank debit 51.13
//   12.01. Papier          4930 -> 1200  119.00 (tax 19)   bank credit 119.00, input tax 19.00
//   13.01. Storno Papier   4930 -> 1200  -119.00 (-19)     bank credit -119.00, input tax -19.00
//   01.02. Wareneinkauf    3400 -> 1200  238.00 (tax 38)   bank credit 238.00, input tax 38.00
//   20.02. Fremdkonto      1200 -> 9999  500.00            no row: 9999 is not in the chart
//   14.03. Miete           4210 -> 1200  800.00            bank credit 800.00 (the day before)
//   14.03. Miete Sparkasse 4210 -> 1300  800.00            not on these accounts
// In the range:
//   15.03. Zahlung Meier   1200 -> 1400  238.00            bank debit 238.00, Meier credit
//   02.04. Büromaterial    4930 -> 1000  59.50 (tax 9.50)  input tax debit 9.50
//   20.04. Einlage in DM   1200 -> 1800  200.00 DM         bank debit 200.00, counts 102.26
// Bank (opening 1,000.00 S): 1,000.00 + 51.13 - 119.00 + 119.00 - 238.00 - 800.00 = 13.13 S
// before the range; 353.39 at its end, as on the sheet of the whole year. Input tax: 38.00 S
// before, 47.50 at the end. Meier (opening 500.00 S, no row before the range): the opening
// values carry.
TEST_F(Sheets, ALaterRangeOpensWithTheRowsBeforeItInTheSameWalk) {
    opening(1200, 100000, 0);
    opening(1400, 50000, 0);
    journal(1, day(10, 1), QStringLiteral("Einlage in DM"), 1200, 1800, "100,00", "100,00", "0,00",
            0, 1, false);
    journal(2, day(12, 1), QStringLiteral("Papier"), 4930, 1200, "100,00", "119,00", "19,00", 19,
            2);
    journal(3, day(13, 1), QStringLiteral("Storno Papier"), 4930, 1200, "-100,00", "-119,00",
            "-19,00", 19, 3);
    journal(4, day(1, 2), QStringLiteral("Wareneinkauf"), 3400, 1200, "200,00", "238,00", "38,00",
            19, 4);
    journal(5, day(20, 2), QStringLiteral("Fremdkonto"), 1200, 9999, "500,00", "500,00", "0,00", 0,
            5);
    journal(6, day(14, 3), QStringLiteral("Miete"), 4210, 1200, "800,00", "800,00", "0,00", 0, 6);
    journal(7, day(14, 3), QStringLiteral("Miete Sparkasse"), 4210, 1300, "800,00", "800,00",
            "0,00", 0, 7);
    journal(8, day(15, 3), QStringLiteral("Zahlung Meier"), 1200, 1400, "238,00", "238,00", "0,00",
            0, 8);
    journal(9, day(2, 4), QStringLiteral("Büromaterial"), 4930, 1000, "50,00", "59,50", "9,50", 19,
            9);
    journal(10, day(20, 4), QStringLiteral("Einlage in DM"), 1200, 1800, "200,00", "200,00", "0,00",
            0, 10, false);

    struct Expected {
        int konto;
        QString opening, lines, summary, yearSummary;
    };
    const Expected cases[] = {
        {1200, QStringLiteral("Anfangsstand:|13,13|0,00"), QStringLiteral("15.03.|20.04."),
         QStringLiteral("Saldo:|353,39 €|353,39|0,00|€"),
         QStringLiteral("Saldo:|353,39 €|1391,39|1038,00|€")},
        {1576, QStringLiteral("Anfangsstand:|38,00|0,00"), QStringLiteral("02.04."),
         QStringLiteral("Saldo:|47,50 €|47,50|0,00|€"),
         QStringLiteral("Saldo:|47,50 €|47,50|0,00|€")},
        {1400, QStringLiteral("Anfangsstand:|500,00|0,00"), QStringLiteral("15.03."),
         QStringLiteral("Saldo:|262,00 €|500,00|238,00|€"),
         QStringLiteral("Saldo:|262,00 €|500,00|238,00|€")},
    };
    for (const Expected &e : cases) {
        SCOPED_TRACE(e.konto);
        for (const bool later : {true, false}) {
            viewer.models.clear();
            dlg->fromText = (later ? QStringLiteral("15.03.") : QStringLiteral("01.01.")) + year();
            dlg->toText = QStringLiteral("31.12.") + year();
            sheetOf(e.konto);
            const PageModel &model = only();
            const auto summary = occurrences(model, BandKind::Summary);
            ASSERT_EQ(summary.size(), 1u);
            EXPECT_EQ(summary[0].texts(), later ? e.summary : e.yearSummary)
                << "the sheet ends with the same balance wherever its range starts";
            if (!later)
                continue;
            const auto carry = occurrences(model, BandKind::CarryOver);
            ASSERT_EQ(carry.size(), 1u);
            EXPECT_EQ(carry[0].texts(), e.opening);
            QStringList days;
            for (const auto &line : occurrences(model, BandKind::Detail))
                days << line.at(QStringLiteral("Datum")).left(6);
            EXPECT_EQ(days.join(QLatin1Char('|')), e.lines)
                << "the rows before the range are summed, not listed; the range's first day is";
        }
    }
    EXPECT_TRUE(ui.messages.empty());
}

// The tax accounts (settings: input tax 1576, VAT 1776) list the tax that posting put on them:
//   10.02. Papier       4930 (type 0) -> 1200  net 100.00, tax 19.00   input tax debit 19.00
//   11.02. Rückgabe     1200 -> 3400 (type 1)  net  50.00, tax  9.50   input tax credit 9.50
//   12.02. Korrektur    1576 -> 1200           5.00, rate 0            input tax debit 5.00
//   13.02. Verkauf      1200 -> 8400 (type 3)  net 200.00, tax 38.00   VAT credit 38.00
//   14.02. Miete        4210 -> 1200           rate 0                  on neither
// Input tax: debit 24.00, credit 9.50, balance 14.50. VAT: credit 38.00, balance -38.00.
TEST_F(Sheets, TaxAccountsListTheImplicitTaxAmounts) {
    journal(1, day(10, 2), QStringLiteral("Papier"), 4930, 1200, "100,00", "119,00", "19,00", 19,
            1);
    journal(2, day(11, 2), QStringLiteral("Rückgabe"), 1200, 3400, "50,00", "59,50", "9,50", 19, 2);
    journal(3, day(12, 2), QStringLiteral("Korrektur"), 1576, 1200, "5,00", "5,00", "0,00", 0, 3);
    journal(4, day(13, 2), QStringLiteral("Verkauf"), 1200, 8400, "200,00", "238,00", "38,00", 19,
            4);
    journal(5, day(14, 2), QStringLiteral("Miete"), 4210, 1200, "800,00", "800,00", "0,00", 0, 5);

    sheetOf(1576);
    {
        const PageModel &model = only();
        const auto lines = occurrences(model, BandKind::Detail);
        ASSERT_EQ(lines.size(), 3u);
        EXPECT_EQ(lines[0].at(QStringLiteral("Soll")), QStringLiteral("19,00"));
        EXPECT_EQ(lines[0].at(QStringLiteral("Haben")), QString());
        EXPECT_EQ(lines[0].at(QStringLiteral("Gegenkonto")), QStringLiteral("1200"))
            << "the paying side of a cost booking";
        EXPECT_EQ(lines[1].at(QStringLiteral("Haben")), QStringLiteral("9,50"));
        EXPECT_EQ(lines[1].at(QStringLiteral("Gegenkonto")), QStringLiteral("1200"));
        EXPECT_EQ(lines[2].at(QStringLiteral("Soll")), QStringLiteral("5,00"))
            << "booked on the account itself: the gross amount";
        EXPECT_EQ(occurrences(model, BandKind::Summary)[0].texts(),
                  QStringLiteral("Saldo:|14,50 €|24,00|9,50|€"));
    }
    viewer.models.clear();
    sheetOf(1776);
    const PageModel &model = only();
    const auto lines = occurrences(model, BandKind::Detail);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].at(QStringLiteral("Haben")), QStringLiteral("38,00"));
    EXPECT_TRUE(lines[0].texts().contains(QStringLiteral("|1200|Bank|19")));
    EXPECT_EQ(occurrences(model, BandKind::Summary)[0].texts(),
              QStringLiteral("Saldo:|-38,00 €|0,00|38,00|€"));
}

// Cash 1000, opening debit 500.00; range 01.03.-31.03. sorted by date.
//   before: 10.01. receipt 119.00; 15.02. receipt 100.00 DM (51.13); 20.02. payment 59.50
//   opening balance 500.00 + 119.00 + 51.13 - 59.50 = 610.63
//   05.03. Barverkauf      receipt 238.00   balance 848.63
//   10.03. Privatentnahme  payment 300.00   balance 548.63
//   20.03. Zahlung Meier   receipt 119.00   balance 667.63, rate "0"
//   after: 02.04. receipt 50.00 (not counted)
// Period: receipts 357.00, payments 300.00; 667.63 in hand at its end.
TEST_F(Sheets, CashBookRunsTheBalanceFromTheStartOfThePeriod) {
    opening(1000, 50000, 0);
    journal(1, day(10, 1), QStringLiteral("Barverkauf"), 1000, 8400, "100,00", "119,00", "19,00",
            19, 1);
    journal(2, day(15, 2), QStringLiteral("Einlage"), 1000, 1800, "100,00", "100,00", "0,00", 0, 2,
            false);
    journal(3, day(20, 2), QStringLiteral("Papier"), 4930, 1000, "50,00", "59,50", "9,50", 19, 3);
    journal(4, day(5, 3), QStringLiteral("Barverkauf"), 1000, 8400, "200,00", "238,00", "38,00", 19,
            4);
    journal(5, day(10, 3), QStringLiteral("Privatentnahme"), 1800, 1000, "300,00", "300,00", "0,00",
            0, 5);
    journal(6, day(20, 3), QStringLiteral("Zahlung Meier"), 1000, 1400, "119,00", "119,00", "0,00",
            19, 6);
    journal(7, day(2, 4), QStringLiteral("Barverkauf"), 1000, 8400, "42,02", "50,00", "7,98", 19,
            7);
    dlg->fromText = QStringLiteral("01.03.") + year();
    dlg->toText = QStringLiteral("31.03.") + year();
    sheetOf(1000);
    EXPECT_EQ(dlg->caption, QStringLiteral("Kassenbuch 1000 Kasse"));
    const PageModel &model = only();

    const auto carry = occurrences(model, BandKind::CarryOver);
    ASSERT_EQ(carry.size(), 1u);
    EXPECT_EQ(carry[0].texts(), QStringLiteral("Anfangsstand:|610,63"));
    EXPECT_EQ(carry[0].at(QStringLiteral("Bestand")), QStringLiteral("610,63"));

    const auto lines = occurrences(model, BandKind::Detail);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].at(QStringLiteral("Einnahme")), QStringLiteral("238,00"));
    EXPECT_EQ(lines[0].at(QStringLiteral("Bestand")), QStringLiteral("848,63"));
    EXPECT_EQ(lines[1].at(QStringLiteral("Ausgabe")), QStringLiteral("300,00"));
    EXPECT_EQ(lines[1].at(QStringLiteral("Einnahme")), QString());
    EXPECT_EQ(lines[1].at(QStringLiteral("Bestand")), QStringLiteral("548,63"));
    EXPECT_EQ(lines[2].at(QStringLiteral("Bestand")), QStringLiteral("667,63"));
    EXPECT_EQ(lines[2].at(QStringLiteral("Konto")), QStringLiteral("1400"));
    EXPECT_TRUE(lines[2].texts().endsWith(QStringLiteral("|0")));
    EXPECT_EQ(occurrences(model, BandKind::Summary)[0].texts(),
              QStringLiteral("Saldo:|667,63 €|357,00|€|300,00|€"));
    // Each line shows its currency beside its amount only: nothing beside an empty column.
    const auto currencies = [](const Occurrence &line) {
        return line.texts().split(QLatin1Char('|')).count(QStringLiteral("€"));
    };
    EXPECT_EQ(currencies(lines[0]), 1) << lines[0].texts().toStdString();
    EXPECT_EQ(currencies(lines[1]), 1) << lines[1].texts().toStdString();
}

namespace {

// 120 transfers of 10.00 each between an account and the savings bank 1300, alternating in
// direction and in date order: the account gets 60 debits and 60 credits (600.00 each), the
// savings bank the same mirrored.
struct LongSheets : Sheets {
    void transfers(int konto) {
        for (int i = 0; i < 120; ++i) {
            const bool in = i % 2 == 0;
            journal(10 + i, day(1 + i % 28, 1 + i / 28), QStringLiteral("Umbuchung %1").arg(i),
                    in ? konto : 1300, in ? 1300 : konto, "10,00", "10,00", "0,00", 0, 10 + i);
        }
    }
};

// Checks the carry-over lines of a multi-page sheet: each page but the last ends with
// "Übertrag:" and the sums of every line so far (plus the opening line); the next page starts
// with the same sums (the cash book: with its balance instead); the last page has none at the
// bottom.
void checkCarryOvers(const PageModel &model, qint64 openingDebit, const QString &debitHead,
                     const QString &creditHead) {
    ASSERT_GE(model.pages.size(), 3u);
    qint64 debit = openingDebit, credit = 0;
    for (size_t p = 0; p < model.pages.size(); ++p) {
        SCOPED_TRACE(p + 1);
        const Page &page = model.pages[p];
        const bool last = p + 1 == model.pages.size();
        std::vector<Occurrence> tops, bottoms;
        for (const auto &o : occurrences(model, BandKind::CarryOver))
            if (o.page == &page)
                (o.top ? tops : bottoms).push_back(o);
        EXPECT_EQ(bottoms.size(), last ? 0u : 1u);
        if (p > 0) {
            ASSERT_EQ(tops.size(), 1u);
            EXPECT_EQ(tops[0].at(QStringLiteral("Buchungstext")), QStringLiteral("Übertrag:"));
            if (!tops[0].at(debitHead).isEmpty()) {
                EXPECT_EQ(cents(tops[0].at(debitHead)), debit);
                EXPECT_EQ(cents(tops[0].at(creditHead)), credit);
            }
        }
        for (const auto &o : occurrences(model, BandKind::Detail))
            if (o.page == &page) {
                const QString d = o.at(debitHead), c = o.at(creditHead);
                debit += d.isEmpty() ? 0 : cents(d);
                credit += c.isEmpty() ? 0 : cents(c);
            }
        if (!last) {
            ASSERT_EQ(bottoms.size(), 1u);
            EXPECT_EQ(bottoms[0].at(QStringLiteral("Buchungstext")), QStringLiteral("Übertrag:"));
            EXPECT_EQ(cents(bottoms[0].at(debitHead)), debit);
            EXPECT_EQ(cents(bottoms[0].at(creditHead)), credit);
            EXPECT_TRUE(bottoms[0].texts().endsWith(QStringLiteral("|€")));
        }
    }
}

} // namespace

// Bank: debit 1,000.00 opening + 600.00 = 1,600.00, credit 600.00, balance 1,000.00.
// Sparkasse: debit 600.00, credit 600.00, balance 0.00.
TEST_F(LongSheets, CarryOverOnEveryPageButTheLastForEveryMarkedAccount) {
    opening(1200, 100000, 0);
    transfers(1200);
    const std::vector<qint64> marks{bookmarkOf(1200), bookmarkOf(1300)};
    reports::printKontenblatt(*ctx, marks);
    EXPECT_EQ(dlg->caption, QStringLiteral("Markierte Konten sofort drucken"));
    ASSERT_EQ(viewer.models.size(), 2u) << "one report per marked account, without preview";

    const PageModel &bank = viewer.models[0];
    EXPECT_TRUE(pageTexts(bank, 0).contains(QStringLiteral("Bank")));
    const auto bankCarry = occurrences(bank, BandKind::CarryOver);
    ASSERT_FALSE(bankCarry.empty());
    EXPECT_EQ(bankCarry[0].texts(), QStringLiteral("Anfangsstand:|1000,00|0,00"));
    checkCarryOvers(bank, 100000, QStringLiteral("Soll"), QStringLiteral("Haben"));
    EXPECT_EQ(occurrences(bank, BandKind::Detail).size(), 120u);
    EXPECT_EQ(occurrences(bank, BandKind::Summary)[0].texts(),
              QStringLiteral("Saldo:|1.000,00 €|1600,00|600,00|€"));

    // The second account starts from fresh sums and has no opening value.
    const PageModel &savings = viewer.models[1];
    EXPECT_TRUE(pageTexts(savings, 0).contains(QStringLiteral("Sparkasse")));
    const auto savingsCarry = occurrences(savings, BandKind::CarryOver);
    ASSERT_FALSE(savingsCarry.empty());
    EXPECT_FALSE(savingsCarry[0].top) << "no opening line without an opening value";
    checkCarryOvers(savings, 0, QStringLiteral("Soll"), QStringLiteral("Haben"));
    EXPECT_EQ(occurrences(savings, BandKind::Summary)[0].texts(),
              QStringLiteral("Saldo:|0,00 €|600,00|600,00|€"));
}

TEST_F(LongSheets, CashBookByVoucherNumberHasNoBalance) {
    // Receipts and payments 600.00 each: the period's balance is 0.00.
    transfers(1000);
    opening(1000, 50000, 0);
    dlg->sortByBelegnummer();
    sheetOf(1000);
    const PageModel &model = only();
    const auto carry = occurrences(model, BandKind::CarryOver);
    ASSERT_FALSE(carry.empty());
    EXPECT_FALSE(carry[0].top) << "no opening line unless sorted by date";
    for (const auto &o : carry)
        if (o.top) {
            EXPECT_EQ(o.at(QStringLiteral("Bestand")), QStringLiteral("###"));
        }
    for (const auto &o : occurrences(model, BandKind::Detail))
        EXPECT_EQ(o.at(QStringLiteral("Bestand")), QStringLiteral("###"));
    checkCarryOvers(model, 0, QStringLiteral("Einnahme"), QStringLiteral("Ausgabe"));
    EXPECT_EQ(occurrences(model, BandKind::Summary)[0].texts(),
              QStringLiteral("Saldo:|0,00 €|600,00|€|600,00|€"));
}

// No rows: a warning for one account, silence in a mass print. Cancel, and an account without
// a number, end the run with the query restored.
TEST_F(Sheets, RunsWithoutASheetEndCleanly) {
    journal(1, day(10, 2), QStringLiteral("Papier"), 4930, 1200, "100,00", "119,00", "19,00", 19,
            1);
    sheetOf(8300);
    EXPECT_TRUE(viewer.models.empty());
    EXPECT_TRUE(ui.saw(QStringLiteral("Keine passenden Buchungen gefunden!")));
    EXPECT_FALSE(dlg->QJournal.isFiltered());

    ui.clear();
    const std::vector<qint64> marks{bookmarkOf(8300), bookmarkOf(4930), bookmarkOf(1000)};
    reports::printKontenblatt(*ctx, marks);
    ASSERT_EQ(viewer.models.size(), 1u) << "only 4930 has bookings";
    EXPECT_TRUE(pageTexts(viewer.models[0], 0).contains(QStringLiteral("Bürobedarf")));
    EXPECT_TRUE(ui.messages.empty());

    viewer.models.clear();
    enabledLog.clear();
    dlg->showModal = [] { return false; };
    sheetOf(1200);
    EXPECT_TRUE(viewer.models.empty());
    EXPECT_EQ(enabledLog, (QStringList{"KBlatt=1"})) << "disabled only after OK";

    // A grid filtered to nothing has no current account.
    okAtOnce();
    enabledLog.clear();
    fb->books().kontenGrid.setFilter(QStringLiteral("KtoNr < 0"));
    reports::printKontenblatt(*ctx);
    fb->books().kontenGrid.clearFilter();
    EXPECT_TRUE(viewer.models.empty());
    EXPECT_TRUE(ui.saw(QStringLiteral("Fehlerhafte Kontonummer")));
    EXPECT_EQ(enabledLog, (QStringList{"KBlatt=0", "KBlatt=1"}));
    EXPECT_FALSE(dlg->QJournal.isActive());
    EXPECT_FALSE(dlg->QJournal.isFiltered());
}

// Several accounts from the command line: one file per account, named after the given one.
TEST_F(Sheets, CommandLineWritesOneFilePerAccount) {
    journal(1, day(10, 2), QStringLiteral("Papier"), 4930, 1200, "100,00", "119,00", "19,00", 19,
            1);
    journal(2, day(11, 2), QStringLiteral("Barverkauf"), 1000, 8400, "100,00", "119,00", "19,00",
            19, 2);
    fb.reset(); // the command line opens the folder itself
    QTemporaryDir out;
    ASSERT_TRUE(out.isValid());
    auto run = [this](const QStringList &args, QString *err = nullptr) {
        QProcess p;
        p.start(QStringLiteral(LEDRA_CLI),
                QStringList{QStringLiteral("--data"), fx.base, QStringLiteral("report")} + args);
        p.waitForFinished(60000);
        if (err)
            *err = QString::fromUtf8(p.readAllStandardError());
        return p.exitCode();
    };
    const QString csv = out.filePath(QStringLiteral("konten.csv"));
    EXPECT_EQ(run({QStringLiteral("kontenblatt"), QStringLiteral("--konto"),
                   QStringLiteral("1200,1000"), QStringLiteral("--csv"), csv}),
              0);
    EXPECT_FALSE(QFile::exists(csv));
    const QString bank =
        QString::fromUtf8(fx.readFile(out.filePath(QStringLiteral("konten-1200.csv"))));
    const QString cash =
        QString::fromUtf8(fx.readFile(out.filePath(QStringLiteral("konten-1000.csv"))));
    EXPECT_TRUE(bank.contains(QStringLiteral("Papier"))) << bank.toStdString();
    EXPECT_TRUE(bank.contains(QStringLiteral("Gegenkonto")));
    EXPECT_TRUE(cash.contains(QStringLiteral("Barverkauf"))) << cash.toStdString();
    EXPECT_TRUE(cash.contains(QStringLiteral("Einnahme"))) << "a cash account prints a cash book";

    const QString one = out.filePath(QStringLiteral("bank.csv"));
    EXPECT_EQ(run({QStringLiteral("kontenblatt"), QStringLiteral("--konto"), QStringLiteral("1200"),
                   QStringLiteral("--csv"), one}),
              0);
    EXPECT_TRUE(QFile::exists(one)) << "one account keeps the name as given";

    QString err;
    EXPECT_EQ(run({QStringLiteral("kontenblatt"), QStringLiteral("--konto"), QStringLiteral("9999"),
                   QStringLiteral("--csv"), one},
                  &err),
              1);
    EXPECT_TRUE(err.contains(QStringLiteral("Konto 9999 nicht gefunden."))) << err.toStdString();
    EXPECT_EQ(run({QStringLiteral("kontenblatt"), QStringLiteral("--csv"), one}), 2);
}

// On the fiscal year of the year fixture, each sheet's balance is the account's year balance.
TEST_F(YearBooks, SheetsAddUpToTheYearBalances) {
    okAtOnce();
    auto sheet = [this](int konto) -> const PageModel & {
        viewer.models.clear();
        EXPECT_TRUE(fb->books().kontenGrid.locate(QStringLiteral("KtoNr"), konto));
        reports::printKontenblatt(*ctx);
        EXPECT_EQ(viewer.models.size(), 1u) << konto;
        return viewer.models.back();
    };
    auto summary = [](const PageModel &m) {
        return occurrences(m, BandKind::Summary).at(0).texts();
    };
    // Bank: opening 12,000.00 + debits 14,996.20, credits 12,661.00: balance 14,335.20.
    EXPECT_EQ(summary(sheet(1200)), QStringLiteral("Saldo:|14.335,20 €|26996,20|12661,00|€"));
    // Input tax 1,039.30 all on the debit side; VAT 2,452.00 credit less the discount's 3.80.
    EXPECT_EQ(summary(sheet(1576)), QStringLiteral("Saldo:|1.039,30 €|1039,30|0,00|€"));
    EXPECT_EQ(summary(sheet(1776)), QStringLiteral("Saldo:|-2.448,20 €|3,80|2452,00|€"));
    // Customer Meier: invoices 14,541.00, payments and discount 14,220.00: 321.00 open.
    EXPECT_EQ(summary(sheet(1400)), QStringLiteral("Saldo:|321,00 €|14541,00|14220,00|€"));
    // Cash book: receipts 1,511.00, payments 1,383.30; from 500.00 to 627.70.
    const PageModel &cash = sheet(1000);
    EXPECT_EQ(summary(cash), QStringLiteral("Saldo:|627,70 €|1511,00|€|1383,30|€"));
    EXPECT_EQ(occurrences(cash, BandKind::CarryOver).at(0).texts(),
              QStringLiteral("Anfangsstand:|500,00"));
    EXPECT_EQ(occurrences(cash, BandKind::Detail).back().at(QStringLiteral("Bestand")),
              QStringLiteral("627,70"));
}

} // namespace ledra
