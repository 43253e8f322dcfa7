#pragma once
// A sunken text panel that answers to clicks: the account panels beside the entry fields
// and the colour panels of the settings page.

#include <QLabel>
#include <QMouseEvent>

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
