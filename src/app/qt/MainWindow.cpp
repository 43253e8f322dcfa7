#include "MainWindow.h"

#include "BuchenPage.h"
#include "DbNavigator.h"
#include "EingrenzungDialog.h"
#include "EinstellungPage.h"
#include "EventBoundary.h"
#include "HelpKey.h"
#include "HelpWindow.h"
#include "KontenPage.h"
#include "MainMenuBar.h"
#include "PageControl.h"
#include "PreviewWindow.h"
#include "ReportLaunchers.h"
#include "ReversalDialog.h"
#include "TableModel.h"
#include "WindowUi.h"
#include "books/SaldenRecompute.h"
#include "diagnostics/DebugLog.h"
#include "diagnostics/HelpHook.h"
#include "diagnostics/HelpTopics.h"
#include "openitems/OffenePostenModule.h"
#include "posting/BuchungRules.h"
#include "posting/StornoRules.h"
#include "reports/BilanzReport.h"
#include "reports/BwaReport.h"
#include "reports/EingrenzungRules.h"
#include "reports/GuvReport.h"
#include "reports/JournalReport.h"
#include "reports/KontenblattReport.h"
#include "reports/ReportViewer.h"
#include "reports/SaldenlisteQuerReport.h"
#include "reports/SaldenlisteReport.h"
#include "reports/StapelReport.h"
#include "reports/UstVaReport.h"
#include "store/InstallLayout.h"
#include "ui/qt/QtUi.h"

