#pragma once
// The page "Konten": the accounts grid over the grid's own accounts table, the name search
// and the buttons of the page. Editing the grid goes through the chart's rules (see
// KontenDelegate); the search and the recomputation of the balances are theirs too.

#include "TableModel.h"

#include <QWidget>
#include <vector>
class QLineEdit;
class QPushButton;
class QTableView;

namespace ledra {

class KontenDelegate;
class Shell;
class DbNavigator;
class Ui;

class KontenPage : public QWidget {
    Q_OBJECT
public:
    KontenPage(Shell &core, Ui &ui, QWidget *parent = nullptr);

    QTableView *gridView() const { return m_grid; }
    TableModel *gridModel() const { return m_model; }
    KontenDelegate *gridDelegate() const { return m_delegate; }
    DbNavigator *DBNavigator1() const { return m_navigator; }
    QLineEdit *Edit1() const { return m_edit1; }
    QPushButton *Suchen() const { return m_suchen; }
    QPushButton *SaldenNeu() const { return m_saldenNeu; }
    QPushButton *KBlatt() const { return m_kBlatt; }
    QPushButton *SBJournal() const { return m_sbJournal; }

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
    Shell &m_core;
    Ui &m_ui;
    QTableView *m_grid = nullptr;
    TableModel *m_model = nullptr;
    KontenDelegate *m_delegate = nullptr;
    DbNavigator *m_navigator = nullptr;
    QLineEdit *m_edit1 = nullptr;
    QPushButton *m_suchen = nullptr, *m_saldenNeu = nullptr, *m_kBlatt = nullptr,
                *m_sbJournal = nullptr;
};

} // namespace ledra
