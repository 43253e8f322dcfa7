#include "DatevCommands.h"

#include "books/BooksSession.h"
#include "exports/DatevExport.h"
#include "store/Dates.h"
#include "store/EngineError.h"
#include "ui/Ui.h"

#include <cstdio>
#include <optional>

namespace ledra {

namespace {

const QString kUsage =
    QStringLiteral("Aufruf: ledra-cli --data ORDNER export datev DATEI --berater N --mandant N "
                   "[--von TT.MM.JJJJ] [--bis TT.MM.JJJJ] [--festschreiben]");

} // namespace

int runDatevCommand(BooksSession &books, Ui &ui, const QStringList &args) {
    QString file, berater, mandant;
    std::optional<QDate> von, bis;
    bool festschreiben = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == QLatin1String("--berater") && hasValue) {
            berater = args[++i];
        } else if (a == QLatin1String("--mandant") && hasValue) {
            mandant = args[++i];
        } else if ((a == QLatin1String("--von") || a == QLatin1String("--bis")) && hasValue) {
            const QString text = args[++i];
            const auto d = parseGermanDate(text);
            if (!d) {
                ui.error(QStringLiteral("%1 ist kein gültiges Datum (TT.MM.JJJJ).").arg(text));
                return 2;
            }
            (a == QLatin1String("--von") ? von : bis) = *d;
        } else if (a == QLatin1String("--festschreiben")) {
            festschreiben = true;
        } else if (file.isEmpty() && !a.startsWith(QLatin1String("--"))) {
            file = a;
        } else {
            ui.error(kUsage);
            return 2;
        }
    }
    if (file.isEmpty() || berater.isEmpty() || mandant.isEmpty()) {
        ui.error(kUsage);
        return 2;
    }
    DatevOptions options = datevOptionsFor(books, von, bis);
    // A number that does not read is 0, which the export refuses with the field's range.
    options.berater = berater.toLongLong();
    options.mandant = mandant.toLongLong();
    options.festschreiben = festschreiben;
    try {
        const DatevResult result = writeDatevExport(books, options, file);
        // The numbers the adviser gave are kept for the next export of this year.
        books.settings.datevBerater = QString::number(options.berater);
        books.settings.datevMandant = QString::number(options.mandant);
        if (result.warnings.isEmpty())
            ui.info(datevDoneMessage(result, file));
        else
            ui.warning(datevDoneMessage(result, file));
    } catch (const EngineError &ex) {
        ui.error(ex.message());
        return 1;
    }
    return 0;
}

} // namespace ledra
