#pragma once
// ledra-cli help [KONTEXT]: the manual on the command line, for support and for scripts.
// Without a context it lists the help contexts ("N;Titel" a line); with one it prints that
// topic as plain text.

#include <QString>
#include <QStringList>
namespace ledra {

// True when the command of `args` (after the global options) is "help".
bool isHelpCommand(const QStringList &args);
int runHelpCommand(const QStringList &args, const QString &programFolder);

} // namespace ledra
