#pragma once
#include "RecordSources.h"
#include "books/KontoArt.h"

#include <functional>
namespace ledra {

// The period balance preparation that the trial balances, the profit-and-loss overview and
// the BWA run before they print: it fills the accounts' DruckSaldo, BewSoll, BewHaben and
// VorSaldo for the range chosen in the filter dialog.

class BooksSession;

namespace reports {

class EingrenzungRules;

// Shows the filter dialog; false when it was cancelled (nothing else happens). Otherwise
// every account gets
//   DruckSaldo = opening balance (only when the range starts with the booking period, by
//                date, and the caption is not "Saldenliste"; else 0) + the bookings of the
//                range, BewSoll / BewHaben = their debit and credit turnovers,
//   VorSaldo   = opening balance, and for "Saldenliste" by date also every booking from the
//                start of the booking period to the day before the range.
// The figures come from one plain pass over the journal up to the range end; the
// narrowing filter of the query (JournalQuery::setFilter, which only the account sheets
// switch on while they print) does not apply. All accounts are written at once, in one
// transaction, when the pass completes; an exception out of the pass (a cancelled
// progress gauge) leaves them as they were. Throws SilentAbort after its
// message when the run cannot start (an edit is pending) or stops (a booking with tax
// whose tax account is missing); the accounts then keep their values. The journal query
// is closed in every case.
// It also leaves the figures up to the end of the range in filter.rangeEnd.
bool prepareEvaluation(BooksSession &fb, EingrenzungRules &filter);

// The accounts table as an evaluation reads it after the preparation. The year figures
// (Saldo, JVZSoll, JVZHaben) are those from the start of the booking period to the end of
// the range, so that an interim evaluation holds no booking dated after it and no row still
// in the batch; for the types `levelAtEnd` names, DruckSaldo is the balance at the range end
// as well. An account the preparation did not see keeps the table's values.
class PreparedAccountsSource : public TableSource {
public:
    PreparedAccountsSource(Table &konten, const EingrenzungRules &filter,
                           QStringList extraFields = {},
                           std::function<bool(std::optional<KontoArt>)> levelAtEnd = {});
    QVariant value(const QString &field) const override;

private:
    const EingrenzungRules &m_filter;
    std::function<bool(std::optional<KontoArt>)> m_levelAtEnd;
};

} // namespace reports

} // namespace ledra
