#include "SectionEditor.h"

#include "DbNavigator.h"
#include "EventBoundary.h"
#include "TableModel.h"
#include "ui/Ui.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

SectionEditor::SectionEditor(Table &sections, const QString &name, const QString &caption,
                             int helpContext, Ui &ui, QWidget *parent)
    : QDialog(parent), table_(sections), ui_(ui) {
    setObjectName(name);
    setWindowTitle(caption);
    setProperty("helpContext", helpContext);
    setModal(true);
    resize(520, 420);

    auto *lay = new QVBoxLayout(this);
    auto *bar = new QHBoxLayout;
    navigator_ = new DbNavigator(sections, ui, this);
    navigator_->setObjectName(QStringLiteral("DBNavigator1"));
    // The editors' bar has no refresh button.
    navigator_->button(DbNavigator::Refresh)->hide();
    bar->addWidget(navigator_);
    bar->addStretch(1);
    close_ = new QPushButton(QStringLiteral("Schließen"), this);
    close_->setObjectName(QStringLiteral("BitBtn1"));
    close_->setToolTip(QStringLiteral("Speichern und beenden"));
    bar->addWidget(close_);
    lay->addLayout(bar);

    grid_ = new QTableView(this);
    grid_->setObjectName(QStringLiteral("DBGrid1"));
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 6);
    const QList<TableColumn> columns{
        {QStringLiteral("Reihenfolge"), QStringLiteral("Reihenfolge"),
         Qt::AlignRight | Qt::AlignVCenter, nullptr, true},
        {QStringLiteral("Sektion"), QStringLiteral("Sektion"), Qt::AlignLeft | Qt::AlignVCenter,
         nullptr, true},
    };
    model_ = new TableModel(sections, columns, grid_);
    grid_->setModel(model_);
    grid_->horizontalHeader()->setStretchLastSection(true);
    followTableCursor(grid_, model_);
    connect(model_, &TableModel::tableError, this, [this](const QString &m) { ui_.error(m); });
    lay->addWidget(grid_, 1);

    connect(close_, &QPushButton::clicked, this, &QDialog::accept);
}

void SectionEditor::done(int result) {
    // However the editor is closed, a row being typed is stored first.
    if (table_.isActive() && !runAction(ui_, [this] { table_.checkBrowseMode(); }))
        return;
    QDialog::done(result);
}
