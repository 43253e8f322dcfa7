#include "UstVaReport.h"

#include "EingrenzungRules.h"
#include "ReportConventions.h"
#include "books/BooksSession.h"
#include "books/KontoArt.h"
#include "books/Steuer.h"
#include "reportengine/NumberFormat.h"
#include "store/Sql.h"
#include "store/Table.h"
#include "ui/Ui.h"

#include <cmath>
#include <map>
#include <unordered_map>
namespace ledra {

namespace reports {

using namespace ledra::report;

UstVaRules UstVaRules::of(const BooksSession &fb) {
    UstVaRules r;
    r.mwst = fb.settings.kontoMwst.trimmed().toLongLong();
    r.vorsteuer = fb.settings.vorsteuer.trimmed().toLongLong();
    bool ok = false;
    const qint64 k13b = fb.settings.kosten13b.trimmed().toLongLong(&ok);
    if (ok)
        r.kosten13b = k13b;
    r.fullRateTenths = fb.settings.fullRatePercentTimes10();
    r.cashBasis = fb.settings.istSteuer;
    return r;
}

namespace {

Money moneyOf(const Record &row, const char *field) {
    return Money::fromUnits(row.value(QString::fromLatin1(field)).toLongLong());
}

bool is(const std::optional<qint64> &account, qint64 number) {
    return number != 0 && account == number;
}

} // namespace

UstVaTotals::Share UstVaTotals::classify(const Record &row, const UstVaRules &rules) {
    auto account = [&row](const QString &field) -> std::optional<qint64> {
        const QVariant v = row.value(field);
        return v.isNull() ? std::nullopt : std::optional<qint64>(v.toLongLong());
    };
    Row r;
    r.soll = account(QStringLiteral("Soll"));
    r.haben = account(QStringLiteral("Haben"));
    r.sollArt = kontoArtOf(row.value(QStringLiteral("XSollArt")));
    r.habenArt = kontoArtOf(row.value(QStringLiteral("XHabenArt")));
    r.netto = moneyOf(row, "Netto");
    r.brutto = moneyOf(row, "Brutto");
    r.steuer = moneyOf(row, "Steuer");
    r.faellig = moneyOf(row, "Stfaellig");
    if (textMatters(r, rules))
        r.reversal = isReversal(row.value(QStringLiteral("Buchungstext")).toString());
    return classify(r, rules);
}

bool UstVaTotals::textMatters(const Row &row, const UstVaRules &rules) {
    return rules.cashBasis && row.sollArt == KontoArt::Debitor && isErloeskonto(row.habenArt);
}

UstVaTotals::Share UstVaTotals::classify(const Row &row, const UstVaRules &rules) {
    const std::optional<qint64> &soll = row.soll, &haben = row.haben;
    const std::optional<KontoArt> sa = row.sollArt, ha = row.habenArt;
    const Money netto = row.netto, brutto = row.brutto, steuer = row.steuer, faellig = row.faellig;

    // Tax booked by hand on the tax accounts.
    if (is(haben, rules.mwst))
        directVat += brutto;
    if (is(soll, rules.mwst))
        directVat -= brutto;
    if (is(haben, rules.vorsteuer))
        directInputTax -= brutto;
    if (is(soll, rules.vorsteuer))
        directInputTax += brutto;

    // Reverse charge: the recipient owes the VAT on the net amount and may deduct it again.
    if (rules.kosten13b && soll == *rules.kosten13b) {
        if (brutto == netto) {
            tax13b += steuerOnNetto(netto, Steuersatz::fromTenthPercent(rules.fullRateTenths));
            base13b += netto;
        } else {
            error13b = true;
        }
    }

    Share s;
    if (isErloeskonto(ha)) {
        // Under the cash basis an invoice to a customer is taxed when it is paid.
        const bool invoice = textMatters(row, rules) && !row.reversal;
        if (!invoice)
            s = {netto, steuer};
    } else if (isErloeskonto(sa)) {
        // Revenue debited: a credit note. Under the cash basis only a refund paid out of the
        // bank or the till reduces the VAT; a credit note to a customer waits for its payment.
        if (!rules.cashBasis || isGeldkonto(ha))
            s = {-netto, -steuer};
    } else if (isKostenkonto(sa)) {
        autoInputTax += steuer;
    } else if (isKostenkonto(ha)) {
        autoInputTax -= steuer;
    } else if (rules.cashBasis) {
        // A customer pays: the VAT posting marked as due. A receipt without due tax is no
        // tax-free turnover (its sale was taxed elsewhere, or its tax is still to be set by
        // the switch of the VAT basis): it counts nothing.
        if (ha == KontoArt::Debitor && isZahlungskonto(sa) && faellig > Money())
            s = {brutto - faellig, faellig};
        else if (sa == KontoArt::Debitor && isZahlungskonto(ha) && faellig > Money())
            s = {faellig - brutto, -faellig}; // such a payment reversed
    }
    groupBase += s.base;
    groupTax += s.tax;
    return s;
}

QString UstVaReport::box(double rate, int fullRateTenths) {
    const long tenths = std::lround(rate * 10.0);
    if (tenths == 0)
        return QStringLiteral("(60)");
    if (tenths == fullRateTenths)
        return QStringLiteral("(81)");
    return QStringLiteral("(86)");
}

namespace {

struct Col {
    double x, w;
};
// Portrait, 190 mm printable with the design's margins.
constexpr Col kDatum{0, 20}, kBelNr{21, 15}, kSoll{38, 14}, kHaben{54, 14}, kRate{0, 14},
    kBox{16, 14}, kBase{80, 40}, kTax{125, 40}, kBoxR{168, 16};
constexpr double kWidth = 186;

TextControl *at(Band *band, Col c, double y, const QString &text, Qt::Alignment a = Qt::AlignLeft) {
    TextControl *t = band->addLabel(c.x, y, c.w, text);
    t->setAlignment(a);
    return t;
}

std::unique_ptr<UstVaReport> &keptWindow() {
    static std::unique_ptr<UstVaReport> window;
    return window;
}

} // namespace

UstVaReport::UstVaReport() {
    Report &r = Ausdruck;
    r.setTitle(QStringLiteral("UstVA"));
    r.setOrientation(Orientation::Portrait);
    r.setMargins(10, 10, 10, 10);
    r.setDefaultFont(reportFont(10));
    r.setBeforePrint([this](Report &rep) {
        if (m_fb)
            applyMarginSetting(rep, m_fb->settings, MarginEdge::Left);
    });

    Band *title = r.addBand(BandKind::Title);
    title->setHeight(24);
    title->setBeforePrint(
        [this](Band &, bool &) { m_totals = m_classified ? m_pass : UstVaTotals(); });
    title->addLabel(0, 0, 0, QStringLiteral("Umsatzsteuervoranmeldung vom"))
        ->setFont(reportFont(14, true));
    TextControl *period = title->addLabel(84, 0, 0, QString());
    period->setFont(reportFont(14, true));
    period->setOnPrint([this](TextControl &, QString &text) {
        text = m_filter ? periodLine(PeriodStyle::Plain, m_filter->fromText, m_filter->toText)
                        : QString();
    });
    title->addSystemField(0, 9, 0, SystemValue::Date, QStringLiteral("Ausgedruckt am "));
    // Whose return it is: the firm and its tax number from the year settings, when given.
    TextControl *firma = title->addLabel(kWidth - 100, 9, 100, QString());
    firma->setAlignment(Qt::AlignRight);
    firma->setOnPrint(
        [this](TextControl &, QString &text) { text = m_fb ? m_fb->settings.firma : QString(); });
    TextControl *stnr = title->addLabel(kWidth - 100, 13, 100, QString());
    stnr->setAlignment(Qt::AlignRight);
    stnr->setOnPrint([this](TextControl &, QString &text) {
        const QString nr = m_fb ? m_fb->settings.steuernummer : QString();
        text = nr.isEmpty() ? QString() : QStringLiteral("Steuernummer: ") + nr;
    });
    for (TextControl *t :
         {at(title, kRate, 17, QStringLiteral("Mwst %"), Qt::AlignRight),
          at(title, kBase, 17, QStringLiteral("Bemessungsgrundlage"), Qt::AlignRight),
          at(title, kTax, 17, QStringLiteral("Steuer"), Qt::AlignRight)})
        t->setBold(true);
    title->addHorizontalLine(0, 23, kWidth);

    Band *detail = r.addBand(BandKind::Detail);
    detail->setHeight(5);
    detail->setBeforePrint([this](Band &band, bool &print) {
        if (m_classified) {
            // One row per rate, holding the rate's sums.
            const Record &row = band.record();
            m_share = {Money::fromUnits(row.value(QStringLiteral("XBase")).toLongLong()),
                       Money::fromUnits(row.value(QStringLiteral("XTax")).toLongLong())};
            m_totals.groupBase += m_share.base;
            m_totals.groupTax += m_share.tax;
            print = false;
            return;
        }
        m_share = m_totals.classify(band.record(), m_rules);
        print = !m_share.isZero() && m_filter && m_filter->mitDetails;
    });
    auto field = [detail](Col c, const QString &name, Qt::Alignment a = Qt::AlignLeft) {
        TextControl *t = detail->addField(c.x, 0.4, c.w, name);
        t->setAlignment(a);
        return t;
    };
    field(kDatum, QStringLiteral("Belegdatum"));
    field(kBelNr, QStringLiteral("Belegnummer"), Qt::AlignRight);
    field(kSoll, QStringLiteral("Soll"), Qt::AlignRight);
    field(kHaben, QStringLiteral("Haben"), Qt::AlignRight);
    at(detail, kBase, 0.4, QString(), Qt::AlignRight)
        ->setOnPrint([this](TextControl &, QString &text) { text = amount(m_share.base); });
    at(detail, kTax, 0.4, QString(), Qt::AlignRight)
        ->setOnPrint([this](TextControl &, QString &text) { text = amount(m_share.tax); });

    // One footer per rate, printed for every rate in the range, also with sums of 0.
    Band *group = r.addGroup(QStringLiteral("Steuersatz"));
    group->setHeight(0);
    Band *footer = r.addGroupFooter(group);
    footer->setHeight(7);
    auto rateOf = [](const TextControl &c) {
        return c.band().value(QStringLiteral("Steuersatz")).toDouble();
    };
    TextControl *rate = at(footer, kRate, 1, QString(), Qt::AlignRight);
    rate->setBold(true);
    rate->setOnPrint(
        [rateOf](TextControl &c, QString &text) { text = formatNumber(rateOf(c), QString()); });
    at(footer, kBox, 1, QString())->setOnPrint([this, rateOf](TextControl &c, QString &text) {
        text = box(rateOf(c), m_rules.fullRateTenths);
    });
    at(footer, kBase, 1, QString(), Qt::AlignRight)
        ->setOnPrint([this](TextControl &, QString &text) { text = amount(m_totals.groupBase); });
    at(footer, kTax, 1, QString(), Qt::AlignRight)
        ->setOnPrint([this](TextControl &, QString &text) { text = amount(m_totals.groupTax); });
    footer->addHorizontalLine(kBase.x, 0.5, kWidth - kBase.x, 0.2);
    footer->setAfterPrint([this](Band &, bool) {
        m_totals.autoVat += m_totals.groupTax;
        m_totals.groupBase = Money();
        m_totals.groupTax = Money();
    });

    // The reverse-charge line, only when there is a §13b tax (or the error).
    const double line = 5.5;
    Band *summary = r.addBand(BandKind::Summary);
    summary->setHeight(line + 2);
    TextControl *label13b = summary->addLabel(0, 2, 0, QString());
    TextControl *base13b = at(summary, kBase, 2, QString(), Qt::AlignRight);
    TextControl *tax13b = at(summary, kTax, 2, QString(), Qt::AlignRight);
    TextControl *box47 = at(summary, kBoxR, 2, QStringLiteral("(47)"));
    summary->setBeforePrint([=, this](Band &band, bool &print) {
        print = !m_totals.tax13b.isZero() || m_totals.error13b;
        // The error text is long: the amounts move to a line of their own below it.
        const double y = m_totals.error13b ? 2 + line : 2;
        band.setHeight(m_totals.error13b ? 2 * line + 2 : line + 2);
        for (TextControl *t : {base13b, tax13b, box47}) {
            QRectF g = t->geometry();
            g.moveTop(y);
            t->setGeometry(g);
        }
    });
    label13b->setOnPrint([this](TextControl &, QString &text) {
        text = m_totals.error13b ? QStringLiteral("Fehler: Auf das Konto ") +
                                       QString::number(m_rules.kosten13b.value_or(0)) +
                                       QStringLiteral(" wurden steuerhaltige Beträge gebucht!")
                                 : QStringLiteral("Umsätze nach §13b UStG (46)");
    });
    base13b->setOnPrint([this](TextControl &, QString &text) {
        text = m_totals.base13b > Money() ? amount(m_totals.base13b) : QString();
    });
    tax13b->setOnPrint([this](TextControl &, QString &text) {
        text =
            m_totals.base13b > Money() && !m_totals.error13b ? amount(m_totals.tax13b) : QString();
    });

    // The VAT and input-tax totals.
    Band *vat = r.addChild(summary);
    vat->setHeight(5 * line + 3);
    auto totalLine = [&](Band *band, int row, const QString &label, auto value,
                         const QString &boxText = QString()) {
        const double y = 2 + row * line;
        band->addLabel(0, y, 0, label);
        at(band, kTax, y, QString(), Qt::AlignRight)
            ->setOnPrint([this, value](TextControl &, QString &text) { text = value(); });
        if (!boxText.isEmpty())
            at(band, kBoxR, y, boxText);
    };
    totalLine(vat, 0, QStringLiteral("Umsatzsteuer automatisch"),
              [this] { return amount(m_totals.autoVat); });
    totalLine(vat, 1, QStringLiteral("Direkt gebuchte Umsatzsteuer"),
              [this] { return amount(m_totals.directVat); });
    totalLine(vat, 2, QStringLiteral("Gesamte Umsatzsteuer"),
              [this] { return m_totals.error13b ? QString() : amount(m_totals.totalVat()); });
    totalLine(
        vat, 3, QStringLiteral("Vorsteuer automatisch"),
        [this] { return amount(m_totals.autoInputTax); }, QStringLiteral("(66)"));
    totalLine(
        vat, 4, QStringLiteral("Direkt gebuchte Vorsteuer"),
        [this] { return amount(m_totals.directInputTax); }, QStringLiteral("(66)"));

    Band *input13b = r.addChild(summary);
    input13b->setHeight(line + 1);
    input13b->setBeforePrint(
        [this](Band &, bool &print) { print = m_totals.tax13b > Money() && !m_totals.error13b; });
    totalLine(
        input13b, 0, QStringLiteral("Vorsteuer aus Leistungen im Sinne des §13b UStG"),
        [this] { return m_totals.base13b > Money() ? amount(m_totals.tax13b) : QString(); },
        QStringLiteral("(67)"));

    Band *result = r.addChild(summary);
    result->setHeight(3 * line + 10);
    totalLine(result, 0, QStringLiteral("Gesamte Vorsteuer"),
              [this] { return m_totals.error13b ? QString() : amount(m_totals.totalInputTax()); });
    const double y = 3 + 1.5 * line;
    result->addHorizontalLine(kTax.x, y - 1.5, kTax.w, 0.3);
    TextControl *payLabel =
        result->addLabel(0, y, 0, QStringLiteral("Umsatzsteuer-Vorauszahlung/Überschuß"));
    payLabel->setFont(reportFont(12, true));
    TextControl *pay = at(result, kTax, y, QString(), Qt::AlignRight);
    pay->setFont(reportFont(12, true));
    pay->setOnPrint([this](TextControl &, QString &text) { text = amount(m_totals.payable()); });
    result->addHorizontalLine(kTax.x, y + 6.5, kTax.w, 0.3);
    result->addHorizontalLine(kTax.x, y + 7.3, kTax.w, 0.3);
    result->addLabel(0, y + 9, 0,
                     QStringLiteral("Die Zahlen in Klammern zeigen die Feldnummern in der "
                                    "Umsatzsteuervoranmeldung."));
}

UstVaReport::~UstVaReport() = default;

void UstVaReport::bind(BooksSession &fb, EingrenzungRules &filter) {
    m_fb = &fb;
    m_filter = &filter;
    m_rules = UstVaRules::of(fb);
    // The plain pass reads the range as the dialog set it; a query narrowed further (the
    // account sheets narrow it while they print) is walked row by row.
    m_classified = !filter.mitDetails && !filter.QJournal.isFiltered();
    if (m_classified)
        classifyRange();
    else
        m_source = filter.QJournal.source();
    Ausdruck.setDataSource(m_source.get());
}

void UstVaReport::classifyRange() {
    // The query joins every row with its accounts: a row whose debit or credit account is
    // missing from the chart is no row of it.
    std::unordered_map<qint64, std::optional<KontoArt>> types;
    Table &k = m_fb->konten;
    forEachRow(
        k, QStringLiteral("SELECT KtoNr, Art FROM %1").arg(quotedName(k)), [&](const SqlRow &r) {
            types.emplace(r.int64(0), r.isNull(1) ? std::nullopt : kontoArtFromCode(r.int64(1)));
        });
    const JournalQuery &q = m_filter->QJournal;
    enum { kSoll, kHaben, kNetto, kBrutto, kSteuer, kFaellig, kSatz, kText };
    SqlStatement rows = q.journalScan(
        QStringLiteral("Soll, Haben, Netto, Brutto, Steuer, Stfaellig, Steuersatz, Buchungstext"),
        QStringLiteral("1 ") + q.line(JournalQuery::kRangeLine),
        q.lineParams(JournalQuery::kRangeLine));
    // The rates in the report's order: a missing rate first, then by value.
    std::map<std::pair<bool, double>, UstVaTotals::Share> rates;
    m_pass = UstVaTotals();
    while (rows.next()) {
        const SqlRow &r = rows.row();
        if (r.isNull(kSoll) || r.isNull(kHaben))
            continue;
        const auto sa = types.find(r.int64(kSoll)), ha = types.find(r.int64(kHaben));
        if (sa == types.end() || ha == types.end())
            continue;
        UstVaTotals::Row row;
        row.soll = sa->first;
        row.haben = ha->first;
        row.sollArt = sa->second;
        row.habenArt = ha->second;
        row.netto = r.money(kNetto);
        row.brutto = r.money(kBrutto);
        row.steuer = r.money(kSteuer);
        row.faellig = r.money(kFaellig);
        if (UstVaTotals::textMatters(row, m_rules))
            row.reversal = isReversal(r.text(kText));
        const UstVaTotals::Share share = m_pass.classify(row, m_rules);
        UstVaTotals::Share &sum = rates[{!r.isNull(kSatz), r.isNull(kSatz) ? 0.0 : r.real(kSatz)}];
        sum.base += share.base;
        sum.tax += share.tax;
    }
    m_pass.groupBase = Money();
    m_pass.groupTax = Money();
    auto source = std::make_unique<MemorySource>(
        QStringList{QStringLiteral("Steuersatz"), QStringLiteral("XBase"), QStringLiteral("XTax")});
    for (const auto &[rate, sum] : rates)
        source->addRow({rate.first ? QVariant(rate.second) : QVariant(), QVariant(sum.base.units()),
                        QVariant(sum.tax.units())});
    m_source = std::move(source);
}

void UstVaReport::unbind() {
    Ausdruck.setDataSource(nullptr);
    m_source.reset();
    m_fb = nullptr;
    m_filter = nullptr;
}

QString UstVaReport::amount(Money m) const {
    return currencyFormat(m.units(), m_fb ? m_fb->settings.currency : QStringLiteral("€"));
}

UstVaReport *ustvaWindow() {
    return keptWindow().get();
}

void printUstVa(ReportContext &ctx) {
    EingrenzungRules &dlg = ctx.filter;
    // Runs however the launcher ends, also by an error.
    struct Restore {
        EingrenzungRules &dlg;
        ~Restore() {
            dlg.QJournal.close();
            dlg.sortChoiceVisible = true;
            dlg.mitDetailsVisible = false;
            dlg.periodChoiceVisible = false;
            if (UstVaReport *w = ustvaWindow())
                w->unbind();
        }
    } restore{dlg};

    dlg.mitDetailsVisible = true;
    dlg.periodChoiceVisible = true;
    dlg.caption = QStringLiteral("Ust-Voranmeldung");
    dlg.helpContext = Help::UstVA;
    if (dlg.sort != EingrenzungRules::Sort::Datum)
        dlg.choose(EingrenzungRules::Sort::Datum);
    dlg.sortChoiceVisible = false;
    dlg.QJournal.setLine(JournalQuery::kOrderLine,
                         QStringLiteral("ORDER BY Steuersatz,Belegdatum,Belegnummer"));
    dlg.mitKontenVisible = false;
    if (!dlg.runModal())
        return;

    std::unique_ptr<UstVaReport> &window = keptWindow();
    if (!window)
        window = std::make_unique<UstVaReport>();
    window->bind(ctx.fb, dlg);
    ctx.viewer.preview(window->Ausdruck, PreviewOptions{});
    ctx.fb.ui().processEvents();
}

} // namespace reports

} // namespace ledra
