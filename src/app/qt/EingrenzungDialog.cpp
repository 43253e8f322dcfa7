#include "EingrenzungDialog.h"

#include "reports/EingrenzungRules.h"

#include <QApplication>
#include <QCheckBox>
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

using reports::EingrenzungRules;

namespace {
// The dragged control travels as its kind; only a group box is accepted on "Netto".
const QString kControlMime = QStringLiteral("application/x-ledra-control");
const QByteArray kGroupBox = "GroupBox";
} // namespace

EingrenzungDialog::EingrenzungDialog(EingrenzungRules &rules, QWidget *parent)
    : QDialog(parent), rules_(rules) {
    setObjectName(QStringLiteral("FEingrenzung"));
    auto *top = new QVBoxLayout(this);
    top->setSizeConstraint(QLayout::SetFixedSize);

    groupBox1_ = new QGroupBox(QStringLiteral("Sortierung nach"), this);
    groupBox1_->setObjectName(QStringLiteral("GroupBox1"));
    auto *g1 = new QVBoxLayout(groupBox1_);
    rbDatum_ = new QRadioButton(QStringLiteral("Datum"), groupBox1_);
    rbBelNr_ = new QRadioButton(QStringLiteral("Belegnummer"), groupBox1_);
    rbText_ = new QRadioButton(QStringLiteral("Buchungstext"), groupBox1_);
    for (QRadioButton *b : {rbDatum_, rbBelNr_, rbText_})
        g1->addWidget(b);
    groupBox1_->installEventFilter(this);

    groupBox2_ = new QGroupBox(QStringLiteral("Betrag als"), this);
    groupBox2_->setObjectName(QStringLiteral("GroupBox2"));
    auto *g2 = new QVBoxLayout(groupBox2_);
    brutto_ = new QRadioButton(QStringLiteral("Brutto"), groupBox2_);
    netto_ = new QRadioButton(QStringLiteral("Netto"), groupBox2_);
    netto_->setObjectName(QStringLiteral("Netto"));
    netto_->setAcceptDrops(true);
    netto_->installEventFilter(this);
    g2->addWidget(brutto_);
    g2->addWidget(netto_);

    auto *boxes = new QHBoxLayout;
    boxes->addWidget(groupBox1_);
    boxes->addWidget(groupBox2_);
    top->addLayout(boxes);

    auto *range = new QGridLayout;
    eVon_ = new QLineEdit(this);
    eBis_ = new QLineEdit(this);
    eVon_->setObjectName(QStringLiteral("EVon"));
    eBis_->setObjectName(QStringLiteral("EBis"));
    range->addWidget(new QLabel(QStringLiteral("von"), this), 0, 0);
    range->addWidget(eVon_, 0, 1);
    range->addWidget(new QLabel(QStringLiteral("bis"), this), 1, 0);
    range->addWidget(eBis_, 1, 1);
    top->addLayout(range);

    mitKonten_ = new QCheckBox(QStringLiteral("Mit Konten"), this);
    mitDetails_ = new QCheckBox(QStringLiteral("Mit Details"), this);
    top->addWidget(mitKonten_);
    top->addWidget(mitDetails_);

    label7_ = new QLabel(QStringLiteral("Bitte warten..."), this);
    label7_->setObjectName(QStringLiteral("Label7"));
    QPalette red = label7_->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    label7_->setPalette(red);
    top->addWidget(label7_);

    auto *buttons = new QHBoxLayout;
    ok_ = new QPushButton(QStringLiteral("OK"), this);
    ok_->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("Abbrechen"), this);
    auto *help = new QPushButton(QStringLiteral("&Hilfe"), this);
    buttons->addWidget(ok_);
    buttons->addWidget(cancel);
    buttons->addWidget(help);
    top->addLayout(buttons);

    connect(ok_, &QPushButton::clicked, this, &EingrenzungDialog::okClicked);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(help, &QPushButton::clicked, this, [this] {
        if (helpHandler)
            helpHandler(rules_.helpContext);
    });
    const std::pair<QRadioButton *, EingrenzungRules::Sort> options[] = {
        {rbDatum_, EingrenzungRules::Sort::Datum},
        {rbBelNr_, EingrenzungRules::Sort::Belegnummer},
        {rbText_, EingrenzungRules::Sort::Buchungstext}};
    for (const auto &[button, sort] : options)
        connect(button, &QRadioButton::clicked, this, [this, sort = sort] {
            takeInput();
            rules_.choose(sort);
            showState();
        });

    rules_.showModal = [this] { return runModal(); };
    rules_.stateChanged = [this] { label7_->setVisible(rules_.waitNoteVisible); };
}

