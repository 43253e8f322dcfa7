// A transfer killed at random moments: afterwards every booking is in the batch or in the
// journal exactly once, both files pass their integrity check, and the account balances
// still equal the opening balances plus the effect of every booking.

#include "support/Fixture.h"

#include "store/Query.h"
#include "store/Table.h"
#include "store/TableFile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <SQLiteCpp/Database.h>
#include <csignal>
#include <gtest/gtest.h>
#include <set>
#include <thread>
namespace ledra {

namespace {

constexpr int kRows = 4000;

void copyFolder(const QString &from, const QString &to) {
    QDir(to).removeRecursively();
    QDir().mkpath(to);
    for (const QString &f : QDir(from).entryList(QDir::Files))
        ASSERT_TRUE(QFile::copy(from + QLatin1Char('/') + f, to + QLatin1Char('/') + f));
}

std::vector<qint64> ids(const QString &path) {
    std::vector<qint64> v;
    Query q;
    q.setTable(QStringLiteral("T"), path);
    q.lines() << QStringLiteral("SELECT Autonummer FROM T.%1 ORDER BY Autonummer")
                     .arg(QFileInfo(path).completeBaseName());
    q.forEach([&](const QStringList &, const QVariantList &row) {
        v.push_back(row[0].toLongLong());
        return true;
    });
    return v;
}

QString integrity(const QString &path) {
    SQLite::Database db(path.toStdString(), SQLite::OPEN_READONLY);
    return QString::fromStdString(db.execAndGet("PRAGMA integrity_check").getString());
}

} // namespace

TEST(TransferCrash, KilledAtRandomMomentsLosesAndDoublesNothing) {
    DataFixture fx;
    fx.addAccount(1200, QStringLiteral("Bank"), 4, 0);
    fx.addAccount(1576, QStringLiteral("Vorsteuer"), 9, 0);
    fx.addAccount(4930, QStringLiteral("Bürobedarf"), 0, 19);
    fx.writeFile(fx.base + QStringLiteral("/LEDRA.INI"),
                 QStringLiteral("[Konten]\nVorsteuer=1576\n[BZR]\nVon=01.01.2026\nBis=31.12.2026\n")
                     .toUtf8());
    // The batch holds kRows bookings of 119.00 gross; the balances already contain them.
    {
        UnitOfWork uw(fx.base + QStringLiteral("/Buchung.DB"));
        uw.attach(QStringLiteral("k"), fx.base + QStringLiteral("/Konten.DB"));
        for (int i = 1; i <= kRows; ++i)
            uw.exec(
                QStringLiteral("INSERT INTO Buchung (Autonummer, Belegdatum, Buchungstext, Soll, "
                               "Haben, Netto, "
                               "Brutto, Steuer, Steuersatz, Belegnummer, Euro, Stfaellig) VALUES "
                               "(?, '2026-03-05', 'Papier', 4930, 1200, 1000000, 1190000, 190000, "
                               "19, ?, 1, 0)"),
                {i, i});
        uw.exec(QStringLiteral("UPDATE k.Konten SET Saldo = CASE KtoNr WHEN 4930 THEN ? WHEN 1200 "
                               "THEN ? ELSE ? END"),
                {qint64(kRows) * 1000000, -qint64(kRows) * 1190000, qint64(kRows) * 190000});
        uw.commit();
    }
    const QString pristine = fx.tmp.path() + QStringLiteral("/pristine");
    copyFolder(fx.base, pristine);
    const QString work = fx.base;

    auto run = [&](int killAfterMs) {
        copyFolder(pristine, work);
        QProcess p;
        p.start(QStringLiteral(LEDRA_CLI),
                {QStringLiteral("--data"), work, QStringLiteral("--answer"), QStringLiteral("yes"),
                 QStringLiteral("transfer")});
        EXPECT_TRUE(p.waitForStarted());
        if (killAfterMs >= 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(killAfterMs));
            ::kill(pid_t(p.processId()), SIGKILL);
        }
        p.waitForFinished(60000);
    };

    // One undisturbed run tells how long a transfer takes here.
    QElapsedTimer t;
    t.start();
    run(-1);
    const int full = std::max(50, int(t.elapsed()));
    EXPECT_EQ(ids(work + QStringLiteral("/Journal.DB")).size(), size_t(kRows));

    int none = 0, all = 0;
    for (int i = 0; i < 60; ++i) {
        run(int(QRandomGenerator::global()->bounded(full + 20)));
        // Opening the files settles what a crash left behind (the rollback journals).
        const auto batch = ids(work + QStringLiteral("/Buchung.DB"));
        const auto journal = ids(work + QStringLiteral("/Journal.DB"));
        ASSERT_EQ(integrity(work + QStringLiteral("/Buchung.DB")), QStringLiteral("ok"));
        ASSERT_EQ(integrity(work + QStringLiteral("/Journal.DB")), QStringLiteral("ok"));
        std::set<qint64> seen;
        for (qint64 v : batch)
            ASSERT_TRUE(seen.insert(v).second) << "booking " << v << " twice";
        for (qint64 v : journal)
            ASSERT_TRUE(seen.insert(v).second) << "booking " << v << " twice";
        ASSERT_EQ(seen.size(), size_t(kRows)) << "a booking was lost";
        ASSERT_EQ(*seen.begin(), 1);
        ASSERT_EQ(*seen.rbegin(), kRows);
        Table k(Schemas::konten());
        k.setFolder(work);
        k.open();
        ASSERT_TRUE(k.findKey({4930}));
        ASSERT_EQ(k.asMoney(QStringLiteral("Saldo")).units(), qint64(kRows) * 1000000);
        ASSERT_TRUE(k.findKey({1200}));
        ASSERT_EQ(k.asMoney(QStringLiteral("Saldo")).units(), -qint64(kRows) * 1190000);
        ASSERT_TRUE(k.findKey({1576}));
        ASSERT_EQ(k.asMoney(QStringLiteral("Saldo")).units(), qint64(kRows) * 190000);
        if (journal.empty())
            ++none;
        if (batch.empty())
            ++all;
    }
    std::printf("transfer killed 60 times (full run %d ms): %d before the commit, %d after it\n",
                full, none, all);
}

} // namespace ledra
