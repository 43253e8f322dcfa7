#include "BuchenPage.h"

#include "Panel.h"
#include "app/UBuchhaltung.h"
#include "store/Query.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

namespace {
// The account drop-downs list every account with number and name. The list is read when it
// is opened, so it always shows the accounts as they are now, and the text being typed into
// the field is kept while the list is refilled.
class AccountCombo : public QComboBox {
public:
    explicit AccountCombo(std::function<void(QComboBox *)> fill, QWidget *parent = nullptr)
        : QComboBox(parent), fill_(std::move(fill)) {
        setEditable(true);
        setInsertPolicy(QComboBox::NoInsert);
        setMaxVisibleItems(14);
        setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        setMinimumContentsLength(8);
        auto *view = new QTableView(this);
        view->horizontalHeader()->hide();
        view->verticalHeader()->hide();
        view->setSelectionBehavior(QAbstractItemView::SelectRows);
        view->setShowGrid(false);
        view->setMinimumWidth(300);
        setModel(new QStandardItemModel(0, 2, this));
        setView(view);
    }
    void showPopup() override {
        const QString typed = currentText();
        {
            QSignalBlocker block(this);
            fill_(this);
            setCurrentIndex(-1);
            setEditText(typed);
        }
        if (auto *v = qobject_cast<QTableView *>(view()))
            v->resizeColumnsToContents();
        QComboBox::showPopup();
    }

private:
    std::function<void(QComboBox *)> fill_;
};

QLabel *caption(const QString &text, QWidget *buddy, const QString &name) {
    auto *l = new QLabel(text);
    l->setBuddy(buddy);
    l->setObjectName(name);
    return l;
}

QLineEdit *edit(const QString &name, const QString &hint) {
    auto *e = new QLineEdit;
    e->setObjectName(name);
    e->setToolTip(hint);
    return e;
}

constexpr auto kRight = Qt::AlignRight | Qt::AlignVCenter;
} // namespace

QString germanNumberText(const QVariant &v) {
    if (v.isNull())
        return QString();
    return QString::number(v.toDouble(), 'g', 15).replace(QLatin1Char('.'), QLatin1Char(','));
}

QString rowAmountText(const Table &t, const QString &field) {
    const QVariant v = t.value(field);
    if (v.isNull())
        return QString();
    // Only a row marked as DM is DM; rows without the flag were entered in euro.
    const QVariant euro = t.value(QStringLiteral("Euro"));
    const bool dm = !euro.isNull() && !euro.toBool();
    return t.asMoney(field).toGerman() + (dm ? QStringLiteral(" DM") : QStringLiteral(" €"));
}

QList<TableColumn> BuchenPage::gridColumns() {
    auto amount = [](const char *f) {
        const QString field = QString::fromLatin1(f);
        return [field](const Table &t) { return rowAmountText(t, field); };
    };
    auto number = [](const char *f) {
        const QString field = QString::fromLatin1(f);
        return [field](const Table &t) { return germanNumberText(t.value(field)); };
    };
    return {
        {QStringLiteral("Belegdatum"), QStringLiteral("Belegdatum")},
        {QStringLiteral("Belegnummer"), QStringLiteral("Belegnr."), kRight},
        {QStringLiteral("Soll"), QStringLiteral("Soll"), kRight},
        {QStringLiteral("Haben"), QStringLiteral("Haben"), kRight},
        {QStringLiteral("Buchungstext"), QStringLiteral("Buchungstext")},
        {QStringLiteral("Brutto"), QStringLiteral("Brutto"), kRight, amount("Brutto")},
        {QStringLiteral("Steuer"), QStringLiteral("Steuer"), kRight, amount("Steuer")},
        {QStringLiteral("Netto"), QStringLiteral("Netto"), kRight, amount("Netto")},
        {QStringLiteral("Steuersatz"), QStringLiteral("Steuersatz"), kRight, number("Steuersatz")},
        {QStringLiteral("Stfaellig"), QStringLiteral("Steuer fällig"), kRight, amount("Stfaellig")},
        {QStringLiteral("Satzfaellig"), QStringLiteral("Satz fällig"), kRight,
         number("Satzfaellig")},
    };
}

BuchenPage::BuchenPage(TFBuchhaltung &core, QWidget *parent) : QWidget(parent), core_(core) {
    setObjectName(QStringLiteral("BuchenPanel"));
    auto *lay = new QVBoxLayout(this);
    lay->setContentsMargins(0, 0, 0, 0);
    buildPanel();
    buildGrid();

    QPointer<BuchenPage> self(this);
    core_.TBuchungen.addObserver([self](Table::Change) {
        if (self && !TableModel::isReading(self->core_.TBuchungen))
            self->showCurrentRow();
    });
}

