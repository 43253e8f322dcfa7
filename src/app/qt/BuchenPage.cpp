#include "BuchenPage.h"

#include "KontoCombo.h"
#include "DbNavigator.h"
#include "EventBoundary.h"
#include "Panel.h"
#include "app/Shell.h"
#include "posting/BuchungRules.h"
#include "posting/StornoRules.h"
#include "ui/Ui.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QScopedValueRollback>
#include <QShortcut>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

namespace {
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
const QString kSoll = QStringLiteral("Soll");
const QString kHaben = QStringLiteral("Haben");
const QString kGrid = QStringLiteral("DBGrid2");
} // namespace

QString germanNumberText(const QVariant &v) {
    if (v.isNull())
        return QString();
    return QString::number(v.toDouble(), 'g', 15).replace(QLatin1Char('.'), QLatin1Char(','));
}

QString rowAmountText(const Table &t, const QString &field) {
    // Only a row marked as DM is DM; rows without the flag were entered in euro.
    const QVariant euro = t.value(QStringLiteral("Euro"));
    return BuchungRules::amountText(t.value(field), euro.isNull() || euro.toBool(), false);
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

BuchenPage::BuchenPage(Shell &core, QWidget *parent) : QWidget(parent), core_(core) {
    setObjectName(QStringLiteral("BuchenPanel"));
    auto *lay = new QVBoxLayout(this);
    lay->setContentsMargins(0, 0, 0, 0);
    buildPanel();
    buildGrid();
    connectRules();
}

BuchenPage::~BuchenPage() {
    // The controls die after this body; focus leaving them is no leaving of a field any more,
    // and the rules must not start a timer that is gone.
    disconnect(qApp, nullptr, this, nullptr);
    core_.entry().startTimer = nullptr;
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
    soll_ = new KontoCombo(core_.books().konten);
    soll_->setObjectName(QStringLiteral("Soll"));
    haben_ = new KontoCombo(core_.books().konten);
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
    model_ = new TableModel(core_.books().stapel, gridColumns(), grid_);
    grid_->setModel(model_);
    followTableCursor(grid_, model_);
    setTabOrder(opDatum_, grid_);
    layout()->addWidget(grid_);
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

QString BuchenPage::amountField() const {
    return core_.entry().grossMode ? QStringLiteral("Brutto") : QStringLiteral("Netto");
}

void BuchenPage::showCurrentRow() {
    const Table &t = core_.books().stapel;
    const bool row = t.isActive() && (t.isEditing() || !t.isEmpty());
    auto text = [&](const QString &field) { return row ? t.asString(field) : QString(); };
    // A control keeps what is being typed into it until it is left or the row changes.
    auto set = [this](QWidget *w, const QString &v) {
        if (typing_.contains(w))
            return;
        if (auto *e = qobject_cast<QLineEdit *>(w)) {
            if (e->text() != v)
                e->setText(v);
        } else if (auto *c = qobject_cast<QComboBox *>(w)) {
            if (c->currentText() != v)
                c->setEditText(v);
        }
    };
    const BuchungRules &e = core_.entry();
    {
        QSignalBlocker b1(brutto_), b2(netto_);
        (e.grossMode ? brutto_ : netto_)->setChecked(true);
    }
    mwst_->setEnabled(e.mwstEnabled);
    try {
        set(bDatum_, text(QStringLiteral("Belegdatum")));
        set(belNr_, text(QStringLiteral("Belegnummer")));
        set(soll_, text(kSoll));
        set(haben_, text(kHaben));
        set(buchText_, text(QStringLiteral("Buchungstext")));
        set(betrag_,
            row ? BuchungRules::amountText(t.value(amountField()), true, true) : QString());
        set(mwst_, row ? germanNumberText(t.value(QStringLiteral("Steuersatz"))) : QString());
        set(ustId_, text(QStringLiteral("IDNr")));
    } catch (const std::exception &) {
        // A row that cannot be read leaves the panel as it was.
    }
    showAccountPanels();
}

void BuchenPage::showAccountPanels() {
    const Table &t = core_.books().stapel;
    const bool row = t.isActive() && (t.isEditing() || !t.isEmpty());
    auto account = [&](const QString &side, const char *name, const char *saldo) {
        // While an account is typed, the panel shows what has been typed so far.
        const QString typed = core_.entry().searchText(side);
        if (!typed.isEmpty())
            return typed;
        if (!row)
            return QString();
        const QVariant s = t.value(QString::fromLatin1(saldo));
        // The look-up brings the balance in the table's money units.
        const QString balance =
            s.isNull() ? QString() : Money::fromUnits(s.toLongLong()).toGerman();
        return t.asString(QString::fromLatin1(name)) + QLatin1Char('\n') + balance;
    };
    try {
        sollSaldo_->setText(account(kSoll, "XSollName", "XSollSaldo"));
        habenSaldo_->setText(account(kHaben, "XHabenName", "XHabenSaldo"));
    } catch (const std::exception &) {
    }
}

// ---------------------------------------------------------------- forwarding to the rules

void BuchenPage::connectRules() {
    QPointer<BuchenPage> self(this);
    core_.books().stapel.addObserver([self](Table::Change c) {
        if (!self || TableModel::isReading(self->core_.books().stapel))
            return;
        // Typed text belongs to the row as it was being edited; another row, a stored or a
        // cancelled one shows its own values.
        const bool rowEnded = c == Table::Change::Current || c == Table::Change::Reset ||
                              (c == Table::Change::State && !self->core_.books().stapel.isEditing());
        if (rowEnded)
            self->typing_.clear();
        self->showCurrentRow();
    });

    timer1_ = new QTimer(this);
    timer1_->setObjectName(QStringLiteral("Timer1"));
    timer1_->setSingleShot(true);
    timer1_->setInterval(200);
    connect(timer1_, &QTimer::timeout, this,
            [this] { runAction(core_.ui(), [this] { core_.entry().refocusHaben(); }); });
    core_.entry().startTimer = [this] { timer1_->start(); };

    connect(qApp, &QApplication::focusChanged, this,
            [this](QWidget *, QWidget *now) { onFocusChanged(now); });

    for (QLineEdit *le : {bDatum_, belNr_, betrag_, mwst_})
        connect(le, &QLineEdit::textEdited, this, [this, le] { typed(le); });
    connect(buchText_->lineEdit(), &QLineEdit::textEdited, this, [this] { typed(buchText_); });
    connect(buchText_, &QComboBox::activated, this, &BuchenPage::pickBookingText);

    for (QComboBox *box : {soll_, haben_}) {
        box->installEventFilter(this);
        box->lineEdit()->installEventFilter(this);
        connect(box, &QComboBox::activated, this, [this, box](int i) { pickAccount(box, i); });
    }
    bDatum_->installEventFilter(this);
    grid_->installEventFilter(this);

    connect(brutto_, &QRadioButton::clicked, this, [this] { amountMode(true); });
    connect(netto_, &QRadioButton::clicked, this, [this] { amountMode(false); });
    // A click on "Abbrechen" must not first store the row by leaving the amount field.
    abbruch_->setFocusPolicy(Qt::TabFocus);
    auto cancel = [this] { runAction(core_.ui(), [this] { core_.entry().cancelRow(); }); };
    connect(abbruch_, &QPushButton::clicked, this, cancel);
    // Esc is the cancel button's key anywhere on the page, and cancels at once (a button's
    // own shortcut would click it only after its animation).
    auto *esc = new QShortcut(QKeySequence(Qt::Key_Escape), this, nullptr, nullptr,
                              Qt::WidgetWithChildrenShortcut);
    esc->setObjectName(QStringLiteral("AbbruchKey"));
    connect(esc, &QShortcut::activated, this, cancel);
    connect(sollSaldo_, &Panel::clicked, this, [this] { soll_->setFocus(Qt::MouseFocusReason); });
    connect(habenSaldo_, &Panel::clicked, this, [this] { haben_->setFocus(Qt::MouseFocusReason); });
}

QString BuchenPage::controlName(QWidget *w) const {
    const QWidget *controls[] = {bDatum_, belNr_, soll_, haben_, buchText_, betrag_,
                                 brutto_, netto_, mwst_, ustId_, abbruch_,  opDatum_};
    for (; w && w != this; w = w->parentWidget()) {
        if (w == grid_)
            return kGrid;
        for (const QWidget *c : controls)
            if (w == c)
                return w->objectName();
    }
    return QString();
}

QWidget *BuchenPage::control(const QString &name) const {
    if (name.isEmpty())
        return nullptr;
    return name == kGrid ? grid_ : findChild<QWidget *>(name);
}

QString BuchenPage::sideOf(const QObject *o) const {
    return (o == haben_ || o == haben_->lineEdit()) ? kHaben : kSoll;
}

void BuchenPage::onFocusChanged(QWidget *now) {
    // Focus that goes to another window (a message, a drop-down list) does not leave the
    // control; moves made while the rules run are theirs.
    if (inFocusChange_ || !now || now->window() != window())
        return;
    BuchungRules &e = core_.entry();
    const QString target = controlName(now);
    if (target == e.focused())
        return;
    QScopedValueRollback<bool> guard(inFocusChange_, true);

    // What was typed is part of the row before the exit handlers look at it.
    const QSet<QWidget *> typed = typing_;
    for (QWidget *w : typed) {
        if (controlName(w) == target)
            continue;
        if (!settle(w, true))
            return;
        typing_.remove(w);
    }
    bool moved = false;
    runAction(core_.ui(), [&] { moved = e.moveFocus(target); });
    if (!moved) {
        // Refused: the rules have put their focus where the person has to go on.
        if (QWidget *w = control(e.focused()))
            w->setFocus(Qt::OtherFocusReason);
    }
    showCurrentRow();
}

void BuchenPage::typed(QWidget *w) {
    Table &t = core_.books().stapel;
    if (!t.isActive())
        return;
    typing_.insert(w);
    if (!t.isEditing()) {
        // A bound control puts its row into edit state with the first key typed (an empty
        // batch gets a new row instead, and the rules move to its date).
        const QString before = core_.entry().focused();
        const bool editing = runAction(core_.ui(), [&t] { t.edit(); });
        if (!editing || core_.entry().focused() != before) {
            typing_.remove(w);
            showCurrentRow();
            return;
        }
    }
    settle(w, false);
}

bool BuchenPage::settle(QWidget *w, bool report) {
    Table &t = core_.books().stapel;
    if (!t.isActive() || !t.isEditing())
        return true;
    try {
        if (w == bDatum_) {
            t.setValue(QStringLiteral("Belegdatum"), bDatum_->text());
        } else if (w == belNr_) {
            t.setValue(QStringLiteral("Belegnummer"), belNr_->text());
        } else if (w == buchText_) {
            t.setValue(QStringLiteral("Buchungstext"), buchText_->currentText());
        } else if (w == mwst_) {
            t.setValue(QStringLiteral("Steuersatz"), mwst_->text());
        } else if (w == betrag_) {
            const QString text = betrag_->text();
            if (text.trimmed().isEmpty())
                core_.entry().clearAmount();
            else if (auto m = Money::parseGerman(text))
                core_.entry().setAmount(*m);
            else
                t.setValue(amountField(), text); // the table's conversion says why it is none
        }
        return true;
    } catch (const SilentAbort &) {
    } catch (const EngineError &err) {
        if (report) {
            w->setFocus(Qt::OtherFocusReason);
            core_.ui().error(err.message());
        }
    }
    return false;
}

bool BuchenPage::eventFilter(QObject *watched, QEvent *event) {
    const bool account = watched == soll_ || watched == haben_ || watched == soll_->lineEdit() ||
                         watched == haben_->lineEdit();
    if (account && event->type() == QEvent::ShortcutOverride) {
        // Esc ends a running account search instead of cancelling the row.
        auto *k = static_cast<QKeyEvent *>(event);
        if (k->key() == Qt::Key_Escape && !core_.entry().searchText(sideOf(watched)).isEmpty()) {
            k->accept();
            return true;
        }
        return false;
    }
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    auto *k = static_cast<QKeyEvent *>(event);
    if (account)
        return accountKeyPress(sideOf(watched) == kSoll ? soll_ : haben_, k);
    if (watched == bDatum_ && k->modifiers() == Qt::NoModifier &&
        (k->key() == Qt::Key_Up || k->key() == Qt::Key_Down)) {
        dateKey(k->key() == Qt::Key_Up ? 1 : -1);
        return true;
    }
    if (watched == grid_ && k->key() == Qt::Key_Delete && k->modifiers() == Qt::ControlModifier) {
        Ui &ui = core_.ui();
        if (DbNavigator::confirmDelete(ui))
            runAction(ui, [this] { core_.entry().deleteRow(); });
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

bool BuchenPage::accountKeyPress(QComboBox *box, QKeyEvent *k) {
    const int key = k->key();
    // Moving on and opening the list stay the drop-down's; every other key is the search's.
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab)
        return false;
    if ((k->modifiers() & Qt::AltModifier) && (key == Qt::Key_Down || key == Qt::Key_Up))
        return false;
    const QString side = sideOf(box);
    BuchungRules &e = core_.entry();
    Ui &ui = core_.ui();
    if (key == Qt::Key_Backspace) {
        e.accountBackspace(side);
    } else if (key == Qt::Key_Escape) {
        runAction(ui, [&] { e.accountEscape(side); });
    } else if (!(k->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
        for (QChar ch : k->text())
            if (ch.isPrint() && !runAction(ui, [&] { e.accountKey(side, ch); }))
                break;
    }
    showAccountPanels();
    return true;
}

void BuchenPage::pickAccount(QComboBox *box, int index) {
    // An account picked from the list is written into the row as a bound drop-down does.
    const qint64 nr = box->itemText(index).toLongLong();
    const QString side = sideOf(box);
    Table &t = core_.books().stapel;
    runAction(core_.ui(), [&] {
        if (!t.isEditing())
            t.edit();
        t.setValue(side, nr);
    });
    showCurrentRow();
}

void BuchenPage::pickBookingText() {
    // The chosen text is the row's text first, as with a bound drop-down; then the rules
    // look for its template.
    typed(buchText_);
    if (core_.books().stapel.isActive() && core_.books().stapel.isEditing())
        runAction(core_.ui(), [this] { applyTemplate(core_.books(), core_.entry()); });
    showCurrentRow();
}

void BuchenPage::syncFocus() {
    onFocusChanged(QApplication::focusWidget());
}

void BuchenPage::dateKey(int daysDelta) {
    if (typing_.contains(bDatum_))
        settle(bDatum_, false);
    core_.entry().stepBelegdatum(daysDelta);
    typing_.remove(bDatum_);
    showCurrentRow();
}

void BuchenPage::amountMode(bool gross) {
    // The amount typed so far belongs to the field the amount was bound to.
    if (typing_.contains(betrag_))
        settle(betrag_, false);
    typing_.remove(betrag_);
    BuchungRules &e = core_.entry();
    if (gross)
        e.chooseGross();
    else
        e.chooseNet();
    showCurrentRow();
}
