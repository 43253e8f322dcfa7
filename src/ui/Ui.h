#pragma once
// How the rules talk to a person. A rule never includes a widget header: it asks this port
// to show a message, ask a question, move the focus or write into the status bar. The Qt
// implementation shows German message boxes; the scripted double records and answers.

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <exception>
#include <optional>
namespace ledra {

// Ends a user action that has already shown its own message (or needs none). Caught at the
// event boundary; a refused table operation leaves the table as it was.
class SilentAbort : public std::exception {
public:
    const char *what() const noexcept override { return "SilentAbort"; }
};

enum class MsgKind { Error, Warning, Alert, Info };

namespace Btn {
constexpr int Yes = 1, No = 2, Cancel = 4, Ok = 8, Help = 16;
constexpr int YesNo = Yes | No, YesNoCancel = Yes | No | Cancel;
} // namespace Btn

class Ui {
public:
    virtual ~Ui() = default;

    virtual void message(MsgKind kind, const QString &text, int helpContext = 0) = 0;
    void error(const QString &t, int help = 0) { message(MsgKind::Error, t, help); }
    void warning(const QString &t, int help = 0) { message(MsgKind::Warning, t, help); }
    void alert(const QString &t, int help = 0) { message(MsgKind::Alert, t, help); }
    void info(const QString &t, int help = 0) { message(MsgKind::Info, t, help); }

    // A confirmation with the buttons of Btn; returns the button pressed.
    virtual int confirm(const QString &text, int buttons, int helpContext = 0) = 0;
    // A confirmation of warning style, for a step that deletes or moves data; Enter presses
    // `defaultButton` (0: the first button), so that a deleting question can default to No.
    virtual int warnConfirm(const QString &text, int buttons, int helpContext = 0,
                            int defaultButton = 0) = 0;
    // A question of warning style with OK, Cancel and Help (returns Ok or Cancel).
    virtual int warnOkCancel(const QString &text, int helpContext) = 0;
    // An error the person may accept to go on (OK) or use to stop (Cancel).
    virtual int errorOkCancel(const QString &text) { return confirm(text, Btn::Ok | Btn::Cancel); }

    virtual void focus(const QString &control) = 0;
    virtual void status(int panel, const QString &text) = 0;
    virtual void progressVisible(bool visible) = 0;
    virtual void progress(int percent) = 0;
    // Whether the person asked to stop the long work under way (the window's "Abbrechen"
    // beside the gauge, or Esc). Only work that offers it can be stopped; a port without such
    // a control never stops anything.
    virtual bool cancelRequested() { return false; }
    // Shows the control that stops the work (true) or takes it away (false); showing it
    // forgets an earlier request.
    virtual void offerCancel(bool offered) { (void)offered; }
    virtual void beep() = 0;
    virtual void processEvents() = 0;
    // Text input dialog; nullopt when cancelled.
    virtual std::optional<QString> input(const QString &caption, const QString &prompt,
                                         const QString &value) = 0;
    // Colour dialog with the platform's RGB number (red in the low byte); nullopt when cancelled.
    virtual std::optional<int> chooseColor(int color) = 0;
    // A choice between named courses of action, one button each; the index of the one chosen,
    // -1 when the person closes the question without choosing. A port that cannot ask
    // chooses nothing.
    virtual int choose(const QString &text, const QStringList &choices) {
        (void)text;
        (void)choices;
        return -1;
    }
};

QString msgKindName(MsgKind kind); // "Fehler", "Warnung", "Hinweis", "Information"

} // namespace ledra
