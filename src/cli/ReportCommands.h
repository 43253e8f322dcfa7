#pragma once
// The command "report" of ledra-cli: runs a report's launcher with the same dialog logic
// and report code as the window, and writes the result as PDF, plain text or CSV instead
// of showing a preview.
//
//   report NAME [--von X --bis Y] [--sortierung datum|belegnummer|buchungstext] [--netto]
//               (--pdf DATEI | --txt DATEI | --csv DATEI)...

#include <QString>
#include <QStringList>
namespace ledra {

class BooksSession;

// `args` is what follows the word "report". Returns the exit status (0 written, 1 refused
// or failed, 2 wrong call).
int runReportCommand(BooksSession &fb, const QStringList &args);

// One line per report for the usage text.
QString reportCommandUsage();

} // namespace ledra
