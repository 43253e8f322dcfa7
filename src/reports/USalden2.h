#pragma once
// The extended trial balance TDSalden2 (landscape): per account the first booking date, the
// carried-forward balance, the debit and credit turnovers of the range and of the year and
// the balances, subtotalled per account class; accounts untouched this year and without
// opening values are left out. And its launcher MSalden2Click.

#include "RecordSources.h"
#include "ReportViewer.h"
#include "reportengine/Report.h"

#include <memory>

class BooksSession;

namespace reports {

class TFEingrenzung;

class TDSalden2 {
public:
    TDSalden2(BooksSession &fb, TFEingrenzung &filter);
    ~TDSalden2();

    ledra::report::Report Ausdruck;

    // Whether the account row is listed: it has a first booking date this year or an
    // opening debit or credit value above 0.
    static bool listed(const ledra::report::Record &row);

private:
    std::unique_ptr<TableSource> source_;
    QString klasse_;
};

// Menu "Saldenlisten" -> "Saldenliste quer...".
void MSalden2Click(ReportContext &ctx);

} // namespace reports
