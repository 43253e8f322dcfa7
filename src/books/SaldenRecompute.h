#pragma once
namespace ledra {

class BooksSession;

// Rebuilds every account's running totals from its opening balance and every booking of the
// entry batch and of the open year's journal, and drops assignments to BWA and balance-sheet
// lines that do not exist. All accounts are written in one transaction: a run that stops
// (a booking with tax whose tax account is missing) leaves the totals as they were.
// Returns how many bookings were skipped (each reported) because an account of theirs is
// missing. Throws SilentAbort after its message when it cannot run or stops.
int recomputeSalden(BooksSession &fb);
// The same without the entry batch: the balances of the journal alone, which are the closing
// balances of a year (the batch may already hold bookings of the next year).
int recomputeSalden(BooksSession &fb, bool includeBatch);

} // namespace ledra
