#include "OffenePostenWindow.h"

#include "OffenePostenListModel.h"
#include "OffenePostenWahlDialog.h"
#include "OffenerPostenDialog.h"
#include "ReportPreviewDialog.h"
#include "RowListView.h"
#include "klaro/OffenePostenCsv.h"
#include "klaro/OffenePostenReport.h"
#include "klaro/OffenePostenRules.h"
#include "store/EngineError.h"
#include "store/Table.h"
#include "ui/Ui.h"

#include <QActionGroup>
#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace ledra {

OffenePostenWindow::OffenePostenWindow(OffenePostenRules &rules, QWidget *owner)
    : QDialog(owner), m_rules(rules) {
    setObjectName(QStringLiteral("FOPosten"));
    setProperty("helpContext", 40); // F1: the manual's open-items topic
    setWindowTitle(QStringLiteral("OP-Verwaltung"));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    resize(900, 560);
    m_model = new OffenePostenListModel(rules, this);
    buildControls();
    buildMenu();
}

OffenePostenWindow::~OffenePostenWindow() = default;

void OffenePostenWindow::act(const std::function<void()> &f) {
    try {
        f();
    } catch (const SilentAbort &) {
    } catch (const EngineError &e) {
        m_rules.ui().error(e.message());
    }
    refresh();
}

