#pragma once
// The reversal dialog "Buchungssatz stornieren" over the journal of the open year, and the
// other additions to the entry: splitting and booking templates.

#include <QtGlobal>

class BooksSession;
class BookingEntry;

class TFJournal {
public:
    TFJournal(BooksSession &fb, BookingEntry &entry) : fb_(fb), entry_(entry) {}
    bool visible() const { return visible_; }

    // Shown: the journal in voucher order; hidden: back in booking-number order.
    void FormShow();
    void FormHide();
    // Reverses the journal row with this booking number into a new batch row. Returns true
    // when the row was stored; false when it was cancelled at the warning or refused by the
    // entry's checks (it then stays in the entry form).
    bool stornieren(qint64 autonummer);
    bool bbOKClick();          // reverses the current journal row and closes the dialog
    bool DBGrid1DblClick();    // reverses the current journal row, the dialog stays open
    void bbCancelClick() { FormHide(); }
    // Ctrl+L: deletes the current journal row after asking, then brings the balances in line.
    void deleteCurrentRow();
    void FormMouseWheelDown();
    void FormMouseWheelUp();

private:
    BooksSession &fb_;
    BookingEntry &entry_;
    bool visible_ = false;
};

// F4: puts the splitting account (created when missing) into the focused account field.
void Splitting1Click(BooksSession &fb, BookingEntry &entry);
// The number of the account named "SPLITTING" (any case), 0 when there is none.
qint64 splittingAccountNumber(BooksSession &fb);

// Templates ("Favoriten").
void BuchTextClick(BooksSession &fb, BookingEntry &entry);
void FavorithinzufuegenClick(BooksSession &fb);
void FavoritloeschenClick(BooksSession &fb);

