#pragma once
// "OP-Detail": whether a batch row opens an open item, and whether a row taken over from an
// open item still settles it.

#include "klaro/AusgleichRules.h"

#include <QDialog>

class QCheckBox;

namespace ledra {

class StapelDialog : public QDialog {
    Q_OBJECT
public:
    StapelDialog(AusgleichRules &rules, QWidget *parent);

    // Shows the dialog modally for one batch row.
    void run(qint64 batchNumber);
    void accept() override;

private:
    void followOpens(bool opens);

    AusgleichRules &m_rules;
    AusgleichRules::Detail m_detail;
    QCheckBox *m_opens = nullptr, *m_settles = nullptr;
};

} // namespace ledra
