#pragma once
// The menu bar of the main window: every command of the pages and of their pop-up menus in
// one place, with its key shown, so that a person finds what the pages hide (the pop-up
// menus, the buttons of another page). The pop-up menus' items are the same actions, so
// their enablement, visibility and keys stay one thing; a button of a page becomes an item
// that clicks it and follows its state.

#include <QObject>
#include <functional>
#include <vector>
class QAbstractButton;
class QAction;
class QMenu;

namespace ledra {

class MainWindow;

class MainMenuBar : public QObject {
    Q_OBJECT
public:
    explicit MainMenuBar(MainWindow &window);

    // Items that stand for buttons take the buttons' enablement, visibility and caption.
    void sync();
    // Every item of the menu bar, sub-menus included (separators left out).
    QList<QAction *> commands() const;

private:
    QMenu *addMenu(const QString &title, const QString &name);
    // An item that clicks `button` and follows its state; with `followVisible` a hidden
    // button's item is disabled too.
    QAction *mirror(QMenu *menu, const QString &text, QAbstractButton *button,
                    bool followVisible = false, bool followText = false);
    QAction *command(QMenu *menu, const QString &name, const QString &text,
                     const std::function<void()> &run);

    struct Mirror {
        QAction *action;
        QAbstractButton *button;
        bool followVisible;
        bool followText;
    };
    MainWindow &m_window;
    std::vector<Mirror> m_mirrors;
    std::vector<std::function<void()>> m_syncs;
};

} // namespace ledra
