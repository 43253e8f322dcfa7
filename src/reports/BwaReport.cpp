#include "BwaReport.h"

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

// Columns in mm from the left margin (portrait).
constexpr double kKontoX = 0, kKontoW = 16, kNameX = 18, kNameW = 70, kPeriodX = 90, kAnnualX = 140,
                 kAmountW = 45, kWordW = 20;

qint64 bwaOf(const Band &band) {
    return band.value(QStringLiteral("BWA")).toLongLong();
}

bool inSection(const Band &band) {
    return bwaOf(band) >= 1000;
}

// A balance of at least one cent either way.
bool visible(qint64 units) {
    return units >= 100 || units <= -100;
}

// The section name of a number in the BWA table, if there is such a row.
std::optional<QString> sectionName(BooksSession &fb, qint64 nr) {
    Table &t = fb.bwa;
    const std::optional<QVariant> name = queryValue(
        t, QStringLiteral("SELECT Sektion FROM %1 WHERE Reihenfolge = ?").arg(quotedName(t)), {nr});
    if (!name)
        return std::nullopt;
    return name->toString();
}

} // namespace

QString BwaReport::amountText(qint64 units, qint64 count, const QString &currency) {
    if (count <= 0)
        return currencyFormat(0, currency) + QStringLiteral("   ");
    return sideAmount(units, currency);
}

std::optional<qint64> BwaReport::missingDepartment(BooksSession &fb) {
    Table &k = fb.konten;
    std::optional<qint64> missing;
    forEachRow(k,
               QStringLiteral("SELECT DISTINCT BWA / 1000 * 1000 FROM %1 "
                              "WHERE BWA >= 1000 ORDER BY 1")
                   .arg(quotedName(k)),
               [&](const SqlRow &r) {
                   if (sectionName(fb, r.int64(0)))
                       return true;
                   missing = r.int64(0);
                   return false;
               });
    return missing;
}

