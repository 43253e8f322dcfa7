// Band semantics: which band prints when, and what it sees.
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace ledra::report;
using namespace ledra::report::test;

namespace {

MemorySource bookings() {
    return MemorySource(
        {"Konto", "Betrag"},
        {{"A", qint64(1)}, {"A", qint64(2)}, {"B", qint64(3)}, {"C", qint64(4)}, {"C", qint64(5)}});
}

} // namespace

TEST(Bands, GroupHeaderSeesFirstRowAndFooterLastRowOfItsGroup) {
    MemorySource src = bookings();
    Report report;
    report.setDataSource(&src);
    Band *header = report.addGroup(QStringLiteral("Konto"));
    header->setName("H");
    header->addField(0, 0, 20, "Betrag");
    Band *detail = report.addBand(BandKind::Detail);
    detail->setName("D");
    detail->addField(0, 0, 20, "Betrag");
    Band *footer = report.addGroupFooter(header);
    footer->setName("F");
    footer->addField(0, 0, 20, "Betrag");
    QStringList seenByEvent;
    footer->setBeforePrint([&](Band &band, bool &) {
        seenByEvent << band.value("Konto").toString() + band.report().value("Betrag").toString();
    });

    const PageModel model = layoutReport(report);
    EXPECT_EQ(sequence(model), QStringList({"H:1", "D:1", "D:2", "F:2", "H:3", "D:3", "F:3", "H:4",
                                            "D:4", "D:5", "F:5"}));
    EXPECT_EQ(seenByEvent, QStringList({"A2", "B3", "C5"}));
}

TEST(Bands, NestedGroupsCloseInnerBeforeOuter) {
    MemorySource src({"Klasse", "Konto"}, {{1, 1000}, {1, 1000}, {1, 1200}, {2, 1200}, {2, 2000}});
    Report report;
    report.setDataSource(&src);
    Band *outer = report.addGroup(QStringLiteral("Klasse"));
    Band *inner = report.addGroup(QStringLiteral("Konto"));
    report.addBand(BandKind::Detail)->setHeight(0);
    Band *innerFoot = report.addGroupFooter(inner);
    innerFoot->setName("i");
    innerFoot->addField(0, 0, 20, "Konto");
    Band *outerFoot = report.addGroupFooter(outer);
    outerFoot->setName("o");
    outerFoot->addField(0, 0, 20, "Klasse");
    outer->setHeight(0);
    inner->setHeight(0);

    // The same account number in the next class is a new inner group.
    EXPECT_EQ(sequence(layoutReport(report)),
              QStringList({"i:1000", "i:1200", "o:1", "i:1200", "i:2000", "o:2"}));
}

TEST(Bands, ChildPrintsUnderSuppressedParentAndSuppressionIsNotCounted) {
    MemorySource src = bookings();
    Report report;
    report.setDataSource(&src);
    Band *detail = report.addBand(BandKind::Detail);
    detail->setName("D");
    detail->addField(0, 0, 20, "Betrag");
    Band *child = report.addChild(detail);
    child->setName("C");
    child->addField(0, 0, 20, "Betrag");
    QList<bool> printedFlags;
    detail->setBeforePrint([](Band &band, bool &print) {
        print = band.value("Betrag").toLongLong() % 2 == 1;
        // Shading as the reports do it: only printed lines switch the colour.
        if (print)
            band.setColor(band.printCount() % 2 == 0 ? QColor(Qt::lightGray) : QColor(Qt::white));
    });
    detail->setAfterPrint([&](Band &, bool printed) { printedFlags << printed; });

    const PageModel model = layoutReport(report);
    EXPECT_EQ(sequence(model),
              QStringList({"D:1", "C:1", "C:2", "D:3", "C:3", "C:4", "D:5", "C:5"}));
    EXPECT_EQ(printedFlags, QList<bool>({true, false, true, false, true}));
    EXPECT_EQ(detail->printCount(), 3);
    EXPECT_EQ(child->printCount(), 5);
    // Printed lines 1, 3, 5 are shaded, white, shaded: the suppressed rows did not
    // disturb the alternation.
    const auto details = bandsOf(model, BandKind::Detail);
    ASSERT_EQ(details.size(), 3u);
    EXPECT_EQ(details[0]->rects.size(), 1u);
    EXPECT_TRUE(details[1]->rects.isEmpty());
    EXPECT_EQ(details[2]->rects.size(), 1u);
}

