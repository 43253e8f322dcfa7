#include "EingrenzungRules.h"

#include "books/BooksSession.h"
#include "store/Dates.h"
#include "store/EngineError.h"
#include "ui/Ui.h"

#include <variant>
namespace ledra {

namespace reports {

EingrenzungRules::EingrenzungRules(BooksSession &fb) : m_fb(fb) {
    sortByDate();
    QJournal.setFolderOf(m_fb);
}

void EingrenzungRules::sortByDate() {
    sort = Sort::Datum;
    fromText = m_fb.settings.buchVon;
    toText = m_fb.settings.buchBis;
}

void EingrenzungRules::sortByBelegnummer() {
    sort = Sort::Belegnummer;
    fromText = QStringLiteral("1");
    toText = QStringLiteral("999999");
}

void EingrenzungRules::sortByText() {
    sort = Sort::Buchungstext;
    fromText = QStringLiteral("A");
    toText = QStringLiteral("zzz");
}

void EingrenzungRules::choose(Sort s) {
    switch (s) {
    case Sort::Datum:
        sortByDate();
        break;
    case Sort::Belegnummer:
        sortByBelegnummer();
        break;
    case Sort::Buchungstext:
        sortByText();
        break;
    }
}

void EingrenzungRules::open() {
    QJournal.setFolderOf(m_fb);
    focus(sortChoiceVisible ? QStringLiteral("GroupBox1") : QStringLiteral("OK"));
    waitNoteVisible = false;
    nettoColor = kNormalText;
}

void EingrenzungRules::focus(const QString &control) {
    activeControl = control;
    m_fb.ui().focus(control);
}

void EingrenzungRules::changed() {
    if (stateChanged)
        stateChanged();
}

bool EingrenzungRules::runModal() {
    open();
    return showModal ? showModal() : false;
}

void EingrenzungRules::dropNetto(DragSource source) {
    if (acceptsNettoDrag(source))
        nettoColor = kRed;
}

QString EingrenzungRules::sortCaption(Sort s) {
    switch (s) {
    case Sort::Datum:
        return QStringLiteral("Datum");
    case Sort::Belegnummer:
        return QStringLiteral("Belegnummer");
    case Sort::Buchungstext:
        return QStringLiteral("Buchungstext");
    }
    return {};
}

std::optional<QDate> EingrenzungRules::fromDate() const {
    return parseGermanDate(fromText);
}
std::optional<QDate> EingrenzungRules::toDate() const {
    return parseGermanDate(toText);
}

QStringList EingrenzungRules::periodChoices() {
    return {
        QStringLiteral("Januar"),     QStringLiteral("Februar"),    QStringLiteral("März"),
        QStringLiteral("April"),      QStringLiteral("Mai"),        QStringLiteral("Juni"),
        QStringLiteral("Juli"),       QStringLiteral("August"),     QStringLiteral("September"),
        QStringLiteral("Oktober"),    QStringLiteral("November"),   QStringLiteral("Dezember"),
        QStringLiteral("1. Quartal"), QStringLiteral("2. Quartal"), QStringLiteral("3. Quartal"),
        QStringLiteral("4. Quartal")};
}

void EingrenzungRules::choosePeriod(int index) {
    if (index < 0 || index >= 16)
        return;
    const QDate start = m_fb.settings.periodStart();
    const int year = start.isValid() ? start.year() : QDate::currentDate().year();
    const bool month = index < 12;
    const QDate from(year, month ? index + 1 : (index - 12) * 3 + 1, 1);
    const QDate to = from.addMonths(month ? 1 : 3).addDays(-1);
    if (sort != Sort::Datum)
        choose(Sort::Datum);
    fromText = from.toString(QStringLiteral("dd.MM.yyyy"));
    toText = to.toString(QStringLiteral("dd.MM.yyyy"));
    changed();
}

void EingrenzungRules::setDateRange(const QDate &from, const QDate &to) {
    QJournal.setLine(JournalQuery::kRangeLine,
                     QStringLiteral("AND Belegdatum>=? AND Belegdatum<=?"), {from, to});
}

namespace {

// The conversion messages of the platform for a text that is no date or no number.
QString notADate(const QString &text) {
    return QStringLiteral("'%1' ist kein gültiges Datum.").arg(text);
}
QString notAnInteger(const QString &text) {
    return QStringLiteral("'%1' ist kein gültiger Integerwert.").arg(text);
}

// The journal range of the chosen option: the field it limits, both bounds and the order.
struct JournalRange {
    QString field, order;
    QVariant from, to;
};

// Which edit failed to convert and the message for it.
struct RangeRefusal {
    QString control;
    QString message;
};

using RangeOrRefusal = std::variant<JournalRange, RangeRefusal>;

// Dates: the from-date is written back in the standard form before the to-date is read.
RangeOrRefusal dateRange(QString &fromText, QString &toText) {
    const auto von = parseGermanDate(fromText);
    if (!von)
        return RangeRefusal{QStringLiteral("EVon"), notADate(fromText)};
    fromText = germanDate(*von);
    const auto bis = parseGermanDate(toText);
    if (!bis)
        return RangeRefusal{QStringLiteral("EBis"), notADate(toText)};
    toText = germanDate(*bis);
    return JournalRange{QStringLiteral("Belegdatum"),
                        QStringLiteral("Belegdatum,Belegnummer,Autonummer"), *von, *bis};
}

RangeOrRefusal belegnummerRange(const QString &fromText, const QString &toText) {
    bool ok = false;
    const qint64 von = fromText.trimmed().toLongLong(&ok);
    if (!ok)
        return RangeRefusal{QStringLiteral("EVon"), notAnInteger(fromText)};
    const qint64 bis = toText.trimmed().toLongLong(&ok);
    if (!ok)
        return RangeRefusal{QStringLiteral("EBis"), notAnInteger(toText)};
    return JournalRange{QStringLiteral("Belegnummer"),
                        QStringLiteral("Belegnummer,Belegdatum,Autonummer"), von, bis};
}

JournalRange textRange(const QString &fromText, QString &toText) {
    // Texts that begin with the to-text belong to the range as well.
    toText += QLatin1Char('z');
    return JournalRange{QStringLiteral("Buchungstext"), QStringLiteral("Buchungstext,Autonummer"),
                        fromText, toText};
}

RangeOrRefusal rangeOf(EingrenzungRules::Sort sort, QString &fromText, QString &toText) {
    switch (sort) {
    case EingrenzungRules::Sort::Datum:
        return dateRange(fromText, toText);
    case EingrenzungRules::Sort::Belegnummer:
        return belegnummerRange(fromText, toText);
    case EingrenzungRules::Sort::Buchungstext:
        return textRange(fromText, toText);
    }
    return JournalRange{};
}

// The range line always; the order line only where the dialog offers the sort choice.
void setRangeLines(JournalQuery &query, const JournalRange &range, bool withOrder) {
    query.setLine(JournalQuery::kRangeLine,
                  QStringLiteral("AND ") + range.field + QStringLiteral(">=? AND ") + range.field +
                      QStringLiteral("<=?"),
                  {range.from, range.to});
    if (withOrder)
        query.setLine(JournalQuery::kOrderLine, QStringLiteral("ORDER BY ") + range.order);
}

} // namespace

bool EingrenzungRules::confirmRange() {
    const RangeOrRefusal range = rangeOf(sort, fromText, toText);
    if (const auto *refusal = std::get_if<RangeRefusal>(&range)) {
        // The focus goes to the edit that failed to convert, and the message follows.
        focus(refusal->control);
        m_fb.ui().error(refusal->message);
        return false;
    }
    setRangeLines(QJournal, std::get<JournalRange>(range), sortChoiceVisible);
    return openRangeShowingWaitNote();
}

bool EingrenzungRules::openRangeShowingWaitNote() {
    Ui &ui = m_fb.ui();
    waitNoteVisible = true;
    changed();
    ui.processEvents();
    try {
        QJournal.open();
    } catch (const EngineError &e) {
        waitNoteVisible = false;
        changed();
        ui.error(e.message());
        return false;
    }
    ui.processEvents();
    if (QJournal.isEmpty()) {
        QJournal.close();
        ui.info(QStringLiteral("Keine passenden Buchungssätze gefunden!"));
        waitNoteVisible = false;
        changed();
        return false;
    }
    return true;
}

} // namespace reports

} // namespace ledra
