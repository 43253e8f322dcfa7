// One writer per data folder: every program that opens the books (the window, every ledra-cli
// run) holds the lock file of the base data folder; a second one waits a few seconds, then
// refuses without touching the data. The lock is an flock on LEDRA.LCK, so a backup script can
// keep the program out with flock(1) as well; the tests look at it the same way.

#include "app/Shell.h"
#include "support/Fixture.h"
#include "ui/ScriptedUi.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
namespace ledra {

namespace {

struct WriterLock : ::testing::Test {
    DataFixture fx;
    QString out, err;

    std::unique_ptr<QProcess> launch(const QStringList &args) {
        auto p = std::make_unique<QProcess>();
        p->start(QStringLiteral(LEDRA_CLI), QStringList{QStringLiteral("--data"), fx.base} + args);
        EXPECT_TRUE(p->waitForStarted());
        return p;
    }
    int finish(QProcess &p) {
        p.waitForFinished(60000);
        out = QString::fromUtf8(p.readAllStandardOutput());
        err = QString::fromUtf8(p.readAllStandardError());
        return p.exitCode();
    }
    int run(const QStringList &args) { return finish(*launch(args)); }

    // Whether some process holds the lock file: a try of our own fails.
    bool lockHeld() const {
        const QByteArray path = QFile::encodeName(fx.base + QStringLiteral("/LEDRA.LCK"));
        const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return false;
        const bool held = ::flock(fd, LOCK_SH | LOCK_NB) != 0;
        ::close(fd);
        return held;
    }
    // A writing ledra-cli run that holds the folder until told to end: the booking file it
    // reads is a pipe, whose opening waits for the other end.
    QString pipe() const { return fx.tmp.path() + QStringLiteral("/buchungen.pipe"); }
    std::unique_ptr<QProcess> holder() {
        EXPECT_EQ(::mkfifo(QFile::encodeName(pipe()).constData(), 0600), 0);
        auto p = launch({QStringLiteral("book"), pipe()});
        QDeadlineTimer deadline(20000);
        while (!lockHeld() && !deadline.hasExpired())
            QThread::msleep(20);
        EXPECT_TRUE(lockHeld()) << "the running program holds no lock";
        return p;
    }
    // Gives the holder an empty booking file, which ends it.
    void release() {
        QFile f(pipe());
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    }
    QString busyText() const {
        return QStringLiteral("Der Datenordner %1 wird von einem anderen Programm benutzt")
            .arg(QDir::toNativeSeparators(fx.base));
    }
};

} // namespace

TEST_F(WriterLock, SecondProgramWaitsThenRefuses) {
    auto first = holder();
    const QByteArray ini = fx.readFile(fx.base + QStringLiteral("/LEDRA.INI"));

    EXPECT_NE(run({QStringLiteral("recompute")}), 0);
    EXPECT_TRUE(err.contains(busyText() + QStringLiteral(", warte"))) << err.toStdString();
    EXPECT_TRUE(err.contains(QStringLiteral("Fehler: ") + busyText())) << err.toStdString();
    EXPECT_EQ(fx.readFile(fx.base + QStringLiteral("/LEDRA.INI")), ini)
        << "a refused program must not write the settings back";

    release();
    EXPECT_EQ(finish(*first), 0) << err.toStdString();
    EXPECT_FALSE(lockHeld()) << "the lock goes with the program";
    EXPECT_EQ(run({QStringLiteral("recompute")}), 0) << err.toStdString();
    EXPECT_FALSE(err.contains(QStringLiteral("warte"))) << err.toStdString();
}

TEST_F(WriterLock, WaitingProgramGoesOnWhenTheWindowCloses) {
    // The window's start-up takes the lock and its close gives it back.
    ScriptedUi ui;
    auto shell = std::make_unique<Shell>(ui, fx.program);
    shell->dataFolderOverride = fx.base;
    shell->checkHelp = false;
    ASSERT_TRUE(shell->start());
    ASSERT_TRUE(lockHeld());
    // A temporary file the window may be writing this very moment.
    const QString tmpFile = fx.base + QStringLiteral("/Konten.DB.neu~");
    fx.writeFile(tmpFile, "in Arbeit");

    auto second = launch({QStringLiteral("info")});
    QDeadlineTimer deadline(20000);
    QByteArray said;
    while (!said.contains("warte") && !deadline.hasExpired() &&
           second->state() == QProcess::Running) {
        second->waitForReadyRead(100);
        said += second->readAllStandardError();
    }
    EXPECT_TRUE(said.contains("warte")) << said.constData();
    EXPECT_TRUE(QFile::exists(tmpFile)) << "the waiting program keeps its hands off";
    EXPECT_TRUE(shell->close(false));
    shell.reset();
    EXPECT_EQ(finish(*second), 0) << err.toStdString();
    EXPECT_EQ(out, QStringLiteral("0 Buchungen\n0 Konten\nDATEN\n"));
    EXPECT_FALSE(QFile::exists(tmpFile)) << "once it holds the folder, the leftover goes";
}

TEST_F(WriterLock, LockOfAKilledProgramDoesNotBlock) {
    auto first = holder();
    ::kill(pid_t(first->processId()), SIGKILL);
    first->waitForFinished(20000);
    EXPECT_FALSE(lockHeld());
    EXPECT_EQ(run({QStringLiteral("info")}), 0) << err.toStdString();
    EXPECT_FALSE(err.contains(QStringLiteral("warte"))) << err.toStdString();
}

} // namespace ledra
