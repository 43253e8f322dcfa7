#include "PageControl.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QTabBar>
namespace ledra {

PageControl::PageControl(QWidget *parent) : QTabWidget(parent) {
    tabBar()->installEventFilter(this);
}

bool PageControl::requestPage(int index) {
    if (index < 0 || index >= count())
        return false;
    if (index == currentIndex())
        return true;
    if (changing && !changing(currentIndex(), index))
        return false;
    setCurrentIndex(index);
    return currentIndex() == index;
}

bool PageControl::eventFilter(QObject *watched, QEvent *event) {
    if (watched != tabBar())
        return QTabWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        auto *me = static_cast<QMouseEvent *>(event);
        if (me->button() != Qt::LeftButton)
            return false;
        const int target = tabBar()->tabAt(me->position().toPoint());
        if (target < 0 || target == currentIndex())
            return false;
        requestPage(target);
        return true;
    }
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent *>(event)->key();
        int target = -1;
        if (key == Qt::Key_Left || key == Qt::Key_Up)
            target = currentIndex() - 1;
        else if (key == Qt::Key_Right || key == Qt::Key_Down)
            target = currentIndex() + 1;
        else if (key == Qt::Key_Home)
            target = 0;
        else if (key == Qt::Key_End)
            target = count() - 1;
        else
            return false;
        requestPage(target);
        return true;
    }
    case QEvent::Wheel:
        // Scrolling over the tabs would change pages unasked; pages change by click or key.
        return true;
    default:
        return false;
    }
}

void PageControl::keyPressEvent(QKeyEvent *event) {
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    int step = 0;
    if (ctrl && (event->key() == Qt::Key_Tab || event->key() == Qt::Key_PageDown))
        step = 1;
    if (ctrl && (event->key() == Qt::Key_Backtab || event->key() == Qt::Key_PageUp))
        step = -1;
    if (step == 0) {
        QTabWidget::keyPressEvent(event);
        return;
    }
    requestPage((currentIndex() + step + count()) % count());
    event->accept();
}

} // namespace ledra
