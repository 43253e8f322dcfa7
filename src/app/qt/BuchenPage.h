#pragma once
// The entry panel of the page "Buchen" and the batch grid below it. The panel shows the
// current row of the batch table; what happens when a field is typed in or left (account
// search, date and voucher checks, storing the row) belongs to the posting rules, which
// reach the controls through the accessors below.

#include "TableModel.h"

#include <QWidget>

class TFBuchhaltung;
class Panel;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableView;

class BuchenPage : public QWidget {
    Q_OBJECT
public:
    explicit BuchenPage(TFBuchhaltung &core, QWidget *parent = nullptr);

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

    // Batch grid.
    QTableView *DBGrid2() const { return grid_; }
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

private:
    void buildPanel();
    void buildGrid();
    void fillAccountList(QComboBox *box);

    TFBuchhaltung &core_;
    QLineEdit *bDatum_ = nullptr, *belNr_ = nullptr, *betrag_ = nullptr, *mwst_ = nullptr,
              *ustId_ = nullptr, *opDatum_ = nullptr;
    QComboBox *soll_ = nullptr, *haben_ = nullptr, *buchText_ = nullptr;
    Panel *sollSaldo_ = nullptr, *habenSaldo_ = nullptr;
    QRadioButton *brutto_ = nullptr, *netto_ = nullptr;
    QPushButton *abbruch_ = nullptr;
    QLabel *ustIdLabel_ = nullptr, *opDatumLabel_ = nullptr;
    QTableView *grid_ = nullptr;
    TableModel *model_ = nullptr;
};

// Texts shared by the grids: an amount as German money with the currency of its row ("€" when
// the row's Euro flag is not false, else "DM"), and a rate as a German number.
QString rowAmountText(const Table &t, const QString &field);
QString germanNumberText(const QVariant &v);
