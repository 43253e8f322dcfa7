#include "store/Table.h"
#include "store/EngineError.h"
#include "store/Query.h"
#include "store/SqlStatement.h"
#include "store/TableFile.h"
#include "ui/Ui.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <SQLiteCpp/Database.h>
#include <gtest/gtest.h>
namespace ledra {

namespace {

struct Store : ::testing::Test {
    QTemporaryDir dir;
    QString path(const QString &n) const { return dir.path() + QLatin1Char('/') + n; }

    void makeKonten() {
        TableFile::create(path(QStringLiteral("Konten.DB")), Schemas::konten());
        Table t(Schemas::konten());
        t.setFolder(dir.path());
        t.open();
        t.appendRecord({1200, QStringLiteral("Bank"), 4, 0.0});
        t.appendRecord({1000, QStringLiteral("kasse"), 5, 0.0});
        t.appendRecord({8400, QStringLiteral("Erlöse 19 %"), 3, 19.0});
        t.appendRecord({4930, QStringLiteral("Bürobedarf"), 0, 19.0});
    }
    int count(const QString &file) {
        Table t(file == QLatin1String("Konten.DB") ? Schemas::konten() : Schemas::buchung());
        t.setFolder(dir.path());
        t.open();
        return t.recordCount();
    }
    QByteArray bytes(const QString &file) {
        QFile f(path(file));
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }
    void write(const QString &file, const QByteArray &b) {
        QFile f(path(file));
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(b);
    }
};

int errorCode(const std::function<void()> &f) {
    try {
        f();
    } catch (const EngineError &e) {
        return e.code();
    }
    return 0;
}

} // namespace

TEST_F(Store, OpeningReportsMissingDamagedForeignAndOtherStructureWithoutTouchingTheFile) {
    Table t(Schemas::konten());
    t.setFolder(dir.path());
    EXPECT_EQ(errorCode([&] { t.open(); }), DbErr::TableMissing);

    write(QStringLiteral("Konten.DB"), QByteArray());
    EXPECT_EQ(errorCode([&] { t.open(); }), DbErr::Damaged);
    EXPECT_EQ(QFileInfo(path(QStringLiteral("Konten.DB"))).size(), 0)
        << "a zero-length file stays as it was";

    QByteArray junk(5000, '\0');
    for (int i = 0; i < junk.size(); ++i)
        junk[i] = char((i * 7919) % 251);
    write(QStringLiteral("Konten.DB"), junk);
    EXPECT_EQ(errorCode([&] { t.open(); }), DbErr::Damaged);
    EXPECT_EQ(bytes(QStringLiteral("Konten.DB")), junk);

    QFile::remove(path(QStringLiteral("Konten.DB")));
    makeKonten();
    QByteArray good = bytes(QStringLiteral("Konten.DB"));
    write(QStringLiteral("Konten.DB"), good.left(good.size() / 2));
    EXPECT_EQ(errorCode([&] { t.open(); }), DbErr::Damaged);
    EXPECT_EQ(bytes(QStringLiteral("Konten.DB")).size(), good.size() / 2);

    // A valid SQLite file that is not one of ours.
    QFile::remove(path(QStringLiteral("Konten.DB")));
    {
        SQLite::Database db(path(QStringLiteral("Konten.DB")).toStdString(),
                            SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
        db.exec("CREATE TABLE x(a)");
    }
    EXPECT_EQ(errorCode([&] { t.open(); }), DbErr::Damaged);

    // Our file, but the journal's fields: a structure mismatch, which the upgrade handles.
    QFile::remove(path(QStringLiteral("Konten.DB")));
    TableFile::create(path(QStringLiteral("Konten.DB")),
                      Schemas::kontenAs(QStringLiteral("Konten.DB")));
    Table j(Schemas::journal());
    j.setFolder(dir.path());
    j.setFileName(QStringLiteral("Konten.DB"));
    EXPECT_EQ(errorCode([&] { j.open(); }), DbErr::Structure);
    EXPECT_FALSE(j.isActive());
}

TEST_F(Store, FileNamesResolveWhateverTheirCase) {
    makeKonten();
    ASSERT_TRUE(
        QFile::rename(path(QStringLiteral("Konten.DB")), path(QStringLiteral("KONTEN.db"))));
    Table t(Schemas::konten());
    t.setFolder(dir.path());
    t.open();
    EXPECT_EQ(t.recordCount(), 4);
    EXPECT_TRUE(t.path().endsWith(QLatin1String("KONTEN.db")));
}

TEST_F(Store, EditCycleEventsAndRefusals) {
    makeKonten();
    Table t(Schemas::konten());
    t.setFolder(dir.path());
    t.open();
    QStringList log;
    t.beforeInsert = [&](Table &) { log << QStringLiteral("beforeInsert"); };
    t.onNewRecord = [&](Table &x) {
        log << QStringLiteral("newRecord");
        x.setValue(QStringLiteral("Saldo"), 0);
    };
    t.afterInsert = [&](Table &) { log << QStringLiteral("afterInsert"); };
    t.beforePost = [&](Table &x) {
        log << QStringLiteral("beforePost");
        if (x.asString(QStringLiteral("Name")) == QLatin1String("nein"))
            throw SilentAbort();
    };
    t.afterPost = [&](Table &) { log << QStringLiteral("afterPost"); };

    t.insert();
    EXPECT_EQ(t.state(), DsState::Insert);
    t.setValue(QStringLiteral("KtoNr"), 1600);
    t.setValue(QStringLiteral("Name"), QStringLiteral("nein"));
    t.setValue(QStringLiteral("Art"), 8);
    EXPECT_THROW(t.post(), SilentAbort);
    EXPECT_EQ(t.state(), DsState::Insert) << "a refused post keeps the row in insert state";
    EXPECT_EQ(count(QStringLiteral("Konten.DB")), 4);

    // Key violation: the table keeps its rows and the row stays editable.
    t.setValue(QStringLiteral("Name"), QStringLiteral("Doppelt"));
    t.setValue(QStringLiteral("KtoNr"), 1200);
    EXPECT_EQ(errorCode([&] { t.post(); }), DbErr::KeyViolation);
    EXPECT_EQ(t.state(), DsState::Insert);
    EXPECT_EQ(count(QStringLiteral("Konten.DB")), 4);

    t.setValue(QStringLiteral("KtoNr"), 1600);
    t.post();
    EXPECT_EQ(t.state(), DsState::Browse);
    EXPECT_EQ(t.asInt(QStringLiteral("KtoNr")), 1600) << "the stored row is current";
    EXPECT_EQ(log, (QStringList{"beforeInsert", "newRecord", "afterInsert", "beforePost",
                                "beforePost", "beforePost", "afterPost"}));

    // A refused insert changes nothing.
    t.beforeInsert = [](Table &) { throw SilentAbort(); };
    EXPECT_THROW(t.insert(), SilentAbort);
    EXPECT_EQ(t.state(), DsState::Browse);

    // Required fields.
    t.beforeInsert = nullptr;
    t.insert();
    t.setValue(QStringLiteral("KtoNr"), 1700);
    EXPECT_EQ(errorCode([&] { t.post(); }), DbErr::RequiredField);
    t.cancel();
    EXPECT_EQ(count(QStringLiteral("Konten.DB")), 5);

    // Edit and cancel leave the stored row alone; edit and post change it.
    ASSERT_TRUE(t.findKey({1000}));
    t.edit();
    t.setValue(QStringLiteral("Name"), QStringLiteral("Kasse neu"));
    t.cancel();
    EXPECT_EQ(t.asString(QStringLiteral("Name")), QStringLiteral("kasse"));
    t.edit();
    t.setMoney(QStringLiteral("Saldo"), Money::fromCents(12345));
    t.setValue(QStringLiteral("Name"),
               QStringLiteral("Ein sehr langer Kontoname über dreißig Zeichen"));
    t.post();
    EXPECT_EQ(t.asMoney(QStringLiteral("Saldo")), Money::fromCents(12345));
    EXPECT_EQ(t.asString(QStringLiteral("Name")).size(), 30) << "text is cut to the field size";
    EXPECT_EQ(errorCode([&] {
                  t.edit();
                  t.setValue(QStringLiteral("Art"), 70000);
              }),
              DbErr::General);
    t.cancel();
}

TEST_F(Store, OrderLocateFilterBookmarkAndLookups) {
    makeKonten();
    Table t(Schemas::konten());
    t.setFolder(dir.path());
    t.open();
    QList<qint64> order;
    for (t.first(); !t.eof(); t.next())
        order << t.asInt(QStringLiteral("KtoNr"));
    EXPECT_EQ(order, (QList<qint64>{1000, 1200, 4930, 8400}));

    t.setIndexName(QStringLiteral("KName"));
    order.clear();
    for (t.first(); !t.eof(); t.next())
        order << t.asInt(QStringLiteral("KtoNr"));
    EXPECT_EQ(order, (QList<qint64>{1200, 4930, 8400, 1000})) << "name order ignores case";

    EXPECT_TRUE(t.locate(QStringLiteral("Name"), QStringLiteral("KA"), true, true));
    EXPECT_EQ(t.asInt(QStringLiteral("KtoNr")), 1000);
    EXPECT_FALSE(t.locate(QStringLiteral("Name"), QStringLiteral("KA"), false, true));
    EXPECT_EQ(t.asInt(QStringLiteral("KtoNr")), 1000) << "a failed locate keeps the row";
    // LIKE wildcards in user text are literal characters.
    EXPECT_FALSE(t.locate(QStringLiteral("Name"), QStringLiteral("%"), true, true));

    const qint64 bm = t.bookmark();
    t.first();
    EXPECT_TRUE(t.gotoBookmark(bm));
    EXPECT_EQ(t.asInt(QStringLiteral("KtoNr")), 1000);

    // User text with quotes and SQL reaches the engine only as a parameter.
    t.setFilter(QStringLiteral("Name = ?"), {QStringLiteral("x' OR '1'='1")});
    EXPECT_EQ(t.recordCount(), 0);
    t.setFilter(QStringLiteral("Art < ?"), {4});
    EXPECT_EQ(t.recordCount(), 2);
    t.clearFilter();
    EXPECT_EQ(t.recordCount(), 4);

    TableFile::create(path(QStringLiteral("KontoArt.DB")), Schemas::kontoArt());
    Table art(Schemas::kontoArt());
    art.setFolder(dir.path());
    art.open();
    art.appendRecord({4, QStringLiteral("Bank")});
    t.addLookup(QStringLiteral("XArt"), QStringLiteral("Art"), &art, QStringLiteral("Autonummer"),
                QStringLiteral("Kontenart"));
    t.setIndexName(QString());
    ASSERT_TRUE(t.findKey({1200}));
    EXPECT_EQ(t.asString(QStringLiteral("XArt")), QStringLiteral("Bank"));
    ASSERT_TRUE(t.findKey({1000}));
    EXPECT_TRUE(t.value(QStringLiteral("XArt")).isNull());
    t.findNearest({1300});
    EXPECT_EQ(t.asInt(QStringLiteral("KtoNr")), 4930);
}

TEST_F(Store, CopyRenameEmptyAndAppendByColumnName) {
    makeKonten();
    // An older structure: fewer fields, one of them not in the new table.
    {
        SQLite::Database db(path(QStringLiteral("Alt.DB")).toStdString(),
                            SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
        db.exec(
            QStringLiteral("PRAGMA application_id=%1").arg(TableFile::ApplicationId).toStdString());
        db.exec("CREATE TABLE Konten(KtoNr INTEGER, Name TEXT, Art INTEGER, Alt TEXT)");
        db.exec("INSERT INTO Konten VALUES (9000, 'Saldenvorträge', 9, 'weg')");
    }
    TableFile::batchAppend(path(QStringLiteral("Alt.DB")), path(QStringLiteral("Konten.DB")));
    Table t(Schemas::konten());
    t.setFolder(dir.path());
    t.open();
    ASSERT_TRUE(t.findKey({9000}));
    EXPECT_EQ(t.asString(QStringLiteral("Name")), QStringLiteral("Saldenvorträge"));
    EXPECT_TRUE(t.isNull(QStringLiteral("Saldo")));
    t.close();

    TableFile::copy(path(QStringLiteral("Konten.DB")), path(QStringLiteral("Kopie.DB")));
    TableFile::empty(path(QStringLiteral("Konten.DB")));
    EXPECT_EQ(count(QStringLiteral("Konten.DB")), 0);
    TableFile::rename(path(QStringLiteral("Kopie.DB")), path(QStringLiteral("Konten.DB")));
    EXPECT_EQ(count(QStringLiteral("Konten.DB")), 5);
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("Kopie.DB"))));
    // Copy onto an existing table replaces it.
    TableFile::create(path(QStringLiteral("Leer.DB")), Schemas::konten());
    TableFile::copy(path(QStringLiteral("Leer.DB")), path(QStringLiteral("Konten.DB")));
    EXPECT_EQ(count(QStringLiteral("Konten.DB")), 0);
    EXPECT_EQ(
        errorCode([&] { TableFile::create(path(QStringLiteral("Konten.DB")), Schemas::konten()); }),
        DbErr::General)
        << "creating never touches an existing file";
}

