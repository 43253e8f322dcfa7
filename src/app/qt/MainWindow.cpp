#include "MainWindow.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>

MainWindow::MainWindow(const QString &programFolder)
    : ui_(this), core_(std::make_unique<TFBuchhaltung>(ui_, programFolder))
{
    setObjectName(QStringLiteral("FBuchhaltung"));
    setWindowTitle(QStringLiteral("Buchhaltung %1").arg(QStringLiteral(PROJECT_VERSION_TEXT)));
    pages_ = new QTabWidget(this);
    for (const char *p : {"Buchen", "Konten", "Einstellung"}) {
        auto *w = new QWidget;
        w->setObjectName(QString::fromLatin1(p));
        pages_->addTab(w, QString::fromLatin1(p));
    }
    setCentralWidget(pages_);
    buildStatusBar();
    core_->controlsChanged = [this] { syncControls(); };
}

MainWindow::~MainWindow() = default;

void MainWindow::buildStatusBar()
{
    const int widths[4] = {120, 100, 100, 50};
    for (int i = 0; i < 4; ++i) {
        panels_[i] = new QLabel(this);
        panels_[i]->setMinimumWidth(widths[i]);
        if (i < 3) panels_[i]->setAlignment(Qt::AlignCenter);
        statusBar()->addWidget(panels_[i], i == 3 ? 1 : 0);
    }
    gauge_ = new QProgressBar(this);
    gauge_->setFormat(QStringLiteral("%p%"));
    gauge_->setVisible(false);
    statusBar()->addPermanentWidget(gauge_);
    ui_.setStatusBar(panels_, gauge_);
}

bool MainWindow::create()
{
    QRect screen;
    if (auto *s = QGuiApplication::primaryScreen()) screen = s->availableGeometry();
    if (!core_->FormCreate(screen)) return false;
    setGeometry(core_->window.geometry);
    syncControls();
    return true;
}

void MainWindow::syncControls() {}

void MainWindow::closeEvent(QCloseEvent *e)
{
    core_->window.geometry = geometry();
    if (core_->FormClose())
        e->accept();
    else
        e->ignore();
}
