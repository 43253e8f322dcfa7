#pragma once
// The open-items list as the grid shows it: date, voucher, text, amount with its unit,
// accounts and payment target of each listed open item.

#include <QAbstractTableModel>

namespace ledra {

class OffenePostenRules;

class OffenePostenListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit OffenePostenListModel(OffenePostenRules &rules, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;

    // The rules' rows changed.
    void reset();

private:
    OffenePostenRules &m_rules;
};

} // namespace ledra