void OffenePostenWindow::buildControls() {
    auto *top = new QHBoxLayout;
    auto nav = [&](const QString &name, QStyle::StandardPixmap icon, const QString &tip, int to) {
        auto *b = new QToolButton(this);
        b->setObjectName(name);
        b->setIcon(style()->standardIcon(icon));
        b->setToolTip(tip);
        b->setFocusPolicy(Qt::NoFocus);
        connect(b, &QToolButton::clicked, this, [this, to] {
            const int n = int(m_rules.rows().size());
            const int c = m_rules.current();
            m_rules.setCurrent(to == 0 ? 0 : to == 1 ? c - 1 : to == 2 ? c + 1 : n - 1);
            refresh();
        });
        top->addWidget(b);
    };
    nav(QStringLiteral("DBNavigator1First"), QStyle::SP_MediaSkipBackward,
        QStringLiteral("Erster Datensatz"), 0);
    nav(QStringLiteral("DBNavigator1Prior"), QStyle::SP_MediaSeekBackward,
        QStringLiteral("Voriger Datensatz"), 1);
    nav(QStringLiteral("DBNavigator1Next"), QStyle::SP_MediaSeekForward,
        QStringLiteral("Nächster Datensatz"), 2);
    nav(QStringLiteral("DBNavigator1Last"), QStyle::SP_MediaSkipForward,
        QStringLiteral("Letzter Datensatz"), 3);
    auto *druck = new QToolButton(this);
    druck->setObjectName(QStringLiteral("SBDOP"));
    druck->setIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    druck->setToolTip(QStringLiteral("Drucken"));
    druck->setFocusPolicy(Qt::NoFocus);
    connect(druck, &QToolButton::clicked, this, &OffenePostenWindow::print);
    top->addWidget(druck);
    m_edit1 = new QLineEdit(this);
    m_edit1->setObjectName(QStringLiteral("Edit1"));
    m_edit1->setToolTip(QStringLiteral("Zu suchende Belegnummer oder Betrag"));
    m_edit1->installEventFilter(this);
    connect(m_edit1, &QLineEdit::textEdited, this, [this](const QString &t) {
        if (!m_rules.search(t))
            m_edit1->clear();
        refresh();
    });
    top->addWidget(m_edit1, 1);
    m_uebernahme = new QPushButton(QStringLiteral("Übernahme"), this);
    m_uebernahme->setObjectName(QStringLiteral("Uebernahme"));
    m_uebernahme->setToolTip(QStringLiteral("OP auswählen, dann hier drücken"));
    m_uebernahme->setDefault(true);
    connect(m_uebernahme, &QPushButton::clicked, this, [this] { done(1); });
    top->addWidget(m_uebernahme);
    auto *cancel = new QPushButton(QStringLiteral("Abbrechen"), this);
    cancel->setObjectName(QStringLiteral("BCancel"));
    connect(cancel, &QPushButton::clicked, this, [this] { done(2); });
    top->addWidget(cancel);

    auto *filters = new QHBoxLayout;
    m_cbJahr = new QComboBox(this);
    m_cbJahr->setObjectName(QStringLiteral("CBJahr"));
    m_cbJahr->setToolTip(QStringLiteral("Buchungsjahr wählen"));
    connect(m_cbJahr, &QComboBox::activated, this,
            [this](int i) { act([&] { m_rules.chooseJahr(i); }); });
    filters->addWidget(m_cbJahr);
    m_rbDatum = new QRadioButton(QStringLiteral("Datum"), this);
    m_rbDatum->setObjectName(QStringLiteral("RBDatum"));
    m_rbBelNr = new QRadioButton(QStringLiteral("Bel.Nr."), this);
    m_rbBelNr->setObjectName(QStringLiteral("RBBelNr"));
    connect(m_rbDatum, &QRadioButton::clicked, this, &OffenePostenWindow::applyBereich);
    connect(m_rbBelNr, &QRadioButton::clicked, this, &OffenePostenWindow::applyBereich);
    filters->addWidget(m_rbDatum);
    filters->addWidget(m_rbBelNr);
    m_eVon = new QLineEdit(this);
    m_eVon->setObjectName(QStringLiteral("EVon"));
    m_eVon->setToolTip(QStringLiteral("von..."));
    m_eVon->setPlaceholderText(QStringLiteral("von..."));
    m_eBis = new QLineEdit(this);
    m_eBis->setObjectName(QStringLiteral("EBis"));
    m_eBis->setToolTip(QStringLiteral("bis..."));
    m_eBis->setPlaceholderText(QStringLiteral("bis..."));
    filters->addWidget(m_eVon);
    filters->addWidget(m_eBis);
    m_bArt = new QPushButton(this);
    m_bArt->setObjectName(QStringLiteral("BArt"));
    m_bArt->setMinimumWidth(130);
    connect(m_bArt, &QPushButton::clicked, this, [this] {
        act([&] {
            m_rules.cycleArt();
            fillKunden();
        });
    });
    filters->addWidget(m_bArt);
    m_konto = new QComboBox(this);
    m_konto->setObjectName(QStringLiteral("Konto"));
    m_konto->setToolTip(QStringLiteral("Konto wählen"));
    m_konto->setMinimumWidth(120);
    connect(m_konto, &QComboBox::activated, this, [this](int i) {
        act([&] { m_rules.chooseKonto(m_konto->itemData(i).toLongLong()); });
    });
    filters->addWidget(m_konto);
    m_kundeLabel = new QLabel(this);
    m_kundeLabel->setObjectName(QStringLiteral("LKunde"));
    m_kundeLabel->hide();
    filters->addWidget(m_kundeLabel);
    m_eKunde = new QComboBox(this);
    m_eKunde->setObjectName(QStringLiteral("EKunde"));
    m_eKunde->setToolTip(QStringLiteral("Eingrenzen nach Kunde bzw. Lieferant"));
    m_eKunde->setMinimumWidth(160);
    connect(m_eKunde, &QComboBox::activated, this, [this](int i) {
        m_rules.von = m_eVon->text();
        m_rules.bis = m_eBis->text();
        act([&] { m_rules.chooseKunde(m_eKunde->itemData(i).toLongLong()); });
    });
    filters->addWidget(m_eKunde, 1);

    m_grid = makeRowListView(m_model, this);
    m_grid->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Stretch);
    connect(m_grid, &QTableView::doubleClicked, this, [this] {
        if (m_uebernahme->isEnabled())
            done(1);
    });
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &i) {
                if (!m_filling && i.isValid())
                    m_rules.setCurrent(i.row());
            });

    m_gauge = new QProgressBar(this);
    m_gauge->setObjectName(QStringLiteral("ProgressBar1"));
    m_gauge->setFormat(QStringLiteral("%p%"));
    m_gauge->installEventFilter(this);
    m_gauge->hide();

    auto *v = new QVBoxLayout(this);
    v->addLayout(top);
    v->addLayout(filters);
    v->addWidget(m_grid, 1);
    v->addWidget(m_gauge);
}

