// The batch listing: its lines in the batch's order, the count at the end, the open-items
// notes, and what its launcher does to the main window.

#include "ReportsFixture.h"

#include "reports/StapelReport.h"
#include "store/Table.h"
#include "support/OpenItemsDouble.h"

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
    EXPECT_EQ(
        lines[0],
        QStringLiteral("05.03.%1|1|Ware 1|119,00|3400|Wareneingang 19|1200|Bank|19").arg(year()))
        << "names are cut at the width of their column";
    EXPECT_TRUE(lines[11].startsWith(QStringLiteral("05.03.%1|12|Ware 12|").arg(year())));
    EXPECT_EQ(bandTexts(model, BandKind::Summary),
              QStringList{QStringLiteral("12|Buchungen erfaßt")});
    EXPECT_TRUE(bandTexts(model, BandKind::Child).isEmpty())
        << "no notes without the open-items module";

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
            if (band.kind == BandKind::Child)
                order << band.texts.at(0).text;
        }
    EXPECT_EQ(order,
              (QStringList{"1", "2", "3", "Buchung gleicht offenen Posten aus", "4", "5", "6", "7",
                           "8", "Buchung erzeugt offenen Posten", "9", "10", "11", "12"}));
}

} // namespace ledra