void BuchenPage::buildPanel() {
    auto *panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    auto *g = new QGridLayout(panel);

    bDatum_ = edit(QStringLiteral("BDatum"), QString());
    bDatum_->setMaxLength(10);
    belNr_ = edit(QStringLiteral("BelNr"), QStringLiteral("nur Zahlen erlaubt"));
    belNr_->setProperty("helpContext", 12);
    belNr_->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,9}")), belNr_));
    auto fill = [this](QComboBox *box) { fillAccountList(box); };
    soll_ = new AccountCombo(fill);
    soll_->setObjectName(QStringLiteral("Soll"));
    haben_ = new AccountCombo(fill);
    haben_->setObjectName(QStringLiteral("Haben"));
    for (QComboBox *c : {soll_, haben_}) {
        c->setToolTip(QStringLiteral("Sie können auch die Nummer tippen."));
        c->setProperty("helpContext", 13);
    }
    buchText_ = new QComboBox;
    buchText_->setObjectName(QStringLiteral("BuchText"));
    buchText_->setEditable(true);
    buchText_->setInsertPolicy(QComboBox::NoInsert);
    buchText_->lineEdit()->setMaxLength(30);
    buchText_->setToolTip(QStringLiteral("30 Zeichen freie Eingabe oder wählen"));
    sollSaldo_ = new Panel;
    sollSaldo_->setObjectName(QStringLiteral("SollSaldo"));
    habenSaldo_ = new Panel;
    habenSaldo_->setObjectName(QStringLiteral("HabenSaldo"));
    for (Panel *p : {sollSaldo_, habenSaldo_}) {
        p->setToolTip(QStringLiteral("aktueller Saldo"));
        p->setMinimumWidth(220);
    }
    betrag_ = edit(QStringLiteral("Betrag"), QStringLiteral("Buchungsbetrag brutto oder netto"));
    betrag_->setAlignment(Qt::AlignRight);
    betrag_->setProperty("helpContext", 15);
    brutto_ = new QRadioButton(QStringLiteral("B&Rutto"));
    brutto_->setObjectName(QStringLiteral("Brutto"));
    brutto_->setToolTip(QStringLiteral("Betrag-Eingabe inkl. Mwst"));
    brutto_->setChecked(true);
    netto_ = new QRadioButton(QStringLiteral("&Netto"));
    netto_->setObjectName(QStringLiteral("Netto"));
    netto_->setToolTip(QStringLiteral("Betrag-Eingabe ohne Mwst"));
    mwst_ = edit(QStringLiteral("Mwst"), QStringLiteral("Mwst-Satz wird vom Konto abgeleitet"));
    mwst_->setProperty("helpContext", 16);
    mwst_->setMaximumWidth(60);
    ustId_ = edit(QStringLiteral("UstID"), QString());
    ustId_->setMaxLength(12);
    abbruch_ = new QPushButton(QStringLiteral("Abbrechen"));
    abbruch_->setObjectName(QStringLiteral("Abbruch"));
    abbruch_->setShortcut(QKeySequence(Qt::Key_Escape));
    opDatum_ = edit(QStringLiteral("OPDatum"), QString());
    opDatum_->setMaxLength(10);

    auto *splitting = new QLabel(QStringLiteral("F4 - Splitting"));
    splitting->setObjectName(QStringLiteral("LSplitting"));
    ustIdLabel_ = caption(QStringLiteral("&Ust-ID:"), ustId_, QStringLiteral("LUstID"));
    opDatumLabel_ = caption(QStringLiteral("&Zahlungsziel"), opDatum_, QStringLiteral("LOPDatum"));

    g->addWidget(caption(QStringLiteral("&Datum:"), bDatum_, QStringLiteral("LDatum")), 0, 0);
    g->addWidget(bDatum_, 0, 1);
    g->addWidget(splitting, 0, 2);
    g->addWidget(caption(QStringLiteral("&Belegnr.:"), belNr_, QStringLiteral("LBelNr")), 0, 3);
    g->addWidget(belNr_, 0, 4);
    g->addWidget(caption(QStringLiteral("&Soll:"), soll_, QStringLiteral("LSoll")), 1, 0);
    g->addWidget(soll_, 1, 1);
    g->addWidget(sollSaldo_, 1, 2, 1, 3);
    g->addWidget(caption(QStringLiteral("&Haben:"), haben_, QStringLiteral("LHaben")), 2, 0);
    g->addWidget(haben_, 2, 1);
    g->addWidget(habenSaldo_, 2, 2, 1, 3);
    g->addWidget(caption(QStringLiteral("&Text:"), buchText_, QStringLiteral("LText")), 3, 0);
    g->addWidget(buchText_, 3, 1, 1, 4);

    auto *amountRow = new QHBoxLayout;
    amountRow->addWidget(brutto_);
    amountRow->addWidget(netto_);
    amountRow->addWidget(caption(QStringLiteral("&Mwst:"), mwst_, QStringLiteral("LMwst")));
    amountRow->addWidget(mwst_);
    amountRow->addWidget(ustIdLabel_);
    amountRow->addWidget(ustId_);
    amountRow->addWidget(opDatumLabel_);
    amountRow->addWidget(opDatum_);
    amountRow->addStretch(1);
    amountRow->addWidget(abbruch_);
    g->addWidget(caption(QStringLiteral("Betr&ag:"), betrag_, QStringLiteral("LBetrag")), 4, 0);
    g->addWidget(betrag_, 4, 1);
    g->addLayout(amountRow, 4, 2, 1, 3);
    g->setColumnStretch(4, 1);

    // The VAT id is kept with a row but not typed here; the payment-due field belongs to
    // the open-items module and is enabled by it for a row that opens an item.
    ustId_->hide();
    ustIdLabel_->hide();
    opDatum_->setEnabled(false);
    setOPDatumVisible(false);

    QWidget *order[] = {bDatum_, belNr_, soll_, haben_, buchText_, betrag_,
                        brutto_, netto_, mwst_, ustId_, abbruch_,  opDatum_};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
    layout()->addWidget(panel);
}

