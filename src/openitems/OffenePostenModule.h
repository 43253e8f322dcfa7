#pragma once
// The boundary between the bookkeeping program and its open-items plug-in. Both sides
// include this header only; the program calls these operations only while the plug-in is
// loaded. Values cross the boundary as typed records, never as variant lists, so that a
// change of one side's expectations fails to compile instead of failing at run time.
//
// Nothing touches the open items while bookings wait in the batch: each batch row's role is
// noted in the settlement batch (Stapel.db) and applied to OP.db when the row reaches the
// journal. Both changes belong to the program's own transactions: the module names its two
// files, the program attaches them to the connection of the row's store or of the transfer
// under the aliases below, and the module writes through that connection. So a crash leaves
// the batch, the journal and both files of the module in agreement.

#include "store/Money.h"
#include "store/SqlConnection.h"

#include <QDate>
#include <QString>
#include <QStringList>
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

// The module's two files, attached by the program under stapelAlias() and opAlias(); empty
// paths while the module has no data.
struct OffenePostenDateien {
    QString stapel, op;
};

class OffenePostenModule {
public:
    virtual ~OffenePostenModule() = default;

    static QString stapelAlias() { return QStringLiteral("opstapel"); }
    static QString opAlias() { return QStringLiteral("opposten"); }

    // The owner of the manager window (null without a window system) and the program's way
    // of talking to the user. May be called again once the main window exists; the manager
    // window is made when it is first shown.
    virtual void create(QWidget *owner, Ui &ui) = 0;
    // Opens the module's tables in the base data folder; the currency symbol of the year.
    virtual void init(const QString &dataFolder, const QString &currencySymbol) = 0;
    // The invoicing program's customer data, when it is installed.
    virtual void setCustomerFolder(const QString &folder) = 0;
    // Shows the manager window modally; returns how it was closed: 1 after "Übernahme",
    // 2 otherwise.
    virtual int showWindow() = 0;
    // Puts the list's cursor on the open item with this number, as a user picks it in the
    // manager window (the list shows every open item of the present year); false when the
    // list does not hold it.
    virtual bool selectForSettlement(qint64 number) = 0;
    // The open item under the list's cursor, or nothing when neither of its accounts is a
    // customer or supplier account. Either way the item becomes the one that the next
    // settling batch row settles.
    virtual std::optional<OffenerPostenAusgleich> takeForSettlement() = 0;
    // Whether a batch row already settles the open item with this number.
    virtual bool settledInStapel(qint64 number) = 0;
    // Shows what a batch row does to its open item, and lets the user change it ("OP-Detail").
    virtual void showDetail(int batchNumber) = 0;

    virtual OffenePostenDateien files() = 0;
    // Notes a batch row as opening (true) or settling the open item last handed over; inside
    // the transaction that stores the row, on a connection with files() attached.
    virtual void addStapel(SqlConnection connection, int batchNumber, bool opens) = 0;
    // Forgets a batch row's role; inside the transaction that deletes the row.
    virtual void removeStapel(SqlConnection connection, int batchNumber) = 0;
    // "Buchung erzeugt offenen Posten", "Buchung gleicht offenen Posten aus" or empty.
    virtual QString stapelRole(int batchNumber) = 0;
    // The payment target that the open item opened by a batch row receives.
    virtual QDate paymentTarget(int batchNumber) = 0;
    // Sets it; false when the row opens no open item (nothing is stored then).
    virtual bool setPaymentTarget(int batchNumber, const QDate &date) = 0;

    // A transfer begins, inside its transaction on a connection with files() attached: the
    // module may read the settlement batch once for all the rows that book() then applies.
    // endBooking() follows whatever the outcome, before the connection goes; the module
    // forgets then what it read.
    virtual void beginBooking(SqlConnection connection) { (void)connection; }
    virtual void endBooking() {}
    // A batch row reaches the journal: its open item is opened or settled, inside the
    // transfer's transaction on a connection with files() attached. Never throws: what
    // cannot be applied comes back as lines for the error list.
    virtual QStringList book(SqlConnection connection, int batchNumber, qint64 grossUnits,
                             bool euro, const QString &voucher) = 0;
    // Every row of the batch reached the journal: the settlement batch is emptied, in the
    // same transaction.
    virtual void finishBooking(SqlConnection connection) = 0;
    // After the transfer's commit: the lines of its rows go into the error list, which is
    // shown when the whole batch was transferred.
    virtual void bookingCommitted(const QStringList &errors, bool complete) = 0;
    // The highest open-item number in use.
    virtual int lastNumber() = 0;
    // Closes the module's tables (before the chart of accounts is replaced).
    virtual void closeAll() = 0;
    // Opens the module's tables again.
    virtual void reopenData() = 0;
};

} // namespace ledra

#define OffenePostenModule_iid "de.ledra.OffenePostenModule/3.1"
Q_DECLARE_INTERFACE(ledra::OffenePostenModule, OffenePostenModule_iid)
