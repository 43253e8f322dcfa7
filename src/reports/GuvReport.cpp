#include "GuvReport.h"

#include "EingrenzungRules.h"
#include "PrepareEvaluation.h"
#include "ReportConventions.h"
#include "SaldenlisteReport.h"
#include "books/BooksSession.h"
#include "store/Sql.h"
#include "store/Table.h"
#include "ui/Ui.h"
namespace ledra {

namespace reports {

using namespace ledra::report;

namespace {

constexpr double kLabelX = 10, kSumX = 80, kSumW = 40, kResultX = 130, kResultW = 45;

std::set<KontoArt> typesPresent(Table &konten) {
    std::set<KontoArt> types;
    forEachRow(
        konten,
        QStringLiteral("SELECT DISTINCT Art FROM %1 WHERE Art IS NOT NULL").arg(quotedName(konten)),
        [&](const SqlRow &r) {
            if (const std::optional<KontoArt> art = kontoArtFromCode(r.int64(0)))
                types.insert(*art);
        });
    return types;
}

} // namespace

const GuvReport::ResultGroup *GuvReport::resultGroup(std::optional<KontoArt> art) {
    // Costs carry debit balances and revenues credit ones, so the profit is the negated sum
    // of all profit-and-loss types: a profit prints positive.
    static const ResultGroup groups[] = {
        {QStringLiteral("Gewinn/Verlust:"), KontoArt::Kosten, KontoArt::Erloese, -1},
        {QStringLiteral("Geldvermögen:"), KontoArt::Bank, KontoArt::Kasse, 1},
        {QStringLiteral("Privatentnahme:"), KontoArt::Privat, KontoArt::Privat, 1},
        {QStringLiteral("Differenz:"), KontoArt::Debitor, KontoArt::Kreditor, 1},
    };
    for (const ResultGroup &g : groups)
        if (art && *art >= g.first && *art <= g.last)
            return &g;
    return nullptr;
}

int GuvReport::printedSign(std::optional<KontoArt> art) {
    return art == KontoArt::Erloese || art == KontoArt::Kreditor ? -1 : 1;
}

bool GuvReport::showsLevelAtEnd(std::optional<KontoArt> art) {
    return isGeldkonto(art) || isPersonenkonto(art);
}

GuvReport::GuvReport(BooksSession &fb, EingrenzungRules &filter) {
    Report &r = Ausdruck;
    r.setTitle(QStringLiteral("Gewinn und Verlust"));
    r.setOrientation(Orientation::Portrait);
    r.setMargins(10, 10, 10, 10);
    r.setDefaultFont(reportFont(10));
    Table &konten = fb.konten;
    r.setBeforePrint([this, &fb, &konten](Report &rep) {
        m_r = 0;
        m_art.reset();
        m_types = typesPresent(konten);
        applyMarginSetting(rep, fb.settings, MarginEdge::Left);
    });
    const QString cur = fb.settings.currency;

    m_source = std::make_unique<PreparedAccountsSource>(
        konten, filter, QStringList{QStringLiteral("XArt")}, &GuvReport::showsLevelAtEnd);
    r.setDataSource(m_source.get());

    Band *title = r.addBand(BandKind::Title);
    title->setHeight(16);
    title->addLabel(0, 0, 0, QStringLiteral("Kurzübersicht"))->setFont(reportFont(14, true));
    title->addLabel(0, 7, 0, periodLine(PeriodStyle::VomLower, filter.fromText, filter.toText));
    title->addSystemField(kResultX, 7, kResultW, SystemValue::DateTime)
        ->setAlignment(Qt::AlignRight);
    title->addHorizontalLine(0, 14, kResultX + kResultW);

    // Accounts are summed, not listed.
    r.addBand(BandKind::Detail)->setHeight(0);

    Band *group = r.addGroup(QStringLiteral("Art"));
    group->setHeight(0);
    Band *footer = r.addGroupFooter(group);
    footer->setHeight(6);
    // Only the types that enter a result have a line.
    footer->setBeforePrint([](Band &band, bool &print) {
        print = resultGroup(kontoArtOf(band.value(QStringLiteral("Art")))) != nullptr;
    });
    footer->addField(kLabelX, 1, kSumX - kLabelX - 2, QStringLiteral("XArt"));
    TextControl *sum = footer->addExpression(kSumX, 1, kSumW, QStringLiteral("SUM(DruckSaldo)"));
    sum->setAlignment(Qt::AlignRight);
    sum->setCurrency(true);
    sum->setMask(totalsMask(cur));
    sum->setResetAfterPrint(true);
    sum->setOnPrint([this, cur](TextControl &c, QString &text) {
        m_art = kontoArtOf(c.band().value(QStringLiteral("Art")));
        const qint64 s = c.value().toLongLong();
        if (const ResultGroup *g = resultGroup(m_art))
            m_r += g->sign * s;
        if (printedSign(m_art) < 0)
            text = currencyFormat(-s, cur);
    });

    // The result follows the last type of its group that has accounts, so that a missing
    // type (no cash account, say) does not drop the line.
    Band *result = r.addChild(footer);
    result->setHeight(8);
    auto lastOfGroup = [this](std::optional<KontoArt> art) {
        const ResultGroup *g = resultGroup(art);
        if (!g)
            return false;
        const auto next = m_types.upper_bound(*art);
        return next == m_types.end() || *next > g->last;
    };
    result->setBeforePrint([this, lastOfGroup](Band &band, bool &print) {
        const std::optional<KontoArt> art = kontoArtOf(band.value(QStringLiteral("Art")));
        print = m_art == art && lastOfGroup(art) && m_r != 0;
    });
    result->setAfterPrint([this, lastOfGroup](Band &band, bool) {
        if (lastOfGroup(kontoArtOf(band.value(QStringLiteral("Art")))))
            m_r = 0;
    });
    result->addHorizontalLine(kSumX, 0.5, kResultX + kResultW - kSumX);
    result->addLabel(kSumX, 2, kResultX - kSumX, QString())
        ->setOnPrint([](TextControl &c, QString &text) {
            const ResultGroup *g = resultGroup(kontoArtOf(c.band().value(QStringLiteral("Art"))));
            text = g ? g->label : QString();
        });
    TextControl *value = result->addLabel(kResultX, 2, kResultW, QString());
    value->setAlignment(Qt::AlignRight);
    value->setOnPrint(
        [this, cur](TextControl &, QString &text) { text = currencyFormat(m_r, cur); });
}

GuvReport::~GuvReport() = default;

void printGuv(ReportContext &ctx) {
    EingrenzungRules &dlg = ctx.filter;
    // However the run ends, the dialog shows its sort group again for the next report.
    struct Restore {
        EingrenzungRules &dlg;
        ~Restore() { dlg.sortChoiceVisible = true; }
    } restore{dlg};
    dlg.caption = QStringLiteral("Kurzübersicht Gewinn und Verlust");
    dlg.helpContext = Help::GuV;
    if (dlg.sort != EingrenzungRules::Sort::Datum)
        dlg.choose(EingrenzungRules::Sort::Datum);
    dlg.sortChoiceVisible = false;
    dlg.mitKontenVisible = false;
    if (!prepareEvaluation(ctx.fb, dlg))
        return;
    {
        TableOrder order(ctx.fb.konten, QStringLiteral("KArt"));
        GuvReport report(ctx.fb, dlg);
        ctx.viewer.preview(report.Ausdruck, PreviewOptions{});
    }
    ctx.fb.ui().processEvents();
}

} // namespace reports

} // namespace ledra