EingrenzungDialog::~EingrenzungDialog() {
    rules_.showModal = nullptr;
    rules_.stateChanged = nullptr;
}

bool EingrenzungDialog::runModal() {
    setWindowTitle(rules_.caption);
    showState();
    adjustSize();
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    focusControl(rules_.activeControl);
    return exec() == QDialog::Accepted;
}

void EingrenzungDialog::showState() {
    groupBox1_->setVisible(rules_.sortChoiceVisible);
    rbDatum_->setChecked(rules_.sort == EingrenzungRules::Sort::Datum);
    rbBelNr_->setChecked(rules_.sort == EingrenzungRules::Sort::Belegnummer);
    rbText_->setChecked(rules_.sort == EingrenzungRules::Sort::Buchungstext);
    groupBox2_->setVisible(rules_.amountChoiceVisible);
    brutto_->setChecked(!rules_.Netto);
    netto_->setChecked(rules_.Netto);
    QPalette p = netto_->palette();
    p.setColor(QPalette::WindowText,
               rules_.nettoRed() ? QColor(Qt::red) : palette().color(QPalette::WindowText));
    p.setColor(QPalette::ButtonText, p.color(QPalette::WindowText));
    netto_->setPalette(p);
    mitKonten_->setVisible(rules_.mitKontenVisible);
    mitKonten_->setChecked(rules_.mitKonten);
    mitDetails_->setVisible(rules_.mitDetailsVisible);
    mitDetails_->setChecked(rules_.mitDetails);
    eVon_->setText(rules_.fromText);
    eBis_->setText(rules_.toText);
    label7_->setVisible(rules_.waitNoteVisible);
}

void EingrenzungDialog::takeInput() {
    rules_.fromText = eVon_->text();
    rules_.toText = eBis_->text();
    rules_.Netto = netto_->isChecked();
    rules_.mitKonten = mitKonten_->isChecked();
    rules_.mitDetails = mitDetails_->isChecked();
}

void EingrenzungDialog::okClicked() {
    takeInput();
    const bool ok = rules_.confirmRange();
    showState();
    if (ok)
        accept();
    else
        focusControl(rules_.activeControl);
}

void EingrenzungDialog::focusControl(const QString &name) {
    QWidget *w = ok_;
    if (name == QLatin1String("EVon"))
        w = eVon_;
    else if (name == QLatin1String("EBis"))
        w = eBis_;
    else if (name == QLatin1String("GroupBox1"))
        w = rbBelNr_->isChecked() ? rbBelNr_ : rbText_->isChecked() ? rbText_ : rbDatum_;
    w->setFocus(Qt::OtherFocusReason);
    if (auto *edit = qobject_cast<QLineEdit *>(w))
        edit->selectAll();
}

bool EingrenzungDialog::eventFilter(QObject *watched, QEvent *event) {
    if (watched == groupBox1_) {
        if (event->type() == QEvent::MouseButtonPress) {
            dragStart_ = static_cast<QMouseEvent *>(event)->position().toPoint();
        } else if (event->type() == QEvent::MouseMove) {
            auto *me = static_cast<QMouseEvent *>(event);
            if ((me->buttons() & Qt::LeftButton) &&
                (me->position().toPoint() - dragStart_).manhattanLength() >=
                    QApplication::startDragDistance()) {
                auto *drag = new QDrag(groupBox1_);
                auto *mime = new QMimeData;
                mime->setData(kControlMime, kGroupBox);
                drag->setMimeData(mime);
                drag->exec(Qt::MoveAction);
                return true;
            }
        }
    } else if (watched == netto_) {
        auto kindOf = [](const QMimeData *mime) {
            return mime && mime->data(kControlMime) == kGroupBox
                       ? EingrenzungRules::DragSource::GroupBox
                       : EingrenzungRules::DragSource::Other;
        };
        if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
            auto *de = static_cast<QDragMoveEvent *>(event);
            if (rules_.acceptsNettoDrag(kindOf(de->mimeData())))
                de->acceptProposedAction();
            else
                de->ignore();
            return true;
        }
        if (event->type() == QEvent::Drop) {
            auto *de = static_cast<QDropEvent *>(event);
            rules_.dropNetto(kindOf(de->mimeData()));
            de->acceptProposedAction();
            takeInput();
            showState();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
