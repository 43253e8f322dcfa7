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
#include <array>
#include <csignal>
#include <gtest/gtest.h>
#include <map>
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

namespace {

// Every account's stored totals (balance, debit and credit turnover) as the file holds them.
std::map<qint64, std::array<qint64, 3>> storedTotals(const QString &folder) {
    std::map<qint64, std::array<qint64, 3>> m;
    Table k(Schemas::konten());
    k.setFolder(folder);
    k.open();
    for (k.first(); !k.eof(); k.next())
        m[k.asInt(QStringLiteral("KtoNr"))] = {k.asMoney(QStringLiteral("Saldo")).units(),
                                               k.asMoney(QStringLiteral("JVZSoll")).units(),
                                               k.asMoney(QStringLiteral("JVZHaben")).units()};
    return m;
}

int runCli(const QStringList &args, int killAfterMs = -1) {
    QProcess p;
    p.start(QStringLiteral(LEDRA_CLI), args);
    EXPECT_TRUE(p.waitForStarted());
    if (killAfterMs >= 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(killAfterMs));
        ::kill(pid_t(p.processId()), SIGKILL);
    }
    p.waitForFinished(120000);
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

// After a kill: both files pass their check, no voucher is in the batch twice, and the
// balances equal what a recomputation of a copy of the folder finds.
void expectConsistent(const QString &work, const QString &check) {
    // Opening each file for writing settles what a crash left behind (the rollback journals).
    ids(work + QStringLiteral("/Buchung.DB"));
    ids(work + QStringLiteral("/Journal.DB"));
    const auto stored = storedTotals(work);
    for (const char *f : {"/Buchung.DB", "/Journal.DB", "/Konten.DB"})
        ASSERT_EQ(integrity(work + QLatin1String(f)), QStringLiteral("ok")) << f;
    std::set<qint64> vouchers;
    Query q;
    q.setTable(QStringLiteral("T"), work + QStringLiteral("/Buchung.DB"));
    q.lines() << QStringLiteral("SELECT Belegnummer, Buchungstext FROM T.Buchung");
    q.forEach([&](const QStringList &, const QVariantList &row) {
        EXPECT_TRUE(vouchers.insert(row[0].toLongLong()).second)
            << "voucher " << row[0].toLongLong() << " twice in the batch";
        return true;
    });
    copyFolder(work, check);
    ASSERT_EQ(runCli({QStringLiteral("--data"), check, QStringLiteral("recompute")}), 0);
    ASSERT_EQ(stored, storedTotals(check)) << "balances differ from a recomputation";
}

struct KillFixture {
    DataFixture fx;
    QString pristine, check;
    KillFixture() {
        fx.addAccount(1200, QStringLiteral("Bank"), 4, 0);
        fx.addAccount(1576, QStringLiteral("Vorsteuer"), 9, 0);
        fx.addAccount(1776, QStringLiteral("Umsatzsteuer"), 9, 0);
        fx.addAccount(4930, QStringLiteral("Bürobedarf"), 0, 19);
        fx.addAccount(8400, QStringLiteral("Erlöse"), 3, 19);
        fx.writeFile(fx.base + QStringLiteral("/LEDRA.INI"),
                     QStringLiteral("[Konten]\nVorsteuer=1576\nMwst=1776\n[BZR]\nVon=01.01.2026\n"
                                    "Bis=31.12.2026\n[Zaehler]\nBeleg1=1\n")
                         .toUtf8());
        pristine = fx.tmp.path() + QStringLiteral("/pristine");
        check = fx.tmp.path() + QStringLiteral("/check");
    }
    QStringList cli(const QStringList &cmd) const {
        return QStringList{QStringLiteral("--data"), fx.base, QStringLiteral("--answer"),
                           QStringLiteral("yes")} +
               cmd;
    }
    // Kills the command at random moments of its run; the folder starts pristine each time.
    void killRepeatedly(const QStringList &cmd, int times) {
        copyFolder(pristine, fx.base);
        QElapsedTimer t;
        t.start();
        EXPECT_EQ(runCli(cli(cmd)), 0);
        const int full = std::max(50, int(t.elapsed()));
        expectConsistent(fx.base, check);
        for (int i = 0; i < times; ++i) {
            copyFolder(pristine, fx.base);
            runCli(cli(cmd), int(QRandomGenerator::global()->bounded(full + 20)));
            expectConsistent(fx.base, check);
            if (::testing::Test::HasFatalFailure())
                return;
        }
    }
};

QString bookingLines(int from, int count) {
    QString lines;
    for (int i = from; i < from + count; ++i)
        lines += i % 3 ? QStringLiteral("05.03.2026;%1;4930;1200;Papier;119,00;B;\n").arg(i)
                       : QStringLiteral("06.03.2026;%1;1200;8400;Verkauf;238,00;B;\n").arg(i);
    return lines;
}

} // namespace

