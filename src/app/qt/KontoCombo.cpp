#include "KontoCombo.h"

#include "store/Query.h"
#include "store/Table.h"

#include <QHeaderView>
#include <QStandardItemModel>
#include <QTableView>
namespace ledra {

KontoCombo::KontoCombo(const Table &accounts, QWidget *parent)
    : QComboBox(parent), m_accounts(accounts) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setMaxVisibleItems(14);
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(8);
    auto *view = new QTableView(this);
    view->horizontalHeader()->hide();
    view->verticalHeader()->hide();
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setShowGrid(false);
    view->setMinimumWidth(300);
    setModel(new QStandardItemModel(0, 2, this));
    setView(view);
}

void KontoCombo::showPopup() {
    const QString shown = currentText();
    {
        QSignalBlocker block(this);
        fill();
        setCurrentIndex(-1);
        setEditText(shown);
    }
    if (auto *v = qobject_cast<QTableView *>(view()))
        v->resizeColumnsToContents();
    QComboBox::showPopup();
}

void KontoCombo::fill() {
    auto *m = qobject_cast<QStandardItemModel *>(model());
    if (!m)
        return;
    m->setRowCount(0);
    if (!m_accounts.isActive())
        return;
    // Read beside the table object, so that the posting rules' cursor on it stays put.
    Query q;
    q.setTable(QStringLiteral("K"), m_accounts.path());
    q.lines() << QStringLiteral("SELECT KtoNr, Name FROM K.\"%1\" ORDER BY KtoNr")
                     .arg(m_accounts.innerName());
    try {
        q.forEach([m](const QStringList &, const QVariantList &row) {
            m->appendRow({new QStandardItem(row.value(0).toString()),
                          new QStandardItem(row.value(1).toString())});
            return true;
        });
    } catch (const std::exception &) {
        // An unreadable chart leaves the list empty; typing the number still works.
    }
}

} // namespace ledra
