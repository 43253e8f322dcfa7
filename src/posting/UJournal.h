#pragma once
// The reversal dialog "Buchungssatz stornieren" over the journal of the open year, and the
// other additions to the entry: splitting and booking templates.

#include <QtGlobal>

class TFBuchhaltung;

class TFJournal {
public:
    explicit TFJournal(TFBuchhaltung &fb) : fb_(fb) {}
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
    TFBuchhaltung &fb_;
    bool visible_ = false;
};

// F4: puts the splitting account (created when missing) into the focused account field.
void Splitting1Click(TFBuchhaltung &fb);
// The number of the account named "SPLITTING" (any case), 0 when there is none.
qint64 splittingAccountNumber(TFBuchhaltung &fb);

// Templates ("Favoriten").
void BuchTextClick(TFBuchhaltung &fb);
void FavorithinzufuegenClick(TFBuchhaltung &fb);
void FavoritloeschenClick(TFBuchhaltung &fb);
// Fills the drop-down of the booking text from the templates, in table order.
void refillBookingTexts(TFBuchhaltung &fb);
