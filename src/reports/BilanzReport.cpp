#include "BilanzReport.h"

#include "ReportConventions.h"
#include "SaldenlisteReport.h"
#include "books/BooksSession.h"
#include "books/KontoArt.h"
#include "store/Sql.h"
#include "store/Table.h"
#include "ui/Ui.h"
namespace ledra {

namespace reports {

using namespace ledra::report;

namespace {

constexpr double kKontoX = 8, kKontoW = 16, kNameX = 26, kNameW = 90, kAmountX = 130, kAmountW = 50;

qint64 numberOf(const Record &row) {
    return row.value(QStringLiteral("Reihenfolge")).toLongLong();
}

// The open year's result as the profit-and-loss overview computes it: the balances of all
// profit-and-loss accounts, debit positive, so that a profit is negative (a credit).
qint64 yearResult(Table &konten) {
    qint64 sum = 0;
    forEachRow(konten,
               QStringLiteral("SELECT Art, COALESCE(Saldo, 0) FROM %1").arg(quotedName(konten)),
               [&sum](const SqlRow &r) {
                   if (isErfolgskonto(kontoArtFromCode(r.int64(0))))
                       sum += r.int64(1);
               });
    return sum;
}

// The accounts' balances added up by section, the year's result under its section.
std::unordered_map<qint64, qint64> sectionSums(Table &konten, qint64 resultSection,
                                               qint64 yearResult) {
    std::unordered_map<qint64, qint64> sums;
    forEachRow(konten,
               QStringLiteral("SELECT Bilanz, SUM(COALESCE(Saldo, 0)) FROM %1 "
                              "WHERE Bilanz IS NOT NULL GROUP BY Bilanz")
                   .arg(quotedName(konten)),
               [&sums](const SqlRow &r) { sums[r.int64(0)] += r.int64(1); });
    if (resultSection >= 1000)
        sums[resultSection] += yearResult;
    return sums;
}

FontStyle styled(bool bold, bool italic) {
    FontStyle f = reportFont(10, bold);
    f.italic = italic;
    return f;
}

} // namespace

int BilanzReport::level(qint64 reihenfolge) {
    if (reihenfolge < 1000)
        return 0;
    QString digits = QString::number(reihenfolge);
    while (digits.endsWith(QLatin1Char('0')))
        digits.chop(1);
    return int(std::min<qsizetype>(digits.size(), 4));
}

namespace {

// The group of a section number at outline level k: its first k digits (level 4: the whole
// number). The length of the number is part of the key, so that 1000 and 100000 are
// different sections.
QString sectionKey(qint64 n, int k) {
    const QString text = QString::number(n);
    return QString::number(text.size()) + u':' + (k < 4 ? text.left(k) : text);
}

// The sections with a deeper section in their group (1100 over 1110).
std::unordered_set<qint64> parentSections(Table &bilanz) {
    std::vector<qint64> numbers;
    forEachRow(bilanz,
               QStringLiteral("SELECT Reihenfolge FROM %1 WHERE Reihenfolge >= 1000")
                   .arg(quotedName(bilanz)),
               [&numbers](const SqlRow &r) { numbers.push_back(r.int64(0)); });
    std::unordered_set<QString> deeperPrefixes;
    for (const qint64 n : numbers)
        for (int k = 1; k < BilanzReport::level(n); ++k)
            deeperPrefixes.insert(sectionKey(n, k));
    std::unordered_set<qint64> parents;
    for (const qint64 n : numbers) {
        const int k = BilanzReport::level(n);
        if (k < 4 && deeperPrefixes.contains(sectionKey(n, k)))
            parents.insert(n);
    }
    return parents;
}

} // namespace

BilanzReport::BilanzReport(BooksSession &fb, bool mitKonten, bool nurBebuchte)
    : m_fb(fb), m_result(QStringList{QStringLiteral("KtoNr"), QStringLiteral("Name"),
                                     QStringLiteral("Saldo")}) {
    Report &r = Ausdruck;
    r.setTitle(QStringLiteral("Bilanz"));
    r.setOrientation(Orientation::Portrait);
    r.setMargins(10, 10, 10, 10);
    r.setDefaultFont(reportFont(10));
    r.setBeforePrint([this, &fb](Report &rep) {
        m_names = {};
        m_sums = {};
        m_total = 0;
        m_yearResult = yearResult(fb.konten);
        m_sectionSums =
            sectionSums(fb.konten, fb.settings.bilanzErgebnis.trimmed().toLongLong(), m_yearResult);
        m_parents = parentSections(fb.bilanz);
        applyMarginSetting(rep, fb.settings, MarginEdge::Left);
    });
    const QString cur = fb.settings.currency;

    m_sections = std::make_unique<TableSource>(fb.bilanz);
    r.setDataSource(m_sections.get());

    Band *head = r.addBand(BandKind::PageHeader);
    head->setHeight(14);
    head->setFrame(BandFrame{false, true, 0.3});
    head->addLabel(0, 0, 0, QStringLiteral("Bilanz"))->setFont(reportFont(14, true));
    head->addLabel(0, 7, 0, balanceSheetPeriod(fb.settings.buchVon, fb.settings.buchBis));
    TextControl *page = head->addSystemField(kAmountX, 0, kAmountW, SystemValue::PageNumber,
                                             QStringLiteral("Seite "));
    page->setAlignment(Qt::AlignRight);
    page->setBold(true);
    head->addSystemField(kAmountX - 10, 7, kAmountW + 10, SystemValue::DateTime)
        ->setAlignment(Qt::AlignRight);

    // Level k groups by sectionKey; the numbers below 1000 form groups of their own that
    // print nothing.
    Band *headers[4];
    const bool bold[4] = {true, true, false, false};
    const bool italic[4] = {false, false, false, true};
    for (int k = 1; k <= 4; ++k) {
        Band *h = r.addGroup([k](const Record &row) {
            const qint64 n = numberOf(row);
            return QVariant(n < 1000 ? QStringLiteral("<") + QString::number(n) : sectionKey(n, k));
        });
        h->setHeight(7);
        h->setFont(styled(bold[k - 1], italic[k - 1]));
        h->setBeforePrint([this, k, mitKonten](Band &band, bool &print) {
            const qint64 n = numberOf(band.record());
            print = n >= 1000 && (k == 1 || level(n) == k);
            if (!print)
                return;
            m_names[size_t(k - 1)] = band.value(QStringLiteral("Sektion")).toString();
            for (int deeper = k; deeper < 4; ++deeper)
                m_names[size_t(deeper)].clear();
            m_leaf[size_t(k - 1)] = !m_parents.contains(n);
            // Without account lines a section with no sections under it carries its
            // amount on its own line: a sum line below it would stand there unnamed.
            const auto sum = m_sectionSums.find(n);
            m_headingAmount =
                !mitKonten && m_leaf[size_t(k - 1)] && sum != m_sectionSums.end() ? sum->second : 0;
        });
        h->addField(0, 1.5, kAmountX - 2, QStringLiteral("Sektion"));
        sideAmountControl(h->addLabel(kAmountX, 1.5, kAmountW, QString()))
            ->setOnPrint([this, cur](TextControl &, QString &text) {
                text = m_headingAmount != 0 ? sideAmount(m_headingAmount, cur) : QString();
            });
        headers[k - 1] = h;
    }
    headers[0]->setNewPage(mitKonten);
    // A heading never stands alone at the bottom of a page: it keeps the headings under it
    // and the first line after them on its page.
    for (size_t i = 0; i < 3; ++i)
        headers[i]->setLinkBand(headers[i + 1]);

    // The section row itself prints nothing; its accounts follow as sub-detail lines.
    r.addBand(BandKind::Detail)->setHeight(0);
    Table &konten = fb.konten;
    m_accounts = std::make_unique<TableSource>(konten);
    Band *line = r.addSubDetail(m_accounts.get(), [&konten](const Record &section) {
        konten.setFilter(QStringLiteral("Bilanz = ?"), {numberOf(section)});
    });
    line->setHeight(mitKonten ? 5 : 0);
    line->setBeforePrint([nurBebuchte](Band &band, bool &print) {
        print = !band.value(QStringLiteral("Name")).toString().isEmpty() &&
                numberOf(band.report().record()) >= 1000 &&
                (!nurBebuchte || bebucht(band.record()));
    });
    // Hidden lines count as well: the outline without accounts shows the same sums.
    line->setAfterPrint([this](Band &band, bool) {
        if (numberOf(band.report().record()) < 1000)
            return;
        addToLevels(band.value(QStringLiteral("Saldo")).toLongLong());
    });
    line->addField(kKontoX, 0.5, kKontoW, QStringLiteral("KtoNr"));
    line->addField(kNameX, 0.5, kNameW, QStringLiteral("Name"))
        ->setOnPrint([](TextControl &c, QString &text) {
            text = clipToWidth(text, c.font(), c.geometry().width());
        });
    sideAmountControl(line->addField(kAmountX, 0.5, kAmountW, QStringLiteral("Saldo")))
        ->setOnPrint([cur](TextControl &c, QString &text) {
            text = sideAmount(c.value().toLongLong(), cur);
        });

    // The open year's result belongs to equity: without it the sheet differs by exactly the
    // profit or loss. It follows the accounts of the section the settings name.
    const qint64 resultSection = fb.settings.bilanzErgebnis.trimmed().toLongLong();
    Band *result = r.addSubDetail(&m_result, [this, resultSection](const Record &section) {
        m_result.clear();
        if (resultSection >= 1000 && numberOf(section) == resultSection && m_yearResult != 0)
            m_result.addRow({QVariant(),
                             m_yearResult < 0 ? QStringLiteral("Jahresüberschuss")
                                              : QStringLiteral("Jahresfehlbetrag"),
                             m_yearResult});
    });
    result->setHeight(mitKonten ? 5 : 0);
    result->setAfterPrint([this](Band &band, bool) {
        addToLevels(band.value(QStringLiteral("Saldo")).toLongLong());
    });
    result->addField(kNameX, 0.5, kNameW, QStringLiteral("Name"));
    sideAmountControl(result->addField(kAmountX, 0.5, kAmountW, QStringLiteral("Saldo")))
        ->setOnPrint([cur](TextControl &c, QString &text) {
            text = sideAmount(c.value().toLongLong(), cur);
        });

    Band *footers[4];
    for (int k = 4; k >= 1; --k) {
        const size_t i = size_t(k - 1);
        Band *f = r.addGroupFooter(headers[i]);
        f->setHeight(7);
        f->setFont(styled(bold[i], italic[i]));
        if (k == 1) {
            f->setFrame(BandFrame{true, false, 0.3});
            f->setBeforePrint(
                [](Band &band, bool &print) { print = numberOf(band.record()) >= 1000; });
        } else {
            // Without account lines a section without sections under it showed its sum
            // on its heading already.
            f->setBeforePrint([this, i, mitKonten](Band &, bool &print) {
                print = !m_names[i].isEmpty() && m_sums[i] != 0 && (mitKonten || !m_leaf[i]);
            });
        }
        f->setAfterPrint([this, i](Band &, bool printed) {
            if (i == 0 && printed)
                m_total += m_sums[0];
            m_sums[i] = 0;
        });
        TextControl *name = f->addLabel(k == 4 ? kNameX : 0, 1.5, kAmountX - 2, QString());
        name->setOnPrint([this, k, i](TextControl &, QString &text) {
            text = k == 1 ? QStringLiteral("Summe ") + m_names[0] : m_names[i];
        });
        sideAmountControl(f->addLabel(kAmountX, 1.5, kAmountW, QString()))
            ->setOnPrint([this, i, cur](TextControl &, QString &text) {
                text = sideAmount(m_sums[i], cur);
            });
        footers[i] = f;
    }
    if (mitKonten)
        headers[3]->setLinkBand(line);
    line->setLinkBand(footers[3]);
    result->setLinkBand(footers[3]);
    for (size_t i = 3; i > 0; --i)
        footers[i]->setLinkBand(footers[i - 1]);

    // Accounts assigned to no printed section (or a year result without its section) leave
    // the two sides apart; the difference is shown rather than hidden.
    Band *summary = r.addBand(BandKind::Summary);
    summary->setHeight(8);
    summary->setFont(styled(true, false));
    summary->setBeforePrint([this](Band &, bool &print) { print = m_total != 0; });
    summary->addLabel(0, 1.5, kAmountX - 2, QStringLiteral("Differenz"));
    sideAmountControl(summary->addLabel(kAmountX, 1.5, kAmountW, QString()))
        ->setOnPrint(
            [this, cur](TextControl &, QString &text) { text = sideAmount(m_total, cur); });
}

void BilanzReport::addToLevels(qint64 amount) {
    for (size_t k = 0; k < 4; ++k)
        if (!m_names[k].isEmpty())
            m_sums[k] += amount;
}

BilanzReport::~BilanzReport() {
    // The account lines leave the accounts table filtered to the last section.
    try {
        m_fb.konten.clearFilter();
    } catch (const std::exception &) {
    }
}

void printBilanz(ReportContext &ctx, bool mitKonten, bool nurBebuchte) {
    {
        TableOrder sectionOrder(ctx.fb.bilanz, QString());
        TableOrder accountOrder(ctx.fb.konten, QStringLiteral("iBilanz"));
        BilanzReport report(ctx.fb, mitKonten, nurBebuchte);
        ctx.viewer.preview(report.Ausdruck, PreviewOptions{true, false});
    }
    ctx.fb.ui().processEvents();
}

void printBilanzOverview(ReportContext &ctx) {
    const int answer = ctx.fb.ui().confirm(QStringLiteral("Mit Konten drucken?"), Btn::YesNoCancel);
    if (answer != Btn::Yes && answer != Btn::No)
        return;
    // Only a sheet with account lines can leave out the accounts without bookings.
    const bool nurBebuchte =
        answer == Btn::Yes &&
        ctx.fb.ui().confirm(QStringLiteral("Nur bebuchte Konten drucken?"), Btn::YesNo) == Btn::Yes;
    printBilanz(ctx, answer == Btn::Yes, nurBebuchte);
}

} // namespace reports

} // namespace ledra