void OffenePostenWindow::buildMenu() {
    auto *bar = new QMenuBar(this);
    layout()->setMenuBar(bar);
    QMenu *m = bar->addMenu(QStringLiteral("&Offene Posten"));
    m->setObjectName(QStringLiteral("OffenePosten1"));
    auto item = [&](QMenu *menu, const QString &name, const QString &text, auto f,
                    const QKeySequence &key = {}) {
        QAction *a = menu->addAction(text);
        a->setObjectName(name);
        a->setShortcut(key);
        a->setShortcutContext(Qt::WindowShortcut);
        connect(a, &QAction::triggered, this, f);
        return a;
    };
    item(
        m, QStringLiteral("Hinzufuegen1"), QStringLiteral("&Hinzufügen"),
        [this] { addOffenerPosten(); }, QKeySequence(Qt::Key_Insert));
    item(
        m, QStringLiteral("Loeschen1"), QStringLiteral("&Löschen"),
        [this] { act([&] { m_rules.deleteCurrent(); }); }, QKeySequence(Qt::CTRL | Qt::Key_Delete));
    item(m, QStringLiteral("Aendern1"), QStringLiteral("&Ändern"),
         [this] { changeOffenerPosten(); });
    item(m, QStringLiteral("Prfen1"), QStringLiteral("&Prüfen ..."), [this] { runPruefung(); });
    QMenu *sort = m->addMenu(QStringLiteral("&Sortieren"));
    sort->setObjectName(QStringLiteral("Sortieren1"));
    m_sortDatum = item(sort, QStringLiteral("Datum1"), QStringLiteral("Datum"), [this] {
        act([&] { m_rules.sortBy(OffenePostenRules::Sortierung::Datum); });
    });
    m_sortZiel =
        item(sort, QStringLiteral("Zahlungsziel1"), QStringLiteral("Zahlungsziel"),
             [this] { act([&] { m_rules.sortBy(OffenePostenRules::Sortierung::Zahlungsziel); }); });
    for (QAction *a : {m_sortDatum, m_sortZiel})
        a->setCheckable(true);
    auto *group = new QActionGroup(this);
    group->addAction(m_sortDatum);
    group->addAction(m_sortZiel);
    m_sortDatum->setChecked(true);
    m->addSeparator();
    item(m, QStringLiteral("Drucken1"), QStringLiteral("&Drucken"), [this] { print(); });
}

int OffenePostenWindow::run() {
    setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
    return exec() == 1 ? 1 : 2;
}

void OffenePostenWindow::showEvent(QShowEvent *e) {
    QDialog::showEvent(e);
    m_filling = true;
    m_cbJahr->clear();
    m_cbJahr->addItems(m_rules.jahre());
    m_cbJahr->setCurrentIndex(m_rules.jahr());
    m_filling = false;
    m_rbDatum->setAutoExclusive(false);
    m_rbDatum->setChecked(false);
    m_rbBelNr->setChecked(false);
    m_rbDatum->setAutoExclusive(true);
    m_edit1->clear();
    act([&] {
        m_rules.show();
        fillKonten();
        fillKunden();
    });
    m_edit1->setFocus();
}

void OffenePostenWindow::hideEvent(QHideEvent *e) {
    m_rules.hide();
    QDialog::hideEvent(e);
}

bool OffenePostenWindow::eventFilter(QObject *watched, QEvent *e) {
    if (watched == m_edit1 && e->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(e)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            m_rules.setCurrent(m_rules.current() + (key == Qt::Key_Up ? -1 : 1));
            refresh();
            return true;
        }
    }
    if (watched == m_gauge && e->type() == QEvent::MouseButtonPress && m_checking) {
        m_abort =
            m_rules.ui().confirm(QStringLiteral("Prüfung abbrechen?"), Btn::YesNo) == Btn::Yes;
        return true;
    }
    return QDialog::eventFilter(watched, e);
}

