#include "reportengine/RecordSource.h"

namespace ledra::report {

namespace {

qsizetype findField(const QStringList &names, const QString &field) {
    // Reports mostly spell a field as its source does; the exact match spares the case-folding
    // comparison, which a long report would make millions of times.
    for (qsizetype i = 0; i < names.size(); ++i)
        if (names.at(i) == field)
            return i;
    for (qsizetype i = 0; i < names.size(); ++i)
        if (names.at(i).compare(field, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

} // namespace

Record::Record(QSharedPointer<const QStringList> names, QVariantList values)
    : m_names(std::move(names)), m_values(std::move(values)) {}

qsizetype Record::indexOf(const QString &field) const {
    return m_names ? findField(*m_names, field) : -1;
}

QVariant Record::value(const QString &field) const {
    const qsizetype i = indexOf(field);
    return i >= 0 && i < m_values.size() ? m_values.at(i) : QVariant();
}

bool Record::contains(const QString &field) const {
    return indexOf(field) >= 0;
}

QStringList Record::fieldNames() const {
    return m_names ? *m_names : QStringList();
}

Record RecordSource::snapshot(const QSharedPointer<const QStringList> &names) const {
    QVariantList values;
    values.reserve(names->size());
    for (const QString &name : *names)
        values << value(name);
    return Record(names, std::move(values));
}

MemorySource::MemorySource(QStringList fields, QList<QVariantList> rows)
    : m_fields(std::move(fields)), m_rows(std::move(rows)) {}

void MemorySource::addRow(QVariantList row) {
    m_rows << std::move(row);
}

QVariant MemorySource::value(const QString &field) const {
    if (eof())
        return {};
    const qsizetype i = findField(m_fields, field);
    const QVariantList &row = m_rows.at(m_pos);
    return i >= 0 && i < row.size() ? row.at(i) : QVariant();
}

Record MemorySource::snapshot(const QSharedPointer<const QStringList> &names) const {
    if (eof())
        return {};
    if (*names == m_fields)
        return Record(names, m_rows.at(m_pos));
    return RecordSource::snapshot(names);
}

} // namespace ledra::report
