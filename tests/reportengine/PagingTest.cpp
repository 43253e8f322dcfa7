// Page breaks, carry-over lines, keep-with-next and new page per group.
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace ledra::report;
using namespace ledra::report::test;

namespace {

MemorySource numbered(int count, const QString &group = {}) {
    MemorySource src({"Nr", "Betrag", "Gruppe"});
    for (int i = 1; i <= count; ++i)
        src.addRow({i, qint64(i * 3), group});
    return src;
}

qint64 sumOfField(const Page &page, BandKind kind, int textIndex) {
    qint64 sum = 0;
    for (const BandInstance *b : bandsOf(page, kind))
        sum += b->texts.at(textIndex).text.toLongLong();
    return sum;
}

} // namespace

TEST(Paging, BreaksBeforeTheFooterAndNumbersPages) {
    MemorySource src = numbered(130);
    Report report;
    report.setDataSource(&src);
    Band *header = report.addBand(BandKind::PageHeader);
    header->setHeight(15);
    header->addLabel(0, 0, 0, "Journal");
    report.addBand(BandKind::Title)->addLabel(0, 0, 0, "Titel");
    Band *detail = report.addBand(BandKind::Detail);
    detail->setHeight(5);
    detail->addField(0, 0, 10, "Nr");
    Band *footer = report.addBand(BandKind::PageFooter);
    footer->setHeight(8);
    footer->addSystemField(0, 0, 40, SystemValue::PageOfPages, "Seite ");
    int pageNumbersSeen = 0;
    footer->setBeforePrint([&](Band &b, bool &) { pageNumbersSeen += b.report().pageNumber(); });

    const PageModel model = layoutReport(report);
    ASSERT_GE(model.pages.size(), 3u);
    const int pages = int(model.pages.size());
    int rows = 0;
    int lastNr = 0;
    for (const Page &page : model.pages) {
        const auto footers = bandsOf(page, BandKind::PageFooter);
        ASSERT_EQ(footers.size(), 1u);
        EXPECT_EQ(textsOf(*footers[0]),
                  QStringList({QStringLiteral("Seite %1 von %2").arg(page.number).arg(pages)}));
        EXPECT_DOUBLE_EQ(footers[0]->top + footers[0]->height, 297.0 - 10.0);
        EXPECT_EQ(firstTexts(bandsOf(page, BandKind::PageHeader)), QStringList({"Journal"}));
        EXPECT_EQ(bandsOf(page, BandKind::Title).size(), page.number == 1 ? 1u : 0u);
        const auto details = bandsOf(page, BandKind::Detail);
        ASSERT_FALSE(details.empty());
        EXPECT_GE(details.front()->top, 25.0 - 1e-9);
        for (const BandInstance *d : details) {
            EXPECT_LE(d->top + d->height, footers[0]->top + 1e-9);
            EXPECT_EQ(d->texts.at(0).text.toInt(), ++lastNr);
        }
        // A page is only left when the next row no longer fits.
        if (page.number < pages) {
            EXPECT_GT(details.back()->top + 2 * 5.0, footers[0]->top);
        }
        rows += int(details.size());
    }
    EXPECT_EQ(rows, 130);
    // Two passes (for the page count); the footer event runs once per page in each.
    EXPECT_EQ(pageNumbersSeen, 2 * pages * (pages + 1) / 2);
}

