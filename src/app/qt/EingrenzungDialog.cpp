#include "EingrenzungDialog.h"

#include "reports/EingrenzungRules.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>
namespace ledra {

using reports::EingrenzungRules;

namespace {
// The dragged control travels as its kind; only a group box is accepted on "Netto".
const QString kControlMime = QStringLiteral("application/x-ledra-control");
const QByteArray kGroupBox = "GroupBox";
} // namespace

EingrenzungDialog::EingrenzungDialog(EingrenzungRules &rules, QWidget *parent)
    : QDialog(parent), m_rules(rules) {
    setObjectName(QStringLiteral("FEingrenzung"));
    auto *top = new QVBoxLayout(this);
    top->setSizeConstraint(QLayout::SetFixedSize);

    m_groupBox1 = new QGroupBox(QStringLiteral("Sortierung nach"), this);
    m_groupBox1->setObjectName(QStringLiteral("GroupBox1"));
    auto *g1 = new QVBoxLayout(m_groupBox1);
    m_rbDatum = new QRadioButton(QStringLiteral("Datum"), m_groupBox1);
    m_rbBelNr = new QRadioButton(QStringLiteral("Belegnummer"), m_groupBox1);
    m_rbText = new QRadioButton(QStringLiteral("Buchungstext"), m_groupBox1);
    for (QRadioButton *b : {m_rbDatum, m_rbBelNr, m_rbText})
        g1->addWidget(b);
    m_groupBox1->installEventFilter(this);

    m_groupBox2 = new QGroupBox(QStringLiteral("Betrag als"), this);
    m_groupBox2->setObjectName(QStringLiteral("GroupBox2"));
    auto *g2 = new QVBoxLayout(m_groupBox2);
    m_brutto = new QRadioButton(QStringLiteral("Brutto"), m_groupBox2);
    m_netto = new QRadioButton(QStringLiteral("Netto"), m_groupBox2);
    m_netto->setObjectName(QStringLiteral("Netto"));
    m_netto->setAcceptDrops(true);
    m_netto->installEventFilter(this);
    g2->addWidget(m_brutto);
    g2->addWidget(m_netto);

    auto *boxes = new QHBoxLayout;
    boxes->addWidget(m_groupBox1);
    boxes->addWidget(m_groupBox2);
    top->addLayout(boxes);

    auto *range = new QGridLayout;
    m_zeitraum = new QComboBox(this);
    m_zeitraum->setObjectName(QStringLiteral("Zeitraum"));
    m_zeitraum->setToolTip(QStringLiteral("Monat oder Quartal des Buchungsjahres"));
    m_zeitraum->addItem(QString());
    m_zeitraum->addItems(EingrenzungRules::periodChoices());
    m_zeitraumLabel = new QLabel(QStringLiteral("&Zeitraum"), this);
    m_zeitraumLabel->setBuddy(m_zeitraum);
    range->addWidget(m_zeitraumLabel, 0, 0);
    range->addWidget(m_zeitraum, 0, 1);
    connect(m_zeitraum, &QComboBox::activated, this, [this](int index) {
        if (index <= 0)
            return;
        takeInput();
        m_rules.choosePeriod(index - 1);
        showState();
    });
    m_eVon = new QLineEdit(this);
    m_eBis = new QLineEdit(this);
    m_eVon->setObjectName(QStringLiteral("EVon"));
    m_eBis->setObjectName(QStringLiteral("EBis"));
    range->addWidget(new QLabel(QStringLiteral("von"), this), 1, 0);
    range->addWidget(m_eVon, 1, 1);
    range->addWidget(new QLabel(QStringLiteral("bis"), this), 2, 0);
    range->addWidget(m_eBis, 2, 1);
    top->addLayout(range);

    m_mitKonten = new QCheckBox(QStringLiteral("Mit Konten"), this);
    m_mitDetails = new QCheckBox(QStringLiteral("Mit Details"), this);
    m_nurBebuchte = new QCheckBox(QStringLiteral("nur bebuchte Konten"), this);
    top->addWidget(m_mitKonten);
    top->addWidget(m_mitDetails);
    top->addWidget(m_nurBebuchte);

    m_label7 = new QLabel(QStringLiteral("Bitte warten..."), this);
    m_label7->setObjectName(QStringLiteral("Label7"));
    QPalette red = m_label7->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    m_label7->setPalette(red);
    top->addWidget(m_label7);

    auto *buttons = new QHBoxLayout;
    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("Abbrechen"), this);
    auto *help = new QPushButton(QStringLiteral("&Hilfe"), this);
    buttons->addWidget(m_ok);
    buttons->addWidget(cancel);
    buttons->addWidget(help);
    top->addLayout(buttons);

    connect(m_ok, &QPushButton::clicked, this, &EingrenzungDialog::okClicked);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(help, &QPushButton::clicked, this, [this] {
        if (helpHandler)
            helpHandler(m_rules.helpContext);
    });
    const std::pair<QRadioButton *, EingrenzungRules::Sort> options[] = {
        {m_rbDatum, EingrenzungRules::Sort::Datum},
        {m_rbBelNr, EingrenzungRules::Sort::Belegnummer},
        {m_rbText, EingrenzungRules::Sort::Buchungstext}};
    for (const auto &[button, sort] : options)
        connect(button, &QRadioButton::clicked, this, [this, sort = sort] {
            takeInput();
            m_rules.choose(sort);
            showState();
        });

