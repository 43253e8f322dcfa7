#pragma once
// The open-items list print as CSV for spreadsheets: ";" between the cells, UTF-8 with a
// byte order mark, texts quoted, amounts with a decimal comma and their unit in a column of
// its own, and the three totals after the rows. A text that a spreadsheet would take for a
// formula is neutralised with a leading apostrophe.

#include <QString>

namespace ledra {

class OffenePostenStore;

// The list as the store holds it now. Written beside the file and renamed into place;
// returns an error text, empty when written.
QString writeOffenePostenCsv(const OffenePostenStore &daten, const QString &fileName);

// One text cell: quoted, inner quotes doubled, formula starts neutralised.
QString csvText(const QString &text);

} // namespace ledra
