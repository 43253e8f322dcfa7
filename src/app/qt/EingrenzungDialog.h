#pragma once
// The filter dialog on Qt widgets: shows the state of reports::EingrenzungRules and forwards
// its events there. Created once with the main window; the launchers open it through the
// rules object's modal hook, which this dialog installs.

#include <QDialog>
#include <functional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
namespace ledra {

namespace reports {
class EingrenzungRules;
}

class EingrenzungDialog : public QDialog {
    Q_OBJECT
public:
    EingrenzungDialog(reports::EingrenzungRules &rules, QWidget *parent = nullptr);
    ~EingrenzungDialog() override;

    // Opens the help viewer at a help context.
    std::function<void(int)> helpHandler;

    // The widgets by their control names, for tests.
    QGroupBox *GroupBox1() const { return m_groupBox1; }
    QRadioButton *Netto() const { return m_netto; }
    QLineEdit *fromText() const { return m_eVon; }
    QLineEdit *toText() const { return m_eBis; }
    QComboBox *Zeitraum() const { return m_zeitraum; }
    QLabel *Label7() const { return m_label7; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool runModal();
    void showState();
    void takeInput();
    void okClicked();
    void focusControl(const QString &name);

    reports::EingrenzungRules &m_rules;
    QGroupBox *m_groupBox1 = nullptr;
    QRadioButton *m_rbDatum = nullptr, *m_rbBelNr = nullptr, *m_rbText = nullptr;
    QGroupBox *m_groupBox2 = nullptr;
    QRadioButton *m_brutto = nullptr, *m_netto = nullptr;
    QCheckBox *m_mitKonten = nullptr, *m_mitDetails = nullptr, *m_nurBebuchte = nullptr;
    QLineEdit *m_eVon = nullptr, *m_eBis = nullptr;
    QComboBox *m_zeitraum = nullptr;
    QLabel *m_zeitraumLabel = nullptr;
    QLabel *m_label7 = nullptr;
    QPushButton *m_ok = nullptr;
    QPoint m_dragStart;
};

} // namespace ledra
