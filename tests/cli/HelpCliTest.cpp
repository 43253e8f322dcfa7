// ledra-cli help: the list of contexts, a topic as text, the refusal of an unknown context,
// and the diagnostic log that the debug switch and the marker file turn on.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
namespace ledra {

namespace {

// A program folder of its own (the program and its manual), so that the log this run
// writes beside the program is not the one a parallel run removes.
struct HelpCli : ::testing::Test {
    QTemporaryDir dir;
    QString out, err;
    QString program() const { return dir.path() + QStringLiteral("/ledra-cli"); }
    void SetUp() override {
        ASSERT_TRUE(QFile::copy(QStringLiteral(LEDRA_CLI), program()));
        const QString help = dir.path() + QStringLiteral("/ledra-hilfe");
        QDir().mkpath(help);
        const QDir source(QStringLiteral(LEDRA_HELP_DIR));
        for (const QString &f : source.entryList(QDir::Files))
            ASSERT_TRUE(QFile::copy(source.filePath(f), help + QLatin1Char('/') + f));
    }
    int run(const QStringList &args) {
        QProcess p;
        p.start(program(), args);
        EXPECT_TRUE(p.waitForFinished(60000));
        out = QString::fromUtf8(p.readAllStandardOutput());
        err = QString::fromUtf8(p.readAllStandardError());
        return p.exitCode();
    }
    QString log() const {
        QFile f(dir.path() + QStringLiteral("/HHDebug.txt"));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
};

} // namespace

TEST_F(HelpCli, ListsTheContextsAndPrintsATopic) {
    ASSERT_EQ(run({QStringLiteral("help")}), 0) << err.toStdString();
    const QStringList lines = out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    EXPECT_TRUE(lines.contains(QStringLiteral("10;Buchen")));
    EXPECT_TRUE(lines.contains(QStringLiteral("17;Buchungssatz stornieren")));
    EXPECT_TRUE(lines.contains(QStringLiteral("31;Jahreswechsel")));
    int last = 0;
    for (const QString &l : lines) {
        const int n = l.section(QLatin1Char(';'), 0, 0).toInt();
        EXPECT_GT(n, last) << "one line a context, in order: " << l.toStdString();
        EXPECT_FALSE(l.section(QLatin1Char(';'), 1).isEmpty());
        last = n;
    }

    ASSERT_EQ(run({QStringLiteral("help"), QStringLiteral("31")}), 0);
    EXPECT_TRUE(out.startsWith(QStringLiteral("Jahreswechsel\n"))) << out.left(80).toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("Datensicherung")));
    EXPECT_FALSE(out.contains(QLatin1Char('<'))) << "plain text, no markup";
    EXPECT_TRUE(err.isEmpty());
}

TEST_F(HelpCli, AContextWithoutTopicIsRefusedInGerman) {
    EXPECT_EQ(run({QStringLiteral("help"), QStringLiteral("99")}), 1);
    EXPECT_TRUE(out.isEmpty());
    EXPECT_TRUE(
        err.contains(QStringLiteral("Die Hilfe-Datei enthält kein Thema zum Hilfekontext 99")))
        << err.toStdString();
    EXPECT_EQ(run({QStringLiteral("help"), QStringLiteral("zehn")}), 2);
    EXPECT_TRUE(err.contains(QStringLiteral("'zehn' ist keine Hilfekontext-Nummer.")));

    QDir(dir.path() + QStringLiteral("/ledra-hilfe")).removeRecursively();
    EXPECT_EQ(run({QStringLiteral("help"), QStringLiteral("10")}), 1);
    EXPECT_TRUE(err.contains(QStringLiteral("Hilfe-Datei nicht gefunden:")));
}

TEST_F(HelpCli, DebugSwitchAndMarkerFileWriteTheLog) {
    ASSERT_EQ(run({QStringLiteral("help"), QStringLiteral("10")}), 0);
    EXPECT_FALSE(QFile::exists(dir.path() + QStringLiteral("/HHDebug.txt")));

    ASSERT_EQ(run({QStringLiteral("/DEBUG"), QStringLiteral("help"), QStringLiteral("99")}), 1);
    QString text = log();
    EXPECT_TRUE(text.contains(QStringLiteral("Cmdline Param(s) =  \t/DEBUG | help | 99")));
    EXPECT_TRUE(text.contains(QStringLiteral("_hhInstalled =      \tYES")));
    EXPECT_TRUE(text.contains(QStringLiteral("THookHelpSystem.HelpHook(HELP_CONTEXT (1), 99)")));
    EXPECT_TRUE(text.contains(QStringLiteral("  returned - 2")));
    EXPECT_TRUE(text.contains(QStringLiteral("HHShowError(2), \"Die Hilfe-Datei enthält")));

    // The next run without debug mode removes the old log; the marker file turns it on.
    ASSERT_EQ(run({QStringLiteral("help")}), 0);
    EXPECT_FALSE(QFile::exists(dir.path() + QStringLiteral("/HHDebug.txt")));
    QFile marker(dir.path() + QStringLiteral("/debug.debug"));
    ASSERT_TRUE(marker.open(QIODevice::WriteOnly));
    marker.close();
    ASSERT_EQ(run({QStringLiteral("help"), QStringLiteral("20")}), 0);
    text = log();
    EXPECT_TRUE(text.contains(QStringLiteral("THookHelpSystem.HelpHook(HELP_CONTEXT (1), 20)")));
    EXPECT_TRUE(text.contains(QStringLiteral("THookHelpSystem.Destroy")));
}

} // namespace ledra
