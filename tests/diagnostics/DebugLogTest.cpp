// The diagnostic log: silent without debug mode, its line rules, its header, where it goes.

#include "diagnostics/DebugLog.h"
#include "diagnostics/ModuleFacts.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>
namespace ledra {

namespace {

struct LogFolder : ::testing::Test {
    QTemporaryDir dir;
    ModuleFacts facts;
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        facts.moduleDir = dir.path();
        facts.modulePath = dir.path() + QStringLiteral("/ledra");
        facts.moduleName = QStringLiteral("ledra");
        facts.runDir = dir.path();
        facts.version = QStringLiteral("0.1.0.0");
        facts.arguments = {QStringLiteral("-debug"), QStringLiteral("--data"),
                           QStringLiteral("/mit Leerzeichen")};
    }
    QString logPath() const { return dir.path() + QStringLiteral("/HHDebug.txt"); }
    QStringList lines() const {
        QFile f(logPath());
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
};

} // namespace

TEST(DebugMode, MarkerFileOrSwitchInAnyCase) {
    QTemporaryDir dir;
    EXPECT_FALSE(DebugLog::debugModeRequested(dir.path(), {QStringLiteral("--data")}));
    EXPECT_FALSE(DebugLog::debugModeRequested(dir.path(), {QStringLiteral("--debug")}));
    EXPECT_FALSE(DebugLog::debugModeRequested(dir.path(), {QStringLiteral("debug")}));
    EXPECT_TRUE(
        DebugLog::debugModeRequested(dir.path(), {QStringLiteral("x"), QStringLiteral("-DeBuG")}));
    EXPECT_TRUE(DebugLog::debugModeRequested(dir.path(), {QStringLiteral("/DEBUG")}));
    QFile marker(dir.path() + QStringLiteral("/debug.debug"));
    ASSERT_TRUE(marker.open(QIODevice::WriteOnly));
    marker.close();
    EXPECT_TRUE(DebugLog::debugModeRequested(dir.path(), {}));
}

TEST_F(LogFolder, WithoutDebugModeNothingIsWrittenAndTheOldLogGoes) {
    QFile old(logPath());
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("vom letzten Lauf\n");
    old.close();
    // A read-only log of an earlier run is removed all the same.
    QFile::setPermissions(logPath(), QFileDevice::ReadOwner);

    DebugLog log;
    log.start(facts, false);
    EXPECT_EQ(log.path(), logPath());
    EXPECT_FALSE(QFile::exists(logPath()));
    log.write(QStringLiteral("HHHelpContext"));
    log.write(QStringLiteral("="));
    EXPECT_FALSE(QFile::exists(logPath())) << "no debug mode, no file";
}

TEST_F(LogFolder, LinesSeparatorsAndTimePrefix) {
    DebugLog log;
    log.start(facts, true);
    const int header = lines().size();
    log.write(QStringLiteral("-"));
    log.write(QStringLiteral("="));
    log.write(QStringLiteral("!ohne Zeit"));
    log.write(QStringLiteral("-x"));
    log.write(QStringLiteral("  returned - 0"));
    const QStringList l = lines().mid(header);
    ASSERT_EQ(l.size(), 5);
    EXPECT_EQ(l[0], QString(79, QLatin1Char('-')));
    EXPECT_EQ(l[1], QString(79, QLatin1Char('=')));
    EXPECT_EQ(l[2], QStringLiteral("ohne Zeit"));
    EXPECT_EQ(l[3], QStringLiteral("x"));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d {5}returned - 0$"))
                    .match(l[4])
                    .hasMatch())
        << l[4].toStdString();
}

