#pragma once
// The boundary between the bookkeeping program and its open-items plug-in. Both sides
// include this header only; the program calls these operations only while the plug-in is
// loaded. Values cross the boundary as typed records, never as variant lists, so that a
// change of one side's expectations fails to compile instead of failing at run time.

#include "store/Money.h"

#include <QString>
#include <QtPlugin>
#include <optional>

class QWidget;

namespace ledra {

class Ui;

// An open item handed over for settlement: what the new batch row of the payment takes over,
// in the field order of the booking row. The open item's account stands on the opposite
// side of the invoice (a customer's item on the credit side, a supplier's on the debit
// side); the other side stays empty for the bank or cash account.
struct OffenerPostenAusgleich {
    QString buchungstext;
    std::optional<qint64> soll;  // a supplier's item: its account
    std::optional<qint64> haben; // a customer's item: its account
    Money netto;                 // the open amount
    Money brutto;                // the open amount
    Money steuer;                // a customer's item: the tax share of the open amount
    double steuersatz = 0;
    qint64 belegnummer = 0;
    bool euro = true;      // the open item's currency
    qint64 autonummer = 0; // the open item's number
};

class OffenePostenModule {
public:
    virtual ~OffenePostenModule() = default;

    // The owner of the manager window (null without a window system) and the program's way
    // of talking to the user. May be called again once the main window exists; the manager
    // window is made when it is first shown.
    virtual void create(QWidget *owner, Ui &ui) = 0;
    // Opens the module's tables in the base data folder; the currency symbol of the year.
    virtual void init(const QString &dataFolder, const QString &currencySymbol) = 0;
    // The invoicing program's customer data, when it is installed.
    virtual void setCustomerFolder(const QString &folder) = 0;
    // Shows the manager window modally; returns how it was closed.
    virtual int showWindow() = 0;
    // The open item under the list's cursor, or nothing when neither of its accounts is a
    // customer or supplier account.
    virtual std::optional<OffenerPostenAusgleich> takeForSettlement() = 0;
    // Shows what a batch row does to its open item.
    virtual void showDetail(int batchNumber) = 0;
    // Notes a batch row as opening (true) or settling an open item.
    virtual void addStapel(int batchNumber, bool opens) = 0;
    virtual void removeStapel(int batchNumber) = 0;
    // "Neu" or "Ausgleich" (or empty) for a batch row, as the batch listing prints it.
    virtual QString stapelRole(int batchNumber) = 0;
    // A batch row reached the journal: its open item is opened or settled.
    virtual void book(int batchNumber, qint64 grossUnits, bool euro, const QString &voucher) = 0;
    // The transfer ended: the settlement batch is emptied.
    virtual void finishBooking() = 0;
    // The highest open-item number in use.
    virtual int lastNumber() = 0;
    // Closes the module's tables (before the chart of accounts is replaced).
    virtual void closeAll() = 0;
    // Opens the module's tables again.
    virtual void reopenData() = 0;
};

} // namespace ledra

#define OffenePostenModule_iid "de.ledra.OffenePostenModule/2.0"
Q_DECLARE_INTERFACE(ledra::OffenePostenModule, OffenePostenModule_iid)
