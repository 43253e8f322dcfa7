// A year change killed at random moments: the closed year's bookings are always complete in
// the base journal or in the year folder, and running the year change again finishes it.

#include "support/Fixture.h"

#include "books/IniFile.h"
#include "store/Query.h"
#include "store/TableFile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <csignal>
#include <gtest/gtest.h>
#include <thread>
namespace ledra {

namespace {

constexpr int kRows = 20000;

qint64 rows(const QString &path) {
    if (!QFileInfo::exists(path))
        return -1;
    qint64 n = 0;
    Query q;
    q.setTable(QStringLiteral("J"), path);
    q.lines() << QStringLiteral("SELECT COUNT(*) FROM J.Journal");
    q.forEach([&](const QStringList &, const QVariantList &r) {
        n = r[0].toLongLong();
        return false;
    });
    return n;
}

void copyFolder(const QString &from, const QString &to) {
    QDir(to).removeRecursively();
    QDir().mkpath(to);
    for (const QString &f : QDir(from).entryList(QDir::Files))
        ASSERT_TRUE(QFile::copy(from + QLatin1Char('/') + f, to + QLatin1Char('/') + f));
}

int yearChange(const QString &data, int killAfterMs) {
    QProcess p;
    p.start(QStringLiteral(LEDRA_CLI), {QStringLiteral("--data"), data, QStringLiteral("--answer"),
                                        QStringLiteral("yes"), QStringLiteral("yearchange"),
                                        QStringLiteral("--today"), QStringLiteral("10.01.2026")});
    p.waitForStarted();
    if (killAfterMs >= 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(killAfterMs));
        ::kill(pid_t(p.processId()), SIGKILL);
    }
    p.waitForFinished(60000);
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

} // namespace

TEST(YearChangeCrash, NoBookingIsLostAndASecondRunFinishes) {
    DataFixture fx;
    fx.addAccount(1200, QStringLiteral("Bank"), 4, 0);
    fx.addAccount(4210, QStringLiteral("Miete"), 0, 0);
    fx.writeFile(fx.base + QStringLiteral("/LEDRA.INI"), "[BZR]\nVon=01.01.2025\nBis=31.12.2025\n");
    {
        UnitOfWork uw(fx.base + QStringLiteral("/Journal.DB"));
        for (int i = 1; i <= kRows; ++i)
            uw.exec(QStringLiteral("INSERT INTO Journal (Autonummer, Belegdatum, Buchungstext, "
                                   "Soll, Haben, Netto, Brutto, "
                                   "Steuer, Steuersatz, Belegnummer, Euro, Stfaellig) VALUES (?, "
                                   "'2025-06-01', 'Miete', "
                                   "4210, 1200, 10000, 10000, 0, 0, ?, 1, 0)"),
                    {i, i});
        uw.commit();
    }
    const QString pristine = fx.tmp.path() + QStringLiteral("/pristine");
    copyFolder(fx.base, pristine);
    const QString archive = fx.base + QStringLiteral("/LEDRA25");

    QElapsedTimer t;
    t.start();
    ASSERT_EQ(yearChange(fx.base, -1), 0);
    const int full = std::max(100, int(t.elapsed()));
    ASSERT_EQ(rows(archive + QStringLiteral("/Journal.DB")), kRows);

    int before = 0, archived = 0, done = 0;
    for (int i = 0; i < 25; ++i) {
        QDir(archive).removeRecursively();
        QDir(archive + QStringLiteral(".neu~")).removeRecursively();
        copyFolder(pristine, fx.base);
        yearChange(fx.base, int(QRandomGenerator::global()->bounded(full)));
        const qint64 base = rows(fx.base + QStringLiteral("/Journal.DB"));
        const qint64 arch = rows(archive + QStringLiteral("/Journal.DB"));
        if (arch < 0) {
            ASSERT_EQ(base, kRows) << "without a year folder the base journal is untouched";
            ++before;
        } else {
            ASSERT_EQ(arch, kRows) << "a year folder always holds the whole year";
            ASSERT_TRUE(base == kRows || base == 0);
            ++(base == 0 ? done : archived);
        }
        // Running it again finishes the change, or says it is done when it is.
        const int rc = yearChange(fx.base, -1);
        ASSERT_EQ(rows(archive + QStringLiteral("/Journal.DB")), kRows);
        ASSERT_EQ(rows(fx.base + QStringLiteral("/Journal.DB")), 0);
        IniFile ini(fx.base + QStringLiteral("/LEDRA.INI"));
        ASSERT_EQ(ini.readString(QStringLiteral("BZR"), QStringLiteral("Bis"), QString()),
                  QStringLiteral("31.12.2026"))
            << "rc " << rc;
    }
    std::printf("year change killed 25 times (full run %d ms): %d before the archive, %d archived "
                "only, %d done\n",
                full, before, archived, done);
}

} // namespace ledra
