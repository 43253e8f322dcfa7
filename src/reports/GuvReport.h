#pragma once
// The short profit-and-loss overview GuvReport: one line per account type with the summed range
// balance of its accounts, and after the profit-and-loss types, the money accounts, the
// private account and the customers and suppliers a result line; no single accounts. And
// its launcher printGuv.

#include "RecordSources.h"
#include "ReportViewer.h"
#include "reportengine/Report.h"

#include <QString>

#include <memory>
#include <set>
namespace ledra {

class BooksSession;

namespace reports {

class EingrenzungRules;

class GuvReport {
public:
    // Reads the accounts table in type order (the launcher sets the index KArt).
    GuvReport(BooksSession &fb, EingrenzungRules &filter);
    ~GuvReport();

    ledra::report::Report Ausdruck;

    // The result a type belongs to: its label and the sign its sum enters with. Types 0 to 3
    // (costs, goods, services, revenues) make the profit, 4 and 5 the money, 6 the private
    // withdrawals, 7 and 8 the difference of receivables and payables; 9 and above none.
    struct ResultGroup {
        QString label;
        int first = 0, last = -1; // range of types
        int sign = 1;
    };
    static const ResultGroup *resultGroup(int art);
    // Types whose printed sum shows no minus sign.
    static bool printsWithoutSign(int art);

private:
    std::unique_ptr<TableSource> m_source;
    std::set<int> m_types; // types present in the accounts table
    qint64 m_r = 0;        // running result
    int m_art = -1;        // type of the footer just printed
};

// Menu "Kurzübersicht GuV...".
void printGuv(ReportContext &ctx);

} // namespace reports

} // namespace ledra
