#pragma once
// "Ändern Offene Posten": the open amount, the payment target and the customer or supplier
// of the open item under the list's cursor.

#include "klaro/OffenePostenRules.h"

#include <QDialog>
#include <optional>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace ledra {

class OffenerPostenDialog : public QDialog {
    Q_OBJECT
public:
    OffenerPostenDialog(OffenePostenRules &rules, QWidget *parent);

    void accept() override;

private:
    OffenePostenRules &m_rules;
    std::optional<OffenePostenRules::Aenderung> m_before;
    QLineEdit *m_betrag = nullptr, *m_ziel = nullptr;
    QComboBox *m_kunde = nullptr;
    QPushButton *m_ok = nullptr;
};

} // namespace ledra