TEST(Paging, CarryOverLinesCarryTheRunningSums) {
    MemorySource src = numbered(140);
    Report report;
    report.setDataSource(&src);
    report.addBand(BandKind::PageHeader)->setHeight(12);
    Band *detail = report.addBand(BandKind::Detail);
    detail->setHeight(5);
    detail->addField(0, 0, 10, "Nr");
    detail->addField(20, 0, 20, "Betrag");
    Band *carry = report.addBand(BandKind::CarryOver);
    carry->setHeight(6);
    TextControl *label = carry->addLabel(0, 0, 30, "Übertrag:");
    label->setOnPrint([](TextControl &c, QString &text) {
        text += c.report().carryOverPosition() == CarryOverPosition::PageTop ? " oben" : " unten";
    });
    carry->addExpression(20, 0, 20, "SUM(Betrag)");
    Band *summary = report.addBand(BandKind::Summary);
    summary->addExpression(20, 0, 20, "SUM(Betrag)");
    Band *footer = report.addBand(BandKind::PageFooter);
    footer->setHeight(8);

    const PageModel model = layoutReport(report);
    ASSERT_GE(model.pages.size(), 3u);
    qint64 running = 0;
    for (const Page &page : model.pages) {
        const bool last = page.number == int(model.pages.size());
        const auto carries = bandsOf(page, BandKind::CarryOver);
        const size_t expected = (page.number > 1 ? 1u : 0u) + (last ? 0u : 1u);
        ASSERT_EQ(carries.size(), expected) << "page " << page.number;
        if (page.number > 1) {
            // Directly under the page header, with the sum so far.
            EXPECT_DOUBLE_EQ(carries.front()->top, 10.0 + 12.0);
            EXPECT_EQ(textsOf(*carries.front()),
                      QStringList({"Übertrag: oben", QString::number(running)}));
        }
        running += sumOfField(page, BandKind::Detail, 1);
        if (!last) {
            // Right above the page footer, including every row of this page.
            EXPECT_DOUBLE_EQ(carries.back()->top, 297.0 - 10.0 - 8.0 - 6.0);
            EXPECT_EQ(textsOf(*carries.back()),
                      QStringList({"Übertrag: unten", QString::number(running)}));
            for (const BandInstance *d : bandsOf(page, BandKind::Detail))
                EXPECT_LE(d->top + d->height, carries.back()->top + 1e-9);
        }
    }
    EXPECT_EQ(running, 3LL * 140 * 141 / 2);
    EXPECT_EQ(firstTexts(bandsOf(model, BandKind::Summary)),
              QStringList({QString::number(running)}));
}

TEST(Paging, OpeningLineOnFirstPageWhenAsked) {
    MemorySource src = numbered(3);
    Report report;
    report.setDataSource(&src);
    report.setCarryOverOnFirstPage(true);
    report.addBand(BandKind::Detail)->addField(0, 0, 10, "Nr");
    Band *carry = report.addBand(BandKind::CarryOver);
    carry->addLabel(0, 0, 30, "Übertrag:")->setOnPrint([](TextControl &c, QString &text) {
        if (c.report().pageNumber() == 1)
            text = "Anfangsstand:";
    });
    const PageModel model = layoutReport(report);
    ASSERT_EQ(model.pages.size(), 1u);
    EXPECT_EQ(model.pages[0].texts(), QStringList({"Anfangsstand:", "1", "2", "3"}));
}

// A4 with 10 mm margins leaves 277 mm: 27 rows of 10 mm and 7 mm spare.
class KeepWithNext : public testing::Test {
protected:
    PageModel run(int rowsInFirstGroup, bool linked) {
        m_src = MemorySource({"Nr", "Gruppe"});
        for (int i = 1; i <= rowsInFirstGroup; ++i)
            m_src.addRow({i, "A"});
        m_src.addRow({rowsInFirstGroup + 1, "B"});
        m_report = std::make_unique<Report>();
        m_report->setDataSource(&m_src);
        Band *header = m_report->addGroup(QStringLiteral("Gruppe"));
        header->setHeight(0);
        Band *detail = m_report->addBand(BandKind::Detail);
        detail->setHeight(10);
        detail->addField(0, 0, 10, "Nr");
        Band *footer = m_report->addGroupFooter(header);
        footer->setHeight(10);
        footer->addLabel(0, 0, 10, "Summe");
        if (linked)
            detail->setLinkBand(footer);
        return layoutReport(*m_report);
    }

