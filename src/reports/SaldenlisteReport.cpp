#include "SaldenlisteReport.h"

#include "EingrenzungRules.h"
#include "PrepareEvaluation.h"
#include "ReportConventions.h"
#include "books/BooksSession.h"
#include "store/Table.h"
#include "ui/Ui.h"
namespace ledra {

namespace reports {

using namespace ledra::report;

QString classLabel(const QVariant &ktoNr) {
    return QStringLiteral("Summe Klasse ") + QString::number(ktoNr.toLongLong() / 1000);
}

bool bebucht(const Record &row) {
    const QVariant first = row.value(QStringLiteral("Datum1"));
    return (!first.isNull() && first.toDate().isValid()) ||
           row.value(QStringLiteral("Soll")).toLongLong() > 0 ||
           row.value(QStringLiteral("Haben")).toLongLong() > 0;
}

TableOrder::TableOrder(Table &table, const QString &indexName)
    : m_table(table), m_saved(table.orderFields()) {
    m_table.setIndexName(indexName);
}

TableOrder::~TableOrder() {
    try {
        // The index of the former order, so that a case-insensitive name order stays one.
        for (const IndexDef &ix : m_table.schema().indexes)
            if (ix.fields == m_saved) {
                m_table.setIndexName(ix.name);
                return;
            }
        m_table.setIndexFields(m_saved);
    } catch (const std::exception &) {
        // A table closed meanwhile has no order to give back.
    }
}

QString amountOrBlank(const QVariant &units, const QString &currency) {
    const qint64 v = units.toLongLong();
    return v == 0 ? QString() : currencyFormat(v, currency);
}

namespace {

// Columns in mm from the left margin (portrait, 187 mm with the default left margin).
struct Col {
    double x, w;
};
// The amount columns stand apart, so that the right-aligned heads "Vortrag" and
// "Bewegungssaldo" do not run into each other.
constexpr Col kKonto{0, 16}, kName{17, 50}, kVortrag{68, 28}, kBewegung{99, 30}, kEnd{131, 27},
    kJahr{160, 27};

TextControl *right(TextControl *t) {
    t->setAlignment(Qt::AlignRight);
    return t;
}

} // namespace

SaldenlisteReport::SaldenlisteReport(BooksSession &fb, EingrenzungRules &filter) {
    Report &r = Ausdruck;
    r.setTitle(QStringLiteral("Saldenliste"));
    r.setOrientation(Orientation::Portrait);
    r.setMargins(15, 10, 10, 10);
    r.setDefaultFont(reportFont(10));
    r.setBeforePrint([this, &fb](Report &rep) {
        m_klasse.clear();
        applyMarginSetting(rep, fb.settings, MarginEdge::Left);
    });
    const QString cur = fb.settings.currency;
    const QString mask = totalsMask(cur);

    // Jahressaldo is the balance from the period's start to the range end, from the journal.
    m_source = std::make_unique<PreparedAccountsSource>(fb.konten, filter);
    r.setDataSource(m_source.get());

    Band *head = r.addBand(BandKind::PageHeader);
    head->setHeight(12);
    head->addLabel(0, 0, 0, QStringLiteral("Saldenliste"))->setFont(reportFont(14, true));
    head->addLabel(kName.x + 20, 1, 0,
                   periodLine(PeriodStyle::VomUpper, filter.fromText, filter.toText));
    right(head->addSystemField(kBewegung.x, 1, 50, SystemValue::DateTime));
    right(head->addSystemField(kJahr.x, 1, kJahr.w, SystemValue::PageNumber,
                               QStringLiteral("Seite: ")));

    Band *columns = r.addBand(BandKind::ColumnHeader);
    columns->setHeight(6);
    columns->setFrame(BandFrame{true, true, 0.3});
    auto head2 = [&](Col c, const QString &text, bool alignRight) {
        TextControl *t = columns->addLabel(c.x, 1, c.w, text);
        t->setBold(true);
        if (alignRight)
            right(t);
    };
    head2(kKonto, QStringLiteral("Konto-Nr."), false);
    head2(kName, QStringLiteral("Bezeichnung"), false);
    head2(kVortrag, QStringLiteral("Vortrag"), true);
    head2(kBewegung, QStringLiteral("Bewegungssaldo"), true);
    head2(kEnd, QStringLiteral("Endsaldo"), true);
    head2(kJahr, QStringLiteral("Jahressaldo"), true);

    Band *detail = r.addBand(BandKind::Detail);
    detail->setHeight(5);
    const bool nurBebuchte = filter.nurBebuchte;
    detail->setBeforePrint(
        [nurBebuchte](Band &band, bool &print) { print = !nurBebuchte || bebucht(band.record()); });
    detail->addField(kKonto.x, 0.5, kKonto.w, QStringLiteral("KtoNr"))
        ->setOnPrint([this](TextControl &, QString &text) { m_klasse = classLabel(text); });
    detail->addField(kName.x, 0.5, kName.w, QStringLiteral("Name"))
        ->setOnPrint([](TextControl &c, QString &text) {
            text = clipToWidth(text, c.font(), c.geometry().width());
        });
    auto amount = [&](Col c, const QString &field) {
        right(detail->addField(c.x, 0.5, c.w, field))
            ->setOnPrint(
                [cur](TextControl &t, QString &text) { text = amountOrBlank(t.value(), cur); });
    };
    amount(kVortrag, QStringLiteral("VorSaldo"));
    TextControl *bewegung = right(
        detail->addExpression(kBewegung.x, 0.5, kBewegung.w, QStringLiteral("BewSoll - BewHaben")));
    bewegung->setCurrency(true);
    bewegung->setMask(mask);
    bewegung->setOnPrint([](TextControl &t, QString &text) {
        if (t.value().toLongLong() == 0)
            text.clear();
    });
    // The balance at the end of the range: what was carried into it and what it moved.
    TextControl *end =
        right(detail->addExpression(kEnd.x, 0.5, kEnd.w, QStringLiteral("VorSaldo + DruckSaldo")));
    end->setCurrency(true);
    end->setMask(mask);
    end->setOnPrint([](TextControl &t, QString &text) {
        if (t.value().toLongLong() == 0)
            text.clear();
    });
    amount(kJahr, QStringLiteral("Saldo"));
    shadeRows(*detail, fb.settings);

    // Class footer only: the header of the group takes no room.
    Band *group = r.addGroup([](const Record &row) {
        return QVariant(row.value(QStringLiteral("KtoNr")).toLongLong() / 1000);
    });
    group->setHeight(0);
    Band *footer = r.addGroupFooter(group);
    footer->setHeight(6);
    detail->setLinkBand(footer);
    footer->addHorizontalLine(kVortrag.x, 0.3, kJahr.x + kJahr.w - kVortrag.x);
    footer->addLabel(kKonto.x, 1, kName.x + kName.w - kKonto.x, QString())
        ->setOnPrint([this](TextControl &, QString &text) { text = m_klasse; });
    // The number of listed accounts of the class; with "nur bebuchte Konten" a class without
    // any prints no footer.
    TextControl *menge = footer->addExpression(kName.x, 1, 10, QStringLiteral("COUNT"));
    menge->setEnabled(false);
    menge->setPrintedRowsOnly(true);
    menge->setResetAfterPrint(true);
    Band *summary = r.addBand(BandKind::Summary);
    summary->setHeight(8);
    summary->setFrame(BandFrame{true, false, 0.3});
    TextControl *bilanz = summary->addLabel(kName.x, 1.5, 0, QStringLiteral("Saldenbilanz"));
    bilanz->setBold(true);
    const QString sums[] = {
        QStringLiteral("SUM(VorSaldo)"), QStringLiteral("SUM(BewSoll - BewHaben)"),
        QStringLiteral("SUM(VorSaldo + DruckSaldo)"), QStringLiteral("SUM(Saldo)")};
    const Col sumCols[] = {kVortrag, kBewegung, kEnd, kJahr};
    std::vector<TextControl *> classSums{menge};
    for (int i = 0; i < 4; ++i) {
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

SaldenlisteReport::~SaldenlisteReport() = default;

bool prepareTrialBalance(ReportContext &ctx) {
    EingrenzungRules &dlg = ctx.filter;
    // The option belongs to the trial balances only; the next report finds it hidden.
    struct Restore {
        EingrenzungRules &dlg;
        ~Restore() { dlg.nurBebuchteVisible = false; }
    } restore{dlg};
    dlg.caption = QStringLiteral("Saldenliste");
    dlg.helpContext = Help::Salden;
    dlg.mitKontenVisible = false;
    dlg.nurBebuchteVisible = true;
    return prepareEvaluation(ctx.fb, dlg);
}

void printSaldenliste(ReportContext &ctx) {
    if (!prepareTrialBalance(ctx))
        return;
    {
        TableOrder order(ctx.fb.konten, QString());
        SaldenlisteReport report(ctx.fb, ctx.filter);
        ctx.viewer.preview(report.Ausdruck, PreviewOptions{});
    }
    ctx.fb.ui().processEvents();
}

} // namespace reports

} // namespace ledra