// Links planted under the temporary names of create and copy are replaced, never written
// through.
TEST_F(Store, TemporaryNamesNeverWriteThroughALink) {
    makeKonten();
    write(QStringLiteral("fremd.txt"), "fremd");
    ASSERT_TRUE(
        QFile::link(path(QStringLiteral("fremd.txt")), path(QStringLiteral("Neu.DB.neu~"))));
    ASSERT_TRUE(
        QFile::link(path(QStringLiteral("fremd.txt")), path(QStringLiteral("Kopie.DB.kopie~"))));
    TableFile::create(path(QStringLiteral("Neu.DB")), Schemas::konten());
    TableFile::copy(path(QStringLiteral("Konten.DB")), path(QStringLiteral("Kopie.DB")));
    EXPECT_EQ(bytes(QStringLiteral("fremd.txt")), QByteArray("fremd"));
    Table copy(Schemas::kontenAs(QStringLiteral("Kopie.DB")));
    copy.setFolder(dir.path());
    copy.open();
    EXPECT_EQ(copy.recordCount(), 4);
    EXPECT_FALSE(QFileInfo(path(QStringLiteral("Neu.DB"))).isSymLink());
    EXPECT_FALSE(QFileInfo(path(QStringLiteral("Kopie.DB"))).isSymLink());
}

