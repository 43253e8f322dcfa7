#pragma once
// The small modal editors of the BWA lines and of the balance-sheet lines: a navigator bar and
// a grid over the section table of the open year, and a close button. Closing posts a pending
// edit first; when the table refuses it, the editor stays open with the row as typed.

#include <QDialog>
class QPushButton;
class QTableView;

namespace ledra {

class DbNavigator;
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

    DbNavigator *navigator() const { return m_navigator; }
    QTableView *grid() const { return m_grid; }
    QPushButton *closeButton() const { return m_close; }

    void done(int result) override;

private:
    Table &m_table;
    Ui &m_ui;
    DbNavigator *m_navigator = nullptr;
    QTableView *m_grid = nullptr;
    TableModel *m_model = nullptr;
    QPushButton *m_close = nullptr;
};

} // namespace ledra
