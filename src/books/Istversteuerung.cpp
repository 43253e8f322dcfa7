#include "Istversteuerung.h"

#include "BooksSession.h"
#include "KontoArt.h"
#include "store/Sql.h"
#include "store/Table.h"

namespace ledra {

std::optional<double> saleRateOfVoucher(BooksSession &fb, qint64 belegnummer) {
    Table &k = fb.konten;
    const QString typeSql =
        QStringLiteral("SELECT COALESCE(MAX(Art), -1) FROM %1 WHERE KtoNr = ?").arg(quotedName(k));
    auto typeOf = [&](qint64 nr) { return kontoArtFromCode(scalar(k, typeSql, {nr}, -1)); };
    for (Table *t : {&fb.stapel, &fb.journal}) {
        if (!t->isActive())
            continue;
        std::optional<double> rate;
        forEachRow(*t,
                   QStringLiteral("SELECT Soll, Haben, COALESCE(Steuersatz, 0) FROM %1 WHERE "
                                  "Belegnummer = ? ORDER BY Autonummer DESC")
                       .arg(quotedName(*t)),
                   {belegnummer}, [&](const SqlRow &r) {
                       const std::optional<KontoArt> sa = typeOf(r.int64(0));
                       const std::optional<KontoArt> ha = typeOf(r.int64(1));
                       const bool invoice = sa == KontoArt::Debitor &&
                                            (isErloeskonto(ha) || ha == KontoArt::Bestand);
                       const bool creditNote = isErloeskonto(sa) && ha == KontoArt::Debitor;
                       if (invoice || creditNote)
                           rate = r.real(2);
                       return !rate;
                   });
        if (rate)
            return rate;
    }
    return std::nullopt;
}

QString rateText(double percent) {
    return QString::number(percent, 'g', 6).replace(QLatin1Char('.'), QLatin1Char(','));
}

} // namespace ledra
