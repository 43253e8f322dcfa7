#pragma once
// The help hook: every help request of the program (F1, the "Hilfe" buttons, the help
// buttons of questions) goes through it. It shows context requests in the help viewer,
// logs each request and its result in the diagnostic log, and tells the user in German
// when the manual cannot be shown.

#include <QPoint>
#include <QString>
namespace ledra {

class DebugLog;
class HelpViewer;
class Ui;

// The help command numbers, as the help requests carry them.
namespace HelpCommand {
constexpr int Context = 0x0001, Quit = 0x0002, Contents = 0x0003, HelpOnHelp = 0x0004,
              SetContents = 0x0005, ContextPopup = 0x0008, ForceFile = 0x0009, ContextMenu = 0x000A,
              Finder = 0x000B, WmHelp = 0x000C, SetPopupPos = 0x000D, Key = 0x0101,
              Command = 0x0102, PartialKey = 0x0105, MultiKey = 0x0201, SetWinPos = 0x0203;
}

class HelpHook {
public:
    HelpHook(const QString &helpFile, DebugLog &log, Ui &ui, HelpViewer &viewer);
    // Closes every help window the hook opened.
    ~HelpHook();
    HelpHook(const HelpHook &) = delete;
    HelpHook &operator=(const HelpHook &) = delete;

    // One help request; returns the viewer's result (HelpShown when nothing was to show).
    int request(int command, qint64 data);
    // F1 and the help buttons: the topic of a context; 0 (no context) opens the contents.
    int showHelp(int context);

    // "HELP_CONTEXT (1)"; "?? (n)" for a number without a name.
    static QString commandName(int command);
    // The German message for a result other than HelpShown.
    QString errorText(int result, int context) const;

    QPoint popupPosition() const { return m_popupPos; }
    QString helpFile() const { return m_helpFile; }

private:
    int showContext(int context);
    void reportShowError(int result, int context);

    QString m_helpFile;
    QString m_windowName; // the program names no help window
    DebugLog &m_log;
    Ui &m_ui;
    HelpViewer &m_viewer;
    QPoint m_popupPos;
};

} // namespace ledra
