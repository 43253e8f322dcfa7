// The built manual against the program: every help context a window, dialog or question of
// the program uses opens a topic that exists, and the manual's own links lead somewhere.

#include "diagnostics/HelpTopics.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <set>
namespace ledra {

namespace {

QString readAll(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// The help contexts written into the program's sources: control and window properties,
// the launchers' constants, the section editors and the questions with a help button.
std::set<int> contextsInSources() {
    const QList<QRegularExpression> patterns = {
        QRegularExpression(QStringLiteral("\"helpContext\",\\s*(\\d+)\\)")),
        QRegularExpression(QStringLiteral("helpContext\\s*=\\s*(\\d+)\\s*;")),
        QRegularExpression(QStringLiteral("SectionEditor\\s+\\w+\\([^;]*?,\\s*(\\d+),"),
                           QRegularExpression::DotMatchesEverythingOption),
        QRegularExpression(QStringLiteral("Btn::[\\w|: ]+,\\s*(\\d+)\\s*[,)]")),
        QRegularExpression(QStringLiteral("warnOkCancel\\([^;]*?,\\s*(\\d+)\\)"),
                           QRegularExpression::DotMatchesEverythingOption),
    };
    const QRegularExpression helpNamespace(QStringLiteral("namespace Help \\{([^}]*)\\}"));
    const QRegularExpression constant(QStringLiteral("=\\s*(\\d+)"));
    std::set<int> out;
    QDirIterator it(QStringLiteral(LEDRA_SOURCE_DIR "/src"),
                    {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString text = readAll(it.next());
        for (const QRegularExpression &p : patterns)
            for (auto m = p.globalMatch(text); m.hasNext();)
                out.insert(m.next().captured(1).toInt());
        for (auto ns = helpNamespace.globalMatch(text); ns.hasNext();) {
            const QString body = ns.next().captured(1);
            for (auto m = constant.globalMatch(body); m.hasNext();)
                out.insert(m.next().captured(1).toInt());
        }
    }
    out.erase(0); // no help context
    return out;
}

} // namespace

TEST(Manual, EveryHelpContextOfTheProgramOpensATopic) {
    const std::set<int> used = contextsInSources();
    // The scan must find what the windows are known to use, or it proves nothing.
    for (int known :
         {10, 12, 13, 15, 16, 17, 20, 21, 22, 23, 24, 25, 26, 30, 31, 32, 33, 34, 35, 40, 41, 42})
        EXPECT_TRUE(used.count(known)) << "context " << known << " not found in the sources";
    HelpTopics topics;
    ASSERT_TRUE(topics.load(QStringLiteral(LEDRA_HELP_DIR)));
    for (int context : used) {
        const auto topic = topics.topicFor(context);
        ASSERT_TRUE(topic.has_value()) << "no topic for help context " << context;
        EXPECT_FALSE(topic->title.isEmpty()) << context;
        EXPECT_FALSE(topics.plainText(*topic).trimmed().isEmpty()) << context;
    }
}

TEST(Manual, GeneralTopicsAndLinksResolve) {
    HelpTopics topics;
    ASSERT_TRUE(topics.load(QStringLiteral(LEDRA_HELP_DIR)));
    QStringList titles;
    for (const HelpTopics::Topic &t : topics.contents())
        titles << t.title;
    for (const char *needed :
         {"Erste Schritte", "Buchen mit Umsatzsteuer", "Jahreswechsel", "Datensicherung"})
        EXPECT_TRUE(titles.contains(QString::fromUtf8(needed))) << needed;
    EXPECT_TRUE(QFileInfo::exists(HelpTopics::helpFileIn(QStringLiteral(LEDRA_HELP_DIR))));

    // Every page of the contents exists, and every link inside a page points at a page.
    const QRegularExpression href(QStringLiteral("href=\"([^\"#:]+)(#[^\"]*)?\""));
    for (const HelpTopics::Topic &t : topics.contents()) {
        const QString page = QStringLiteral(LEDRA_HELP_DIR "/") + t.file;
        ASSERT_TRUE(QFileInfo::exists(page)) << t.file.toStdString();
        for (auto m = href.globalMatch(readAll(page)); m.hasNext();) {
            const QString target = m.next().captured(1);
            EXPECT_TRUE(QFileInfo::exists(QStringLiteral(LEDRA_HELP_DIR "/") + target))
                << t.file.toStdString() << " -> " << target.toStdString();
        }
    }
}

TEST(Manual, AContextWithoutTopicOrAMissingFolderHasNone) {
    HelpTopics topics;
    EXPECT_FALSE(topics.load(QStringLiteral("/nicht/vorhanden")));
    EXPECT_FALSE(topics.topicFor(10).has_value());
    ASSERT_TRUE(topics.load(QStringLiteral(LEDRA_HELP_DIR)));
    EXPECT_FALSE(topics.topicFor(99).has_value());
    EXPECT_FALSE(topics.topicFor(0).has_value());
}

} // namespace ledra
