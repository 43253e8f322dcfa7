#pragma once
// The page "Buchen": the entry of one batch row from its prefill to its storing, the
// validation and tax computation, the balance handlers of the batch table and the transfer
// of the batch into the journal. The entry panel's focus is modelled here, so that the rules
// run the same with a window, from the command line and in tests.

#include "books/Balances.h"
#include "books/KontoArt.h"
#include "books/Steuer.h"
#include "store/Money.h"

#include <QDate>
#include <QString>
#include <functional>
#include <optional>
namespace ledra {

class BooksSession;
class RechnungsbuchStore;
class Table;
class Ui;

class BuchungRules {
public:
    explicit BuchungRules(BooksSession &fb);
    BooksSession &books() { return m_fb; }

    // --- open-items takeover state shared with the plug-in ---
    bool opTakeover = false;
    Money openAmount;
    bool openAmountEuro = true;
    double takenRate = 0;
    bool settlesReceivable = false;

    // --- entry state ---
    bool grossMode = true; // radio button "B&Rutto" ticked
    bool mwstEnabled = true;
    bool timerRunning = false; // the 200 ms one-shot timer that refocuses "Haben"
    std::function<void()>
        startTimer; // the window starts a real timer; null: caller runs refocusHaben
    std::function<void()> closeReversalDialog;
    // The invoicing program's tables while it is installed: the transfer enters payments of
    // its invoices into its invoice book.
    RechnungsbuchStore *rechDaten = nullptr;

    // --- focus model of the entry panel ---
    // Control names: BDatum, BelNr, Soll, Haben, BuchText, SollSaldo, Betrag, Brutto, Netto,
    // Mwst, UstID, Abbruch, HabenSaldo, OPDatum.
    const QString &focused() const { return m_focused; }
    // Moves the focus as a person would: the exit handler of the control being left runs
    // first (and may refuse, leaving the focus where it put it), then the enter handler.
    bool moveFocus(const QString &control);
    // Sets the focus without running handlers (what a rule does when it returns the focus).
    void setFocus(const QString &control);

    // --- typing into an account drop-down ---
    // A typed character; returns false when the key is not taken (ignored).
    bool accountKey(const QString &side, QChar key);
    void accountBackspace(const QString &side);
    void accountEscape(const QString &side);
    QString searchText(const QString &side) const;
    // Drops a half-typed search, when a rule fills the field itself.
    void clearSearch(const QString &side);
    // Drops the half-typed text of both sides (the row it was typed for has ended).
    void dropSearches();

    // --- handlers ---
    void newRow();
    void cancelRow();
    void chooseGross() { grossMode = true; }
    void chooseNet() { grossMode = false; }
    void leaveBelegdatum();
    void stepBelegdatum(int daysDelta);
    void leaveBelegnummer();
    void leaveSoll();
    void leaveHaben();
    void enterBetrag();
    void leaveBetrag();
    void refocusHaben();
    void transferStapel();
    // Deletes the current batch row as the grid does (after its own confirmation).
    void deleteRow();

    // --- open items, while the plug-in is loaded ---
    // The command "&Offene Posten" (F8): in browse state the manager window and the takeover
    // of the item chosen there; while a row is entered, that row's "OP-Detail".
    void openItemsCommand();
    // The manager window closed with `result` (1 after "Übernahme", 2 cancelled): with 1 a new
    // payment row takes the chosen open item over, and the user enters the bank or cash
    // account and may lower the amount.
    void takeOverOpenItem(int result);
    // A double click in the batch grid: the current row's "OP-Detail".
    void showOpenItemDetail();

    void beforeStapelInsert(Table &t);
    void onStapelNewRecord(Table &t);
    void afterStapelInsert(Table &t);
    void beforeStapelPost(Table &t);
    void afterStapelPost(Table &t);
    void beforeStapelEdit(Table &t);
    void beforeStapelDelete(Table &t);
    void afterStapelCancel(Table &t);
    void onStapelStateChange();

    // The amount as the grid shows it: "1.234,56 €" / "1.234,56 DM", or for editing "1234.56".
    static QString amountText(const QVariant &units, bool euro, bool forEditing);
    // Balance of the splitting account "SPLITTING", 0 when there is none.
    Money splittingBalance() const;

    // Amount field text bound to Brutto or Netto by the mode.
    void setAmount(Money m);
    void clearAmount();

private:
    // A booking that leaves a cash account below zero is stored, with a warning: a cash box
    // cannot hold less than nothing, and a negative cash balance is a finding in any audit.
    void warnNegativeCash(const Table &t);
    // The type of the entry's debit or credit account.
    static KontoArt entryArt(const Table &t, const QString &field);
    // The confirmed transfer: every batch row into the journal, in one transaction.
    void moveStapelIntoJournal();
    // The checks and computations of storing a batch row, in their order.
    void requireDifferentAccounts(Table &t);
    double requireRate(Table &t);
    Money requireAmount(Table &t);
    // Net, gross and tax from the entered amount and the rate, written into the row.
    Buchungsbetraege storeAmounts(Table &t, Money amount, double rate);
    // Asks before an unusual booking (revenue on the debit side, a rate other than the
    // accounts'); SilentAbort when the answer is no.
    void confirmUnusualBooking(Table &t, bool reversedWithTax, double rate);
    void endSearch(const QString &side);
    void returnFocus(const QString &side);
    void deriveCreditRate();
    bool journalHasVoucher(qint64 belegnummer) const;
    qint64 splittingAccount() const;
    // The row's effect on the balances, written in the transaction that stores, changes or
    // deletes the row (the table's joint write), so that balances never hold a row the batch
    // does not, nor miss one it does.
    void writeRowBalances(Table &t);
    // Whether the accounts of a row allow its balances to be written (the messages of a
    // missing account); the row's amounts when they do.
    std::optional<BookingAmounts> balancesOf(Table &t);
    // Whether the row being stored opens (true) or settles (false) an open item; nothing when
    // it does neither.
    std::optional<bool> stapelRoleOf(Table &t) const;
    // The row's role in the plug-in's settlement batch, written in the row's transaction.
    void writeStapelRole(Table &t);
    // After a taken-over payment was stored: what it left open, and the discount booking for
    // it.
    void settleRest(Table &t);
    // Fills and stores the discount booking in the row just appended.
    void fillDiscountRow(Table &t);

    BooksSession &m_fb;
    QString m_focused = QStringLiteral("BDatum");
    QString m_typed[2];
    bool m_postWasInsert = false;
    // The stored row's amounts, taken out of the balances when its change or deletion is
    // written; the amounts of the row being stored, added then.
    std::optional<BookingAmounts> m_balanceRemove, m_balanceAdd;
    std::optional<bool> m_stapelRole;
    // The discount booking is entered until it is stored or cancelled.
    bool m_discountPending = false;
    QDate m_prevDate;
    QVariant m_prevSoll, m_prevHaben, m_prevText;
    qint64 m_lastBelegnr = 0;
    qint64 m_nextBelegnr = 1;
};

} // namespace ledra
