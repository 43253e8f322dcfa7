// What all reports share: shading, margins, period and currency lines, number formats,
// the conversion inside sums, clipping and the CSV form.

#include "QStringPrinter.h" // before GoogleTest

#include "books/Settings.h"
#include "reportengine/Layout.h"
#include "reports/ReportConventions.h"

#include <QTextStream>
#include <gtest/gtest.h>
namespace ledra {

using namespace ledra::report;
using namespace reports;

TEST(Conventions, ShadingSwitchesOnlyOnPrintedLinesAndRestartsEachRun) {
    YearSettings settings;
    settings.zeilenfarbe = 255; // red in the platform's colour numbers
    EXPECT_EQ(settingColor(255), QColor(Qt::red));
    MemorySource rows({"Text"}, {{"a"}, {"skip"}, {"b"}, {"c"}});
    Report r;
    r.setDataSource(&rows);
    Band *detail = r.addBand(BandKind::Detail);
    detail->addField(0, 0, 20, "Text");
    detail->setBeforePrint([](Band &b, bool &print) { print = b.value("Text") != "skip"; });
    shadeRows(*detail, settings);
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run);
        const PageModel m = layoutReport(r);
        QStringList seen;
        for (const auto &band : m.pages.at(0).bands)
            if (band.kind == BandKind::Detail)
                seen << band.texts.at(0).text + (band.rects.isEmpty() ? "" : "*");
        // An odd number of lines: the second run must not go on from the last colour.
        EXPECT_EQ(seen, (QStringList{"a*", "b", "c*"}));
    }
}

TEST(Conventions, LeftMarginSettingMovesTheEdgeTheReportNames) {
    YearSettings settings;
    settings.lRand = 25;
    Report r;
    r.setMargins(15, 10, 10, 10);
    applyMarginSetting(r, settings, MarginEdge::Left);
    EXPECT_EQ(r.pageSetup().margins.left, 25);
    EXPECT_EQ(r.pageSetup().margins.top, 10);
    Report landscape;
    landscape.setOrientation(Orientation::Landscape);
    applyMarginSetting(landscape, settings, MarginEdge::Top);
    EXPECT_EQ(landscape.pageSetup().margins.top, 25);
    EXPECT_EQ(landscape.pageSetup().margins.left, 10);
    Report keeps;
    keeps.setMargins(10, 20, 10, 10);
    applyMarginSetting(keeps, settings, MarginEdge::None);
    EXPECT_EQ(keeps.pageSetup().margins.left, 10);
}

TEST(Conventions, NumberFormats) {
    EXPECT_EQ(fixed2(12345000), "1234,50");
    EXPECT_EQ(fixed2(-1250), "-0,13") << "halves away from zero";
    EXPECT_EQ(fixed2(1250), "0,13");
    EXPECT_EQ(currencyFormat(12345600, "€"), "1.234,56 €");
    EXPECT_EQ(currencyFormat(12345600, "DM"), "1.234,56 DM");
    EXPECT_EQ(totalsMask("€"), ",##0.00 €");
    EXPECT_EQ(sideAmount(12345600, "€"), "1.234,56 € S");
    EXPECT_EQ(sideAmount(-12345600, "€"), "1.234,56 € H");
    EXPECT_EQ(sideAmount(40, "€"), "0,00 €  ") << "less than half a cent is zero";
}

TEST(Conventions, SumsTakeAmountsInTheCurrencyOfTheirDate) {
    EXPECT_EQ(amountForSum(1000000, true, QDate(2001, 12, 31)), Money::fromCents(19558));
    EXPECT_EQ(amountForSum(1000000, false, QDate(2002, 1, 2)), Money::fromCents(5113));
    EXPECT_EQ(amountForSum(1000000, false, QDate(2001, 12, 31)), Money::fromCents(10000));
    EXPECT_EQ(amountForSum(1000000, true, QDate(2002, 1, 1)), Money::fromCents(10000));
    EXPECT_TRUE(isReversal("Storno Rechnung 12"));
    EXPECT_TRUE(isReversal("Rechnung 12 (Storno)"));
    EXPECT_FALSE(isReversal("storno"));
}

TEST(Conventions, TextsAreClippedToTheirColumn) {
    const FontStyle font = reportFont(9);
    EXPECT_EQ(clipToWidth("Bank", font, 30), "Bank");
    const QString longName = QString(30, QLatin1Char('W'));
    const QString cut = clipToWidth(longName, font, 20);
    EXPECT_LT(cut.size(), longName.size());
    EXPECT_GT(cut.size(), 3);
    EXPECT_TRUE(longName.startsWith(cut));
    EXPECT_GT(clipToWidth(QString(30, QLatin1Char('i')), font, 20).size(), cut.size())
        << "narrow glyphs fit more";
}

TEST(Conventions, CsvHasTheColumnHeadsOnceAndNoPageFrame) {
    MemorySource rows({"Text", "Betrag"}, {});
    for (int i = 0; i < 60; ++i)
        rows.addRow({QString("Zeile %1").arg(i), qint64(i * 10000 + 5000)});
    Report r;
    r.setDataSource(&rows);
    r.addBand(BandKind::PageHeader)->addLabel(0, 0, 0, "Kopf");
    Band *heads = r.addBand(BandKind::ColumnHeader);
    heads->addLabel(0, 0, 20, "Text");
    heads->addLabel(30, 0, 20, "Betrag");
    Band *detail = r.addBand(BandKind::Detail);
    detail->addField(0, 0, 20, "Text");
    TextControl *amount = detail->addField(30, 0, 20, "Betrag");
    amount->setCurrency(true);
    amount->setMask("0.00");
    r.addBand(BandKind::PageFooter)->addSystemField(0, 0, 20, SystemValue::PageNumber, "Seite: ");
    QString out;
    QTextStream stream(&out);
    ReportCsvSink sink(stream);
    ASSERT_GT(layoutReport(r, sink), 1);
    stream.flush();
    const QStringList lines = out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 61);
    EXPECT_EQ(lines[0], QChar(0xFEFF) + QStringLiteral("Text;Betrag")) << "marked as UTF-8";
    EXPECT_EQ(lines[1], "Zeile 0;0,50");
    EXPECT_EQ(lines[60], "Zeile 59;59,50");
}

} // namespace ledra
