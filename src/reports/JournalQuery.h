#pragma once
// The journal query QJournal of the filter dialog: every journal row joined with the type
// and name of its debit and credit account. Its text is held as seven numbered lines,
// because the dialog and the report launchers replace single lines (6: the range, 7: the
// order). A line carries its own parameter values: whatever a person typed is bound to
// the placeholders of the line it belongs to and never becomes part of the text, and a
// launcher that replaces a line with fixed text drops that line's values with it.

#include "RecordSources.h"

#include <QString>
#include <QStringList>
#include <QVariantList>

#include <functional>
#include <memory>
#include <optional>
namespace ledra {

class BooksSession;

namespace reports {

// Rows of the journal query for a report that reads a few of its fields: the journal's columns
// come from SQL, the accounts' types and names (the X fields) from the chart, read into memory
// when the walk starts. Joining the chart twice for every row and sorting the names along cost
// the engine more than the rest of the query; two look-ups in memory cost a fraction. As with
// the join, a row whose debit or credit account is not in the chart is no row, and the values
// are those the joined query delivers.
class JournalRows : public ledra::report::RecordSource {
public:
    // `sql` selects the journal columns of `fields` and then Soll and Haben (at `soll` and
    // `haben`); `chartSql` selects KtoNr, XSollArt and XSollName of every account.
    JournalRows(const Attachments &files, const QString &sql, const QVariantList &params,
                QString chartSql, QStringList fields, int soll, int haben);
    ~JournalRows() override;

    void first() override;
    void next() override;
    bool eof() const override { return m_rows.eof(); }
    QStringList fieldNames() const override { return m_fields; }
    QVariant value(const QString &field) const override;
    ledra::report::Record snapshot(const QSharedPointer<const QStringList> &names) const override;

    // Rows at the start that `take` accepts (returns true for) go to it instead of to the
    // report: a sheet sums the rows before its range into its opening line. `take` reads the
    // row through the accessors below.
    void setLeading(std::function<bool(const JournalRows &)> take) { m_take = std::move(take); }
    const SqlRow &row() const { return m_rows.row(); }
    int column(const QString &field) const { return m_rows.fieldIndex(field); }
    const QVariant &sollArt() const { return m_sollAccount->art; }
    const QVariant &habenArt() const { return m_habenAccount->art; }
    qint64 sollNr() const { return m_sollNr; }
    qint64 habenNr() const { return m_habenNr; }

private:
    struct Account {
        QVariant art, name;
    };
    // The value of a field by its slot: a column of the SQL rows, or an account's field.
    QVariant slotValue(int slot) const;
    // Steps on from the current row to the first whose two accounts are in the chart.
    void settle();

    Attachments m_files;
    SqlSource m_rows;
    QString m_chartSql;
    QStringList m_fields;
    std::vector<int> m_slots; // column, or kSollArt ... kHabenName
    int m_soll, m_haben;
    QHash<qint64, Account> m_chart;
    const Account *m_sollAccount = nullptr, *m_habenAccount = nullptr;
    qint64 m_sollNr = 0, m_habenNr = 0;
    std::function<bool(const JournalRows &)> m_take;
    mutable const QStringList *m_checkedNames = nullptr;
};

class JournalQuery {
public:
    static constexpr int kLines = 7;
    static constexpr int kRangeLine = 6;
    static constexpr int kOrderLine = 7;

    JournalQuery();

    // Lines are numbered 1..7. A line holds one "?" for each of its values (checked, so
    // that a value can never bind to another line's placeholder).
    QString line(int number) const;
    QVariantList lineParams(int number) const;
    void setLine(int number, const QString &text, const QVariantList &params = {});
    QString text() const;
    // Parameter values of all lines in the order of their placeholders.
    QVariantList params() const;

    // The data folder: the journal and the accounts file of the open fiscal year. Line 2
    // names them by the aliases it attaches them under.
    void setFiles(const QString &journalPath, const QString &journalTable,
                  const QString &kontenPath, const QString &kontenTable);
    void setFolderOf(const BooksSession &fb);
    const Attachments &files() const { return m_files; }
    // The chart table as the query's text names it, for conditions that look accounts up.
    QString chart() const;

    // A condition on the result fields (as "Soll=1200 OR Haben=1200") that narrows the
    // rows while it is switched on, keeping their order.
    void setFilter(const QString &condition, const QVariantList &params = {});
    void setFiltered(bool on) { m_filtered = on; }
    bool isFiltered() const { return m_filtered && !m_filter.isEmpty(); }

    // Opening runs the query only as far as its first row, to know whether it has rows;
    // the rows are streamed to whoever reads them. The row count is counted when first
    // asked for: a count reads every row of the range, and the evaluations need only to
    // know that there is one.
    void open();
    void close() {
        m_active = false;
        m_hasRows = false;
        m_count.reset();
    }
    bool isActive() const { return m_active; }
    qint64 recordCount() const;
    bool isEmpty() const { return !m_active || !m_hasRows; }

    // A fresh cursor over the rows (filtered when the filter is on).
    std::unique_ptr<SqlSource> source() const;
    // A line of the query with its values.
    struct Line {
        QString text;
        QVariantList params;
    };
    // The rows of source() with only the fields `fields` (journal columns and the X fields of
    // the accounts), for a report that reads no others (see JournalRows). The filter may read
    // journal columns only, selected or not. `range`, when given, replaces the range line for
    // these rows only, and `order` the order line. `textFrom`, when given: a row dated before
    // it is only summed by whoever reads the rows, never printed, so its booking text is left
    // out (empty) and the engine sorts less.
    std::unique_ptr<JournalRows> rows(const QStringList &fields,
                                      const std::optional<Line> &range = std::nullopt,
                                      const std::optional<Line> &order = std::nullopt,
                                      const std::optional<QDate> &textFrom = std::nullopt) const;
    // Streams the rows; the callback returns false to stop.
    void forEach(const std::function<bool(const ledra::report::Record &row)> &f) const;
    // Field types of the result.
    static const FieldTypes &resultTypes();

    // The journal alone (alias D, no accounts joined, in no order) for a pass that sums its
    // rows and looks the accounts up itself: SELECT `columns` FROM the journal WHERE `where`,
    // with `params` for the placeholders of both in order. A row-by-row pass through records
    // costs several times the engine's own scan; this one reads the columns as they are
    // stored. The query's lines and filter do not apply; the caller builds its condition
    // from them (line() and lineParams()).
    SqlStatement journalScan(const QString &columns, const QString &where,
                             const QVariantList &params) const;

private:
    QString effectiveText(bool ordered = true) const;
    QVariantList effectiveParams(bool ordered = true) const;
    QString effectiveText(const QStringList &lines) const;
    QVariantList effectiveParams(const QList<QVariantList> &params) const;

    QStringList m_lines;
    QList<QVariantList> m_params;
    Attachments m_files;
    QString m_journalTable = QStringLiteral("Journal");
    QString m_kontenTable = QStringLiteral("Konten");
    QString m_filter;
    QVariantList m_filterParams;
    bool m_filtered = false;
    bool m_active = false;
    bool m_hasRows = false;
    mutable std::optional<qint64> m_count;
};

} // namespace reports

} // namespace ledra
