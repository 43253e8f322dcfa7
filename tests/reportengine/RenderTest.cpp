// Plain text, CSV and PDF output.
#include "TestSupport.h"

#include "reportengine/NumberFormat.h"
#include "reportengine/PdfRenderer.h"
#include "reportengine/TextRenderer.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>

#include <gtest/gtest.h>

using namespace ledra::report;
using namespace ledra::report::test;

namespace {

// A small journal: heading, two booking lines, a total; 10 mm left margin.
struct Journal {
    MemorySource src{{"Datum", "Text", "Brutto"},
                     {{QDate(2004, 1, 5), QStringLiteral("Büromaterial, Papier"), qint64(12345600)},
                      {QDate(2004, 1, 7), QStringLiteral("Porto \"Eilbrief\""), qint64(-5000)}}};
    Report report;

    Journal() {
        report.setDataSource(&src);
        Band *header = report.addBand(BandKind::PageHeader);
        header->setHeight(10);
        TextControl *title = header->addLabel(0, 0, 0, "Journal");
        title->setBold(true);
        header->addLabel(100, 0, 40, "Größe")->setAlignment(Qt::AlignRight);
        Band *detail = report.addBand(BandKind::Detail);
        detail->setHeight(5);
        detail->addField(0, 0, 20, "Datum");
        detail->addField(30, 0, 50, "Text");
        TextControl *amount = detail->addField(100, 0, 40, "Brutto");
        amount->setCurrency(true);
        amount->setAlignment(Qt::AlignRight);
        detail->addLabel(142, 0, 6, "€");
        Band *summary = report.addBand(BandKind::Summary);
        summary->addLabel(0, 0, 0, "Übertrag:");
        TextControl *sum = summary->addExpression(100, 0, 40, "SUM(Brutto)");
        sum->setCurrency(true);
        sum->setMask(",##0.00 €");
        sum->setAlignment(Qt::AlignRight);
    }
};

} // namespace

TEST(TextOutput, ColumnsFollowPositionsAndAlignment) {
    Journal j;
    const QString text = renderText(layoutReport(j.report));
    // 2 mm per column: x 30 mm -> column 15; right edge 140 mm -> column 70.
    const QStringList lines = text.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], "Journal" + QString(70 - 5 - 7, u' ') + "Größe");
    EXPECT_EQ(lines[1],
              "05.01.2004     Büromaterial, Papier" + QString(70 - 8 - 35, u' ') + "1.234,56 €");
    EXPECT_EQ(lines[2].indexOf("-0,50"), 70 - 5);
    EXPECT_EQ(lines[3], "Übertrag:" + QString(70 - 10 - 9, u' ') + "1.234,06 €");
}

TEST(TextOutput, OverlappingTextsStayApartAndPagesAreSeparated) {
    PageModel model;
    Page page;
    page.margins.left = 10;
    BandInstance band;
    band.texts << TextItem{QRectF(10, 20, 0, 4), "Langer Buchungstext", {}, Qt::AlignLeft, {}}
               << TextItem{QRectF(12, 20.8, 0, 4), "X", {}, Qt::AlignLeft, {}}
               << TextItem{QRectF(10, 30, 0, 4), "zweite Zeile", {}, Qt::AlignLeft, {}};
    page.bands << band;
    model.pages.push_back(page);
    model.pages.push_back(page);
    const QString once = "Langer Buchungstext X\nzweite Zeile\n";
    EXPECT_EQ(renderText(model), once + u'\f' + once);

    // The streaming sink writes the same as rendering the whole model.
    QString streamed;
    QTextStream out(&streamed);
    TextSink sink(out);
    for (Page p : model.pages)
        sink.addPage(std::move(p));
    out.flush();
    EXPECT_EQ(streamed, renderText(model));
}

TEST(CsvOutput, OneLinePerBandQuotedWhenNeeded) {
    Journal j;
    const PageModel model = layoutReport(j.report);
    EXPECT_EQ(renderCsv(model), "Journal;Größe\n"
                                "05.01.2004;Büromaterial, Papier;1.234,56;€\n"
                                "07.01.2004;\"Porto \"\"Eilbrief\"\"\";-0,50;€\n"
                                "Übertrag:;1.234,06 €\n");
    CsvOptions options;
    options.separator = u',';
    options.skipPageFrame = true;
    EXPECT_EQ(renderCsv(model, options), "05.01.2004,\"Büromaterial, Papier\",\"1.234,56\",€\n"
                                         "07.01.2004,\"Porto \"\"Eilbrief\"\"\",\"-0,50\",€\n"
                                         "Übertrag:,\"1.234,06 €\"\n");
    EXPECT_EQ(csvField("a\nb"), "\"a\nb\"");
    EXPECT_EQ(csvField("Miete; Juli"), "\"Miete; Juli\"");
}

TEST(CsvOutput, AnEmptyCellKeepsTheColumnsInPlace) {
    PageModel model;
    Page page;
    BandInstance band;
    band.texts << TextItem{QRectF(10, 0, 20, 4), "1200", {}, Qt::AlignLeft, {}}
               << TextItem{QRectF(70, 0, 20, 4), "50,00", {}, Qt::AlignRight, {}};
    band.emptyCells << QRectF(40, 0, 20, 4); // a blank debit amount between them
    page.bands << band;
    model.pages.push_back(page);
    EXPECT_EQ(renderCsv(model), "1200;;50,00\n");
}

