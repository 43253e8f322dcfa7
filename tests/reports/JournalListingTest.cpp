// The journal listing and its launcher: the rate column, what the lines and page header
// print, the deletion of the listed bookings, and the files the listing can be saved as.

#include "ReportsFixture.h"

#include "reports/FileReportViewer.h"
#include "reports/JournalReport.h"
#include "reports/KontenblattReport.h"
#include "store/Table.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
namespace ledra {

using ledra::report::BandKind;
using ledra::report::Record;
using reports::JournalReport;

namespace {

Record row(const QString &text, QVariant sollArt, QVariant habenArt, double satz = 19.0) {
    static const auto names = QSharedPointer<const QStringList>::create(
        QStringList{"Buchungstext", "XSollArt", "XHabenArt", "Steuersatz"});
    return Record(names, {text, sollArt, habenArt, satz});
}

} // namespace

TEST(JournalRate, PaymentsFromCustomersAndTheirReversalsShowZero) {
    EXPECT_EQ(JournalReport::rateText(row("Ware", 1, 4)), "19");
    EXPECT_EQ(JournalReport::rateText(row("Erlös", 4, 3, 7.0)), "7");
    for (int payer : {4, 5, 6, 9}) {
        SCOPED_TRACE(payer);
        EXPECT_EQ(JournalReport::rateText(row("Zahlung Meier", payer, 7)), "0");
        EXPECT_EQ(JournalReport::rateText(row("Storno Zahlung", 7, payer)), "0");
        EXPECT_EQ(JournalReport::rateText(row("Zahlung zurück", 7, payer)), "19")
            << "no reversal without Storno";
    }
    EXPECT_EQ(JournalReport::rateText(row("storno", 7, 4)), "19") << "the word is case-sensitive";
    EXPECT_EQ(JournalReport::rateText(row("Zahlung", 1, 7)), "19")
        << "from a cost account it is no payment";
    EXPECT_EQ(JournalReport::rateText(row("Zahlung", 4, 8)), "19") << "a supplier is no customer";
    EXPECT_EQ(JournalReport::rateText(row("Rechnung", 7, 3)), "19");
}

namespace {

struct Listing : ReportBooks {
    void SetUp() override {
        ReportBooks::SetUp();
        journal(1, day(5, 3), QStringLiteral("Büromaterial"), 4930, 1200, "100,00", "119,00",
                "19,00", 19, 7);
        journal(2, day(6, 3), QStringLiteral("Zahlung Meier"), 1200, 1400, "238,00", "238,00",
                "0,00", 19, 8);
        journal(3, day(7, 3), QStringLiteral("Altbestand"), 1800, 1000, "50,00", "50,00", "0,00", 0,
                9, false);
        journal(4, day(8, 5), QStringLiteral("Mai"), 4930, 1200, "10,00", "11,90", "1,90", 19, 10);
        okAtOnce();
    }
    QStringList detailLines() { return bandTexts(viewer.models.at(0), BandKind::Detail); }
};

} // namespace

TEST_F(Listing, LinesHeaderAndTheLaunchersRestore) {
    fb->books().settings.lRand = 25;
    dlg->toText = QStringLiteral("31.03.") + year();
    reports::printJournal(*ctx);
    ASSERT_EQ(viewer.models.size(), 1u);
    EXPECT_TRUE(viewer.lastOptions.textAndCsv);
    EXPECT_EQ(dlg->caption, QStringLiteral("Buchungsjournal"));
    EXPECT_EQ(dlg->helpContext, 22);
    EXPECT_FALSE(dlg->mitKontenVisible);
    const auto &model = viewer.models[0];
    ASSERT_EQ(model.pages.size(), 1u);
    const auto &page = model.pages[0];
    EXPECT_EQ(page.sizeMm, QSizeF(297, 210)) << "landscape";
    EXPECT_EQ(page.margins.top, 25)
        << "the left-margin setting moves the top edge of the landscape journal";
    EXPECT_EQ(page.margins.left, 10);

    const QStringList texts = page.texts();
    for (const char *t : {"Journal", "Brutto", "Datum", "Beleg-Nr.", "Buchungstext", "Betrag",
                          "Soll", "Haben", "Ust-Satz", "Seite: 1", "Sortierung: Datum"})
        EXPECT_TRUE(texts.contains(QString::fromUtf8(t))) << t;
    EXPECT_TRUE(texts.contains(QStringLiteral("Von 01.01.%1 bis 31.03.%1").arg(year())));
    EXPECT_TRUE(texts.contains(fb->status[2])) << "the fiscal-year folder";

    const QString y = year();
    EXPECT_EQ(
        detailLines(),
        (QStringList{
            QStringLiteral("05.03.%1|7|Büromaterial|119,00|€|4930|Bürobedarf|1200|Bank|19").arg(y),
            QStringLiteral("06.03.%1|8|Zahlung Meier|238,00|€|1200|Bank|1400|Kunde Meier|0").arg(y),
            QStringLiteral("07.03.%1|9|Altbestand|50,00|DM|1800|Privatentnahmen|1000|Kasse|0")
                .arg(y),
        }));
    // Every launcher run ends alike.
    EXPECT_EQ(enabledLog, (QStringList{"SBJournal=0", "SBJournal=1"}));
    EXPECT_FALSE(dlg->QJournal.isActive());
    EXPECT_FALSE(dlg->amountChoiceVisible);
    EXPECT_TRUE(ui.questions.empty()) << "no deletion without the drag";
}

// The rows a report reads without the chart joined are the joined query's rows, value for value
// and in the same order: a row whose debit or credit account is missing from the chart is left
// out as the join leaves it out, and the sheet filters select the same rows.
TEST_F(Listing, RowsWithTheChartInMemoryAreTheJoinedRows) {
    journal(5, day(9, 3), QStringLiteral("Fremdkonto Haben"), 1200, 9999, "5,00", "5,00", "0,00", 0,
            11);
    journal(6, day(9, 3), QStringLiteral("Fremdkonto Soll"), 9999, 1200, "6,00", "6,00", "0,00", 0,
            11);
    journal(7, day(9, 3), QStringLiteral("Wareneinkauf"), 3400, 1600, "10,00", "11,90", "1,90", 19,
            11);
    journal(8, day(9, 3), QStringLiteral("Erlös"), 1400, 8400, "10,00", "11,90", "1,90", 19, 11);
    journal(9, day(9, 3), QString(), 1576, 1200, "1,00", "1,00", "0,00", 0, 12, false);
    const QStringList fields{"Belegdatum", "Buchungstext", "Soll",      "Haben",      "Netto",
                             "Brutto",     "Steuer",       "Euro",      "Steuersatz", "XSollArt",
                             "XHabenArt",  "XSollName",    "XHabenName"};
    auto read = [&fields](ledra::report::RecordSource &source) {
        QStringList rows;
        for (source.first(); !source.eof(); source.next()) {
            QStringList values;
            for (const QString &f : fields) {
                const QVariant v = source.value(f);
                values << QStringLiteral("%1:%2:%3")
                              .arg(v.typeName() ? v.typeName() : "-")
                              .arg(v.isNull() ? QStringLiteral("null") : v.toString())
                              .arg(f);
            }
            rows << values.join(QLatin1Char('|'));
        }
        return rows;
    };
    ASSERT_TRUE(dlg->runModal());
    const reports::sheet::TaxAccounts tax{1576, 1776};
    for (const int konto : {0, 1200, 1576, 1776}) {
        SCOPED_TRACE(konto);
        if (konto != 0) {
            const auto filter = reports::sheet::sheetFilter(konto, tax, dlg->QJournal.chart());
            dlg->QJournal.setFilter(filter.condition, filter.params);
        }
        dlg->QJournal.setFiltered(konto != 0);
        const QStringList joined = read(*dlg->QJournal.source());
        const QStringList rows = read(*dlg->QJournal.rows(fields));
        EXPECT_EQ(rows, joined);
        EXPECT_FALSE(joined.join(QString()).contains(QStringLiteral("Fremdkonto")));
        EXPECT_EQ(joined.size(), konto == 0      ? 7
                                 : konto == 1776 ? 1
                                                 : 4)
            << joined.join(QLatin1Char('\n')).toStdString();
    }
}

TEST_F(Listing, NetAmountsAndShadingOfEveryOtherLine) {
    fb->books().settings.zeilenfarbe = 0xC0FFC0; // the platform's order: blue, green, red
    dlg->Netto = true;
    reports::printJournal(*ctx);
    ASSERT_EQ(viewer.models.size(), 1u);
    const QStringList texts = pageTexts(viewer.models[0], 0);
    EXPECT_TRUE(texts.contains(QStringLiteral("Netto")));
    EXPECT_FALSE(texts.contains(QStringLiteral("Brutto")));
    const QStringList lines = detailLines();
    ASSERT_EQ(lines.size(), 4);
    EXPECT_TRUE(lines[0].contains(QStringLiteral("|100,00|")));
    EXPECT_TRUE(lines[3].contains(QStringLiteral("|10,00|")));

    QList<bool> shaded;
    for (const auto &band : viewer.models[0].pages[0].bands)
        if (band.kind == BandKind::Detail) {
            shaded << !band.rects.isEmpty();
            if (!band.rects.isEmpty()) {
                EXPECT_EQ(band.rects.first().fill, QColor(0xC0, 0xFF, 0xC0));
            }
        }
    EXPECT_EQ(shaded, (QList<bool>{true, false, true, false}));
}

TEST_F(Listing, CancelledDialogPrintsNothingAndStillRestores) {
    dlg->showModal = [] { return false; };
    reports::printJournal(*ctx);
    EXPECT_TRUE(viewer.models.empty());
    EXPECT_EQ(enabledLog, (QStringList{"SBJournal=0", "SBJournal=1"}));
    EXPECT_FALSE(dlg->amountChoiceVisible);
}

TEST_F(Listing, DroppedSortGroupOffersToDeleteTheListedBookings) {
    ui.answers = {Btn::Yes};
    // A person drags the sort group onto "Netto" while the dialog is open.
    dlg->showModal = [this] {
        dlg->dropNetto(reports::EingrenzungRules::DragSource::GroupBox);
        dlg->toText = QStringLiteral("31.03.") + year();
        return dlg->confirmRange();
    };
    reports::printJournal(*ctx);
    ASSERT_EQ(ui.questions.size(), 1u);
    EXPECT_EQ(ui.questions[0].text, QStringLiteral("Die angezeigten Buchungssätze jetzt löschen?"));
    EXPECT_EQ(ui.questions[0].buttons, Btn::YesNo);
    EXPECT_TRUE(ui.questions[0].warning);
    EXPECT_EQ(ui.questions[0].defaultButton, Btn::No) << "Enter alone deletes nothing";
    fb->books().journal.refresh();
    ASSERT_EQ(fb->books().journal.recordCount(), 1) << "only the May booking was not listed";
    fb->books().journal.first();
    EXPECT_EQ(fb->books().journal.asString(QStringLiteral("Buchungstext")), QStringLiteral("Mai"));
    // The balances follow the journal that is left.
    EXPECT_EQ(saldo(4930), Money::fromCents(1000));
    EXPECT_EQ(saldo(1576), Money::fromCents(190));
    EXPECT_EQ(saldo(1200), Money::fromCents(-1190));
    EXPECT_EQ(saldo(1400), Money());

    // Shown again, the option is no longer red: no question, nothing deleted.
    ui.clear();
    dlg->sortByDate();
    okAtOnce();
    reports::printJournal(*ctx);
    EXPECT_EQ(viewer.models.size(), 2u);
    EXPECT_TRUE(ui.questions.empty());
    fb->books().journal.refresh();
    EXPECT_EQ(fb->books().journal.recordCount(), 1);
}

TEST_F(Listing, AnsweringNoKeepsTheBookings) {
    ui.answers = {Btn::No};
    dlg->showModal = [this] {
        dlg->dropNetto(reports::EingrenzungRules::DragSource::GroupBox);
        return dlg->confirmRange();
    };
    reports::printJournal(*ctx);
    ASSERT_EQ(ui.questions.size(), 1u);
    fb->books().journal.refresh();
    EXPECT_EQ(fb->books().journal.recordCount(), 4);
}

TEST_F(Listing, LongJournalBreaksPagesWithoutLosingALine) {
    for (int i = 0; i < 95; ++i)
        journal(100 + i, day(1 + i % 28, 6),
                QStringLiteral("Zeile %1").arg(i, 3, 10, QLatin1Char('0')), 4930, 1200, "1,00",
                "1,19", "0,19", 19, 100 + i);
    reports::printJournal(*ctx);
    ASSERT_EQ(viewer.models.size(), 1u);
    const auto &model = viewer.models[0];
    ASSERT_GE(model.pages.size(), 3u);
    EXPECT_EQ(detailLines().size(), 99);
    for (const auto &page : model.pages) {
        EXPECT_TRUE(page.texts().contains(QStringLiteral("Seite: %1").arg(page.number)));
        EXPECT_TRUE(page.texts().contains(QStringLiteral("Ust-Satz")));
        for (const auto &band : page.bands)
            EXPECT_LE(band.top + band.height, page.sizeMm.height() - page.margins.bottom + 1e-6);
    }
}

TEST_F(Listing, SavedAsPdfTextAndCsvFromOneRun) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString pdf = dir.filePath("journal.pdf"), txt = dir.filePath("journal.txt"),
                  csv = dir.filePath("journal.csv");
    reports::FileReportViewer files(pdf, txt, csv);
    reports::ReportContext fileCtx{fb->books(), *dlg, files, {}, {}};
    reports::printJournal(fileCtx);
    ASSERT_TRUE(files.written());
    ASSERT_TRUE(files.error().isEmpty()) << files.error().toStdString();

