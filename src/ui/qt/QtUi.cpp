#include "QtUi.h"

#include <QAbstractButton>
#include <QApplication>
#include <QColorDialog>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
namespace ledra {

// Platform RGB numbers keep red in the low byte.
static QColor fromRgbNumber(int c) {
    return QColor(c & 0xff, (c >> 8) & 0xff, (c >> 16) & 0xff);
}
static int toRgbNumber(const QColor &c) {
    return c.red() | (c.green() << 8) | (c.blue() << 16);
}

void QtUi::setStatusBar(QLabel *const panels[4], QProgressBar *gauge) {
    for (int i = 0; i < 4; ++i)
        m_panels[i] = panels[i];
    m_gauge = gauge;
}

int QtUi::box(int icon, const QString &title, const QString &text, int buttons, int helpContext,
              int defaultButton) {
    QString t = text;
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QMessageBox mb(QMessageBox::Icon(icon), title, t, QMessageBox::NoButton, m_parent);
    if (helpContext > 0)
        mb.setProperty("helpContext", helpContext); // F1 in the box opens its topic
    struct B {
        int flag;
        const char *label;
        QMessageBox::ButtonRole role;
    };
    const B all[] = {{Btn::Yes, "&Ja", QMessageBox::YesRole},
                     {Btn::No, "&Nein", QMessageBox::NoRole},
                     {Btn::Ok, "OK", QMessageBox::AcceptRole},
                     {Btn::Cancel, "Abbrechen", QMessageBox::RejectRole},
                     {Btn::Help, "&Hilfe", QMessageBox::HelpRole}};
    QMap<QAbstractButton *, int> map;
    for (const B &b : all)
        if (buttons & b.flag) {
            QPushButton *pb = mb.addButton(QString::fromUtf8(b.label), b.role);
            map.insert(pb, b.flag);
            if (b.flag == defaultButton)
                mb.setDefaultButton(pb);
        }
    for (;;) {
        mb.exec();
        int r = map.value(mb.clickedButton(), (buttons & Btn::Cancel) ? Btn::Cancel
                                              : (buttons & Btn::No)   ? Btn::No
                                                                      : Btn::Ok);
        if (r == Btn::Help) {
            if (helpHandler)
                helpHandler(helpContext);
            continue;
        }
        return r;
    }
}

void QtUi::message(MsgKind kind, const QString &text, int helpContext) {
    const int icon = kind == MsgKind::Error     ? QMessageBox::Critical
                     : kind == MsgKind::Warning ? QMessageBox::Warning
                                                : QMessageBox::Information;
    box(icon, msgKindName(kind), text, Btn::Ok, helpContext);
}

int QtUi::confirm(const QString &text, int buttons, int helpContext) {
    return box(QMessageBox::Question, QStringLiteral("Bestätigen"), text, buttons, helpContext);
}

int QtUi::warnConfirm(const QString &text, int buttons, int helpContext, int defaultButton) {
    return box(QMessageBox::Warning, msgKindName(MsgKind::Warning), text, buttons, helpContext,
               defaultButton);
}

int QtUi::warnOkCancel(const QString &text, int helpContext) {
    return box(QMessageBox::Warning, QStringLiteral("Warnung"), text,
               Btn::Ok | Btn::Cancel | Btn::Help, helpContext);
}

int QtUi::errorOkCancel(const QString &text) {
    return box(QMessageBox::Critical, msgKindName(MsgKind::Error), text, Btn::Ok | Btn::Cancel, 0);
}

void QtUi::focus(const QString &control) {
    if (focusHandler)
        focusHandler(control);
}

void QtUi::status(int panel, const QString &text) {
    if (panel >= 0 && panel < 4 && m_panels[panel])
        m_panels[panel]->setText(text);
}

void QtUi::progressVisible(bool visible) {
    if (m_gauge)
        m_gauge->setVisible(visible);
}

void QtUi::progress(int percent) {
    if (m_gauge)
        m_gauge->setValue(percent);
}

void QtUi::beep() {
    QApplication::beep();
}

void QtUi::processEvents() {
    QApplication::processEvents();
}

std::optional<QString> QtUi::input(const QString &caption, const QString &prompt,
                                   const QString &value) {
    QInputDialog d(m_parent);
    d.setWindowTitle(caption);
    d.setLabelText(prompt);
    d.setTextValue(value);
    d.setOkButtonText(QStringLiteral("OK"));
    d.setCancelButtonText(QStringLiteral("Abbrechen"));
    if (d.exec() != QDialog::Accepted)
        return std::nullopt;
    return d.textValue();
}

int QtUi::choose(const QString &text, const QStringList &choices) {
    QString t = text;
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QMessageBox mb(QMessageBox::Question, QStringLiteral("Bestätigen"), t, QMessageBox::NoButton,
                   m_parent);
    QList<QAbstractButton *> buttons;
    for (const QString &c : choices)
        buttons << mb.addButton(c, QMessageBox::ActionRole);
    if (!buttons.isEmpty()) {
        mb.setDefaultButton(qobject_cast<QPushButton *>(buttons.front()));
        // Esc is the last choice, which callers make the one that leaves things as they are.
        mb.setEscapeButton(buttons.back());
    }
    mb.exec();
    return int(buttons.indexOf(mb.clickedButton()));
}

std::optional<int> QtUi::chooseColor(int color) {
    QColor c = QColorDialog::getColor(fromRgbNumber(color), m_parent, QStringLiteral("Farbe"));
    if (!c.isValid())
        return std::nullopt;
    return toRgbNumber(c);
}

} // namespace ledra
