#pragma once
// The BWA BwaReport: the accounts assigned to a BWA section, summed per section and per
// department (the thousands of the section number) for the chosen range and for the year,
// ending with the period and annual profit or loss; and its launcher printBwa.

#include "PrepareEvaluation.h"
#include "RecordSources.h"
#include "ReportViewer.h"
#include "reportengine/Report.h"

#include <QSet>
#include <QString>

#include <memory>
#include <optional>
namespace ledra {

class BooksSession;

namespace reports {

class EingrenzungRules;

class BwaReport {
public:
    // Reads the accounts table in section order (the launcher sets the index iBWA). Without
    // `mitKonten` the account lines and the section headers take no room.
    BwaReport(BooksSession &fb, EingrenzungRules &filter, bool mitKonten);
    ~BwaReport();

    ledra::report::Report Ausdruck;

    // An amount with the number of accounts behind it: "0,00 €   " when there are none,
    // else the absolute value, a blank and "S" (debit), "H" (credit) or two blanks.
    static QString amountText(qint64 units, qint64 count, const QString &currency);
    // The department number (d000) of a section number.
    static qint64 department(qint64 bwa) { return bwa / 1000 * 1000; }
    // The first department of a printed section that has no row in the section table.
    static std::optional<qint64> missingDepartment(BooksSession &fb);

private:
    struct Sums {
        qint64 druck = 0, saldo = 0, count = 0;
        void add(qint64 d, qint64 s) {
            druck += d;
            saldo += s;
            ++count;
        }
    };
    std::unique_ptr<PreparedAccountsSource> m_source;
    QString m_department;
    Sums m_section, m_dept;
    // Sections with at least one account line to print: only these get a heading above their
    // accounts, so that an empty section prints once (its total line), not twice.
    QSet<qint64> m_sectionsWithLines;
    qint64 m_periodTotal = 0, m_annualTotal = 0;
};

// Menu "BWA...".
void printBwa(ReportContext &ctx);

} // namespace reports

} // namespace ledra
