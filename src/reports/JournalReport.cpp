#include "JournalReport.h"

#include "EingrenzungRules.h"
#include "ReportConventions.h"
#include "books/BooksSession.h"
#include "books/KontoArt.h"
#include "reportengine/NumberFormat.h"
#include "store/Query.h"
#include "store/Sql.h"
#include "store/Table.h"
#include "store/TableFile.h"
#include "ui/Ui.h"

#if __has_include("books/SaldenRecompute.h")
#include "books/SaldenRecompute.h"
#define LEDRA_HAVE_SALDEN_NEU 1
#endif
namespace ledra {

namespace reports {

using namespace ledra::report;

namespace {

// Column positions in mm from the left margin of the landscape sheet (277 mm printable).
struct Col {
    double x, w;
};
constexpr Col kDatum{0, 19}, kBelNr{20, 16}, kText{39, 60}, kBetrag{100, 24}, kWaehrung{125, 8},
    kSoll{134, 14}, kSollName{150, 51}, kHaben{202, 14}, kHabenName{218, 46}, kSatz{265, 12};

TextControl *label(Band *band, Col c, double y, const QString &text,
                   Qt::Alignment a = Qt::AlignLeft) {
    TextControl *t = band->addLabel(c.x, y, c.w, text);
    t->setAlignment(a);
    return t;
}

TextControl *field(Band *band, Col c, double y, const QString &name,
                   Qt::Alignment a = Qt::AlignLeft) {
    TextControl *t = band->addField(c.x, y, c.w, name);
    t->setAlignment(a);
    return t;
}

// Names and texts are cut at the width of their column, as fixed-width controls clip.
void clipped(TextControl *t) {
    t->setOnPrint([](TextControl &c, QString &text) {
        text = clipToWidth(text, c.font(), c.geometry().width());
    });
}

} // namespace

QString JournalReport::rateText(const Record &row) {
    const std::optional<KontoArt> sollArt = kontoArtOf(row.value(QStringLiteral("XSollArt")));
    const std::optional<KontoArt> habenArt = kontoArtOf(row.value(QStringLiteral("XHabenArt")));
    // A customer paying (bank to customer) carries no VAT of its own: the VAT was due with
    // the invoice. The same holds for the reversal of such a payment.
    if (isZahlungskonto(sollArt) && habenArt == KontoArt::Debitor)
        return QStringLiteral("0");
    if (isReversal(row.value(QStringLiteral("Buchungstext")).toString()) &&
        isZahlungskonto(habenArt) && sollArt == KontoArt::Debitor)
        return QStringLiteral("0");
    return displayText(row.value(QStringLiteral("Steuersatz")), false, QString());
}

JournalReport::JournalReport(BooksSession &fb, EingrenzungRules &filter) : m_fb(fb) {
    Report &r = Ausdruck;
    r.setTitle(QStringLiteral("Journal"));
    r.setOrientation(Orientation::Landscape);
    r.setMargins(10, 10, 10, 10);
    r.setDefaultFont(reportFont(10));
    r.setBeforePrint([&fb](Report &rep) { applyMarginSetting(rep, fb.settings, MarginEdge::Top); });

    // The listing reads these fields and no others (see JournalQuery::rows). A filter on the
    // query may read any field, so a filtered query keeps the joined rows.
    const QString amountField = filter.Netto ? QStringLiteral("Netto") : QStringLiteral("Brutto");
    if (filter.QJournal.isFiltered())
        m_source = filter.QJournal.source();
    else
        m_source = filter.QJournal.rows(
            {QStringLiteral("Belegdatum"), QStringLiteral("Belegnummer"),
             QStringLiteral("Buchungstext"), amountField, QStringLiteral("Euro"),
             QStringLiteral("Soll"), QStringLiteral("Haben"), QStringLiteral("Steuersatz"),
             QStringLiteral("XSollArt"), QStringLiteral("XHabenArt"), QStringLiteral("XSollName"),
             QStringLiteral("XHabenName")});
    r.setDataSource(m_source.get());

    Band *head = r.addBand(BandKind::PageHeader);
    head->setHeight(16);
    TextControl *title = head->addLabel(0, 0, 0, QStringLiteral("Journal"));
    title->setFont(reportFont(14, true));
    head->addLabel(kText.x, 1, 0, periodLine(PeriodStyle::Von, filter.fromText, filter.toText));
    head->addLabel(kText.x, 6, 0, QStringLiteral("Sortierung: ") + filter.sortCaption());
    head->addLabel(kSollName.x, 1, 0, fb.yearFolderName());
    TextControl *when = head->addSystemField(kHaben.x, 1, 48, SystemValue::DateTime);
    when->setAlignment(Qt::AlignRight);
    TextControl *page = head->addSystemField(kSatz.x - 10, 1, kSatz.w + 10, SystemValue::PageNumber,
                                             QStringLiteral("Seite: "));
    page->setAlignment(Qt::AlignRight);
    TextControl *kind =
        label(head, kBetrag, 11, filter.Netto ? QStringLiteral("Netto") : QStringLiteral("Brutto"),
              Qt::AlignRight);
    kind->setBold(true);

    Band *columns = r.addBand(BandKind::ColumnHeader);
    columns->setHeight(6);
    columns->setFrame(BandFrame{true, true, 0.3});
    const double y = 1;
    label(columns, kDatum, y, QStringLiteral("Datum"));
    label(columns, kBelNr, y, QStringLiteral("Beleg-Nr."), Qt::AlignRight);
    label(columns, kText, y, QStringLiteral("Buchungstext"));
    label(columns, kBetrag, y, QStringLiteral("Betrag"), Qt::AlignRight);
    label(columns, kSoll, y, QStringLiteral("Soll"), Qt::AlignRight);
    label(columns, kHaben, y, QStringLiteral("Haben"), Qt::AlignRight);
    label(columns, kSatz, y, QStringLiteral("Ust-Satz"), Qt::AlignRight);
    for (const auto &c : columns->controls())
        if (auto *t = dynamic_cast<TextControl *>(c.get()))
            t->setBold(true);

    Band *detail = r.addBand(BandKind::Detail);
    detail->setFont(reportFont(9));
    detail->setHeight(4.2);
    const double d = 0.2;
    field(detail, kDatum, d, QStringLiteral("Belegdatum"));
    field(detail, kBelNr, d, QStringLiteral("Belegnummer"), Qt::AlignRight);
    clipped(field(detail, kText, d, QStringLiteral("Buchungstext")));
    TextControl *amount = field(detail, kBetrag, d, amountField, Qt::AlignRight);
    amount->setCurrency(true);
    amount->setMask(QStringLiteral("0.00"));
    field(detail, kWaehrung, d, QStringLiteral("Euro"))
        ->setOnPrint([](TextControl &c, QString &text) { text = bookingCurrency(c.value()); });
    field(detail, kSoll, d, QStringLiteral("Soll"), Qt::AlignRight);
    clipped(field(detail, kSollName, d, QStringLiteral("XSollName")));
    field(detail, kHaben, d, QStringLiteral("Haben"), Qt::AlignRight);
    clipped(field(detail, kHabenName, d, QStringLiteral("XHabenName")));
    field(detail, kSatz, d, QStringLiteral("Steuersatz"), Qt::AlignRight)
        ->setOnPrint([](TextControl &c, QString &text) { text = rateText(c.band().record()); });
    shadeRows(*detail, fb.settings);
}

JournalReport::~JournalReport() = default;

void printJournal(ReportContext &ctx) {
    EingrenzungRules &dlg = ctx.filter;
    Ui &ui = ctx.fb.ui();
    ctx.enable(QStringLiteral("SBJournal"), false);
    // Runs however the launcher ends, also by an error.
    struct Restore {
        ReportContext &ctx;
        ~Restore() {
            ctx.enable(QStringLiteral("SBJournal"), true);
            ctx.filter.QJournal.close();
            ctx.filter.amountChoiceVisible = false;
        }
    } restore{ctx};

    dlg.caption = QStringLiteral("Buchungsjournal");
    dlg.helpContext = Help::Journal;
    dlg.amountChoiceVisible = true;
    dlg.mitKontenVisible = false;
    if (!dlg.runModal())
        return;
    {
        JournalReport report(ctx.fb, dlg);
        ctx.viewer.preview(report.Ausdruck, PreviewOptions{false, true});
    }
    ui.processEvents();
    if (dlg.nettoRed() &&
        ui.warnConfirm(QStringLiteral("Die angezeigten Buchungssätze jetzt löschen?"), Btn::YesNo,
                       0, Btn::No) == Btn::Yes)
        deleteListedBookings(ctx.fb, dlg);
}

int deleteListedBookings(BooksSession &fb, EingrenzungRules &filter) {
    Ui &ui = fb.ui();
    Table &journal = fb.journal;
    std::vector<qint64> ids;
    ids.reserve(size_t(std::max<qint64>(0, filter.QJournal.recordCount())));
    filter.QJournal.forEach([&ids](const Record &row) {
        ids.push_back(row.value(QStringLiteral("Autonummer")).toLongLong());
        return true;
    });

    // One transaction: after a crash either all listed bookings are gone or none is, and
    // the recomputation below always sees a journal that matches what was listed.
    int deleted = 0;
    try {
        UnitOfWork work(journal.path());
        work.begin();
        SqlStatement del(
            work.connection(),
            QStringLiteral("DELETE FROM main.%1 WHERE Autonummer = ?").arg(quotedName(journal)));
        for (size_t i = 0; i < ids.size(); ++i) {
            if (i % 64 == 0)
                ui.processEvents();
            deleted += del.bind(1, ids[i]).exec();
        }
        work.commit();
    } catch (const EngineError &) {
        throw;
    } catch (const std::exception &e) {
        throw TableFile::translate(e, journal.path());
    }
    journal.refresh();
    fb.notify(BooksEvent::JournalChanged);
#ifdef LEDRA_HAVE_SALDEN_NEU
    recomputeSalden(fb);
#endif
    return deleted;
}

} // namespace reports

} // namespace ledra
