#pragma once
// The account sheet KontenblattReport: every journal booking of one account in the filter dialog's
// range with its debit and credit amount, counter account and rate, an opening line, carry-over
// lines between pages and the balance of the listed amounts. The input-tax and the VAT account
// also list the tax amounts that posting wrote to them without a booking line of their own.
// Its launcher printKontenblatt prints a cash account as a cash book (UKassenbuch.h) instead, and
// prints several marked accounts one after another without a preview.

#include "JournalQuery.h"
#include "RecordSources.h"
#include "ReportViewer.h"
#include "books/KontoArt.h"
#include "reportengine/Report.h"
#include "store/Money.h"

#include <QHash>
#include <QString>
#include <QVariant>

#include <memory>
#include <optional>
#include <vector>
namespace ledra {

class BooksSession;

namespace reports {

class EingrenzungRules;

// The account a sheet is printed for, as the accounts grid's current row holds it.
struct SheetAccount {
    qint64 ktoNr = 0;
    QString name;
    std::optional<KontoArt> art;
    Money soll, haben; // opening debit and credit values
};

// Rules of a sheet line that the account sheet and the cash book share.
namespace sheet {

// The counter account of a row on the sheet of `konto`: the other side of the booking; for a
// tax line (the account is on neither side) the payment side, which is the credit side when
// the debit account is a profit-and-loss account.
struct Counter {
    QVariant number;
    QString name;
};
Counter counterAccount(const ledra::report::Record &row, qint64 konto);

// The rate column: the row's Steuersatz, but "0" for a payment received from a customer
// (bank, cash, private or other payment account debited, customer credited).
QString rateText(const ledra::report::Record &row);

// Where the fields a sheet line reads stand in the rows' field list: a sheet reads a dozen
// fields of every row, so they are found once per list rather than by name each time.
struct Fields {
    // Finds the fields again when `row` has another field list than the last one.
    void locate(const ledra::report::Record &row);
    QSharedPointer<const QStringList> names;
    qsizetype soll = -1, haben = -1, sollArt = -1, habenArt = -1, sollName = -1, habenName = -1,
              netto = -1, brutto = -1, steuer = -1, satz = -1, euro = -1, datum = -1;
};
Counter counterAccount(const ledra::report::Record &row, const Fields &f, qint64 konto);
QString rateText(const ledra::report::Record &row, const Fields &f);

// The debit (or credit) column of the account sheet: the amount on this account, net for a
// profit-and-loss account and gross for a balance account; on the input-tax account the tax
// of a cost account on that side, on the VAT account the tax of a revenue account on that
// side. Empty when the row puts nothing on this side of the account.
struct TaxAccounts {
    qint64 vorsteuer = 0;
    qint64 mwst = 0;
};
// It reads the plain columns of a row (an account missing from the chart has an empty type;
// a null account number is 0): the sheet's lines take them from their record once
// (sheetRow()), the pass before a range from the journal's columns.
struct SheetRow {
    qint64 soll = 0, haben = 0;
    bool sollNull = false, habenNull = false;
    std::optional<KontoArt> sollArt, habenArt;
    Money netto, brutto, steuer;
};
std::optional<Money> sideAmount(const SheetRow &row, const SheetAccount &account,
                                const TaxAccounts &tax, bool debit);
SheetRow sheetRow(const ledra::report::Record &row, const Fields &f);

// The page set-up and page header that the account sheet and the cash book share: title,
// account number (right-aligned ending at nrX + 16 mm) and name, date and page, period and
// sort order. `account` is read each time the header prints. Returns the header band.
ledra::report::Band *setUpSheet(ledra::report::Report &r, const QString &title,
                                const SheetAccount &account, double nrX,
                                const EingrenzungRules &filter);

// The filter on the journal query that narrows it to the rows of the account's sheet; the
// account number is bound as a value. It reads journal columns only (the accounts' types from
// `chart`, the query's chart table), so that it applies to the query's rows with and without
// the accounts joined.
struct SheetFilter {
    QString condition;
    QVariantList params;
};
SheetFilter sheetFilter(qint64 konto, const TaxAccounts &tax, const QString &chart);

TaxAccounts taxAccounts(const BooksSession &fb);

} // namespace sheet

class KontenblattReport {
public:
    // Reads the filter dialog's open journal query (filtered to one account by the
    // launcher), its range and sort option as they were confirmed.
    KontenblattReport(BooksSession &fb, EingrenzungRules &filter);
    ~KontenblattReport();

    // The account of the next run; the window is reused for every account of a mass print.
    void setAccount(const SheetAccount &account);

    ledra::report::Report Ausdruck;

    // Running state of a run, readable after it.
    Money debitSum() const { return m_debit; }
    Money creditSum() const { return m_credit; }

private:
    // The values of the row being printed, worked out once before its band prints.
    struct Line {
        std::optional<Money> debit, credit;
        QVariant euro;
        QDate date;
        sheet::Counter counter;
        QString rate;
    };
    void startRun();
    // Where the opening line's values come from: none (not sorted by date), the account's
    // opening values (the range starts with the booking period), or its balance before the
    // range, which the rows from the period's first day to the day before the range make up.
    enum class Opening { None, AccountValues, BalanceBefore };
    Opening openingKind() const;
    // A row before the range joins the balance before it; false for the first row of the
    // range, which the sheet lists.
    bool takeBeforeRange(const JournalRows &rows);
    void addLine();

    BooksSession &m_fb;
    EingrenzungRules &m_filter;
    SheetAccount m_account;
    sheet::TaxAccounts m_tax;
    std::unique_ptr<JournalRows> m_source;
    Money m_debit, m_credit;
    std::optional<std::pair<Money, Money>> m_opening; // debit and credit of the opening line
    Opening m_openingKind = Opening::None;
    // The balance before the range while the rows before it are summed, the range's first
    // day, and where the summed fields stand in the rows (found with the first row).
    Money m_before;
    QDate m_from;
    QString m_fromIso;
    struct {
        int datum = -1, soll, haben, netto, brutto, steuer, euro;
    } m_at;
    Line m_line;
    sheet::Fields m_fields;
    QHash<QString, QString> m_clippedNames; // counter account names as their column shows them
};

// Main window: button KBlatt, menu "Kontenblatt drucken..." and a double click in the
// accounts grid. `markedRows` are the bookmarks of the rows marked in the accounts grid
// (kontenGrid), in the order they were marked. With two or more, each marked account is sent
// straight to the printer (viewer.print), one report per account; otherwise the current
// account (or the one marked row) is previewed.
void printKontenblatt(ReportContext &ctx, const std::vector<qint64> &markedRows = {});

} // namespace reports

} // namespace ledra