TEST(BookCrash, KilledWhileStoringRowsKeepsBalancesAndBatchTogether) {
    KillFixture k;
    // A batch that already holds rows, so that a kill between a row and its balances shows.
    const QString first = k.fx.tmp.path() + QStringLiteral("/erste.txt");
    k.fx.writeFile(first, bookingLines(1, 5).toUtf8());
    ASSERT_EQ(runCli(k.cli({QStringLiteral("book"), first})), 0);
    copyFolder(k.fx.base, k.pristine);
    const QString file = k.fx.tmp.path() + QStringLiteral("/buchungen.txt");
    k.fx.writeFile(file, bookingLines(100, 150).toUtf8());
    k.killRepeatedly({QStringLiteral("book"), file}, 25);
}

TEST(StornoCrash, KilledWhileReversingKeepsBalancesAndBatchTogether) {
    KillFixture k;
    const QString first = k.fx.tmp.path() + QStringLiteral("/erste.txt");
    k.fx.writeFile(first, bookingLines(1, 5).toUtf8());
    ASSERT_EQ(runCli(k.cli({QStringLiteral("book"), first})), 0);
    ASSERT_EQ(runCli(k.cli({QStringLiteral("transfer")})), 0);
    // Two rows left in the batch beside the reversal.
    k.fx.writeFile(first, bookingLines(10, 2).toUtf8());
    ASSERT_EQ(runCli(k.cli({QStringLiteral("book"), first})), 0);
    copyFolder(k.fx.base, k.pristine);
    k.killRepeatedly({QStringLiteral("storno"), QStringLiteral("3")}, 25);
}

