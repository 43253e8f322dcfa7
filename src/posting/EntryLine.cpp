#include "EntryLine.h"

#include "BuchungRules.h"
#include "books/BooksSession.h"
#include "store/Dates.h"
#include "store/Table.h"
#include "ui/Ui.h"
namespace ledra {

// Enters one line as a person would: new row, the fields in tab order, leaving the accounts,
// entering and leaving the amount. Returns false when the row was refused.
bool enterBuchungLine(BuchungRules &e, const QStringList &c) {
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
        auto d = parseGermanDate(c.value(0));
        if (!d) {
            fb.ui().error(QStringLiteral("'%1' ist kein gültiges Datum").arg(c.value(0)));
            throw SilentAbort();
        }
        b.setValue(QStringLiteral("Belegdatum"), *d);
        step(QStringLiteral("BelNr"));
        b.setValue(QStringLiteral("Belegnummer"), c.value(1).trimmed());
        step(QStringLiteral("Soll"));
        for (QChar ch : c.value(2).trimmed())
            if (!e.accountKey(QStringLiteral("Soll"), ch))
                break;
        step(QStringLiteral("Haben"));
        for (QChar ch : c.value(3).trimmed())
            if (!e.accountKey(QStringLiteral("Haben"), ch))
                break;
        step(QStringLiteral("BuchText"));
        b.setValue(QStringLiteral("Buchungstext"), c.value(4));
        const QString mode = c.value(6).trimmed().toUpper();
        if (mode == QLatin1String("N"))
            e.chooseNet();
        else
            e.chooseGross();
        step(QStringLiteral("Betrag"));
        if (!c.value(7).trimmed().isEmpty())
            b.setValue(QStringLiteral("Steuersatz"), c.value(7).trimmed());
        auto amount = Money::parseGerman(c.value(5));
        if (!amount) {
            fb.ui().error(QStringLiteral("'%1' ist kein gültiger Betrag").arg(c.value(5)));
            throw SilentAbort();
        }
        e.setAmount(*amount);
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

} // namespace ledra
