#include "TableFile.h"

#include "EngineError.h"
#include "TableFileEngine.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Exception.h>
#include <SQLiteCpp/Statement.h>
#include <SQLiteCpp/Transaction.h>
#include <cerrno>
#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>
namespace ledra {

namespace TableFile {

QString withSlash(const QString &folder) {
    QString f = QDir::fromNativeSeparators(folder);
    if (!f.endsWith(QLatin1Char('/')))
        f += QLatin1Char('/');
    return f;
}

QString join(const QString &folder, const QString &fileName) {
    return withSlash(folder) + fileName;
}

QString resolve(const QString &folder, const QString &fileName) {
    const QString direct = join(folder, fileName);
    if (QFileInfo::exists(direct))
        return direct;
    QDir dir(folder);
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden);
    for (const QString &e : entries)
        if (e.compare(fileName, Qt::CaseInsensitive) == 0)
            return dir.filePath(e);
    return direct;
}

bool exists(const QString &folder, const QString &fileName) {
    return QFileInfo(resolve(folder, fileName)).isFile();
}

static std::string local(const QString &p) {
    return QFile::encodeName(p).toStdString();
}

static void syncFile(const QString &path) {
    int fd = ::open(local(path).c_str(), O_RDONLY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

static void syncDir(const QString &path) {
    syncFile(QFileInfo(path).absolutePath());
}

EngineError translate(const std::exception &e, const QString &path) {
    if (auto *ee = dynamic_cast<const EngineError *>(&e))
        return *ee;
    const QString file = QDir::toNativeSeparators(path);
    if (auto *se = dynamic_cast<const SQLite::Exception *>(&e)) {
        const int ext = se->getExtendedErrorCode();
        const int prim = ext & 0xff;
        if (ext == SQLITE_CONSTRAINT_UNIQUE || ext == SQLITE_CONSTRAINT_PRIMARYKEY)
            return EngineError(DbErr::KeyViolation,
                               QStringLiteral("Schlüsselverletzung in %1.").arg(file));
        if (ext == SQLITE_CONSTRAINT_NOTNULL)
            return EngineError(DbErr::RequiredField,
                               QStringLiteral("Ein Pflichtfeld ist leer (%1).").arg(file));
        if (prim == SQLITE_READONLY || prim == SQLITE_CANTOPEN || prim == SQLITE_PERM)
            return EngineError(DbErr::ReadOnly,
                               QStringLiteral("Die Tabelle %1 kann nicht geschrieben werden "
                                              "(schreibgeschützt oder Ordner nicht beschreibbar).")
                                   .arg(file));
        if (prim == SQLITE_NOTADB || prim == SQLITE_CORRUPT)
            return EngineError(
                DbErr::Damaged,
                QStringLiteral("Die Datei %1 ist keine gültige Tabelle oder beschädigt.")
                    .arg(file));
        if (prim == SQLITE_FULL)
            return EngineError(DbErr::General,
                               QStringLiteral("Kein Platz auf dem Datenträger für %1.").arg(file));
        return EngineError(
            DbErr::General,
            QStringLiteral("Datenbankfehler in %1: %2").arg(file, QString::fromUtf8(se->what())));
    }
    return EngineError(DbErr::General,
                       QStringLiteral("Fehler bei %1: %2").arg(file, QString::fromUtf8(e.what())));
}

void bind(SQLite::Statement &st, int index, const QVariant &v) {
    if (!v.isValid() || v.isNull()) {
        st.bind(index);
        return;
    }
    switch (v.typeId()) {
    case QMetaType::Bool:
        st.bind(index, v.toBool() ? 1 : 0);
        break;
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::UInt:
        st.bind(index, v.toInt());
        break;
    case QMetaType::LongLong:
    case QMetaType::Long:
    case QMetaType::ULongLong:
        st.bind(index, static_cast<int64_t>(v.toLongLong()));
        break;
    case QMetaType::Double:
    case QMetaType::Float:
        st.bind(index, v.toDouble());
        break;
    case QMetaType::QDate:
        st.bind(index, v.toDate().toString(Qt::ISODate).toStdString());
        break;
    case QMetaType::QDateTime:
        st.bind(index, v.toDateTime().toString(Qt::ISODate).toStdString());
        break;
    default:
        st.bind(index, v.toString().toStdString());
        break;
    }
}

QVariant columnValue(const SQLite::Column &c) {
    switch (c.getType()) {
    case SQLITE_INTEGER:
        return QVariant(static_cast<qlonglong>(c.getInt64()));
    case SQLITE_FLOAT:
        return QVariant(c.getDouble());
    case SQLITE_TEXT:
        return QVariant(QString::fromUtf8(c.getText()));
    case SQLITE_BLOB:
        return QVariant(QByteArray(static_cast<const char *>(c.getBlob()), c.getBytes()));
    default:
        return QVariant();
    }
}

QString innerName(SQLite::Database &db) {
    SQLite::Statement st(
        db, "SELECT name FROM sqlite_master WHERE type='table' AND name NOT LIKE 'sqlite_%'");
    QString name;
    int n = 0;
    while (st.executeStep()) {
        name = QString::fromUtf8(st.getColumn(0).getText());
        ++n;
    }
    return n == 1 ? name : QString();
}

QStringList columns(SQLite::Database &db, const QString &inner) {
    QStringList cols;
    SQLite::Statement st(db, QStringLiteral("PRAGMA table_info(\"%1\")").arg(inner).toStdString());
    while (st.executeStep())
        cols << QString::fromUtf8(st.getColumn(1).getText());
    return cols;
}

void create(const QString &path, const TableSchema &schema) {
    if (QFileInfo::exists(path))
        throw EngineError(DbErr::General, QStringLiteral("Die Tabelle %1 existiert bereits.")
                                              .arg(QDir::toNativeSeparators(path)));
    // Whatever sits under the temporary name goes first (a link itself, never its target),
    // and the new file is not made through a link planted in between.
    const QString tmp = path + QStringLiteral(".neu~");
    QFile::remove(tmp);
    try {
        {
            SQLite::Database db(local(tmp), SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE |
                                                SQLite::OPEN_NOFOLLOW);
            db.exec(
                QStringLiteral(
                    "PRAGMA journal_mode=DELETE; PRAGMA application_id=%1; PRAGMA user_version=%2;")
                    .arg(ApplicationId)
                    .arg(FormatVersion)
                    .toStdString());
            SQLite::Transaction tr(db);
            db.exec(schema.createSql().toStdString());
            tr.commit();
        }
        syncFile(tmp);
        if (::rename(local(tmp).c_str(), local(path).c_str()) != 0)
            throw EngineError(DbErr::ReadOnly,
                              QStringLiteral("Die Tabelle %1 kann nicht angelegt werden.")
                                  .arg(QDir::toNativeSeparators(path)));
        syncDir(path);
    } catch (const std::exception &e) {
        QFile::remove(tmp);
        throw translate(e, path);
    }
}

std::unique_ptr<SQLite::Database> open(const QString &path, const TableSchema *expected,
                                       bool deep) {
    const QString file = QDir::toNativeSeparators(path);
    QFileInfo fi(path);
    if (!fi.isFile())
        throw EngineError(DbErr::TableMissing,
                          QStringLiteral("Tabelle existiert nicht: %1").arg(file));
    if (fi.size() == 0)
        throw EngineError(
            DbErr::Damaged,
            QStringLiteral("Die Datei %1 ist leer und keine gültige Tabelle.").arg(file));
    std::unique_ptr<SQLite::Database> db;
    try {
        db = std::make_unique<SQLite::Database>(local(path), SQLite::OPEN_READWRITE, 5000);
        int appId = db->execAndGet("PRAGMA application_id").getInt();
        if (appId != ApplicationId)
            throw EngineError(
                DbErr::Damaged,
                QStringLiteral("Die Datei %1 ist keine Tabelle dieses Programms.").arg(file));
        int version = db->execAndGet("PRAGMA user_version").getInt();
        if (version > FormatVersion)
            throw EngineError(
                DbErr::NewerFormat,
                QStringLiteral("Die Tabelle %1 stammt von einer neueren Programmversion "
                               "und kann nicht geöffnet werden.")
                    .arg(file));
        std::string check =
            deep ? db->execAndGet("PRAGMA quick_check").getString() : std::string("ok");
        if (check != "ok")
            throw EngineError(DbErr::Damaged, QStringLiteral("Die Tabelle %1 ist beschädigt (%2).")
                                                  .arg(file, QString::fromStdString(check)));
        // A commit across several files is atomic only with the rollback journal.
        std::string mode = db->execAndGet("PRAGMA journal_mode").getString();
        if (mode != "delete")
            db->exec("PRAGMA journal_mode=DELETE");
        db->exec("PRAGMA synchronous=FULL");
        const QString inner = innerName(*db);
        if (inner.isEmpty())
            throw EngineError(
                DbErr::Damaged,
                QStringLiteral("Die Datei %1 enthält keine gültige Tabelle.").arg(file));
        if (expected) {
            const QStringList have = columns(*db, inner);
            bool same = have.size() == int(expected->fields.size());
            for (int i = 0; same && i < have.size(); ++i)
                same = have[i].compare(expected->fields[size_t(i)].name, Qt::CaseInsensitive) == 0;
            if (!same)
                throw EngineError(
                    DbErr::Structure,
                    QStringLiteral("Die Struktur der Tabelle %1 passt nicht zu dieser "
                                   "Programmversion.")
                        .arg(file));
        }
    } catch (const EngineError &) {
        throw;
    } catch (const std::exception &e) {
        throw translate(e, path);
    }
    return db;
}

void copy(const QString &srcPath, const QString &dstPath) {
    const QString tmp = dstPath + QStringLiteral(".kopie~");
    QFile::remove(tmp);
    try {
        {
            auto src = open(srcPath, nullptr);
            SQLite::Statement st(*src, "VACUUM INTO ?");
            st.bind(1, local(tmp));
            st.exec();
        }
        syncFile(tmp);
        // A stale rollback journal of the old target must not be applied to the new file.
        QFile::remove(dstPath + QStringLiteral("-journal"));
        if (::rename(local(tmp).c_str(), local(dstPath).c_str()) != 0)
            throw EngineError(DbErr::ReadOnly,
                              QStringLiteral("Die Tabelle %1 kann nicht geschrieben werden.")
                                  .arg(QDir::toNativeSeparators(dstPath)));
        syncDir(dstPath);
    } catch (const std::exception &e) {
        QFile::remove(tmp);
        throw translate(e, dstPath);
    }
}

void rename(const QString &srcPath, const QString &dstPath) {
    // Opening first settles a rollback journal left by a crash before the file moves.
    open(srcPath, nullptr).reset();
    QFile::remove(dstPath + QStringLiteral("-journal"));
    if (::rename(local(srcPath).c_str(), local(dstPath).c_str()) != 0 && errno == EXDEV) {
        // Another file system (an update folder on another disk): copy, then remove.
        copy(srcPath, dstPath);
        remove(srcPath);
        return;
    }
    if (QFileInfo::exists(srcPath))
        throw EngineError(
            DbErr::ReadOnly,
            QStringLiteral("Die Tabelle %1 kann nicht nach %2 umbenannt werden.")
                .arg(QDir::toNativeSeparators(srcPath), QDir::toNativeSeparators(dstPath)));
    syncDir(dstPath);
}

void remove(const QString &path) {
    if (!QFileInfo::exists(path))
        return;
    if (!QFile::remove(path))
        throw EngineError(DbErr::ReadOnly,
                          QStringLiteral("Die Tabelle %1 kann nicht gelöscht werden.")
                              .arg(QDir::toNativeSeparators(path)));
    QFile::remove(path + QStringLiteral("-journal"));
    syncDir(path);
}

void checkStructure(const QString &path, const TableSchema &schema) {
    auto db = open(path, &schema);
    try {
        SQLite::Statement st(
            *db, QStringLiteral("PRAGMA table_info(\"%1\")").arg(innerName(*db)).toStdString());
        for (size_t i = 0; st.executeStep(); ++i)
            if (i >= schema.fields.size() ||
                QString::fromUtf8(st.getColumn(2).getText())
                        .compare(sqlColumnType(schema.fields[i].type), Qt::CaseInsensitive) != 0)
                throw EngineError(DbErr::Structure,
                                  QStringLiteral("Die Felder der Tabelle %1 passen nicht zu dieser "
                                                 "Programmversion (Feld %2 hat einen anderen Typ).")
                                      .arg(QDir::toNativeSeparators(path),
                                           QString::fromUtf8(st.getColumn(1).getText())));
    } catch (const EngineError &) {
        throw;
    } catch (const std::exception &e) {
        throw translate(e, path);
    }
}

void empty(const QString &path) {
    auto db = open(path, nullptr);
    try {
        const QString inner = innerName(*db);
        db->exec(QStringLiteral("DELETE FROM \"%1\"").arg(inner).toStdString());
    } catch (const std::exception &e) {
        throw translate(e, path);
    }
}

void batchAppend(const QString &srcPath, const QString &dstPath) {
    auto db = open(dstPath, nullptr);
    try {
        const QString dstInner = innerName(*db);
        const QStringList dstCols = columns(*db, dstInner);
        {
            SQLite::Statement att(*db, "ATTACH DATABASE ? AS src");
            att.bind(1, local(srcPath));
            att.exec();
        }
        QString srcInner;
        {
            SQLite::Statement in(*db, "SELECT name FROM src.sqlite_master WHERE type='table' AND "
                                      "name NOT LIKE 'sqlite_%'");
            if (in.executeStep())
                srcInner = QString::fromUtf8(in.getColumn(0).getText());
        }
        QStringList srcCols;
        {
            SQLite::Statement st(
                *db, QStringLiteral("PRAGMA src.table_info(\"%1\")").arg(srcInner).toStdString());
            while (st.executeStep())
                srcCols << QString::fromUtf8(st.getColumn(1).getText());
        }
        QStringList common;
        for (const QString &c : dstCols)
            for (const QString &s : srcCols)
                if (c.compare(s, Qt::CaseInsensitive) == 0)
                    common << QStringLiteral("\"%1\"").arg(c);
        {
            SQLite::Transaction tr(*db);
            if (!common.isEmpty())
                db->exec(QStringLiteral("INSERT INTO main.\"%1\" (%2) SELECT %2 FROM src.\"%3\"")
                             .arg(dstInner, common.join(QStringLiteral(", ")), srcInner)
                             .toStdString());
            tr.commit();
        }
        db->exec("DETACH DATABASE src");
    } catch (const EngineError &) {
        throw;
    } catch (const std::exception &e) {
        throw translate(e, dstPath);
    }
}

void replaceByNew(const QString &newPath, const QString &folder, const QString &fileName) {
    const QString old = resolve(folder, fileName);
    const bool hasOld = QFileInfo(old).isFile();
    if (hasOld) {
        empty(newPath);
        batchAppend(old, newPath);
    }
    rename(newPath, hasOld ? old : join(folder, fileName));
}

} // namespace TableFile

} // namespace ledra
