#pragma once
// A sunken text panel that answers to clicks: the account panels beside the entry fields
// and the colour panels of the settings page.

#include <QColor>
#include <QLabel>
#include <QMouseEvent>
namespace ledra {

// A colour kept in the settings as the platform's RGB number (red in the low byte).
inline QColor colorFromRgbNumber(int c) {
    return QColor(c & 0xff, (c >> 8) & 0xff, (c >> 16) & 0xff);
}

class Panel : public QLabel {
    Q_OBJECT
public:
    explicit Panel(const QString &text = QString(), QWidget *parent = nullptr)
        : QLabel(text, parent) {
        setFrameStyle(QFrame::Panel | QFrame::Sunken);
        setMargin(2);
    }

signals:
    void clicked();
    void doubleClicked();

protected:
    void mouseReleaseEvent(QMouseEvent *e) override {
        if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()))
            emit clicked();
        QLabel::mouseReleaseEvent(e);
    }
    void mouseDoubleClickEvent(QMouseEvent *e) override {
        if (e->button() == Qt::LeftButton)
            emit doubleClicked();
        QLabel::mouseDoubleClickEvent(e);
    }
};

} // namespace ledra
