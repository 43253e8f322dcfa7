#pragma once
// Entering a booking from text columns as a person types it into the entry panel; used by
// the command line and the tests, so both run exactly the window's handlers.

#include <QStringList>
namespace ledra {

class BuchungRules;
struct BuchungLine;

// A checked line (BuchungInput.h): new row, fields in tab order, leaving the accounts,
// entering and leaving the amount. Returns false when the row was refused (it is then
// cancelled).
bool enterBuchungLine(BuchungRules &entry, const BuchungLine &line);
// Columns Belegdatum;Belegnummer;Soll;Haben;Buchungstext;Betrag;Modus;Mwst, checked first;
// a line that does not pass is refused with its reason before a row is started.
bool enterBuchungLine(BuchungRules &entry, const QStringList &columns);

} // namespace ledra
