#include "MainWindow.h"

#include "BuchenPage.h"
#include "DbNavigator.h"
#include "EingrenzungDialog.h"
#include "EinstellungPage.h"
#include "EventBoundary.h"
#include "ReversalDialog.h"
#include "KontenPage.h"
#include "PageControl.h"
#include "PreviewWindow.h"
#include "TableModel.h"
#include "books/SaldenRecompute.h"
#include "posting/BuchungRules.h"
#include "posting/StornoRules.h"
#include "reports/ReportViewer.h"
#include "reports/BwaReport.h"
#include "reports/BilanzReport.h"
#include "reports/StapelReport.h"
#include "reports/JournalReport.h"
#include "reports/EingrenzungRules.h"
#include "reports/GuvReport.h"
#include "reports/KontenblattReport.h"
#include "reports/SaldenlisteReport.h"
#include "reports/SaldenlisteQuerReport.h"
#include "reports/UstVaReport.h"
#include "ui/qt/QtUi.h"

#include <QApplication>
#include <QCloseEvent>
#include <QShortcut>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStatusBar>
#include <QStyle>
#include <QStyleFactory>
#include <QTableView>
#include <QTextBrowser>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

// The ui port as the window offers it to the rules: messages, questions and dialogs go to
// the given port (message boxes, or a script in tests), while focus requests, the status bar
// and the progress gauge are the window's own.
class WindowUi : public Ui {
public:
    WindowUi(Ui &inner, MainWindow &window) : inner_(inner), window_(window) {}
    Ui &inner() { return inner_; }

    void message(MsgKind kind, const QString &text, int helpContext) override {
        inner_.message(kind, text, helpContext);
    }
    int confirm(const QString &text, int buttons, int helpContext) override {
        return inner_.confirm(text, buttons, helpContext);
    }
    int warnOkCancel(const QString &text, int helpContext) override {
        return inner_.warnOkCancel(text, helpContext);
    }
    void focus(const QString &control) override {
        inner_.focus(control);
        window_.focusControl(control);
    }
    void status(int panel, const QString &text) override {
        inner_.status(panel, text);
        window_.setStatusText(panel, text);
    }
    void progressVisible(bool visible) override {
        inner_.progressVisible(visible);
        window_.setProgressVisible(visible);
    }
    void progress(int percent) override {
        inner_.progress(percent);
        window_.setProgress(percent);
    }
    void beep() override { inner_.beep(); }
    void processEvents() override { inner_.processEvents(); }
    std::optional<QString> input(const QString &caption, const QString &prompt,
                                 const QString &value) override {
        return inner_.input(caption, prompt, value);
    }
    std::optional<int> chooseColor(int color) override { return inner_.chooseColor(color); }

private:
    Ui &inner_;
    MainWindow &window_;
};

void applyColumnWidths(QTableView *view, const TableModel *model,
                       const QMap<QString, int> &widths) {
    for (int c = 0; c < model->columnCount(); ++c) {
        auto it = widths.constFind(model->column(c).field);
        if (it != widths.constEnd() && it.value() > 0)
            view->setColumnWidth(c, it.value());
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
        qtUi_ = std::make_unique<QtUi>(this);
        qtUi_->helpHandler = [this](int context) { showHelp(context); };
    }
    ui_ = std::make_unique<WindowUi>(external ? *external : *qtUi_, *this);
    core_ = std::make_unique<Shell>(*ui_, programFolder);

    setObjectName(QStringLiteral("FBuchhaltung"));
    setWindowTitle(QStringLiteral("Buchhaltung %1").arg(QStringLiteral(PROJECT_VERSION_TEXT)));
    buildPages();
    buildStatusBar();
    core_->controlsChanged = [this] { syncControls(); };
    // Enter on the page "Buchen" is seen here before the control that has the focus.
    qApp->installEventFilter(this);
}

MainWindow::~MainWindow() {
    qApp->removeEventFilter(this);
    core_->controlsChanged = nullptr;
    core_->resetFilterOrder = nullptr;
    // The dialogs refer to the rules objects, which go before the window's children.
    delete journalDialog_;
    delete filterDialog_;
    // The pages refer to the rules object; they go first.
    delete takeCentralWidget();
}

