#include "JournalQuery.h"

#include "books/BooksSession.h"
#include "store/Sql.h"

#include <stdexcept>
namespace ledra {

namespace reports {

namespace {
const QString kJournalAlias = QStringLiteral("J");
const QString kKontenAlias = QStringLiteral("K");
} // namespace

JournalQuery::JournalQuery() {
    for (int i = 0; i < kLines; ++i) {
        m_lines << QString();
        m_params << QVariantList();
    }
    m_lines[0] =
        QStringLiteral("SELECT D.*, D1.Art AS XSollArt, D2.Art AS XHabenArt, D1.Name AS XSollName, "
                       "D2.Name AS XHabenName");
    m_lines[1] = QStringLiteral("FROM J.\"Journal\" D, K.\"Konten\" D1, K.\"Konten\" D2");
    m_lines[2] = QStringLiteral("WHERE");
    m_lines[3] = QStringLiteral("(D1.KtoNr = D.Soll)");
    m_lines[4] = QStringLiteral(" AND (D2.KtoNr = D.Haben)");
}

QString JournalQuery::line(int number) const {
    return number >= 1 && number <= kLines ? m_lines[number - 1] : QString();
}

QVariantList JournalQuery::lineParams(int number) const {
    return number >= 1 && number <= kLines ? m_params[number - 1] : QVariantList();
}

void JournalQuery::setLine(int number, const QString &text, const QVariantList &params) {
    if (number < 1 || number > kLines)
        throw std::out_of_range("JournalQuery::setLine: no such line");
    if (text.count(QLatin1Char('?')) != params.size())
        throw std::invalid_argument(
            "JournalQuery::setLine: placeholders and values differ in number");
    m_lines[number - 1] = text;
    m_params[number - 1] = params;
}

QString JournalQuery::text() const {
    return m_lines.join(QLatin1Char('\n'));
}

QVariantList JournalQuery::params() const {
    QVariantList all;
    for (const QVariantList &p : m_params)
        all << p;
    return all;
}

void JournalQuery::setFiles(const QString &journalPath, const QString &journalTable,
                            const QString &kontenPath, const QString &kontenTable) {
    m_files = {{kJournalAlias, journalPath}, {kKontenAlias, kontenPath}};
    m_journalTable = journalTable;
    m_lines[1] = QStringLiteral("FROM %1.%2 D, %3.%4 D1, %3.%4 D2")
                     .arg(kJournalAlias, quoteIdentifier(journalTable), kKontenAlias,
                          quoteIdentifier(kontenTable));
}

void JournalQuery::setFolderOf(const BooksSession &fb) {
    const Table &j = fb.journal;
    const Table &k = fb.konten;
    auto inner = [](const Table &t) {
        return t.innerName().isEmpty() ? t.schema().name : t.innerName();
    };
    setFiles(j.path(), inner(j), k.path(), inner(k));
}

void JournalQuery::setFilter(const QString &condition, const QVariantList &params) {
    m_filter = condition;
    m_filterParams = params;
}

QString JournalQuery::effectiveText(bool ordered) const {
    QStringList lines = m_lines;
    if (!ordered)
        lines[kOrderLine - 1].clear();
    return effectiveText(lines);
}

QString JournalQuery::effectiveText(const QStringList &lines) const {
    const QString query = lines.join(QLatin1Char('\n'));
    if (!isFiltered())
        return query;
    return QStringLiteral("SELECT * FROM (\n") + query + QStringLiteral("\n) WHERE (") + m_filter +
           QLatin1Char(')');
}

QVariantList JournalQuery::effectiveParams(bool ordered) const {
    QList<QVariantList> params = m_params;
    if (!ordered)
        params[kOrderLine - 1].clear();
    return effectiveParams(params);
}

QVariantList JournalQuery::effectiveParams(const QList<QVariantList> &params) const {
    QVariantList p;
    for (const QVariantList &line : params)
        p << line;
    if (isFiltered())
        p << m_filterParams;
    return p;
}

void JournalQuery::open() {
    close();
    m_hasRows =
        scalar(SqlConnection::attached(m_files),
               QStringLiteral("SELECT EXISTS (\n") + effectiveText(false) + QStringLiteral("\n)"),
               effectiveParams(false)) != 0;
    m_active = true;
}

qint64 JournalQuery::recordCount() const {
    if (!m_active)
        return 0;
    if (!m_count)
        m_count = m_hasRows ? scalar(SqlConnection::attached(m_files),
                                     QStringLiteral("SELECT COUNT(*) FROM (\n") +
                                         effectiveText(false) + QStringLiteral("\n)"),
                                     effectiveParams(false))
                            : 0;
    return *m_count;
}

std::unique_ptr<SqlSource> JournalQuery::source() const {
    return std::make_unique<SqlSource>(m_files, effectiveText(), effectiveParams(), resultTypes());
}

std::unique_ptr<SqlSource> JournalQuery::source(const QStringList &fields,
                                                const std::optional<Line> &range,
                                                const std::optional<Line> &order) const {
    // The accounts' fields come from the two joined charts; the others are the journal's own,
    // named as the journal names them so that the result reads as the full row does.
    static const QHash<QString, QString> joined{
        {QStringLiteral("xsollart"), QStringLiteral("D1.Art AS XSollArt")},
        {QStringLiteral("xhabenart"), QStringLiteral("D2.Art AS XHabenArt")},
        {QStringLiteral("xsollname"), QStringLiteral("D1.Name AS XSollName")},
        {QStringLiteral("xhabenname"), QStringLiteral("D2.Name AS XHabenName")}};
    const TableSchema &journal = Schemas::journal();
    QStringList columns;
    for (const QString &field : fields) {
        if (const auto it = joined.constFind(field.toLower()); it != joined.constEnd()) {
            columns << *it;
            continue;
        }
        const int i = journal.fieldIndex(field);
        if (i < 0)
            throw std::invalid_argument("JournalQuery::source: no such field");
        const QString name = journal.fields[size_t(i)].name;
        columns << QStringLiteral("D.%1 AS %1").arg(name);
    }
    QStringList lines = m_lines;
    QList<QVariantList> params = m_params;
    lines[0] = QStringLiteral("SELECT ") + columns.join(QStringLiteral(", "));
    params[0].clear();
    for (const auto &[number, line] : {std::pair{kRangeLine, &range}, {kOrderLine, &order}})
        if (*line) {
            if ((*line)->text.count(QLatin1Char('?')) != (*line)->params.size())
                throw std::invalid_argument(
                    "JournalQuery::source: placeholders and values differ in number");
            lines[number - 1] = (*line)->text;
            params[number - 1] = (*line)->params;
        }
    return std::make_unique<SqlSource>(m_files, effectiveText(lines), effectiveParams(params),
                                       resultTypes());
}

void JournalQuery::forEach(const std::function<bool(const ledra::report::Record &)> &f) const {
    auto src = source();
    QSharedPointer<const QStringList> names;
    for (src->first(); !src->eof(); src->next()) {
        if (!names)
            names = QSharedPointer<const QStringList>::create(src->fieldNames());
        if (!f(src->snapshot(names)))
            break;
    }
}

SqlStatement JournalQuery::journalScan(const QString &columns, const QString &where,
                                       const QVariantList &params) const {
    SqlStatement st(SqlConnection::attached(m_files),
                    QStringLiteral("SELECT %1 FROM %2.%3 D WHERE %4")
                        .arg(columns, kJournalAlias, quoteIdentifier(m_journalTable), where));
    st.bindAll(params);
    return st;
}

const FieldTypes &JournalQuery::resultTypes() {
    static const FieldTypes types = [] {
        FieldTypes t = fieldTypes(Schemas::journal());
        t.insert(QStringLiteral("xsollart"), FieldType::SmallInt);
        t.insert(QStringLiteral("xhabenart"), FieldType::SmallInt);
        t.insert(QStringLiteral("xsollname"), FieldType::String);
        t.insert(QStringLiteral("xhabenname"), FieldType::String);
        return t;
    }();
    return types;
}

} // namespace reports

} // namespace ledra
