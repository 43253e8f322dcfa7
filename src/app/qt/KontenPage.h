#pragma once
// The page "Konten": the accounts grid over the grid's own accounts table, the name search
// and the buttons of the page. Editing the grid goes through the chart's rules (see
// KontenDelegate); the search and the recomputation of the balances are theirs too.

#include "TableModel.h"

#include <QWidget>
#include <vector>

class KontenDelegate;
class Shell;
class DbNavigator;
class Ui;
class QLineEdit;
class QPushButton;
class QTableView;

class KontenPage : public QWidget {
    Q_OBJECT
public:
    KontenPage(Shell &core, Ui &ui, QWidget *parent = nullptr);

    QTableView *gridView() const { return grid_; }
    TableModel *gridModel() const { return model_; }
    KontenDelegate *gridDelegate() const { return delegate_; }
    DbNavigator *DBNavigator1() const { return navigator_; }
    QLineEdit *Edit1() const { return edit1_; }
    QPushButton *Suchen() const { return suchen_; }
    QPushButton *SaldenNeu() const { return saldenNeu_; }
    QPushButton *KBlatt() const { return kBlatt_; }
    QPushButton *SBJournal() const { return sbJournal_; }

    static QList<TableColumn> gridColumns();
    // The bookmarks of the rows marked in the grid (Ctrl+click, Shift+click), in the order
    // they were marked; the account sheet prints each of several marked accounts.
    std::vector<qint64> markedAccounts() const;

public slots:
    // "Salden neu berechnen" (button and menu item).
    void recomputeSalden();
    // "Suchen", also Enter in the search field.
    void search();

signals:
    void dataReloaded();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    Shell &core_;
    Ui &ui_;
    QTableView *grid_ = nullptr;
    TableModel *model_ = nullptr;
    KontenDelegate *delegate_ = nullptr;
    DbNavigator *navigator_ = nullptr;
    QLineEdit *edit1_ = nullptr;
    QPushButton *suchen_ = nullptr, *saldenNeu_ = nullptr, *kBlatt_ = nullptr,
                *sbJournal_ = nullptr;
};
