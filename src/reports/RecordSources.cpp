#include "RecordSources.h"

#include "store/Dates.h"
#include "store/EngineError.h"
#include "store/Table.h"
#include "store/TableFile.h"

namespace ledra {

namespace reports {

using ledra::report::Record;

FieldTypes fieldTypes(const TableSchema &schema) {
    FieldTypes types;
    for (const FieldDef &f : schema.fields)
        types.insert(f.name.toLower(), f.type);
    return types;
}

SqlSource::SqlSource(Attachments tables, QString sql, QVariantList params, FieldTypes types)
    : m_tables(std::move(tables)), m_sql(std::move(sql)), m_params(std::move(params)),
      m_types(std::move(types)) {}

SqlSource::~SqlSource() = default;

void SqlSource::prepare() {
    if (!m_connection)
        m_connection = SqlConnection::attached(m_tables);
    m_statement.reset();
    auto statement = std::make_unique<SqlStatement>(*m_connection, m_sql);
    statement->bindAll(m_params);
    m_statement = std::move(statement);
    m_columns.clear();
    m_columnTypes.clear();
    m_typed.clear();
    m_index.clear();
    for (int c = 0; c < m_statement->columnCount(); ++c) {
        const QString name = m_statement->columnName(c);
        m_columns << name;
        const auto it = m_types.constFind(name.toLower());
        m_typed.push_back(it != m_types.constEnd());
        m_columnTypes.push_back(it != m_types.constEnd() ? *it : FieldType::String);
        // The first column of a name wins, as a table engine resolves duplicates.
        if (!m_index.contains(name.toLower()))
            m_index.insert(name.toLower(), c);
    }
}

void SqlSource::step() {
    try {
        m_eof = !m_statement->next();
    } catch (...) {
        m_eof = true;
        throw;
    }
}

void SqlSource::first() {
    prepare();
    m_position = 0;
    step();
}

void SqlSource::next() {
    if (m_eof || !m_statement)
        return;
    ++m_position;
    step();
}

QVariant SqlSource::column(int index) const {
    const SqlRow &row = m_statement->row();
    // Dates and numbers as the engine usually holds them are read without a text or variant
    // in between: a report reads every column of every row. Anything else takes the general
    // conversion below, so that odd stored values come out as they always did.
    if (m_typed[size_t(index)]) {
        switch (m_columnTypes[size_t(index)]) {
        case FieldType::Date:
            if (const QDate d = row.date(index); d.isValid())
                return d;
            break;
        case FieldType::Integer:
        case FieldType::SmallInt:
        case FieldType::Currency:
            if (const auto i = row.integer(index))
                return qlonglong(*i);
            break;
        case FieldType::Boolean:
            if (const auto i = row.integer(index))
                return *i != 0;
            break;
        case FieldType::Float:
            if (const auto f = row.floating(index))
                return *f;
            break;
        default:
            break;
        }
    }
    const QVariant raw = row.value(index);
    if (raw.isNull() || !m_typed[size_t(index)])
        return raw;
    switch (m_columnTypes[size_t(index)]) {
    case FieldType::Date:
        return fromIsoDate(raw.toString());
    case FieldType::Boolean:
        return raw.toLongLong() != 0;
    case FieldType::Float:
        return raw.toDouble();
    case FieldType::Integer:
    case FieldType::SmallInt:
    case FieldType::Currency:
        return raw.toLongLong();
    default:
        return raw;
    }
}

QVariant SqlSource::valueAt(int index) const {
    if (m_eof || !m_statement || index < 0 || index >= m_columns.size())
        return {};
    return column(index);
}

QVariant SqlSource::value(const QString &field) const {
    if (m_eof || !m_statement)
        return {};
    const auto it = m_index.constFind(field.toLower());
    return it == m_index.constEnd() ? QVariant() : column(*it);
}

Record SqlSource::snapshot(const QSharedPointer<const QStringList> &names) const {
    if (m_eof || !m_statement)
        return {};
    if (*names != m_columns)
        return RecordSource::snapshot(names);
    QVariantList values;
    values.reserve(m_columns.size());
    for (int c = 0; c < m_columns.size(); ++c)
        values << column(c);
    return Record(names, std::move(values));
}

TableSource::TableSource(Table &table, QStringList extraFields) : m_table(table) {
    for (const FieldDef &f : table.schema().fields)
        m_fields << f.name;
    m_fields << extraFields;
}

TableSource::~TableSource() {
    if (!m_moved)
        return;
    try {
        m_table.gotoBookmark(m_bookmark);
    } catch (const std::exception &) {
        // A row deleted meanwhile leaves the table where the walk ended.
    }
    m_table.afterScroll = std::move(m_afterScroll);
    m_table.enableControls();
}

void TableSource::first() {
    if (!m_moved) {
        m_moved = true;
        m_bookmark = m_table.isEmpty() ? 0 : m_table.bookmark();
        m_afterScroll = std::move(m_table.afterScroll);
        m_table.afterScroll = nullptr;
        m_table.disableControls();
    }
    m_table.first();
}

void TableSource::next() {
    m_table.next();
}

bool TableSource::eof() const {
    return m_table.isEmpty() || m_table.eof();
}

QVariant TableSource::value(const QString &field) const {
    if (eof())
        return {};
    return m_table.value(field);
}

} // namespace reports

} // namespace ledra
