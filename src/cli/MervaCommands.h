#pragma once
// The command line's commands around the invoicing program: a stand-in installation for
// working without it, and the invoice book as text.

#include <QString>
namespace ledra {

class RechnungsbuchStore;

// Creates a complete stand-in installation in `folder`: the module file (copied from the
// program folder), MERVA.INI naming the data folder `folder`/Daten and the client number,
// and the empty tables there. Nothing is overwritten; returns the exit status.
int createMervaStandIn(const QString &folder, const QString &programFolder, int client);

// The invoice book as semicolon text: Typ;BelNr;Zahlung;Skonto;Einbehalt;Bezahlt;Info.
int printRechnungsbuch(RechnungsbuchStore *store);

} // namespace ledra