TEST(CsvOutput, TextsASpreadsheetWouldRunAreNeutralised) {
    const std::pair<QString, QString> cases[] = {
        {"=HYPERLINK(\"http://x\")", "'=HYPERLINK(\"http://x\")"},
        {"+Skonto", "'+Skonto"},
        {"-2+3+cmd|' /C calc'!A0", "'-2+3+cmd|' /C calc'!A0"},
        {"@SUM(A1:A9)", "'@SUM(A1:A9)"},
        {"\tTab", "'\tTab"},
        {"-1.234,56", "-1.234,56"},
        {"-119,00 €", "-119,00 €"},
        {"-0,50 DM", "-0,50 DM"},
        {"8,40 € H", "8,40 € H"},
        {"Miete = Kosten", "Miete = Kosten"},
        {"", ""},
    };
    for (const auto &[text, csv] : cases)
        EXPECT_EQ(neutralisedCsvText(text), csv) << text.toStdString();
    PageModel model;
    Page page;
    BandInstance band;
    band.texts << TextItem{QRectF(10, 0, 20, 4), "=1+1", {}, Qt::AlignLeft, {}}
               << TextItem{QRectF(40, 0, 20, 4), "-0,50", {}, Qt::AlignRight, {}};
    page.bands << band;
    model.pages.push_back(page);
    EXPECT_EQ(renderCsv(model), "'=1+1;-0,50\n");
}

TEST(PdfOutput, GermanTextSurvivesARoundTrip) {
    const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
    if (pdftotext.isEmpty())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath("journal.pdf");
    Journal j;
    QString error;
    ASSERT_TRUE(writePdf(j.report, file, &error)) << error.toStdString();

    QFile pdf(file);
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.read(5).startsWith("%PDF"));
    pdf.close();

    QProcess process;
    process.start(pdftotext, {"-layout", file, "-"});
    ASSERT_TRUE(process.waitForFinished());
    ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    const QString text = QString::fromUtf8(process.readAllStandardOutput());
    EXPECT_TRUE(text.contains("Büromaterial, Papier")) << text.toStdString();
    EXPECT_TRUE(text.contains("Größe")) << text.toStdString();
    EXPECT_TRUE(text.contains("Übertrag:")) << text.toStdString();
    EXPECT_TRUE(text.contains("1.234,06 €")) << text.toStdString();
    EXPECT_TRUE(text.contains("-0,50")) << text.toStdString();
}

TEST(PdfOutput, UnwritableFileIsReported) {
    Journal j;
    QString error;
    EXPECT_FALSE(writePdf(j.report, "/nonexistent-dir/x/journal.pdf", &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(PdfOutput, FontsMapToMetricCompatibleFamilies) {
    EXPECT_EQ(resolveFontFamily("Arial"), "Liberation Sans");
    EXPECT_EQ(toQFont(FontStyle{"Arial", 9.0, true, false}).family(), "Liberation Sans");
    EXPECT_EQ(resolveFontFamily("Courier New"), "Liberation Mono");
    EXPECT_EQ(resolveFontFamily("DejaVu Sans"), "DejaVu Sans");
}

// Right-aligned amounts with a side column: the amount of a line without a side ends where
// the amounts before their "S" or "H" end, whatever the font's widths of blank and letter.
TEST(PdfOutput, AmountsWithAndWithoutSideEndTogether) {
    EXPECT_EQ(splitSide("1.234,56 € S").amount, "1.234,56 €");
    EXPECT_EQ(splitSide("1.234,56 € H").side, "H");
    EXPECT_EQ(splitSide("0,00 €  ").amount, "0,00 €");
    EXPECT_EQ(splitSide("0,00 €  ").side, "");
    EXPECT_EQ(splitSide("12,00 DM").amount, "12,00 DM") << "a currency is no side";

    Page page;
    page.sizeMm = QSizeF(80, 40);
    BandInstance band;
    const QStringList texts = {"1.234,56 € S", "0,00 €  ", "7,00 € H"};
    for (int i = 0; i < texts.size(); ++i)
        band.texts << TextItem{
            QRectF(5, 5 + 10 * i, 60, 6), texts[i], FontStyle{}, Qt::AlignRight, Qt::black, 4.0};
    page.bands << band;
    const double unitsPerMm = 600 / 25.4;
    QImage image(int(80 * unitsPerMm), int(40 * unitsPerMm), QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        paintPage(painter, page, unitsPerMm);
    }
    // The ink runs of a text line, as column ranges.
    auto runs = [&](int i) {
        std::vector<std::pair<int, int>> out;
        const int top = int((5 + 10 * i) * unitsPerMm), bottom = int((11 + 10 * i) * unitsPerMm);
        bool inRun = false;
        for (int x = 0; x < image.width(); ++x) {
            bool ink = false;
            for (int y = top; y < bottom && !ink; ++y)
                ink = qGray(image.pixel(x, y)) < 128;
            if (ink && !inRun)
                out.push_back({x, x});
            if (ink)
                out.back().second = x;
            inRun = ink;
        }
        return out;
    };
    const auto zero = runs(1), debit = runs(0), credit = runs(2);
    ASSERT_GE(zero.size(), 3u);
    ASSERT_GE(debit.size(), 3u);
    ASSERT_GE(credit.size(), 3u);
    const int zeroEnd = zero.back().second;
    // The side letter is the last run; the euro sign's ends the run before it.
    const int debitEnd = debit[debit.size() - 2].second,
              creditEnd = credit[credit.size() - 2].second;
    EXPECT_NEAR(debitEnd, zeroEnd, 2);
    EXPECT_NEAR(creditEnd, zeroEnd, 2);
    EXPECT_NEAR(debit.back().first, credit.back().first, 6) << "S and H start in one column";
    EXPECT_LT(debit.back().second, int(65 * unitsPerMm) + 1) << "the side stays inside its box";
}