    m_rules.showModal = [this] { return runModal(); };
    m_rules.stateChanged = [this] { m_label7->setVisible(m_rules.waitNoteVisible); };
}

EingrenzungDialog::~EingrenzungDialog() {
    m_rules.showModal = nullptr;
    m_rules.stateChanged = nullptr;
}

bool EingrenzungDialog::runModal() {
    setWindowTitle(m_rules.caption);
    showState();
    adjustSize();
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    focusControl(m_rules.activeControl);
    return exec() == QDialog::Accepted;
}

void EingrenzungDialog::showState() {
    m_groupBox1->setVisible(m_rules.sortChoiceVisible);
    m_rbDatum->setChecked(m_rules.sort == EingrenzungRules::Sort::Datum);
    m_rbBelNr->setChecked(m_rules.sort == EingrenzungRules::Sort::Belegnummer);
    m_rbText->setChecked(m_rules.sort == EingrenzungRules::Sort::Buchungstext);
    m_groupBox2->setVisible(m_rules.amountChoiceVisible);
    m_brutto->setChecked(!m_rules.Netto);
    m_netto->setChecked(m_rules.Netto);
    QPalette p = m_netto->palette();
    p.setColor(QPalette::WindowText,
               m_rules.nettoRed() ? QColor(Qt::red) : palette().color(QPalette::WindowText));
    p.setColor(QPalette::ButtonText, p.color(QPalette::WindowText));
    m_netto->setPalette(p);
    m_mitKonten->setVisible(m_rules.mitKontenVisible);
    m_mitKonten->setChecked(m_rules.mitKonten);
    m_mitDetails->setVisible(m_rules.mitDetailsVisible);
    m_zeitraum->setVisible(m_rules.periodChoiceVisible);
    m_zeitraumLabel->setVisible(m_rules.periodChoiceVisible);
    m_mitDetails->setChecked(m_rules.mitDetails);
    m_nurBebuchte->setVisible(m_rules.nurBebuchteVisible);
    m_nurBebuchte->setChecked(m_rules.nurBebuchte);
    m_eVon->setText(m_rules.fromText);
    m_eBis->setText(m_rules.toText);
    m_label7->setVisible(m_rules.waitNoteVisible);
}

void EingrenzungDialog::takeInput() {
    m_rules.fromText = m_eVon->text();
    m_rules.toText = m_eBis->text();
    m_rules.Netto = m_netto->isChecked();
    m_rules.mitKonten = m_mitKonten->isChecked();
    m_rules.mitDetails = m_mitDetails->isChecked();
    m_rules.nurBebuchte = m_nurBebuchte->isChecked();
}

void EingrenzungDialog::okClicked() {
    takeInput();
    const bool ok = m_rules.confirmRange();
    showState();
    if (ok)
        accept();
    else
        focusControl(m_rules.activeControl);
}

void EingrenzungDialog::focusControl(const QString &name) {
    QWidget *w = m_ok;
    if (name == QLatin1String("EVon"))
        w = m_eVon;
    else if (name == QLatin1String("EBis"))
        w = m_eBis;
    else if (name == QLatin1String("GroupBox1"))
        w = m_rbBelNr->isChecked() ? m_rbBelNr : m_rbText->isChecked() ? m_rbText : m_rbDatum;
    w->setFocus(Qt::OtherFocusReason);
    if (auto *edit = qobject_cast<QLineEdit *>(w))
        edit->selectAll();
}

bool EingrenzungDialog::eventFilter(QObject *watched, QEvent *event) {
    if (watched == m_groupBox1) {
        if (event->type() == QEvent::MouseButtonPress) {
            m_dragStart = static_cast<QMouseEvent *>(event)->position().toPoint();
        } else if (event->type() == QEvent::MouseMove) {
            auto *me = static_cast<QMouseEvent *>(event);
            if ((me->buttons() & Qt::LeftButton) &&
                (me->position().toPoint() - m_dragStart).manhattanLength() >=
                    QApplication::startDragDistance()) {
                auto *drag = new QDrag(m_groupBox1);
                auto *mime = new QMimeData;
                mime->setData(kControlMime, kGroupBox);
                drag->setMimeData(mime);
                drag->exec(Qt::MoveAction);
                return true;
            }
        }
    } else if (watched == m_netto) {
        auto kindOf = [](const QMimeData *mime) {
            return mime && mime->data(kControlMime) == kGroupBox
                       ? EingrenzungRules::DragSource::GroupBox
                       : EingrenzungRules::DragSource::Other;
        };
        if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
            auto *de = static_cast<QDragMoveEvent *>(event);
            if (m_rules.acceptsNettoDrag(kindOf(de->mimeData())))
                de->acceptProposedAction();
            else
                de->ignore();
            return true;
        }
        if (event->type() == QEvent::Drop) {
            auto *de = static_cast<QDropEvent *>(event);
            m_rules.dropNetto(kindOf(de->mimeData()));
            de->acceptProposedAction();
            takeInput();
            showState();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace ledra
