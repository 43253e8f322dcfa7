#pragma once

#include "MainWindow.h"
#include "ui/Ui.h"

namespace ledra {

// The ui port as the window offers it to the rules: messages, questions and dialogs go to
// the given port (message boxes, or a script in tests), while focus requests, the status bar
// and the progress gauge are the window's own.
class WindowUi : public Ui {
public:
    WindowUi(Ui &inner, MainWindow &window) : m_inner(inner), m_window(window) {}
    Ui &inner() { return m_inner; }

    void message(MsgKind kind, const QString &text, int helpContext) override {
        m_inner.message(kind, text, helpContext);
    }
    int confirm(const QString &text, int buttons, int helpContext) override {
        return m_inner.confirm(text, buttons, helpContext);
    }
    int warnConfirm(const QString &text, int buttons, int helpContext, int defaultButton) override {
        return m_inner.warnConfirm(text, buttons, helpContext, defaultButton);
    }
    int warnOkCancel(const QString &text, int helpContext) override {
        return m_inner.warnOkCancel(text, helpContext);
    }
    int errorOkCancel(const QString &text) override { return m_inner.errorOkCancel(text); }
    void focus(const QString &control) override {
        m_inner.focus(control);
        m_window.focusControl(control);
    }
    void status(int panel, const QString &text) override {
        m_inner.status(panel, text);
        m_window.setStatusText(panel, text);
    }
    void progressVisible(bool visible) override {
        m_inner.progressVisible(visible);
        m_window.setProgressVisible(visible);
    }
    void progress(int percent) override {
        m_inner.progress(percent);
        m_window.setProgress(percent);
    }
    bool cancelRequested() override {
        return m_window.cancelRequested() || m_inner.cancelRequested();
    }
    void offerCancel(bool offered) override {
        m_inner.offerCancel(offered);
        m_window.setCancelOffered(offered);
    }
    void beep() override { m_inner.beep(); }
    void processEvents() override { m_inner.processEvents(); }
    std::optional<QString> input(const QString &caption, const QString &prompt,
                                 const QString &value) override {
        return m_inner.input(caption, prompt, value);
    }
    std::optional<int> chooseColor(int color) override { return m_inner.chooseColor(color); }
    int choose(const QString &text, const QStringList &choices) override {
        return m_inner.choose(text, choices);
    }

private:
    Ui &m_inner;
    MainWindow &m_window;
};

} // namespace ledra
