#pragma once
// The reversal dialog "Buchungssatz reverseBooking" over the journal of the open year, and the
// other additions to the entry: splitting and booking templates.

#include <QtGlobal>
namespace ledra {

class BooksSession;
class BuchungRules;

class StornoRules {
public:
    StornoRules(BooksSession &fb, BuchungRules &entry) : m_fb(fb), m_entry(entry) {}
    bool visible() const { return m_visible; }

    // Shown: the journal in voucher order; hidden: back in booking-number order.
    void open();
    void hide();
    // Reverses the journal row with this booking number into a new batch row. Returns true
    // when the row was stored; false when it was cancelled at the warning or refused by the
    // entry's checks (it then stays in the entry form).
    bool reverseBooking(qint64 autonummer);
    bool reverseCurrentAndClose(); // reverses the current journal row and closes the dialog
    bool reverseCurrent();         // reverses the current journal row, the dialog stays open
    void cancel() { hide(); }
    // Ctrl+L: deletes the current journal row after asking, then brings the balances in line.
    void deleteCurrentRow();
    void nextRow();
    void priorRow();

private:
    BooksSession &m_fb;
    BuchungRules &m_entry;
    bool m_visible = false;
};

// F4: puts the splitting account (created when missing) into the focused account field.
void putSplittingAccount(BooksSession &fb, BuchungRules &entry);
// The number of the account named "SPLITTING" (any case), 0 when there is none.
qint64 splittingAccountNumber(BooksSession &fb);

// Templates ("Favoriten").
void applyTemplate(BooksSession &fb, BuchungRules &entry);
// "&Favorit hinzufügen" takes the current row: only a stored row of a batch in browse state.
bool canAddTemplate(const BooksSession &fb);
void addTemplate(BooksSession &fb);
void deleteTemplate(BooksSession &fb);

} // namespace ledra
