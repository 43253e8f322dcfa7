#pragma once
// The ui port on Qt widgets: German message boxes with "Ja", "Nein", "Abbrechen", "OK" and
// "Hilfe", the status bar of the main window and its progress gauge.

#include "ui/Ui.h"

#include <QPointer>
#include <QString>
#include <functional>

class QWidget;
class QStatusBar;
class QLabel;
class QProgressBar;
namespace ledra {

class QtUi : public Ui {
public:
    explicit QtUi(QWidget *parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget *p) { m_parent = p; }
    void setStatusBar(QLabel *const panels[4], QProgressBar *gauge);
    // Focus requests by control name go to the window, which knows its widgets.
    std::function<void(const QString &)> focusHandler;
    std::function<void(int)> helpHandler;

    void message(MsgKind kind, const QString &text, int helpContext = 0) override;
    int confirm(const QString &text, int buttons, int helpContext = 0) override;
    int warnConfirm(const QString &text, int buttons, int helpContext = 0,
                    int defaultButton = 0) override;
    int warnOkCancel(const QString &text, int helpContext) override;
    int errorOkCancel(const QString &text) override;
    void focus(const QString &control) override;
    void status(int panel, const QString &text) override;
    void progressVisible(bool visible) override;
    void progress(int percent) override;
    void beep() override;
    void processEvents() override;
    std::optional<QString> input(const QString &caption, const QString &prompt,
                                 const QString &value) override;
    std::optional<int> chooseColor(int color) override;
    int choose(const QString &text, const QStringList &choices) override;

private:
    int box(int icon, const QString &title, const QString &text, int buttons, int helpContext,
            int defaultButton = 0);
    QPointer<QWidget> m_parent;
    QPointer<QLabel> m_panels[4];
    QPointer<QProgressBar> m_gauge;
};

} // namespace ledra
