#include "HelpCommands.h"

#include "diagnostics/DebugLog.h"
#include "diagnostics/HelpHook.h"
#include "diagnostics/HelpTopics.h"
#include "diagnostics/HelpViewer.h"
#include "store/InstallLayout.h"
#include "ui/ScriptedUi.h"

#include <QFile>

#include <cstdio>
namespace ledra {

namespace {

// The global options that take a value; the command follows them.
bool takesValue(const QString &option) {
    return option == QLatin1String("--data") || option == QLatin1String("--year") ||
           option == QLatin1String("--today") || option == QLatin1String("--answer");
}

QStringList commandAndArguments(const QStringList &args) {
    for (int i = 0; i < args.size(); ++i) {
        if (takesValue(args[i]))
            ++i;
        else
            return args.mid(i);
    }
    return {};
}

void print(const QString &text) {
    std::fputs(text.toUtf8().constData(), stdout);
}

// The manual as text on standard output.
class TextHelpViewer : public HelpViewer {
public:
    explicit TextHelpViewer(const QString &folder) : m_folder(folder) {}

    int showContext(int context) override {
        if (!load())
            return HelpNotInstalled;
        const auto topic = m_topics.topicFor(context);
        if (!topic)
            return HelpUnknownContext;
        print(m_topics.plainText(*topic));
        return HelpShown;
    }

    int showContents() override {
        if (!load())
            return HelpNotInstalled;
        for (const HelpTopics::Topic &t : m_topics.contextTopics())
            print(QStringLiteral("%1;%2\n").arg(t.context).arg(t.title));
        return HelpShown;
    }

    void closeAll() override {}

private:
    bool load() {
        return QFile::exists(HelpTopics::helpFileIn(m_folder)) && m_topics.load(m_folder);
    }

    QString m_folder;
    HelpTopics m_topics;
};

} // namespace

bool isHelpCommand(const QStringList &args) {
    return commandAndArguments(args).value(0) == QLatin1String("help");
}

int runHelpCommand(const QStringList &args, const QString &programFolder) {
    const QStringList rest = commandAndArguments(args);
    ScriptedUi ui;
    ui.echoToStderr = true;
    const QString folder = InstallLayout(programFolder).helpFolder();
    TextHelpViewer viewer(folder);
    HelpHook hook(HelpTopics::helpFileIn(folder), DebugLog::program(), ui, viewer);
    if (rest.size() > 2) {
        ui.error(QStringLiteral("Aufruf: ledra-cli help [KONTEXT]"));
        return 2;
    }
    if (rest.size() == 1)
        return hook.request(HelpCommand::Contents, 0) == HelpShown ? 0 : 1;
    bool ok = false;
    const int context = rest[1].toInt(&ok);
    if (!ok || context <= 0) {
        ui.error(QStringLiteral("'%1' ist keine Hilfekontext-Nummer.").arg(rest[1]));
        return 2;
    }
    return hook.request(HelpCommand::Context, context) == HelpShown ? 0 : 1;
}

} // namespace ledra
