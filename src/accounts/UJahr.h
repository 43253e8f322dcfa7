#pragma once
// The year operations of the settings page: year change and later carry-forward, earlier
// years (open, return, delete) and the switch of the VAT basis. Each throws SilentAbort
// after its own message when it stops.

#include <QDate>
#include <QString>

class TFBuchhaltung;

// "Jahreswechsel": archives the year into its year folder and carries the balances forward.
void JWechselClick(TFBuchhaltung &fb, QDate today = QDate::currentDate());
// "Kontensalden übertragen": carries an earlier year's closing balances into the next year.
void KSaldouebertrClick(TFBuchhaltung &fb);
// "Alte Buchungsdaten" / "Aktuelle Buchungsdaten".
void AltBuchClick(TFBuchhaltung &fb);
// "Buchungsjahr löschen".
void DelJahrClick(TFBuchhaltung &fb);
// "Prüfen": rewrites the due tax of the open journal for the chosen VAT basis.
void VerstPruefClick(TFBuchhaltung &fb);
// The year folder for a typed year, or an empty string when the text cannot name one (too
// short, or characters that would leave the base data folder).
QString yearFolderFor(const TFBuchhaltung &fb, const QString &typed);
