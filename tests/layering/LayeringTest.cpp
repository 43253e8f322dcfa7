// The folders of the program form layers: a folder includes only folders below it, and the
// rules never reach into the window or the shell. A new include that breaks this fails here,
// long before it has grown into a cycle.

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QStringList>
#include <gtest/gtest.h>
#include <map>
#include <set>

namespace ledra {

namespace {

// Which folders each folder of src/ may include (besides itself).
const std::map<QString, std::set<QString>> kAllowed = {
    {QStringLiteral("store"), {}},
    {QStringLiteral("reportengine"), {}},
    {QStringLiteral("ui"), {}},
    {QStringLiteral("books"), {QStringLiteral("store"), QStringLiteral("ui")}},
    {QStringLiteral("openitems"), {QStringLiteral("store")}},
    {QStringLiteral("invoicebook"), {QStringLiteral("store"), QStringLiteral("ui")}},
    {QStringLiteral("posting"),
     {QStringLiteral("store"), QStringLiteral("ui"), QStringLiteral("books"),
      QStringLiteral("openitems"), QStringLiteral("invoicebook")}},
    {QStringLiteral("accounts"),
     {QStringLiteral("store"), QStringLiteral("ui"), QStringLiteral("books"),
      QStringLiteral("openitems")}},
    {QStringLiteral("exports"), {QStringLiteral("store"), QStringLiteral("books")}},
    {QStringLiteral("diagnostics"), {QStringLiteral("ui")}},
    {QStringLiteral("reports"),
     {QStringLiteral("store"), QStringLiteral("ui"), QStringLiteral("books"),
      QStringLiteral("openitems"), QStringLiteral("reportengine")}},
    // The open-items plug-in: over the widget-free core and the module interface, never the
    // program's shell or windows, nor the posting and account rules it is called from.
    {QStringLiteral("klaro"),
     {QStringLiteral("store"), QStringLiteral("ui"), QStringLiteral("books"),
      QStringLiteral("openitems"), QStringLiteral("reportengine"), QStringLiteral("reports")}},
};

struct Include {
    QString file;
    QString target;
};

// Every quoted include of every source file under src/<folder>.
std::vector<Include> includesOf(const QString &folder) {
    std::vector<Include> out;
    static const QRegularExpression inc(QStringLiteral("^\\s*#\\s*include\\s+\"([^\"]+)\""),
                                        QRegularExpression::MultilineOption);
    QDirIterator it(QStringLiteral(LEDRA_SOURCE_DIR "/src/") + folder,
                    {QStringLiteral("*.h"), QStringLiteral("*.cpp")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            continue;
        const QString text = QString::fromUtf8(f.readAll());
        for (auto m = inc.globalMatch(text); m.hasNext();)
            out.push_back({path, m.next().captured(1)});
    }
    return out;
}

// The src/ folder an include names, or empty for an include relative to the file's folder.
QString folderOf(const QString &include) {
    const int slash = include.indexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : include.left(slash);
}

} // namespace

TEST(Layering, EveryFolderIncludesOnlyTheFoldersBelowIt) {
    for (const auto &[folder, allowed] : kAllowed) {
        const auto includes = includesOf(folder);
        EXPECT_FALSE(includes.empty()) << folder.toStdString() << " has sources";
        for (const Include &i : includes) {
            const QString target = folderOf(i.target);
            if (target.isEmpty() || target == folder)
                continue;
            EXPECT_TRUE(allowed.count(target))
                << i.file.toStdString() << " includes " << i.target.toStdString();
        }
    }
}

TEST(Layering, OnlyTheWindowAndTheCommandLineIncludeTheShell) {
    const QDir src(QStringLiteral(LEDRA_SOURCE_DIR "/src"));
    for (const QString &folder : src.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (folder == QLatin1String("app") || folder == QLatin1String("cli"))
            continue;
        for (const Include &i : includesOf(folder))
            EXPECT_FALSE(i.target.startsWith(QLatin1String("app/")))
                << i.file.toStdString() << " includes " << i.target.toStdString();
    }
}

} // namespace ledra
