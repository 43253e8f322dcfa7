#include "JournalQuery.h"

#include "books/BooksSession.h"
#include "store/Sql.h"

#include <stdexcept>
#include <utility>
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
    m_kontenTable = kontenTable;
    m_lines[1] = QStringLiteral("FROM %1.%2 D, %3.%4 D1, %3.%4 D2")
                     .arg(kJournalAlias, quoteIdentifier(journalTable), kKontenAlias,
                          quoteIdentifier(kontenTable));
}

QString JournalQuery::chart() const {
    return kKontenAlias + QLatin1Char('.') + quoteIdentifier(m_kontenTable);
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

namespace {
// Slots of the accounts' fields in JournalRows.
constexpr int kSollArt = -1, kHabenArt = -2, kSollName = -3, kHabenName = -4;

int accountSlot(const QString &field) {
    static const QHash<QString, int> accountFields{{QStringLiteral("xsollart"), kSollArt},
                                                   {QStringLiteral("xhabenart"), kHabenArt},
                                                   {QStringLiteral("xsollname"), kSollName},
                                                   {QStringLiteral("xhabenname"), kHabenName}};
    return accountFields.value(field.toLower(), 0);
}

QString accountFieldName(int slot) {
    switch (slot) {
    case kSollArt:
        return QStringLiteral("XSollArt");
    case kHabenArt:
        return QStringLiteral("XHabenArt");
    case kSollName:
        return QStringLiteral("XSollName");
    default:
        return QStringLiteral("XHabenName");
    }
}
} // namespace

JournalRows::JournalRows(const Attachments &files, const QString &sql, const QVariantList &params,
                         QString chartSql, QStringList fields, int soll, int haben)
    : m_files(files), m_rows(files, sql, params, JournalQuery::resultTypes()),
      m_chartSql(std::move(chartSql)), m_fields(std::move(fields)), m_soll(soll), m_haben(haben) {
    int column = 0;
    for (const QString &field : m_fields) {
        const int slot = accountSlot(field);
        m_slots.push_back(slot != 0 ? slot : column++);
    }
}

JournalRows::~JournalRows() = default;

void JournalRows::first() {
    // The chart as it is now: a run may follow changes to the accounts.
    m_chart.clear();
    SqlSource chart(m_files, m_chartSql, {}, JournalQuery::resultTypes());
    for (chart.first(); !chart.eof(); chart.next())
        m_chart.insert(chart.row().int64(0), Account{chart.valueAt(1), chart.valueAt(2)});
    m_rows.first();
    settle();
    while (m_take && !eof() && m_take(*this)) {
        m_rows.next();
        settle();
    }
}

void JournalRows::next() {
    m_rows.next();
    settle();
}

void JournalRows::settle() {
    // The join matches an account number only where the journal holds an integer: the
    // column's type keeps a whole number stored as one, and text or a fraction equals no
    // account number.
    auto find = [this](int column, qint64 &number) -> const Account * {
        const auto n = m_rows.row().integer(column);
        if (!n)
            return nullptr;
        number = *n;
        const auto it = m_chart.constFind(number);
        return it == m_chart.constEnd() ? nullptr : &*it;
    };
    for (; !m_rows.eof(); m_rows.next()) {
        m_sollAccount = find(m_soll, m_sollNr);
        m_habenAccount = find(m_haben, m_habenNr);
        if (m_sollAccount && m_habenAccount)
            return;
    }
}

QVariant JournalRows::slotValue(int slot) const {
    switch (slot) {
    case kSollArt:
        return m_sollAccount->art;
    case kHabenArt:
        return m_habenAccount->art;
    case kSollName:
        return m_sollAccount->name;
    case kHabenName:
        return m_habenAccount->name;
    default:
        // The account numbers were read for the look-up, as integers: what the column gives.
        if (slot == m_soll)
            return qlonglong(m_sollNr);
        if (slot == m_haben)
            return qlonglong(m_habenNr);
        return m_rows.valueAt(slot);
    }
}

QVariant JournalRows::value(const QString &field) const {
    if (eof())
        return {};
    qsizetype at = m_fields.indexOf(field);
    for (qsizetype i = 0; at < 0 && i < m_fields.size(); ++i)
        if (m_fields.at(i).compare(field, Qt::CaseInsensitive) == 0)
            at = i;
    return at >= 0 ? slotValue(m_slots[size_t(at)]) : QVariant();
}

ledra::report::Record JournalRows::snapshot(const QSharedPointer<const QStringList> &names) const {
    if (eof())
        return {};
    if (names.data() != m_checkedNames) {
        if (*names != m_fields)
            return RecordSource::snapshot(names);
        m_checkedNames = names.data();
    }
    // Filled in place: appending value by value costs a growth check for each.
    QVariantList values(qsizetype(m_slots.size()));
    QVariant *out = values.data();
    for (const int slot : m_slots)
        *out++ = slotValue(slot);
    return ledra::report::Record(names, std::move(values));
}

std::unique_ptr<JournalRows> JournalQuery::rows(const QStringList &fields,
                                                const std::optional<Line> &range,
                                                const std::optional<Line> &order,
                                                const std::optional<QDate> &textFrom) const {
    // The journal's columns as the journal names them, so that the rows read as the full
    // rows do; the accounts' fields are not selected but looked up.
    const TableSchema &journal = Schemas::journal();
    QStringList columns, names;
    QVariantList textParams;
    int soll = -1, haben = -1;
    for (const QString &field : fields) {
        if (const int slot = accountSlot(field); slot != 0) {
            names << accountFieldName(slot);
            continue;
        }
        const int i = journal.fieldIndex(field);
        if (i < 0)
            throw std::invalid_argument("JournalQuery::rows: no such field");
        const QString name = journal.fields[size_t(i)].name;
        if (name == QLatin1String("Soll"))
            soll = int(columns.size());
        if (name == QLatin1String("Haben"))
            haben = int(columns.size());
        if (textFrom && name == QLatin1String("Buchungstext")) {
            columns << QStringLiteral("CASE WHEN D.Belegdatum < ? THEN NULL ELSE D.Buchungstext "
                                      "END AS Buchungstext");
            textParams << *textFrom;
        } else {
            columns << QStringLiteral("D.%1 AS %1").arg(name);
        }
        names << name;
    }
    // The two account numbers are read for the look-up whether the report prints them or not.
    if (soll < 0) {
        soll = int(columns.size());
        columns << QStringLiteral("D.Soll AS XZeileSoll");
    }
    if (haben < 0) {
        haben = int(columns.size());
        columns << QStringLiteral("D.Haben AS XZeileHaben");
    }

    QStringList lines = m_lines;
    QList<QVariantList> params = m_params;
    lines[0] = QStringLiteral("SELECT ") + columns.join(QStringLiteral(", "));
    lines[1] = QStringLiteral("FROM %1.%2 D").arg(kJournalAlias, quoteIdentifier(m_journalTable));
    // The join's two conditions give way to the look-up, which leaves out a row without an
    // account number as well; the range line goes on with its AND.
    lines[3] = QStringLiteral("1");
    lines[4].clear();
    for (const int i : {0, 1, 3, 4})
        params[i].clear();
    params[0] = textParams;
    for (const auto &[number, line] : {std::pair{kRangeLine, &range}, {kOrderLine, &order}})
        if (*line) {
            if ((*line)->text.count(QLatin1Char('?')) != (*line)->params.size())
                throw std::invalid_argument(
                    "JournalQuery::rows: placeholders and values differ in number");
            lines[number - 1] = (*line)->text;
            params[number - 1] = (*line)->params;
        }
    const QString chartSql = QStringLiteral("SELECT KtoNr, Art AS XSollArt, Name AS XSollName "
                                            "FROM %1 WHERE typeof(KtoNr) = 'integer'")
                                 .arg(chart());
    // The filter joins the query's own condition: the rows are the journal's, so its fields
    // are the journal's columns, and the engine tests it while it scans rather than on the
    // result of a query within a query.
    if (isFiltered()) {
        lines[kRangeLine - 1] += QStringLiteral(" AND (%1)").arg(m_filter);
        params[kRangeLine - 1] << m_filterParams;
    }
    QVariantList all;
    for (const QVariantList &p : params)
        all << p;
    return std::make_unique<JournalRows>(m_files, lines.join(QLatin1Char('\n')), all, chartSql,
                                         names, soll, haben);
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
