#include "StapelReport.h"

#include "ReportConventions.h"
#include "books/BooksSession.h"
#include "openitems/OffenePostenModule.h"
#include "ui/Ui.h"
namespace ledra {

namespace reports {

using namespace ledra::report;

namespace {

// Column positions in mm from the left margin of the portrait sheet (187 mm printable with
// the default left margin).
struct Col {
    double x, w;
};
constexpr Col kDatum{0, 17}, kBelNr{17, 12}, kText{31, 48}, kBrutto{80, 20}, kSoll{102, 10},
    kSollName{113, 27}, kHaben{141, 10}, kHabenName{152, 25}, kSatz{177, 10};

TextControl *place(TextControl *t, Qt::Alignment a) {
    t->setAlignment(a);
    return t;
}

void clipped(TextControl *t) {
    t->setOnPrint([](TextControl &c, QString &text) {
        text = clipToWidth(text, c.font(), c.geometry().width());
    });
}

// An account name too long for its column prints its first words here and leaves the rest
// in `rest` for the line below.
void wrapped(TextControl *t, QString &rest) {
    t->setOnPrint([&rest](TextControl &c, QString &text) {
        auto [first, more] = wrapToWidth(text, c.font(), c.geometry().width());
        text = std::move(first);
        rest = clipToWidth(more, c.font(), c.geometry().width());
    });
}

} // namespace

StapelReport::StapelReport(BooksSession &fb) : m_fb(fb) {
    Report &r = Ausdruck;
    r.setTitle(QStringLiteral("Buchungsstapel"));
    r.setOrientation(Orientation::Portrait);
    r.setMargins(10, 10, 10, 10);
    r.setDefaultFont(reportFont(10));
    r.setBeforePrint(
        [&fb](Report &rep) { applyMarginSetting(rep, fb.settings, MarginEdge::Left); });

    m_source = std::make_unique<TableSource>(
        fb.stapel, QStringList{QStringLiteral("XSollName"), QStringLiteral("XHabenName")});
    r.setDataSource(m_source.get());

    Band *head = r.addBand(BandKind::PageHeader);
    head->setHeight(10);
    head->addLabel(0, 0, 0, QStringLiteral("Buchungsstapel"))->setFont(reportFont(14, true));
    place(head->addSystemField(100, 1, 50, SystemValue::DateTime), Qt::AlignRight);
    place(head->addSystemField(155, 1, 32, SystemValue::PageNumber, QStringLiteral("Seite: ")),
          Qt::AlignRight);

    Band *columns = r.addBand(BandKind::ColumnHeader);
    columns->setHeight(6);
    columns->setFrame(BandFrame{true, true, 0.3});
    auto head2 = [&](Col c, const QString &text, Qt::Alignment a = Qt::AlignLeft) {
        place(columns->addLabel(c.x, 1, c.w, text), a)->setBold(true);
    };
    head2(kDatum, QStringLiteral("Datum"));
    head2(kBelNr, QStringLiteral("Beleg-Nr."), Qt::AlignRight);
    head2(kText, QStringLiteral("Buchungstext"));
    head2(kBrutto, QStringLiteral("Brutto"), Qt::AlignRight);
    head2(kSoll, QStringLiteral("Soll"), Qt::AlignRight);
    head2(kHaben, QStringLiteral("Haben"), Qt::AlignRight);
    head2(kSatz, QStringLiteral("Ust-Satz"), Qt::AlignRight);

    Band *detail = r.addBand(BandKind::Detail);
    detail->setFont(reportFont(9));
    detail->setHeight(4.2);
    auto col = [&](Col c, const QString &name, Qt::Alignment a = Qt::AlignLeft) {
        return place(detail->addField(c.x, 0.2, c.w, name), a);
    };
    col(kDatum, QStringLiteral("Belegdatum"));
    col(kBelNr, QStringLiteral("Belegnummer"), Qt::AlignRight);
    clipped(col(kText, QStringLiteral("Buchungstext")));
    TextControl *brutto = col(kBrutto, QStringLiteral("Brutto"), Qt::AlignRight);
    brutto->setCurrency(true);
    brutto->setMask(QStringLiteral("0.00"));
    col(kSoll, QStringLiteral("Soll"), Qt::AlignRight);
    wrapped(col(kSollName, QStringLiteral("XSollName")), m_sollRest);
    col(kHaben, QStringLiteral("Haben"), Qt::AlignRight);
    wrapped(col(kHabenName, QStringLiteral("XHabenName")), m_habenRest);
    col(kSatz, QStringLiteral("Steuersatz"), Qt::AlignRight);
    shadeRows(*detail, fb.settings);

    // The line under a row: the open-items note under the booking text, and the rest of an
    // account name that did not fit under the name.
    Band *note = r.addChild(detail);
    note->setName(QStringLiteral("Hinweis"));
    note->setFont(reportFont(9));
    note->setHeight(4.2);
    note->setBeforePrint([this](Band &band, bool &print) {
        OffenePostenModule *op = m_fb.openItems();
        m_note = op ? op->stapelRole(int(band.value(QStringLiteral("Autonummer")).toLongLong()))
                    : QString();
        print = !m_note.isEmpty() || !m_sollRest.isEmpty() || !m_habenRest.isEmpty();
    });
    note->addLabel(kText.x, 0.2, 0, QString())->setOnPrint([this](TextControl &, QString &text) {
        text = m_note;
    });
    note->addLabel(kSollName.x, 0.2, kSollName.w, QString())
        ->setOnPrint([this](TextControl &, QString &text) { text = m_sollRest; });
    note->addLabel(kHabenName.x, 0.2, kHabenName.w, QString())
        ->setOnPrint([this](TextControl &, QString &text) { text = m_habenRest; });

    Band *summary = r.addBand(BandKind::Summary);
    summary->setHeight(8);
    summary->addHorizontalLine(0, 0.5, kSatz.x + kSatz.w);
    TextControl *count =
        summary->addExpression(kBelNr.x - 5, 1.5, kBelNr.w + 5, QStringLiteral("COUNT"));
    count->setAlignment(Qt::AlignRight);
    summary->addLabel(kText.x, 1.5, 0, QStringLiteral("Buchungen erfaßt"));
    summary->addHorizontalLine(0, 6.5, kSatz.x + kSatz.w);
    summary->addHorizontalLine(0, 7.2, kSatz.x + kSatz.w);
}

StapelReport::~StapelReport() = default;

void printStapel(ReportContext &ctx) {
    BooksSession &fb = ctx.fb;
    fb.notify(BooksEvent::BatchPrintStarted);
    if (ctx.showMainWindow)
        ctx.showMainWindow(false);
    struct Restore {
        ReportContext &ctx;
        ~Restore() {
            if (ctx.showMainWindow)
                ctx.showMainWindow(true);
            ctx.fb.notify(BooksEvent::BatchPrintFinished);
        }
    } restore{ctx};
    StapelReport report(fb);
    ctx.viewer.preview(report.Ausdruck, PreviewOptions{});
    fb.ui().processEvents();
}

} // namespace reports

} // namespace ledra