void OffenePostenWindow::refresh() {
    m_filling = true;
    m_model->reset();
    if (const int c = m_rules.current(); c >= 0) {
        m_grid->selectRow(c);
        m_grid->scrollTo(m_model->index(c, 0));
    }
    m_cbJahr->setCurrentIndex(m_rules.jahr());
    m_bArt->setText(m_rules.artCaption());
    const QString label = m_rules.kundenLabel();
    m_kundeLabel->setText(label);
    m_kundeLabel->setVisible(!label.isEmpty());
    if (m_rules.konto() == 0)
        m_konto->setCurrentIndex(0);
    m_sortDatum->setChecked(m_rules.sortierung() == OffenePostenRules::Sortierung::Datum);
    m_sortZiel->setChecked(m_rules.sortierung() == OffenePostenRules::Sortierung::Zahlungsziel);
    m_uebernahme->setEnabled(m_rules.uebernahmeEnabled());
    m_filling = false;
}

void OffenePostenWindow::fillKonten() {
    m_konto->clear();
    m_konto->addItem(QString(), qint64(0));
    Table &k = m_rules.daten().konten;
    if (!k.isActive())
        return;
    for (k.first(); !k.eof(); k.next())
        m_konto->addItem(k.asString(QStringLiteral("KtoNr")) + QStringLiteral("  ") +
                             k.asString(QStringLiteral("Name")),
                         k.asInt(QStringLiteral("KtoNr")));
    m_konto->view()->setMinimumWidth(200);
}

void OffenePostenWindow::fillKunden() {
    m_eKunde->clear();
    m_eKunde->addItem(QString(), qint64(0));
    for (const KundeEintrag &k : m_rules.kunden())
        m_eKunde->addItem(k.name + QStringLiteral("  ") + k.ort, k.nr);
}

void OffenePostenWindow::applyBereich() {
    m_rules.von = m_eVon->text();
    m_rules.bis = m_eBis->text();
    const auto b = m_rbDatum->isChecked()   ? OffenePostenRules::Bereich::Datum
                   : m_rbBelNr->isChecked() ? OffenePostenRules::Bereich::Belegnummer
                                            : OffenePostenRules::Bereich::Keiner;
    act([&] { m_rules.applyBereich(b); });
}

void OffenePostenWindow::addOffenerPosten() {
    if (!m_wahl)
        m_wahl = new OffenePostenWahlDialog(m_rules.daten().journal, this);
    const auto nr = m_wahl->choose();
    if (nr)
        act([&] { m_rules.addBooking(*nr); });
}

void OffenePostenWindow::changeOffenerPosten() {
    OffenerPostenDialog dlg(m_rules, this);
    dlg.exec();
    refresh();
}

void OffenePostenWindow::runPruefung() {
    m_abort = false;
    m_rules.abortRequested = [this] { return m_abort; };
    m_grid->setEnabled(false);
    act([&] {
        m_checking = true;
        struct Done {
            OffenePostenWindow *w;
            ~Done() {
                w->m_checking = false;
                w->m_gauge->hide();
                w->m_grid->setEnabled(true);
            }
        } done{this};
        // The gauge appears only once the question was answered.
        m_rules.progress = [this](int pos, int max) {
            m_gauge->show();
            m_gauge->setMaximum(std::max(1, max));
            m_gauge->setValue(pos);
        };
        m_rules.pruefen();
    });
    m_rules.progress = nullptr;
    m_rules.abortRequested = nullptr;
}

void OffenePostenWindow::print() {
    act([&] {
        OffenePostenReport report(m_rules.daten());
        const OffenePostenStore &daten = m_rules.daten();
        ReportPreviewDialog preview(
            report.Ausdruck, m_rules.ui(),
            [&daten](const QString &file) { return writeOffenePostenCsv(daten, file); }, this);
        preview.exec();
        QApplication::processEvents();
    });
}

} // namespace ledra
