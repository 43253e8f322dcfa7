#include "HelpKey.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
namespace ledra {

HelpKey::HelpKey(std::function<void(int context, QWidget *window)> showHelp, QObject *parent)
    : QObject(parent), m_showHelp(std::move(showHelp)) {
    qApp->installEventFilter(this);
}

HelpKey::~HelpKey() {
    qApp->removeEventFilter(this);
}

int HelpKey::contextOf(const QWidget *focus) {
    for (const QWidget *w = focus; w; w = w->parentWidget()) {
        const QVariant c = w->property("helpContext");
        if (c.isValid() && c.toInt() > 0)
            return c.toInt();
        if (w->isWindow())
            break;
    }
    return 0;
}

bool HelpKey::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    if (key->key() != Qt::Key_F1 || key->modifiers() != Qt::NoModifier || key->isAutoRepeat())
        return false;
    // The key reaches the filter once for the control that has the focus; its parents see
    // it again only when the control passes it on.
    auto *w = static_cast<QWidget *>(watched);
    QWidget *focus = QApplication::focusWidget();
    if (focus && w != focus)
        return false;
    QWidget *target = focus ? focus : w;
    m_showHelp(contextOf(target), target->window());
    return true;
}

} // namespace ledra