TEST_F(LogFolder, HeaderInItsOrder) {
    DebugLog log;
    log.start(facts, true);
    const QStringList l = lines();
    const QStringList labels = {
        QStringLiteral("="),
        QStringLiteral("Log File:"),
        QStringLiteral("Date:"),
        QStringLiteral("Operating System:"),
        QStringLiteral("SysLocale.DefaultLCID:"),
        QStringLiteral("SysLocale.PriLangID:"),
        QStringLiteral("SysLocale.SubLangID:"),
        QStringLiteral("DecimalSeparator:"),
        QStringLiteral("-"),
        QStringLiteral("EXE Path ="),
        QStringLiteral("EXE Version ="),
        QStringLiteral("Cmdline Param(s) ="),
        QStringLiteral("Actual CmdLine ="),
        QStringLiteral("_RunDir ="),
        QStringLiteral("_ModuleName ="),
        QStringLiteral("_ModuleDir ="),
        QStringLiteral("_ModulePath ="),
        QStringLiteral("Module Version ="),
        QStringLiteral("-"),
        QStringLiteral("_hhInstalled ="),
        QStringLiteral("_hhVerStr ="),
        QStringLiteral("_hhFriendlyVerStr ="),
        QStringLiteral("-"),
        QStringLiteral("_ieInstalled ="),
        QStringLiteral("_ieVerStr ="),
        QStringLiteral("_ieFriendlyVerStr ="),
        QStringLiteral("="),
    };
    ASSERT_EQ(l.size(), labels.size());
    for (int i = 0; i < labels.size(); ++i) {
        if (labels[i].size() == 1) {
            EXPECT_EQ(l[i], QString(79, labels[i][0])) << i;
            continue;
        }
        EXPECT_TRUE(l[i].startsWith(labels[i])) << l[i].toStdString();
        EXPECT_TRUE(l[i].contains(QLatin1Char('\t'))) << "a tab before the value: " << i;
    }
    auto value = [&](int i) { return l[i].section(QLatin1Char('\t'), 1); };
    EXPECT_EQ(value(1), QDir::toNativeSeparators(logPath()));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^0x[0-9A-F]{4} \\(\\d+\\)$"))
                    .match(value(4))
                    .hasMatch());
    EXPECT_TRUE(value(3).contains(QStringLiteral("(Build ")));
    EXPECT_EQ(value(11), QStringLiteral("-debug | --data | /mit Leerzeichen"));
    EXPECT_TRUE(value(12).endsWith(QStringLiteral("-debug --data \"/mit Leerzeichen\"")));
    EXPECT_EQ(value(19), QStringLiteral("NO")) << "no manual in this folder";
}

TEST_F(LogFolder, UnwritableFolderFallsBackToTheTemporaryFolder) {
    // A module folder that cannot hold a file: it lies under a plain file.
    QFile plain(dir.path() + QStringLiteral("/datei"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    const QString moduleDir = plain.fileName() + QStringLiteral("/bin");
    EXPECT_EQ(DebugLog::logFolder(moduleDir), QDir::cleanPath(QDir::tempPath()));
    EXPECT_EQ(DebugLog::logFolder(dir.path()), QDir::cleanPath(dir.path()));
    EXPECT_FALSE(QFile::exists(dir.path() + QStringLiteral("/$_Temp_$.$$$")))
        << "the write test leaves nothing behind";

    QTemporaryDir temp;
    qputenv("TMPDIR", temp.path().toUtf8());
    facts.moduleDir = moduleDir;
    DebugLog log;
    log.start(facts, true);
    qunsetenv("TMPDIR");
    EXPECT_EQ(log.path(), temp.path() + QStringLiteral("/HHDebug.txt"));
    EXPECT_TRUE(QFile::exists(log.path()));
}

TEST_F(LogFolder, ALinkPlantedUnderTheLogsNameIsNotFollowed) {
    QFile target(dir.path() + QStringLiteral("/fremd.txt"));
    ASSERT_TRUE(target.open(QIODevice::WriteOnly));
    target.write("fremd\n");
    target.close();
    DebugLog log;
    log.start(facts, true);
    QFile::remove(logPath());
    ASSERT_TRUE(QFile::link(target.fileName(), logPath()));
    log.write(QStringLiteral("Zeile"));
    ASSERT_TRUE(target.open(QIODevice::ReadOnly));
    EXPECT_EQ(target.readAll(), QByteArray("fremd\n"));
}

} // namespace ledra
