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
#include <array>
#include <csignal>
#include <gtest/gtest.h>
#include <map>
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

// Every account's opening values and balance: KtoNr -> {Soll, Haben, Saldo}.
std::map<qint64, std::array<qint64, 3>> accounts(const QString &folder) {
    std::map<qint64, std::array<qint64, 3>> m;
    Query q;
    q.setTable(QStringLiteral("K"), folder + QStringLiteral("/Konten.DB"));
    q.lines() << QStringLiteral("SELECT KtoNr, COALESCE(Soll, 0), COALESCE(Haben, 0), "
                                "COALESCE(Saldo, 0) FROM K.Konten");
    q.forEach([&](const QStringList &, const QVariantList &r) {
        m[r[0].toLongLong()] = {r[1].toLongLong(), r[2].toLongLong(), r[3].toLongLong()};
        return true;
    });
    return m;
}

QString period(const QString &folder, const char *key) {
    return IniFile(folder + QStringLiteral("/LEDRA.INI"))
        .readString(QStringLiteral("BZR"), QLatin1String(key), QString());
}

// A start of the program that only shows the status fields; its messages (stderr).
QString startAndShowInfo(const QString &data) {
    QProcess p;
    p.start(QStringLiteral(LEDRA_CLI), {QStringLiteral("--data"), data, QStringLiteral("--today"),
                                        QStringLiteral("10.01.2026"), QStringLiteral("info")});
    p.waitForFinished(60000);
    EXPECT_EQ(p.exitCode(), 0);
    return QString::fromUtf8(p.readAllStandardError());
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
    fx.addAccount(2010, QStringLiteral("Variables Kapital"), 9, 0); // the default capital account
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

TEST(YearChangeCrash, TheNextStartFinishesOrUndoesAStoppedChange) {
    DataFixture fx;
    fx.addAccount(1200, QStringLiteral("Bank"), 4, 0);
    fx.addAccount(4210, QStringLiteral("Miete"), 0, 0);
    fx.addAccount(2010, QStringLiteral("Variables Kapital"), 9, 0); // the default capital account
    fx.writeFile(fx.base + QStringLiteral("/LEDRA.INI"), "[BZR]\nVon=01.01.2025\nBis=31.12.2025\n");
    // The closed year's rent, 1.00 per row, and one rent payment of the new year (5.00) already
    // in the batch; the balances hold both.
    constexpr qint64 kYear = qint64(kRows) * 10000, kBatch = 50000;
    {
        UnitOfWork uw(fx.base + QStringLiteral("/Journal.DB"));
        uw.attach(QStringLiteral("b"), fx.base + QStringLiteral("/Buchung.DB"));
        uw.attach(QStringLiteral("k"), fx.base + QStringLiteral("/Konten.DB"));
        for (int i = 1; i <= kRows; ++i)
            uw.exec(QStringLiteral("INSERT INTO Journal (Autonummer, Belegdatum, Buchungstext, "
                                   "Soll, Haben, Netto, Brutto, Steuer, Steuersatz, Belegnummer, "
                                   "Euro, Stfaellig) VALUES (?, '2025-06-01', 'Miete', 4210, "
                                   "1200, 10000, 10000, 0, 0, ?, 1, 0)"),
                    {i, i});
        uw.exec(QStringLiteral("INSERT INTO b.Buchung (Autonummer, Belegdatum, Buchungstext, Soll, "
                               "Haben, Netto, Brutto, Steuer, Steuersatz, Belegnummer, Euro, "
                               "Stfaellig) VALUES (1, '2026-01-05', 'Miete Januar', 4210, 1200, "
                               "50000, 50000, 0, 0, 1, 1, 0)"));
        uw.exec(
            QStringLiteral("UPDATE k.Konten SET Saldo = CASE KtoNr WHEN 4210 THEN ? ELSE ? END"),
            {kYear + kBatch, -(kYear + kBatch)});
        uw.commit();
    }
    const QString pristine = fx.tmp.path() + QStringLiteral("/pristine");
    copyFolder(fx.base, pristine);
    const QString archive = fx.base + QStringLiteral("/LEDRA25");
    const QString openMarker = archive + QStringLiteral("/Jahreswechsel.offen");
    const QString runningMarker = fx.base + QStringLiteral("/Jahreswechsel.laeuft");

    QElapsedTimer t;
    t.start();
    ASSERT_EQ(yearChange(fx.base, -1), 0);
    const int full = std::max(100, int(t.elapsed()));

    int kept = 0, undone = 0, finished = 0, changed = 0;
    for (int i = 0; i < 20; ++i) {
        for (const char *left : {"", ".neu~", ".verworfen~"})
            QDir(archive + QLatin1String(left)).removeRecursively();
        copyFolder(pristine, fx.base);
        yearChange(fx.base, int(QRandomGenerator::global()->bounded(full)));
        const bool stopped = QFileInfo::exists(openMarker) || QFileInfo::exists(runningMarker);

        const QString said = startAndShowInfo(fx.base);
        EXPECT_FALSE(QFileInfo::exists(openMarker) || QFileInfo::exists(runningMarker))
            << "settled at the start";
        const auto k = accounts(fx.base);
        ASSERT_EQ(k.size(), 3u);
        // However it ended, the balances hold the open journal and the batch once.
        EXPECT_EQ(k.at(1200)[2], k.at(1200)[0] - k.at(1200)[1] -
                                     rows(fx.base + QStringLiteral("/Journal.DB")) * 10000 -
                                     kBatch);
        EXPECT_EQ(k.at(4210)[2], k.at(4210)[0] - k.at(4210)[1] +
                                     rows(fx.base + QStringLiteral("/Journal.DB")) * 10000 +
                                     kBatch);
        if (!QFileInfo::exists(archive)) {
            // The closed year is still open, as it was.
            ASSERT_EQ(rows(fx.base + QStringLiteral("/Journal.DB")), kRows);
            EXPECT_EQ(period(fx.base, "Bis"), QStringLiteral("31.12.2025"));
            EXPECT_EQ(k.at(1200)[1], 0);
            EXPECT_EQ(stopped, said.contains(QStringLiteral(
                                   "Der Jahreswechsel wurde unterbrochen, bevor das Journal")))
                << said.toStdString();
            ++(stopped ? undone : kept);
        } else {
            // The new year is open; its archive holds the whole closed year, its opening values
            // are the closed year's closing balances.
            ASSERT_EQ(rows(archive + QStringLiteral("/Journal.DB")), kRows);
            EXPECT_EQ(rows(fx.base + QStringLiteral("/Journal.DB")), 0);
            EXPECT_EQ(period(fx.base, "Von"), QStringLiteral("01.01.2026"));
            EXPECT_EQ(period(fx.base, "Bis"), QStringLiteral("31.12.2026"));
            EXPECT_EQ(period(archive, "Bis"), QStringLiteral("31.12.2025"));
            const auto closed = accounts(archive);
            EXPECT_EQ(closed.at(1200)[2], -kYear);
            EXPECT_EQ(k.at(1200)[1] - k.at(1200)[0], -closed.at(1200)[2]);
            EXPECT_EQ(k.at(4210)[0], 0) << "rent is not carried";
            EXPECT_EQ(k.at(2010)[0] - k.at(2010)[1], kYear) << "the loss went into the capital";
            EXPECT_EQ(stopped,
                      said.contains(QStringLiteral(
                          "Der Jahreswechsel wurde unterbrochen und ist jetzt abgeschlossen")))
                << said.toStdString();
            ++(stopped ? finished : changed);
        }
    }
    std::printf(
        "year change killed 20 times (full run %d ms), next start: %d untouched, %d undone, "
        "%d finished, %d already done\n",
        full, kept, undone, finished, changed);
}

} // namespace ledra
