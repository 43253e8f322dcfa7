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

class Shell;
class Panel;
class QComboBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableView;
class QTimer;

class BuchenPage : public QWidget {
    Q_OBJECT
public:
    explicit BuchenPage(Shell &core, QWidget *parent = nullptr);
    ~BuchenPage() override;

    // Entry panel, in tab order.
    QLineEdit *BDatum() const { return bDatum_; }
    QLineEdit *BelNr() const { return belNr_; }
    QComboBox *Soll() const { return soll_; }
    QComboBox *Haben() const { return haben_; }
    QComboBox *BuchText() const { return buchText_; }
    Panel *SollSaldo() const { return sollSaldo_; }
    QLineEdit *Betrag() const { return betrag_; }
    QRadioButton *Brutto() const { return brutto_; }
    QRadioButton *Netto() const { return netto_; }
    QLineEdit *Mwst() const { return mwst_; }
    QLineEdit *UstID() const { return ustId_; }
    QPushButton *Abbruch() const { return abbruch_; }
    Panel *HabenSaldo() const { return habenSaldo_; }
    QLineEdit *OPDatum() const { return opDatum_; }

    // The 200 ms one-shot timer that returns the focus to "Haben" after a failed search.
    QTimer *Timer1() const { return timer1_; }

    // Batch grid.
    QTableView *gridView() const { return grid_; }
    TableModel *gridModel() const { return model_; }
    static QList<TableColumn> gridColumns();

    // Fills the controls from the batch's current row; a control that has the focus keeps
    // what is being typed into it.
    void showCurrentRow();
    // The drop-down of the booking text: the template texts, sorted.
    void setBookingTexts(const QStringList &texts);
    // Due tax and due rate columns, shown under cash-basis taxation only.
    void setCashBasisColumns(bool visible);
    // The payment-due field, shown while "OP-Datum editieren" is ticked.
    void setOPDatumVisible(bool visible);
    // Tells the rules which control has the focus, when they have not heard of it yet (a
    // command that reads the focus runs before a pending focus change is delivered).
    void syncFocus();

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
    void showAccountPanels();
    QString sideOf(const QObject *o) const;
    QString amountField() const;

    Shell &core_;
    QLineEdit *bDatum_ = nullptr, *belNr_ = nullptr, *betrag_ = nullptr, *mwst_ = nullptr,
              *ustId_ = nullptr, *opDatum_ = nullptr;
    QComboBox *soll_ = nullptr, *haben_ = nullptr, *buchText_ = nullptr;
    Panel *sollSaldo_ = nullptr, *habenSaldo_ = nullptr;
    QRadioButton *brutto_ = nullptr, *netto_ = nullptr;
    QPushButton *abbruch_ = nullptr;
    QLabel *ustIdLabel_ = nullptr, *opDatumLabel_ = nullptr;
    QTableView *grid_ = nullptr;
    TableModel *model_ = nullptr;
    QTimer *timer1_ = nullptr;
    QSet<QWidget *> typing_; // controls whose typed text the row does not show yet
    bool inFocusChange_ = false;
};

// Texts shared by the grids: an amount as German money with the currency of its row ("€" when
// the row's Euro flag is not false, else "DM"), and a rate as a German number.
QString rowAmountText(const Table &t, const QString &field);
QString germanNumberText(const QVariant &v);
