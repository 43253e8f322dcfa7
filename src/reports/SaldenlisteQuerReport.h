#pragma once
// The extended trial balance SaldenlisteQuerReport (landscape): per account the first booking date,
// the carried-forward balance, the debit and credit turnovers of the range and of the year and the
// balances, subtotalled per account class; accounts untouched this year and without opening values
// are left out. And its launcher printSaldenlisteQuer.

#include "PrepareEvaluation.h"
#include "RecordSources.h"
#include "ReportViewer.h"
#include "reportengine/Report.h"

#include <memory>
namespace ledra {

class BooksSession;

namespace reports {

class EingrenzungRules;

class SaldenlisteQuerReport {
public:
    SaldenlisteQuerReport(BooksSession &fb, EingrenzungRules &filter);
    ~SaldenlisteQuerReport();

    ledra::report::Report Ausdruck;

    // Whether the account row is listed: it has a first booking date this year or an
    // opening debit or credit value above 0.
    static bool listed(const ledra::report::Record &row);

private:
    std::unique_ptr<PreparedAccountsSource> m_source;
    QString m_klasse;
};

// Menu "Saldenlisten" -> "Saldenliste quer...".
void printSaldenlisteQuer(ReportContext &ctx);

} // namespace reports

} // namespace ledra
