#pragma once
// The VAT advance return UstVaReport: for the filter dialog's date range, the tax bases and VAT of
// the journal grouped by rate with the box numbers of the official form, the VAT and input tax
// booked directly on the tax accounts, the input tax that posting computed, and the
// reverse-charge amounts of the §13b expense account. Under cash-basis taxation a sale counts
// when the customer pays, not when it is invoiced.

#include "RecordSources.h"
#include "ReportViewer.h"
#include "books/KontoArt.h"
#include "reportengine/Report.h"
#include "store/Money.h"

#include <memory>
#include <optional>
namespace ledra {

class BooksSession;

namespace reports {

class EingrenzungRules;

// The settings the classification depends on.
struct UstVaRules {
    qint64 mwst = 0;      // VAT account
    qint64 vorsteuer = 0; // input-tax account
    std::optional<qint64> kosten13b;
    int fullRateTenths = 190; // the full rate in tenths of a percent
    bool cashBasis = false;

    static UstVaRules of(const BooksSession &fb);
};

// The accumulators of one run.
struct UstVaTotals {
    Money groupBase, groupTax; // current rate group
    Money autoVat;             // group taxes of the rate groups printed so far
    Money directVat;           // booked on the VAT account: credits minus debits
    Money autoInputTax;        // tax of taxed bookings on cost accounts
    Money directInputTax;      // booked on the input-tax account: debits minus credits
    Money tax13b, base13b;
    // The §13b account carried a booking with VAT: its tax (and every total that holds it)
    // cannot be stated.
    bool error13b = false;

    struct Share {
        Money base, tax;
        bool isZero() const { return base.isZero() && tax.isZero(); }
    };
    // The columns of a journal row the classification reads. `reversal` (the booking text
    // marks a reversal) counts only where textMatters says so, so a pass over many rows
    // reads the text only there.
    struct Row {
        std::optional<qint64> soll, haben; // empty: null
        std::optional<KontoArt> sollArt, habenArt;
        Money netto, brutto, steuer, faellig;
        bool reversal = false;
    };
    static bool textMatters(const Row &row, const UstVaRules &rules);

    // Classifies one journal row: adds to the direct, automatic and §13b sums, and returns
    // the row's base and tax for its rate group (already added to the group sums).
    Share classify(const ledra::report::Record &row, const UstVaRules &rules);
    Share classify(const Row &row, const UstVaRules &rules);

    Money totalVat() const { return directVat + autoVat + tax13b; }
    Money totalInputTax() const { return directInputTax + autoInputTax + tax13b; }
    // The §13b tax is owed and deducted alike, so it does not enter the amount payable.
    Money payable() const { return directVat + autoVat - directInputTax - autoInputTax; }
};

class UstVaReport {
public:
    UstVaReport();
    ~UstVaReport();

    // The window is kept between runs; each run reads the bookkeeping and the dialog it is
    // bound to (the dialog's query open with the range), and is unbound afterwards.
    void bind(BooksSession &fb, EingrenzungRules &filter);
    void unbind();

    ledra::report::Report Ausdruck;

    const UstVaTotals &totals() const { return m_totals; }

    // "(60)" for rate 0, "(81)" for the full rate, "(86)" for any other rate.
    static QString box(double rate, int fullRateTenths);

private:
    QString amount(Money m) const;

    // Without details nothing of a single row is printed: one plain pass over the range's
    // rows classifies them all, and the report walks one row per rate with the rate's sums
    // (m_rates), starting from the pass's other totals (m_pass).
    void classifyRange();

    BooksSession *m_fb = nullptr;
    EingrenzungRules *m_filter = nullptr;
    std::unique_ptr<ledra::report::RecordSource> m_source;
    bool m_classified = false;
    UstVaTotals m_pass;
    UstVaRules m_rules;
    UstVaTotals m_totals;
    UstVaTotals::Share m_share;
};

// Menu entry "Ust-Voranmeldung...". The report window is created on first use and kept until
// the program ends.
void printUstVa(ReportContext &ctx);

// The kept window; null before the first run.
UstVaReport *ustvaWindow();

} // namespace reports

} // namespace ledra