TEST(TransferCrash, KilledWhileEnteringPaymentsKeepsInvoiceBookAndJournalTogether) {
    constexpr int kPayments = 600;
    DataFixture fx;
    fx.addAccount(1200, QStringLiteral("Bank"), 4, 0);
    fx.addAccount(1410, QStringLiteral("Kunde"), 7, 0);
    fx.writeFile(fx.base + QStringLiteral("/LEDRA.INI"),
                 QStringLiteral("[BZR]\nVon=01.01.2026\nBis=31.12.2026\n").toUtf8());
    const QString merva = fx.tmp.path() + QStringLiteral("/merva");
    ASSERT_EQ(runCli({QStringLiteral("merva-init"), merva, QStringLiteral("--client"),
                      QStringLiteral("1")}),
              0);
    const QString daten = merva + QStringLiteral("/Daten");
    // Every batch row pays one invoice in full (numbers whose ends name no other invoice).
    {
        UnitOfWork uw(fx.base + QStringLiteral("/Buchung.DB"));
        uw.attach(QStringLiteral("r"), daten + QStringLiteral("/RechBuch.DB"));
        uw.attach(QStringLiteral("h"), daten + QStringLiteral("/Beleg.DB"));
        for (int i = 1; i <= kPayments; ++i) {
            uw.exec(QStringLiteral("INSERT INTO Buchung (Autonummer, Belegdatum, Buchungstext, "
                                   "Soll, Haben, Netto, Brutto, Steuer, Steuersatz, Belegnummer, "
                                   "Euro, Stfaellig) VALUES (?, '2026-03-05', 'R:Kunde', 1200, "
                                   "1410, 1190000, 1190000, 0, 0, ?, 1, 0)"),
                    {i, 10000 + i});
            uw.exec(QStringLiteral("INSERT INTO r.RechBuch (Typ, BelNr, Zahlung, Skonto, "
                                   "Einbehalt) VALUES ('R', ?, 0, 0, 0)"),
                    {10000 + i});
            uw.exec(QStringLiteral("INSERT INTO h.Beleg (Typ, BelNr, Brutto, Waehrung) VALUES "
                                   "('R', ?, 1190000, 2)"),
                    {10000 + i});
        }
        uw.commit();
    }
    const QString pristine = fx.tmp.path() + QStringLiteral("/pristine");
    const QString pristineMerva = fx.tmp.path() + QStringLiteral("/pristine-merva");
    copyFolder(fx.base, pristine);
    copyFolder(daten, pristineMerva);
    const QStringList cmd{QStringLiteral("--data"),   fx.base,
                          QStringLiteral("--merva"),  merva,
                          QStringLiteral("--answer"), QStringLiteral("yes"),
                          QStringLiteral("transfer"), QStringLiteral("--rechnungsbuch"),
                          QStringLiteral("ja")};
    auto check = [&] {
        // Opening each file for writing settles what a crash left behind (the rollback
        // journals); the integrity checks read them afterwards.
        const auto batch = ids(fx.base + QStringLiteral("/Buchung.DB"));
        const auto journal = ids(fx.base + QStringLiteral("/Journal.DB"));
        std::map<qint64, qint64> paid;
        std::set<QString> logged;
        Query q;
        q.setTable(QStringLiteral("R"), daten + QStringLiteral("/RechBuch.DB"));
        q.lines() << QStringLiteral("SELECT BelNr, Zahlung FROM R.RechBuch");
        q.forEach([&](const QStringList &, const QVariantList &row) {
            paid[row[0].toLongLong()] = row[1].toLongLong();
            return true;
        });
        Query p;
        p.setTable(QStringLiteral("P"), daten + QStringLiteral("/Protokoll.DB"));
        p.lines() << QStringLiteral("SELECT Feld FROM P.Protokoll");
        p.forEach([&](const QStringList &, const QVariantList &row) {
            logged.insert(row[0].toString());
            return true;
        });
        for (const QString &f :
             {fx.base + QStringLiteral("/Buchung.DB"), fx.base + QStringLiteral("/Journal.DB"),
              daten + QStringLiteral("/RechBuch.DB"), daten + QStringLiteral("/Protokoll.DB")})
            ASSERT_EQ(integrity(f), QStringLiteral("ok")) << f.toStdString();
        ASSERT_EQ(batch.size() + journal.size(), size_t(kPayments));
        const std::set<qint64> moved(journal.begin(), journal.end());
        for (int i = 1; i <= kPayments; ++i) {
            const bool inJournal = moved.count(i) > 0;
            ASSERT_EQ(paid[10000 + i], inJournal ? 1190000 : 0) << "invoice " << i;
            ASSERT_EQ(logged.count(QStringLiteral("R;%1").arg(10000 + i)) > 0, inJournal)
                << "log of invoice " << i;
        }
    };
    QElapsedTimer t;
    t.start();
    EXPECT_EQ(runCli(cmd), 0);
    const int full = std::max(50, int(t.elapsed()));
    check();
    ASSERT_EQ(ids(fx.base + QStringLiteral("/Journal.DB")).size(), size_t(kPayments));
    int none = 0, all = 0;
    for (int i = 0; i < 30 && !::testing::Test::HasFatalFailure(); ++i) {
        copyFolder(pristine, fx.base);
        copyFolder(pristineMerva, daten);
        runCli(cmd, int(QRandomGenerator::global()->bounded(full + 20)));
        check();
        const size_t moved = ids(fx.base + QStringLiteral("/Journal.DB")).size();
        none += moved == 0;
        all += moved == size_t(kPayments);
    }
    std::printf("transfer with payments killed 30 times (full run %d ms): %d before the commit, "
                "%d after it\n",
                full, none, all);
}

} // namespace ledra

