#include "MervaCommands.h"
#include "CliOutput.h"

#include "app/Shell.h"
#include "books/IniFile.h"
#include "invoicebook/RechnungsbuchStore.h"
#include "store/Dates.h"
#include "store/Schema.h"
#include "store/TableFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
namespace ledra {

int createMervaStandIn(const QString &folder, const QString &programFolder, int client) {
    const QString root = TableFile::withSlash(QFileInfo(folder).absoluteFilePath());
    const QString daten = root + QStringLiteral("Daten");
    const QString module = programFolder + QLatin1Char('/') + MervaLink::moduleFileName();
    if (!QFileInfo(module).isFile()) {
        err(QStringLiteral("Fehler: Das Rechnungsbuch-Modul %1 fehlt.")
                .arg(QDir::toNativeSeparators(module)));
        return 1;
    }
    const TableSchema *tables[] = {&Schemas::kunden(), &Schemas::liefer(), &Schemas::rechbuch(),
                                   &Schemas::beleg(), &Schemas::protokoll()};
    // Everything is checked before anything is written, so that a refusal leaves the folder
    // as it was.
    QStringList targets{root + MervaLink::moduleFileName(), root + QStringLiteral("MERVA.INI")};
    for (const TableSchema *s : tables)
        targets << TableFile::join(daten, s->fileName);
    for (const QString &t : targets)
        if (QFileInfo::exists(t) || QFileInfo(t).isSymLink()) {
            err(QStringLiteral("Fehler: %1 besteht schon; nichts wurde angelegt.")
                    .arg(QDir::toNativeSeparators(t)));
            return 1;
        }
    if (!QDir().mkpath(daten)) {
        err(QStringLiteral("Fehler: Der Ordner %1 kann nicht angelegt werden.")
                .arg(QDir::toNativeSeparators(daten)));
        return 1;
    }
    try {
        for (const TableSchema *s : tables)
            TableFile::create(TableFile::join(daten, s->fileName), *s);
    } catch (const EngineError &e) {
        err(QStringLiteral("Fehler: ") + e.message());
        return 1;
    }
    if (!QFile::copy(module, targets[0])) {
        err(QStringLiteral("Fehler: Das Rechnungsbuch-Modul kann nicht nach %1 kopiert werden.")
                .arg(QDir::toNativeSeparators(root)));
        return 1;
    }
    IniFile ini(targets[1]);
    const QString O = QStringLiteral("Options");
    ini.writeString(O, QStringLiteral("Daten"), daten);
    ini.writeInteger(O, QStringLiteral("Client"), client);
    ini.save();
    return 0;
}

int printRechnungsbuch(RechnungsbuchStore *store) {
    if (!store) {
        err(QStringLiteral("Fehler: Kein Rechnungsbuch: das Rechnungsprogramm ist nicht "
                           "installiert (--merva ORDNER)."));
        return 1;
    }
    Table &t = store->TRechbuch;
    t.clearFilter();
    auto money = [&](const char *f) { return t.asMoney(QLatin1String(f)).toPlain(); };
    std::printf("Typ;BelNr;Zahlung;Skonto;Einbehalt;Bezahlt;Info\n");
    for (t.first(); !t.eof(); t.next()) {
        QString info = t.asString(QStringLiteral("Info"));
        info.replace(QStringLiteral("\r\n"), QStringLiteral("\\n"));
        info.replace(QLatin1Char('\r'), QStringLiteral("\\n"));
        info.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
        const QStringList cols{t.asString(QStringLiteral("Typ")),
                               t.asString(QStringLiteral("BelNr")),
                               money("Zahlung"),
                               money("Skonto"),
                               money("Einbehalt"),
                               isoDate(t.asDate(QStringLiteral("Bezahlt"))),
                               info};
        std::printf("%s\n", cols.join(QLatin1Char(';')).toUtf8().constData());
    }
    return 0;
}

} // namespace ledra
