#pragma once
// The hand-off to the tax adviser: the journal bookings of a range as one booking batch in
// the DATEV format ("EXTF", header version 700, category 21 "Buchungsstapel"), the file the
// adviser's program imports. Windows-1252, CRLF, ";" separated, texts in double quotes: a
// header record, the column-name record, one record per booking with all 125 columns.
//
// The standard charts treat revenue and expense accounts with a VAT rate as automatic
// accounts: the adviser's program derives the tax from the gross amount. So a booking at
// its account's own rate carries no tax key; one at another rate carries the key of that
// rate and side; one the format cannot express here (the reverse charge of §13b, a rate
// without a key) goes out without a key and is named in the warnings, never changed.

#include "store/Money.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace ledra {

class BooksSession;

struct DatevOptions {
    qint64 berater = 0; // adviser number, 1001 to 9999999
    qint64 mandant = 0; // client number, 1 to 99999
    QDate von, bis;     // the range of booking dates, both included
    bool festschreiben = false;
    int sachkontenlaenge = 4; // digits of a general-ledger account
    QDate wjBeginn;           // start of the fiscal year (the booking period's first day)
    QDateTime erzeugt;        // creation time written into the header
};

struct DatevResult {
    int bookings = 0;
    Money umsatz; // sum of the turnover column, in euro
    QStringList warnings;
};

// The limits of the format's header fields.
inline constexpr qint64 kDatevBeraterMin = 1001, kDatevBeraterMax = 9999999;
inline constexpr qint64 kDatevMandantMin = 1, kDatevMandantMax = 99999;
inline constexpr int kDatevColumns = 125;

// The names of the 125 columns of a booking record, in order.
const QStringList &datevColumnNames();

// `text` in Windows-1252; nullopt when a character has no place there (or is a control
// character, which would break the record).
std::optional<QByteArray> toWindows1252(const QString &text);

// The DATEV tax key of a booking at `satz` percent: 2/3 output tax 7/19 %, 8/9 input tax
// 7/19 %; 0 for a rate without a key.
int datevTaxKey(double satz, bool outputTax);

// The options for the open year of `books`: adviser and client number and account length
// from the year settings (section [DATEV]), the booking period as range and fiscal-year
// start, now as creation time. `von`/`bis` replace the range where given.
DatevOptions datevOptionsFor(const BooksSession &books, std::optional<QDate> von = {},
                             std::optional<QDate> bis = {});

// The booking batch as bytes of the file. A refusal (a number out of range, a range outside
// the booking period, a text Windows-1252 cannot hold, an account longer than the account
// length) throws EngineError with its German message. `progress(done, total)` hears of each
// booking.
QByteArray buildDatevBuchungsstapel(BooksSession &books, const DatevOptions &options,
                                    DatevResult &result,
                                    const std::function<void(int, int)> &progress = {});

// Builds the batch and writes it to `path` in one step: a refusal or a failed write leaves
// no file and no part of one (an existing file stays as it was). Refuses a path that would
// replace a file of the books.
DatevResult writeDatevExport(BooksSession &books, const DatevOptions &options, const QString &path,
                             const std::function<void(int, int)> &progress = {});

// The message when the export is done, naming the count and the warnings.
QString datevDoneMessage(const DatevResult &result, const QString &path);

} // namespace ledra