TEST_F(Store, UnitOfWorkIsAllOrNothingAcrossFiles) {
    makeKonten();
    TableFile::create(path(QStringLiteral("Buchung.DB")), Schemas::buchung());
    {
        UnitOfWork uw(path(QStringLiteral("Buchung.DB")));
        uw.attach(QStringLiteral("k"), path(QStringLiteral("Konten.DB")));
        uw.exec(QStringLiteral("INSERT INTO Buchung (Autonummer, Buchungstext) VALUES (?, ?)"),
                {1, QStringLiteral("x")});
        uw.exec(QStringLiteral("DELETE FROM k.Konten WHERE KtoNr = ?"), {1200});
        // no commit: both changes roll back
    }
    EXPECT_EQ(count(QStringLiteral("Buchung.DB")), 0);
    EXPECT_EQ(count(QStringLiteral("Konten.DB")), 4);
    {
        UnitOfWork uw(path(QStringLiteral("Buchung.DB")));
        uw.attach(QStringLiteral("k"), path(QStringLiteral("Konten.DB")));
        uw.exec(QStringLiteral("INSERT INTO Buchung (Autonummer, Buchungstext) VALUES (?, ?)"),
                {1, QStringLiteral("x")});
        uw.exec(QStringLiteral("DELETE FROM k.Konten WHERE KtoNr = ?"), {1200});
        uw.commit();
    }
    EXPECT_EQ(count(QStringLiteral("Buchung.DB")), 1);
    EXPECT_EQ(count(QStringLiteral("Konten.DB")), 3);

    Query q;
    q.setTable(QStringLiteral("K"), path(QStringLiteral("Konten.DB")));
    q.lines() << QStringLiteral("SELECT KtoNr, Name FROM K.Konten")
              << QStringLiteral("WHERE Art < ?") << QStringLiteral("ORDER BY KtoNr");
    q.addParam(4);
    q.open();
    ASSERT_EQ(q.recordCount(), 2);
    EXPECT_EQ(q.value(0, QStringLiteral("KtoNr")).toInt(), 4930);
    q.setLine(1, QStringLiteral("WHERE Art >= ?"));
    q.open();
    EXPECT_EQ(q.recordCount(), 1);
}

} // namespace ledra