TEST(Bands, DisabledAndZeroHeightBands) {
    MemorySource src = bookings();
    Report report;
    report.setDataSource(&src);
    Band *detail = report.addBand(BandKind::Detail);
    detail->setName("D");
    detail->addField(0, 0, 20, "Betrag");
    detail->setBeforePrint([](Band &band, bool &) {
        band.setHeight(band.value("Konto").toString() == "C" ? 0.0 : 5.0);
    });
    Band *summary = report.addBand(BandKind::Summary);
    summary->setName("S");
    summary->addExpression(0, 0, 20, "COUNT")->setPrintedRowsOnly(true);
    Band *child = report.addChild(summary);
    child->setName("K");
    child->addLabel(0, 0, 20, "Ende");
    summary->setEnabled(false);

    const PageModel model = layoutReport(report);
    // Height 0 hides rows of C but they still count as printed; the disabled
    // summary is skipped while its child prints.
    EXPECT_EQ(sequence(model), QStringList({"D:1", "D:2", "D:3", "K:Ende"}));
    EXPECT_EQ(detail->printCount(), 5);
    EXPECT_EQ(bandsOf(model, BandKind::Detail)[1]->top + 5.0,
              bandsOf(model, BandKind::Detail)[2]->top);
}

TEST(Expressions, SumAndCountResetAfterPrintPerGroup) {
    MemorySource src({"Konto", "Brutto"}, {{"A", qint64(12345600)},
                                           {"A", qint64(10000)},
                                           {"B", qint64(-50000)},
                                           {"C", qint64(1250)}});
    Report report;
    report.setDataSource(&src);
    Band *header = report.addGroup(QStringLiteral("Konto"));
    header->setHeight(0);
    report.addBand(BandKind::Detail)->setHeight(0);
    Band *footer = report.addGroupFooter(header);
    TextControl *groupSum = footer->addExpression(0, 0, 30, "SUM(Brutto)");
    groupSum->setCurrency(true);
    groupSum->setResetAfterPrint(true);
    TextControl *groupCount = footer->addExpression(40, 0, 10, "COUNT");
    groupCount->setResetAfterPrint(true);
    groupCount->setCurrency(true); // has no effect on a count
    Band *summary = report.addBand(BandKind::Summary);
    TextControl *total = summary->addExpression(0, 0, 30, "SUM(Brutto)");
    total->setCurrency(true);
    total->setMask(",##0.00 €");
    QVariant totalSeenByHandler;
    summary->setAfterPrint([&](Band &, bool) { totalSeenByHandler = total->value(); });

    const PageModel model = layoutReport(report);
    const auto footers = bandsOf(model, BandKind::GroupFooter);
    ASSERT_EQ(footers.size(), 3u);
    EXPECT_EQ(textsOf(*footers[0]), QStringList({"1.235,56", "2"}));
    EXPECT_EQ(textsOf(*footers[1]), QStringList({"-5,00", "1"}));
    EXPECT_EQ(textsOf(*footers[2]), QStringList({"0,13", "1"}));
    EXPECT_EQ(firstTexts(bandsOf(model, BandKind::Summary)), QStringList({"1.230,69 €"}));
    EXPECT_EQ(totalSeenByHandler, QVariant(qint64(12306850)));

    // A second run starts from zero again.
    EXPECT_EQ(firstTexts(bandsOf(layoutReport(report), BandKind::Summary)),
              QStringList({"1.230,69 €"}));
}

TEST(Expressions, PrintedRowsOnlyAndPlainTerms) {
    MemorySource src({"Soll", "Haben"},
                     {{qint64(5), qint64(2)}, {qint64(1), qint64(9)}, {qint64(7), qint64(0)}});
    Report report;
    report.setDataSource(&src);
    Band *detail = report.addBand(BandKind::Detail);
    detail->addExpression(0, 0, 20, "Soll - Haben");
    detail->setBeforePrint(
        [](Band &band, bool &print) { print = band.value("Soll").toLongLong() != 1; });
    Band *summary = report.addBand(BandKind::Summary);
    summary->addExpression(0, 0, 10, "COUNT");
    summary->addExpression(20, 0, 10, "COUNT")->setPrintedRowsOnly(true);
    summary->addExpression(40, 0, 10, "SUM(Soll-Haben)");
    summary->addExpression(60, 0, 10, "SUM(Soll-Haben)")->setPrintedRowsOnly(true);

    const PageModel model = layoutReport(report);
    EXPECT_EQ(firstTexts(bandsOf(model, BandKind::Detail)), QStringList({"3", "7"}));
    EXPECT_EQ(textsOf(*bandsOf(model, BandKind::Summary).at(0)),
              QStringList({"3", "2", "2", "10"}));
}

