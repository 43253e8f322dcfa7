#pragma once
// Data folders for tests: a copy of the shipped base data folder in a temporary directory,
// and small helpers to fill tables.

#include "store/Table.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
namespace ledra {

struct DataFixture {
    QTemporaryDir tmp;
    QString program; // program folder (holds LEDRA.INI of the program, ledra-hilfe, DATEN)
    QString base;    // base data folder: program + "/DATEN"

    DataFixture();
    // Copies every file of the shipped data folder into `folder`.
    static void copyShipped(const QString &folder);
    void writeFile(const QString &path, const QByteArray &content);
    QByteArray readFile(const QString &path) const;
    // Adds an account row to Konten.DB of the folder (default: base).
    void addAccount(int ktoNr, const QString &name, int art, double mwst,
                    const QString &folder = QString());
};

// The cells of one line of a ";" separated file; a quoted cell loses its quotes and its
// doubled quotes.
QStringList csvCells(const QString &line);

} // namespace ledra
