#include "ReversalDialog.h"

#include "BuchenPage.h"
#include "EventBoundary.h"
#include "TableModel.h"
#include "app/Shell.h"
#include "posting/BuchungRules.h"
#include "posting/StornoRules.h"
#include "ui/Ui.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QHideEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QShowEvent>
#include <QTableView>
#include <QVBoxLayout>
#include <QWheelEvent>

namespace {
// The journal is shown with the columns the batch grid has for the same fields, so that a
// booking looks alike before and after its transfer.
QList<TableColumn> journalColumns() {
    const QStringList fields{QStringLiteral("Belegdatum"),   QStringLiteral("Belegnummer"),
                             QStringLiteral("Soll"),         QStringLiteral("Haben"),
                             QStringLiteral("Buchungstext"), QStringLiteral("Brutto")};
    const QList<TableColumn> batch = BuchenPage::gridColumns();
    QList<TableColumn> columns;
    for (const QString &f : fields)
        for (const TableColumn &c : batch)
            if (c.field == f)
                columns << c;
    return columns;
}

// One notch of a mouse wheel.
constexpr int kNotch = 120;
} // namespace

ReversalDialog::ReversalDialog(Shell &core, QWidget *parent) : QDialog(parent), core_(core) {
    setObjectName(QStringLiteral("FJournal"));
    setWindowTitle(QStringLiteral("Buchungssatz stornieren"));
    setProperty("helpContext", 17);
    setModal(false);
    resize(640, 420);

    auto *top = new QVBoxLayout(this);
    auto *panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    auto *row = new QHBoxLayout(panel);
    row->setContentsMargins(0, 0, 0, 0);
    auto *lines = new QVBoxLayout;
    auto *label1 = new QLabel(QStringLiteral("Bitte wählen Sie im Journal den zu"), panel);
    label1->setObjectName(QStringLiteral("Label1"));
    auto *label2 =
        new QLabel(QStringLiteral("stornierenden Buchungssatz und klicken Sie OK."), panel);
    label2->setObjectName(QStringLiteral("Label2"));
    lines->addWidget(label1);
    lines->addWidget(label2);
    row->addLayout(lines, 1);
    ok_ = new QPushButton(QStringLiteral("OK"), panel);
    ok_->setObjectName(QStringLiteral("bbOK"));
    cancel_ = new QPushButton(QStringLiteral("Schließen"), panel);
    cancel_->setObjectName(QStringLiteral("bbCancel"));
    // Enter in the grid is no OK: a reversal is chosen deliberately.
    ok_->setAutoDefault(false);
    cancel_->setAutoDefault(false);
    row->addWidget(ok_);
    row->addWidget(cancel_);
    top->addWidget(panel);

    grid_ = new QTableView(this);
    grid_->setObjectName(QStringLiteral("DBGrid1"));
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 6);
    model_ = new TableModel(core_.books().journal, journalColumns(), grid_);
    grid_->setModel(model_);
    followTableCursor(grid_, model_);
    grid_->installEventFilter(this);
    grid_->viewport()->installEventFilter(this);
    top->addWidget(grid_, 1);
    setTabOrder(grid_, ok_);
    setTabOrder(ok_, cancel_);

    connect(model_, &TableModel::tableError, this,
            [this](const QString &message) { core_.ui().error(message); });
    connect(ok_, &QPushButton::clicked, this, [this] { reverse(&StornoRules::reverseCurrentAndClose); });
    connect(cancel_, &QPushButton::clicked, this, &QWidget::hide);
    connect(grid_, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex &index) {
        if (index.isValid() && model_->moveCursorTo(index.row()))
            reverse(&StornoRules::reverseCurrent);
    });

    // A new batch row or a transfer closes the dialog in the rules; the window goes with it.
    BuchungRules &entry = core_.entry();
    rulesClose_ = entry.closeReversalDialog;
    entry.closeReversalDialog = [this] {
        if (rulesClose_)
            rulesClose_();
        if (!reversing_) {
            hide();
            orderChanged();
        }
    };
}

ReversalDialog::~ReversalDialog() {
    core_.entry().closeReversalDialog = rulesClose_;
}

StornoRules &ReversalDialog::rules() const {
    return core_.reversalDialog();
}

void ReversalDialog::open() {
    show();
    raise();
    activateWindow();
}

void ReversalDialog::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    // A window restored from an icon is no new showing of the dialog.
    if (event->spontaneous() || rules().visible())
        return;
    runAction(core_.ui(), [this] { rules().open(); });
    orderChanged();
    grid_->setFocus(Qt::OtherFocusReason);
}

void ReversalDialog::hideEvent(QHideEvent *event) {
    QDialog::hideEvent(event);
    if (event->spontaneous() || !rules().visible())
        return;
    runAction(core_.ui(), [this] { rules().hide(); });
    orderChanged();
}

void ReversalDialog::orderChanged() {
    // The journal announces no change of its order; the rows are read afresh.
    model_->reload();
}

void ReversalDialog::reverse(bool (StornoRules::*handler)()) {
    {
        QScopedValueRollback<bool> guard(reversing_, true);
        runAction(core_.ui(), [this, handler] { (rules().*handler)(); });
    }
    orderChanged();
    // The rules decide whether the dialog stays: in front again, or gone.
    if (rules().visible()) {
        open();
    } else {
        hide();
    }
}

void ReversalDialog::wheel(int delta) {
    wheelRest_ += delta;
    runAction(core_.ui(), [this] {
        for (; wheelRest_ <= -kNotch; wheelRest_ += kNotch)
            rules().nextRow();
        for (; wheelRest_ >= kNotch; wheelRest_ -= kNotch)
            rules().priorRow();
    });
}

void ReversalDialog::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
        if (helpHandler)
            helpHandler(property("helpContext").toInt());
        return;
    }
    QDialog::keyPressEvent(event);
}

void ReversalDialog::wheelEvent(QWheelEvent *event) {
    wheel(event->angleDelta().y());
    event->accept();
}

bool ReversalDialog::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::Wheel) {
        // The wheel moves the journal's row, not the grid's scroll bar; the grid follows.
        auto *w = static_cast<QWheelEvent *>(event);
        wheel(w->angleDelta().y());
        return true;
    }
    if (watched == grid_ && event->type() == QEvent::KeyPress) {
        auto *k = static_cast<QKeyEvent *>(event);
        if (k->key() == Qt::Key_L && k->modifiers() == Qt::ControlModifier) {
            runAction(core_.ui(), [this] { rules().deleteCurrentRow(); });
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
