#pragma once
// The cash book KassenbuchReport: the account sheet of a cash account (type 5), with receipts,
// payments and the cash balance after every line. Sorted by date, the balance starts from the
// opening value plus everything booked on the account from the start of the booking period to
// the day before the range; in any other order a running balance means nothing and the column
// shows "###".

#include "KontenblattReport.h"
#include "RecordSources.h"
#include "reportengine/Report.h"
#include "store/Money.h"
#include "store/Query.h"

#include <memory>
#include <optional>
namespace ledra {

class BooksSession;

namespace reports {

class EingrenzungRules;

class KassenbuchReport {
public:
    KassenbuchReport(BooksSession &fb, EingrenzungRules &filter);
    ~KassenbuchReport();

    void setAccount(const SheetAccount &account);

    ledra::report::Report Ausdruck;

    // The account's bookings before the range: five numbered lines (0 to 4, as the store's
    // queries count them); the last two are filled at run time, with the dates and the
    // account number as bound values.
    Query QVortrag;

    Money receipts() const { return m_periodIn; }
    Money payments() const { return m_periodOut; }
    // Running balance after the last line printed.
    Money balance() const { return m_runDebit - m_runCredit; }

private:
    void startRun();
    bool sortedByDate() const;
    // Opening value plus the converted bookings on one side before the range.
    Money sumBefore(const QString &side, Money opening);
    QString balanceText(Money balance) const;

    BooksSession &m_fb;
    EingrenzungRules &m_filter;
    SheetAccount m_account;
    std::unique_ptr<SqlSource> m_source;
    Money m_runDebit, m_runCredit, m_periodIn, m_periodOut;
    // The current line: receipt and payment as stored, and converted for the sums.
    std::optional<Money> m_in, m_out;
    Money m_inSum, m_outSum;
};

} // namespace reports

} // namespace ledra
