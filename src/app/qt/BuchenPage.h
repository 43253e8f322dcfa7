#pragma once
// The entry panel of the page "Buchen" and the batch grid below it. The panel shows the
// current row of the batch table and forwards what a person does to the booking entry of the
// rules: every move of the focus (whose exit handlers may refuse it), the keys typed into the
// account drop-downs, the arrow keys on the date, the amount mode, cancel and delete. Text
// typed into a bound control is written into the row as it is typed, as data-aware
// controls do; when the control is left, its text must be a value of the field.

#include "TableModel.h"

#include <QSet>
#include <QWidget>
class QComboBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableView;
class QTimer;

namespace ledra {

class Shell;
class Panel;

class BuchenPage : public QWidget {
    Q_OBJECT
public:
    explicit BuchenPage(Shell &core, QWidget *parent = nullptr);
    ~BuchenPage() override;

    // Entry panel, in tab order.
    QLineEdit *BDatum() const { return m_bDatum; }
    QLineEdit *BelNr() const { return m_belNr; }
    QComboBox *Soll() const { return m_soll; }
    QComboBox *Haben() const { return m_haben; }
    QComboBox *BuchText() const { return m_buchText; }
    Panel *SollSaldo() const { return m_sollSaldo; }
    QLineEdit *Betrag() const { return m_betrag; }
    QRadioButton *Brutto() const { return m_brutto; }
    QRadioButton *Netto() const { return m_netto; }
    QLineEdit *Mwst() const { return m_mwst; }
    QLineEdit *UstID() const { return m_ustId; }
    QPushButton *Abbruch() const { return m_abbruch; }
    Panel *HabenSaldo() const { return m_habenSaldo; }
    QLineEdit *OPDatum() const { return m_opDatum; }

    // The 200 ms one-shot timer that returns the focus to "Haben" after a failed search.
    QTimer *Timer1() const { return m_timer1; }

    // Batch grid.
    QTableView *gridView() const { return m_grid; }
    TableModel *gridModel() const { return m_model; }
    static QList<TableColumn> gridColumns();

    // Fills the controls from the batch's current row; a control that has the focus keeps
    // what is being typed into it.
    void showCurrentRow();
    // The payment target "&Zahlungsziel" of the current row, typed only for a row that opens
    // an open item.
    void showPaymentTarget(bool enabled);
    // Stores the payment target typed into the field.
    void storePaymentTarget();
    // The drop-down of the booking text: the template texts, sorted.
    void setBookingTexts(const QStringList &texts);
    // Due tax and due rate columns, shown under cash-basis taxation only.
    void setCashBasisColumns(bool visible);
    // The payment-due field, shown while "OP-Datum editieren" is ticked.
    void setOPDatumVisible(bool visible);
    // Tells the rules which control has the focus, when they have not heard of it yet (a
    // command that reads the focus runs before a pending focus change is delivered).
    void syncFocus();
    // Deletes the current batch row after the grid's question (Ctrl+Del in the grid, the menu).
    void deleteRow();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildPanel();
    void buildGrid();
    void connectRules();

    void onFocusChanged(QWidget *now);
    // The entry control (or "gridView") that holds `w`; empty outside the panel and the grid.
    QString controlName(QWidget *w) const;
    QWidget *control(const QString &name) const;
    // A person typed into a bound control.
    void typed(QWidget *w);
    // Writes the typed text of `w` into the row; when `report`, a text that is no value of
    // the field puts the focus back into `w` and says why.
    bool settle(QWidget *w, bool report);
    bool accountKeyPress(QComboBox *box, QKeyEvent *key);
    void pickAccount(QComboBox *box, int index);
    void pickBookingText();
    void dateKey(int daysDelta);
    void amountMode(bool gross);
    // Alt+R / Alt+N in the amount field: the text typed there is taken in the new mode.
    void switchAmountMode(bool gross);
    void showAccountPanels();
    QString sideOf(const QObject *o) const;
    QString amountField() const;

    Shell &m_core;
    QLineEdit *m_bDatum = nullptr, *m_belNr = nullptr, *m_betrag = nullptr, *m_mwst = nullptr,
              *m_ustId = nullptr, *m_opDatum = nullptr;
    QComboBox *m_soll = nullptr, *m_haben = nullptr, *m_buchText = nullptr;
    Panel *m_sollSaldo = nullptr, *m_habenSaldo = nullptr;
    QRadioButton *m_brutto = nullptr, *m_netto = nullptr;
    QPushButton *m_abbruch = nullptr;
    QLabel *m_ustIdLabel = nullptr, *m_opDatumLabel = nullptr;
    QTableView *m_grid = nullptr;
    TableModel *m_model = nullptr;
    QTimer *m_timer1 = nullptr;
    QSet<QWidget *> m_typing; // controls whose typed text the row does not show yet
    bool m_inFocusChange = false;
};

// Texts shared by the grids: an amount as German money with the currency of its row ("€" when
// the row's Euro flag is not false, else "DM"), and a rate as a German number.
QString rowAmountText(const Table &t, const QString &field);
QString germanNumberText(const QVariant &v);

} // namespace ledra
