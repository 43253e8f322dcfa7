#pragma once
// The button bar over a table: first, prior, next, last, insert, delete, edit, post, cancel
// and refresh. Each button runs the table operation (and so the table's own events); a
// refusal by the rules is shown through the ui port and leaves the table as it was.

#include "store/Table.h"

#include <QWidget>
#include <array>

class QToolButton;
namespace ledra {

class Ui;

class DbNavigator : public QWidget {
    Q_OBJECT
public:
    enum Button { First, Prior, Next, Last, Insert, Delete, Edit, Post, Cancel, Refresh, Count };

    DbNavigator(Table &table, Ui &ui, QWidget *parent = nullptr);
    QToolButton *button(Button b) const { return m_buttons[b]; }
    // Re-reads the table state into the buttons' enablement (also done on every change).
    void updateButtons();
    // The question a grid asks before it deletes a row; true when the user agreed.
    static bool confirmDelete(Ui &ui);

private:
    void run(Button b);
    Table &m_table;
    Ui &m_ui;
    std::array<QToolButton *, Count> m_buttons{};
};

} // namespace ledra
