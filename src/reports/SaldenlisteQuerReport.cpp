#include "SaldenlisteQuerReport.h"

#include "EingrenzungRules.h"
#include "ReportConventions.h"
#include "SaldenlisteReport.h"
#include "books/BooksSession.h"
#include "ui/Ui.h"
namespace ledra {

namespace reports {

using namespace ledra::report;

namespace {

// Columns in mm from the left margin of the landscape sheet (277 mm printable).
struct Col {
    double x, w;
};
constexpr Col kKonto{0, 16}, kName{17, 50}, kBew1{68, 19}, kVortrag{88, 27}, kPvzSoll{116, 26},
    kPvzHaben{143, 26}, kPvzSaldo{170, 26}, kJvzSoll{197, 26}, kJvzHaben{224, 26}, kJahr{251, 26};

TextControl *right(TextControl *t) {
    t->setAlignment(Qt::AlignRight);
    return t;
}

} // namespace

bool SaldenlisteQuerReport::listed(const Record &row) {
    return bebucht(row);
}

SaldenlisteQuerReport::SaldenlisteQuerReport(BooksSession &fb, EingrenzungRules &filter) {
    Report &r = Ausdruck;
    r.setTitle(QStringLiteral("Saldenliste"));
    r.setOrientation(Orientation::Landscape);
    // The design's margins hold: the sheet is full to its edges, so the left-margin
    // setting is not applied.
    r.setMargins(10, 20, 10, 10);
    r.setDefaultFont(reportFont(10));
    r.setBeforePrint([this](Report &) { m_klasse.clear(); });
    const QString cur = fb.settings.currency;
    const QString mask = totalsMask(cur);

    // The annual turnovers and Jahressaldo run from the period's start to the range end.
    m_source = std::make_unique<PreparedAccountsSource>(fb.konten, filter);
    r.setDataSource(m_source.get());

    Band *head = r.addBand(BandKind::PageHeader);
    head->setHeight(8);
    head->addLabel(0, 0, 0, QStringLiteral("Saldenliste erweitert"))->setFont(reportFont(14, true));
    head->addLabel(kBew1.x, 1, 0,
                   periodLine(PeriodStyle::VomUpper, filter.fromText, filter.toText));
    right(head->addSystemField(kPvzSaldo.x, 1, 50, SystemValue::DateTime));
    right(head->addSystemField(kJahr.x, 1, kJahr.w, SystemValue::PageNumber,
                               QStringLiteral("Seite: ")));

    // The column heads belong to the page head, ruled below it; as a band of their own they
    // also head a CSV export once.
    Band *columns = r.addBand(BandKind::ColumnHeader);
    columns->setHeight(11);
    columns->setFrame(BandFrame{false, true, 0.3});
    auto caption = [&](Col c, double y, const QString &text, bool alignRight) {
        TextControl *t = columns->addLabel(c.x, y, c.w, text);
        t->setBold(true);
        if (alignRight)
            right(t);
    };
    columns
        ->addLabel(kPvzSoll.x, 0.5, kPvzSaldo.x + kPvzSaldo.w - kPvzSoll.x,
                   QStringLiteral("Periodenverkehrszahlen"))
        ->setAlignment(Qt::AlignHCenter);
    columns
        ->addLabel(kJvzSoll.x, 0.5, kJvzHaben.x + kJvzHaben.w - kJvzSoll.x,
                   QStringLiteral("Jahresverkehrszahlen"))
        ->setAlignment(Qt::AlignHCenter);
    const double y = 5.5;
    caption(kKonto, y, QStringLiteral("Konto-Nr."), false);
    caption(kName, y, QStringLiteral("Bezeichnung"), false);
    caption(kBew1, y, QStringLiteral("1. Bew"), false);
    caption(kVortrag, y, QStringLiteral("Vortrag"), true);
    caption(kPvzSoll, y, QStringLiteral("PVZ Soll"), true);
    caption(kPvzHaben, y, QStringLiteral("PVZ Haben"), true);
    caption(kPvzSaldo, y, QStringLiteral("PVZ Saldo"), true);
    caption(kJvzSoll, y, QStringLiteral("JVZ Soll"), true);
    caption(kJvzHaben, y, QStringLiteral("JVZ Haben"), true);
    caption(kJahr, y, QStringLiteral("Jahressaldo"), true);

    Band *detail = r.addBand(BandKind::Detail);
    detail->setHeight(5);
    detail->setBeforePrint([](Band &band, bool &print) { print = listed(band.record()); });
    detail->addField(kKonto.x, 0.5, kKonto.w, QStringLiteral("KtoNr"))
        ->setOnPrint([this](TextControl &, QString &text) { m_klasse = classLabel(text); });
    detail->addField(kName.x, 0.5, kName.w, QStringLiteral("Name"))
        ->setOnPrint([](TextControl &c, QString &text) {
            text = clipToWidth(text, c.font(), c.geometry().width());
        });
    detail->addField(kBew1.x, 0.5, kBew1.w, QStringLiteral("Datum1"));
    TextControl *vortrag =
        right(detail->addExpression(kVortrag.x, 0.5, kVortrag.w, QStringLiteral("Soll - Haben")));
    vortrag->setCurrency(true);
    vortrag->setMask(mask);
    vortrag->setOnPrint([](TextControl &, QString &text) {
        if (text.startsWith(QLatin1String("0,00")))
            text.clear();
    });
    auto amount = [&](Col c, const QString &field, bool blankZero) {
        right(detail->addField(c.x, 0.5, c.w, field))
            ->setOnPrint([cur, blankZero](TextControl &t, QString &text) {
                text = blankZero ? amountOrBlank(t.value(), cur)
                                 : currencyFormat(t.value().toLongLong(), cur);
            });
    };
    amount(kPvzSoll, QStringLiteral("BewSoll"), true);
    amount(kPvzHaben, QStringLiteral("BewHaben"), true);
    amount(kPvzSaldo, QStringLiteral("DruckSaldo"), false);
    amount(kJvzSoll, QStringLiteral("JVZSoll"), true);
    amount(kJvzHaben, QStringLiteral("JVZHaben"), true);
    amount(kJahr, QStringLiteral("Saldo"), false);
    shadeRows(*detail, fb.settings);

    Band *group = r.addGroup([](const Record &row) {
        return QVariant(row.value(QStringLiteral("KtoNr")).toLongLong() / 1000);
    });
    group->setHeight(0);
    Band *footer = r.addGroupFooter(group);
    footer->setHeight(6);
    footer->setFrame(BandFrame{true, false, 0.25});
    detail->setLinkBand(footer);
    footer->addLabel(kKonto.x, 1, kName.x + kName.w - kKonto.x, QString())
        ->setOnPrint([this](TextControl &, QString &text) { text = m_klasse; });
    // The number of listed accounts of the class; a class without any prints no footer.
    TextControl *menge = footer->addExpression(kName.x, 1, 10, QStringLiteral("COUNT"));
    menge->setName(QStringLiteral("MengeGruppe"));
    menge->setEnabled(false);
    menge->setPrintedRowsOnly(true);
    menge->setResetAfterPrint(true);

    Band *summary = r.addBand(BandKind::Summary);
    summary->setHeight(8);
    summary->setFrame(BandFrame{true, false, 0.3});
    summary->addLabel(kName.x, 1.5, 0, QStringLiteral("Saldenbilanz"))->setBold(true);

    const QString sums[] = {QStringLiteral("SUM(Soll - Haben)"), QStringLiteral("SUM(BewSoll)"),
                            QStringLiteral("SUM(BewHaben)"),     QStringLiteral("SUM(DruckSaldo)"),
                            QStringLiteral("SUM(JVZSoll)"),      QStringLiteral("SUM(JVZHaben)"),
                            QStringLiteral("SUM(Saldo)")};
    const Col sumCols[] = {kVortrag, kPvzSoll, kPvzHaben, kPvzSaldo, kJvzSoll, kJvzHaben, kJahr};
    std::vector<TextControl *> classSums{menge};
    for (int i = 0; i < 7; ++i) {
        // Only the listed lines add up, as the count does.
        TextControl *f = right(footer->addExpression(sumCols[i].x, 1, sumCols[i].w, sums[i]));
        f->setCurrency(true);
        f->setMask(mask);
        f->setResetAfterPrint(true);
        f->setPrintedRowsOnly(true);
        classSums.push_back(f);
        TextControl *s = right(summary->addExpression(sumCols[i].x, 1.5, sumCols[i].w, sums[i]));
        s->setCurrency(true);
        s->setMask(mask);
        s->setPrintedRowsOnly(true);
        s->setBold(true);
    }
    footer->setBeforePrint([menge, classSums](Band &, bool &print) {
        print = menge->value().toLongLong() > 0;
        if (!print)
            for (TextControl *t : classSums)
                t->resetAggregate();
    });
}

SaldenlisteQuerReport::~SaldenlisteQuerReport() = default;

void printSaldenlisteQuer(ReportContext &ctx) {
    if (!prepareTrialBalance(ctx))
        return;
    {
        TableOrder order(ctx.fb.konten, QString());
        SaldenlisteQuerReport report(ctx.fb, ctx.filter);
        ctx.viewer.preview(report.Ausdruck, PreviewOptions{true, false});
    }
    ctx.fb.ui().processEvents();
}

} // namespace reports

} // namespace ledra