    const QByteArray csvBytes = fx.readFile(csv);
    EXPECT_TRUE(csvBytes.startsWith("\xEF\xBB\xBF")) << "UTF-8 with a byte order mark";
    const QString csvText = QString::fromUtf8(csvBytes.mid(3));
    const QStringList csvLines = csvText.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(csvLines.size(), 5) << csvText.toStdString();
    EXPECT_EQ(csvLines[0],
              QStringLiteral("Datum;Beleg-Nr.;Buchungstext;Betrag;;Soll;;Haben;;Ust-Satz"))
        << "one head cell per column";
    EXPECT_EQ(csvLines[1],
              QStringLiteral("05.03.%1;7;Büromaterial;119,00;€;4930;Bürobedarf;1200;Bank;19")
                  .arg(year()));
    EXPECT_TRUE(QString::fromUtf8(fx.readFile(txt)).contains(QStringLiteral("Zahlung Meier")));

    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    QProcess p;
    p.start(pdftotext, {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    ASSERT_TRUE(p.waitForFinished(30000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    const QString text = QString::fromUtf8(p.readAllStandardOutput());
    for (const QString &t : {QStringLiteral("Journal"), QStringLiteral("Büromaterial"),
                             QStringLiteral("Privatentnahmen"), QStringLiteral("119,00"),
                             QStringLiteral("Sortierung: Datum"), QStringLiteral("DM")})
        EXPECT_TRUE(text.contains(t)) << t.toStdString() << "\n" << text.toStdString();
}

} // namespace ledra

namespace ledra {

// A German spreadsheet reads the CSV as Python's csv module does with ";" and a byte order
// mark: the cells that come back are the ones the page model printed, texts with ";" and
// quotes included, and the head has a cell over every column.
TEST_F(Listing, CsvReadBackWithSemicolonsGivesThePrintedCells) {
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (python.isEmpty())
        GTEST_SKIP() << "python3 is not installed";
    journal(5, day(9, 3), QStringLiteral("Miete; \"Juli\""), 4930, 1200, "1000,00", "1190,00",
            "190,00", 19, 11);
    reports::printJournal(*ctx);
    ASSERT_EQ(viewer.models.size(), 1u);
    QList<QStringList> printed;
    for (const auto &page : viewer.models[0].pages)
        for (const auto &band : page.bands) {
            if (band.kind != BandKind::Detail)
                continue;
            std::vector<std::pair<double, QString>> cells;
            for (const auto &t : band.texts)
                cells.emplace_back(t.rect.x(), t.text);
            for (const QRectF &r : band.emptyCells)
                cells.emplace_back(r.x(), QString());
            std::stable_sort(cells.begin(), cells.end(),
                             [](const auto &a, const auto &b) { return a.first < b.first; });
            QStringList row;
            for (const auto &c : cells)
                row << c.second;
            printed << row;
        }
    ASSERT_EQ(printed.size(), 5);

    QTemporaryDir dir;
    const QString csv = dir.filePath(QStringLiteral("journal.csv"));
    reports::FileReportViewer files(QString(), QString(), csv);
    reports::ReportContext fileCtx{fb->books(), *dlg, files, {}, {}};
    reports::printJournal(fileCtx);
    ASSERT_TRUE(files.error().isEmpty()) << files.error().toStdString();
    EXPECT_TRUE(fx.readFile(csv).startsWith("\xEF\xBB\xBF"));

    QProcess p;
    p.start(python,
            {QStringLiteral("-c"),
             QStringLiteral("import csv, json, sys\n"
                            "with open(sys.argv[1], newline='', encoding='utf-8-sig') as f:\n"
                            "    print(json.dumps(list(csv.reader(f, delimiter=';'))))\n"),
             csv});
    ASSERT_TRUE(p.waitForFinished(30000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    QList<QStringList> rows;
    const QJsonArray lines = QJsonDocument::fromJson(p.readAllStandardOutput()).array();
    for (const auto &line : lines)
        rows << line.toVariant().toStringList();
    ASSERT_EQ(rows.size(), printed.size() + 1);
    EXPECT_EQ(rows[0].first(), QStringLiteral("Datum")) << "no stray mark before the first head";
    EXPECT_EQ(rows[0].size(), printed[0].size()) << rows[0].join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(rows.mid(1), printed);
    const auto rent = std::find_if(rows.cbegin(), rows.cend(), [](const QStringList &r) {
        return r.contains(QStringLiteral("Miete; \"Juli\""));
    });
    ASSERT_NE(rent, rows.cend());
    EXPECT_TRUE(rent->contains(QStringLiteral("1190,00"))) << rent->join(u'|').toStdString();
}

} // namespace ledra
