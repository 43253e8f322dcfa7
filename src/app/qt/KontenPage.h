#pragma once
// The page "Konten": the accounts grid over the grid's own accounts table, the name search
// and the buttons of the page. The rules of the chart (change and delete guards, opening
// balances, search, printing) are connected from outside through the accessors.

#include "TableModel.h"

#include <QWidget>

class TFBuchhaltung;
class DbNavigator;
class Ui;
class QLineEdit;
class QPushButton;
class QTableView;

class KontenPage : public QWidget {
    Q_OBJECT
public:
    KontenPage(TFBuchhaltung &core, Ui &ui, QWidget *parent = nullptr);

    QTableView *DBGrid1() const { return grid_; }
    TableModel *gridModel() const { return model_; }
    DbNavigator *DBNavigator1() const { return navigator_; }
    QLineEdit *Edit1() const { return edit1_; }
    QPushButton *Suchen() const { return suchen_; }
    QPushButton *SaldenNeu() const { return saldenNeu_; }
    QPushButton *KBlatt() const { return kBlatt_; }
    QPushButton *SBJournal() const { return sbJournal_; }

    static QList<TableColumn> gridColumns();

private:
    QTableView *grid_ = nullptr;
    TableModel *model_ = nullptr;
    DbNavigator *navigator_ = nullptr;
    QLineEdit *edit1_ = nullptr;
    QPushButton *suchen_ = nullptr, *saldenNeu_ = nullptr, *kBlatt_ = nullptr,
                *sbJournal_ = nullptr;
};