Ui &MainWindow::ui() {
    return ui_->inner();
}

void MainWindow::buildPages() {
    pages_ = new PageControl(this);
    pages_->setObjectName(QStringLiteral("PageControl1"));

    buchenTab_ = new QWidget;
    buchenTab_->setObjectName(QStringLiteral("Buchen"));
    buchenTab_->setProperty("helpContext", 10);
    auto *vb = new QVBoxLayout(buchenTab_);
    vb->addWidget(buildBuchenTopBar(buchenTab_));
    buchen_ = new BuchenPage(*core_, buchenTab_);
    vb->addWidget(buchen_, 1);
    pages_->addTab(buchenTab_, QStringLiteral("Buchen"));

    auto *kontenTab = new QWidget;
    kontenTab->setObjectName(QStringLiteral("Konten"));
    kontenTab->setProperty("helpContext", 20);
    auto *vk = new QVBoxLayout(kontenTab);
    konten_ = new KontenPage(*core_, *ui_, kontenTab);
    vk->addWidget(konten_);
    pages_->addTab(kontenTab, QStringLiteral("Konten"));

    auto *einstellungTab = new QScrollArea;
    einstellungTab->setObjectName(QStringLiteral("Einstellung"));
    einstellungTab->setProperty("helpContext", 30);
    einstellungTab->setWidgetResizable(true);
    einstellungTab->setFrameShape(QFrame::NoFrame);
    einstellung_ = new EinstellungPage(*core_);
    einstellungTab->setWidget(einstellung_);
    pages_->addTab(einstellungTab, QStringLiteral("Einstellung"));

    connect(einstellung_, &EinstellungPage::opDatumToggled, buchen_,
            &BuchenPage::setOPDatumVisible);
    connect(einstellung_->Info(), &QPushButton::clicked, this, &MainWindow::showAbout);
    connect(einstellung_, &EinstellungPage::dataReloaded, this, &MainWindow::reloadGrids);
    connect(konten_, &KontenPage::dataReloaded, this, &MainWindow::reloadGrids);
    for (TableModel *m : {buchen_->gridModel(), konten_->gridModel()})
        connect(m, &TableModel::tableError, this, [this](const QString &msg) { ui_->error(msg); });

    pages_->changing = [this](int, int) { return pageChanging(); };
    connect(pages_, &QTabWidget::currentChanged, this, &MainWindow::pageChanged);
    buildMenus(buchenTab_);
    connectReports();
    setCentralWidget(pages_);
}

QWidget *MainWindow::buildBuchenTopBar(QWidget *page) {
    auto *bar = new QWidget(page);
    bar->setObjectName(QStringLiteral("TopBar"));
    auto *h = new QHBoxLayout(bar);
    h->setContentsMargins(0, 0, 0, 0);
    navigator2_ = new DbNavigator(core_->books().stapel, *ui_, bar);
    navigator2_->setObjectName(QStringLiteral("DBNavigator2"));
    h->addWidget(navigator2_);
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
    bSpeichern_ =
        speed(QStringLiteral("BSpeichern"), QStringLiteral("Speichern"),
              QStringLiteral("Buchungen ins Journal übertragen"), QStyle::SP_DialogSaveButton);
    sbDruck_ = speed(QStringLiteral("SBDruck"), QStringLiteral("Drucken"),
                     QStringLiteral("Buchungsstapel drucken"), QStyle::SP_FileDialogDetailedView);
    bOP_ = speed(QStringLiteral("BOP"), QStringLiteral("OP"),
                 QStringLiteral("Offene Posten anlegen und ausgleichen"),
                 QStyle::SP_FileDialogInfoView);
    sbEnde_ = speed(QStringLiteral("SBEnde"), QStringLiteral("Ende"), QStringLiteral("Beenden"),
                    QStyle::SP_DialogCloseButton);
    bSpeichern_->setEnabled(false);
    sbDruck_->setEnabled(false);
    bOP_->setVisible(false);
    connect(sbEnde_, &QToolButton::clicked, this, &QWidget::close);
    connect(bSpeichern_, &QToolButton::clicked, this, &MainWindow::transferBatch);
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
    auto &p1 = popup1_;
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
    connect(p1.Neu, &QAction::triggered, this,
            [this] { runAction(*ui_, [this] { core_->entry().newRow(); }); });
    connect(p1.Speichern, &QAction::triggered, this, &MainWindow::transferBatch);
    connect(p1.Storno, &QAction::triggered, this, &MainWindow::showReversalDialog);
    connect(p1.Splitting, &QAction::triggered, this, [this] {
        // F4 fills the account field that has the focus; the rules must know which one it is.
        buchen_->syncFocus();
        runAction(*ui_, [this] { putSplittingAccount(core_->books(), core_->entry()); });
    });
    connect(p1.Favorithinzufuegen, &QAction::triggered, this,
            [this] { runAction(*ui_, [this] { addTemplate(core_->books()); }); });
    connect(p1.Favoritloeschen, &QAction::triggered, this,
            [this] { runAction(*ui_, [this] { deleteTemplate(core_->books()); }); });
    // The shortcuts work while the page "Buchen" is shown, also with the menu closed.
    for (QAction *a : p1.menu->actions()) {
        if (a->isSeparator())
            continue;
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        buchenPage->addAction(a);
    }

    auto &p2 = popup2_;
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
    connect(p2.Salden, &QAction::triggered, konten_, &KontenPage::recomputeSalden);
}

