#include "OffenePostenReport.h"

#include "OffenePostenStore.h"
#include "books/KontoArt.h"
#include "reportengine/NumberFormat.h"
#include "reports/RecordSources.h"
#include "reports/ReportConventions.h"
#include "store/Dates.h"

namespace ledra {

using namespace ledra::report;

namespace {

// Column positions in mm from the left margin of the A4 portrait sheet (190 mm printable).
struct Col {
    double x, w;
};
constexpr Col kDatum{0, 19}, kBelNr{20, 16}, kText{39, 55}, kBetrag{95, 30}, kSoll{127, 13},
    kHaben{142, 13}, kZiel{157, 19}, kArt{177, 13};

TextControl *place(TextControl *t, Qt::Alignment a) {
    t->setAlignment(a);
    return t;
}

bool isPartnerArt(int art) {
    return art == int(KontoArt::Debitor) || art == int(KontoArt::Kreditor);
}

int artOf(const Record &r, const QString &field) {
    const QVariant v = r.value(field);
    return v.isNull() ? -1 : v.toInt();
}

} // namespace

QString OffenePostenReport::art(int sollArt, int habenArt) {
    if (isPartnerArt(habenArt))
        return QStringLiteral("V");
    if (isPartnerArt(sollArt))
        return QStringLiteral("F");
    return QStringLiteral(" ");
}

OffenePostenReport::OffenePostenReport(const OffenePostenStore &daten) {
    Report &r = Ausdruck;
    r.setTitle(QStringLiteral("Offene Posten"));
    r.setOrientation(Orientation::Portrait);
    r.setMargins(10, 10, 10, 10);
    r.setDefaultFont(reports::reportFont(10));
    r.setPrintPageHeaderOnFirstPage(true);
    // The layout may run twice (page count): the totals start from 0 at every run.
    r.setBeforePrint(
        [this](Report &) { sumForderungen = sumVerbindlichkeiten = sumSteuer = Money(); });

    reports::FieldTypes types;
    types.insert(QStringLiteral("betrag"), FieldType::Currency);
    types.insert(QStringLiteral("steuer"), FieldType::Currency);
    types.insert(QStringLiteral("zahlungsziel"), FieldType::Date);
    types.insert(QStringLiteral("belegdatum"), FieldType::Date);
    types.insert(QStringLiteral("euro"), FieldType::Boolean);
    m_source = std::make_unique<reports::SqlSource>(daten.listFiles(), daten.listSql(),
                                                    daten.listParams(), types);
    r.setDataSource(m_source.get());

    Band *head = r.addBand(BandKind::PageHeader);
    head->setHeight(14);
    head->addSystemField(0, 0, 60, SystemValue::DateTime);
    place(head->addSystemField(kZiel.x, 0, kZiel.w + kArt.w, SystemValue::PageNumber,
                               QStringLiteral("Seite: ")),
          Qt::AlignRight);
    head->addLabel(kText.x, 5, 0, QStringLiteral("Offene Posten"))
        ->setFont(reports::reportFont(14, true));

    Band *columns = r.addBand(BandKind::ColumnHeader);
    columns->setHeight(6);
    columns->setFrame(BandFrame{true, true, 0.3});
    auto title = [&](Col c, const QString &text, Qt::Alignment a = Qt::AlignLeft) {
        place(columns->addLabel(c.x, 1, c.w, text), a)->setBold(true);
    };
    title(kDatum, QStringLiteral("Datum"));
    title(kBelNr, QStringLiteral("Beleg-Nr."), Qt::AlignRight);
    title(kText, QStringLiteral("Buchungstext"));
    title(kBetrag, QStringLiteral("Betrag"), Qt::AlignRight);
    title(kSoll, QStringLiteral("Soll"), Qt::AlignRight);
    title(kHaben, QStringLiteral("Haben"), Qt::AlignRight);
    title(kZiel, QStringLiteral("Zahlungsziel"));
    title(kArt, QStringLiteral("Ford/Verb."));

    Band *detail = r.addBand(BandKind::Detail);
    detail->setFont(reports::reportFont(9));
    detail->setHeight(4.2);
    const double d = 0.2;
    detail->addField(kDatum.x, d, kDatum.w, QStringLiteral("Belegdatum"));
    place(detail->addField(kBelNr.x, d, kBelNr.w, QStringLiteral("Belegnummer")), Qt::AlignRight);
    detail->addField(kText.x, d, kText.w, QStringLiteral("Buchungstext"))
        ->setOnPrint([](TextControl &c, QString &text) {
            text = reports::clipToWidth(text, c.font(), c.geometry().width());
        });
    const OffenePostenStore *store = &daten;
    place(detail->addField(kBetrag.x, d, kBetrag.w, QStringLiteral("Betrag")), Qt::AlignRight)
        ->setOnPrint([store](TextControl &c, QString &text) {
            const Record &row = c.band().record();
            const QVariant e = row.value(QStringLiteral("Euro"));
            text = store->listAmountText(
                Money::fromUnits(row.value(QStringLiteral("Betrag")).toLongLong()),
                e.isNull() ? std::nullopt : std::optional<bool>(e.toBool()));
        });
    place(detail->addField(kSoll.x, d, kSoll.w, QStringLiteral("Soll")), Qt::AlignRight);
    place(detail->addField(kHaben.x, d, kHaben.w, QStringLiteral("Haben")), Qt::AlignRight);
    detail->addField(kZiel.x, d, kZiel.w, QStringLiteral("Zahlungsziel"));
    place(detail->addLabel(kArt.x, d, kArt.w, QString()), Qt::AlignHCenter)
        ->setOnPrint([this](TextControl &c, QString &text) {
            const Record &row = c.band().record();
            text = art(artOf(row, QStringLiteral("XSollArt")),
                       artOf(row, QStringLiteral("XHabenArt")));
            const Money betrag = Money::fromUnits(row.value(QStringLiteral("Betrag")).toLongLong());
            if (text == QLatin1String("F")) {
                sumForderungen += betrag;
                sumSteuer += Money::fromUnits(row.value(QStringLiteral("Steuer")).toLongLong());
            } else if (text == QLatin1String("V")) {
                sumVerbindlichkeiten += betrag;
            }
        });

    Band *summary = r.addBand(BandKind::Summary);
    summary->setHeight(18);
    summary->addHorizontalLine(0, 0.5, kArt.x + kArt.w);
    auto total = [&](double y, const QString &caption, Money OffenePostenReport::*sum) {
        summary->addLabel(kText.x, y, 0, caption);
        place(summary->addLabel(kBetrag.x, y, kBetrag.w, QString()), Qt::AlignRight)
            ->setOnPrint([this, sum](TextControl &, QString &text) {
                text = formatCurrency((this->*sum).units(), QStringLiteral("€"));
            });
    };
    total(2, QStringLiteral("Forderungen"), &OffenePostenReport::sumForderungen);
    total(7, QStringLiteral("Verbindlichkeiten"), &OffenePostenReport::sumVerbindlichkeiten);
    total(12, QStringLiteral("Steuer:"), &OffenePostenReport::sumSteuer);
}

OffenePostenReport::~OffenePostenReport() = default;

} // namespace ledra
