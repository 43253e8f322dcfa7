#pragma once
// A tab widget whose page change can be refused: every way the user changes the page (a
// click on a tab, the arrow keys on the tab bar, Ctrl+Tab) asks `changing` first and the page
// stays when it answers false. The refusal is decided before any page is hidden, so the
// focus is still in the control being left when the rules look at it.

#include <QTabWidget>
#include <functional>
namespace ledra {

class PageControl : public QTabWidget {
    Q_OBJECT
public:
    explicit PageControl(QWidget *parent = nullptr);
    // Asked with the current and the wanted page index.
    std::function<bool(int from, int to)> changing;
    // Changes to the page when `changing` allows it; true when the page is then shown.
    bool requestPage(int index);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
};

} // namespace ledra
