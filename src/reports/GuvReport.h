#pragma once
// The short profit-and-loss overview GuvReport: one line per account type with the summed range
// balance of its accounts, and after the profit-and-loss types, the money accounts, the
// private account and the customers and suppliers a result line; no single accounts. And
// its launcher printGuv.

#include "PrepareEvaluation.h"
#include "RecordSources.h"
#include "ReportViewer.h"
#include "books/KontoArt.h"
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

    // The result a type belongs to: its label and the sign its sum enters with. The
    // profit-and-loss types make the profit, the money accounts the monetary assets, the
    // private account the withdrawals, customers and suppliers the difference of receivables
    // and payables; the other balance accounts none.
    struct ResultGroup {
        QString label;
        KontoArt first, last; // range of types, in code order
        int sign = 1;
    };
    static const ResultGroup *resultGroup(std::optional<KontoArt> art);
    // The sign a type's sum is printed with: revenue and payables, whose balances are credit
    // ones, print negated, so that a normal month shows both positive and a credit note or an
    // overpaid supplier shows a minus; every line then adds up to its result.
    static int printedSign(std::optional<KontoArt> art);
    // Types whose line is a level rather than a flow (money, receivables, payables): their
    // line shows the balance at the range end, as its label says.
    static bool showsLevelAtEnd(std::optional<KontoArt> art);

private:
    std::unique_ptr<PreparedAccountsSource> m_source;
    std::set<KontoArt> m_types;    // types present in the accounts table
    qint64 m_r = 0;                // running result
    std::optional<KontoArt> m_art; // type of the footer just printed
};

// Menu "Kurzübersicht GuV...".
void printGuv(ReportContext &ctx);

} // namespace reports

} // namespace ledra
