#include "EingrenzungRules.h"

#include "books/BooksSession.h"
#include "store/Dates.h"
#include "store/EngineError.h"
#include "ui/Ui.h"

namespace reports {

EingrenzungRules::EingrenzungRules(BooksSession &fb) : fb_(fb) {
    sortByDate();
    QJournal.setFolderOf(fb_);
}

void EingrenzungRules::sortByDate() {
    sort = Sort::Datum;
    EVon = fb_.settings.buchVon;
    EBis = fb_.settings.buchBis;
}

void EingrenzungRules::sortByBelegnummer() {
    sort = Sort::Belegnummer;
    EVon = QStringLiteral("1");
    EBis = QStringLiteral("999999");
}

void EingrenzungRules::sortByText() {
    sort = Sort::Buchungstext;
    EVon = QStringLiteral("A");
    EBis = QStringLiteral("zzz");
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
    QJournal.setFolderOf(fb_);
    focus(GroupBox1Visible ? QStringLiteral("GroupBox1") : QStringLiteral("OK"));
    Label7Visible = false;
    NettoColor = kNormalText;
}

void EingrenzungRules::focus(const QString &control) {
    ActiveControl = control;
    fb_.ui().focus(control);
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
        NettoColor = kRed;
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
    return parseGermanDate(EVon);
}
std::optional<QDate> EingrenzungRules::toDate() const {
    return parseGermanDate(EBis);
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
    Ui &ui = fb_.ui();
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
        const auto von = parseGermanDate(EVon);
        if (!von)
            return refuse(QStringLiteral("EVon"), notADate(EVon));
        EVon = germanDate(*von);
        const auto bis = parseGermanDate(EBis);
        if (!bis)
            return refuse(QStringLiteral("EBis"), notADate(EBis));
        EBis = germanDate(*bis);
        field = QStringLiteral("Belegdatum");
        order = QStringLiteral("Belegdatum,Belegnummer,Autonummer");
        from = *von;
        to = *bis;
        break;
    }
    case Sort::Belegnummer: {
        bool ok = false;
        const qint64 von = EVon.trimmed().toLongLong(&ok);
        if (!ok)
            return refuse(QStringLiteral("EVon"), notAnInteger(EVon));
        const qint64 bis = EBis.trimmed().toLongLong(&ok);
        if (!ok)
            return refuse(QStringLiteral("EBis"), notAnInteger(EBis));
        field = QStringLiteral("Belegnummer");
        order = QStringLiteral("Belegnummer,Belegdatum,Autonummer");
        from = von;
        to = bis;
        break;
    }
    case Sort::Buchungstext:
        // Texts that begin with the to-text belong to the range as well.
        EBis += QLatin1Char('z');
        field = QStringLiteral("Buchungstext");
        order = QStringLiteral("Buchungstext,Autonummer");
        from = EVon;
        to = EBis;
        break;
    }
    QJournal.setLine(JournalQuery::kRangeLine,
                     QStringLiteral("AND ") + field + QStringLiteral(">=? AND ") + field +
                         QStringLiteral("<=?"),
                     {from, to});
    if (GroupBox1Visible)
        QJournal.setLine(JournalQuery::kOrderLine, QStringLiteral("ORDER BY ") + order);

    Label7Visible = true;
    changed();
    ui.processEvents();
    try {
        QJournal.open();
    } catch (const EngineError &e) {
        Label7Visible = false;
        changed();
        ui.error(e.message());
        return false;
    }
    ui.processEvents();
    if (QJournal.isEmpty()) {
        QJournal.close();
        ui.info(QStringLiteral("Keine passenden Buchungssätze gefunden!"));
        Label7Visible = false;
        changed();
        return false;
    }
    return true;
}

} // namespace reports
