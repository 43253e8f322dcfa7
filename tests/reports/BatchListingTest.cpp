// The batch listing: its lines in the batch's order, the count at the end, the open-items
// notes, and what its launcher does to the main window.

#include "ReportsFixture.h"

#include "reports/StapelReport.h"
#include "store/Sql.h"
#include "store/Table.h"
#include "support/OpenItemsDouble.h"

#include "reports/ReportConventions.h"

#include <QTextStream>

#include <map>
namespace ledra {

using ledra::report::BandKind;

namespace {

// The open-items module as the batch listing asks it for its notes.
class NotingOpenItems : public OpenItemsDouble {
public:
    std::map<int, QString> notes;
    QString stapelRole(int batchNumber) override {
        auto it = notes.find(batchNumber);
        return it == notes.end() ? QString() : it->second;
    }
};

struct Batch : ReportBooks {
    QList<bool> windowShown;
    void SetUp() override {
        ReportBooks::SetUp();
        ctx->showMainWindow = [this](bool visible) { windowShown << visible; };
        for (int i = 1; i <= 12; ++i)
            ASSERT_TRUE(book(QStringLiteral("05.03.%Y;%1;3400;1200;Ware %1;119,00;B;").arg(i)));
        fb->controls.sbDruckEnabled = true;
    }
    qint64 autonummer(int row) {
        fb->books().stapel.moveTo(row);
        return fb->books().stapel.asInt(QStringLiteral("Autonummer"));
    }
};

} // namespace

TEST_F(Batch, TwelveRowsEndWithTheirCount) {
    fb->books().stapel.moveTo(4);
    const qint64 current = fb->books().stapel.bookmark();
    reports::printStapel(*ctx);
    ASSERT_EQ(viewer.models.size(), 1u);
    const auto &model = viewer.models[0];
    EXPECT_EQ(model.pages.at(0).sizeMm, QSizeF(210, 297));
    EXPECT_EQ(model.pages.at(0).margins.left, 13) << "the left-margin setting";

    const QStringList texts = pageTexts(model, 0);
    for (const char *t : {"Buchungsstapel", "Seite: 1", "Datum", "Beleg-Nr.", "Buchungstext",
                          "Brutto", "Soll", "Haben", "Ust-Satz"})
        EXPECT_TRUE(texts.contains(QString::fromUtf8(t))) << t;
    const QStringList lines = bandTexts(model, BandKind::Detail);
    ASSERT_EQ(lines.size(), 12);
    EXPECT_EQ(lines[0],
              QStringLiteral("05.03.%1|1|Ware 1|119,00|3400|Wareneingang|1200|Bank|19").arg(year()))
        << "a name too long for its column breaks after a word, not inside \"19 %\"";
    EXPECT_TRUE(lines[11].startsWith(QStringLiteral("05.03.%1|12|Ware 12|").arg(year())));
    EXPECT_EQ(bandTexts(model, BandKind::Summary),
              QStringList{QStringLiteral("12|Buchungen erfaßt")});
    // Without the open-items module the line under a row holds only the rest of the name.
    EXPECT_EQ(bandTexts(model, BandKind::Child), QStringList(12, QStringLiteral("19 %")));

    EXPECT_EQ(windowShown, (QList<bool>{false, true}));
    EXPECT_TRUE(fb->controls.sbDruckEnabled);
    EXPECT_EQ(fb->books().stapel.bookmark(), current) << "the grid keeps its row";
}

TEST_F(Batch, OpenItemNotesFollowTheirBookings) {
    NotingOpenItems op;
    op.notes[int(autonummer(2))] = QStringLiteral("Buchung gleicht offenen Posten aus");
    op.notes[int(autonummer(7))] = QStringLiteral("Buchung erzeugt offenen Posten");
    fb->setOpenItemsForTest(&op);
    reports::printStapel(*ctx);
    fb->setOpenItemsForTest(nullptr);
    ASSERT_EQ(viewer.models.size(), 1u);

    QStringList order; // detail lines by voucher number, notes as they follow
    for (const auto &page : viewer.models[0].pages)
        for (const auto &band : page.bands) {
            if (band.kind == BandKind::Detail)
                order << band.texts.at(1).text;
            if (band.kind == BandKind::Child && band.texts.at(0).text.startsWith("Buchung"))
                order << band.texts.at(0).text;
        }
    EXPECT_EQ(order,
              (QStringList{"1", "2", "3", "Buchung gleicht offenen Posten aus", "4", "5", "6", "7",
                           "8", "Buchung erzeugt offenen Posten", "9", "10", "11", "12"}));
}

// The whole name of an account reaches the page in two lines under its number, and a
// spreadsheet in one cell of its row; a short name takes one line.
TEST_F(Batch, LongAccountNamesGoOnOverTheLineBelow) {
    Table &k = fb->books().konten;
    for (const auto &[nr, name] : {std::pair{1576, "Abziehbare Vorsteuer 19 %"},
                                   std::pair{1600, "Verbindlichkeiten aus L+L"}})
        ASSERT_EQ(
            execute(k, QStringLiteral("UPDATE %1 SET Name = ? WHERE KtoNr = ?").arg(quotedName(k)),
                    {QString::fromUtf8(name), nr}),
            1);
    k.refresh();
    ASSERT_TRUE(book(QStringLiteral("06.03.%Y;13;1576;1600;Vorsteuer;19,00;B;0")));
    reports::printStapel(*ctx);
    ASSERT_EQ(viewer.models.size(), 1u);
    const auto &model = viewer.models[0];
    const QStringList lines = bandTexts(model, BandKind::Detail);
    ASSERT_EQ(lines.size(), 13);
    EXPECT_TRUE(lines[12].endsWith("|1576|Abziehbare|1600|Verbindlichkeiten|0"))
        << lines[12].toStdString();
    EXPECT_EQ(bandTexts(model, BandKind::Child).last(), "Vorsteuer 19 %|aus L+L");

    QString csv;
    {
        QTextStream stream(&csv);
        reports::ReportCsvSink sink(stream);
        for (auto page : model.pages)
            sink.addPage(std::move(page));
    }
    const QStringList rows = csv.split(u'\n', Qt::SkipEmptyParts);
    EXPECT_TRUE(rows.contains(QStringLiteral("05.03.%1;1;Ware 1;119,00;3400;"
                                             "Wareneingang 19 %;1200;Bank;19")
                                  .arg(year())))
        << csv.toStdString();
    EXPECT_TRUE(rows.contains(QStringLiteral("06.03.%1;13;Vorsteuer;19,00;1576;"
                                             "Abziehbare Vorsteuer 19 %;1600;"
                                             "Verbindlichkeiten aus L+L;0")
                                  .arg(year())))
        << csv.toStdString();
    EXPECT_EQ(rows.size(), 1 + 13 + 1) << "heads, one row per booking, the count";
}

} // namespace ledra
