#include "OffenerPostenDialog.h"

#include "store/Dates.h"
#include "store/EngineError.h"
#include "ui/Ui.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace ledra {

OffenerPostenDialog::OffenerPostenDialog(OffenePostenRules &rules, QWidget *parent)
    : QDialog(parent), m_rules(rules) {
    setObjectName(QStringLiteral("FEditOP"));
    setProperty("helpContext", 42); // F1: the manual's open-items topic
    setWindowTitle(QStringLiteral("Ändern Offene Posten"));
    m_before = rules.beginChange();

    m_betrag = new QLineEdit(this);
    m_betrag->setObjectName(QStringLiteral("DBBetrag"));
    m_betrag->setToolTip(QStringLiteral("offener Restbetrag"));
    m_ziel = new QLineEdit(this);
    m_ziel->setObjectName(QStringLiteral("DBZiel"));
    m_ziel->setToolTip(QStringLiteral("Wird automatisch eingesetzt"));
    m_ziel->setMaxLength(8);
    m_kunde = new QComboBox(this);
    m_kunde->setObjectName(QStringLiteral("cbKunde"));
    m_kunde->view()->setMinimumWidth(500);
    m_kunde->addItem(QString(), qint64(0));

    auto *form = new QFormLayout;
    auto row = [&](const QString &text, QWidget *w) {
        auto *l = new QLabel(text, this);
        l->setBuddy(w);
        form->addRow(l, w);
    };
    row(QStringLiteral("&Betrag"), m_betrag);
    row(QStringLiteral("&Zahlungsziel"), m_ziel);
    row(QStringLiteral("&Kunde/Lieferant"), m_kunde);
    auto *box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_ok = box->button(QDialogButtonBox::Ok);
    m_ok->setObjectName(QStringLiteral("BitBtn1"));
    box->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("BitBtn2"));
    box->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Abbrechen"));
    connect(box, &QDialogButtonBox::accepted, this, &OffenerPostenDialog::accept);
    connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *v = new QVBoxLayout(this);
    v->addLayout(form);
    v->addWidget(box);

    if (!m_before) {
        // The open item is gone from the table: nothing to store.
        m_ok->setEnabled(false);
        m_kunde->setEnabled(false);
        return;
    }
    m_betrag->setText(rules.daten().itemAmountText(m_before->betrag, m_before->euro, true));
    m_ziel->setText(m_before->ziel.isValid() ? m_before->ziel.toString(QStringLiteral("dd.MM.yy"))
                                             : QString());
    const bool wahl = m_before->wahl != OffenePostenRules::Aenderung::Wahl::Keine;
    m_kunde->setEnabled(wahl);
    if (wahl)
        for (const KundeEintrag &k : rules.kunden())
            m_kunde->addItem(k.name + QStringLiteral("  ") + k.ort, k.nr);
    const int at = m_kunde->findData(m_before->kunde);
    if (at >= 0)
        m_kunde->setCurrentIndex(at);
    else if (m_before->kunde != 0) {
        m_kunde->addItem(QString::number(m_before->kunde), m_before->kunde);
        m_kunde->setCurrentIndex(m_kunde->count() - 1);
    }
}

void OffenerPostenDialog::accept() {
    if (!m_before)
        return;
    try {
        if (!m_rules.saveChange(*m_before, m_betrag->text(), m_ziel->text(),
                                m_kunde->currentData().toLongLong()))
            return;
    } catch (const EngineError &e) {
        m_rules.ui().error(e.message());
        return;
    }
    QDialog::accept();
}

} // namespace ledra
