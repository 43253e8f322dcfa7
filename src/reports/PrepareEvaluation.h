#pragma once
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
// All accounts are written at once when the run completes. Throws SilentAbort after its
// message when the run cannot start (an edit is pending) or stops (a booking with tax
// whose tax account is missing); the accounts then keep their values. The journal query
// is closed in every case.
bool prepareEvaluation(BooksSession &fb, EingrenzungRules &filter);

} // namespace reports

} // namespace ledra
