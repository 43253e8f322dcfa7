#include "Table.h"

#include "Dates.h"
#include "SqlConnection.h"
#include "TableFileEngine.h"

#include <QDir>
#include <QFile>
#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <algorithm>
#include <sys/stat.h>
namespace ledra {

Table::Table(const TableSchema &schema, QString objectName)
    : m_schema(schema), m_objectName(std::move(objectName)), m_fileName(schema.fileName) {}

Table::~Table() = default;

void Table::setFolder(const QString &folder) {
    if (isActive())
        close();
    m_folder = folder;
}

void Table::setFileName(const QString &fileName) {
    if (isActive())
        close();
    m_fileName = fileName;
}

QString Table::path() const {
    return isActive() ? m_openPath : TableFile::resolve(m_folder, m_fileName);
}

EngineError Table::fail(const std::exception &e) const {
    return TableFile::translate(e, path());
}

namespace {

// Which file a path names right now: a file replaced at the same path (a restored chart, a
// year operation) is another file, even under the same name.
std::pair<qint64, qint64> fileIdentity(const QString &path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {-1, -1};
    return {qint64(st.st_dev), qint64(st.st_ino)};
}

} // namespace

// The transaction of a row's write together with its joint files: attached and begun when
// made, committed by commit(), rolled back by the destructor otherwise. Without joint files
// the row's statement runs on its own, as it always did. A joint file stays attached after a
// commit, so that the next row does not pay for the checks of opening it again; it is
// attached anew when another file stands at its path, and everything is detached after a
// failure.
class Table::JointWrite {
public:
    explicit JointWrite(Table &t) : m_table(t) {
        if (!t.jointFiles)
            return;
        SQLite::Database &db = *t.m_db;
        try {
            std::vector<Joint> wanted;
            for (const auto &[alias, path] : t.jointFiles())
                wanted.push_back({alias, path, fileIdentity(path)});
            // What is attached but no longer wanted as it is goes first.
            for (auto it = t.m_joints.begin(); it != t.m_joints.end();) {
                const bool keep = std::any_of(wanted.begin(), wanted.end(), [&](const Joint &w) {
                    return w.alias == it->alias && w.path == it->path && w.identity == it->identity;
                });
                if (keep) {
                    ++it;
                } else {
                    detachAlias(it->alias);
                    it = t.m_joints.erase(it);
                }
            }
            // The checks of an ordinary open, then ATTACH, as for any connection.
            SqlConnection connection(t);
            for (const Joint &w : wanted) {
                const bool attached =
                    std::any_of(t.m_joints.begin(), t.m_joints.end(),
                                [&](const Joint &j) { return j.alias == w.alias; });
                if (attached)
                    continue;
                connection.attach(w.alias, w.path);
                t.m_joints.push_back(w);
            }
            // The write lock on every file at once: a writer elsewhere is noticed before
            // anything is changed.
            db.exec("BEGIN IMMEDIATE");
            m_open = true;
        } catch (const EngineError &) {
            detachAll();
            throw;
        } catch (const std::exception &e) {
            detachAll();
            throw t.fail(e);
        }
    }
    ~JointWrite() {
        if (m_open) {
            try {
                m_table.m_db->exec("ROLLBACK");
            } catch (...) {
                // A connection that cannot roll back leaves a hot journal, which the next
                // open of the file applies.
            }
            detachAll();
        }
    }
    JointWrite(const JointWrite &) = delete;
    JointWrite &operator=(const JointWrite &) = delete;

    void commit() {
        if (!m_open)
            return;
        try {
            m_table.m_db->exec("COMMIT");
        } catch (const std::exception &e) {
            throw m_table.fail(e);
        }
        m_open = false;
    }

private:
    void detachAlias(const QString &alias) {
        try {
            SQLite::Statement st(*m_table.m_db, "DETACH DATABASE ?");
            st.bind(1, alias.toStdString());
            st.exec();
        } catch (...) {
            // Still attached: the next ATTACH under the alias fails loudly, nothing is
            // written to the wrong file.
        }
    }
    void detachAll() {
        for (const Joint &j : m_table.m_joints)
            detachAlias(j.alias);
        m_table.m_joints.clear();
    }

