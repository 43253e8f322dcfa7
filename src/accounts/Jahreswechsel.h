#pragma once
// The year operations of the settings page: year change and later carry-forward, earlier
// years (open, return, delete). Each throws SilentAbort after its own message when it stops.

#include <QDate>
#include <QString>
namespace ledra {

class BooksSession;

// "Jahreswechsel": archives the year into its year folder and carries the balances forward.
void runJahreswechsel(BooksSession &fb, QDate today = QDate::currentDate());
// A year change that stopped midway (the program ended or a step failed) is finished when
// the journal was already emptied and undone when it was not; an archive whose journal is not
// the base journal is left untouched. Returns what the user must be told, empty when no
// change had stopped. Run at every start, before anything can be booked.
QString settleStoppedJahreswechsel(BooksSession &fb, QDate today = QDate::currentDate());
// "Kontensalden übertragen": carries an earlier year's closing balances into the next year.
void carryForwardSalden(BooksSession &fb);
// "Alte Buchungsdaten" / "Aktuelle Buchungsdaten".
void toggleOldYear(BooksSession &fb);
// "Buchungsjahr löschen".
void deleteJahr(BooksSession &fb);
// The year folder for a typed year, or an empty string when the text cannot name one (too
// short, or characters that would leave the base data folder).
QString yearFolderFor(const BooksSession &fb, const QString &typed);

} // namespace ledra
