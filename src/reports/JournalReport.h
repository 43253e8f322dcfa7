#pragma once
// The journal listing JournalReport: the bookings of the filter dialog's range line by line, in
// landscape, without sums; and its launcher printJournal, which can delete the listed
// bookings afterwards when the sort group was dropped onto the option "Netto".

#include "RecordSources.h"
#include "ReportViewer.h"
#include "reportengine/Report.h"

#include <memory>
namespace ledra {

class BooksSession;

namespace reports {

class EingrenzungRules;

class JournalReport {
public:
    // Reads the open journal query of the dialog; amount kind and sort caption from the
    // dialog as it was confirmed.
    JournalReport(BooksSession &fb, EingrenzungRules &filter);
    ~JournalReport();

    ledra::report::Report Ausdruck;

    // The rate column of one journal row: its Steuersatz, but "0" for a payment received
    // from a customer and for the reversal of such a payment.
    static QString rateText(const ledra::report::Record &row);

private:
    BooksSession &m_fb;
    std::unique_ptr<ledra::report::RecordSource> m_source;
};

// Main window: button SBJournal, menu "Journal drucken...".
void printJournal(ReportContext &ctx);

// Deletes the journal records the dialog's query lists (rows no longer in the journal are
// skipped), all in one transaction, then recomputes every account balance from the
// journal. Returns the number of records deleted.
int deleteListedBookings(BooksSession &fb, EingrenzungRules &filter);

} // namespace reports

} // namespace ledra
