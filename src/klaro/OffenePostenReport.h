#pragma once
// The open-items list as a report: the list exactly as the manager window shows it (year,
// filters, order), each row marked as receivable "F" or payable "V", and the totals of the
// receivables, the payables and the tax contained in the receivables.

#include "reportengine/Report.h"
#include "store/Money.h"

#include <QString>
#include <memory>

namespace ledra {

class OffenePostenStore;

namespace reports {
class SqlSource;
}

class OffenePostenReport {
public:
    explicit OffenePostenReport(const OffenePostenStore &daten);
    ~OffenePostenReport();

    ledra::report::Report Ausdruck;

    // "V" when the credit account is a supplier's or customer's, else "F" when the debit
    // account is, else a blank.
    static QString art(int sollArt, int habenArt);

    // The totals of the last run; DM and euro rows are added as they are.
    Money sumForderungen, sumVerbindlichkeiten, sumSteuer;

private:
    std::unique_ptr<reports::SqlSource> m_source;
};

} // namespace ledra
