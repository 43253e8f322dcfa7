#include "BuchenPage.h"

#include "DbNavigator.h"
#include "EventBoundary.h"
#include "KontoCombo.h"
#include "Panel.h"
#include "app/Shell.h"
#include "openitems/OffenePostenModule.h"
#include "posting/BuchungInput.h"
#include "posting/BuchungRules.h"
#include "posting/StornoRules.h"
#include "store/Dates.h"
#include "ui/Ui.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QScopedValueRollback>
#include <QShortcut>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
namespace ledra {

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
    QList<TableColumn> columns{
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
    // What the columns hold at their widest: a booking text has 30 characters, an amount
    // goes up to a million.
    const QString amountSample = QStringLiteral("-999.999,99 €");
    const QMap<QString, QString> samples{
        {QStringLiteral("Belegdatum"), QStringLiteral("00.00.0000")},
        {QStringLiteral("Belegnummer"), QStringLiteral("999999")},
        {QStringLiteral("Soll"), QStringLiteral("999999")},
        {QStringLiteral("Haben"), QStringLiteral("999999")},
        {QStringLiteral("Buchungstext"), QStringLiteral("Wareneingang 19 % Vorsteuer 12")},
        {QStringLiteral("Brutto"), amountSample},
        {QStringLiteral("Steuer"), amountSample},
        {QStringLiteral("Netto"), amountSample},
        {QStringLiteral("Stfaellig"), amountSample},
    };
    for (TableColumn &c : columns)
        c.sample = samples.value(c.field);
    return columns;
}

BuchenPage::BuchenPage(Shell &core, QWidget *parent) : QWidget(parent), m_core(core) {
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
    m_core.entry().startTimer = nullptr;
}

void BuchenPage::buildPanel() {
    auto *panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    auto *g = new QGridLayout(panel);

    m_bDatum = edit(QStringLiteral("BDatum"), QString());
    m_bDatum->setMaxLength(10);
    m_belNr = edit(QStringLiteral("BelNr"), QStringLiteral("nur Zahlen erlaubt"));
    m_belNr->setProperty("helpContext", 12);
    m_belNr->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,9}")), m_belNr));
    m_soll = new KontoCombo(m_core.books().konten);
    m_soll->setObjectName(QStringLiteral("Soll"));
    m_haben = new KontoCombo(m_core.books().konten);
    m_haben->setObjectName(QStringLiteral("Haben"));
    for (QComboBox *c : {m_soll, m_haben}) {
        c->setToolTip(QStringLiteral("Sie können auch die Nummer tippen."));
        c->setProperty("helpContext", 13);
    }
    m_buchText = new QComboBox;
    m_buchText->setObjectName(QStringLiteral("BuchText"));
    m_buchText->setEditable(true);
    m_buchText->setInsertPolicy(QComboBox::NoInsert);
    m_buchText->lineEdit()->setMaxLength(30);
    m_buchText->setToolTip(QStringLiteral("30 Zeichen freie Eingabe oder wählen"));
    m_sollSaldo = new Panel;
    m_sollSaldo->setObjectName(QStringLiteral("SollSaldo"));
    m_habenSaldo = new Panel;
    m_habenSaldo->setObjectName(QStringLiteral("HabenSaldo"));
    for (Panel *p : {m_sollSaldo, m_habenSaldo}) {
        p->setToolTip(QStringLiteral("aktueller Saldo"));
        p->setMinimumWidth(220);
    }
    m_betrag = edit(QStringLiteral("Betrag"), QStringLiteral("Buchungsbetrag brutto oder netto"));
    m_betrag->setAlignment(Qt::AlignRight);
    m_betrag->setProperty("helpContext", 15);
    m_brutto = new QRadioButton(QStringLiteral("B&Rutto"));
    m_brutto->setObjectName(QStringLiteral("Brutto"));
    m_brutto->setToolTip(QStringLiteral("Betrag-Eingabe inkl. Mwst"));
    m_brutto->setChecked(true);
    m_netto = new QRadioButton(QStringLiteral("&Netto"));
    m_netto->setObjectName(QStringLiteral("Netto"));
    m_netto->setToolTip(QStringLiteral("Betrag-Eingabe ohne Mwst"));
    m_mwst = edit(QStringLiteral("Mwst"), QStringLiteral("Mwst-Satz wird vom Konto abgeleitet"));
    m_mwst->setProperty("helpContext", 16);
    m_mwst->setMaximumWidth(60);
    m_ustId = edit(QStringLiteral("UstID"), QString());
    m_ustId->setMaxLength(12);
    m_abbruch = new QPushButton(QStringLiteral("Abbrechen"));
    m_abbruch->setObjectName(QStringLiteral("Abbruch"));
    m_opDatum = edit(QStringLiteral("OPDatum"), QString());
    m_opDatum->setMaxLength(10);