namespace ledra {

namespace {

// The rows of a table file as "field=value" texts in key order, read through a connection that
// settles what a crash left behind.
std::vector<QString> rowsOf(const QString &path, const QString &sql) {
    std::vector<QString> v;
    Query q;
    q.setTable(QStringLiteral("T"), path);
    q.lines() << sql;
    q.forEach([&](const QStringList &, const QVariantList &row) {
        QStringList cells;
        for (const QVariant &c : row)
            cells << c.toString();
        v.push_back(cells.join(QLatin1Char(';')));
        return true;
    });
    return v;
}

} // namespace

TEST(TransferCrash, KilledWhileSettlingOpenItemsKeepsJournalBatchAndOpenItemsInAgreement) {
    KillFixture k;
    k.fx.addAccount(1400, QStringLiteral("Kunde"), 7, 0);
    k.fx.addAccount(1600, QStringLiteral("Lieferant"), 8, 0);
    k.fx.addAccount(3400, QStringLiteral("Wareneingang"), 1, 19);
    k.fx.addAccount(4730, QStringLiteral("Gewährte Skonti"), 3, 19);
    k.fx.addAccount(5730, QStringLiteral("Erhaltene Skonti"), 1, 19);
    // 60 invoices reach the journal and open items 1 to 60.
    QString lines;
    for (int i = 1; i <= 60; ++i)
        lines += i <= 40 ? QStringLiteral("05.03.2026;%1;1400;8400;R: Kunde %1;119,00;B;\n").arg(i)
                         : QStringLiteral("05.03.2026;%1;3400;1600;L: Holz %1;238,00;B;\n").arg(i);
    const QString file = k.fx.tmp.path() + QStringLiteral("/rechnungen.txt");
    k.fx.writeFile(file, lines.toUtf8());
    ASSERT_EQ(runCli(k.cli({QStringLiteral("book"), file})), 0);
    ASSERT_EQ(runCli(k.cli({QStringLiteral("transfer")})), 0);
    // The batch: payments in full, in part with their discount, in part with the rest left
    // open, and new invoices with a payment target.
    lines.clear();
    for (int i = 1; i <= 60; ++i) {
        const bool kunde = i <= 40;
        const QString konto = kunde ? QStringLiteral("1200;") : QStringLiteral(";1200");
        if (i % 3 == 0)
            lines += QStringLiteral("06.03.2026;;%1;;;B;;%2;;\n").arg(konto).arg(i);
        else
            lines += QStringLiteral("06.03.2026;;%1;;%2;B;;%3;;%4\n")
                         .arg(konto, kunde ? QStringLiteral("115,43") : QStringLiteral("230,00"))
                         .arg(i)
                         .arg(i % 3 == 1 ? QStringLiteral("skonto") : QStringLiteral("offen"));
    }
    for (int i = 100; i < 130; ++i)
        lines += QStringLiteral("07.03.2026;%1;1400;8400;R: Neu %1;59,50;B;;;30.04.2026;\n").arg(i);
    k.fx.writeFile(file, lines.toUtf8());
    ASSERT_EQ(runCli(k.cli({QStringLiteral("book"), file})), 0);
    const QString base = k.fx.base;
    const QString opSql = QStringLiteral("SELECT Nr, Betrag, KNr, Datum FROM T.OP ORDER BY Nr");
    const QString stapelSql = QStringLiteral("SELECT Nr, OP, KNr FROM T.Stapel ORDER BY Nr");
    const auto opBefore = rowsOf(base + QStringLiteral("/OP.db"), opSql);
    const auto stapelBefore = rowsOf(base + QStringLiteral("/Stapel.db"), stapelSql);
    const auto batchBefore = ids(base + QStringLiteral("/Buchung.DB"));
    ASSERT_EQ(opBefore.size(), 60u);
    ASSERT_GT(batchBefore.size(), 100u) << "payments, discounts and invoices";
    ASSERT_GT(stapelBefore.size(), 100u);
    copyFolder(base, k.pristine);

    // One undisturbed run gives the open items after the transfer.
    QElapsedTimer t;
    t.start();
    ASSERT_EQ(runCli(k.cli({QStringLiteral("transfer")})), 0);
    const int full = std::max(50, int(t.elapsed()));
    const auto opAfter = rowsOf(base + QStringLiteral("/OP.db"), opSql);
    ASSERT_NE(opAfter, opBefore);
    ASSERT_TRUE(rowsOf(base + QStringLiteral("/Stapel.db"), stapelSql).empty());

    int none = 0, all = 0;
    for (int i = 0; i < 50 && !::testing::Test::HasFatalFailure(); ++i) {
        copyFolder(k.pristine, base);
        runCli(k.cli({QStringLiteral("transfer")}),
               int(QRandomGenerator::global()->bounded(full + 20)));
        const auto batch = ids(base + QStringLiteral("/Buchung.DB"));
        const auto journal = ids(base + QStringLiteral("/Journal.DB"));
        const auto op = rowsOf(base + QStringLiteral("/OP.db"), opSql);
        const auto stapel = rowsOf(base + QStringLiteral("/Stapel.db"), stapelSql);
        for (const char *f : {"/Buchung.DB", "/Journal.DB", "/OP.db", "/Stapel.db"})
            ASSERT_EQ(integrity(base + QLatin1String(f)), QStringLiteral("ok")) << f;
        ASSERT_EQ(batch.size() + journal.size(), batchBefore.size() + 60);
        // Each booking's open-item effect is there exactly when the booking is in the journal.
        if (batch.empty()) {
            ASSERT_EQ(op, opAfter);
            ASSERT_TRUE(stapel.empty());
            ++all;
        } else {
            ASSERT_EQ(batch, batchBefore);
            ASSERT_EQ(op, opBefore);
            ASSERT_EQ(stapel, stapelBefore);
            ++none;
        }
    }
    std::printf("settling transfer killed 50 times (full run %d ms): %d before the commit, %d "
                "after it\n",
                full, none, all);
}

} // namespace ledra
