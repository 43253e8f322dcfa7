#include "StornoRules.h"

#include "BuchungRules.h"
#include "books/BooksSession.h"
#include "books/KontoArt.h"
#include "books/SaldenRecompute.h"
#include "books/Steuer.h"
#include "store/Sql.h"
#include "store/Table.h"
#include "ui/Ui.h"

namespace ledra {

namespace {

// The balances convert a booking by its date (marks before the euro day, euros from it on), so
// a reversal cancels its original only when both fall on the same side of that day. The
// batch's date stays when it lies in the booking period on the original's side; otherwise
// the reversal takes the original's date.
QDate reversalDate(const YearSettings &s, const QDate &given, const QDate &original) {
    const QDate von = s.periodStart(), bis = s.periodEnd();
    const bool inPeriod =
        given.isValid() && (!von.isValid() || given >= von) && (!bis.isValid() || given <= bis);
    const bool sameCurrency = (given < euroStichtag()) == (original < euroStichtag());
    return inPeriod && sameCurrency ? given : original;
}

// Storing computes the other amount from the one entered. The reversal is entered by the
// amount from which the original's net and gross both follow again: the gross amount unless
// the original was entered net and its net does not follow from its gross.
bool reversalEntersGross(const Table &b) {
    const Steuersatz satz = Steuersatz::fromPercent(b.asDouble(QStringLiteral("Steuersatz")));
    const Money netto = b.asMoney(QStringLiteral("Netto"));
    const Money brutto = b.asMoney(QStringLiteral("Brutto"));
    if (nettoFromBrutto(brutto, satz) == netto)
        return true;
    return bruttoFromNetto(netto, satz) != brutto;
}

} // namespace

void StornoRules::open() {
    m_fb.journal.setIndexName(QStringLiteral("BelNr"));
    m_visible = true;
}

void StornoRules::hide() {
    if (m_fb.journal.isActive())
        m_fb.journal.setIndexName(QString());
    m_visible = false;
}

bool StornoRules::reverseCurrentAndClose() {
    const bool stored = reverseBooking(m_fb.journal.asInt(QStringLiteral("Autonummer")));
    hide();
    return stored;
}

bool StornoRules::reverseCurrent() {
    return reverseBooking(m_fb.journal.asInt(QStringLiteral("Autonummer")));
}

void StornoRules::nextRow() {
    m_fb.journal.next();
}
void StornoRules::priorRow() {
    m_fb.journal.prior();
}

void StornoRules::deleteCurrentRow() {
    Table &j = m_fb.journal;
    if (j.isEmpty())
        return;
    if (m_fb.ui().confirm(QStringLiteral("Datensatz löschen?"), Btn::YesNo) != Btn::Yes)
        return;
    j.remove();
    m_fb.notify(BooksEvent::JournalChanged);
    // The deleted booking still counts in the running balances until they are rebuilt.
    recomputeSalden(m_fb);
}

bool StornoRules::reverseBooking(qint64 autonummer) {
    Table &j = m_fb.journal;
    Table &b = m_fb.stapel;
    BuchungRules &e = m_entry;
    const bool wasVisible = m_visible;
    b.append();
    // The batch's insert closed the dialog and reordered the journal: find the row the user
    // chose again by its booking number, never by its position.
    if (!j.locate(QStringLiteral("Autonummer"), autonummer)) {
        b.cancel();
        m_fb.ui().error(
            QStringLiteral("Die Buchung %1 ist nicht mehr im Journal.").arg(autonummer));
        return false;
    }
    b.setValue(QStringLiteral("Buchungstext"), QStringLiteral("Storno"));
    b.setValue(QStringLiteral("Soll"), j.value(QStringLiteral("Haben")));
    b.setValue(QStringLiteral("Haben"), j.value(QStringLiteral("Soll")));
    for (const char *f :
         {"Netto", "Brutto", "Steuer", "Steuersatz", "Belegnummer", "IDNr", "Euro", "Stfaellig"})
        b.setValue(QString::fromLatin1(f), j.value(QString::fromLatin1(f)));
    b.setValue(QStringLiteral("Belegdatum"),
               reversalDate(m_fb.settings, b.asDate(QStringLiteral("Belegdatum")),
                            j.asDate(QStringLiteral("Belegdatum"))));
    if (b.asMoney(QStringLiteral("Stfaellig")) > Money()) {
        b.setValue(QStringLiteral("Satzfaellig"), j.value(QStringLiteral("Steuersatz")));
        if (kontoArtOf(j.value(QStringLiteral("XHabenArt"))) == KontoArt::Debitor) {
            b.setValue(QStringLiteral("Steuersatz"), 0.0);
            if (m_fb.ui().warnOkCancel(
                    QStringLiteral(
                        "Vorsicht! Sie stornieren einen Forderungsausgleich, der Mwst fällig "
                        "stellt!\rStornieren Sie auch unbedingt die Skontobuchung und die "
                        "Buchung zur Einstellung in die Forderung!"),
                    34) != Btn::Ok) {
                b.cancel();
                if (wasVisible)
                    open();
                return false;
            }
        }
    }
    bool stored = true;
    if (b.state() == DsState::Insert) {
        const bool personsMode = e.grossMode;
        e.grossMode = reversalEntersGross(b);
        try {
            // Storing runs from the amount field, as when the user leaves it.
            e.setFocus(QStringLiteral("Betrag"));
            b.post();
        } catch (const SilentAbort &) {
            stored = false;
        } catch (const EngineError &ex) {
            m_fb.ui().error(ex.message());
            stored = false;
        }
        // A refused reversal stays in the form with the mode that reproduces its amounts.
        if (stored)
            e.grossMode = personsMode;
    }
    if (wasVisible)
        open();
    return stored;
}

// ---------------------------------------------------------------- splitting

qint64 splittingAccountNumber(BooksSession &fb) {
    Table &k = fb.konten;
    return scalar(k,
                  QStringLiteral(
                      "SELECT KtoNr FROM %1 WHERE upper(Name) = 'SPLITTING' ORDER BY KtoNr LIMIT 1")
                      .arg(quotedName(k)));
}

void putSplittingAccount(BooksSession &fb, BuchungRules &e) {
    const QString side = e.focused();
    if ((side != QLatin1String("Soll") && side != QLatin1String("Haben")) ||
        !fb.stapel.isEditing()) {
        fb.ui().warning(QStringLiteral(
            "- neuen Buchungssatz anlegen\r- bis zum Soll- oder Habenkonto gehen\r- erst dann "
            "F4 drücken!"));
        return;
    }
    qint64 nr = splittingAccountNumber(fb);
    if (!nr) {
        Table &k = fb.konten;
        // Numbers from 1370 up; a chart full of accounts there ends the search with a message
        // instead of trying for ever.
        constexpr int kTries = 1000;
        for (int i = 0; i < kTries && !nr; ++i) {
            try {
                k.appendRecord({1370 + i, QStringLiteral("SPLITTING"), 9, 0.0, 0, 0, 0});
                nr = 1370 + i;
            } catch (const EngineError &ex) {
                if (ex.code() != DbErr::KeyViolation) {
                    fb.ui().error(ex.message());
                    return;
                }
            }
        }
        if (!nr) {
            fb.ui().error(
                QStringLiteral(
                    "Für das Konto SPLITTING ist zwischen 1370 und %1 keine Kontonummer frei.")
                    .arg(1370 + kTries - 1));
            return;
        }
        fb.kontenGrid.refresh();
        fb.notify(BooksEvent::ChartChanged);
    }
    // A search typed before F4 must not overwrite the account when the field is left.
    e.clearSearch(side);
    fb.stapel.setValue(side, nr);
}

// ---------------------------------------------------------------- templates

void applyTemplate(BooksSession &fb, BuchungRules &entry) {
    Table &b = fb.stapel;
    if (b.state() != DsState::Insert)
        return;
    Table &f = fb.favoriten;
    if (!f.locate(QStringLiteral("Text"), b.asString(QStringLiteral("Buchungstext"))))
        return;
    // The template names both accounts; text typed earlier must not replace them when the
    // account fields are left below.
    entry.dropSearches();
    b.setValue(QStringLiteral("Soll"), f.value(QStringLiteral("Soll")));
    b.setValue(QStringLiteral("Haben"), f.value(QStringLiteral("Haben")));
    entry.setAmount(f.asMoney(QStringLiteral("Betrag")));
    fb.notify(BooksEvent::TemplatePicked);
    entry.leaveSoll();
    entry.leaveHaben();
}

bool canAddTemplate(const BooksSession &fb) {
    const Table &b = fb.stapel;
    return b.isActive() && b.isBrowse() && !b.isEmpty();
}

void addTemplate(BooksSession &fb) {
    Table &b = fb.stapel;
    // A template is made from a stored row; without one it would be an empty entry in the
    // text list.
    if (!canAddTemplate(fb))
        return;
    const int answer = fb.ui().confirm(
        QStringLiteral("Favorit mit Brutto-Betrag speichern?\r\rJa - Favorit mit Betrag\rNein - "
                       "Favorit ohne Betrag\rAbbruch - Nichts speichern"),
        Btn::YesNoCancel);
    if (answer == Btn::Cancel)
        return;
    const QString text = b.asString(QStringLiteral("Buchungstext"));
    try {
        fb.favoriten.appendRecord(
            {text, b.value(QStringLiteral("Soll")), b.value(QStringLiteral("Haben")),
             answer == Btn::Yes ? QVariant::fromValue(b.asMoney(QStringLiteral("Brutto")))
                                : QVariant()});
    } catch (const EngineError &) {
        fb.ui().error(QStringLiteral("Favorit \"") + text +
                      QStringLiteral("\" ist schon vorhanden."));
        return;
    }
    fb.reloadBookingTexts();
}

void deleteTemplate(BooksSession &fb) {
    const QString text = fb.stapel.asString(QStringLiteral("Buchungstext"));
    Table &f = fb.favoriten;
    if (!f.locate(QStringLiteral("Text"), text)) {
        fb.ui().error(QStringLiteral("Favorit \"") + text + QStringLiteral("\" exstiert nicht"));
        return;
    }
    if (fb.ui().confirm(QStringLiteral("Favorit \"") + text + QStringLiteral("\" löschen?"),
                        Btn::YesNo) != Btn::Yes)
        return;
    f.remove();
    fb.reloadBookingTexts();
}

} // namespace ledra
