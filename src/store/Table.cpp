#include "Table.h"

#include "Dates.h"
#include "TableFile.h"

#include <QDir>
#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <algorithm>

Table::Table(const TableSchema &schema, QString objectName)
    : schema_(schema), objectName_(std::move(objectName)), fileName_(schema.fileName)
{
}

Table::~Table() = default;

void Table::setFolder(const QString &folder)
{
    if (isActive()) close();
    folder_ = folder;
}

void Table::setFileName(const QString &fileName)
{
    if (isActive()) close();
    fileName_ = fileName;
}

QString Table::path() const
{
    return isActive() ? openPath_ : TableFile::resolve(folder_, fileName_);
}

EngineError Table::fail(const std::exception &e) const { return TableFile::translate(e, path()); }

void Table::requireActive() const
{
    if (!isActive())
        throw EngineError(DbErr::General,
                          QStringLiteral("Die Tabelle %1 ist nicht geöffnet.").arg(fileName_));
}

void Table::open()
{
    if (isActive()) return;
    const QString p = TableFile::resolve(folder_, fileName_);
    db_ = TableFile::open(p, &schema_);
    openPath_ = p;
    inner_ = TableFile::innerName(*db_);
    state_ = DsState::Browse;
    try {
        reload(0);
    } catch (...) {
        close();
        throw;
    }
    notify(Change::Reset);
}

void Table::close()
{
    db_.reset();
    ids_.clear();
    pos_ = -1;
    bof_ = eof_ = true;
    curLoaded_ = false;
    buf_.clear();
    state_ = DsState::Inactive;
    notify(Change::Reset);
}

SQLite::Database &Table::db()
{
    requireActive();
    return *db_;
}

void Table::setIndexName(const QString &name)
{
    const IndexDef *ix = schema_.index(name);
    if (!ix && !name.isEmpty())
        throw EngineError(DbErr::General,
                          QStringLiteral("Index %1 der Tabelle %2 nicht gefunden.").arg(name, fileName_));
    indexName_ = name;
    indexFields_.clear();
    if (isActive()) {
        reload(currentId());
        notify(Change::Reset);
    }
}

void Table::setIndexFields(const QStringList &fields)
{
    for (const auto &f : fields)
        if (schema_.fieldIndex(f) < 0)
            throw EngineError(DbErr::General,
                              QStringLiteral("Feld %1 der Tabelle %2 nicht gefunden.").arg(f, fileName_));
    indexFields_ = fields;
    indexName_.clear();
    if (isActive()) {
        reload(currentId());
        notify(Change::Reset);
    }
}

QStringList Table::orderFields() const
{
    if (!indexFields_.isEmpty()) return indexFields_;
    const IndexDef *ix = schema_.index(indexName_);
    return ix ? ix->fields : QStringList();
}

QString Table::orderSql() const
{
    QStringList parts;
    const IndexDef *ix = indexFields_.isEmpty() ? schema_.index(indexName_) : nullptr;
    for (const auto &f : orderFields()) {
        const FieldDef *fd = schema_.field(f);
        bool text = fd && (fd->type == FieldType::String || fd->type == FieldType::Memo);
        bool ci = text && (ix ? ix->caseInsensitive : false);
        parts << QStringLiteral("\"%1\"%2").arg(f, ci ? QStringLiteral(" COLLATE NOCASE") : QString());
    }
    parts << QStringLiteral("rowid");
    return parts.join(QStringLiteral(", "));
}

void Table::setFilter(const QString &whereSql, const QVariantList &params)
{
    filterSql_ = whereSql;
    filterParams_ = params;
    if (isActive()) {
        checkBrowseMode();
        reload(currentId());
        notify(Change::Reset);
    }
}

void Table::clearFilter() { setFilter(QString(), {}); }

void Table::reload(qint64 keepId)
{
    stale_ = true;
    keepId_ = keepId;
    count_ = -1;
    curLoaded_ = false;
}

qint64 Table::currentId() const
{
    if (stale_) return keepId_;
    return (pos_ >= 0 && pos_ < int(ids_.size())) ? ids_[size_t(pos_)] : 0;
}

