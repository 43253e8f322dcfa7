#pragma once
// "Offenen Posten hinzufügen": the journal of the year shown, by voucher number, from which
// one booking is chosen to become an open item.

#include <QDialog>
#include <optional>

class QTableView;

namespace ledra {

class Table;
class JournalWahlModel;

class OffenePostenWahlDialog : public QDialog {
    Q_OBJECT
public:
    OffenePostenWahlDialog(Table &journal, QWidget *parent);
    // Shows the journal anew; the chosen booking's Autonummer, or nothing when cancelled.
    std::optional<qint64> choose();

private:
    Table &m_journal;
    JournalWahlModel *m_model = nullptr;
    QTableView *m_grid = nullptr;
};

} // namespace ledra
