#pragma once
// The ui port without a window: records every message and answers questions from a script
// (tests) or from a fixed answer (the command line, which echoes each message to stderr).

#include "Ui.h"

#include <QStringList>
#include <deque>
#include <utility>
#include <vector>
namespace ledra {

class ScriptedUi : public Ui {
public:
    struct Entry {
        MsgKind kind;
        QString text;
    };
    struct Question {
        QString text;
        int buttons;
        int answer;
        bool warning = false;  // asked in warning style
        int defaultButton = 0; // the button Enter presses, 0 when the first
    };

    void message(MsgKind kind, const QString &text, int helpContext = 0) override;
    int confirm(const QString &text, int buttons, int helpContext = 0) override;
    int warnConfirm(const QString &text, int buttons, int helpContext = 0,
                    int defaultButton = 0) override;
    int warnOkCancel(const QString &text, int helpContext) override;
    void focus(const QString &control) override { focused = control; }
    void status(int panel, const QString &text) override;
    void progressVisible(bool visible) override { progressShown = visible; }
    void progress(int percent) override { lastProgress = percent; }
    void beep() override { ++beeps; }
    void processEvents() override {}
    std::optional<QString> input(const QString &caption, const QString &prompt,
                                 const QString &value) override;
    std::optional<int> chooseColor(int color) override;
    int choose(const QString &text, const QStringList &choices) override;

    // Script: answers are taken in order; when none is left, defaultAnswer is used.
    std::deque<int> answers;
    int defaultAnswer = Btn::No;
    // Fixed answers for particular questions, by the start of their text; they come before
    // the script and the default (the command line's answers to named questions).
    std::vector<std::pair<QString, int>> answersByText;
    std::deque<std::optional<QString>> inputs;
    std::deque<std::optional<int>> colors;
    // Answers to choices by index (-1: closed without choosing); none left: -1.
    std::deque<int> choiceAnswers;
    struct Choice {
        QString text;
        QStringList choices;
        int answer;
    };
    std::vector<Choice> choicesAsked;
    bool echoToStderr = false;

    std::vector<Entry> messages;
    std::vector<Question> questions;
    QString focused;
    QString panels[4];
    bool progressShown = false;
    int lastProgress = -1;
    int beeps = 0;

    bool saw(const QString &text) const;
    void clear();
};

} // namespace ledra
