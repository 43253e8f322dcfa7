#include "OffenePostenWahlDialog.h"

#include "RowListView.h"
#include "store/Dates.h"
#include "store/Table.h"

#include <QAbstractTableModel>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QTableView>
#include <QVBoxLayout>

namespace ledra {

// The journal's rows read as the grid asks for them, so a big journal is never loaded whole.
class JournalWahlModel : public QAbstractTableModel {
public:
    JournalWahlModel(Table &journal, QObject *parent)
        : QAbstractTableModel(parent), m_journal(journal) {}
    int rowCount(const QModelIndex &p = QModelIndex()) const override {
        return p.isValid() || !m_journal.isActive() ? 0 : m_journal.recordCount();
    }
    int columnCount(const QModelIndex &p = QModelIndex()) const override {
        return p.isValid() ? 0 : int(std::size(kFields));
    }
    QVariant data(const QModelIndex &i, int role) const override {
        if (role != Qt::DisplayRole || !i.isValid())
            return QVariant();
        m_journal.moveTo(i.row());
        const QString f = QString::fromLatin1(kFields[i.column()]);
        if (f == QLatin1String("Belegdatum"))
            return germanDate(m_journal.asDate(f));
        if (f == QLatin1String("Brutto"))
            return m_journal.asMoney(f).toGerman(2, true);
        return m_journal.asString(f);
    }
    QVariant headerData(int s, Qt::Orientation o, int role) const override {
        if (o != Qt::Horizontal || role != Qt::DisplayRole)
            return QVariant();
        return QString::fromLatin1(kFields[s]);
    }
    void reset() {
        beginResetModel();
        endResetModel();
    }
    qint64 autonummer(int row) const {
        m_journal.moveTo(row);
        return m_journal.asInt(QStringLiteral("Autonummer"));
    }

private:
    static constexpr const char *kFields[] = {"Belegdatum", "Belegnummer", "Buchungstext", "Soll",
                                              "Haben",      "Brutto",      "Steuersatz"};
    Table &m_journal;
};

OffenePostenWahlDialog::OffenePostenWahlDialog(Table &journal, QWidget *parent)
    : QDialog(parent), m_journal(journal) {
    setObjectName(QStringLiteral("FOPWahl"));
    setProperty("helpContext", 41); // F1: the manual's open-items topic
    setWindowTitle(QStringLiteral("Offenen Posten hinzufügen"));
    resize(760, 480);
    m_model = new JournalWahlModel(journal, this);
    m_grid = makeRowListView(m_model, this);
    connect(m_grid, &QTableView::doubleClicked, this, &QDialog::accept);
    auto *box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *v = new QVBoxLayout(this);
    v->addWidget(m_grid, 1);
    v->addWidget(box);
}

std::optional<qint64> OffenePostenWahlDialog::choose() {
    m_model->reset();
    if (m_model->rowCount() > 0)
        m_grid->selectRow(0);
    m_grid->setFocus();
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    const QModelIndex i = m_grid->currentIndex();
    if (!i.isValid())
        return std::nullopt;
    return m_model->autonummer(i.row());
}

} // namespace ledra