TEST(Bands, SubDetailWalksItsOwnRowsPerMasterRow) {
    MemorySource sections({"Nr", "Sektion"}, {{1100, "Kasse"}, {1200, "Bank"}});
    MemorySource accounts({"Bilanz", "KtoNr", "Saldo"});
    const QList<QVariantList> all = {
        {1100, 1000, qint64(100)}, {1200, 1200, qint64(200)}, {1200, 1210, qint64(300)}};
    Report report;
    report.setDataSource(&sections);
    Band *detail = report.addBand(BandKind::Detail);
    detail->setName("S");
    detail->addField(0, 0, 30, "Sektion");
    Band *sub = report.addSubDetail(&accounts, [&](const Record &master) {
        accounts.clear();
        for (const QVariantList &a : all)
            if (a.at(0) == master.value("Nr"))
                accounts.addRow(a);
    });
    sub->setName("K");
    sub->addField(0, 0, 20, "KtoNr");
    TextControl *subTotal =
        report.addGroupFooter(report.addGroup("Nr"))->addExpression(0, 0, 20, "SUM(Saldo)");
    subTotal->setAggregateBand(sub);
    subTotal->setResetAfterPrint(true);
    report.groups().front()->setHeight(0);
    report.groups().front()->groupFooter()->setName("F");

    EXPECT_EQ(sequence(layoutReport(report)),
              QStringList({"S:Kasse", "K:1000", "F:100", "S:Bank", "K:1200", "K:1210", "F:500"}));
}

TEST(Bands, ControlPrintEventReplacesOrHidesText) {
    MemorySource src({"Text"}, {{"Miete Storno"}, {"Miete"}});
    Report report;
    report.setDataSource(&src);
    Band *detail = report.addBand(BandKind::Detail);
    TextControl *text = detail->addField(0, 0, 40, "Text");
    text->setOnPrint([](TextControl &c, QString &t) {
        if (c.band().value("Text").toString().contains("Storno"))
            t.clear();
        else
            t += " (Jan)";
    });
    TextControl *label = detail->addLabel(50, 0, 20, "x");
    label->setEnabled(false);
    const PageModel model = layoutReport(report);
    const auto details = bandsOf(model, BandKind::Detail);
    ASSERT_EQ(details.size(), 2u);
    EXPECT_TRUE(details[0]->texts.isEmpty());
    EXPECT_EQ(textsOf(*details[1]), QStringList({"Miete (Jan)"}));
}

TEST(Bands, EmptySourcePrintsTitleAndSummaryOnOnePage) {
    MemorySource src({"Betrag"});
    Report report;
    report.setDataSource(&src);
    report.addBand(BandKind::Title)->addLabel(0, 0, 0, "Journal");
    report.addBand(BandKind::Detail)->addField(0, 0, 20, "Betrag");
    report.addBand(BandKind::Summary)->addExpression(0, 0, 20, "COUNT");
    const PageModel model = layoutReport(report);
    ASSERT_EQ(model.pages.size(), 1u);
    EXPECT_EQ(model.pages[0].texts(), QStringList({"Journal", "0"}));
}

TEST(Bands, MarginsSetAtRunStartMoveThePrintedArea) {
    MemorySource src({"Betrag"}, {{1}});
    Report report;
    report.setDataSource(&src);
    report.setBeforePrint([](Report &r) { r.setLeftMargin(25); });
    report.addBand(BandKind::Detail)->addField(12, 1, 20, "Betrag");
    const PageModel model = layoutReport(report);
    const TextItem &t = bandsOf(model, BandKind::Detail).at(0)->texts.at(0);
    EXPECT_DOUBLE_EQ(t.rect.x(), 37.0);
    EXPECT_DOUBLE_EQ(t.rect.y(), 11.0);
    EXPECT_DOUBLE_EQ(model.pages[0].margins.left, 25.0);
}
