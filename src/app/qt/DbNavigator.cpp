#include "DbNavigator.h"

#include "EventBoundary.h"
#include "TableModel.h"
#include "ui/Ui.h"

#include <QHBoxLayout>
#include <QPointer>
#include <QToolButton>
namespace ledra {

namespace {
struct ButtonText {
    const char *glyph;
    const char *hint;
    const char *name;
};
// The check mark of the post button is what the messages mean by "das Häkchen".
const ButtonText kButtons[DbNavigator::Count] = {
    {"|◀", "Erster Datensatz", "First"},      {"◀", "Vorheriger Datensatz", "Prior"},
    {"▶", "Nächster Datensatz", "Next"},      {"▶|", "Letzter Datensatz", "Last"},
    {"+", "Datensatz einfügen", "Insert"},    {"−", "Datensatz löschen", "Delete"},
    {"▲", "Datensatz bearbeiten", "Edit"},    {"✓", "Daten übernehmen", "Post"},
    {"✗", "Bearbeitung abbrechen", "Cancel"}, {"↻", "Daten aktualisieren", "Refresh"},
};
} // namespace

DbNavigator::DbNavigator(Table &table, Ui &ui, QWidget *parent)
    : QWidget(parent), m_table(table), m_ui(ui) {
    auto *lay = new QHBoxLayout(this);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->setSpacing(1);
    for (int i = 0; i < Count; ++i) {
        auto *b = new QToolButton(this);
        b->setText(QString::fromUtf8(kButtons[i].glyph));
        b->setToolTip(QString::fromUtf8(kButtons[i].hint));
        b->setObjectName(QStringLiteral("nb") + QString::fromLatin1(kButtons[i].name));
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoRaise(true);
        connect(b, &QToolButton::clicked, this, [this, i] { run(Button(i)); });
        lay->addWidget(b);
        m_buttons[size_t(i)] = b;
    }
    QPointer<DbNavigator> self(this);
    m_table.addObserver([self](Table::Change) {
        if (self && !TableModel::isReading(self->m_table))
            self->updateButtons();
    });
    updateButtons();
}

void DbNavigator::updateButtons() {
    const bool active = m_table.isActive();
    const bool editing = active && m_table.isEditing();
    const int rows = active ? m_table.recordCount() : 0;
    const int pos = active ? m_table.recNo() : -1;
    const bool enabled[Count] = {
        active && pos > 0,
        active && pos > 0,
        active && pos < rows - 1,
        active && pos < rows - 1,
        active,
        active && (rows > 0 || editing),
        active && !editing,
        editing,
        editing,
        active && !editing,
    };
    for (int i = 0; i < Count; ++i)
        m_buttons[size_t(i)]->setEnabled(enabled[i]);
}

bool DbNavigator::confirmDelete(Ui &ui) {
    return ui.confirm(QStringLiteral("Datensatz löschen?"), Btn::Ok | Btn::Cancel) == Btn::Ok;
}

void DbNavigator::run(Button b) {
    runAction(m_ui, [this, b] {
        switch (b) {
        case First:
            m_table.first();
            break;
        case Prior:
            m_table.prior();
            break;
        case Next:
            m_table.next();
            break;
        case Last:
            m_table.last();
            break;
        case Insert:
            m_table.insert();
            break;
        case Delete:
            if (confirmDelete(m_ui))
                m_table.remove();
            break;
        case Edit:
            m_table.edit();
            break;
        case Post:
            m_table.post();
            break;
        case Cancel:
            m_table.cancel();
            break;
        case Refresh:
            m_table.refresh();
            break;
        case Count:
            break;
        }
    });
    updateButtons();
}

} // namespace ledra