    auto *splitting = new QLabel(QStringLiteral("F4 - Splitting"));
    splitting->setObjectName(QStringLiteral("LSplitting"));
    m_ustIdLabel = caption(QStringLiteral("&Ust-ID:"), m_ustId, QStringLiteral("LUstID"));
    m_opDatumLabel =
        caption(QStringLiteral("&Zahlungsziel"), m_opDatum, QStringLiteral("LOPDatum"));

    g->addWidget(caption(QStringLiteral("&Datum:"), m_bDatum, QStringLiteral("LDatum")), 0, 0);
    g->addWidget(m_bDatum, 0, 1);
    g->addWidget(splitting, 0, 2);
    g->addWidget(caption(QStringLiteral("&Belegnr.:"), m_belNr, QStringLiteral("LBelNr")), 0, 3);
    g->addWidget(m_belNr, 0, 4);
    g->addWidget(caption(QStringLiteral("&Soll:"), m_soll, QStringLiteral("LSoll")), 1, 0);
    g->addWidget(m_soll, 1, 1);
    g->addWidget(m_sollSaldo, 1, 2, 1, 3);
    g->addWidget(caption(QStringLiteral("&Haben:"), m_haben, QStringLiteral("LHaben")), 2, 0);
    g->addWidget(m_haben, 2, 1);
    g->addWidget(m_habenSaldo, 2, 2, 1, 3);
    g->addWidget(caption(QStringLiteral("&Text:"), m_buchText, QStringLiteral("LText")), 3, 0);
    g->addWidget(m_buchText, 3, 1, 1, 4);

    auto *amountRow = new QHBoxLayout;
    amountRow->addWidget(m_brutto);
    amountRow->addWidget(m_netto);
    amountRow->addWidget(caption(QStringLiteral("&Mwst:"), m_mwst, QStringLiteral("LMwst")));
    amountRow->addWidget(m_mwst);
    amountRow->addWidget(m_ustIdLabel);
    amountRow->addWidget(m_ustId);
    amountRow->addWidget(m_opDatumLabel);
    amountRow->addWidget(m_opDatum);
    amountRow->addStretch(1);
    amountRow->addWidget(m_abbruch);
    g->addWidget(caption(QStringLiteral("Betr&ag:"), m_betrag, QStringLiteral("LBetrag")), 4, 0);
    g->addWidget(m_betrag, 4, 1);
    g->addLayout(amountRow, 4, 2, 1, 3);
    g->setColumnStretch(4, 1);

    // The VAT id is kept with a row but not typed here; the payment-due field belongs to
    // the open-items module and is enabled by it for a row that opens an item.
    m_ustId->hide();
    m_ustIdLabel->hide();
    m_opDatum->setEnabled(false);
    setOPDatumVisible(false);

    QWidget *order[] = {m_bDatum, m_belNr, m_soll, m_haben, m_buchText, m_betrag,
                        m_brutto, m_netto, m_mwst, m_ustId, m_abbruch,  m_opDatum};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
    layout()->addWidget(panel);
}

