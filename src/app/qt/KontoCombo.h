#pragma once
// The account drop-downs "Soll" and "Haben": every account with number and name. The list is
// read when it is opened, so it always shows the accounts as they are now, and the text the
// field shows is kept while the list is refilled. Keys typed into it are the booking entry's
// account search (see BuchenPage); only the list itself is this class's.

#include <QComboBox>
namespace ledra {

class Table;

class KontoCombo : public QComboBox {
public:
    explicit KontoCombo(const Table &accounts, QWidget *parent = nullptr);
    void showPopup() override;

private:
    void fill();
    const Table &m_accounts;
};

} // namespace ledra
