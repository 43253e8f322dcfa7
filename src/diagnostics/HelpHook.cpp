#include "HelpHook.h"

#include "DebugLog.h"
#include "HelpViewer.h"
#include "ui/Ui.h"

#include <QDir>
namespace ledra {

namespace {

// The help file as the log and the messages name it.
QString shown(const QString &path) {
    return QDir::toNativeSeparators(path);
}

} // namespace

HelpHook::HelpHook(const QString &helpFile, DebugLog &log, Ui &ui, HelpViewer &viewer)
    : m_helpFile(helpFile), m_log(log), m_ui(ui), m_viewer(viewer) {
    // The last value is the call mode: the program always calls the viewer directly.
    m_log.write(QStringLiteral("THookHelpSystem.Create(\"%1\",\"%2\", %3)")
                    .arg(shown(m_helpFile), m_windowName)
                    .arg(0));
}

HelpHook::~HelpHook() {
    m_log.write(QStringLiteral("THookHelpSystem.Destroy"));
    m_viewer.closeAll();
}

QString HelpHook::commandName(int command) {
    const char *name = "??";
    switch (command) {
    case HelpCommand::Context:
        name = "HELP_CONTEXT";
        break;
    case HelpCommand::Quit:
        name = "HELP_QUIT";
        break;
    case HelpCommand::Contents:
        name = "HELP_INDEX or HELP_CONTENTS";
        break;
    case HelpCommand::HelpOnHelp:
        name = "HELP_HELPONHELP";
        break;
    case HelpCommand::SetContents:
        name = "HELP_SETINDEX or HELP_SETCONTENTS";
        break;
    case HelpCommand::ContextPopup:
        name = "HELP_CONTEXTPOPUP";
        break;
    case HelpCommand::ForceFile:
        name = "HELP_FORCEFILE";
        break;
    case HelpCommand::ContextMenu:
        name = "HELP_CONTEXTMENU";
        break;
    case HelpCommand::Finder:
        name = "HELP_FINDER";
        break;
    case HelpCommand::WmHelp:
        name = "HELP_WM_HELP";
        break;
    case HelpCommand::SetPopupPos:
        name = "HELP_SETPOPUP_POS";
        break;
    case HelpCommand::Key:
        name = "HELP_KEY";
        break;
    case HelpCommand::Command:
        name = "HELP_COMMAND";
        break;
    case HelpCommand::PartialKey:
        name = "HELP_PARTIALKEY";
        break;
    case HelpCommand::MultiKey:
        name = "HELP_MULTIKEY";
        break;
    case HelpCommand::SetWinPos:
        name = "HELP_SETWINPOS";
        break;
    default:
        break;
    }
    return QStringLiteral("%1 (%2)").arg(QLatin1String(name)).arg(command);
}

int HelpHook::showHelp(int context) {
    return context > 0 ? request(HelpCommand::Context, context) : request(HelpCommand::Contents, 0);
}

int HelpHook::request(int command, qint64 data) {
    m_log.write(
        QStringLiteral("THookHelpSystem.HelpHook(%1, %2)").arg(commandName(command)).arg(data));
    switch (command) {
    case HelpCommand::Context:
    case HelpCommand::ContextPopup:
        return showContext(static_cast<int>(data));
    case HelpCommand::SetPopupPos:
        // The position comes packed as the low and high word.
        m_popupPos =
            QPoint(static_cast<qint16>(data & 0xFFFF), static_cast<qint16>((data >> 16) & 0xFFFF));
        return HelpShown;
    case HelpCommand::Contents:
    case HelpCommand::Finder: {
        // What the program's standard help handling would open: the manual's start page.
        const int result = m_viewer.showContents();
        m_log.write(QStringLiteral("  returned - %1").arg(result));
        if (result != HelpShown)
            reportShowError(result, 0);
        return result;
    }
    case HelpCommand::Quit:
        m_viewer.closeAll();
        return HelpShown;
    default:
        // Nothing else is asked of the manual; there is no classic help file to pass it to.
        return HelpShown;
    }
}

int HelpHook::showContext(int context) {
    // The host window is 0: the help window belongs to the desktop, not to a dialog that
    // may close under it.
    m_log.write(QStringLiteral("HHHelpContext(\"%1\", %2, \"%3\", %4)")
                    .arg(shown(m_helpFile))
                    .arg(context)
                    .arg(m_windowName)
                    .arg(0));
    m_log.write(QStringLiteral("ShowContext(\"%1\", %2)").arg(shown(m_helpFile)).arg(context));
    const int result = m_viewer.showContext(context);
    m_log.write(QStringLiteral("  returned - %1").arg(result));
    if (result != HelpShown)
        reportShowError(result, context);
    return result;
}

QString HelpHook::errorText(int result, int context) const {
    switch (result) {
    case HelpNotInstalled:
        return QStringLiteral("Hilfe-Datei nicht gefunden:\r") + shown(m_helpFile);
    case HelpUnknownContext:
        return QStringLiteral("Die Hilfe-Datei enthält kein Thema zum Hilfekontext %1:\r%2")
            .arg(context)
            .arg(shown(m_helpFile));
    default:
        return QStringLiteral("Die Hilfe konnte nicht angezeigt werden (Fehler %1):\r%2")
            .arg(result)
            .arg(shown(m_helpFile));
    }
}

void HelpHook::reportShowError(int result, int context) {
    const QString text = errorText(result, context);
    QString oneLine = text;
    oneLine.replace(QLatin1Char('\r'), QLatin1Char(' '));
    m_log.write(QStringLiteral("HHShowError(%1), \"%2\"").arg(result).arg(oneLine));
    m_ui.warning(text);
}

} // namespace ledra