void BuchenPage::buildGrid() {
    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("DBGrid2"));
    m_grid->setToolTip(QStringLiteral("Buchungssatz anklicken und oben ändern"));
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + 6);
    m_model = new TableModel(m_core.books().stapel, gridColumns(), m_grid);
    m_grid->setModel(m_model);
    fitColumns(m_grid, m_model);
    followTableCursor(m_grid, m_model);
    setTabOrder(m_opDatum, m_grid);
    layout()->addWidget(m_grid);
}

void BuchenPage::setBookingTexts(const QStringList &texts) {
    QStringList sorted = texts;
    sorted.sort(Qt::CaseInsensitive);
    const QString typed = m_buchText->currentText();
    QSignalBlocker block(m_buchText);
    m_buchText->clear();
    m_buchText->addItems(sorted);
    m_buchText->setCurrentIndex(-1);
    m_buchText->setEditText(typed);
}

void BuchenPage::setCashBasisColumns(bool visible) {
    for (const char *f : {"Stfaellig", "Satzfaellig"})
        m_grid->setColumnHidden(m_model->columnOf(QString::fromLatin1(f)), !visible);
}

void BuchenPage::showPaymentTarget(bool enabled) {
    OffenePostenModule *op = m_core.openItems();
    const Table &t = m_core.books().stapel;
    QDate d;
    if (op && enabled && t.isActive() && !t.isEmpty())
        d = op->paymentTarget(int(t.asInt(QStringLiteral("Autonummer"))));
    m_opDatum->setEnabled(enabled);
    if (!m_opDatum->hasFocus())
        m_opDatum->setText(d.isValid() ? germanDate(d) : QString());
}

void BuchenPage::storePaymentTarget() {
    OffenePostenModule *op = m_core.openItems();
    const Table &t = m_core.books().stapel;
    if (!op || !m_opDatum->isEnabled() || !t.isActive() || t.isEmpty())
        return;
    const QString text = m_opDatum->text().trimmed();
    const std::optional<QDate> d =
        text.isEmpty() ? std::optional<QDate>(QDate()) : parseGermanDate(text);
    if (!d) {
        m_core.ui().error(QStringLiteral("'%1' ist kein gültiges Datum").arg(text));
        m_opDatum->setFocus();
        return;
    }
    runAction(m_core.ui(),
              [&] { op->setPaymentTarget(int(t.asInt(QStringLiteral("Autonummer"))), *d); });
    m_opDatum->setText(d->isValid() ? germanDate(*d) : QString());
}

void BuchenPage::setOPDatumVisible(bool visible) {
    m_opDatum->setVisible(visible);
    m_opDatumLabel->setVisible(visible);
}

QString BuchenPage::amountField() const {
    return m_core.entry().grossMode ? QStringLiteral("Brutto") : QStringLiteral("Netto");
}

void BuchenPage::showCurrentRow() {
    const Table &t = m_core.books().stapel;
    const bool row = t.isActive() && (t.isEditing() || !t.isEmpty());
    auto text = [&](const QString &field) { return row ? t.asString(field) : QString(); };
    // A control keeps what is being typed into it until it is left or the row changes.
    auto set = [this](QWidget *w, const QString &v) {
        if (m_typing.contains(w))
            return;
        if (auto *e = qobject_cast<QLineEdit *>(w)) {
            if (e->text() != v)
                e->setText(v);
        } else if (auto *c = qobject_cast<QComboBox *>(w)) {
            if (c->currentText() != v)
                c->setEditText(v);
        }
    };
    const BuchungRules &e = m_core.entry();
    {
        QSignalBlocker b1(m_brutto), b2(m_netto);
        (e.grossMode ? m_brutto : m_netto)->setChecked(true);
    }
    m_mwst->setEnabled(e.mwstEnabled);
    try {
        set(m_bDatum, text(QStringLiteral("Belegdatum")));
        set(m_belNr, text(QStringLiteral("Belegnummer")));
        set(m_soll, text(kSoll));
        set(m_haben, text(kHaben));
        set(m_buchText, text(QStringLiteral("Buchungstext")));
        set(m_betrag,
            row ? BuchungRules::amountText(t.value(amountField()), true, true) : QString());
        set(m_mwst, row ? germanNumberText(t.value(QStringLiteral("Steuersatz"))) : QString());
        set(m_ustId, text(QStringLiteral("IDNr")));
    } catch (const std::exception &) {
        // A row that cannot be read leaves the panel as it was.
    }
    showAccountPanels();
}