void BuchenPage::buildGrid() {
    grid_ = new QTableView(this);
    grid_->setObjectName(QStringLiteral("DBGrid2"));
    grid_->setToolTip(QStringLiteral("Buchungssatz anklicken und oben ändern"));
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 6);
    model_ = new TableModel(core_.TBuchungen, gridColumns(), grid_);
    grid_->setModel(model_);
    followTableCursor(grid_, model_);
    setTabOrder(opDatum_, grid_);
    layout()->addWidget(grid_);
}

void BuchenPage::fillAccountList(QComboBox *box) {
    auto *m = qobject_cast<QStandardItemModel *>(box->model());
    if (!m)
        return;
    m->setRowCount(0);
    const Table &konten = core_.TKonten;
    if (!konten.isActive())
        return;
    // Read beside the table object, so that the posting rules' cursor on it stays put.
    Query q;
    q.setTable(QStringLiteral("K"), konten.path());
    q.lines() << QStringLiteral("SELECT KtoNr, Name FROM K.\"%1\" ORDER BY KtoNr")
                     .arg(konten.innerName());
    try {
        q.forEach([m](const QStringList &, const QVariantList &row) {
            m->appendRow({new QStandardItem(row.value(0).toString()),
                          new QStandardItem(row.value(1).toString())});
            return true;
        });
    } catch (const std::exception &) {
        // An unreadable chart leaves the list empty; typing the number still works.
    }
}

void BuchenPage::setBookingTexts(const QStringList &texts) {
    QStringList sorted = texts;
    sorted.sort(Qt::CaseInsensitive);
    const QString typed = buchText_->currentText();
    QSignalBlocker block(buchText_);
    buchText_->clear();
    buchText_->addItems(sorted);
    buchText_->setCurrentIndex(-1);
    buchText_->setEditText(typed);
}

void BuchenPage::setCashBasisColumns(bool visible) {
    for (const char *f : {"Stfaellig", "Satzfaellig"})
        grid_->setColumnHidden(model_->columnOf(QString::fromLatin1(f)), !visible);
}

void BuchenPage::setOPDatumVisible(bool visible) {
    opDatum_->setVisible(visible);
    opDatumLabel_->setVisible(visible);
}

void BuchenPage::showCurrentRow() {
    const Table &t = core_.TBuchungen;
    const bool row = t.isActive() && (t.isEditing() || !t.isEmpty());
    auto text = [&](const QString &field) { return row ? t.asString(field) : QString(); };
    auto set = [](QWidget *w, const QString &v) {
        if (w->hasFocus())
            return;
        if (auto *e = qobject_cast<QLineEdit *>(w)) {
            if (e->text() != v)
                e->setText(v);
        } else if (auto *c = qobject_cast<QComboBox *>(w)) {
            if (c->currentText() != v)
                c->setEditText(v);
        }
    };
    try {
        set(bDatum_, text(QStringLiteral("Belegdatum")));
        set(belNr_, text(QStringLiteral("Belegnummer")));
        set(soll_, text(QStringLiteral("Soll")));
        set(haben_, text(QStringLiteral("Haben")));
        set(buchText_, text(QStringLiteral("Buchungstext")));
        const QString amountField =
            brutto_->isChecked() ? QStringLiteral("Brutto") : QStringLiteral("Netto");
        const QVariant amount = row ? t.value(amountField) : QVariant();
        set(betrag_, amount.isNull() ? QString() : t.asMoney(amountField).toGerman(2, false));
        set(mwst_, row ? germanNumberText(t.value(QStringLiteral("Steuersatz"))) : QString());
        set(ustId_, text(QStringLiteral("IDNr")));
        auto account = [&](const char *name, const char *saldo) {
            if (!row)
                return QString();
            const QVariant s = t.value(QString::fromLatin1(saldo));
            // The look-up brings the balance in the table's money units.
            const QString balance =
                s.isNull() ? QString() : Money::fromUnits(s.toLongLong()).toGerman();
            return t.asString(QString::fromLatin1(name)) + QLatin1Char('\n') + balance;
        };
        sollSaldo_->setText(account("XSollName", "XSollSaldo"));
        habenSaldo_->setText(account("XHabenName", "XHabenSaldo"));
    } catch (const std::exception &) {
        // A row that cannot be read leaves the panel as it was.
    }
}
