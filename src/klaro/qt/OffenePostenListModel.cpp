#include "OffenePostenListModel.h"

#include "klaro/OffenePostenRules.h"
#include "store/Dates.h"

namespace ledra {

namespace {
const char *const kTitles[] = {"Belegdatum", "Belegnr.", "Buchungstext", "Betrag",
                               "Soll",       "Haben",    "Zahlungsziel"};
}

OffenePostenListModel::OffenePostenListModel(OffenePostenRules &rules, QObject *parent)
    : QAbstractTableModel(parent), m_rules(rules) {}

int OffenePostenListModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(m_rules.rows().size());
}

int OffenePostenListModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(std::size(kTitles));
}

QVariant OffenePostenListModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return QVariant();
    const OffenerPostenZeile &r = m_rules.rows()[size_t(index.row())];
    if (role == Qt::TextAlignmentRole) {
        const int c = index.column();
        return c == 1 || c == 3 || c == 4 || c == 5 ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                                    : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    }
    if (role != Qt::DisplayRole)
        return QVariant();
    switch (index.column()) {
    case 0:
        return germanDate(r.belegdatum);
    case 1:
        return QString::number(r.belegnummer);
    case 2:
        return r.buchungstext;
    case 3:
        return m_rules.daten().listAmountText(r.betrag, r.euro);
    case 4:
        return QString::number(r.soll);
    case 5:
        return QString::number(r.haben);
    case 6:
        return germanDate(r.zahlungsziel);
    default:
        return QVariant();
    }
}

QVariant OffenePostenListModel::headerData(int section, Qt::Orientation o, int role) const {
    if (o != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= int(std::size(kTitles)))
        return QVariant();
    return QString::fromUtf8(kTitles[section]);
}

void OffenePostenListModel::reset() {
    beginResetModel();
    endResetModel();
}

} // namespace ledra
