#pragma once
// The filter dialog on Qt widgets: shows the state of reports::EingrenzungRules and forwards
// its events there. Created once with the main window; the launchers open it through the
// rules object's modal hook, which this dialog installs.

#include <QDialog>
#include <functional>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

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
    QGroupBox *GroupBox1() const { return groupBox1_; }
    QRadioButton *Netto() const { return netto_; }
    QLineEdit *fromText() const { return eVon_; }
    QLineEdit *toText() const { return eBis_; }
    QLabel *Label7() const { return label7_; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool runModal();
    void showState();
    void takeInput();
    void okClicked();
    void focusControl(const QString &name);

    reports::EingrenzungRules &rules_;
    QGroupBox *groupBox1_ = nullptr;
    QRadioButton *rbDatum_ = nullptr, *rbBelNr_ = nullptr, *rbText_ = nullptr;
    QGroupBox *groupBox2_ = nullptr;
    QRadioButton *brutto_ = nullptr, *netto_ = nullptr;
    QCheckBox *mitKonten_ = nullptr, *mitDetails_ = nullptr;
    QLineEdit *eVon_ = nullptr, *eBis_ = nullptr;
    QLabel *label7_ = nullptr;
    QPushButton *ok_ = nullptr;
    QPoint dragStart_;
};
