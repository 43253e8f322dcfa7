#pragma once
// The read-only list both open-items windows show: whole rows, one at a time, no editing in
// place, no row numbers.

#include <QAbstractItemModel>
#include <QHeaderView>
#include <QTableView>

namespace ledra {

inline QTableView *makeRowListView(QAbstractItemModel *model, QWidget *parent) {
    auto *grid = new QTableView(parent);
    grid->setObjectName(QStringLiteral("DBGrid1"));
    grid->setModel(model);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->verticalHeader()->hide();
    return grid;
}

} // namespace ledra
