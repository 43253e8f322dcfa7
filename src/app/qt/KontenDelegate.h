#pragma once
// The cell editors of the accounts grid and the colour of a balance on the wrong side. An edit
// starts only when the chart's rules allow it (they are told the column first, because the
// change guard depends on it); each column then writes through the rule that belongs to it:
// the type through the type change, the opening balances through their text handlers, the
// BWA and balance-sheet lines by the number of the section picked by its text.

#include <QStyledItemDelegate>
namespace ledra {

class Shell;
class TableModel;
class Ui;

class KontenDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    // Columns of the accounts grid.
    enum Column { KtoNr, Name, Art, Mwst, Saldo, Soll, Haben, BWA, Bilanz };

    KontenDelegate(Shell &core, Ui &ui, TableModel *model, QObject *parent = nullptr);

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model,
                      const QModelIndex &index) const override;
    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;

    // The background of a balance cell; invalid when it is drawn normally.
    QColor balanceBackground(const QModelIndex &index, bool selected) const;

private:
    void editorClosed(QWidget *editor, QAbstractItemDelegate::EndEditHint hint);

    Shell &m_core;
    Ui &m_ui;
    TableModel *m_model;
    // The row was put into edit state by the editor just opened, and nothing has been written
    // into it since: Esc in that editor ends the edit again.
    mutable bool m_startedEdit = false;
    mutable bool m_written = false;
};

} // namespace ledra
