// A batch file that refuses a write (another program's lock, a key already taken, a
// write-protected file, a full disk) leaves the balances exactly as they were: neither the
// refused row nor the row under the cursor afterwards reaches them, and a cancel or a retry
// changes nothing either.

#include "PostingFixture.h"

#include "store/Table.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <sys/mount.h>
#include <unistd.h>
namespace ledra {

namespace {

QString batchPath(const Books &t) {
    return t.fx.base + QStringLiteral("/Buchung.DB");
}

// Another program in the middle of writing the batch file: it may be read, not written.
struct ForeignLock {
    SQLite::Database db;
    explicit ForeignLock(const QString &path) : db(path.toStdString(), SQLite::OPEN_READWRITE) {
        db.exec("BEGIN IMMEDIATE");
    }
    ~ForeignLock() { db.exec("ROLLBACK"); }
};

} // namespace

TEST_F(Books, RefusedNewRowLeavesTheBalancesAlone) {
    ASSERT_TRUE(book("05.03.%Y;1;3400;1200;Ware;119,00;B;"));
    const auto before = totals();
    {
        ForeignLock lock(batchPath(*this));
        EXPECT_FALSE(book("06.03.%Y;2;1000;8400;Verkauf;238,00;B;"));
    }
    EXPECT_EQ(totals(), before);
    EXPECT_EQ(fb->books().stapel.recordCount(), 1);
    // Free again: the same line is stored and counted once.
    ASSERT_TRUE(book("06.03.%Y;2;1000;8400;Verkauf;238,00;B;"));
    EXPECT_EQ(saldo(3400), Money::fromCents(10000));
    EXPECT_EQ(saldo(1000), Money::fromCents(23800));
    EXPECT_EQ(saldo(8400), Money::fromCents(-20000));
}

TEST_F(Books, KeyClashLeavesTheBalancesAlone) {
    ASSERT_TRUE(book("05.03.%Y;1;3400;1200;Ware;119,00;B;"));
    const auto before = totals();
    // Another writer takes the number the new row was given, between its start and its store.
    Table &b = fb->books().stapel;
    const TableEvent rulesAfterInsert = b.afterInsert;
    b.afterInsert = [&](Table &t) {
        if (rulesAfterInsert)
            rulesAfterInsert(t);
        SQLite::Database db(batchPath(*this).toStdString(), SQLite::OPEN_READWRITE);
        SQLite::Statement st(db, "INSERT INTO Buchung (Autonummer, Belegdatum, Soll, Haben, "
                                 "Netto, Brutto, Steuer, Steuersatz, Belegnummer, Euro) "
                                 "VALUES (?, '2026-03-07', 4930, 1200, 0, 0, 0, 0, 99, 1)");
        st.bind(1, static_cast<int64_t>(t.asInt(QStringLiteral("Autonummer"))));
        st.exec();
    };
    EXPECT_FALSE(book("06.03.%Y;2;1000;8400;Verkauf;238,00;B;"));
    b.afterInsert = rulesAfterInsert;
    EXPECT_EQ(totals(), before);
}

TEST_F(Books, RefusedChangeOrDeletionLeavesTheBalancesAlone) {
    ASSERT_TRUE(book("05.03.%Y;1;3400;1200;Ware;119,00;B;"));
    ASSERT_TRUE(book("06.03.%Y;2;1000;8400;Verkauf;238,00;B;"));
    const auto before = totals();
    Table &b = fb->books().stapel;
    b.first();
    {
        ForeignLock lock(batchPath(*this));
        b.edit();
        e().setFocus(QStringLiteral("Betrag"));
        e().setAmount(Money::fromCents(23800));
        EXPECT_THROW(b.post(), EngineError);
        EXPECT_TRUE(b.isEditing()); // the change is kept for another try
        EXPECT_EQ(totals(), before);
        b.cancel();
        EXPECT_EQ(totals(), before);
        b.first();
        EXPECT_THROW(b.remove(), EngineError);
        EXPECT_EQ(totals(), before);
        EXPECT_EQ(b.recordCount(), 2);
    }
    // A change stored after a refused try counts once.
    b.first();
    b.edit();
    e().setFocus(QStringLiteral("Betrag"));
    e().setAmount(Money::fromCents(23800));
    {
        ForeignLock lock(batchPath(*this));
        EXPECT_THROW(b.post(), EngineError);
    }
    b.post();
    EXPECT_EQ(saldo(3400), Money::fromCents(20000));
    EXPECT_EQ(saldo(1576), Money::fromCents(3800));
    EXPECT_EQ(saldo(1200), Money::fromCents(-23800));
}

TEST_F(Books, WriteProtectedBatchRefusesWithoutTouchingTheBalances) {
    if (geteuid() == 0)
        GTEST_SKIP() << "root writes into write-protected files";
    ASSERT_TRUE(book("05.03.%Y;1;3400;1200;Ware;119,00;B;"));
    const auto before = totals();
    fb.reset();
    ASSERT_TRUE(QFile::setPermissions(batchPath(*this), QFile::ReadOwner | QFile::ReadGroup));
    start();
    ASSERT_TRUE(fb->books().stapel.isActive());
    EXPECT_FALSE(book("06.03.%Y;2;1000;8400;Verkauf;238,00;B;"));
    EXPECT_EQ(totals(), before);
    QFile::setPermissions(batchPath(*this), QFile::ReadOwner | QFile::WriteOwner);
}

// The data folder on a small file system of its own that is then filled up. Needs the right
// to mount (root on a machine that allows it); skipped elsewhere.
TEST_F(Books, FullDiskRefusesWithoutTouchingTheBalances) {
    fb.reset();
    const QString saved = fx.tmp.path() + QStringLiteral("/saved");
    QDir().mkpath(saved);
    for (const QString &f : QDir(fx.base).entryList(QDir::Files))
        ASSERT_TRUE(QFile::copy(fx.base + QLatin1Char('/') + f, saved + QLatin1Char('/') + f));
    if (::mount("tmpfs", QFile::encodeName(fx.base).constData(), "tmpfs", 0, "size=4m") != 0)
        GTEST_SKIP() << "no right to mount a small file system here";
    struct Unmount {
        QByteArray at;
        ~Unmount() { ::umount2(at.constData(), MNT_DETACH); }
    } unmount{QFile::encodeName(fx.base)};
    for (const QString &f : QDir(saved).entryList(QDir::Files))
        ASSERT_TRUE(QFile::copy(saved + QLatin1Char('/') + f, fx.base + QLatin1Char('/') + f));
    start();
    ASSERT_TRUE(book("05.03.%Y;1;3400;1200;Ware;119,00;B;"));
    const auto before = totals();
    {
        QFile filler(fx.base + QStringLiteral("/fuell.bin"));
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly));
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size() && filler.flush()) {
        }
    }
    EXPECT_FALSE(book("06.03.%Y;2;1000;8400;Verkauf;238,00;B;"));
    EXPECT_EQ(totals(), before);
    QFile::remove(fx.base + QStringLiteral("/fuell.bin"));
    ASSERT_TRUE(book("06.03.%Y;2;1000;8400;Verkauf;238,00;B;"));
    EXPECT_EQ(saldo(8400), Money::fromCents(-20000));
    EXPECT_EQ(saldo(3400), Money::fromCents(10000));
    fb.reset();
}

} // namespace ledra
