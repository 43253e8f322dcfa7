#pragma once
// The balance sheet BilanzReport: the user's balance-sheet outline of up to four levels with
// the accounts of each section and their year balances, and sums at every level; and its
// launcher printBilanzOverview, which asks whether the accounts are listed.

#include "RecordSources.h"
#include "ReportViewer.h"
#include "reportengine/Report.h"

#include <QString>

#include <array>
#include <memory>
#include <unordered_map>
#include <unordered_set>
namespace ledra {

class BooksSession;

namespace reports {

class BilanzReport {
public:
    // Walks the section table in key order with the accounts of each section (the
    // launcher orders the accounts table by the index iBilanz).
    // `nurBebuchte`: account lines only for accounts booked this year or opened with a value.
    BilanzReport(BooksSession &fb, bool mitKonten, bool nurBebuchte = false);
    ~BilanzReport();

    ledra::report::Report Ausdruck;

    // The outline level of a section number by its trailing zeros: the position of its last
    // digit other than 0, at most 4 (1000 and 100000 are level 1, 1100 and 110000 level 2,
    // 1110 level 3, 1111 and 111100 level 4); 0 for numbers below 1000, which are not
    // printed. The shipped outline numbers its sections with six digits, a user's own with
    // four; both read the same way.
    static int level(qint64 reihenfolge);

private:
    // Adds an amount of the section being printed to the sum of every level named now.
    void addToLevels(qint64 amount);

    BooksSession &m_fb;
    std::unique_ptr<TableSource> m_sections, m_accounts;
    // The line of the open year's result under its equity section, filled for that section.
    ledra::report::MemorySource m_result;
    qint64 m_yearResult = 0; // profit-and-loss balances, debit positive (a profit is < 0)
    // Filled before the run: the sum of each section's accounts (with the year's result),
    // and the sections that have sections under them.
    std::unordered_map<qint64, qint64> m_sectionSums;
    std::unordered_set<qint64> m_parents;
    qint64 m_headingAmount = 0;   // printed on the heading being printed
    std::array<bool, 4> m_leaf{}; // per level: the section named there has none under it
    std::array<QString, 4> m_names;
    std::array<qint64, 4> m_sums{};
    qint64 m_total = 0; // the level-1 sums added up: what the sheet fails to balance by
};

// Menu "Bilanz...".
void printBilanzOverview(ReportContext &ctx);
// The balance sheet with or without the account lines, without the questions (the command
// line).
void printBilanz(ReportContext &ctx, bool mitKonten, bool nurBebuchte = false);

} // namespace reports

} // namespace ledra
