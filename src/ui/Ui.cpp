#include "ScriptedUi.h"

#include <algorithm>
#include <cstdio>
namespace ledra {

QString msgKindName(MsgKind kind) {
    switch (kind) {
    case MsgKind::Error:
        return QStringLiteral("Fehler");
    case MsgKind::Warning:
        return QStringLiteral("Warnung");
    case MsgKind::Alert:
        return QStringLiteral("Hinweis");
    case MsgKind::Info:
        return QStringLiteral("Information");
    }
    return QString();
}

static void echo(const QString &kind, const QString &text) {
    QString t = text;
    t.replace(QLatin1Char('\r'), QLatin1Char(' '));
    std::fprintf(stderr, "%s: %s\n", kind.toUtf8().constData(), t.toUtf8().constData());
}

void ScriptedUi::message(MsgKind kind, const QString &text, int) {
    messages.push_back({kind, text});
    if (echoToStderr)
        echo(msgKindName(kind), text);
}

int ScriptedUi::confirm(const QString &text, int buttons, int) {
    int a = defaultAnswer;
    const auto fixed = std::find_if(answersByText.cbegin(), answersByText.cend(),
                                    [&](const auto &p) { return text.startsWith(p.first); });
    if (fixed != answersByText.cend()) {
        a = fixed->second;
    } else if (!answers.empty()) {
        a = answers.front();
        answers.pop_front();
    }
    if (a == Btn::Yes && !(buttons & Btn::Yes) && (buttons & Btn::Ok))
        a = Btn::Ok;
    if (!(a & buttons))
        a = (buttons & Btn::Cancel) ? Btn::Cancel : (buttons & Btn::No) ? Btn::No : Btn::Ok;
    questions.push_back({text, buttons, a});
    if (echoToStderr)
        echo(QStringLiteral("Frage"), text + QStringLiteral(" -> ") +
                                          (a == Btn::Yes  ? QStringLiteral("Ja")
                                           : a == Btn::No ? QStringLiteral("Nein")
                                           : a == Btn::Ok ? QStringLiteral("OK")
                                                          : QStringLiteral("Abbrechen")));
    return a;
}

int ScriptedUi::warnConfirm(const QString &text, int buttons, int helpContext, int defaultButton) {
    const int a = confirm(text, buttons, helpContext);
    questions.back().warning = true;
    questions.back().defaultButton = defaultButton;
    return a;
}

int ScriptedUi::warnOkCancel(const QString &text, int helpContext) {
    int a = confirm(text, Btn::Ok | Btn::Cancel, helpContext);
    return a == Btn::Yes ? Btn::Ok : a;
}

void ScriptedUi::status(int panel, const QString &text) {
    if (panel >= 0 && panel < 4)
        panels[panel] = text;
}

std::optional<QString> ScriptedUi::input(const QString &, const QString &, const QString &value) {
    if (inputs.empty())
        return value;
    const bool cancelled = !inputs.front().has_value();
    const QString text = inputs.front().value_or(QString());
    inputs.pop_front();
    if (cancelled)
        return std::nullopt;
    return text;
}

std::optional<int> ScriptedUi::chooseColor(int color) {
    if (colors.empty())
        return color;
    auto v = colors.front();
    colors.pop_front();
    return v;
}

int ScriptedUi::choose(const QString &text, const QStringList &choices) {
    int a = -1;
    if (!choiceAnswers.empty()) {
        a = choiceAnswers.front();
        choiceAnswers.pop_front();
    }
    if (a >= choices.size())
        a = -1;
    choicesAsked.push_back({text, choices, a});
    if (echoToStderr)
        echo(QStringLiteral("Frage"),
             text + QStringLiteral(" -> ") + (a < 0 ? QStringLiteral("Abbrechen") : choices.at(a)));
    return a;
}

bool ScriptedUi::saw(const QString &text) const {
    for (const auto &m : messages)
        if (m.text == text)
            return true;
    return false;
}

void ScriptedUi::clear() {
    messages.clear();
    questions.clear();
}

} // namespace ledra