int Table::recordCount() const
{
    if (!stale_) return int(ids_.size());
    if (count_ < 0) {
        try {
            QString sql = QStringLiteral("SELECT COUNT(*) FROM \"%1\"").arg(inner_);
            if (!filterSql_.isEmpty()) sql += QStringLiteral(" WHERE (%1)").arg(filterSql_);
            SQLite::Statement st(*db_, sql.toStdString());
            for (int i = 0; i < filterParams_.size(); ++i) TableFile::bind(st, i + 1, filterParams_[i]);
            count_ = st.executeStep() ? st.getColumn(0).getInt() : 0;
        } catch (const std::exception &e) {
            throw fail(e);
        }
    }
    return count_;
}

void Table::ensureIds() const
{
    if (!stale_ || !db_) return;
    std::vector<qint64> ids;
    try {
        QString sql = QStringLiteral("SELECT rowid FROM \"%1\"").arg(inner_);
        if (!filterSql_.isEmpty()) sql += QStringLiteral(" WHERE (%1)").arg(filterSql_);
        sql += QStringLiteral(" ORDER BY ") + orderSql();
        SQLite::Statement st(*db_, sql.toStdString());
        for (int i = 0; i < filterParams_.size(); ++i) TableFile::bind(st, i + 1, filterParams_[i]);
        while (st.executeStep()) ids.push_back(st.getColumn(0).getInt64());
    } catch (const std::exception &e) {
        throw fail(e);
    }
    ids_.swap(ids);
    stale_ = false;
    curLoaded_ = false;
    int found = -1;
    if (keepId_ != 0) {
        auto it = std::find(ids_.begin(), ids_.end(), keepId_);
        if (it != ids_.end()) found = int(it - ids_.begin());
    }
    if (ids_.empty())
        pos_ = -1;
    else if (found >= 0)
        pos_ = found;
    else
        pos_ = std::clamp(pos_, 0, int(ids_.size()) - 1);
    bof_ = eof_ = ids_.empty();
}

void Table::refresh()
{
    requireActive();
    checkBrowseMode();
    reload(currentId());
    notify(Change::Reset);
}

void Table::notify(Change c)
{
    if (controlsDisabled_ > 0) return;
    for (auto &o : observers_) o(c);
}

void Table::enableControls()
{
    if (controlsDisabled_ > 0 && --controlsDisabled_ == 0) notify(Change::Reset);
}

void Table::scrolled()
{
    curLoaded_ = false;
    notify(Change::Current);
    if (afterScroll) afterScroll(*this);
}

void Table::first()
{
    requireActive();
    checkBrowseMode();
    ensureIds();
    pos_ = ids_.empty() ? -1 : 0;
    bof_ = true;
    eof_ = ids_.empty();
    scrolled();
}

void Table::last()
{
    requireActive();
    checkBrowseMode();
    ensureIds();
    pos_ = int(ids_.size()) - 1;
    eof_ = true;
    bof_ = ids_.empty();
    scrolled();
}

void Table::next()
{
    requireActive();
    checkBrowseMode();
    ensureIds();
    if (pos_ + 1 < int(ids_.size())) {
        ++pos_;
        bof_ = false;
        eof_ = false;
        scrolled();
    } else {
        eof_ = true;
    }
}

void Table::prior()
{
    requireActive();
    checkBrowseMode();
    ensureIds();
    if (pos_ > 0) {
        --pos_;
        bof_ = false;
        eof_ = false;
        scrolled();
    } else {
        bof_ = true;
    }
}

void Table::moveTo(int row)
{
    requireActive();
    checkBrowseMode();
    ensureIds();
    if (ids_.empty()) return;
    pos_ = std::clamp(row, 0, int(ids_.size()) - 1);
    bof_ = eof_ = false;
    scrolled();
}

qint64 Table::bookmark() const
{
    ensureIds();
    return (pos_ >= 0 && pos_ < int(ids_.size())) ? ids_[size_t(pos_)] : 0;
}

bool Table::gotoBookmark(qint64 bm)
{
    requireActive();
    checkBrowseMode();
    ensureIds();
    auto it = std::find(ids_.begin(), ids_.end(), bm);
    if (it == ids_.end()) return false;
    pos_ = int(it - ids_.begin());
    bof_ = eof_ = false;
    scrolled();
    return true;
}

