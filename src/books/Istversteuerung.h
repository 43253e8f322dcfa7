#pragma once
// Cash-basis VAT ("Ist-Versteuerung"): the VAT of a sale falls due with its payment. A payment
// or a refund that is not taken over from an open item names no invoice of its own; it takes
// the rate of the sale booked under the same voucher number, so that a paid 7 % invoice is
// declared at 7 % and a refunded credit note takes back the VAT it reduced.

#include <QString>

#include <optional>
namespace ledra {

class BooksSession;

// The rate of the sale booked under the voucher number: an invoice (customer debited,
// revenue or another balance account credited) or a credit note (revenue debited, customer
// credited). Rows still in the batch come before the journal, the latest first. Empty when
// the voucher has none.
std::optional<double> saleRateOfVoucher(BooksSession &fb, qint64 belegnummer);

// A rate as the messages name it: "19", "7", "5,5".
QString rateText(double percent);

} // namespace ledra
