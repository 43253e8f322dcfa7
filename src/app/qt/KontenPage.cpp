#include "KontenPage.h"

#include "BuchenPage.h"
#include "DbNavigator.h"
#include "app/UBuchhaltung.h"

#include <QHBoxLayout>
#include <QHeaderView>
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
    return {
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
}

KontenPage::KontenPage(TFBuchhaltung &core, Ui &ui, QWidget *parent) : QWidget(parent) {
    setObjectName(QStringLiteral("KontenPanel"));
    auto *lay = new QVBoxLayout(this);
    lay->setContentsMargins(0, 0, 0, 0);

    auto *bar = new QHBoxLayout;
    navigator_ = new DbNavigator(core.TKonten2, ui, this);
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
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    // Display only until the chart's editing rules are connected to the grid.
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 6);
    model_ = new TableModel(core.TKonten2, gridColumns(), grid_);
    grid_->setModel(model_);
    followTableCursor(grid_, model_);
    lay->addWidget(grid_, 1);
}
