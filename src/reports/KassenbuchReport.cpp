#include "KassenbuchReport.h"

#include "EingrenzungRules.h"
#include "ReportConventions.h"
#include "books/BooksSession.h"
#include "reportengine/NumberFormat.h"
#include "store/Table.h"
namespace ledra {

namespace reports {

using namespace ledra::report;

namespace {

// Column positions in mm from the left margin (185 mm printable with the design's 15 mm).
struct Col {
    double x, w;
};
// Each amount column has its currency beside it, printed only with an amount: a marker after
// an empty expense column would read as an expense.
constexpr Col kDatum{0, 19}, kBelNr{19, 14}, kText{35, 44}, kEin{80, 17}, kWaehrungEin{97.5, 5},
    kAus{103, 18}, kWaehrungAus{121.5, 6}, kBestand{130, 22}, kKonto{154, 12}, kSatz{176, 9};
constexpr double kWidth = kSatz.x + kSatz.w;

TextControl *at(Band *band, Col c, double y, const QString &text, Qt::Alignment a = Qt::AlignLeft) {
    TextControl *t = band->addLabel(c.x, y, c.w, text);
    t->setAlignment(a);
    return t;
}

QString optionalAmount(const std::optional<Money> &m) {
    return m ? fixed2(m->units()) : QString();
}

} // namespace

KassenbuchReport::KassenbuchReport(BooksSession &fb, EingrenzungRules &filter)
    : m_fb(fb), m_filter(filter) {
    // The sums before the range come from the journal of the open fiscal year. Each row is
    // read rather than summed in SQL, so that a DM booking of a year with both currencies is
    // converted before it is added, as every line of the book is.
    const Table &j = fb.journal;
    QVortrag.setTable(QStringLiteral("J"), j.path());
    QVortrag.setLine(0, QStringLiteral("SELECT Brutto AS S, Euro, Belegdatum"));
    QVortrag.setLine(1, QStringLiteral("FROM J.\"%1\"")
                            .arg(j.innerName().isEmpty() ? j.schema().name : j.innerName()));
    QVortrag.setLine(2, QStringLiteral("WHERE"));
    QVortrag.setLine(3, QString());
    QVortrag.setLine(4, QString());

    Report &r = Ausdruck;
    sheet::setUpSheet(r, QStringLiteral("Kassenbuch"), m_account, 30, filter);
    r.setBeforePrint([this](Report &rep) {
        applyMarginSetting(rep, m_fb.settings, MarginEdge::Left);
        startRun();
    });

    Band *columns = r.addBand(BandKind::ColumnHeader);
    columns->setHeight(6);
    columns->setFrame(BandFrame{true, true, 0.3});
    for (TextControl *t : {at(columns, kDatum, 1, QStringLiteral("Datum")),
                           at(columns, kBelNr, 1, QStringLiteral("Beleg-Nr."), Qt::AlignRight),
                           at(columns, kText, 1, QStringLiteral("Buchungstext")),
                           at(columns, kEin, 1, QStringLiteral("Einnahme"), Qt::AlignRight),
                           at(columns, kAus, 1, QStringLiteral("Ausgabe"), Qt::AlignRight),
                           at(columns, kBestand, 1, QStringLiteral("Bestand"), Qt::AlignRight),
                           at(columns, kKonto, 1, QStringLiteral("Konto"), Qt::AlignRight),
                           at(columns, Col{kSatz.x - 8, kSatz.w + 8}, 1,
                              QStringLiteral("Mwst-Satz"), Qt::AlignRight)})
        t->setBold(true);

    // At the top: "Anfangsstand:" (page 1, sorted by date only) or "Übertrag:" with the cash
    // balance. At the bottom of every page but the last: the period's receipts and payments.
    Band *carry = r.addBand(BandKind::CarryOver);
    carry->setHeight(6);
    ShapeControl *rule = carry->addHorizontalLine(0, 0.3, kWidth);
    auto bottom = [](const TextControl &c) {
        return c.report().carryOverPosition() == CarryOverPosition::PageBottom;
    };
    carry->setBeforePrint([this, rule](Band &band, bool &print) {
        const Report &rep = band.report();
        const bool atBottom = rep.carryOverPosition() == CarryOverPosition::PageBottom;
        rule->setEnabled(atBottom);
        if (!atBottom && rep.pageNumber() == 1)
            print = sortedByDate();
    });
    at(carry, kText, 1, QString())->setOnPrint([bottom](TextControl &c, QString &text) {
        text = !bottom(c) && c.report().pageNumber() == 1 ? QStringLiteral("Anfangsstand:")
                                                          : QStringLiteral("Übertrag:");
    });
    auto carryCurrency = [&](Col c) {
        at(carry, c, 1, QString())->setOnPrint([this, bottom](TextControl &t, QString &text) {
            text = bottom(t) ? m_fb.settings.currency : QString();
        });
    };
    at(carry, kEin, 1, QString(), Qt::AlignRight)
        ->setOnPrint([this, bottom](TextControl &c, QString &text) {
            text = bottom(c) ? fixed2(m_periodIn.units()) : QString();
        });
    carryCurrency(kWaehrungEin);
    at(carry, kAus, 1, QString(), Qt::AlignRight)
        ->setOnPrint([this, bottom](TextControl &c, QString &text) {
            text = bottom(c) ? fixed2(m_periodOut.units()) : QString();
        });
    carryCurrency(kWaehrungAus);
    at(carry, kBestand, 1, QString(), Qt::AlignRight)
        ->setOnPrint([this, bottom](TextControl &c, QString &text) {
            text = bottom(c) ? QString() : balanceText(balance());
        });

    Band *detail = r.addBand(BandKind::Detail);
    detail->setHeight(5);
    auto field = [detail](Col c, const QString &name, Qt::Alignment a = Qt::AlignLeft) {
        TextControl *t = detail->addField(c.x, 0.4, c.w, name);
        t->setAlignment(a);
        return t;
    };
    field(kDatum, QStringLiteral("Belegdatum"));
    field(kBelNr, QStringLiteral("Belegnummer"), Qt::AlignRight);
    field(kText, QStringLiteral("Buchungstext"))->setOnPrint([](TextControl &c, QString &text) {
        text = clipToWidth(text, c.font(), c.geometry().width());
    });
    at(detail, kEin, 0.4, QString(), Qt::AlignRight)
        ->setOnPrint([this](TextControl &, QString &text) { text = optionalAmount(m_in); });
    at(detail, kAus, 0.4, QString(), Qt::AlignRight)
        ->setOnPrint([this](TextControl &, QString &text) { text = optionalAmount(m_out); });
    field(kWaehrungEin, QStringLiteral("Euro"))->setOnPrint([this](TextControl &c, QString &text) {
        text = m_in ? bookingCurrency(c.value()) : QString();
    });
    field(kWaehrungAus, QStringLiteral("Euro"))->setOnPrint([this](TextControl &c, QString &text) {
        text = m_out ? bookingCurrency(c.value()) : QString();
    });
    // The balance after this line: the line joins the running totals only after it printed
    // (below), so it is added here for the column.
    at(detail, kBestand, 0.4, QString(), Qt::AlignRight)
        ->setOnPrint([this](TextControl &, QString &text) {
            text = balanceText(balance() + m_inSum - m_outSum);
        });
    at(detail, kKonto, 0.4, QString(), Qt::AlignRight)
        ->setOnPrint([this](TextControl &c, QString &text) {
            text = displayText(sheet::counterAccount(c.band().record(), m_account.ktoNr).number,
                               false, QString());
        });
    at(detail, kSatz, 0.4, QString(), Qt::AlignRight)
        ->setOnPrint(
            [](TextControl &c, QString &text) { text = sheet::rateText(c.band().record()); });
    detail->setBeforePrint([this](Band &band, bool &) {
        const Record &row = band.record();
        const QVariant euro = row.value(QStringLiteral("Euro"));
        const QDate date = row.value(QStringLiteral("Belegdatum")).toDate();
        const Money brutto = Money::fromUnits(row.value(QStringLiteral("Brutto")).toLongLong());
        auto on = [&row, this](const char *side) {
            const QVariant v = row.value(QString::fromLatin1(side));
            return !v.isNull() && v.toLongLong() == m_account.ktoNr;
        };
        m_in = on("Soll") ? std::optional<Money>(brutto) : std::nullopt;
        m_out = on("Haben") ? std::optional<Money>(brutto) : std::nullopt;
        m_inSum = m_in ? amountForSum(m_in->units(), euro, date) : Money();
        m_outSum = m_out ? amountForSum(m_out->units(), euro, date) : Money();
    });
    detail->setAfterPrint([this](Band &, bool printed) {
        if (!printed)
            return;
        m_runDebit += m_inSum;
        m_periodIn += m_inSum;
        m_runCredit += m_outSum;
        m_periodOut += m_outSum;
    });
    shadeRows(*detail, fb.settings);

    Band *summary = r.addBand(BandKind::Summary);
    summary->setHeight(8);
    summary->addHorizontalLine(0, 0.5, kWidth);
    at(summary, kText, 1.5, QStringLiteral("Saldo:"))->setBold(true);
    TextControl *saldo =
        at(summary, Col{kText.x + 12, kText.w - 12}, 1.5, QString(), Qt::AlignRight);
    saldo->setBold(true);
    // Sorted by date the book ends with the cash in hand at the range end; in another order
    // there is no running balance, only the range's receipts less its payments.
    saldo->setOnPrint([this](TextControl &, QString &text) {
        const Money end = sortedByDate() ? balance() : m_periodIn - m_periodOut;
        text = currencyFormat(end.units(), m_fb.settings.currency);
    });
    auto summaryCurrency = [&](Col c) {
        at(summary, c, 1.5, QString())->setOnPrint([this](TextControl &, QString &text) {
            text = m_fb.settings.currency;
        });
    };
    at(summary, kEin, 1.5, QString(), Qt::AlignRight)
        ->setOnPrint([this](TextControl &, QString &text) { text = fixed2(m_periodIn.units()); });
    summaryCurrency(kWaehrungEin);
    at(summary, kAus, 1.5, QString(), Qt::AlignRight)
        ->setOnPrint([this](TextControl &, QString &text) { text = fixed2(m_periodOut.units()); });
    summaryCurrency(kWaehrungAus);
}

KassenbuchReport::~KassenbuchReport() = default;

void KassenbuchReport::setAccount(const SheetAccount &account) {
    m_account = account;
    m_source = m_filter.QJournal.source();
    Ausdruck.setDataSource(m_source.get());
}

bool KassenbuchReport::sortedByDate() const {
    return m_filter.sort == EingrenzungRules::Sort::Datum;
}

QString KassenbuchReport::balanceText(Money balance) const {
    return sortedByDate() ? fixed2(balance.units()) : QStringLiteral("###");
}

void KassenbuchReport::startRun() {
    m_periodIn = Money();
    m_periodOut = Money();
    m_in.reset();
    m_out.reset();
    m_inSum = Money();
    m_outSum = Money();
    m_runDebit = m_account.soll;
    m_runCredit = m_account.haben;
    if (!sortedByDate())
        return;
    const QDate start = m_fb.settings.periodStart();
    const auto from = m_filter.fromDate();
    if (!start.isValid() || !from)
        return;
    QVortrag.setLine(3, QStringLiteral("Belegdatum >= ? AND Belegdatum < ? AND"));
    m_runDebit = sumBefore(QStringLiteral("Soll"), m_account.soll);
    m_runCredit = sumBefore(QStringLiteral("Haben"), m_account.haben);
}

Money KassenbuchReport::sumBefore(const QString &side, Money opening) {
    QVortrag.setLine(4, side + QStringLiteral("=?"));
    QVortrag.setParams({m_fb.settings.periodStart(), *m_filter.fromDate(), m_account.ktoNr});
    Money sum = opening;
    QVortrag.forEach([&sum](const QStringList &cols, const QVariantList &row) {
        QVariant brutto, euro, date;
        for (int i = 0; i < cols.size(); ++i) {
            if (cols[i] == QLatin1String("S"))
                brutto = row[i];
            else if (cols[i] == QLatin1String("Euro"))
                euro = row[i];
            else if (cols[i] == QLatin1String("Belegdatum"))
                date = row[i];
        }
        sum += amountForSum(brutto.toLongLong(), euro,
                            QDate::fromString(date.toString(), Qt::ISODate));
        return true;
    });
    QVortrag.close();
    return sum;
}

} // namespace reports

} // namespace ledra
