#pragma once
// The small modal editors of the BWA lines and of the balance-sheet lines: a navigator bar and
// a grid over the section table of the open year, and a close button. Closing posts a pending
// edit first; when the table refuses it, the editor stays open with the row as typed.

#include <QDialog>

class DbNavigator;
class QPushButton;
class QTableView;
class Table;
class TableModel;
class Ui;

class SectionEditor : public QDialog {
    Q_OBJECT
public:
    // TFBWA: caption "BWA-Sektionen eingeben", help 33; TFBilanz: "Bilanz-Sektionen
    // eingeben", help 34.
    SectionEditor(Table &sections, const QString &name, const QString &caption, int helpContext,
                  Ui &ui, QWidget *parent = nullptr);

    DbNavigator *navigator() const { return navigator_; }
    QTableView *grid() const { return grid_; }
    QPushButton *closeButton() const { return close_; }

    void done(int result) override;

private:
    Table &table_;
    Ui &ui_;
    DbNavigator *navigator_ = nullptr;
    QTableView *grid_ = nullptr;
    TableModel *model_ = nullptr;
    QPushButton *close_ = nullptr;
};