    MemorySource m_src;
    std::unique_ptr<Report> m_report;
};

TEST_F(KeepWithNext, LastRowOfAGroupMovesWithItsFooter) {
    const PageModel unlinked = run(27, false);
    EXPECT_EQ(bandsOf(unlinked.pages[0], BandKind::Detail).size(), 27u);
    EXPECT_EQ(bandsOf(unlinked.pages[1], BandKind::GroupFooter).front()->top, 10.0);

    const PageModel linked = run(27, true);
    EXPECT_EQ(bandsOf(linked.pages[0], BandKind::Detail).size(), 26u);
    EXPECT_TRUE(bandsOf(linked.pages[0], BandKind::GroupFooter).empty());
    EXPECT_EQ(firstTexts(bandsOf(linked.pages[1], BandKind::Detail)), QStringList({"27", "28"}));
    EXPECT_EQ(linked.pages[1].bands[1].kind, BandKind::GroupFooter);
}

TEST_F(KeepWithNext, RowsInsideAGroupDoNotReserveFooterSpace) {
    // Row 27 is not the last of its group, so it still fills the page.
    const PageModel linked = run(30, true);
    EXPECT_EQ(bandsOf(linked.pages[0], BandKind::Detail).size(), 27u);
}

TEST(Paging, NewPagePerGroupWithoutLeadingEmptyPage) {
    MemorySource src({"Sektion", "Nr"}, {{"1000", 1}, {"1000", 2}, {"2000", 3}, {"3000", 4}});
    Report report;
    report.setDataSource(&src);
    report.addBand(BandKind::PageHeader)->addLabel(0, 0, 0, "Bilanz");
    Band *header = report.addGroup(QStringLiteral("Sektion"));
    header->setNewPage(true);
    header->addField(0, 0, 20, "Sektion");
    report.addBand(BandKind::Detail)->addField(0, 0, 10, "Nr");

    PageModel model = layoutReport(report);
    ASSERT_EQ(model.pages.size(), 3u);
    EXPECT_EQ(model.pages[0].texts(), QStringList({"Bilanz", "1000", "1", "2"}));
    EXPECT_EQ(model.pages[1].texts(), QStringList({"Bilanz", "2000", "3"}));
    EXPECT_EQ(model.pages[2].texts(), QStringList({"Bilanz", "3000", "4"}));

    // Switched off at run time (e.g. the balance sheet without accounts).
    report.setBeforePrint([header](Report &) { header->setNewPage(false); });
    model = layoutReport(report);
    EXPECT_EQ(model.pages.size(), 1u);
}

TEST(Paging, PageFrameOptionsAndLandscape) {
    MemorySource src = numbered(60);
    Report report;
    report.setOrientation(Orientation::Landscape);
    report.setDataSource(&src);
    report.setPrintPageHeaderOnFirstPage(false);
    report.setPrintPageFooterOnLastPage(false);
    report.addBand(BandKind::PageHeader)->addLabel(0, 0, 0, "Kopf");
    Band *detail = report.addBand(BandKind::Detail);
    detail->setHeight(5);
    detail->addField(0, 0, 10, "Nr");
    report.addBand(BandKind::PageFooter)->addLabel(0, 0, 0, "Fuß");

    const PageModel model = layoutReport(report);
    ASSERT_EQ(model.pages.size(), 2u); // 190 mm height: a first page of 36 rows
    EXPECT_EQ(model.pages[0].sizeMm, QSizeF(297, 210));
    EXPECT_TRUE(bandsOf(model.pages[0], BandKind::PageHeader).empty());
    EXPECT_EQ(bandsOf(model.pages[1], BandKind::PageHeader).size(), 1u);
    EXPECT_EQ(bandsOf(model.pages[0], BandKind::PageFooter).size(), 1u);
    EXPECT_TRUE(bandsOf(model.pages[1], BandKind::PageFooter).empty());
}