void BuchenPage::showAccountPanels() {
    const Table &t = m_core.books().stapel;
    const bool row = t.isActive() && (t.isEditing() || !t.isEmpty());
    auto account = [&](const QString &side, const char *name, const char *saldo) {
        // While an account is typed, the panel shows what has been typed so far.
        const QString typed = m_core.entry().searchText(side);
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
        m_sollSaldo->setText(account(kSoll, "XSollName", "XSollSaldo"));
        m_habenSaldo->setText(account(kHaben, "XHabenName", "XHabenSaldo"));
    } catch (const std::exception &) {
    }
}

// ---------------------------------------------------------------- forwarding to the rules

void BuchenPage::connectRules() {
    QPointer<BuchenPage> self(this);
    m_core.books().stapel.addObserver([self](Table::Change c) {
        if (!self || TableModel::isReading(self->m_core.books().stapel))
            return;
        // Typed text belongs to the row as it was being edited; another row, a stored or a
        // cancelled one shows its own values.
        const bool rowEnded =
            c == Table::Change::Current || c == Table::Change::Reset ||
            (c == Table::Change::State && !self->m_core.books().stapel.isEditing());
        if (rowEnded)
            self->m_typing.clear();
        self->showCurrentRow();
    });

    m_timer1 = new QTimer(this);
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_timer1->setSingleShot(true);
    m_timer1->setInterval(200);
    connect(m_timer1, &QTimer::timeout, this,
            [this] { runAction(m_core.ui(), [this] { m_core.entry().refocusHaben(); }); });
    m_core.entry().startTimer = [this] { m_timer1->start(); };

    connect(qApp, &QApplication::focusChanged, this,
            [this](QWidget *, QWidget *now) { onFocusChanged(now); });

    for (QLineEdit *le : {m_bDatum, m_belNr, m_betrag, m_mwst})
        connect(le, &QLineEdit::textEdited, this, [this, le] { typed(le); });
    connect(m_buchText->lineEdit(), &QLineEdit::textEdited, this, [this] { typed(m_buchText); });
    connect(m_buchText, &QComboBox::activated, this, &BuchenPage::pickBookingText);

    for (QComboBox *box : {m_soll, m_haben}) {
        box->installEventFilter(this);
        box->lineEdit()->installEventFilter(this);
        connect(box, &QComboBox::activated, this, [this, box](int i) { pickAccount(box, i); });
    }
    m_bDatum->installEventFilter(this);
    m_betrag->installEventFilter(this);
    m_grid->installEventFilter(this);
    connect(m_grid, &QTableView::doubleClicked, this, [this] {
        runAction(m_core.ui(), [this] { m_core.entry().showOpenItemDetail(); });
        window()->activateWindow();
    });
    connect(m_opDatum, &QLineEdit::editingFinished, this, &BuchenPage::storePaymentTarget);

    connect(m_brutto, &QRadioButton::clicked, this, [this] { amountMode(true); });
    connect(m_netto, &QRadioButton::clicked, this, [this] { amountMode(false); });
    // A click on "Abbrechen" must not first store the row by leaving the amount field.
    m_abbruch->setFocusPolicy(Qt::TabFocus);
    auto cancel = [this] { runAction(m_core.ui(), [this] { m_core.entry().cancelRow(); }); };
    connect(m_abbruch, &QPushButton::clicked, this, cancel);
    // Esc is the cancel button's key anywhere on the page, and cancels at once (a button's
    // own shortcut would click it only after its animation).
    auto *esc = new QShortcut(QKeySequence(Qt::Key_Escape), this, nullptr, nullptr,
                              Qt::WidgetWithChildrenShortcut);
    esc->setObjectName(QStringLiteral("AbbruchKey"));
    connect(esc, &QShortcut::activated, this, cancel);
    connect(m_sollSaldo, &Panel::clicked, this, [this] { m_soll->setFocus(Qt::MouseFocusReason); });
    connect(m_habenSaldo, &Panel::clicked, this,
            [this] { m_haben->setFocus(Qt::MouseFocusReason); });
}

