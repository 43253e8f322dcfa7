#pragma once
// "Fehlerauswertung": what the last transfer could not apply to the open items, one line
// per error; OK closes it and empties the list.

#include <QDialog>

class QPlainTextEdit;

namespace ledra {

class AusgleichRules;

class FehlerWindow : public QDialog {
    Q_OBJECT
public:
    FehlerWindow(AusgleichRules &rules, QWidget *parent);

    // Shows the list's lines, not modally.
    void showLines();
    void accept() override;

private:
    void print();

    AusgleichRules &m_rules;
    QPlainTextEdit *m_text = nullptr;
};

} // namespace ledra
