#pragma once
// The portrait trial balance SaldenlisteReport: every account with its carried-forward balance,
// movement, range balance and year balance, subtotalled per account class (the thousands of
// the account number); and its launcher printSaldenliste. Also the helpers that every
// evaluation over the accounts table shares: the class label and the account order that a
// launcher sets for one run and gives back afterwards.

#include "PrepareEvaluation.h"
#include "RecordSources.h"
#include "ReportViewer.h"
#include "reportengine/Report.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>
namespace ledra {

class Table;
class BooksSession;

namespace reports {

class EingrenzungRules;

// The label of an account class footer: "Summe Klasse " and the class, the thousands of the
// account number (1200 gives "Summe Klasse 1", 12345 "Summe Klasse 12", 999 "Summe Klasse 0").
// The bare number would read as an account of its own (the cash account 1000).
QString classLabel(const QVariant &ktoNr);

// Whether an account counts as booked for "nur bebuchte Konten": it has a first booking date
// this year or an opening debit or credit value above 0.
bool bebucht(const ledra::report::Record &row);

// Puts a table into another order (an index name; "" is the primary index) for the time
// of one report and back into its former order afterwards, also when the report fails,
// so that the grid that shows the table keeps its order.
class TableOrder {
public:
    TableOrder(Table &table, const QString &indexName);
    ~TableOrder();
    TableOrder(const TableOrder &) = delete;
    TableOrder &operator=(const TableOrder &) = delete;

private:
    Table &m_table;
    QStringList m_saved;
};

// Text of an amount field in the currency format, or empty for an exact 0.
QString amountOrBlank(const QVariant &units, const QString &currency);

class SaldenlisteReport {
public:
    // Reads the accounts table as it stands after the period preparation.
    SaldenlisteReport(BooksSession &fb, EingrenzungRules &filter);
    ~SaldenlisteReport();

    ledra::report::Report Ausdruck;

private:
    std::unique_ptr<PreparedAccountsSource> m_source;
    QString m_klasse; // class label of the last printed account
};

// Menu "Saldenlisten" -> "Saldenliste hoch...".
void printSaldenliste(ReportContext &ctx);

// Both trial balances: the dialog as they need it and the period preparation. False when
// the dialog was cancelled.
bool prepareTrialBalance(ReportContext &ctx);

} // namespace reports

} // namespace ledra
