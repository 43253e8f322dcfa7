#pragma once
// The portrait trial balance SaldenlisteReport: every account with its carried-forward balance,
// movement, range balance and year balance, subtotalled per account class (the thousands of
// the account number); and its launcher printSaldenliste. Also the helpers that every
// evaluation over the accounts table shares: the class label and the account order that a
// launcher sets for one run and gives back afterwards.

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

// The class label of an account: its number text without the last three characters,
// followed by "000" (1200 gives "1000", 12345 gives "12000", 999 gives "000").
QString classLabel(const QVariant &ktoNr);

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
    std::unique_ptr<TableSource> m_source;
    QString m_klasse; // class label of the last printed account
};

// Menu "Saldenlisten" -> "Saldenliste hoch...".
void printSaldenliste(ReportContext &ctx);

// Both trial balances: the dialog as they need it and the period preparation. False when
// the dialog was cancelled.
bool prepareTrialBalance(ReportContext &ctx);

} // namespace reports

} // namespace ledra
