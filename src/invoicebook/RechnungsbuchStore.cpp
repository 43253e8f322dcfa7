#include "RechnungsbuchStore.h"
namespace ledra {

RechnungsbuchStore::RechnungsbuchStore()
    : TRechbuch(Schemas::rechbuch(), QStringLiteral("TRechbuch")),
      TBeleg(Schemas::beleg(), QStringLiteral("TBeleg")),
      TProtokoll(Schemas::protokoll(), QStringLiteral("TProtokoll")) {
    // The header follows the invoice-book row: its key fields.
    TBeleg.setIndexFields({QStringLiteral("Typ"), QStringLiteral("BelNr")});
}

void RechnungsbuchStore::open(const QString &folder) {
    for (Table *t : {&TRechbuch, &TBeleg, &TProtokoll}) {
        t->setFolder(folder);
        t->open();
    }
}

void RechnungsbuchStore::close() {
    for (Table *t : {&TBeleg, &TRechbuch, &TProtokoll})
        t->close();
}

} // namespace ledra