    Table &m_table;
    bool m_open = false;
};

void Table::requireActive() const {
    if (!isActive())
        throw EngineError(DbErr::General,
                          QStringLiteral("Die Tabelle %1 ist nicht geöffnet.").arg(m_fileName));
}

void Table::open() {
    if (isActive())
        return;
    const QString p = TableFile::resolve(m_folder, m_fileName);
    m_db = TableFile::open(p, &m_schema);
    m_openPath = p;
    m_inner = TableFile::innerName(*m_db);
    m_state = DsState::Browse;
    try {
        reload(0);
    } catch (...) {
        close();
        throw;
    }
    notify(Change::Reset);
}

void Table::close() {
    m_joints.clear();
    m_db.reset();
    m_ids.clear();
    m_pos = -1;
    m_bof = m_eof = true;
    m_curLoaded = false;
    m_buf.clear();
    m_state = DsState::Inactive;
    notify(Change::Reset);
}

SQLite::Database &Table::db() {
    requireActive();
    return *m_db;
}

void Table::setIndexName(const QString &name) {
    const IndexDef *ix = m_schema.index(name);
    if (!ix && !name.isEmpty())
        throw EngineError(
            DbErr::General,
            QStringLiteral("Index %1 der Tabelle %2 nicht gefunden.").arg(name, m_fileName));
    m_indexName = name;
    m_indexFields.clear();
    if (isActive()) {
        reload(currentId());
        notify(Change::Reset);
    }
}

void Table::setIndexFields(const QStringList &fields) {
    for (const auto &f : fields)
        if (m_schema.fieldIndex(f) < 0)
            throw EngineError(
                DbErr::General,
                QStringLiteral("Feld %1 der Tabelle %2 nicht gefunden.").arg(f, m_fileName));
    m_indexFields = fields;
    m_indexName.clear();
    if (isActive()) {
        reload(currentId());
        notify(Change::Reset);
    }
}

QStringList Table::orderFields() const {
    if (!m_indexFields.isEmpty())
        return m_indexFields;
    const IndexDef *ix = m_schema.index(m_indexName);
    return ix ? ix->fields : QStringList();
}

QString Table::orderSql() const {
    QStringList parts;
    const IndexDef *ix = m_indexFields.isEmpty() ? m_schema.index(m_indexName) : nullptr;
    for (const auto &f : orderFields()) {
        const FieldDef *fd = m_schema.field(f);
        bool text = fd && (fd->type == FieldType::String || fd->type == FieldType::Memo);
        bool ci = text && (ix ? ix->caseInsensitive : false);
        parts << QStringLiteral("\"%1\"%2")
                     .arg(f, ci ? QStringLiteral(" COLLATE NOCASE") : QString());
    }
    parts << QStringLiteral("rowid");
    return parts.join(QStringLiteral(", "));
}

void Table::setFilter(const QString &whereSql, const QVariantList &params) {
    m_filterSql = whereSql;
    m_filterParams = params;
    if (isActive()) {
        checkBrowseMode();
        reload(currentId());
        notify(Change::Reset);
    }
}

void Table::clearFilter() {
    setFilter(QString(), {});
}

void Table::reload(qint64 keepId) {
    m_stale = true;
    m_keepId = keepId;
    m_count = -1;
    m_curLoaded = false;
}

qint64 Table::currentId() const {
    if (m_stale)
        return m_keepId;
    return (m_pos >= 0 && m_pos < int(m_ids.size())) ? m_ids[size_t(m_pos)] : 0;
}

int Table::recordCount() const {
    if (!m_stale)
        return int(m_ids.size());
    if (m_count < 0) {
        try {
            QString sql = QStringLiteral("SELECT COUNT(*) FROM \"%1\"").arg(m_inner);
            if (!m_filterSql.isEmpty())
                sql += QStringLiteral(" WHERE (%1)").arg(m_filterSql);
            SQLite::Statement st(*m_db, sql.toStdString());
            for (int i = 0; i < m_filterParams.size(); ++i)
                TableFile::bind(st, i + 1, m_filterParams[i]);
            m_count = st.executeStep() ? st.getColumn(0).getInt() : 0;
        } catch (const std::exception &e) {
            throw fail(e);
        }
    }
    return m_count;
}

void Table::ensureIds() const {
    if (!m_stale || !m_db)
        return;
    std::vector<qint64> ids;
    try {
        QString sql = QStringLiteral("SELECT rowid FROM \"%1\"").arg(m_inner);
        if (!m_filterSql.isEmpty())
            sql += QStringLiteral(" WHERE (%1)").arg(m_filterSql);
        sql += QStringLiteral(" ORDER BY ") + orderSql();
        SQLite::Statement st(*m_db, sql.toStdString());
        for (int i = 0; i < m_filterParams.size(); ++i)
            TableFile::bind(st, i + 1, m_filterParams[i]);
        while (st.executeStep())
            ids.push_back(st.getColumn(0).getInt64());
    } catch (const std::exception &e) {
        throw fail(e);
    }
    m_ids.swap(ids);
    m_stale = false;
    m_curLoaded = false;
    int found = -1;
    if (m_keepId != 0) {
        auto it = std::find(m_ids.begin(), m_ids.end(), m_keepId);
        if (it != m_ids.end())
            found = int(it - m_ids.begin());
    }
    if (m_ids.empty())
        m_pos = -1;
    else if (found >= 0)
        m_pos = found;
    else
        m_pos = std::clamp(m_pos, 0, int(m_ids.size()) - 1);
    m_bof = m_eof = m_ids.empty();
}

void Table::refresh() {
    requireActive();
    checkBrowseMode();
    reload(currentId());
    notify(Change::Reset);
}

void Table::notify(Change c) {
    if (m_controlsDisabled > 0)
        return;
    for (auto &o : m_observers)
        o(c);
}

void Table::enableControls() {
    if (m_controlsDisabled > 0 && --m_controlsDisabled == 0)
        notify(Change::Reset);
}

void Table::scrolled() {
    m_curLoaded = false;
    notify(Change::Current);
    if (afterScroll)
        afterScroll(*this);
}

void Table::first() {
    requireActive();
    checkBrowseMode();
    ensureIds();
    m_pos = m_ids.empty() ? -1 : 0;
    m_bof = true;
    m_eof = m_ids.empty();
    scrolled();
}

void Table::last() {
    requireActive();
    checkBrowseMode();
    ensureIds();
    m_pos = int(m_ids.size()) - 1;
    m_eof = true;
    m_bof = m_ids.empty();
    scrolled();
}

void Table::next() {
    requireActive();
    checkBrowseMode();
    ensureIds();
    if (m_pos + 1 < int(m_ids.size())) {
        ++m_pos;
        m_bof = false;
        m_eof = false;
        scrolled();
    } else {
        m_eof = true;
    }
}

void Table::prior() {
    requireActive();
    checkBrowseMode();
    ensureIds();
    if (m_pos > 0) {
        --m_pos;
        m_bof = false;
        m_eof = false;
        scrolled();
    } else {
        m_bof = true;
    }
}

void Table::moveTo(int row) {
    requireActive();
    checkBrowseMode();
    ensureIds();
    if (m_ids.empty())
        return;
    m_pos = std::clamp(row, 0, int(m_ids.size()) - 1);
    m_bof = m_eof = false;
    scrolled();
}

qint64 Table::bookmark() const {
    ensureIds();
    return (m_pos >= 0 && m_pos < int(m_ids.size())) ? m_ids[size_t(m_pos)] : 0;
}

bool Table::gotoBookmark(qint64 bm) {
    requireActive();
    checkBrowseMode();
    ensureIds();
    auto it = std::find(m_ids.begin(), m_ids.end(), bm);
    if (it == m_ids.end())
        return false;
    m_pos = int(it - m_ids.begin());
    m_bof = m_eof = false;
    scrolled();
    return true;
}

bool Table::locate(const QString &field, const QVariant &value, bool caseInsensitive,
                   bool partialKey) {
    return locate(QStringList{field}, QVariantList{value}, caseInsensitive, partialKey);
}

bool Table::locate(const QStringList &fields, const QVariantList &values, bool caseInsensitive,
                   bool partialKey) {
    requireActive();
    checkBrowseMode();
    QStringList conds;
    QVariantList params = m_filterParams;
    if (!m_filterSql.isEmpty())
        conds << QStringLiteral("(%1)").arg(m_filterSql);
    for (int i = 0; i < fields.size(); ++i) {
        const FieldDef *fd = m_schema.field(fields[i]);
        if (!fd)
            throw EngineError(DbErr::General,
                              QStringLiteral("Feld %1 der Tabelle %2 nicht gefunden.")
                                  .arg(fields[i], m_fileName));
        const QVariant v = i < values.size() ? values[i] : QVariant();
        bool text = fd->type == FieldType::String || fd->type == FieldType::Memo;
        if (v.isNull()) {
            conds << QStringLiteral("\"%1\" IS NULL").arg(fd->name);
        } else if (text && partialKey) {
            QString pat = v.toString();
            pat.replace(QLatin1Char('\\'), QStringLiteral("\\\\"))
                .replace(QLatin1Char('%'), QStringLiteral("\\%"))
                .replace(QLatin1Char('_'), QStringLiteral("\\_"));
            // LIKE ignores case already; for a case-sensitive prefix compare with substr.
            if (caseInsensitive) {
                conds << QStringLiteral("\"%1\" LIKE ? ESCAPE '\\'").arg(fd->name);
                params << pat + QLatin1Char('%');
            } else {
                conds << QStringLiteral("substr(\"%1\", 1, length(?)) = ?").arg(fd->name);
                params << v.toString() << v.toString();
            }
        } else if (text && caseInsensitive) {
            conds << QStringLiteral("\"%1\" = ? COLLATE NOCASE").arg(fd->name);
            params << v.toString();
        } else {
            conds << QStringLiteral("\"%1\" = ?").arg(fd->name);
            params << toDb(*fd, toStorage(*fd, v));
        }
    }
    qint64 id = 0;
    try {
        QString sql = QStringLiteral("SELECT rowid FROM \"%1\"").arg(m_inner);
        if (!conds.isEmpty())
            sql += QStringLiteral(" WHERE ") + conds.join(QStringLiteral(" AND "));
        sql += QStringLiteral(" ORDER BY ") + orderSql() + QStringLiteral(" LIMIT 1");
        SQLite::Statement st(*m_db, sql.toStdString());
        for (int i = 0; i < params.size(); ++i)
            TableFile::bind(st, i + 1, params[i]);
        if (st.executeStep())
            id = st.getColumn(0).getInt64();
    } catch (const std::exception &e) {
        throw fail(e);
    }
    if (id == 0)
        return false;
    return gotoBookmark(id);
}

bool Table::findKey(const QVariantList &values) {
    const QStringList f = orderFields().mid(0, values.size());
    return locate(f, values);
}

void Table::findNearest(const QVariantList &values) {
    requireActive();
    checkBrowseMode();
    const QStringList f = orderFields().mid(0, values.size());
    if (f.isEmpty())
        return;
    QStringList cols, marks;
    QVariantList params = m_filterParams;
    for (int i = 0; i < f.size(); ++i) {
        const FieldDef *fd = m_schema.field(f[i]);
        cols << QStringLiteral("\"%1\"").arg(fd->name);
        marks << QStringLiteral("?");
        params << toDb(*fd, toStorage(*fd, values[i]));
    }
    qint64 id = 0;
    try {
        QString sql =
            QStringLiteral("SELECT rowid FROM \"%1\" WHERE (%2) >= (%3)")
                .arg(m_inner, cols.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")));
        if (!m_filterSql.isEmpty())
            sql = QStringLiteral("SELECT rowid FROM \"%1\" WHERE (%2) AND (%3) >= (%4)")
                      .arg(m_inner, m_filterSql, cols.join(QStringLiteral(", ")),
                           marks.join(QStringLiteral(", ")));
        sql += QStringLiteral(" ORDER BY ") + orderSql() + QStringLiteral(" LIMIT 1");
        SQLite::Statement st(*m_db, sql.toStdString());
        for (int i = 0; i < params.size(); ++i)
            TableFile::bind(st, i + 1, params[i]);
        if (st.executeStep())
            id = st.getColumn(0).getInt64();
    } catch (const std::exception &e) {
        throw fail(e);
    }
    if (id == 0 || !gotoBookmark(id))
        last();
}

void Table::loadCurrent() const {
    ensureIds();
    if (m_curLoaded)
        return;
    m_cur.clear();
    if (m_pos < 0 || m_pos >= int(m_ids.size())) {
        for (size_t i = 0; i < m_schema.fields.size(); ++i)
            m_cur << QVariant();
        m_curLoaded = true;
        return;
    }
    try {
        SQLite::Statement st(
            *m_db,
            QStringLiteral("SELECT * FROM \"%1\" WHERE rowid = ?").arg(m_inner).toStdString());
        st.bind(1, static_cast<int64_t>(m_ids[size_t(m_pos)]));
        if (st.executeStep()) {
            for (size_t i = 0; i < m_schema.fields.size(); ++i)
                m_cur << fromDb(m_schema.fields[i], TableFile::columnValue(st.getColumn(int(i))));
        } else {
            for (size_t i = 0; i < m_schema.fields.size(); ++i)
                m_cur << QVariant();
        }
    } catch (const std::exception &e) {
        throw fail(e);
    }
    m_curLoaded = true;
}

QVariant Table::fromDb(const FieldDef &f, const QVariant &v) const {
    if (v.isNull())
        return QVariant();
    switch (f.type) {
    case FieldType::Date: {
        QDate d = fromIsoDate(v.toString());
        return d.isValid() ? QVariant(d) : QVariant();
    }
    case FieldType::DateTime:
        return QVariant(QDateTime::fromString(v.toString(), Qt::ISODate));
    case FieldType::Boolean:
        return QVariant(v.toLongLong() != 0);
    case FieldType::Float:
        return QVariant(v.toDouble());
    case FieldType::Integer:
    case FieldType::SmallInt:
    case FieldType::Currency:
        return QVariant(static_cast<qlonglong>(v.toLongLong()));
    default:
        return QVariant(v.toString());
    }
}

QVariant Table::toDb(const FieldDef &f, const QVariant &v) const {
    if (v.isNull())
        return QVariant();
    switch (f.type) {
    case FieldType::Date:
        return QVariant(isoDate(v.toDate()));
    case FieldType::DateTime:
        return QVariant(v.toDateTime().toString(Qt::ISODate));
    case FieldType::Boolean:
        return QVariant(static_cast<qlonglong>(v.toBool() ? 1 : 0));
    default:
        return v;
    }
}

QVariant Table::toStorage(const FieldDef &f, const QVariant &v) const {
    if (!v.isValid() || v.isNull())
        return QVariant();
    auto bad = [&] {
        return EngineError(DbErr::General,
                           QStringLiteral("'%1' ist kein gültiger Wert für das Feld %2.")
                               .arg(v.toString(), f.name));
    };
    switch (f.type) {
    case FieldType::Integer:
    case FieldType::SmallInt: {
        bool ok = true;
        qlonglong n = v.typeId() == QMetaType::QString ? v.toString().trimmed().toLongLong(&ok)
                                                       : v.toLongLong(&ok);
        if (v.typeId() == QMetaType::QString && v.toString().trimmed().isEmpty())
            return QVariant();
        if (!ok)
            throw bad();
        if (f.type == FieldType::SmallInt && (n < -32768 || n > 32767))
            throw bad();
        if (f.type == FieldType::Integer && (n < INT32_MIN || n > INT32_MAX))
            throw bad();
        return QVariant(n);
    }
    case FieldType::Currency: {
        if (v.metaType() == QMetaType::fromType<Money>())
            return QVariant(static_cast<qlonglong>(v.value<Money>().units()));
        if (v.typeId() == QMetaType::QString) {
            if (v.toString().trimmed().isEmpty())
                return QVariant();
            auto m = Money::parseGerman(v.toString());
            if (!m)
                throw bad();
            return QVariant(static_cast<qlonglong>(m->units()));
        }
        if (v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float)
            return QVariant(static_cast<qlonglong>(Money::fromDoubleNearest(v.toDouble()).units()));
        // An integer is the storage form that value() hands out, so values copy unchanged
        // from one table to another.
        return QVariant(static_cast<qlonglong>(v.toLongLong()));
    }
    case FieldType::Float: {
        bool ok = true;
        double d = v.toDouble(&ok);
        if (v.typeId() == QMetaType::QString) {
            QString s = v.toString().trimmed();
            if (s.isEmpty())
                return QVariant();
            s.replace(QLatin1Char(','), QLatin1Char('.'));
            d = s.toDouble(&ok);
        }
        if (!ok)
            throw bad();
        return QVariant(d);
    }
    case FieldType::Date: {
        if (v.typeId() == QMetaType::QDate)
            return v.toDate().isValid() ? v : QVariant();
        if (v.toString().trimmed().isEmpty())
            return QVariant();
        auto d = parseGermanDate(v.toString());
        if (!d) {
            QDate iso = fromIsoDate(v.toString());
            if (!iso.isValid())
                throw bad();
            return QVariant(iso);
        }
        return QVariant(*d);
    }
    case FieldType::DateTime:
        return QVariant(v.toDateTime());
    case FieldType::Boolean:
        return QVariant(v.toBool());
    case FieldType::String:
        return QVariant(v.toString().left(f.size > 0 ? f.size : 255));
    default:
        return QVariant(v.toString());
    }
}

bool Table::isLookup(const QString &name) const {
    return std::any_of(m_lookups.begin(), m_lookups.end(), [&](const Lookup &l) {
        return l.name.compare(name, Qt::CaseInsensitive) == 0;
    });
}

const FieldDef *Table::fieldDef(const QString &name) const {
    if (const FieldDef *f = m_schema.field(name))
        return f;
    for (const auto &l : m_lookups)
        if (l.name.compare(name, Qt::CaseInsensitive) == 0 && l.source)
            return l.source->schema().field(l.resultField);
    return nullptr;
}

void Table::addLookup(const QString &name, const QString &keyField, Table *source,
                      const QString &sourceKey, const QString &resultField) {
    m_lookups.push_back({name, keyField, sourceKey, resultField, source});
}

QVariant Table::value(const QString &field) const {
    requireActive();
    int i = m_schema.fieldIndex(field);
    if (i >= 0) {
        if (isEditing())
            return m_buf[i];
        loadCurrent();
        return m_cur[i];
    }
    for (const auto &l : m_lookups) {
        if (l.name.compare(field, Qt::CaseInsensitive) != 0)
            continue;
        const QVariant key = value(l.keyField);
        if (key.isNull() || !l.source || !l.source->isActive())
            return QVariant();
        const FieldDef *rf = l.source->schema().field(l.resultField);
        const FieldDef *kf = l.source->schema().field(l.sourceKey);
        if (!rf || !kf)
            return QVariant();
        try {
            SQLite::Statement st(
                *l.source->m_db,
                QStringLiteral("SELECT \"%1\" FROM \"%2\" WHERE \"%3\" = ? LIMIT 1")
                    .arg(rf->name, l.source->m_inner, kf->name)
                    .toStdString());
            TableFile::bind(st, 1, toDb(*kf, key));
            if (st.executeStep())
                return fromDb(*rf, TableFile::columnValue(st.getColumn(0)));
        } catch (const std::exception &e) {
            throw l.source->fail(e);
        }
        return QVariant();
    }
    throw EngineError(
        DbErr::General,
        QStringLiteral("Feld %1 der Tabelle %2 nicht gefunden.").arg(field, m_fileName));
}

qint64 Table::asInt(const QString &field) const {
    return value(field).toLongLong();
}
double Table::asDouble(const QString &field) const {
    return value(field).toDouble();
}
QString Table::asString(const QString &field) const {
    const QVariant v = value(field);
    const FieldDef *fd = fieldDef(field);
    if (fd && fd->type == FieldType::Currency && !v.isNull())
        return Money::fromUnits(v.toLongLong()).toGerman();
    if (fd && fd->type == FieldType::Date)
        return germanDate(v.toDate());
    return v.toString();
}
QDate Table::asDate(const QString &field) const {
    return value(field).toDate();
}
bool Table::asBool(const QString &field) const {
    return value(field).toBool();
}

Money Table::asMoney(const QString &field) const {
    const QVariant v = value(field);
    const FieldDef *fd = fieldDef(field);
    if (fd && fd->type == FieldType::Currency)
        return Money::fromUnits(v.toLongLong());
    if (v.typeId() == QMetaType::Double)
        return Money::fromDoubleNearest(v.toDouble());
    return Money::fromWhole(v.toLongLong());
}

void Table::setValue(const QString &field, const QVariant &v) {
    requireActive();
    int i = m_schema.fieldIndex(field);
    if (i < 0)
        throw EngineError(
            DbErr::General,
            QStringLiteral("Feld %1 der Tabelle %2 nicht gefunden.").arg(field, m_fileName));
    if (!isEditing())
        throw EngineError(
            DbErr::General,
            QStringLiteral("Die Tabelle %1 ist nicht im Bearbeitungsmodus.").arg(m_fileName));
    m_buf[i] = toStorage(m_schema.fields[size_t(i)], v);
    notify(Change::Data);
}

void Table::setMoney(const QString &field, Money m) {
    setValue(field, QVariant::fromValue(m));
}

void Table::insert() {
    requireActive();
    checkBrowseMode();
    if (beforeInsert)
        beforeInsert(*this);
    m_buf.clear();
    for (size_t i = 0; i < m_schema.fields.size(); ++i)
        m_buf << QVariant();
    m_editId = 0;
    m_state = DsState::Insert;
    try {
        if (onNewRecord)
            onNewRecord(*this);
    } catch (...) {
        m_buf.clear();
        m_state = DsState::Browse;
        notify(Change::State);
        throw;
    }
    notify(Change::State);
    if (afterInsert)
        afterInsert(*this);
}

void Table::edit() {
    requireActive();
    if (isEditing())
        return;
    ensureIds();
    if (m_ids.empty()) {
        insert();
        return;
    }
    if (beforeEdit)
        beforeEdit(*this);
    loadCurrent();
    m_buf = m_cur;
    m_editId = m_ids[size_t(m_pos)];
    m_state = DsState::Edit;
    notify(Change::State);
    if (afterEdit)
        afterEdit(*this);
}

void Table::post() {
    requireActive();
    if (!isEditing())
        return;
    if (beforePost)
        beforePost(*this);
    for (size_t i = 0; i < m_schema.fields.size(); ++i)
        if (m_schema.fields[i].required && m_buf[int(i)].isNull())
            throw EngineError(
                DbErr::RequiredField,
                QStringLiteral("Feld '%1' muss einen Wert haben.").arg(m_schema.fields[i].name));
    qint64 id = m_editId;
    {
        JointWrite joint(*this);
        if (writeWithPost)
            writeWithPost(*this);
        try {
            QStringList cols, marks;
            for (const auto &f : m_schema.fields) {
                cols << QStringLiteral("\"%1\"").arg(f.name);
                marks << (m_state == DsState::Insert ? QStringLiteral("?")
                                                     : QStringLiteral("\"%1\" = ?").arg(f.name));
            }
            QString sql = m_state == DsState::Insert
                              ? QStringLiteral("INSERT INTO main.\"%1\" (%2) VALUES (%3)")
                                    .arg(m_inner, cols.join(QStringLiteral(", ")),
                                         marks.join(QStringLiteral(", ")))
                              : QStringLiteral("UPDATE main.\"%1\" SET %2 WHERE rowid = ?")
                                    .arg(m_inner, marks.join(QStringLiteral(", ")));
            SQLite::Statement st(*m_db, sql.toStdString());
            for (size_t i = 0; i < m_schema.fields.size(); ++i)
                TableFile::bind(st, int(i) + 1, toDb(m_schema.fields[i], m_buf[int(i)]));
            if (m_state == DsState::Edit)
                st.bind(int(m_schema.fields.size()) + 1, static_cast<int64_t>(m_editId));
            st.exec();
            if (m_state == DsState::Insert)
                id = m_db->getLastInsertRowid();
        } catch (const std::exception &e) {
            throw fail(e);
        }
        joint.commit();
    }
    m_state = DsState::Browse;
    m_buf.clear();
    reload(id);
    notify(Change::Reset);
    if (afterPost)
        afterPost(*this);
}

void Table::cancel() {
    if (!isEditing())
        return;
    if (beforeCancel)
        beforeCancel(*this);
    m_state = DsState::Browse;
    m_buf.clear();
    m_curLoaded = false;
    notify(Change::State);
    if (afterCancel)
        afterCancel(*this);
}

void Table::remove() {
    requireActive();
    if (m_state == DsState::Insert) {
        cancel();
        return;
    }
    ensureIds();
    if (m_ids.empty())
        throw EngineError(DbErr::General,
                          QStringLiteral("Die Tabelle %1 ist leer.").arg(m_fileName));
    if (beforeDelete)
        beforeDelete(*this);
    ensureIds();
    const qint64 id = m_ids[size_t(m_pos)];
    {
        JointWrite joint(*this);
        if (writeWithDelete)
            writeWithDelete(*this);
        try {
            SQLite::Statement st(*m_db, QStringLiteral("DELETE FROM main.\"%1\" WHERE rowid = ?")
                                            .arg(m_inner)
                                            .toStdString());
            st.bind(1, static_cast<int64_t>(id));
            st.exec();
        } catch (const std::exception &e) {
            throw fail(e);
        }
        joint.commit();
    }
    m_state = DsState::Browse;
    m_buf.clear();
    reload(0);
    notify(Change::Reset);
    if (afterDelete)
        afterDelete(*this);
}

void Table::checkBrowseMode() {
    if (isEditing())
        post();
}

void Table::appendRecord(const QVariantList &values) {
    requireActive();
    checkBrowseMode();
    qint64 id = 0;
    try {
        QStringList cols, marks;
        for (const auto &f : m_schema.fields) {
            cols << QStringLiteral("\"%1\"").arg(f.name);
            marks << QStringLiteral("?");
        }
        SQLite::Statement st(*m_db, QStringLiteral("INSERT INTO \"%1\" (%2) VALUES (%3)")
                                        .arg(m_inner, cols.join(QStringLiteral(", ")),
                                             marks.join(QStringLiteral(", ")))
                                        .toStdString());
        for (size_t i = 0; i < m_schema.fields.size(); ++i) {
            QVariant v =
                int(i) < values.size() ? toStorage(m_schema.fields[i], values[int(i)]) : QVariant();
            TableFile::bind(st, int(i) + 1, toDb(m_schema.fields[i], v));
        }
        st.exec();
        id = m_db->getLastInsertRowid();
    } catch (const EngineError &) {
        throw;
    } catch (const std::exception &e) {
        throw fail(e);
    }
    reload(id);
    notify(Change::Reset);
}

void Table::emptyTable() {
    requireActive();
    if (isEditing())
        cancel();
    try {
        m_db->exec(QStringLiteral("DELETE FROM \"%1\"").arg(m_inner).toStdString());
    } catch (const std::exception &e) {
        throw fail(e);
    }
    reload(0);
    notify(Change::Reset);
}

} // namespace ledra
