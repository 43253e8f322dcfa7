#include "KontenPage.h"

#include "BuchenPage.h"
#include "DbNavigator.h"
#include "EventBoundary.h"
#include "KontenDelegate.h"
#include "accounts/KontenRules.h"
#include "app/Shell.h"
#include "books/SaldenRecompute.h"
#include "ui/Ui.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMap>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>
namespace ledra {

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
    const QString amountSample = QStringLiteral("-999.999,99");
    const QMap<QString, QString> samples{
        {QStringLiteral("KtoNr"), QStringLiteral("999999")},
        {QStringLiteral("Name"), QStringLiteral("Wareneingang 19 % Vorsteuer 12")},
        {QStringLiteral("XArt"), QStringLiteral("Fremdleistung")},
        {QStringLiteral("Saldo"), amountSample},
        {QStringLiteral("Soll"), amountSample},
        {QStringLiteral("Haben"), amountSample},
        {QStringLiteral("xBWA"), QStringLiteral("Sonstige Aufwendungen")},
        {QStringLiteral("xBilanz"), QStringLiteral("Sonstige Verbindlichkeiten")},
    };
    for (TableColumn &c : columns) {
        c.editable = c.field != QLatin1String("Saldo");
        c.sample = samples.value(c.field);
    }
    columns[KontenDelegate::Saldo].userData = typeAndBalance;
    return columns;
}

KontenPage::KontenPage(Shell &core, Ui &ui, QWidget *parent)
    : QWidget(parent), m_core(core), m_ui(ui) {
    setObjectName(QStringLiteral("KontenPanel"));
    auto *lay = new QVBoxLayout(this);
    lay->setContentsMargins(0, 0, 0, 0);

    auto *bar = new QHBoxLayout;
    m_navigator = new DbNavigator(core.books().kontenGrid, ui, this);
    m_navigator->setObjectName(QStringLiteral("DBNavigator1"));
    bar->addWidget(m_navigator);
    m_edit1 = new QLineEdit(this);
    m_edit1->setObjectName(QStringLiteral("Edit1"));
    m_edit1->setToolTip(QStringLiteral("Suchbegriff Name"));
    m_edit1->setMaximumWidth(200);
    bar->addWidget(m_edit1);
    auto button = [this, bar](const QString &name, const QString &text, const QString &hint) {
        auto *b = new QPushButton(text, this);
        b->setObjectName(name);
        b->setToolTip(hint);
        bar->addWidget(b);
        return b;
    };
    m_suchen = button(QStringLiteral("Suchen"), QStringLiteral("Suchen"), QStringLiteral("Suchen"));
    bar->addStretch(1);
    m_saldenNeu = button(QStringLiteral("SaldenNeu"), QStringLiteral("Salden neu berechnen"),
                         QStringLiteral("Salden neu berechnen"));
    m_kBlatt = button(QStringLiteral("KBlatt"), QStringLiteral("Kontenblatt drucken..."),
                      QStringLiteral("Kontenblatt vom aktuellen Konto"));
    m_kBlatt->setProperty("helpContext", 21);
    m_sbJournal = button(QStringLiteral("SBJournal"), QStringLiteral("Journal drucken..."),
                         QStringLiteral("Journal drucken"));
    m_sbJournal->setProperty("helpContext", 22);
    lay->addLayout(bar);

    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("DBGrid1"));
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    // Several rows may be marked: the account sheet prints every marked account.
    m_grid->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // Typing or F2 edits a cell; a double click is left for the account sheet.
    m_grid->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + 6);
    m_model = new TableModel(core.books().kontenGrid, gridColumns(), m_grid);
    m_grid->setModel(m_model);
    fitColumns(m_grid, m_model);
    m_delegate = new KontenDelegate(core, ui, m_model, m_grid);
    m_grid->setItemDelegate(m_delegate);
    followTableCursor(m_grid, m_model);
    // The change guard depends on the grid's selected column.
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &now) {
                if (now.isValid())
                    m_core.chart().selectedColumn = now.column();
            });
    m_grid->installEventFilter(this);
    lay->addWidget(m_grid, 1);

    // Any change of the search text makes the next search start at the top.
    connect(m_edit1, &QLineEdit::textChanged, this,
            [this](const QString &text) { m_core.chart().setSearchText(text); });
    m_edit1->installEventFilter(this);
    connect(m_suchen, &QPushButton::clicked, this, &KontenPage::search);
    connect(m_saldenNeu, &QPushButton::clicked, this, &KontenPage::recomputeSalden);
}

std::vector<qint64> KontenPage::markedAccounts() const {
    std::vector<qint64> marks;
    const QModelIndexList rows = m_grid->selectionModel()->selectedRows();
    for (const QModelIndex &row : rows)
        if (const qint64 bm = m_model->bookmarkAt(row.row()))
            marks.push_back(bm);
    return marks;
}

void KontenPage::search() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    runAction(m_ui, [this] { m_core.chart().searchNext(); });
    QApplication::restoreOverrideCursor();
}

void KontenPage::recomputeSalden() {
    runAction(m_ui, [this] { ledra::recomputeSalden(m_core.books()); });
    emit dataReloaded();
}

bool KontenPage::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    auto *k = static_cast<QKeyEvent *>(event);
    const bool enter = k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter;
    if (watched == m_edit1 && enter) {
        // Enter in the search field is the search button and is not passed on.
        search();
        return true;
    }
    if (watched == m_grid) {
        Table &t = m_core.books().kontenGrid;
        if (k->key() == Qt::Key_Escape && t.isActive() && t.isEditing()) {
            runAction(m_ui, [&t] { t.cancel(); });
            return true;
        }
        if (k->key() == Qt::Key_Delete && k->modifiers() == Qt::ControlModifier) {
            if (DbNavigator::confirmDelete(m_ui))
                runAction(m_ui, [&t] { t.remove(); });
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace ledra