void MainWindow::buildStatusBar() {
    statusBar()->setObjectName(QStringLiteral("StatusBar1"));
    const int widths[4] = {120, 100, 100, 50};
    for (int i = 0; i < 4; ++i) {
        panels_[i] = new QLabel(this);
        panels_[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        panels_[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        if (i < 3) {
            panels_[i]->setFixedWidth(widths[i]);
            panels_[i]->setAlignment(Qt::AlignCenter);
        } else {
            panels_[i]->setMinimumWidth(widths[i]);
        }
        statusBar()->addWidget(panels_[i], i == 3 ? 1 : 0);
    }
    gauge_ = new QProgressBar(this);
    gauge_->setObjectName(QStringLiteral("ProgressBar1"));
    gauge_->setRange(0, 100);
    gauge_->setFormat(QStringLiteral("%p%"));
    gauge_->setVisible(false);
    statusBar()->addPermanentWidget(gauge_);
}

void MainWindow::setStatusText(int panel, const QString &text) {
    if (auto *p = statusPanel(panel))
        p->setText(text);
}

void MainWindow::setProgressVisible(bool visible) {
    gauge_->setVisible(visible);
}

void MainWindow::setProgress(int percent) {
    gauge_->setValue(percent);
}

bool MainWindow::create() {
    QRect screen;
    if (auto *s = QGuiApplication::primaryScreen())
        screen = s->availableGeometry();
    if (!core_->start(screen))
        return false;
    // F1 anywhere in the window: the help page of the focused control, else of the page.
    auto *f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    f1->setContext(Qt::WindowShortcut);
    connect(f1, &QShortcut::activated, this, [this] {
        for (QWidget *w = QApplication::focusWidget(); w && w != this; w = w->parentWidget())
            if (w->property("helpContext").isValid()) {
                showHelp(w->property("helpContext").toInt());
                return;
            }
        static const int pageContexts[] = {10, 20, 30};
        const int page = pages_->currentIndex();
        showHelp(page >= 0 && page < 3 ? pageContexts[page] : 0);
    });
    setGeometry(core_->window.geometry);
    applyColumnWidths(konten_->gridView(), konten_->gridModel(), core_->window.grid1Widths);
    applyColumnWidths(buchen_->gridView(), buchen_->gridModel(), core_->window.grid2Widths);
    applySkin();
    createReports();
    syncControls();
    return true;
}

void MainWindow::createReports() {
    // The filter dialog lives as long as the program, so that the range and the options
    // chosen for one report are offered again for the next.
    filter_ = std::make_unique<reports::EingrenzungRules>(core_->books());
    filterDialog_ = new EingrenzungDialog(*filter_, this);
    filterDialog_->helpHandler = [this](int context) { showHelp(context); };
    previewViewer_ = std::make_unique<QtReportViewer>(this);
    if (!viewer_)
        viewer_ = previewViewer_.get();
    buildReportContext();
    // Another year opened: its range is offered, by date.
    core_->resetFilterOrder = [this] { filter_->sortByDate(); };
}

void MainWindow::buildReportContext() {
    if (!filter_)
        return;
    reportContext_.reset(new reports::ReportContext{
        core_->books(), *filter_, *viewer_,
        [this](const QString &control, bool on) { setReportControlEnabled(control, on); },
        [this](bool visible) { setVisible(visible); }});
}

void MainWindow::setReportViewer(reports::ReportViewer *viewer) {
    viewer_ = viewer ? viewer : previewViewer_.get();
    buildReportContext();
}

void MainWindow::launchReport(const std::function<void(reports::ReportContext &)> &launcher) {
    if (!reportContext_)
        return;
    runAction(*ui_, [this, &launcher] { launcher(*reportContext_); });
}

void MainWindow::setReportControlEnabled(const QString &control, bool enabled) {
    // A launcher names its button; the menu entry of the same report goes with it.
    if (control == QLatin1String("SBJournal")) {
        konten_->SBJournal()->setEnabled(enabled);
        popup2_.Journal->setEnabled(enabled);
    } else if (control == QLatin1String("KBlatt")) {
        konten_->KBlatt()->setEnabled(enabled);
        popup2_.Kontenblatt->setEnabled(enabled);
    } else if (auto *w = findChild<QWidget *>(control)) {
        w->setEnabled(enabled);
    }
}

void MainWindow::connectReports() {
    using Launcher = void (*)(reports::ReportContext &);
    auto wire = [this](auto *sender, auto signal, Launcher launcher) {
        connect(sender, signal, this, [this, launcher] { launchReport(launcher); });
    };
    wire(sbDruck_, &QToolButton::clicked, &reports::printStapel);
    wire(konten_->SBJournal(), &QPushButton::clicked, &reports::printJournal);
    wire(popup2_.Journal, &QAction::triggered, &reports::printJournal);
    wire(popup2_.MUstVM, &QAction::triggered, &reports::printUstVa);
    wire(popup2_.MSalden, &QAction::triggered, &reports::printSaldenliste);
    wire(popup2_.MSalden2, &QAction::triggered, &reports::printSaldenlisteQuer);
    wire(popup2_.GuV, &QAction::triggered, &reports::printGuv);
    wire(popup2_.BWA, &QAction::triggered, &reports::printBwa);
    wire(popup2_.Bilanz, &QAction::triggered, &reports::printBilanzOverview);

    auto accountSheet = [this] {
        launchReport([this](reports::ReportContext &ctx) {
            reports::printKontenblatt(ctx, konten_->markedAccounts());
        });
    };
    connect(konten_->KBlatt(), &QPushButton::clicked, this, accountSheet);
    connect(popup2_.Kontenblatt, &QAction::triggered, this, accountSheet);
    connect(konten_->gridView(), &QAbstractItemView::doubleClicked, this, accountSheet);
}

void MainWindow::applySkin() {
    // The sibling program's skins are its own; a skin named like a style this platform
    // knows is shown in that style, any other leaves the window as it is.
    if (!core_->merva.skinActive)
        return;
    const QStringList keys = QStyleFactory::keys();
    for (const QString &k : keys)
        if (k.compare(core_->merva.skin, Qt::CaseInsensitive) == 0) {
            QApplication::setStyle(k);
            return;
        }
}

void MainWindow::syncControls() {
    const auto &c = core_->controls;
    bOP_->setVisible(c.bopVisible);
    popup1_.OffenePosten->setVisible(c.bopVisible);
    bSpeichern_->setEnabled(c.bSpeichernEnabled);
    sbDruck_->setEnabled(c.sbDruckEnabled);
    // "S&torno", "B&uchungen speichern" and "&Beenden" follow "&Neu"; "&Splitting" is there
    // exactly while a row is being entered.
    for (QAction *a : {popup1_.Neu, popup1_.Storno, popup1_.Speichern, popup1_.Beenden})
        a->setEnabled(c.neuEnabled);
    popup1_.Splitting->setEnabled(c.splittingEnabled);
    popup1_.Favorithinzufuegen->setEnabled(c.favAddEnabled);
    popup1_.Favoritloeschen->setEnabled(c.favDelEnabled);
    buchen_->setCashBasisColumns(c.cashBasisColumns);
    if (shownBookingTexts_ != core_->books().bookingTexts) {
        shownBookingTexts_ = core_->books().bookingTexts;
        buchen_->setBookingTexts(shownBookingTexts_);
    }
    einstellung_->syncControls();
    einstellung_->loadSettings();
}

bool MainWindow::pageChanging() {
    // Leaving the settings page runs the exit check of its field in the rules, which move
    // the focus themselves; the page must not run that check a second time.
    einstellung_->setTrackFocus(false);
    bool allowed = false;
    try {
        allowed = core_->mayLeavePage();
    } catch (const std::exception &) {
        allowed = false;
    }
    einstellung_->setTrackFocus(true);
    return allowed;
}

void MainWindow::pageChanged(int index) {
    using Page = Shell::Page;
    const Page page = index == 1 ? Page::Konten : index == 2 ? Page::Einstellung : Page::Buchen;
    runAction(*ui_, [this, page] { core_->pageChanged(page); });
}

void MainWindow::transferBatch() {
    runAction(*ui_, [this] { core_->entry().transferStapel(); });
}

void MainWindow::reloadGrids() {
    // A year operation or a standard chart may have replaced the files behind the tables.
    buchen_->gridModel()->reload();
    konten_->gridModel()->reload();
    buchen_->showCurrentRow();
    einstellung_->loadSettings();
}

void MainWindow::contextMenuEvent(QContextMenuEvent *e) {
    // Each page has its own pop-up menu; the settings page has none.
    QMenu *menu = nullptr;
    if (core_->books().page == Shell::Page::Buchen)
        menu = popup1_.menu;
    if (core_->books().page == Shell::Page::Konten)
        menu = popup2_.menu;
    if (menu)
        menu->popup(e->globalPos());
    e->accept();
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
        auto *key = static_cast<QKeyEvent *>(event);
        auto *w = static_cast<QWidget *>(watched);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (enter && pages_->currentWidget() == buchenTab_ && buchenTab_->isAncestorOf(w)) {
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

void MainWindow::showReversalDialog() {
    if (!journalDialog_) {
        // Created at its first use and kept, so that it opens where it was left.
        journalDialog_ = new ReversalDialog(*core_, this);
        journalDialog_->helpHandler = [this](int context) { showHelp(context); };
    }
    journalDialog_->open();
}

void MainWindow::showHelp(int context) {
    if (!core_->helpAvailable)
        return;
    const QString folder = core_->helpFolder + QLatin1Char('/');
    QString page = folder + QString::number(context) + QStringLiteral(".html");
    if (context <= 0 || !QFileInfo(page).isFile())
        page = folder + QStringLiteral("index.html");
    if (!helpViewer_) {
        helpViewer_ = new QTextBrowser(this);
        helpViewer_->setWindowFlag(Qt::Window);
        helpViewer_->setObjectName(QStringLiteral("Hilfe"));
        helpViewer_->setWindowTitle(QStringLiteral("Hilfe"));
        helpViewer_->setOpenExternalLinks(true);
        helpViewer_->resize(700, 600);
    }
    helpViewer_->setSource(QUrl::fromLocalFile(page));
    helpViewer_->show();
    helpViewer_->raise();
}

void MainWindow::showAbout() {
    QMessageBox::about(this, QStringLiteral("Info"),
                       QStringLiteral("<b>Buchhaltung</b><br>Version %1<br>Finanzbuchhaltung")
                           .arg(QStringLiteral(PROJECT_VERSION_TEXT)));
}

void MainWindow::closeEvent(QCloseEvent *e) {
    storeColumnWidths(konten_->gridView(), konten_->gridModel(), core_->window.grid1Widths);
    storeColumnWidths(buchen_->gridView(), buchen_->gridModel(), core_->window.grid2Widths);
    core_->window.geometry = (isMaximized() || isFullScreen()) ? normalGeometry() : geometry();
    if (core_->close())
        e->accept();
    else
        e->ignore();
}
