#pragma once
// The batch listing StapelReport: the bookings entered but not yet transferred into the
// journal, in the batch's current order, ending with their number. With the open-items
// module loaded, a booking that creates or settles an open item carries a note line.

#include "RecordSources.h"
#include "ReportViewer.h"
#include "reportengine/Report.h"

#include <memory>
namespace ledra {

class BooksSession;

namespace reports {

class StapelReport {
public:
    explicit StapelReport(BooksSession &fb);
    ~StapelReport();

    ledra::report::Report Ausdruck;

private:
    BooksSession &m_fb;
    std::unique_ptr<TableSource> m_source;
    QString m_note; // note of the open-items module for the current row
    // What did not fit of the current row's account names, for the line under it.
    QString m_sollRest, m_habenRest;
};

// Main window: button SBDruck ("Buchungsstapel drucken").
void printStapel(ReportContext &ctx);

} // namespace reports

} // namespace ledra
