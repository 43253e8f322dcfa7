#include "KontenblattReport.h"

#include "EingrenzungRules.h"
#include "KassenbuchReport.h"
#include "ReportConventions.h"
#include "books/BooksSession.h"
#include "books/Steuer.h"
#include "reportengine/NumberFormat.h"
#include "store/Sql.h"
#include "store/Table.h"
#include "ui/Ui.h"

#include <unordered_map>
namespace ledra {

namespace reports {

using namespace ledra::report;

namespace sheet {

void Fields::locate(const Record &row) {
    if (names && row.names() == names)
        return;
    names = row.names();
    soll = row.indexOf(QStringLiteral("Soll"));
    haben = row.indexOf(QStringLiteral("Haben"));
    sollArt = row.indexOf(QStringLiteral("XSollArt"));
    habenArt = row.indexOf(QStringLiteral("XHabenArt"));
    sollName = row.indexOf(QStringLiteral("XSollName"));
    habenName = row.indexOf(QStringLiteral("XHabenName"));
    netto = row.indexOf(QStringLiteral("Netto"));
    brutto = row.indexOf(QStringLiteral("Brutto"));
    steuer = row.indexOf(QStringLiteral("Steuer"));
    satz = row.indexOf(QStringLiteral("Steuersatz"));
    euro = row.indexOf(QStringLiteral("Euro"));
    datum = row.indexOf(QStringLiteral("Belegdatum"));
}

Counter counterAccount(const Record &row, const Fields &f, qint64 konto) {
    const QVariant soll = row.at(f.soll);
    const QVariant haben = row.at(f.haben);
    if (!soll.isNull() && soll.toLongLong() == konto)
        return {haben, row.at(f.habenName).toString()};
    if (!haben.isNull() && haben.toLongLong() == konto)
        return {soll, row.at(f.sollName).toString()};
    // A tax line: the side that paid or received the gross amount.
    return isBestandskonto(kontoArtOf(row.at(f.sollArt)))
               ? Counter{soll, row.at(f.sollName).toString()}
               : Counter{haben, row.at(f.habenName).toString()};
}

Counter counterAccount(const Record &row, qint64 konto) {
    Fields f;
    f.locate(row);
    return counterAccount(row, f, konto);
}

QString rateText(const Record &row, const Fields &f) {
    // The VAT of a customer's payment was due with the invoice; the payment carries none.
    if (isZahlungskonto(kontoArtOf(row.at(f.sollArt))) &&
        kontoArtOf(row.at(f.habenArt)) == KontoArt::Debitor)
        return QStringLiteral("0");
    return displayText(row.at(f.satz), false, QString());
}

QString rateText(const Record &row) {
    Fields f;
    f.locate(row);
    return rateText(row, f);
}

std::optional<Money> sideAmount(const SheetRow &row, const SheetAccount &account,
                                const TaxAccounts &tax, bool debit) {
    const bool own = debit ? !row.sollNull && row.soll == account.ktoNr
                           : !row.habenNull && row.haben == account.ktoNr;
    if (own)
        return isBestandskonto(account.art) ? row.brutto : row.netto;
    const std::optional<KontoArt> art = debit ? row.sollArt : row.habenArt;
    // Posting put the tax of a cost or revenue account on the tax account of the same side.
    if (tax.vorsteuer != 0 && account.ktoNr == tax.vorsteuer && isKostenkonto(art))
        return row.steuer;
    if (tax.mwst != 0 && account.ktoNr == tax.mwst && isErloeskonto(art))
        return row.steuer;
    return std::nullopt;
}

SheetRow sheetRow(const Record &row, const Fields &f) {
    auto money = [&row](qsizetype field) { return Money::fromUnits(row.at(field).toLongLong()); };
    const QVariant soll = row.at(f.soll);
    const QVariant haben = row.at(f.haben);
    SheetRow r;
    r.soll = soll.toLongLong();
    r.haben = haben.toLongLong();
    r.sollNull = soll.isNull();
    r.habenNull = haben.isNull();
    r.sollArt = kontoArtOf(row.at(f.sollArt));
    r.habenArt = kontoArtOf(row.at(f.habenArt));
    r.netto = money(f.netto);
    r.brutto = money(f.brutto);
    r.steuer = money(f.steuer);
    return r;
}

SheetFilter sheetFilter(qint64 konto, const TaxAccounts &tax, const QString &chart) {
    const QString own = QStringLiteral("Soll=? OR Haben=?");
    const QVariantList params{konto, konto};
    // The tax accounts also list the bookings whose tax posting put on them: taxed bookings
    // with a cost account (input tax) or with the revenue account (VAT) on either side.
    const auto taxed = [&own, &chart](bool (*holds)(std::optional<KontoArt>)) {
        const QString accounts = QStringLiteral("(SELECT KtoNr FROM %1 WHERE Art IN (%2))")
                                     .arg(chart, kontoArtCodeList(holds));
        return QStringLiteral("(Steuersatz>0 AND (Soll IN %1 OR Haben IN %1)) OR ").arg(accounts) +
               own;
    };
    if (tax.vorsteuer != 0 && konto == tax.vorsteuer)
        return {taxed(isKostenkonto), params};
    if (tax.mwst != 0 && konto == tax.mwst)
        return {taxed(isErloeskonto), params};
    return {own, params};
}

TaxAccounts taxAccounts(const BooksSession &fb) {
    return {fb.settings.vorsteuer.trimmed().toLongLong(),
            fb.settings.kontoMwst.trimmed().toLongLong()};
}

Band *setUpSheet(Report &r, const QString &title, const SheetAccount &account, double nrX,
                 const EingrenzungRules &filter) {
    r.setTitle(QStringLiteral("Kontenblatt"));
    r.setOrientation(Orientation::Portrait);
    r.setMargins(15, 10, 10, 10);
    r.setDefaultFont(reportFont(10));
    r.setCarryOverOnFirstPage(true);

    Band *head = r.addBand(BandKind::PageHeader);
    head->setHeight(12);
    head->addLabel(0, 0, 0, title)->setFont(reportFont(12, true));
    TextControl *nr = head->addLabel(nrX, 0.5, 16, QString());
    nr->setAlignment(Qt::AlignRight);
    nr->setBold(true);
    nr->setOnPrint(
        [&account](TextControl &, QString &text) { text = QString::number(account.ktoNr); });
    TextControl *name = head->addLabel(nrX + 18, 0.5, 66, QString());
    name->setBold(true);
    name->setOnPrint([&account](TextControl &c, QString &text) {
        text = clipToWidth(account.name, c.font(), c.geometry().width());
    });
    head->addSystemField(116, 0.5, 42, SystemValue::DateTime)->setAlignment(Qt::AlignRight);
    head->addSystemField(160, 0.5, 25, SystemValue::PageNumber, QStringLiteral("Seite: "))
        ->setAlignment(Qt::AlignRight);
    head->addLabel(0, 6.5, 0, periodLine(PeriodStyle::Von, filter.fromText, filter.toText));
    head->addLabel(70, 6.5, 0, QStringLiteral("Sortierung: ") + filter.sortCaption());
    return head;
}

} // namespace sheet

namespace {

// Column positions in mm from the left margin (185 mm printable with the design's 15 mm left
// margin).
struct Col {
    double x, w;
};
constexpr Col kDatum{0, 19}, kBelNr{19, 14}, kText{35, 44}, kSoll{80, 20}, kHaben{101, 20},
    kWaehrung{122, 7}, kGegenNr{130, 11}, kGegenName{143, 32}, kSatz{176, 9};
constexpr double kWidth = kSatz.x + kSatz.w;

TextControl *at(Band *band, Col c, double y, const QString &text, Qt::Alignment a = Qt::AlignLeft) {
    TextControl *t = band->addLabel(c.x, y, c.w, text);
    t->setAlignment(a);
    return t;
}

void clipped(TextControl *t) {
    t->setOnPrint([](TextControl &c, QString &text) {
        text = clipToWidth(text, c.font(), c.geometry().width());
    });
}

QString optionalAmount(const std::optional<Money> &m) {
    return m ? fixed2(m->units()) : QString();
}

} // namespace

KontenblattReport::KontenblattReport(BooksSession &fb, EingrenzungRules &filter)
    : m_fb(fb), m_filter(filter) {
    Report &r = Ausdruck;
    Band *head = sheet::setUpSheet(r, QStringLiteral("Kontenblatt"), m_account, 31, filter);
    r.setBeforePrint([this](Report &rep) {
        applyMarginSetting(rep, m_fb.settings, MarginEdge::Left);
        startRun();
    });
    head->addLabel(130, 6.5, 55, fb.yearFolderName())->setAlignment(Qt::AlignRight);

    Band *columns = r.addBand(BandKind::ColumnHeader);
    columns->setHeight(6);
    columns->setFrame(BandFrame{true, true, 0.3});
    for (TextControl *t : {at(columns, kDatum, 1, QStringLiteral("Datum")),
                           at(columns, kBelNr, 1, QStringLiteral("Beleg-Nr."), Qt::AlignRight),
                           at(columns, kText, 1, QStringLiteral("Buchungstext")),
                           at(columns, kSoll, 1, QStringLiteral("Soll"), Qt::AlignRight),
                           at(columns, kHaben, 1, QStringLiteral("Haben"), Qt::AlignRight),
                           at(columns, Col{kGegenNr.x, 38}, 1, QStringLiteral("Gegenkonto")),
                           at(columns, Col{kSatz.x - 8, kSatz.w + 8}, 1,
                              QStringLiteral("Mwst-Satz"), Qt::AlignRight)})
        t->setBold(true);

    // "Anfangsstand:" at the top of page 1, "Übertrag:" at the top of every later page and at
    // the bottom of every page but the last.
    Band *carry = r.addBand(BandKind::CarryOver);
    carry->setHeight(6);
    ShapeControl *rule = carry->addHorizontalLine(0, 0.3, kWidth);
    carry->setBeforePrint([this, rule](Band &band, bool &print) {
        const Report &rep = band.report();
        const bool bottom = rep.carryOverPosition() == CarryOverPosition::PageBottom;
        rule->setEnabled(bottom);
        if (!bottom && rep.pageNumber() == 1)
            print = m_opening.has_value();
    });
    carry->setAfterPrint([this](Band &band, bool printed) {
        const Report &rep = band.report();
        if (printed && rep.pageNumber() == 1 &&
            rep.carryOverPosition() == CarryOverPosition::PageTop && m_opening) {
            m_debit += m_opening->first;
            m_credit += m_opening->second;
        }
    });
    auto opening = [](const TextControl &c) {
        return c.report().pageNumber() == 1 &&
               c.report().carryOverPosition() == CarryOverPosition::PageTop;
    };
    at(carry, kText, 1, QString())->setOnPrint([opening](TextControl &c, QString &text) {
        text = opening(c) ? QStringLiteral("Anfangsstand:") : QStringLiteral("Übertrag:");
    });
    at(carry, kSoll, 1, QString(), Qt::AlignRight)
        ->setOnPrint([this, opening](TextControl &c, QString &text) {
            text = fixed2((opening(c) && m_opening ? m_opening->first : m_debit).units());
        });
    at(carry, kHaben, 1, QString(), Qt::AlignRight)
        ->setOnPrint([this, opening](TextControl &c, QString &text) {
            text = fixed2((opening(c) && m_opening ? m_opening->second : m_credit).units());
        });
    at(carry, kWaehrung, 1, QString())->setOnPrint([this](TextControl &c, QString &text) {
        const bool bottom = c.report().carryOverPosition() == CarryOverPosition::PageBottom;
        text = bottom ? m_fb.settings.currency : QString();
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
    clipped(field(kText, QStringLiteral("Buchungstext")));
    at(detail, kSoll, 0.4, QString(), Qt::AlignRight)
        ->setOnPrint([this](TextControl &, QString &text) { text = optionalAmount(m_line.debit); });
    at(detail, kHaben, 0.4, QString(), Qt::AlignRight)
        ->setOnPrint(
            [this](TextControl &, QString &text) { text = optionalAmount(m_line.credit); });
    at(detail, kWaehrung, 0.4, QString())->setOnPrint([this](TextControl &, QString &text) {
        text = bookingCurrency(m_line.euro);
    });
    at(detail, kGegenNr, 0.4, QString(), Qt::AlignRight)
        ->setOnPrint([this](TextControl &, QString &text) {
            text = displayText(m_line.counter.number, false, QString());
        });
    at(detail, kGegenName, 0.4, QString())->setOnPrint([this](TextControl &c, QString &text) {
        // A sheet names the same few counter accounts on thousands of lines.
        auto it = m_clippedNames.constFind(m_line.counter.name);
        if (it == m_clippedNames.constEnd())
            it = m_clippedNames.insert(
                m_line.counter.name,
                clipToWidth(m_line.counter.name, c.font(), c.geometry().width()));
        text = *it;
    });
    at(detail, kSatz, 0.4, QString(), Qt::AlignRight)
        ->setOnPrint([this](TextControl &, QString &text) { text = m_line.rate; });
    // The line's amounts are read before the page break check, but they join the sums only
    // after it: a line that moves to the next page is not yet in this page's carry-over.
    detail->setBeforePrint([this](Band &band, bool &) {
        const Record &row = band.record();
        m_fields.locate(row);
        const sheet::SheetRow amounts = sheet::sheetRow(row, m_fields);
        m_line.debit = sheet::sideAmount(amounts, m_account, m_tax, true);
        m_line.credit = sheet::sideAmount(amounts, m_account, m_tax, false);
        m_line.euro = row.at(m_fields.euro);
        m_line.date = row.at(m_fields.datum).toDate();
        m_line.counter = sheet::counterAccount(row, m_fields, m_account.ktoNr);
        m_line.rate = sheet::rateText(row, m_fields);
    });
    detail->setAfterPrint([this](Band &, bool printed) {
        if (printed)
            addLine();
    });
    shadeRows(*detail, fb.settings);

    Band *summary = r.addBand(BandKind::Summary);
    summary->setHeight(8);
    summary->addHorizontalLine(0, 0.5, kWidth);
    at(summary, kText, 1.5, QStringLiteral("Saldo:"))->setBold(true);
    TextControl *saldo =
        at(summary, Col{kText.x + 12, kText.w - 12}, 1.5, QString(), Qt::AlignRight);
    saldo->setBold(true);
    saldo->setOnPrint([this](TextControl &, QString &text) {
        text = currencyFormat((m_debit - m_credit).units(), m_fb.settings.currency);
    });
    at(summary, kSoll, 1.5, QString(), Qt::AlignRight)
        ->setOnPrint([this](TextControl &, QString &text) { text = fixed2(m_debit.units()); });
    at(summary, kHaben, 1.5, QString(), Qt::AlignRight)
        ->setOnPrint([this](TextControl &, QString &text) { text = fixed2(m_credit.units()); });
    at(summary, kWaehrung, 1.5, QString())->setOnPrint([this](TextControl &, QString &text) {
        text = m_fb.settings.currency;
    });
}

KontenblattReport::~KontenblattReport() = default;

namespace {

// The opening line of a balance: on its side, none when it is nought.
std::optional<std::pair<Money, Money>> balanceLine(Money balance) {
    if (balance == Money())
        return std::nullopt;
    return balance > Money() ? std::pair{balance, Money()} : std::pair{Money(), -balance};
}

} // namespace

void KontenblattReport::setAccount(const SheetAccount &account) {
    m_account = account;
    m_tax = sheet::taxAccounts(m_fb);
    // What the lines print and the sheet filter reads, no more.
    static const QStringList fields{
        QStringLiteral("Belegdatum"), QStringLiteral("Belegnummer"), QStringLiteral("Buchungstext"),
        QStringLiteral("Soll"),       QStringLiteral("Haben"),       QStringLiteral("Netto"),
        QStringLiteral("Brutto"),     QStringLiteral("Steuer"),      QStringLiteral("Steuersatz"),
        QStringLiteral("Euro"),       QStringLiteral("XSollArt"),    QStringLiteral("XHabenArt"),
        QStringLiteral("XSollName"),  QStringLiteral("XHabenName")};
    m_openingKind = openingKind();
    if (m_openingKind != Opening::BalanceBefore) {
        m_source = m_filter.QJournal.rows(fields);
    } else {
        // A range that starts later: the sheet must end with the balance at the range end, so
        // it opens with the balance before the range. The rows from the period's first day
        // come in date order, and those before the range are summed as the walk passes them
        // (takeBeforeRange): one pass over the journal for both.
        m_from = *m_filter.fromDate();
        m_fromIso = m_from.toString(Qt::ISODate);
        std::optional<JournalQuery::Line> range;
        if (const auto to = m_filter.toDate())
            range = JournalQuery::Line{QStringLiteral("AND Belegdatum>=? AND Belegdatum<=?"),
                                       {m_fb.settings.periodStart(), *to}};
        m_source = m_filter.QJournal.rows(
            fields, range,
            JournalQuery::Line{QStringLiteral("ORDER BY Belegdatum,Belegnummer,Autonummer"), {}},
            m_from);
        m_source->setLeading([this](const JournalRows &rows) { return takeBeforeRange(rows); });
    }
    Ausdruck.setDataSource(m_source.get());
}

void KontenblattReport::startRun() {
    m_debit = Money();
    m_credit = Money();
    m_line = Line();
    m_opening.reset();
    m_clippedNames.clear();
    if (m_openingKind == Opening::AccountValues &&
        (m_account.soll > Money() || m_account.haben > Money()))
        m_opening = std::pair{m_account.soll, m_account.haben};
    // The rows before the range add to the account's opening balance as the walk starts.
    m_before = m_account.soll - m_account.haben;
    m_at.datum = -1;
    if (m_openingKind == Opening::BalanceBefore)
        m_opening = balanceLine(m_before);
}

KontenblattReport::Opening KontenblattReport::openingKind() const {
    if (m_filter.sort != EingrenzungRules::Sort::Datum)
        return Opening::None;
    const auto from = m_filter.fromDate();
    if (!from)
        return Opening::None;
    const QDate start = m_fb.settings.periodStart();
    if (!start.isValid() || *from <= start) {
        if (!start.isValid() && (from->day() != 1 || from->month() != 1))
            return Opening::None;
        return Opening::AccountValues;
    }
    return Opening::BalanceBefore;
}

bool KontenblattReport::takeBeforeRange(const JournalRows &rows) {
    const SqlRow &r = rows.row();
    if (m_at.datum < 0)
        m_at = {rows.column(QStringLiteral("Belegdatum")), rows.column(QStringLiteral("Soll")),
                rows.column(QStringLiteral("Haben")),      rows.column(QStringLiteral("Netto")),
                rows.column(QStringLiteral("Brutto")),     rows.column(QStringLiteral("Steuer")),
                rows.column(QStringLiteral("Euro"))};
    // Before the range as the query's range compares: by the stored text, which for a
    // well-formed date is the order of the days.
    const QDate date = r.date(m_at.datum);
    if (date.isValid() ? date >= m_from : r.isNull(m_at.datum) || r.text(m_at.datum) >= m_fromIso)
        return false;
    sheet::SheetRow row;
    row.soll = rows.sollNr();
    row.haben = rows.habenNr();
    row.sollArt = kontoArtOf(rows.sollArt());
    row.habenArt = kontoArtOf(rows.habenArt());
    row.netto = r.money(m_at.netto);
    row.brutto = r.money(m_at.brutto);
    row.steuer = r.money(m_at.steuer);
    const auto flag = r.integer(m_at.euro);
    const bool euro = flag ? *flag != 0 : r.isNull(m_at.euro) || r.int64(m_at.euro) != 0;
    if (const auto debit = sheet::sideAmount(row, m_account, m_tax, true))
        m_before += toCurrencyOfDate(*debit, euro, date);
    if (const auto credit = sheet::sideAmount(row, m_account, m_tax, false))
        m_before -= toCurrencyOfDate(*credit, euro, date);
    m_opening = balanceLine(m_before);
    return true;
}

void KontenblattReport::addLine() {
    // Every printed amount counts, a negative one as well: the balance must be the sum of
    // the lines above it.
    if (m_line.debit)
        m_debit += amountForSum(m_line.debit->units(), m_line.euro, m_line.date);
    if (m_line.credit)
        m_credit += amountForSum(m_line.credit->units(), m_line.euro, m_line.date);
}

namespace {

SheetAccount currentAccount(const Table &konten) {
    SheetAccount a;
    a.ktoNr = konten.asInt(QStringLiteral("KtoNr"));
    a.name = konten.asString(QStringLiteral("Name"));
    a.art = kontoArtOf(konten.value(QStringLiteral("Art")));
    a.soll = konten.asMoney(QStringLiteral("Soll"));
    a.haben = konten.asMoney(QStringLiteral("Haben"));
    return a;
}

bool hasAccountNumber(const Table &konten) {
    return konten.isActive() && !konten.isEmpty() &&
           !konten.asString(QStringLiteral("KtoNr")).trimmed().isEmpty();
}

// "Kassenbuch" or "Kontenblatt" with the number and name of the current account.
QString singleSheetCaption(const Table &konten) {
    const bool cash = konten.isActive() && !konten.isEmpty() &&
                      kontoArtOf(konten.value(QStringLiteral("Art"))) == KontoArt::Kasse;
    const QString nr = konten.isActive() && !konten.isEmpty()
                           ? konten.asString(QStringLiteral("KtoNr"))
                           : QString();
    const QString name = konten.isActive() && !konten.isEmpty()
                             ? konten.asString(QStringLiteral("Name"))
                             : QString();
    return (cash ? QStringLiteral("Kassenbuch ") : QStringLiteral("Kontenblatt ")) + nr +
           QLatin1Char(' ') + name;
}

// Runs however the launcher ends, also by an error; the windows are released after it.
struct RestoreAfterSheets {
    ReportContext &ctx;
    ~RestoreAfterSheets() {
        ctx.enable(QStringLiteral("KBlatt"), true);
        ctx.filter.QJournal.setFiltered(false);
        ctx.filter.QJournal.close();
    }
};

// The two report windows of a run, reused for every account.
struct SheetWindows {
    std::unique_ptr<KontenblattReport> sheet;
    std::unique_ptr<KassenbuchReport> cash;

    // A cash account is printed as a cash book.
    Report &reportFor(const SheetAccount &account) {
        if (account.art == KontoArt::Kasse) {
            cash->setAccount(account);
            return cash->Ausdruck;
        }
        sheet->setAccount(account);
        return sheet->Ausdruck;
    }
};

// Narrows the journal query to the account's rows and prints or previews its report. A
// single account without bookings is reported; in a mass print it is passed over silently.
void printSheetOf(ReportContext &ctx, SheetWindows &windows, const SheetAccount &account,
                  const sheet::TaxAccounts &tax, bool mass) {
    EingrenzungRules &dlg = ctx.filter;
    const sheet::SheetFilter filter = sheet::sheetFilter(account.ktoNr, tax, dlg.QJournal.chart());
    dlg.QJournal.setFilter(filter.condition, filter.params);
    dlg.QJournal.setFiltered(true);
    dlg.QJournal.open();
    if (dlg.QJournal.isEmpty()) {
        if (!mass)
            ctx.fb.ui().warning(QStringLiteral("Keine passenden Buchungen gefunden!"));
        return;
    }
    Report &report = windows.reportFor(account);
    if (mass)
        ctx.viewer.print(report);
    else
        ctx.viewer.preview(report, PreviewOptions{});
    ctx.fb.ui().processEvents();
}

} // namespace

void printKontenblatt(ReportContext &ctx, const std::vector<qint64> &markedRows) {
    BooksSession &fb = ctx.fb;
    EingrenzungRules &dlg = ctx.filter;
    Table &konten = fb.kontenGrid;

    const bool mass = markedRows.size() > 1;
    if (markedRows.size() == 1)
        konten.gotoBookmark(markedRows.front());

    SheetWindows windows;
    const RestoreAfterSheets restore{ctx};

    if (mass)
        dlg.caption = QStringLiteral("Markierte Konten sofort drucken");
    else
        dlg.caption = singleSheetCaption(konten);
    dlg.helpContext = Help::Kontenblatt;
    dlg.mitKontenVisible = false;
    if (!dlg.runModal())
        return;

    ctx.enable(QStringLiteral("KBlatt"), false);
    windows.sheet = std::make_unique<KontenblattReport>(fb, dlg);
    windows.cash = std::make_unique<KassenbuchReport>(fb, dlg);
    const sheet::TaxAccounts tax = sheet::taxAccounts(fb);

    const size_t runs = mass ? markedRows.size() : 1;
    for (size_t i = 0; i < runs; ++i) {
        // A mark whose row is gone (deleted meanwhile) names no account to print.
        if (mass && !konten.gotoBookmark(markedRows[i]))
            continue;
        if (!hasAccountNumber(konten)) {
            fb.ui().error(QStringLiteral("Fehlerhafte Kontonummer"));
            return;
        }
        printSheetOf(ctx, windows, currentAccount(konten), tax, mass);
    }
}

} // namespace reports

} // namespace ledra
