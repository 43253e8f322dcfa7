#pragma once
// The command "op" of ledra-cli and the report "op": the open-items manager window's
// operations, driven through the same rules as the window.
//
//   op list [--jahr JJ] [--art alle|forderungen|verbindlichkeiten] [--konto N]
//           [--bereich datum|belegnummer --von X --bis Y] [--kunde KNR]
//           [--sortierung datum|zahlungsziel]
//   op add AUTONUMMER [--jahr JJ] | op delete NR | op check | op stapel
//   report op [the list options] (--pdf DATEI | --txt DATEI | --csv DATEI)...

#include <QString>
#include <QStringList>

namespace ledra {

class BooksSession;

// `args` is what follows "op" (or "report op" for the report). `customerFolder` is the
// invoicing program's data folder, empty when it is not installed. Returns the exit status
// (0 done, 1 refused or failed, 2 wrong call).
int runOpCommand(BooksSession &fb, const QString &customerFolder, const QStringList &args);
int runOpReport(BooksSession &fb, const QString &customerFolder, const QStringList &args);

} // namespace ledra
