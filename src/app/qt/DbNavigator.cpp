#include "DbNavigator.h"

#include "EventBoundary.h"
#include "TableModel.h"
#include "ui/Ui.h"

#include <QHBoxLayout>
#include <QPointer>
#include <QToolButton>

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
    : QWidget(parent), table_(table), ui_(ui) {
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
        buttons_[size_t(i)] = b;
    }
    QPointer<DbNavigator> self(this);
    table_.addObserver([self](Table::Change) {
        if (self && !TableModel::isReading(self->table_))
            self->updateButtons();
    });
    updateButtons();
}

void DbNavigator::updateButtons() {
    const bool active = table_.isActive();
    const bool editing = active && table_.isEditing();
    const int rows = active ? table_.recordCount() : 0;
    const int pos = active ? table_.recNo() : -1;
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
        buttons_[size_t(i)]->setEnabled(enabled[i]);
}

bool DbNavigator::confirmDelete(Ui &ui) {
    return ui.confirm(QStringLiteral("Datensatz löschen?"), Btn::Ok | Btn::Cancel) == Btn::Ok;
}

void DbNavigator::run(Button b) {
    runAction(ui_, [this, b] {
        switch (b) {
        case First:
            table_.first();
            break;
        case Prior:
            table_.prior();
            break;
        case Next:
            table_.next();
            break;
        case Last:
            table_.last();
            break;
        case Insert:
            table_.insert();
            break;
        case Delete:
            if (confirmDelete(ui_))
                table_.remove();
            break;
        case Edit:
            table_.edit();
            break;
        case Post:
            table_.post();
            break;
        case Cancel:
            table_.cancel();
            break;
        case Refresh:
            table_.refresh();
            break;
        case Count:
            break;
        }
    });
    updateButtons();
}
