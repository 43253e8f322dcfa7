#pragma once

// The rows a report walks through. A report runs over any record source: a
// query of the table store, a table, or rows held in memory.

#include <QList>
#include <QSharedPointer>
#include <QStringList>
#include <QVariant>

namespace ledra::report {

// A frozen copy of one row. The layout reads one row ahead to know where a group
// ends, so bands and their events always read these copies, never the source.
// Field names are matched case-insensitively, as the table engine does.
class Record {
public:
    Record() = default;
    Record(QSharedPointer<const QStringList> names, QVariantList values);

    // Invalid QVariant for an unknown field.
    QVariant value(const QString &field) const;
    bool contains(const QString &field) const;
    bool isEmpty() const { return m_values.isEmpty(); }
    QStringList fieldNames() const;

    // The shared name list and a field's position in it, so that a control printing the same
    // field on every row looks its name up once per list, not once per row.
    const QSharedPointer<const QStringList> &names() const { return m_names; }
    qsizetype indexOf(const QString &field) const;
    // Invalid QVariant outside the row.
    QVariant at(qsizetype index) const {
        return index >= 0 && index < m_values.size() ? m_values.at(index) : QVariant();
    }

private:
    QSharedPointer<const QStringList> m_names;
    QVariantList m_values;
};

class RecordSource {
public:
    virtual ~RecordSource() = default;

    virtual void first() = 0;
    virtual void next() = 0;
    virtual bool eof() const = 0;
    virtual QStringList fieldNames() const = 0;
    // Value of a field of the current row; invalid QVariant when unknown.
    virtual QVariant value(const QString &field) const = 0;

    // Copies the current row. `names` is fieldNames() fetched once per walk, so
    // that every copy shares one name list.
    virtual Record snapshot(const QSharedPointer<const QStringList> &names) const;
};

// Rows held in memory; for tests and for reports computed by handlers.
class MemorySource : public RecordSource {
public:
    explicit MemorySource(QStringList fields = {}, QList<QVariantList> rows = {});

    void addRow(QVariantList row);
    void clear() { m_rows.clear(); }
    qsizetype rowCount() const { return m_rows.size(); }

    void first() override { m_pos = 0; }
    void next() override {
        if (m_pos < m_rows.size())
            ++m_pos;
    }
    bool eof() const override { return m_pos >= m_rows.size(); }
    QStringList fieldNames() const override { return m_fields; }
    QVariant value(const QString &field) const override;
    Record snapshot(const QSharedPointer<const QStringList> &names) const override;

private:
    QStringList m_fields;
    QList<QVariantList> m_rows;
    qsizetype m_pos = 0;
};

} // namespace ledra::report
