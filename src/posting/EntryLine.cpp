#include "EntryLine.h"

#include "BuchungInput.h"
#include "BuchungRules.h"
#include "books/BooksSession.h"
#include "openitems/OffenePostenModule.h"
#include "store/Table.h"
#include "ui/Ui.h"

#include <functional>
namespace ledra {

namespace {

qint64 currentNumber(Table &b) {
    return b.asInt(QStringLiteral("Autonummer"));
}

// Moves the focus as a person does; a refusal (its message shown) ends the entry.
void step(BuchungRules &e, const QString &to) {
    if (!e.moveFocus(to))
        throw SilentAbort();
}

// Runs what a person does for one row. An abort or an engine error (its message shown)
// leaves the row in entry, and a row left in entry is cancelled: true when it was stored.
bool asPerson(BuchungRules &e, const std::function<void()> &steps) {
    try {
        steps();
    } catch (const SilentAbort &) {
    } catch (const EngineError &ex) {
        e.books().ui().error(ex.message());
    }
    if (e.books().stapel.isEditing()) {
        e.cancelRow();
        return false;
    }
    return true;
}

// The accounts typed key by key. After a takeover the item's own side is filled: the line may
// leave it empty or must name the same account.
void enterAccount(BuchungRules &e, const QString &side, const QString &typed, bool takenOver) {
    Table &b = e.books().stapel;
    step(e, side);
    if (!takenOver || b.isNull(side)) {
        for (QChar ch : typed)
            e.accountKey(side, ch);
        return;
    }
    bool number = false;
    const qint64 nr = typed.toLongLong(&number);
    if (!typed.isEmpty() && (!number || nr != b.asInt(side))) {
        e.books().ui().error(QStringLiteral("%1 '%2' ist nicht das Konto des offenen Postens (%3)")
                                 .arg(side, typed)
                                 .arg(b.asInt(side)));
        throw SilentAbort();
    }
}

// From the voucher number to the amount; leaving the amount stores the row. What a takeover
// wrote stays where the line is empty.
void enterFields(BuchungRules &e, const BuchungLine &l) {
    Table &b = e.books().stapel;
    b.setValue(QStringLiteral("Belegdatum"), l.belegdatum);
    step(e, QStringLiteral("BelNr"));
    if (!l.op || !l.belegnummer.isEmpty())
        b.setValue(QStringLiteral("Belegnummer"), l.belegnummer);
    enterAccount(e, QStringLiteral("Soll"), l.soll, l.op.has_value());
    enterAccount(e, QStringLiteral("Haben"), l.haben, l.op.has_value());
    step(e, QStringLiteral("BuchText"));
    if (!l.op || !l.buchungstext.isEmpty())
        b.setValue(QStringLiteral("Buchungstext"), l.buchungstext);
    if (l.netto)
        e.chooseNet();
    else
        e.chooseGross();
    step(e, QStringLiteral("Betrag"));
    if (l.mwst)
        b.setValue(QStringLiteral("Steuersatz"), *l.mwst);
    if (l.betragGiven)
        e.setAmount(l.betrag);
    step(e, QStringLiteral("Brutto"));
}

// Takes the line's open item over as the manager window's "Übernahme" does and completes the
// payment; a rest the user wants to keep open loses its discount booking again.
bool enterTakeoverLine(BuchungRules &e, const BuchungLine &l) {
    BooksSession &fb = e.books();
    Table &b = fb.stapel;
    OffenePostenModule *op = fb.openItems();
    if (!op) {
        fb.ui().error(QStringLiteral("Ohne das Modul Offene Posten gibt es keine Spalte OP."));
        return false;
    }
    if (!op->selectForSettlement(*l.op)) {
        fb.ui().error(
            QStringLiteral("Offener Posten %1 steht nicht in der OP-Verwaltung.").arg(*l.op));
        return false;
    }
    qint64 payment = 0;
    // A refused payment, or a discount booking refused after it, is not kept half-done.
    const bool stored = asPerson(e, [&] {
        e.takeOverOpenItem(1);
        if (b.state() != DsState::Insert)
            throw SilentAbort();
        payment = currentNumber(b);
        e.setFocus(QStringLiteral("BDatum"));
        enterFields(e, l);
    });
    if (!stored || payment == 0)
        return false;
    if (l.restOffen) {
        // As a user deletes the discount booking that followed the payment.
        b.last();
        if (currentNumber(b) > payment &&
            b.asString(QStringLiteral("Buchungstext")).contains(QLatin1String("Skonto")))
            e.deleteRow();
    }
    return true;
}

} // namespace

// Enters one line as a person would: new row, the fields in tab order, leaving the accounts,
// entering and leaving the amount. Returns false when the row was refused.
bool enterBuchungLine(BuchungRules &e, const BuchungLine &l) {
    BooksSession &fb = e.books();
    Table &b = fb.stapel;
    if (b.isEditing())
        e.cancelRow();
    if (l.zahlungsziel.isValid() && !fb.openItems()) {
        fb.ui().error(
            QStringLiteral("Ohne das Modul Offene Posten gibt es keine Spalte Zahlungsziel."));
        return false;
    }
    if (l.op)
        return enterTakeoverLine(e, l);
    e.setFocus(QStringLiteral("BDatum"));
    try {
        e.newRow();
    } catch (const EngineError &ex) {
        // The batch cannot even be read (another program holds it): nothing was started.
        fb.ui().error(ex.message());
        return false;
    }
    if (b.state() != DsState::Insert)
        return false;
    if (!asPerson(e, [&] { enterFields(e, l); }))
        return false;
    if (l.zahlungsziel.isValid()) {
        b.last();
        if (!fb.openItems()->setPaymentTarget(int(currentNumber(b)), l.zahlungsziel)) {
            // Refused as a whole: the row goes again, as the user would delete it.
            fb.ui().error(QStringLiteral("Ein Zahlungsziel gibt es nur für eine Buchung, die "
                                         "einen offenen Posten erzeugt."));
            e.deleteRow();
            return false;
        }
        fb.notify(BooksEvent::OpenItemNoted);
    }
    return true;
}

bool enterBuchungLine(BuchungRules &e, const QStringList &columns) {
    const BuchungLineInput in = parseBuchungColumns(columns);
    if (!in.line) {
        e.books().ui().error(in.error);
        return false;
    }
    return enterBuchungLine(e, *in.line);
}

} // namespace ledra