BwaReport::BwaReport(BooksSession &fb, EingrenzungRules &filter, bool mitKonten) {
    Report &r = Ausdruck;
    r.setTitle(QStringLiteral("BWA"));
    r.setOrientation(Orientation::Portrait);
    r.setMargins(10, 10, 10, 10);
    r.setDefaultFont(reportFont(10));
    r.setBeforePrint([this, &fb](Report &rep) {
        m_sectionsWithLines.clear();
        Table &k = fb.konten;
        forEachRow(k,
                   QStringLiteral("SELECT DISTINCT BWA FROM %1 WHERE BWA >= 1000 AND "
                                  "(abs(DruckSaldo) >= 100 OR abs(Saldo) >= 100)")
                       .arg(quotedName(k)),
                   [this](const SqlRow &row) {
                       m_sectionsWithLines.insert(row.int64(0));
                       return true;
                   });
        m_department.clear();
        m_section = m_dept = Sums();
        m_periodTotal = m_annualTotal = 0;
        applyMarginSetting(rep, fb.settings, MarginEdge::Left);
    });
    const QString cur = fb.settings.currency;
    auto right = [](TextControl *t) {
        t->setAlignment(Qt::AlignRight);
        return t;
    };

    // The year values run to the end of the range: a BWA of the second quarter printed in
    // October holds no booking of the third, and no row still in the batch.
    m_source = std::make_unique<PreparedAccountsSource>(fb.konten, filter,
                                                        QStringList{QStringLiteral("xBWA")});
    r.setDataSource(m_source.get());

    Band *head = r.addBand(BandKind::PageHeader);
    head->setHeight(14);
    head->setFrame(BandFrame{false, true, 0.3});
    head->addLabel(0, 0, 0, QStringLiteral("Betriebswirtschaftliche Auswertung"))
        ->setFont(reportFont(14, true));
    head->addLabel(0, 7, 0, periodLine(PeriodStyle::VomLower, filter.fromText, filter.toText))
        ->setBold(true);
    right(head->addSystemField(kAnnualX, 0, kAmountW, SystemValue::PageNumber,
                               QStringLiteral("Seite ")));
    right(head->addSystemField(kAnnualX - 10, 7, kAmountW + 10, SystemValue::DateTime));

    // Department, then section.
    Band *deptHead = r.addGroup([](const Record &row) {
        return QVariant(row.value(QStringLiteral("BWA")).toLongLong() / 1000);
    });
    deptHead->setHeight(8);
    deptHead->setFont(reportFont(10, true));
    deptHead->setBeforePrint([this, &fb](Band &band, bool &print) {
        print = inSection(band);
        if (print)
            m_department = sectionName(fb, department(bwaOf(band))).value_or(QString());
    });
    deptHead->addLabel(kKontoX, 2, kPeriodX, QString())
        ->setOnPrint([this](TextControl &, QString &text) { text = m_department; });
    right(deptHead->addLabel(kPeriodX, 2, kAmountW, QStringLiteral("Zeitraum")));
    right(deptHead->addLabel(kAnnualX, 2, kAmountW, QStringLiteral("Jahreswerte")));

    Band *sectionHead = r.addGroup(QStringLiteral("BWA"));
    Band *sectionFoot = nullptr; // set below; the department's heading keeps room for it
    sectionHead->setHeight(mitKonten ? 6 : 0);
    sectionHead->setBeforePrint([this](Band &band, bool &print) {
        print = inSection(band) && m_sectionsWithLines.contains(bwaOf(band));
    });
    sectionHead->addField(kNameX, 1, kNameW, QStringLiteral("xBWA"));

    Band *detail = r.addBand(BandKind::Detail);
    detail->setHeight(mitKonten ? 5 : 0);
    sectionHead->setLinkBand(detail);
    detail->setBeforePrint([this](Band &band, bool &print) {
        const qint64 druck = band.value(QStringLiteral("DruckSaldo")).toLongLong();
        const qint64 saldo = band.value(QStringLiteral("Saldo")).toLongLong();
        print = inSection(band);
        if (!print)
            return; // accounts without a section take part in nothing
        // A hidden account still counts in its section and department.
        m_section.add(druck, saldo);
        m_dept.add(druck, saldo);
        print = visible(druck) || visible(saldo);
    });
    detail->addField(kKontoX, 0.5, kKontoW, QStringLiteral("KtoNr"));
    detail->addField(kNameX, 0.5, kNameW, QStringLiteral("Name"))
        ->setOnPrint([](TextControl &c, QString &text) {
            text = clipToWidth(text, c.font(), c.geometry().width());
        });
    sideAmountControl(detail->addField(kPeriodX, 0.5, kAmountW, QStringLiteral("DruckSaldo")))
        ->setOnPrint([cur](TextControl &c, QString &text) {
            text = amountText(c.value().toLongLong(), 1, cur);
        });
    sideAmountControl(detail->addField(kAnnualX, 0.5, kAmountW, QStringLiteral("Saldo")))
        ->setOnPrint([cur](TextControl &c, QString &text) {
            text = amountText(c.value().toLongLong(), 1, cur);
        });
    shadeRows(*detail, fb.settings);

    sectionFoot = r.addGroupFooter(sectionHead);
    // A department's heading never stands alone at the bottom of a page: the first line
    // under it must fit as well.
    deptHead->setLinkBand(mitKonten ? sectionHead : sectionFoot);
    sectionFoot->setHeight(6);
    sectionFoot->setFrame(BandFrame{true, true, 0.25});
    sectionFoot->setBeforePrint([](Band &band, bool &print) { print = inSection(band); });
    sectionFoot->setAfterPrint([this](Band &, bool) { m_section = Sums(); });
    sectionFoot->addField(kNameX, 1, kNameW, QStringLiteral("xBWA"));
    sideAmountControl(sectionFoot->addLabel(kPeriodX, 1, kAmountW, QString()))
        ->setOnPrint([this, cur](TextControl &, QString &text) {
            text = amountText(m_section.druck, m_section.count, cur);
        });
    sideAmountControl(sectionFoot->addLabel(kAnnualX, 1, kAmountW, QString()))
        ->setOnPrint([this, cur](TextControl &, QString &text) {
            text = amountText(m_section.saldo, m_section.count, cur);
        });

    Band *deptFoot = r.addGroupFooter(deptHead);
    deptFoot->setHeight(9);
    deptFoot->setFont(reportFont(10, true));
    deptFoot->setBeforePrint([](Band &band, bool &print) { print = inSection(band); });
    deptFoot->setAfterPrint([this](Band &, bool printed) {
        if (printed) {
            m_periodTotal += m_dept.druck;
            m_annualTotal += m_dept.saldo;
        }
        m_dept = Sums();
    });
    deptFoot->addLabel(kKontoX, 1.5, kPeriodX, QString())
        ->setOnPrint([this](TextControl &, QString &text) { text = m_department; });
    sideAmountControl(deptFoot->addLabel(kPeriodX, 1.5, kAmountW, QString()))
        ->setOnPrint(
            [this, cur](TextControl &, QString &text) { text = amountText(m_dept.druck, 1, cur); });
    sideAmountControl(deptFoot->addLabel(kAnnualX, 1.5, kAmountW, QString()))
        ->setOnPrint(
            [this, cur](TextControl &, QString &text) { text = amountText(m_dept.saldo, 1, cur); });
    deptFoot->addHorizontalLine(kPeriodX, 7, kAnnualX + kAmountW - kPeriodX, 0.8);

    Band *summary = r.addBand(BandKind::Summary);
    summary->setHeight(10);
    summary->setFont(reportFont(10, true));
    deptFoot->setLinkBand(summary);
    // Debit-positive sums: more debit than credit is a loss.
    auto word = [](qint64 total) {
        return total > 0 ? QStringLiteral("Verlust") : QStringLiteral("Gewinn");
    };
    const double wordGap = 1;
    summary->addLabel(kKontoX, 2, kPeriodX - kWordW - kKontoX, QStringLiteral("Ergebnis"));
    right(summary->addLabel(kPeriodX - kWordW, 2, kAmountW, QString()))
        ->setOnPrint([this, cur](TextControl &, QString &text) {
            text = currencyFormat(std::abs(m_periodTotal), cur);
        });
    summary->addLabel(kPeriodX - kWordW + kAmountW + wordGap, 2, kWordW - wordGap, QString())
        ->setOnPrint([this, word](TextControl &, QString &text) { text = word(m_periodTotal); });
    right(summary->addLabel(kAnnualX - kWordW, 2, kAmountW, QString()))
        ->setOnPrint([this, cur](TextControl &, QString &text) {
            text = currencyFormat(std::abs(m_annualTotal), cur);
        });
    summary->addLabel(kAnnualX - kWordW + kAmountW + wordGap, 2, kWordW - wordGap, QString())
        ->setOnPrint([this, word](TextControl &, QString &text) { text = word(m_annualTotal); });
    summary->addHorizontalLine(kPeriodX - kWordW, 8, kAnnualX + kAmountW - kPeriodX + kWordW);
    summary->addHorizontalLine(kPeriodX - kWordW, 8.8, kAnnualX + kAmountW - kPeriodX + kWordW);
}

