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
namespace ledra {

class BooksSession;

namespace reports {

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

    // A condition on the result fields (as "Soll=1200 OR Haben=1200") that narrows the
    // rows while it is switched on, keeping their order.
    void setFilter(const QString &condition, const QVariantList &params = {});
    void setFiltered(bool on) { m_filtered = on; }
    bool isFiltered() const { return m_filtered && !m_filter.isEmpty(); }

    // Opening runs the query and keeps only its row count; the rows are streamed to
    // whoever reads them.
    void open();
    void close() {
        m_active = false;
        m_count = 0;
    }
    bool isActive() const { return m_active; }
    qint64 recordCount() const { return m_count; }
    bool isEmpty() const { return m_count == 0; }

    // A fresh cursor over the rows (filtered when the filter is on).
    std::unique_ptr<SqlSource> source() const;
    // Streams the rows; the callback returns false to stop.
    void forEach(const std::function<bool(const ledra::report::Record &row)> &f) const;
    // Field types of the result.
    static const FieldTypes &resultTypes();

private:
    QString effectiveText() const;
    QVariantList effectiveParams() const;

    QStringList m_lines;
    QList<QVariantList> m_params;
    Attachments m_files;
    QString m_filter;
    QVariantList m_filterParams;
    bool m_filtered = false;
    bool m_active = false;
    qint64 m_count = 0;
};

} // namespace reports

} // namespace ledra
