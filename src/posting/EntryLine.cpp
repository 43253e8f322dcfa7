#include "EntryLine.h"

#include "BuchungInput.h"
#include "BuchungRules.h"
#include "books/BooksSession.h"
#include "store/Table.h"
#include "ui/Ui.h"
namespace ledra {

// Enters one line as a person would: new row, the fields in tab order, leaving the accounts,
// entering and leaving the amount. Returns false when the row was refused.
bool enterBuchungLine(BuchungRules &e, const BuchungLine &l) {
    BooksSession &fb = e.books();
    Table &b = fb.stapel;
    if (b.isEditing())
        e.cancelRow();
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
    auto step = [&](const QString &to) {
        if (!e.moveFocus(to))
            throw SilentAbort();
    };
    try {
        b.setValue(QStringLiteral("Belegdatum"), l.belegdatum);
        step(QStringLiteral("BelNr"));
        b.setValue(QStringLiteral("Belegnummer"), l.belegnummer);
        step(QStringLiteral("Soll"));
        for (QChar ch : l.soll)
            e.accountKey(QStringLiteral("Soll"), ch);
        step(QStringLiteral("Haben"));
        for (QChar ch : l.haben)
            e.accountKey(QStringLiteral("Haben"), ch);
        step(QStringLiteral("BuchText"));
        b.setValue(QStringLiteral("Buchungstext"), l.buchungstext);
        if (l.netto)
            e.chooseNet();
        else
            e.chooseGross();
        step(QStringLiteral("Betrag"));
        if (l.mwst)
            b.setValue(QStringLiteral("Steuersatz"), *l.mwst);
        e.setAmount(l.betrag);
        step(QStringLiteral("Brutto"));
    } catch (const SilentAbort &) {
    } catch (const EngineError &ex) {
        fb.ui().error(ex.message());
    }
    if (b.isEditing()) {
        e.cancelRow();
        return false;
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
