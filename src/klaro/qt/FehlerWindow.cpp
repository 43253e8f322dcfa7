#include "FehlerWindow.h"

#include "klaro/AusgleichRules.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QToolButton>
#include <QVBoxLayout>

namespace ledra {

FehlerWindow::FehlerWindow(AusgleichRules &rules, QWidget *parent)
    : QDialog(parent), m_rules(rules) {
    setObjectName(QStringLiteral("FOPFehler"));
    setWindowTitle(QStringLiteral("Fehlerauswertung"));
    setModal(false);
    auto *v = new QVBoxLayout(this);
    auto *druck = new QToolButton(this);
    druck->setObjectName(QStringLiteral("SBDruck"));
    druck->setText(QStringLiteral("Drucken"));
    druck->setToolTip(QStringLiteral("Fenster drucken"));
    connect(druck, &QToolButton::clicked, this, &FehlerWindow::print);
    v->addWidget(druck, 0, Qt::AlignLeft);
    v->addWidget(new QLabel(
        QStringLiteral("Beim Buchen der offenen Posten sind Fehler aufgetreten."), this));
    v->addWidget(new QLabel(
        QStringLiteral("Möglicherweise müssen Sie die offenen Posten überarbeiten."), this));
    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("MFehler"));
    m_text->setReadOnly(true);
    v->addWidget(m_text);
    auto *box = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(box, &QDialogButtonBox::accepted, this, &FehlerWindow::accept);
    v->addWidget(box);
    resize(500, 320);
}

void FehlerWindow::showLines() {
    m_text->setPlainText(m_rules.fehler().join(QLatin1Char('\n')));
    show();
    raise();
}

void FehlerWindow::accept() {
    m_rules.clearFehler();
    m_text->clear();
    QDialog::accept();
}

void FehlerWindow::print() {
    QPrinter printer;
    QPrintDialog d(&printer, this);
    if (d.exec() != QDialog::Accepted)
        return;
    QPainter p(&printer);
    const double scale =
        std::min(printer.pageRect(QPrinter::DevicePixel).width() / double(width()), 4.0);
    p.scale(scale, scale);
    render(&p);
}

} // namespace ledra
