#include "StapelDialog.h"

#include "store/EngineError.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace ledra {

StapelDialog::StapelDialog(AusgleichRules &rules, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint), m_rules(rules) {
    setObjectName(QStringLiteral("FStapel"));
    setWindowTitle(QStringLiteral("OP-Detail"));
    m_opens = new QCheckBox(QStringLiteral("&Offenen Posten anlegen"), this);
    m_opens->setObjectName(QStringLiteral("DBCheckBox1"));
    m_settles = new QCheckBox(QStringLiteral("Offenen &Posten ausgleichen"), this);
    m_settles->setObjectName(QStringLiteral("CheckBox1"));
    auto *text = new QLabel(
        QStringLiteral("Bitte entscheiden Sie, ob Sie mit der Buchung einen neuen Offenen Posten "
                       "anlegen oder das Ausgleichen eines OP verhindern wollen.\r\nDas "
                       "Ausgleichen eines OP können Sie nur erreichen, wenn Sie ihn über das "
                       "OP-Modul gewählt haben.\r\n"),
        this);
    text->setWordWrap(true);
    text->setAutoFillBackground(true);
    text->setStyleSheet(QStringLiteral("QLabel { color: #000080; background: white; }"));
    auto *box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    box->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Abbrechen"));
    connect(box, &QDialogButtonBox::accepted, this, &StapelDialog::accept);
    connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_opens, &QCheckBox::clicked, this, &StapelDialog::followOpens);
    auto *v = new QVBoxLayout(this);
    v->addWidget(m_opens);
    v->addWidget(m_settles);
    v->addWidget(text);
    v->addWidget(box);
    resize(420, sizeHint().height());
}

void StapelDialog::followOpens(bool opens) {
    const bool enabled = AusgleichRules::settleEnabled(opens, m_detail.knr);
    m_settles->setChecked(enabled);
    m_settles->setEnabled(enabled);
}

void StapelDialog::run(qint64 batchNumber) {
    m_detail = m_rules.beginDetail(batchNumber);
    m_opens->setChecked(m_detail.opens);
    followOpens(m_detail.opens);
    findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->setFocus();
    exec();
}

void StapelDialog::accept() {
    try {
        m_rules.acceptDetail(m_detail, m_opens->isChecked(), m_settles->isChecked());
    } catch (const EngineError &) {
        // The settlement batch is held by another program: the row keeps its role and the
        // dialog stays open for another try.
        return;
    }
    QDialog::accept();
}

} // namespace ledra