bool Table::locate(const QString &field, const QVariant &value, bool caseInsensitive, bool partialKey)
{
    return locate(QStringList{field}, QVariantList{value}, caseInsensitive, partialKey);
}

bool Table::locate(const QStringList &fields, const QVariantList &values, bool caseInsensitive,
                   bool partialKey)
{
    requireActive();
    checkBrowseMode();
    QStringList conds;
    QVariantList params = filterParams_;
    if (!filterSql_.isEmpty()) conds << QStringLiteral("(%1)").arg(filterSql_);
    for (int i = 0; i < fields.size(); ++i) {
        const FieldDef *fd = schema_.field(fields[i]);
        if (!fd)
            throw EngineError(DbErr::General,
                              QStringLiteral("Feld %1 der Tabelle %2 nicht gefunden.").arg(fields[i], fileName_));
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
        QString sql = QStringLiteral("SELECT rowid FROM \"%1\"").arg(inner_);
        if (!conds.isEmpty()) sql += QStringLiteral(" WHERE ") + conds.join(QStringLiteral(" AND "));
        sql += QStringLiteral(" ORDER BY ") + orderSql() + QStringLiteral(" LIMIT 1");
        SQLite::Statement st(*db_, sql.toStdString());
        for (int i = 0; i < params.size(); ++i) TableFile::bind(st, i + 1, params[i]);
        if (st.executeStep()) id = st.getColumn(0).getInt64();
    } catch (const std::exception &e) {
        throw fail(e);
    }
    if (id == 0) return false;
    return gotoBookmark(id);
}

bool Table::findKey(const QVariantList &values)
{
    const QStringList f = orderFields().mid(0, values.size());
    return locate(f, values);
}

