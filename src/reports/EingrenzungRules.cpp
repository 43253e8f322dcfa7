#include "EingrenzungRules.h"

#include "books/BooksSession.h"
#include "store/Dates.h"
#include "store/EngineError.h"
#include "ui/Ui.h"
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

} // namespace

bool EingrenzungRules::confirmRange() {
    Ui &ui = m_fb.ui();
    // Which edit failed to convert: the focus goes there and the message follows.
    auto refuse = [this, &ui](const QString &control, const QString &message) {
        focus(control);
        ui.error(message);
        return false;
    };

    QString field, order;
    QVariant from, to;
    switch (sort) {
    case Sort::Datum: {
        const auto von = parseGermanDate(fromText);
        if (!von)
            return refuse(QStringLiteral("EVon"), notADate(fromText));
        fromText = germanDate(*von);
        const auto bis = parseGermanDate(toText);
        if (!bis)
            return refuse(QStringLiteral("EBis"), notADate(toText));
        toText = germanDate(*bis);
        field = QStringLiteral("Belegdatum");
        order = QStringLiteral("Belegdatum,Belegnummer,Autonummer");
        from = *von;
        to = *bis;
        break;
    }
    case Sort::Belegnummer: {
        bool ok = false;
        const qint64 von = fromText.trimmed().toLongLong(&ok);
        if (!ok)
            return refuse(QStringLiteral("EVon"), notAnInteger(fromText));
        const qint64 bis = toText.trimmed().toLongLong(&ok);
        if (!ok)
            return refuse(QStringLiteral("EBis"), notAnInteger(toText));
        field = QStringLiteral("Belegnummer");
        order = QStringLiteral("Belegnummer,Belegdatum,Autonummer");
        from = von;
        to = bis;
        break;
    }
    case Sort::Buchungstext:
        // Texts that begin with the to-text belong to the range as well.
        toText += QLatin1Char('z');
        field = QStringLiteral("Buchungstext");
        order = QStringLiteral("Buchungstext,Autonummer");
        from = fromText;
        to = toText;
        break;
    }
    QJournal.setLine(JournalQuery::kRangeLine,
                     QStringLiteral("AND ") + field + QStringLiteral(">=? AND ") + field +
                         QStringLiteral("<=?"),
                     {from, to});
    if (sortChoiceVisible)
        QJournal.setLine(JournalQuery::kOrderLine, QStringLiteral("ORDER BY ") + order);

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
