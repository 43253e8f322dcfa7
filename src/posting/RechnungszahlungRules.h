#pragma once
// Payments of the invoicing program's invoices in the batch: recognised by their text and
// voucher number, checked against the invoice's open amount before a transfer, and entered
// into the invoice book once their booking has reached the journal (in the transfer's own
// transaction, so that a payment is in the invoice book exactly when its booking is in the
// journal).

#include "books/KontoArt.h"
#include "invoicebook/RechnungsbuchStore.h"
#include "store/Money.h"

#include <QDate>
#include <QString>
#include <optional>
#include <vector>
namespace ledra {

class BooksSession;
class SqlConnection;

// A batch row as the invoice-book link reads it.
struct Zahlungszeile {
    qint64 autonummer = 0;
    qint64 belegnummer = 0;
    QDate belegdatum;
    QString buchungstext;
    Money brutto;
    bool euro = true;
    std::optional<KontoArt> sollArt, habenArt;
};

// What a payment row means for its invoice.
struct Rechnungszahlung {
    Rechnung rechnung;
    bool euro = true; // the payment row's currency
    Money zahlung;    // the payment, in the invoice's currency
    Money skonto;     // the following discount row, in the invoice's currency (0 without one)
    Money gesamt;     // payment and discount as booked, in the row's currency
    Money offen;      // the invoice's open amount, in the row's currency

    // An amount of the invoice's currency as the row's currency shows it: "1.234,56 €".
    QString betragText(Money inInvoiceCurrency) const;
    // The lines the payment adds to the invoice's history.
    QString infoLines(const QDate &bezahlt) const;
    // The message when payment and discount differ from the open amount; empty when they
    // agree to the cent.
    QString mismatchMessage(qint64 belegnummer) const;
};

class RechnungszahlungRules {
public:
    RechnungszahlungRules(BooksSession &books, RechnungsbuchStore &store);

    RechnungsbuchStore &store() { return m_store; }
    // The batch rows in booking-number order, read once for a transfer.
    const std::vector<Zahlungszeile> &rows() const { return m_rows; }

    // The payment a batch row (given by its position in rows()) makes on an invoice, or
    // nothing when it is none. The invoice is searched on the connection when given (inside
    // a transfer's transaction), otherwise with the invoice book's own cursor.
    std::optional<Rechnungszahlung> evaluate(size_t index);
    std::optional<Rechnungszahlung> evaluateIn(size_t index, SqlConnection connection);

    // Check mode for every row: the error with OK and Cancel for a payment that differs
    // from its open amount (Cancel ends the transfer: SilentAbort). Whether any row pays an
    // invoice.
    bool checkStapel();
    // Post mode for the row with this booking number, inside the transfer's transaction on
    // a connection with the store's paymentFiles() attached.
    void post(qint64 autonummer, SqlConnection connection);
    // Whether the row is a payment by its text and accounts; post() does nothing for any
    // other row.
    bool isPayment(qint64 autonummer) const;

private:
    std::optional<Rechnungszahlung> payment(size_t index, const std::optional<Rechnung> &found);
    std::optional<size_t> indexOf(qint64 autonummer) const;

    BooksSession &m_books;
    RechnungsbuchStore &m_store;
    std::vector<Zahlungszeile> m_rows;
    // The invoice book's keys as the check read them, and as the transfer's transaction
    // reads them: each read once for all rows.
    std::optional<Rechnungsverzeichnis> m_checkIndex, m_postIndex;
};

// The invoice type a booking text names: its first character, "L" (a supplier's invoice)
// as the invoicing program's "N". Null for an empty text.
QChar rechnungsTyp(const QString &buchungstext);

// Whether the row's text and accounts make it a payment: "R:" received on a money account
// or credited to a customer, "L:" paid from a money account or debited to a supplier.
bool isRechnungszahlung(const Zahlungszeile &row);

} // namespace ledra
