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
namespace ledra {

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

ReversalDialog::ReversalDialog(Shell &core, QWidget *parent) : QDialog(parent), m_core(core) {
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
    m_ok = new QPushButton(QStringLiteral("OK"), panel);
    m_ok->setObjectName(QStringLiteral("bbOK"));
    m_cancel = new QPushButton(QStringLiteral("Schließen"), panel);
    m_cancel->setObjectName(QStringLiteral("bbCancel"));
    // Enter in the grid is no OK: a reversal is chosen deliberately.
    m_ok->setAutoDefault(false);
    m_cancel->setAutoDefault(false);
    row->addWidget(m_ok);
    row->addWidget(m_cancel);
    top->addWidget(panel);

    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("DBGrid1"));
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + 6);
    m_model = new TableModel(m_core.books().journal, journalColumns(), m_grid);
    m_grid->setModel(m_model);
    fitColumns(m_grid, m_model);
    followTableCursor(m_grid, m_model);
    m_grid->installEventFilter(this);
    m_grid->viewport()->installEventFilter(this);
    top->addWidget(m_grid, 1);
    setTabOrder(m_grid, m_ok);
    setTabOrder(m_ok, m_cancel);

    connect(m_model, &TableModel::tableError, this,
            [this](const QString &message) { m_core.ui().error(message); });
    connect(m_ok, &QPushButton::clicked, this,
            [this] { reverse(&StornoRules::reverseCurrentAndClose); });
    connect(m_cancel, &QPushButton::clicked, this, &QWidget::hide);
    connect(m_grid, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex &index) {
        if (index.isValid() && m_model->moveCursorTo(index.row()))
            reverse(&StornoRules::reverseCurrent);
    });

    // A new batch row or a transfer closes the dialog in the rules; the window goes with it.
    BuchungRules &entry = m_core.entry();
    m_rulesClose = entry.closeReversalDialog;
    entry.closeReversalDialog = [this] {
        if (m_rulesClose)
            m_rulesClose();
        if (!m_reversing) {
            hide();
            orderChanged();
        }
    };
}

ReversalDialog::~ReversalDialog() {
    m_core.entry().closeReversalDialog = m_rulesClose;
}

StornoRules &ReversalDialog::rules() const {
    return m_core.reversalDialog();
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
    runAction(m_core.ui(), [this] { rules().open(); });
    orderChanged();
    m_grid->setFocus(Qt::OtherFocusReason);
}

void ReversalDialog::hideEvent(QHideEvent *event) {
    QDialog::hideEvent(event);
    if (event->spontaneous() || !rules().visible())
        return;
    runAction(m_core.ui(), [this] { rules().hide(); });
    orderChanged();
}

void ReversalDialog::orderChanged() {
    // The journal announces no change of its order; the rows are read afresh.
    m_model->reload();
}

void ReversalDialog::reverse(bool (StornoRules::*handler)()) {
    {
        QScopedValueRollback<bool> guard(m_reversing, true);
        runAction(m_core.ui(), [this, handler] { (rules().*handler)(); });
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
    m_wheelRest += delta;
    runAction(m_core.ui(), [this] {
        for (; m_wheelRest <= -kNotch; m_wheelRest += kNotch)
            rules().nextRow();
        for (; m_wheelRest >= kNotch; m_wheelRest -= kNotch)
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
    if (watched == m_grid && event->type() == QEvent::KeyPress) {
        auto *k = static_cast<QKeyEvent *>(event);
        if (k->key() == Qt::Key_L && k->modifiers() == Qt::ControlModifier) {
            runAction(m_core.ui(), [this] { rules().deleteCurrentRow(); });
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace ledra