#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStatusBar>
#include <QStyle>
#include <QStyleFactory>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
namespace ledra {

void applyColumnWidths(QTableView *view, const TableModel *model,
                       const QMap<QString, int> &widths) {
    for (int c = 0; c < model->columnCount(); ++c) {
        auto it = widths.constFind(model->column(c).field);
        // A width kept from an older layout never cuts the column's head or its amounts.
        if (it != widths.constEnd() && it.value() > 0)
            view->setColumnWidth(c, std::max(it.value(), minimumColumnWidth(view, model, c)));
    }
}

void storeColumnWidths(const QTableView *view, const TableModel *model,
                       QMap<QString, int> &widths) {
    // A hidden column keeps the width it had when it was last shown.
    for (int c = 0; c < model->columnCount(); ++c)
        if (!view->isColumnHidden(c))
            widths[model->column(c).field] = view->columnWidth(c);
}

MainWindow::MainWindow(const QString &programFolder) : MainWindow(programFolder, nullptr) {}

MainWindow::MainWindow(const QString &programFolder, Ui &ui) : MainWindow(programFolder, &ui) {}

MainWindow::MainWindow(const QString &programFolder, Ui *external) {
    if (!external) {
        m_qtUi = std::make_unique<QtUi>(this);
        m_qtUi->helpHandler = [this](int context) { showHelp(context); };
    }
    m_ui = std::make_unique<WindowUi>(external ? *external : *m_qtUi, *this);
    m_core = std::make_unique<Shell>(*m_ui, programFolder);

    setObjectName(QStringLiteral("FBuchhaltung"));
    setWindowTitle(QStringLiteral("Buchhaltung %1").arg(programVersion()));
    buildPages();
    m_menuBar = new MainMenuBar(*this);
    buildStatusBar();
    m_core->controlsChanged = [this] { syncControls(); };
    // Enter on the page "Buchen" is seen here before the control that has the focus.
    qApp->installEventFilter(this);
}

MainWindow::~MainWindow() {
    qApp->removeEventFilter(this);
    m_core->controlsChanged = nullptr;
    m_core->resetFilterOrder = nullptr;
    // The dialogs refer to the rules objects, which go before the window's children.
    delete m_journalDialog;
    m_reports.reset();
    // The pages refer to the rules object; they go first.
    delete takeCentralWidget();
}

Ui &MainWindow::ui() {
    return m_ui->inner();
}

void MainWindow::buildPages() {
    m_pages = new PageControl(this);
    m_pages->setObjectName(QStringLiteral("PageControl1"));

    m_buchenTab = new QWidget;
    m_buchenTab->setObjectName(QStringLiteral("Buchen"));
    m_buchenTab->setProperty("helpContext", 10);
    auto *vb = new QVBoxLayout(m_buchenTab);
    vb->addWidget(buildBuchenTopBar(m_buchenTab));
    m_buchen = new BuchenPage(*m_core, m_buchenTab);
    vb->addWidget(m_buchen, 1);
    m_pages->addTab(m_buchenTab, QStringLiteral("Buchen"));

    auto *kontenTab = new QWidget;
    kontenTab->setObjectName(QStringLiteral("Konten"));
    kontenTab->setProperty("helpContext", 20);
    auto *vk = new QVBoxLayout(kontenTab);
    m_konten = new KontenPage(*m_core, *m_ui, kontenTab);
    vk->addWidget(m_konten);
    m_pages->addTab(kontenTab, QStringLiteral("Konten"));

    auto *einstellungTab = new QScrollArea;
    einstellungTab->setObjectName(QStringLiteral("Einstellung"));
    einstellungTab->setProperty("helpContext", 30);
    einstellungTab->setWidgetResizable(true);
    einstellungTab->setFrameShape(QFrame::NoFrame);
    m_einstellung = new EinstellungPage(*m_core);
    einstellungTab->setWidget(m_einstellung);
    m_pages->addTab(einstellungTab, QStringLiteral("Einstellung"));

    connect(m_einstellung, &EinstellungPage::opDatumToggled, m_buchen,
            &BuchenPage::setOPDatumVisible);
    connect(m_einstellung->Info(), &QPushButton::clicked, this, &MainWindow::showAbout);
    connect(m_einstellung, &EinstellungPage::dataReloaded, this, &MainWindow::reloadGrids);
    connect(m_konten, &KontenPage::dataReloaded, this, &MainWindow::reloadGrids);
    for (TableModel *m : {m_buchen->gridModel(), m_konten->gridModel()})
        connect(m, &TableModel::tableError, this, [this](const QString &msg) { m_ui->error(msg); });

    m_pages->changing = [this](int, int) { return pageChanging(); };
    connect(m_pages, &QTabWidget::currentChanged, this, &MainWindow::pageChanged);
    buildMenus(m_buchenTab);
    connectReports();
    setCentralWidget(m_pages);
}

QWidget *MainWindow::buildBuchenTopBar(QWidget *page) {
    auto *bar = new QWidget(page);
    bar->setObjectName(QStringLiteral("TopBar"));
    auto *h = new QHBoxLayout(bar);
    h->setContentsMargins(0, 0, 0, 0);
    m_navigator2 = new DbNavigator(m_core->books().stapel, *m_ui, bar);
    m_navigator2->setObjectName(QStringLiteral("DBNavigator2"));
    h->addWidget(m_navigator2);
    h->addSpacing(12);
    auto speed = [&](const QString &name, const QString &text, const QString &hint,
                     QStyle::StandardPixmap icon) {
        auto *b = new QToolButton(bar);
        b->setObjectName(name);
        b->setText(text);
        b->setToolTip(hint);
        b->setIcon(style()->standardIcon(icon));
        b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        b->setAutoRaise(true);
        // Speed buttons never take the focus from the entry field being typed in.
        b->setFocusPolicy(Qt::NoFocus);
        h->addWidget(b);
        return b;
    };
    m_bSpeichern =
        speed(QStringLiteral("BSpeichern"), QStringLiteral("Speichern"),
              QStringLiteral("Buchungen ins Journal übertragen"), QStyle::SP_DialogSaveButton);
    m_sbDruck = speed(QStringLiteral("SBDruck"), QStringLiteral("Drucken"),
                      QStringLiteral("Buchungsstapel drucken"), QStyle::SP_FileDialogDetailedView);
    m_bOP = speed(QStringLiteral("BOP"), QStringLiteral("OP"),
                  QStringLiteral("Offene Posten anlegen und ausgleichen"),
                  QStyle::SP_FileDialogInfoView);
    m_sbEnde = speed(QStringLiteral("SBEnde"), QStringLiteral("Ende"), QStringLiteral("Beenden"),
                     QStyle::SP_DialogCloseButton);
    m_bSpeichern->setEnabled(false);
    m_sbDruck->setEnabled(false);
    m_bOP->setVisible(false);
    connect(m_sbEnde, &QToolButton::clicked, this, &QWidget::close);
    connect(m_bSpeichern, &QToolButton::clicked, this, &MainWindow::transferBatch);
    connect(m_bOP, &QToolButton::clicked, this, &MainWindow::openOffenePosten);
    h->addStretch(1);
    auto *help = new QLabel(QStringLiteral("Drücken Sie F1 für Hilfe"), bar);
    help->setObjectName(QStringLiteral("LHilfe"));
    h->addWidget(help);
    return bar;
}

void MainWindow::buildMenus(QWidget *buchenPage) {
    auto action = [](QMenu *menu, const QString &name, const QString &text,
                     const QKeySequence &key = {}) {
        auto *a = menu->addAction(text);
        a->setObjectName(name);
        if (!key.isEmpty())
            a->setShortcut(key);
        return a;
    };
    auto &p1 = m_popup1;
    p1.menu = new QMenu(this);
    p1.menu->setObjectName(QStringLiteral("PopupMenu1"));
    p1.Neu = action(p1.menu, QStringLiteral("Neu"), QStringLiteral("&Neu"),
                    QKeySequence(Qt::Key_Insert));
    p1.Speichern =
        action(p1.menu, QStringLiteral("Speichern"), QStringLiteral("B&uchungen speichern"));
    p1.Splitting = action(p1.menu, QStringLiteral("Splitting1"), QStringLiteral("&Splitting"),
                          QKeySequence(Qt::Key_F4));
    p1.OffenePosten = action(p1.menu, QStringLiteral("OffenePosten1"),
                             QStringLiteral("&Offene Posten"), QKeySequence(Qt::Key_F8));
    p1.Storno = action(p1.menu, QStringLiteral("Storno1"), QStringLiteral("S&torno"));
    p1.menu->addSeparator();
    p1.Favorithinzufuegen = action(p1.menu, QStringLiteral("Favorithinzufuegen"),
                                   QStringLiteral("&Favorit hinzufügen"));
    p1.Favoritloeschen =
        action(p1.menu, QStringLiteral("Favoritloeschen"), QStringLiteral("Favorit &löschen"));
    p1.menu->addSeparator();
    p1.Beenden = action(p1.menu, QStringLiteral("Beenden"), QStringLiteral("&Beenden"),
                        QKeySequence(Qt::ALT | Qt::Key_F4));
    p1.OffenePosten->setVisible(false);
    p1.Favorithinzufuegen->setEnabled(false);
    p1.Favoritloeschen->setEnabled(false);
    connect(p1.Beenden, &QAction::triggered, this, &QWidget::close);
    connect(p1.Neu, &QAction::triggered, this, [this] {
        // From the menu bar on another page the row is entered where it can be seen.
        if (m_pages->requestPage(0))
            runAction(*m_ui, [this] { m_core->entry().newRow(); });
    });
    connect(p1.Speichern, &QAction::triggered, this, &MainWindow::transferBatch);
    connect(p1.Storno, &QAction::triggered, this, &MainWindow::showReversalDialog);
    connect(p1.OffenePosten, &QAction::triggered, this, &MainWindow::openOffenePosten);
    connect(p1.Splitting, &QAction::triggered, this, [this] {
        // F4 fills the account field that has the focus; the rules must know which one it is.
        m_buchen->syncFocus();
        runAction(*m_ui, [this] { putSplittingAccount(m_core->books(), m_core->entry()); });
    });
    connect(p1.Favorithinzufuegen, &QAction::triggered, this,
            [this] { runAction(*m_ui, [this] { addTemplate(m_core->books()); }); });
    connect(p1.Favoritloeschen, &QAction::triggered, this,
            [this] { runAction(*m_ui, [this] { deleteTemplate(m_core->books()); }); });
    // The shortcuts work while the page "Buchen" is shown, also with the menu closed.
    for (QAction *a : p1.menu->actions()) {
        if (a->isSeparator())
            continue;
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        buchenPage->addAction(a);
    }

    auto &p2 = m_popup2;
    p2.menu = new QMenu(this);
    p2.menu->setObjectName(QStringLiteral("PopupMenu2"));
    p2.menu->setToolTipsVisible(true);
    p2.Salden = action(p2.menu, QStringLiteral("Salden"), QStringLiteral("Salden neu berechnen"));
    p2.Kontenblatt =
        action(p2.menu, QStringLiteral("Kontenblatt1"), QStringLiteral("Kontenblatt drucken..."));
    p2.Kontenblatt->setToolTip(QStringLiteral("erst gewünschtes Konto einstellen"));
    p2.Kontenblatt->setStatusTip(p2.Kontenblatt->toolTip());
    p2.Journal = action(p2.menu, QStringLiteral("Journal1"), QStringLiteral("Journal drucken..."));
    p2.MUstVM = action(p2.menu, QStringLiteral("MUstVM"), QStringLiteral("Ust-Voranmeldung..."));
    p2.Saldenlisten = p2.menu->addMenu(QStringLiteral("Saldenlisten"));
    p2.Saldenlisten->setObjectName(QStringLiteral("Saldenlisten"));
    p2.MSalden =
        action(p2.Saldenlisten, QStringLiteral("MSalden"), QStringLiteral("Saldenliste hoch..."));
    p2.MSalden2 =
        action(p2.Saldenlisten, QStringLiteral("MSalden2"), QStringLiteral("Saldenliste quer..."));
    p2.GuV = action(p2.menu, QStringLiteral("GuV"), QStringLiteral("Kurzübersicht GuV..."));
    p2.BWA = action(p2.menu, QStringLiteral("BWA"), QStringLiteral("BWA..."));
    p2.Bilanz = action(p2.menu, QStringLiteral("Bilanz1"), QStringLiteral("Bilanz..."));
    p2.Kontenblatt->setProperty("helpContext", 21);
    p2.Journal->setProperty("helpContext", 22);
    p2.MUstVM->setProperty("helpContext", 23);
    p2.Saldenlisten->menuAction()->setProperty("helpContext", 24);
    p2.MSalden->setProperty("helpContext", 24);
    p2.MSalden2->setProperty("helpContext", 24);
    p2.GuV->setProperty("helpContext", 25);
    p2.BWA->setProperty("helpContext", 26);
    connect(p2.Salden, &QAction::triggered, m_konten, &KontenPage::recomputeSalden);
}

void MainWindow::buildStatusBar() {
    statusBar()->setObjectName(QStringLiteral("StatusBar1"));
    const int widths[4] = {120, 100, 100, 50};
    for (int i = 0; i < 4; ++i) {
        m_panels[i] = new QLabel(this);
        m_panels[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        m_panels[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        if (i < 3) {
            m_panels[i]->setFixedWidth(widths[i]);
            m_panels[i]->setAlignment(Qt::AlignCenter);
        } else {
            m_panels[i]->setMinimumWidth(widths[i]);
        }
        statusBar()->addWidget(m_panels[i], i == 3 ? 1 : 0);
    }
    m_gauge = new QProgressBar(this);
    m_gauge->setObjectName(QStringLiteral("ProgressBar1"));
    m_gauge->setRange(0, 100);
    m_gauge->setFormat(QStringLiteral("%p%"));
    m_gauge->setVisible(false);
    statusBar()->addPermanentWidget(m_gauge);
    m_cancel = new QPushButton(QStringLiteral("Abbrechen"), this);
    m_cancel->setObjectName(QStringLiteral("ProgressCancel"));
    // A click must not take the focus from the field the work started in.
    m_cancel->setFocusPolicy(Qt::NoFocus);
    m_cancel->setVisible(false);
    statusBar()->addPermanentWidget(m_cancel);
    connect(m_cancel, &QPushButton::clicked, this, [this] { m_cancelRequested = true; });
}

namespace {

// Esc while a cancel is offered: it stops the work, wherever the focus is in the window,
// before any other Esc shortcut or field sees it. A message box the work shows meanwhile
// keeps its own Esc.
class CancelKey : public QObject {
public:
    explicit CancelKey(bool &requested) : m_requested(requested) {}
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) {
            auto *k = static_cast<QKeyEvent *>(event);
            if (k->key() == Qt::Key_Escape && k->modifiers() == Qt::NoModifier &&
                !QApplication::activeModalWidget()) {
                m_requested = true;
                event->accept();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool &m_requested;
};

} // namespace

void MainWindow::setCancelOffered(bool offered) {
    m_cancelOffered = offered;
    m_cancelRequested = false;
    m_cancel->setVisible(offered);
    if (offered && !m_cancelKey) {
        m_cancelKey = std::make_unique<CancelKey>(m_cancelRequested);
        qApp->installEventFilter(m_cancelKey.get());
    } else if (!offered) {
        m_cancelKey.reset();
    }
}

void MainWindow::setStatusText(int panel, const QString &text) {
    auto *p = statusPanel(panel);
    if (!p)
        return;
    p->setText(text);
    // The first panels have a fixed width so that the bar does not jump while the counts
    // change; a count that outgrows it (a million bookings) widens the panel rather than
    // being cut.
    const int need = p->fontMetrics().horizontalAdvance(text) + 2 * p->frameWidth() + 8;
    if (panel < 3 && need > p->maximumWidth())
        p->setFixedWidth(need);
}

void MainWindow::setProgressVisible(bool visible) {
    m_gauge->setVisible(visible);
}

void MainWindow::setProgress(int percent) {
    m_gauge->setValue(percent);
}

bool MainWindow::create() {
    QRect screen;
    if (auto *s = QGuiApplication::primaryScreen())
        screen = s->availableGeometry();
    // While another program holds the data folder the start waits a few seconds; the window
    // is not shown yet, so a small dialog says why nothing happens.
    std::unique_ptr<QProgressDialog> waiting;
    m_core->books().writerLockWaiting = [&waiting](const QString &text) {
        waiting = std::make_unique<QProgressDialog>(text, QString(), 0, 0);
        waiting->setWindowTitle(QStringLiteral("Buchhaltung"));
        waiting->setCancelButton(nullptr);
        waiting->setMinimumDuration(0);
        waiting->show();
    };
    const bool started = m_core->start(screen);
    m_core->books().writerLockWaiting = nullptr;
    waiting.reset();
    if (!started)
        return false;
    // The open-items manager window belongs to this window.
    if (OffenePostenModule *op = m_core->openItems())
        op->create(this, *m_ui);
    createHelpHook(); // the hook takes over the program's help requests from here on
    // F1 in any window: the help of the focused control, else of its page or window; in
    // the main window without either, the help of the page shown.
    new HelpKey([this](int context, QWidget *window) { showHelpIn(context, window); }, this);
    setGeometry(m_core->window.geometry);
    fitColumns(m_konten->gridView(), m_konten->gridModel());
    fitColumns(m_buchen->gridView(), m_buchen->gridModel());
    applyColumnWidths(m_konten->gridView(), m_konten->gridModel(), m_core->window.grid1Widths);
    applyColumnWidths(m_buchen->gridView(), m_buchen->gridModel(), m_core->window.grid2Widths);
    applySkin();
    createReports();
    syncControls();
    // The window opens ready for typing: Insert starts a booking at once.
    m_buchen->gridView()->setFocus(Qt::OtherFocusReason);
    // Asked once the window is up, not over the splash window.
    QTimer::singleShot(0, this, [this] {
        bool loaded = false;
        runAction(*m_ui, [this, &loaded] { loaded = m_core->offerStandardChart(); });
        if (loaded) {
            reloadGrids();
            syncControls();
        }
    });
    return true;
}

void MainWindow::showHelpIn(int context, QWidget *window) {
    static const int pageContexts[] = {10, 20, 30};
    const int page = m_pages->currentIndex();
    if (context == 0 && window == this && page >= 0 && page < 3)
        context = pageContexts[page];
    showHelp(context);
}

void MainWindow::showFocusedHelp() {
    showHelpIn(HelpKey::contextOf(QApplication::focusWidget()), this);
}

void MainWindow::createReports() {
    m_reports = std::make_unique<ReportLaunchers>(
        m_core->books(), *m_ui, this,
        ReportLaunchers::Hooks{
            [this](const QString &control, bool on) { setReportControlEnabled(control, on); },
            [this](bool visible) { setVisible(visible); },
            [this](int context) { showHelp(context); }});
    if (m_pendingViewer)
        m_reports->setViewer(m_pendingViewer);
    // Another year opened: its range is offered, by date.
    m_core->resetFilterOrder = [this] { m_reports->filter().sortByDate(); };
}

void MainWindow::setReportViewer(reports::ReportViewer *viewer) {
    m_pendingViewer = viewer;
    if (m_reports)
        m_reports->setViewer(viewer);
}

void MainWindow::launchReport(const std::function<void(reports::ReportContext &)> &launcher) {
    if (m_reports)
        m_reports->launch(launcher);
}

reports::ReportContext &MainWindow::reportContext() {
    return m_reports->context();
}

EingrenzungDialog *MainWindow::filterDialog() const {
    return m_reports ? m_reports->filterDialog() : nullptr;
}

void MainWindow::setReportControlEnabled(const QString &control, bool enabled) {
    // A launcher names its button; the menu entry of the same report goes with it.
    if (control == QLatin1String("SBJournal")) {
        m_konten->SBJournal()->setEnabled(enabled);
        m_popup2.Journal->setEnabled(enabled);
    } else if (control == QLatin1String("KBlatt")) {
        m_konten->KBlatt()->setEnabled(enabled);
        m_popup2.Kontenblatt->setEnabled(enabled);
    } else if (auto *w = findChild<QWidget *>(control)) {
        w->setEnabled(enabled);
    }
}

void MainWindow::connectReports() {
    using Launcher = void (*)(reports::ReportContext &);
    auto wire = [this](auto *sender, auto signal, Launcher launcher) {
        connect(sender, signal, this, [this, launcher] { launchReport(launcher); });
    };
    wire(m_sbDruck, &QToolButton::clicked, &reports::printStapel);
    wire(m_konten->SBJournal(), &QPushButton::clicked, &reports::printJournal);
    wire(m_popup2.Journal, &QAction::triggered, &reports::printJournal);
    wire(m_popup2.MUstVM, &QAction::triggered, &reports::printUstVa);
    wire(m_popup2.MSalden, &QAction::triggered, &reports::printSaldenliste);
    wire(m_popup2.MSalden2, &QAction::triggered, &reports::printSaldenlisteQuer);
    wire(m_popup2.GuV, &QAction::triggered, &reports::printGuv);
    wire(m_popup2.BWA, &QAction::triggered, &reports::printBwa);
    wire(m_popup2.Bilanz, &QAction::triggered, &reports::printBilanzOverview);

    auto accountSheet = [this] {
        launchReport([this](reports::ReportContext &ctx) {
            reports::printKontenblatt(ctx, m_konten->markedAccounts());
        });
    };
    connect(m_konten->KBlatt(), &QPushButton::clicked, this, accountSheet);
    connect(m_popup2.Kontenblatt, &QAction::triggered, this, accountSheet);
    connect(m_konten->gridView(), &QAbstractItemView::doubleClicked, this, accountSheet);
}

void MainWindow::applySkin() {
    // The sibling program's skins are its own; a skin named like a style this platform
    // knows is shown in that style, any other leaves the window as it is.
    if (!m_core->merva.skinActive)
        return;
    const QStringList keys = QStyleFactory::keys();
    for (const QString &k : keys)
        if (k.compare(m_core->merva.skin, Qt::CaseInsensitive) == 0) {
            QApplication::setStyle(k);
            return;
        }
}

void MainWindow::syncControls() {
    const auto &c = m_core->controls;
    m_bOP->setVisible(c.bopVisible);
    m_popup1.OffenePosten->setVisible(c.bopVisible);
    m_bSpeichern->setEnabled(c.bSpeichernEnabled);
    m_sbDruck->setEnabled(c.sbDruckEnabled);
    // "S&torno", "B&uchungen speichern" and "&Beenden" follow "&Neu"; "&Splitting" is there
    // exactly while a row is being entered.
    for (QAction *a : {m_popup1.Neu, m_popup1.Storno, m_popup1.Speichern, m_popup1.Beenden})
        a->setEnabled(c.neuEnabled);
    m_popup1.Splitting->setEnabled(c.splittingEnabled);
    m_popup1.Favorithinzufuegen->setEnabled(c.favAddEnabled);
    m_popup1.Favoritloeschen->setEnabled(c.favDelEnabled);
    m_buchen->setCashBasisColumns(c.cashBasisColumns);
    m_buchen->showPaymentTarget(c.opDatumEnabled);
    if (m_shownBookingTexts != m_core->books().bookingTexts) {
        m_shownBookingTexts = m_core->books().bookingTexts;
        m_buchen->setBookingTexts(m_shownBookingTexts);
    }
    m_einstellung->syncControls();
    m_einstellung->loadSettings();
    if (m_menuBar)
        m_menuBar->sync();
}

bool MainWindow::pageChanging() {
    // Leaving the settings page runs the exit check of its field in the rules, which move
    // the focus themselves; the page must not run that check a second time.
    m_einstellung->setTrackFocus(false);
    bool allowed = false;
    try {
        allowed = m_core->mayLeavePage();
    } catch (const std::exception &) {
        allowed = false;
    }
    m_einstellung->setTrackFocus(true);
    return allowed;
}

void MainWindow::pageChanged(int index) {
    using Page = Shell::Page;
    const Page page = index == 1 ? Page::Konten : index == 2 ? Page::Einstellung : Page::Buchen;
    runAction(*m_ui, [this, page] { m_core->pageChanged(page); });
}

void MainWindow::transferBatch() {
    // A payment target still being typed belongs to the batch that is transferred.
    if (m_buchen->OPDatum()->hasFocus())
        m_buchen->storePaymentTarget();
    runAction(*m_ui, [this] { m_core->entry().transferStapel(); });
}

void MainWindow::reloadGrids() {
    // A year operation or a standard chart may have replaced the files behind the tables.
    m_buchen->gridModel()->reload();
    m_konten->gridModel()->reload();
    m_buchen->showCurrentRow();
    m_einstellung->loadSettings();
}

void MainWindow::contextMenuEvent(QContextMenuEvent *e) {
    // Each page has its own pop-up menu; the settings page has none.
    QMenu *menu = nullptr;
    if (m_core->books().page == Shell::Page::Buchen)
        menu = m_popup1.menu;
    if (m_core->books().page == Shell::Page::Konten)
        menu = m_popup2.menu;
    if (menu)
        menu->popup(e->globalPos());
    e->accept();
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
        auto *key = static_cast<QKeyEvent *>(event);
        auto *w = static_cast<QWidget *>(watched);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (enter && m_pages->currentWidget() == m_buchenTab && m_buchenTab->isAncestorOf(w)) {
            focusNextPrevChild(!(key->modifiers() & Qt::ShiftModifier));
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::focusControl(const QString &name) {
    if (name.isEmpty())
        return;
    if (auto *w = findChild<QWidget *>(name))
        w->setFocus(Qt::OtherFocusReason);
}

void MainWindow::openOffenePosten() {
    if (!m_core->openItems())
        return;
    // In browse state the manager window and the takeover of the chosen item; while a row is
    // entered, the row's "OP-Detail" (storing a new row first: the rules must know the field
    // being left).
    m_buchen->syncFocus();
    runAction(*m_ui, [this] { m_core->entry().openItemsCommand(); });
    activateWindow();
    raise();
}

void MainWindow::showReversalDialog() {
    if (!m_journalDialog) {
        // Created at its first use and kept, so that it opens where it was left.
        m_journalDialog = new ReversalDialog(*m_core, this);
        m_journalDialog->helpHandler = [this](int context) { showHelp(context); };
    }
    m_journalDialog->open();
}

void MainWindow::createHelpHook() {
    // Also without the help file: a request then tells the user which file is missing.
    m_helpWindow = std::make_unique<HelpWindow>(m_core->helpFolder);
    m_helpHook = std::make_unique<HelpHook>(HelpTopics::helpFileIn(m_core->helpFolder),
                                            DebugLog::program(), *m_ui, *m_helpWindow);
}

void MainWindow::showHelp(int context) {
    if (!m_helpHook)
        createHelpHook();
    m_helpHook->showHelp(context);
}

HelpWindow *MainWindow::helpWindow() const {
    return m_helpWindow.get();
}

void MainWindow::showAbout() {
    QMessageBox::about(this, QStringLiteral("Info"),
                       QStringLiteral("<b>Buchhaltung</b><br>Version %1<br>Finanzbuchhaltung")
                           .arg(programVersion()));
}

void MainWindow::closeEvent(QCloseEvent *e) {
    storeColumnWidths(m_konten->gridView(), m_konten->gridModel(), m_core->window.grid1Widths);
    storeColumnWidths(m_buchen->gridView(), m_buchen->gridModel(), m_core->window.grid2Widths);
    m_core->window.geometry = (isMaximized() || isFullScreen()) ? normalGeometry() : geometry();
    if (m_core->close()) {
        e->accept();
        // The help window stands alone on the desktop; it goes with the program.
        m_helpHook.reset();
    } else
        e->ignore();
}

} // namespace ledra
