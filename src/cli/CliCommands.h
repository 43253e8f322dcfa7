#pragma once

#include <QString>
#include <QStringList>
namespace ledra {

// Parses the global options and runs one command; returns the exit status.
int runCli(const QStringList &args, const QString &programFolder);

} // namespace ledra
