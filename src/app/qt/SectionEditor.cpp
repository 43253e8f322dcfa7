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
namespace ledra {

SectionEditor::SectionEditor(Table &sections, const QString &name, const QString &caption,
                             int helpContext, Ui &ui, QWidget *parent)
    : QDialog(parent), m_table(sections), m_ui(ui) {
    setObjectName(name);
    setWindowTitle(caption);
    setProperty("helpContext", helpContext);
    setModal(true);
    resize(520, 420);

    auto *lay = new QVBoxLayout(this);
    auto *bar = new QHBoxLayout;
    m_navigator = new DbNavigator(sections, ui, this);
    m_navigator->setObjectName(QStringLiteral("DBNavigator1"));
    // The editors' bar has no refresh button.
    m_navigator->button(DbNavigator::Refresh)->hide();
    bar->addWidget(m_navigator);
    bar->addStretch(1);
    m_close = new QPushButton(QStringLiteral("Schließen"), this);
    m_close->setObjectName(QStringLiteral("BitBtn1"));
    m_close->setToolTip(QStringLiteral("Speichern und beenden"));
    bar->addWidget(m_close);
    lay->addLayout(bar);

    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("DBGrid1"));
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + 6);
    const QList<TableColumn> columns{
        {QStringLiteral("Reihenfolge"), QStringLiteral("Reihenfolge"),
         Qt::AlignRight | Qt::AlignVCenter, nullptr, true},
        {QStringLiteral("Sektion"), QStringLiteral("Sektion"), Qt::AlignLeft | Qt::AlignVCenter,
         nullptr, true},
    };
    m_model = new TableModel(sections, columns, m_grid);
    m_grid->setModel(m_model);
    m_grid->horizontalHeader()->setStretchLastSection(true);
    followTableCursor(m_grid, m_model);
    connect(m_model, &TableModel::tableError, this, [this](const QString &m) { m_ui.error(m); });
    lay->addWidget(m_grid, 1);

    connect(m_close, &QPushButton::clicked, this, &QDialog::accept);
}

void SectionEditor::done(int result) {
    // However the editor is closed, a row being typed is stored first.
    if (m_table.isActive() && !runAction(m_ui, [this] { m_table.checkBrowseMode(); }))
        return;
    QDialog::done(result);
}

} // namespace ledra