BwaReport::~BwaReport() = default;

void printBwa(ReportContext &ctx) {
    EingrenzungRules &dlg = ctx.filter;
    struct Restore {
        EingrenzungRules &dlg;
        ~Restore() { dlg.sortChoiceVisible = true; }
    } restore{dlg};
    dlg.caption = QStringLiteral("Betriebswirtschaftliche Auswertung");
    if (dlg.sort != EingrenzungRules::Sort::Datum)
        dlg.choose(EingrenzungRules::Sort::Datum);
    dlg.sortChoiceVisible = false;
    dlg.mitKontenVisible = true;
    dlg.helpContext = Help::BWA;
    if (!prepareEvaluation(ctx.fb, dlg))
        return;
    TableOrder order(ctx.fb.konten, QStringLiteral("iBWA"));
    // A section whose department has no name would print without a heading and be summed
    // under the wrong name: the run ends before anything is laid out.
    if (const auto dept = BwaReport::missingDepartment(ctx.fb)) {
        ctx.fb.ui().error(QStringLiteral("BWA-Sektion ") + QString::number(*dept) +
                          QStringLiteral(" nicht gefunden"));
        return;
    }
    {
        BwaReport report(ctx.fb, dlg, dlg.mitKonten);
        ctx.viewer.preview(report.Ausdruck, PreviewOptions{});
    }
    ctx.fb.ui().processEvents();
}

} // namespace reports

} // namespace ledra