QString BuchenPage::controlName(QWidget *w) const {
    const QWidget *controls[] = {m_bDatum, m_belNr, m_soll, m_haben, m_buchText, m_betrag,
                                 m_brutto, m_netto, m_mwst, m_ustId, m_abbruch,  m_opDatum};
    for (; w && w != this; w = w->parentWidget()) {
        if (w == m_grid)
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
    return name == kGrid ? m_grid : findChild<QWidget *>(name);
}

QString BuchenPage::sideOf(const QObject *o) const {
    return (o == m_haben || o == m_haben->lineEdit()) ? kHaben : kSoll;
}

void BuchenPage::onFocusChanged(QWidget *now) {
    // Focus that goes to another window (a message, a drop-down list) does not leave the
    // control; moves made while the rules run are theirs.
    if (m_inFocusChange || !now || now->window() != window())
        return;
    BuchungRules &e = m_core.entry();
    const QString target = controlName(now);
    if (target == e.focused())
        return;
    QScopedValueRollback<bool> guard(m_inFocusChange, true);

    // What was typed is part of the row before the exit handlers look at it.
    const QSet<QWidget *> typed = m_typing;
    for (QWidget *w : typed) {
        if (controlName(w) == target)
            continue;
        if (!settle(w, true))
            return;
        m_typing.remove(w);
    }
    bool moved = false;
    runAction(m_core.ui(), [&] { moved = e.moveFocus(target); });
    if (!moved) {
        // Refused: the rules have put their focus where the person has to go on.
        if (QWidget *w = control(e.focused()))
            w->setFocus(Qt::OtherFocusReason);
    }
    showCurrentRow();
}

void BuchenPage::typed(QWidget *w) {
    Table &t = m_core.books().stapel;
    if (!t.isActive())
        return;
    m_typing.insert(w);
    if (!t.isEditing()) {
        // A bound control puts its row into edit state with the first key typed (an empty
        // batch gets a new row instead, and the rules move to its date).
        const QString before = m_core.entry().focused();
        const bool editing = runAction(m_core.ui(), [&t] { t.edit(); });
        if (!editing || m_core.entry().focused() != before) {
            m_typing.remove(w);
            showCurrentRow();
            return;
        }
    }
    settle(w, false);
}

bool BuchenPage::settle(QWidget *w, bool report) {
    Table &t = m_core.books().stapel;
    if (!t.isActive() || !t.isEditing())
        return true;
    try {
        if (w == m_bDatum) {
            t.setValue(QStringLiteral("Belegdatum"), m_bDatum->text());
        } else if (w == m_belNr) {
            t.setValue(QStringLiteral("Belegnummer"), m_belNr->text());
        } else if (w == m_buchText) {
            t.setValue(QStringLiteral("Buchungstext"), m_buchText->currentText());
        } else if (w == m_mwst) {
            t.setValue(QStringLiteral("Steuersatz"), m_mwst->text());
        } else if (w == m_betrag) {
            // The same limits as a booking file: whole cents, within the booking range.
            const QString text = m_betrag->text();
            if (text.trimmed().isEmpty()) {
                m_core.entry().clearAmount();
            } else if (const BetragInput in = parseBetrag(text); in.betrag) {
                m_core.entry().setAmount(*in.betrag);
            } else {
                if (report) {
                    w->setFocus(Qt::OtherFocusReason);
                    m_core.ui().error(in.error);
                }
                return false;
            }
        }
        return true;
    } catch (const SilentAbort &) {
    } catch (const EngineError &err) {
        if (report) {
            w->setFocus(Qt::OtherFocusReason);
            m_core.ui().error(err.message());
        }
    }
    return false;
}

bool BuchenPage::eventFilter(QObject *watched, QEvent *event) {
    const bool account = watched == m_soll || watched == m_haben || watched == m_soll->lineEdit() ||
                         watched == m_haben->lineEdit();
    if (watched == m_betrag &&
        (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress)) {
        // Alt+R and Alt+N switch between gross and net in the amount field itself: the
        // buttons' own keys would move the focus away, and leaving the field stores the row.
        auto *k = static_cast<QKeyEvent *>(event);
        const bool alt = (k->modifiers() & ~Qt::KeypadModifier) == Qt::AltModifier;
        if (alt && (k->key() == Qt::Key_R || k->key() == Qt::Key_N)) {
            k->accept();
            if (event->type() == QEvent::KeyPress)
                switchAmountMode(k->key() == Qt::Key_R);
            return true;
        }
    }
    if (account && event->type() == QEvent::ShortcutOverride) {
        // Esc ends a running account search instead of cancelling the row.
        auto *k = static_cast<QKeyEvent *>(event);
        if (k->key() == Qt::Key_Escape && !m_core.entry().searchText(sideOf(watched)).isEmpty()) {
            k->accept();
            return true;
        }
        return false;
    }
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    auto *k = static_cast<QKeyEvent *>(event);
    if (account)
        return accountKeyPress(sideOf(watched) == kSoll ? m_soll : m_haben, k);
    if (watched == m_bDatum && k->modifiers() == Qt::NoModifier &&
        (k->key() == Qt::Key_Up || k->key() == Qt::Key_Down)) {
        dateKey(k->key() == Qt::Key_Up ? 1 : -1);
        return true;
    }
    if (watched == m_grid && k->key() == Qt::Key_Delete && k->modifiers() == Qt::ControlModifier) {
        deleteRow();
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
    BuchungRules &e = m_core.entry();
    Ui &ui = m_core.ui();
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
    Table &t = m_core.books().stapel;
    runAction(m_core.ui(), [&] {
        if (!t.isEditing())
            t.edit();
        t.setValue(side, nr);
    });
    showCurrentRow();
}

void BuchenPage::pickBookingText() {
    // The chosen text is the row's text first, as with a bound drop-down; then the rules
    // look for its template.
    typed(m_buchText);
    if (m_core.books().stapel.isActive() && m_core.books().stapel.isEditing())
        runAction(m_core.ui(), [this] { applyTemplate(m_core.books(), m_core.entry()); });
    showCurrentRow();
}

void BuchenPage::deleteRow() {
    Ui &ui = m_core.ui();
    if (DbNavigator::confirmDelete(ui))
        runAction(ui, [this] { m_core.entry().deleteRow(); });
}

void BuchenPage::syncFocus() {
    onFocusChanged(QApplication::focusWidget());
}

void BuchenPage::dateKey(int daysDelta) {
    if (m_typing.contains(m_bDatum))
        settle(m_bDatum, false);
    m_core.entry().stepBelegdatum(daysDelta);
    m_typing.remove(m_bDatum);
    showCurrentRow();
}

void BuchenPage::switchAmountMode(bool gross) {
    if (!m_typing.contains(m_betrag)) {
        amountMode(gross);
        return;
    }
    // What is being typed is the amount the person means, now gross or net: it stays in the
    // field and goes into the row as the amount of the mode chosen.
    BuchungRules &e = m_core.entry();
    if (gross)
        e.chooseGross();
    else
        e.chooseNet();
    settle(m_betrag, false);
    showCurrentRow();
}

void BuchenPage::amountMode(bool gross) {
    // The amount typed so far belongs to the field the amount was bound to.
    if (m_typing.contains(m_betrag))
        settle(m_betrag, false);
    m_typing.remove(m_betrag);
    BuchungRules &e = m_core.entry();
    if (gross)
        e.chooseGross();
    else
        e.chooseNet();
    showCurrentRow();
}

} // namespace ledra
