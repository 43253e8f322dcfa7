#include "RecordSources.h"

#include "store/Dates.h"
#include "store/EngineError.h"
#include "store/Table.h"
#include "store/TableFile.h"

#include <QFile>
#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
namespace ledra {

namespace reports {

using ledra::report::Record;

FieldTypes fieldTypes(const TableSchema &schema) {
    FieldTypes types;
    for (const FieldDef &f : schema.fields)
        types.insert(f.name.toLower(), f.type);
    return types;
}

std::unique_ptr<SQLite::Database> connectAttached(const Attachments &tables) {
    const QString first = tables.empty() ? QString() : tables.front().second;
    try {
        auto db = std::make_unique<SQLite::Database>(":memory:", SQLite::OPEN_READWRITE);
        for (const auto &[alias, path] : tables) {
            TableFile::open(path, nullptr, false).reset();
            SQLite::Statement st(
                *db, QStringLiteral("ATTACH DATABASE ? AS \"%1\"").arg(alias).toStdString());
            st.bind(1, QFile::encodeName(path).toStdString());
            st.exec();
        }
        return db;
    } catch (const EngineError &) {
        throw;
    } catch (const std::exception &e) {
        throw TableFile::translate(e, first);
    }
}

SqlSource::SqlSource(Attachments tables, QString sql, QVariantList params, FieldTypes types)
    : m_tables(std::move(tables)), m_sql(std::move(sql)), m_params(std::move(params)),
      m_types(std::move(types)) {}

SqlSource::~SqlSource() = default;

void SqlSource::prepare() {
    if (!m_db)
        m_db = connectAttached(m_tables);
    try {
        m_statement = std::make_unique<SQLite::Statement>(*m_db, m_sql.toStdString());
        for (int i = 0; i < m_params.size(); ++i)
            TableFile::bind(*m_statement, i + 1, m_params[i]);
    } catch (const std::exception &e) {
        m_statement.reset();
        throw TableFile::translate(e, m_tables.empty() ? QString() : m_tables.front().second);
    }
    m_columns.clear();
    m_columnTypes.clear();
    m_typed.clear();
    m_index.clear();
    for (int c = 0; c < m_statement->getColumnCount(); ++c) {
        const QString name = QString::fromUtf8(m_statement->getColumnName(c));
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
        m_eof = !m_statement->executeStep();
    } catch (const std::exception &e) {
        m_eof = true;
        throw TableFile::translate(e, m_tables.empty() ? QString() : m_tables.front().second);
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
    const QVariant raw = TableFile::columnValue(m_statement->getColumn(index));
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