namespace ledra {

// A joint file stays attached from one row to the next, but a file put in its place (a chart
// restored from a backup) is written from then on, never the one that was replaced; and a
// failed write leaves neither file changed.
TEST_F(Store, JointWritesFollowAFileReplacedAtItsPath) {
    makeKonten();
    TableFile::create(path(QStringLiteral("Stapel.db")), Schemas::stapel());
    Table b(Schemas::stapel(), QStringLiteral("TStapel"));
    b.setFolder(dir.path());
    b.open();
    const QString k = path(QStringLiteral("Konten.DB"));
    b.jointFiles = [&] {
        return std::vector<std::pair<QString, QString>>{{QStringLiteral("k"), k}};
    };
    bool refuse = false;
    b.writeWithPost = [&](Table &t) {
        SqlConnection c(t);
        SqlStatement(c, QStringLiteral("UPDATE k.Konten SET Saldo = COALESCE(Saldo, 0) + 1 WHERE "
                                       "KtoNr = 1200"))
            .exec();
        if (refuse)
            throw EngineError(DbErr::General, QStringLiteral("abgewiesen"));
    };
    auto saldo = [&] {
        Table t(Schemas::konten());
        t.setFolder(dir.path());
        t.open();
        EXPECT_TRUE(t.findKey({1200}));
        return t.asMoney(QStringLiteral("Saldo")).units();
    };
    auto store = [&](int nr) {
        b.insert();
        b.setValue(QStringLiteral("Nr"), nr);
        b.post();
    };
    store(1);
    store(2);
    EXPECT_EQ(saldo(), 2);

    // The chart is replaced by a copy of itself: the same rows in another file.
    ASSERT_TRUE(QFile::copy(k, path(QStringLiteral("Konten.neu"))));
    ASSERT_TRUE(QFile::remove(k));
    ASSERT_TRUE(QFile::rename(path(QStringLiteral("Konten.neu")), k));
    store(3);
    EXPECT_EQ(saldo(), 3) << "written into the file now at the path";

    refuse = true;
    EXPECT_THROW(store(4), EngineError);
    b.cancel();
    EXPECT_EQ(saldo(), 3);
    EXPECT_EQ(b.recordCount(), 3);
    refuse = false;
    store(5);
    EXPECT_EQ(saldo(), 4) << "attached again after the failure";
}

} // namespace ledra
