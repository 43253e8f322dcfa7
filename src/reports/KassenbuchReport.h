#pragma once
// The cash book KassenbuchReport: the account sheet of a cash account (type 5), with receipts,
// payments and the cash balance after every line. Sorted by date, the balance starts from the
// opening value plus everything booked on the account from the start of the booking period to
// the day before the range; in any other order a running balance means nothing and the column
// shows "###".

#include "RecordSources.h"
#include "KontenblattReport.h"
#include "reportengine/Report.h"
#include "store/Money.h"
#include "store/Query.h"

#include <memory>
#include <optional>

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

    Money receipts() const { return periodIn_; }
    Money payments() const { return periodOut_; }
    // Running balance after the last line printed.
    Money balance() const { return runDebit_ - runCredit_; }

private:
    void startRun();
    bool sortedByDate() const;
    // Opening value plus the converted bookings on one side before the range.
    Money sumBefore(const QString &side, Money opening);
    QString balanceText(Money balance) const;

    BooksSession &fb_;
    EingrenzungRules &filter_;
    SheetAccount account_;
    std::unique_ptr<SqlSource> source_;
    Money runDebit_, runCredit_, periodIn_, periodOut_;
    // The current line: receipt and payment as stored, and converted for the sums.
    std::optional<Money> in_, out_;
    Money inSum_, outSum_;
};

} // namespace reports
