// The help hook: what it logs for each request, and what the user is told when the manual
// cannot show a topic.

#include "diagnostics/HelpHook.h"
#include "diagnostics/DebugLog.h"
#include "diagnostics/HelpViewer.h"
#include "diagnostics/ModuleFacts.h"
#include "ui/ScriptedUi.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <set>
namespace ledra {

namespace {

class FakeViewer : public HelpViewer {
public:
    std::set<int> topics{10, 17};
    bool installed = true;
    QList<int> shown;
    int contentsShown = 0;
    int closed = 0;
    int showContext(int context) override {
        if (!installed)
            return HelpNotInstalled;
        if (!topics.count(context))
            return HelpUnknownContext;
        shown << context;
        return HelpShown;
    }
    int showContents() override {
        ++contentsShown;
        return installed ? HelpShown : HelpNotInstalled;
    }
    void closeAll() override { ++closed; }
};

struct Hook : ::testing::Test {
    QTemporaryDir dir;
    DebugLog log;
    ScriptedUi ui;
    FakeViewer viewer;
    QString file() const { return dir.path() + QStringLiteral("/ledra-hilfe/ledra.qch"); }
    void SetUp() override {
        ModuleFacts facts;
        facts.moduleDir = dir.path();
        log.start(facts, true);
    }
    // The log after the header.
    QStringList requestLines() const {
        QFile f(log.path());
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        QStringList out;
        for (const QString &l : QString::fromUtf8(f.readAll()).split(QLatin1Char('\n')))
            if (l.size() > 11 && l[2] == QLatin1Char(':') && l.mid(8, 3) == QLatin1String("   "))
                out << l.mid(11); // without the time prefix
        return out;
    }
};

} // namespace

TEST(HelpCommandNames, NamedNumbersAndTheRest) {
    EXPECT_EQ(HelpHook::commandName(1), QStringLiteral("HELP_CONTEXT (1)"));
    EXPECT_EQ(HelpHook::commandName(3), QStringLiteral("HELP_INDEX or HELP_CONTENTS (3)"));
    EXPECT_EQ(HelpHook::commandName(8), QStringLiteral("HELP_CONTEXTPOPUP (8)"));
    EXPECT_EQ(HelpHook::commandName(13), QStringLiteral("HELP_SETPOPUP_POS (13)"));
    EXPECT_EQ(HelpHook::commandName(0x0201), QStringLiteral("HELP_MULTIKEY (513)"));
    EXPECT_EQ(HelpHook::commandName(0x0203), QStringLiteral("HELP_SETWINPOS (515)"));
    EXPECT_EQ(HelpHook::commandName(7), QStringLiteral("?? (7)"));
}

TEST_F(Hook, AKnownContextIsShownAndLogged) {
    {
        HelpHook hook(file(), log, ui, viewer);
        EXPECT_EQ(hook.showHelp(17), HelpShown);
        EXPECT_EQ(hook.request(HelpCommand::ContextPopup, 10), HelpShown);
    }
    EXPECT_EQ(viewer.shown, (QList<int>{17, 10}));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(viewer.closed, 1) << "releasing the hook closes the help windows";
    const QString f = file();
    EXPECT_EQ(
        requestLines(),
        (QStringList{QStringLiteral("THookHelpSystem.Create(\"%1\",\"\", 0)").arg(f),
                     QStringLiteral("THookHelpSystem.HelpHook(HELP_CONTEXT (1), 17)"),
                     QStringLiteral("HHHelpContext(\"%1\", 17, \"\", 0)").arg(f),
                     QStringLiteral("ShowContext(\"%1\", 17)").arg(f),
                     QStringLiteral("  returned - 0"),
                     QStringLiteral("THookHelpSystem.HelpHook(HELP_CONTEXTPOPUP (8), 10)"),
                     QStringLiteral("HHHelpContext(\"%1\", 10, \"\", 0)").arg(f),
                     QStringLiteral("ShowContext(\"%1\", 10)").arg(f),
                     QStringLiteral("  returned - 0"), QStringLiteral("THookHelpSystem.Destroy")}));
}

TEST_F(Hook, AnUnknownContextIsLoggedWithItsResultAndTheMessageShown) {
    HelpHook hook(file(), log, ui, viewer);
    EXPECT_EQ(hook.showHelp(99), HelpUnknownContext);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].kind, MsgKind::Warning);
    const QString text =
        QStringLiteral("Die Hilfe-Datei enthält kein Thema zum Hilfekontext 99:\r") + file();
    EXPECT_EQ(ui.messages[0].text, text);
    const QStringList l = requestLines();
    ASSERT_GE(l.size(), 2);
    EXPECT_EQ(l[l.size() - 2], QStringLiteral("  returned - 2"));
    EXPECT_EQ(l.last(), QStringLiteral("HHShowError(2), \"%1\"")
                            .arg(QString(text).replace(QLatin1Char('\r'), QLatin1Char(' '))));
}

TEST_F(Hook, AMissingManualNamesTheFile) {
    viewer.installed = false;
    HelpHook hook(file(), log, ui, viewer);
    EXPECT_EQ(hook.showHelp(10), HelpNotInstalled);
    EXPECT_EQ(hook.showHelp(0), HelpNotInstalled) << "the contents as well";
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[0].text, QStringLiteral("Hilfe-Datei nicht gefunden:\r") + file());
    EXPECT_TRUE(requestLines().contains(
        QStringLiteral("HHShowError(1), \"Hilfe-Datei nicht gefunden: %1\"").arg(file())));
}

TEST_F(Hook, ContentsPopupPositionAndOtherCommands) {
    HelpHook hook(file(), log, ui, viewer);
    EXPECT_EQ(hook.showHelp(0), HelpShown);
    EXPECT_EQ(viewer.contentsShown, 1) << "no context: the manual's start page";
    hook.request(HelpCommand::SetPopupPos, (40 << 16) | 120);
    EXPECT_EQ(hook.popupPosition(), QPoint(120, 40));
    EXPECT_TRUE(viewer.shown.isEmpty());
    hook.request(0x0101, 0);
    EXPECT_TRUE(viewer.shown.isEmpty());
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(
        requestLines().contains(QStringLiteral("THookHelpSystem.HelpHook(HELP_KEY (257), 0)")));
}

TEST_F(Hook, NothingIsLoggedWithoutDebugMode) {
    ModuleFacts facts;
    facts.moduleDir = dir.path();
    log.start(facts, false);
    HelpHook hook(file(), log, ui, viewer);
    hook.showHelp(99);
    EXPECT_FALSE(QFile::exists(log.path()));
    EXPECT_EQ(ui.messages.size(), 1u) << "the user is told all the same";
}

} // namespace ledra
