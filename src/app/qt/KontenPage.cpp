#include "KontenPage.h"

#include "KontenDelegate.h"
#include "BuchenPage.h"
#include "DbNavigator.h"
#include "EventBoundary.h"
#include "accounts/KontenRules.h"
#include "books/SaldenRecompute.h"
#include "app/Shell.h"
#include "ui/Ui.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

QList<TableColumn> KontenPage::gridColumns() {
    constexpr auto right = Qt::AlignRight | Qt::AlignVCenter;
    auto money = [](const char *f) {
        const QString field = QString::fromLatin1(f);
        return [field](const Table &t) {
            return t.isNull(field) ? QString() : t.asMoney(field).toGerman();
        };
    };
    auto rate = [](const Table &t) { return germanNumberText(t.value(QStringLiteral("Mwst"))); };
    // The balance cell is coloured by the account's type and the balance's side.
    auto typeAndBalance = [](const Table &t) {
        return QVariant(
            QVariantList{t.value(QStringLiteral("Art")), t.value(QStringLiteral("Saldo"))});
    };
    QList<TableColumn> columns{
        {QStringLiteral("KtoNr"), QStringLiteral("KtoNr"), right},
        {QStringLiteral("Name"), QStringLiteral("Name")},
        {QStringLiteral("XArt"), QStringLiteral("Art")},
        {QStringLiteral("Mwst"), QStringLiteral("Mwst %"), right, rate},
        {QStringLiteral("Saldo"), QStringLiteral("Saldo"), right, money("Saldo")},
        {QStringLiteral("Soll"), QStringLiteral("Vortrag-Soll"), right, money("Soll")},
        {QStringLiteral("Haben"), QStringLiteral("Vortrag-Haben"), right, money("Haben")},
        {QStringLiteral("xBWA"), QStringLiteral("BWA")},
        {QStringLiteral("xBilanz"), QStringLiteral("Bilanz")},
    };
    for (TableColumn &c : columns)
        c.editable = c.field != QLatin1String("Saldo");
    columns[KontenDelegate::Saldo].userData = typeAndBalance;
    return columns;
}

KontenPage::KontenPage(Shell &core, Ui &ui, QWidget *parent)
    : QWidget(parent), core_(core), ui_(ui) {
    setObjectName(QStringLiteral("KontenPanel"));
    auto *lay = new QVBoxLayout(this);
    lay->setContentsMargins(0, 0, 0, 0);

    auto *bar = new QHBoxLayout;
    navigator_ = new DbNavigator(core.books().kontenGrid, ui, this);
    navigator_->setObjectName(QStringLiteral("DBNavigator1"));
    bar->addWidget(navigator_);
    edit1_ = new QLineEdit(this);
    edit1_->setObjectName(QStringLiteral("Edit1"));
    edit1_->setToolTip(QStringLiteral("Suchbegriff Name"));
    edit1_->setMaximumWidth(200);
    bar->addWidget(edit1_);
    auto button = [this, bar](const QString &name, const QString &text, const QString &hint) {
        auto *b = new QPushButton(text, this);
        b->setObjectName(name);
        b->setToolTip(hint);
        bar->addWidget(b);
        return b;
    };
    suchen_ = button(QStringLiteral("Suchen"), QStringLiteral("Suchen"), QStringLiteral("Suchen"));
    bar->addStretch(1);
    saldenNeu_ = button(QStringLiteral("SaldenNeu"), QStringLiteral("Salden neu berechnen"),
                        QStringLiteral("Salden neu berechnen"));
    kBlatt_ = button(QStringLiteral("KBlatt"), QStringLiteral("Kontenblatt drucken..."),
                     QStringLiteral("Kontenblatt vom aktuellen Konto"));
    kBlatt_->setProperty("helpContext", 21);
    sbJournal_ = button(QStringLiteral("SBJournal"), QStringLiteral("Journal drucken..."),
                        QStringLiteral("Journal drucken"));
    sbJournal_->setProperty("helpContext", 22);
    lay->addLayout(bar);

    grid_ = new QTableView(this);
    grid_->setObjectName(QStringLiteral("DBGrid1"));
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    // Several rows may be marked: the account sheet prints every marked account.
    grid_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // Typing or F2 edits a cell; a double click is left for the account sheet.
    grid_->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 6);
    model_ = new TableModel(core.books().kontenGrid, gridColumns(), grid_);
    grid_->setModel(model_);
    delegate_ = new KontenDelegate(core, ui, model_, grid_);
    grid_->setItemDelegate(delegate_);
    followTableCursor(grid_, model_);
    // The change guard depends on the grid's selected column.
    connect(grid_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &now) {
                if (now.isValid())
                    core_.chart().selectedColumn = now.column();
            });
    grid_->installEventFilter(this);
    lay->addWidget(grid_, 1);

    // Any change of the search text makes the next search start at the top.
    connect(edit1_, &QLineEdit::textChanged, this,
            [this](const QString &text) { core_.chart().setSearchText(text); });
    edit1_->installEventFilter(this);
    connect(suchen_, &QPushButton::clicked, this, &KontenPage::search);
    connect(saldenNeu_, &QPushButton::clicked, this, &KontenPage::recomputeSalden);
}

std::vector<qint64> KontenPage::markedAccounts() const {
    std::vector<qint64> marks;
    const QModelIndexList rows = grid_->selectionModel()->selectedRows();
    for (const QModelIndex &row : rows)
        if (const qint64 bm = model_->bookmarkAt(row.row()))
            marks.push_back(bm);
    return marks;
}

void KontenPage::search() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    runAction(ui_, [this] { core_.chart().searchNext(); });
    QApplication::restoreOverrideCursor();
}

void KontenPage::recomputeSalden() {
    runAction(ui_, [this] { ::recomputeSalden(core_.books()); });
    emit dataReloaded();
}

bool KontenPage::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    auto *k = static_cast<QKeyEvent *>(event);
    const bool enter = k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter;
    if (watched == edit1_ && enter) {
        // Enter in the search field is the search button and is not passed on.
        search();
        return true;
    }
    if (watched == grid_) {
        Table &t = core_.books().kontenGrid;
        if (k->key() == Qt::Key_Escape && t.isActive() && t.isEditing()) {
            runAction(ui_, [&t] { t.cancel(); });
            return true;
        }
        if (k->key() == Qt::Key_Delete && k->modifiers() == Qt::ControlModifier) {
            if (DbNavigator::confirmDelete(ui_))
                runAction(ui_, [&t] { t.remove(); });
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
