#pragma once
// F1 in every window of the program: the help of the focused control, else of the nearest
// parent that has one, else of its window; without any, the manual's contents. A control,
// page or window states its topic in the property "helpContext".

#include <QObject>
#include <functional>

class QWidget;

namespace ledra {

class HelpKey : public QObject {
    Q_OBJECT
public:
    // `showHelp` gets the context and the window the key arrived in, so that a window
    // without any context of its own (nothing focused yet) can still name its topic.
    explicit HelpKey(std::function<void(int context, QWidget *window)> showHelp,
                     QObject *parent = nullptr);
    ~HelpKey() override;

    // The help context that F1 on `focus` asks for; 0 when neither it nor its window has one.
    static int contextOf(const QWidget *focus);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::function<void(int, QWidget *)> m_showHelp;
};

} // namespace ledra
