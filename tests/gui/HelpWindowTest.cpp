// The help window: F1 and the help contexts of every control, page and menu item of the
// main window open their topic; what the user sees when a topic or the manual is missing;
// contents, index and full-text search of the manual.

#include "GuiFixture.h"

#include "app/qt/HelpKey.h"
#include "app/qt/HelpWindow.h"
#include "diagnostics/HelpTopics.h"

#include <QAction>
#include <QElapsedTimer>
#include <QHelpEngine>
#include <QHelpIndexModel>
#include <QHelpSearchEngine>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
namespace ledra {

namespace {

class Help : public WindowTest {
protected:
    HelpTopics topics;
    void SetUp() override {
        WindowTest::SetUp();
        installManual();
        ASSERT_TRUE(topics.load(QStringLiteral(LEDRA_HELP_DIR)));
    }
    QString fileOf(int context) const {
        const auto t = topics.topicFor(context);
        return t ? t->file : QString();
    }
};

} // namespace

TEST_F(Help, EveryHelpContextOfTheMainWindowOpensItsTopic) {
    start();
    std::set<int> seen;
    auto check = [&](int context, const QString &what) {
        seen.insert(context);
        ui.clear();
        window->showHelp(context);
        ASSERT_NE(window->helpWindow(), nullptr);
        EXPECT_EQ(window->helpWindow()->currentPage().fileName(), fileOf(context))
            << what.toStdString() << " context " << context;
        EXPECT_TRUE(ui.messages.empty()) << what.toStdString();
    };
    for (QWidget *w : window->findChildren<QWidget *>())
        if (w->property("helpContext").isValid())
            check(HelpKey::contextOf(w), w->objectName());
    for (QAction *a : window->findChildren<QAction *>())
        if (a->property("helpContext").isValid())
            check(a->property("helpContext").toInt(), a->text());
    for (int page : {10, 12, 13, 15, 16, 20, 21, 22, 23, 24, 25, 26, 30})
        EXPECT_TRUE(seen.count(page)) << "context " << page << " not met in the window";
    EXPECT_TRUE(window->helpWindow()->isVisible());
    EXPECT_FALSE(window->helpWindow()->parent()) << "a window of its own on the desktop";
}

TEST_F(Help, AContextWithoutTopicWarnsAndNamesTheHelpFile) {
    start();
    window->showHelp(10);
    const QUrl before = window->helpWindow()->currentPage();
    window->showHelp(99);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(
        ui.messages[0].text,
        QStringLiteral("Die Hilfe-Datei enthält kein Thema zum Hilfekontext 99:\r") +
            QDir::toNativeSeparators(data.program + QStringLiteral("/ledra-hilfe/ledra.qch")));
    EXPECT_EQ(window->helpWindow()->currentPage(), before) << "the page shown stays";
}

TEST_F(Help, AMissingManualIsReportedOnEveryRequest) {
    QDir(data.program + QStringLiteral("/ledra-hilfe")).removeRecursively();
    start();
    const QString message =
        QStringLiteral("Hilfe-Datei nicht gefunden:\r") +
        QDir::toNativeSeparators(data.program + QStringLiteral("/ledra-hilfe/ledra.qch"));
    ASSERT_EQ(messageTexts(), QStringList{message}) << "at start";
    ui.clear();
    window->showHelp(10);
    EXPECT_EQ(messageTexts(), QStringList{message});
    EXPECT_FALSE(window->helpWindow()->isVisible());
}

TEST(HelpWindowAlone, ContentsIndexAndSearch) {
    QTemporaryDir cache;
    HelpWindow help(QStringLiteral(LEDRA_HELP_DIR), cache.path());
    ASSERT_EQ(help.showContents(), HelpShown);
    EXPECT_EQ(help.currentPage().fileName(), QStringLiteral("index.html"));
    EXPECT_TRUE(help.browser()->toPlainText().contains(QStringLiteral("Erste Schritte")));
    ASSERT_EQ(help.tabs()->count(), 3);

    // The index lists the manual's keywords.
    QHelpIndexModel *index = help.engine()->indexModel();
    QTRY_VERIFY_WITH_TIMEOUT(index->stringList().contains(QStringLiteral("Datensicherung")), 10000);

    // The full text is searched, also for words that are no keyword.
    QHelpSearchEngine *se = help.engine()->searchEngine();
    int hits = 0;
    QElapsedTimer t;
    t.start();
    while (hits == 0 && t.elapsed() < 20000) {
        QSignalSpy done(se, &QHelpSearchEngine::searchingFinished);
        help.search(QStringLiteral("Aufbewahrungsfrist"));
        if (done.isEmpty())
            done.wait(5000);
        hits = se->searchResultCount();
        if (hits == 0)
            QTest::qWait(200); // the index is still being built
    }
    ASSERT_GT(hits, 0);
    const auto results = se->searchResults(0, hits);
    bool found = false;
    for (const auto &r : results)
        found = found || r.url().fileName() == QStringLiteral("alte-jahre.html");
    EXPECT_TRUE(found);

    // A context opens its topic; one without a topic is refused, the page stays.
    EXPECT_EQ(help.showContext(31), HelpShown);
    EXPECT_EQ(help.currentPage().fileName(), QStringLiteral("jahreswechsel.html"));
    EXPECT_EQ(help.showContext(99), HelpUnknownContext);
    EXPECT_EQ(help.currentPage().fileName(), QStringLiteral("jahreswechsel.html"));
}

TEST(HelpWindowAlone, WithoutTheHelpFileNothingIsShown) {
    QTemporaryDir empty, cache;
    HelpWindow help(empty.path(), cache.path());
    EXPECT_EQ(help.showContext(10), HelpNotInstalled);
    EXPECT_EQ(help.showContents(), HelpNotInstalled);
    EXPECT_FALSE(help.isVisible());
}

} // namespace ledra