void Table::findNearest(const QVariantList &values)
{
    requireActive();
    checkBrowseMode();
    const QStringList f = orderFields().mid(0, values.size());
    if (f.isEmpty()) return;
    QStringList cols, marks;
    QVariantList params = filterParams_;
    for (int i = 0; i < f.size(); ++i) {
        const FieldDef *fd = schema_.field(f[i]);
        cols << QStringLiteral("\"%1\"").arg(fd->name);
        marks << QStringLiteral("?");
        params << toDb(*fd, toStorage(*fd, values[i]));
    }
    qint64 id = 0;
    try {
        QString sql = QStringLiteral("SELECT rowid FROM \"%1\" WHERE (%2) >= (%3)")
                          .arg(inner_, cols.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")));
        if (!filterSql_.isEmpty()) sql = QStringLiteral("SELECT rowid FROM \"%1\" WHERE (%2) AND (%3) >= (%4)")
                                            .arg(inner_, filterSql_, cols.join(QStringLiteral(", ")),
                                                 marks.join(QStringLiteral(", ")));
        sql += QStringLiteral(" ORDER BY ") + orderSql() + QStringLiteral(" LIMIT 1");
        SQLite::Statement st(*db_, sql.toStdString());
        for (int i = 0; i < params.size(); ++i) TableFile::bind(st, i + 1, params[i]);
        if (st.executeStep()) id = st.getColumn(0).getInt64();
    } catch (const std::exception &e) {
        throw fail(e);
    }
    if (id == 0 || !gotoBookmark(id)) last();
}

void Table::loadCurrent() const
{
    ensureIds();
    if (curLoaded_) return;
    cur_.clear();
    if (pos_ < 0 || pos_ >= int(ids_.size())) {
        for (size_t i = 0; i < schema_.fields.size(); ++i) cur_ << QVariant();
        curLoaded_ = true;
        return;
    }
    try {
        SQLite::Statement st(*db_, QStringLiteral("SELECT * FROM \"%1\" WHERE rowid = ?").arg(inner_).toStdString());
        st.bind(1, static_cast<int64_t>(ids_[size_t(pos_)]));
        if (st.executeStep()) {
            for (size_t i = 0; i < schema_.fields.size(); ++i)
                cur_ << fromDb(schema_.fields[i], TableFile::columnValue(st.getColumn(int(i))));
        } else {
            for (size_t i = 0; i < schema_.fields.size(); ++i) cur_ << QVariant();
        }
    } catch (const std::exception &e) {
        throw fail(e);
    }
    curLoaded_ = true;
}

QVariant Table::fromDb(const FieldDef &f, const QVariant &v) const
{
    if (v.isNull()) return QVariant();
    switch (f.type) {
    case FieldType::Date: {
        QDate d = fromIsoDate(v.toString());
        return d.isValid() ? QVariant(d) : QVariant();
    }
    case FieldType::DateTime: return QVariant(QDateTime::fromString(v.toString(), Qt::ISODate));
    case FieldType::Boolean: return QVariant(v.toLongLong() != 0);
    case FieldType::Float: return QVariant(v.toDouble());
    case FieldType::Integer:
    case FieldType::SmallInt:
    case FieldType::Currency: return QVariant(static_cast<qlonglong>(v.toLongLong()));
    default: return QVariant(v.toString());
    }
}

QVariant Table::toDb(const FieldDef &f, const QVariant &v) const
{
    if (v.isNull()) return QVariant();
    switch (f.type) {
    case FieldType::Date: return QVariant(isoDate(v.toDate()));
    case FieldType::DateTime: return QVariant(v.toDateTime().toString(Qt::ISODate));
    case FieldType::Boolean: return QVariant(static_cast<qlonglong>(v.toBool() ? 1 : 0));
    default: return v;
    }
}

QVariant Table::toStorage(const FieldDef &f, const QVariant &v) const
{
    if (!v.isValid() || v.isNull()) return QVariant();
    auto bad = [&] {
        return EngineError(DbErr::General, QStringLiteral("'%1' ist kein gültiger Wert für das Feld %2.")
                                               .arg(v.toString(), f.name));
    };
    switch (f.type) {
    case FieldType::Integer:
    case FieldType::SmallInt: {
        bool ok = true;
        qlonglong n = v.typeId() == QMetaType::QString ? v.toString().trimmed().toLongLong(&ok)
                                                       : v.toLongLong(&ok);
        if (v.typeId() == QMetaType::QString && v.toString().trimmed().isEmpty()) return QVariant();
        if (!ok) throw bad();
        if (f.type == FieldType::SmallInt && (n < -32768 || n > 32767)) throw bad();
        if (f.type == FieldType::Integer && (n < INT32_MIN || n > INT32_MAX)) throw bad();
        return QVariant(n);
    }
    case FieldType::Currency: {
        if (v.metaType() == QMetaType::fromType<Money>())
            return QVariant(static_cast<qlonglong>(v.value<Money>().units()));
        if (v.typeId() == QMetaType::QString) {
            if (v.toString().trimmed().isEmpty()) return QVariant();
            auto m = Money::parseGerman(v.toString());
            if (!m) throw bad();
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
            if (s.isEmpty()) return QVariant();
            s.replace(QLatin1Char(','), QLatin1Char('.'));
            d = s.toDouble(&ok);
        }
        if (!ok) throw bad();
        return QVariant(d);
    }
    case FieldType::Date: {
        if (v.typeId() == QMetaType::QDate) return v.toDate().isValid() ? v : QVariant();
        if (v.toString().trimmed().isEmpty()) return QVariant();
        auto d = parseGermanDate(v.toString());
        if (!d) {
            QDate iso = fromIsoDate(v.toString());
            if (!iso.isValid()) throw bad();
            return QVariant(iso);
        }
        return QVariant(*d);
    }
    case FieldType::DateTime: return QVariant(v.toDateTime());
    case FieldType::Boolean: return QVariant(v.toBool());
    case FieldType::String: return QVariant(v.toString().left(f.size > 0 ? f.size : 255));
    default: return QVariant(v.toString());
    }
}

bool Table::isLookup(const QString &name) const
{
    return std::any_of(lookups_.begin(), lookups_.end(), [&](const Lookup &l) {
        return l.name.compare(name, Qt::CaseInsensitive) == 0;
    });
}

const FieldDef *Table::fieldDef(const QString &name) const
{
    if (const FieldDef *f = schema_.field(name)) return f;
    for (const auto &l : lookups_)
        if (l.name.compare(name, Qt::CaseInsensitive) == 0 && l.source) return l.source->schema().field(l.resultField);
    return nullptr;
}

void Table::addLookup(const QString &name, const QString &keyField, Table *source,
                      const QString &sourceKey, const QString &resultField)
{
    lookups_.push_back({name, keyField, sourceKey, resultField, source});
}

QVariant Table::value(const QString &field) const
{
    requireActive();
    int i = schema_.fieldIndex(field);
    if (i >= 0) {
        if (isEditing()) return buf_[i];
        loadCurrent();
        return cur_[i];
    }
    for (const auto &l : lookups_) {
        if (l.name.compare(field, Qt::CaseInsensitive) != 0) continue;
        const QVariant key = value(l.keyField);
        if (key.isNull() || !l.source || !l.source->isActive()) return QVariant();
        const FieldDef *rf = l.source->schema().field(l.resultField);
        const FieldDef *kf = l.source->schema().field(l.sourceKey);
        if (!rf || !kf) return QVariant();
        try {
            SQLite::Statement st(*l.source->db_, QStringLiteral("SELECT \"%1\" FROM \"%2\" WHERE \"%3\" = ? LIMIT 1")
                                                   .arg(rf->name, l.source->inner_, kf->name)
                                                   .toStdString());
            TableFile::bind(st, 1, toDb(*kf, key));
            if (st.executeStep()) return fromDb(*rf, TableFile::columnValue(st.getColumn(0)));
        } catch (const std::exception &e) {
            throw l.source->fail(e);
        }
        return QVariant();
    }
    throw EngineError(DbErr::General,
                      QStringLiteral("Feld %1 der Tabelle %2 nicht gefunden.").arg(field, fileName_));
}

qint64 Table::asInt(const QString &field) const { return value(field).toLongLong(); }
double Table::asDouble(const QString &field) const { return value(field).toDouble(); }
QString Table::asString(const QString &field) const
{
    const QVariant v = value(field);
    const FieldDef *fd = fieldDef(field);
    if (fd && fd->type == FieldType::Currency && !v.isNull())
        return Money::fromUnits(v.toLongLong()).toGerman();
    if (fd && fd->type == FieldType::Date) return germanDate(v.toDate());
    return v.toString();
}
QDate Table::asDate(const QString &field) const { return value(field).toDate(); }
bool Table::asBool(const QString &field) const { return value(field).toBool(); }

Money Table::asMoney(const QString &field) const
{
    const QVariant v = value(field);
    const FieldDef *fd = fieldDef(field);
    if (fd && fd->type == FieldType::Currency) return Money::fromUnits(v.toLongLong());
    if (v.typeId() == QMetaType::Double) return Money::fromDoubleNearest(v.toDouble());
    return Money::fromWhole(v.toLongLong());
}

void Table::setValue(const QString &field, const QVariant &v)
{
    requireActive();
    int i = schema_.fieldIndex(field);
    if (i < 0)
        throw EngineError(DbErr::General,
                          QStringLiteral("Feld %1 der Tabelle %2 nicht gefunden.").arg(field, fileName_));
    if (!isEditing())
        throw EngineError(DbErr::General, QStringLiteral("Die Tabelle %1 ist nicht im Bearbeitungsmodus.")
                                              .arg(fileName_));
    buf_[i] = toStorage(schema_.fields[size_t(i)], v);
    notify(Change::Data);
}

void Table::setMoney(const QString &field, Money m) { setValue(field, QVariant::fromValue(m)); }

void Table::insert()
{
    requireActive();
    checkBrowseMode();
    if (beforeInsert) beforeInsert(*this);
    buf_.clear();
    for (size_t i = 0; i < schema_.fields.size(); ++i) buf_ << QVariant();
    editId_ = 0;
    state_ = DsState::Insert;
    try {
        if (onNewRecord) onNewRecord(*this);
    } catch (...) {
        buf_.clear();
        state_ = DsState::Browse;
        notify(Change::State);
        throw;
    }
    notify(Change::State);
    if (afterInsert) afterInsert(*this);
}

void Table::edit()
{
    requireActive();
    if (isEditing()) return;
    ensureIds();
    if (ids_.empty()) {
        insert();
        return;
    }
    if (beforeEdit) beforeEdit(*this);
    loadCurrent();
    buf_ = cur_;
    editId_ = ids_[size_t(pos_)];
    state_ = DsState::Edit;
    notify(Change::State);
    if (afterEdit) afterEdit(*this);
}

void Table::post()
{
    requireActive();
    if (!isEditing()) return;
    if (beforePost) beforePost(*this);
    for (size_t i = 0; i < schema_.fields.size(); ++i)
        if (schema_.fields[i].required && buf_[int(i)].isNull())
            throw EngineError(DbErr::RequiredField,
                              QStringLiteral("Feld '%1' muss einen Wert haben.").arg(schema_.fields[i].name));
    qint64 id = editId_;
    try {
        QStringList cols, marks;
        for (const auto &f : schema_.fields) {
            cols << QStringLiteral("\"%1\"").arg(f.name);
            marks << (state_ == DsState::Insert ? QStringLiteral("?") : QStringLiteral("\"%1\" = ?").arg(f.name));
        }
        QString sql = state_ == DsState::Insert
                          ? QStringLiteral("INSERT INTO \"%1\" (%2) VALUES (%3)")
                                .arg(inner_, cols.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")))
                          : QStringLiteral("UPDATE \"%1\" SET %2 WHERE rowid = ?")
                                .arg(inner_, marks.join(QStringLiteral(", ")));
        SQLite::Statement st(*db_, sql.toStdString());
        for (size_t i = 0; i < schema_.fields.size(); ++i)
            TableFile::bind(st, int(i) + 1, toDb(schema_.fields[i], buf_[int(i)]));
        if (state_ == DsState::Edit) st.bind(int(schema_.fields.size()) + 1, static_cast<int64_t>(editId_));
        st.exec();
        if (state_ == DsState::Insert) id = db_->getLastInsertRowid();
    } catch (const std::exception &e) {
        EngineError err = fail(e);
        if (postError) postError(*this);
        throw err;
    }
    state_ = DsState::Browse;
    buf_.clear();
    reload(id);
    notify(Change::Reset);
    if (afterPost) afterPost(*this);
}

void Table::cancel()
{
    if (!isEditing()) return;
    if (beforeCancel) beforeCancel(*this);
    state_ = DsState::Browse;
    buf_.clear();
    curLoaded_ = false;
    notify(Change::State);
    if (afterCancel) afterCancel(*this);
}

void Table::remove()
{
    requireActive();
    if (state_ == DsState::Insert) {
        cancel();
        return;
    }
    ensureIds();
    if (ids_.empty())
        throw EngineError(DbErr::General, QStringLiteral("Die Tabelle %1 ist leer.").arg(fileName_));
    if (beforeDelete) beforeDelete(*this);
    ensureIds();
    const qint64 id = ids_[size_t(pos_)];
    try {
        SQLite::Statement st(*db_, QStringLiteral("DELETE FROM \"%1\" WHERE rowid = ?").arg(inner_).toStdString());
        st.bind(1, static_cast<int64_t>(id));
        st.exec();
    } catch (const std::exception &e) {
        throw fail(e);
    }
    state_ = DsState::Browse;
    buf_.clear();
    reload(0);
    notify(Change::Reset);
    if (afterDelete) afterDelete(*this);
}

void Table::checkBrowseMode()
{
    if (isEditing()) post();
}

void Table::appendRecord(const QVariantList &values)
{
    requireActive();
    checkBrowseMode();
    qint64 id = 0;
    try {
        QStringList cols, marks;
        for (const auto &f : schema_.fields) {
            cols << QStringLiteral("\"%1\"").arg(f.name);
            marks << QStringLiteral("?");
        }
        SQLite::Statement st(*db_, QStringLiteral("INSERT INTO \"%1\" (%2) VALUES (%3)")
                                       .arg(inner_, cols.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")))
                                       .toStdString());
        for (size_t i = 0; i < schema_.fields.size(); ++i) {
            QVariant v = int(i) < values.size() ? toStorage(schema_.fields[i], values[int(i)]) : QVariant();
            TableFile::bind(st, int(i) + 1, toDb(schema_.fields[i], v));
        }
        st.exec();
        id = db_->getLastInsertRowid();
    } catch (const EngineError &) {
        throw;
    } catch (const std::exception &e) {
        throw fail(e);
    }
    reload(id);
    notify(Change::Reset);
}

void Table::emptyTable()
{
    requireActive();
    if (isEditing()) cancel();
    try {
        db_->exec(QStringLiteral("DELETE FROM \"%1\"").arg(inner_).toStdString());
    } catch (const std::exception &e) {
        throw fail(e);
    }
    reload(0);
    notify(Change::Reset);
}
