#pragma once
// The command "export datev" of ledra-cli: the journal bookings of a range as a DATEV
// booking batch for the tax adviser.
//
//   export datev DATEI --berater N --mandant N [--von TT.MM.JJJJ] [--bis TT.MM.JJJJ]
//                      [--festschreiben]

#include <QStringList>
namespace ledra {

class BooksSession;
class Ui;

// `args` is what follows "export datev". Returns the exit status (0 written, 1 refused or
// failed, 2 wrong call). Adviser and client number are remembered in the year settings.
int runDatevCommand(BooksSession &books, Ui &ui, const QStringList &args);

} // namespace ledra
