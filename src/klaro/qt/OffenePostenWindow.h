#pragma once
// The open-items manager window "OP-Verwaltung": the list of open items with its year,
// type, account, range and customer filters, the search, the sort order, adding, deleting
// and changing open items, the consistency check with its gauge, and the list print. The
// logic is OffenePostenRules'; this view shows its state and forwards the controls' events.

#include <QDialog>
#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTableView;
class QAction;

namespace ledra {

class OffenePostenRules;
class OffenePostenListModel;
class OffenePostenWahlDialog;

class OffenePostenWindow : public QDialog {
    Q_OBJECT
public:
    OffenePostenWindow(OffenePostenRules &rules, QWidget *owner);
    ~OffenePostenWindow() override;

    // Shows the window modally: 1 after "Übernahme" (or a double click on a row), 2 else.
    int run();

protected:
    void showEvent(QShowEvent *e) override;
    void hideEvent(QHideEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    void buildControls();
    void buildMenu();
    // Runs a user action; a refused table operation reaches the user as its message.
    void act(const std::function<void()> &f);
    void refresh();
    void fillKonten();
    void fillKunden();
    void applyBereich();
    void addOffenerPosten();
    void changeOffenerPosten();
    void runPruefung();
    void print();

    OffenePostenRules &m_rules;
    OffenePostenListModel *m_model = nullptr;
    OffenePostenWahlDialog *m_wahl = nullptr;
    QLineEdit *m_edit1 = nullptr, *m_eVon = nullptr, *m_eBis = nullptr;
    QPushButton *m_uebernahme = nullptr, *m_bArt = nullptr;
    QComboBox *m_cbJahr = nullptr, *m_konto = nullptr, *m_eKunde = nullptr;
    QRadioButton *m_rbDatum = nullptr, *m_rbBelNr = nullptr;
    QLabel *m_kundeLabel = nullptr;
    QTableView *m_grid = nullptr;
    QProgressBar *m_gauge = nullptr;
    QAction *m_sortDatum = nullptr, *m_sortZiel = nullptr;
    bool m_checking = false;
    bool m_abort = false;
    bool m_filling = false;
};

} // namespace ledra
