#include "URechDaten.h"

TFRechDaten::TFRechDaten()
    : TRechbuch(Schemas::rechbuch(), QStringLiteral("TRechbuch")), TBeleg(Schemas::beleg(), QStringLiteral("TBeleg")),
      TProtokoll(Schemas::protokoll(), QStringLiteral("TProtokoll"))
{
    // The header follows the invoice-book row: its key fields.
    TBeleg.setIndexFields({QStringLiteral("Typ"), QStringLiteral("BelNr")});
}

void TFRechDaten::open(const QString &folder)
{
    for (Table *t : {&TRechbuch, &TBeleg, &TProtokoll}) {
        t->setFolder(folder);
        t->open();
    }
}

void TFRechDaten::close()
{
    for (Table *t : {&TBeleg, &TRechbuch, &TProtokoll}) t->close();
}
