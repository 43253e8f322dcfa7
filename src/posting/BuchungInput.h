#pragma once
// What a booking may hold, checked where it comes in: the amount and the rate as a person
// types them into the entry panel, and a line of a booking file, column by column. The file
// is held to the same limits as the panel's fields, so a line is either entered as written or
// refused with its reason; nothing is cut, rounded or taken from the previous row.

#include "store/Money.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>
#include <optional>
namespace ledra {

// The largest amount a booking may carry; sums of many such bookings still fit the money type.
Money maxBuchungsbetrag();

// An amount typed into the amount field or a file: German number, whole cents, within
// maxBuchungsbetrag(). A negative amount passes; storing refuses it with its own message.
struct BetragInput {
    std::optional<Money> betrag;
    QString error; // the message for the person, when betrag is empty
};
BetragInput parseBetrag(const QString &text);
// The same limits for an amount already in a row (a template, a reversal, a typed value).
std::optional<QString> betragError(Money amount);

// A VAT rate in percent, "19", "7", "16,0": refused unless a finite number from 0 to 100.
struct SteuersatzInput {
    std::optional<double> satz;
    QString error;
};
SteuersatzInput parseSteuersatz(const QString &text);
std::optional<QString> steuersatzError(double percent);

// The keys the account drop-downs take while searching: digits, letters, the umlauts and the
// blank, for names of several words ("Wareneingang 7 %"); a search never starts with a blank.
bool isAccountSearchKey(QChar key);

// One line of a booking file:
// Belegdatum;Belegnummer;Soll;Haben;Buchungstext;Betrag;Modus;Mwst[;OP[;Zahlungsziel[;Rest]]]
struct BuchungLine {
    QDate belegdatum;
    QString belegnummer;        // digits, or empty
    QString soll, haben;        // an account number or the start of an account's name
    QString buchungstext;       // as written, at most the field's length
    Money betrag;               // gross or net by the mode
    bool netto = false;         // Modus N
    std::optional<double> mwst; // empty: the rate the accounts give
    // The open item the line's payment is taken over from, as a user picks it in the manager
    // window. Then an empty voucher number, text or amount keeps what the takeover wrote, and
    // one of the accounts may be empty (the open item's).
    std::optional<qint64> op;
    bool betragGiven = true;
    QDate zahlungsziel;     // the payment target of a booking that opens an open item
    bool restOffen = false; // Rest "offen": the discount booking of a rest is deleted again
};

struct BuchungLineInput {
    std::optional<BuchungLine> line;
    QString error; // why the line is refused
};
// The columns of a line already split at ";".
BuchungLineInput parseBuchungColumns(const QStringList &columns,
                                     QDate today = QDate::currentDate());
// The bytes of one line, without its line end: UTF-8 text without control characters.
BuchungLineInput parseBuchungLine(const QByteArray &bytes, QDate today = QDate::currentDate());

} // namespace ledra
