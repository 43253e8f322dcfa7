#include "HelpWindow.h"

#include "diagnostics/HelpTopics.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHelpContentModel>
#include <QHelpContentWidget>
#include <QHelpEngine>
#include <QHelpIndexWidget>
#include <QHelpLink>
#include <QHelpSearchEngine>
#include <QHelpSearchQueryWidget>
#include <QHelpSearchResultWidget>
#include <QLabel>
#include <QLineEdit>
#include <QLockFile>
#include <QPushButton>
#include <QSplitter>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QVBoxLayout>
namespace ledra {

namespace {

class CollectionHold : public QObject {
public:
    CollectionHold(std::unique_ptr<QLockFile> lock, std::unique_ptr<QTemporaryDir> folder,
                   QObject *parent)
        : QObject(parent), m_lock(std::move(lock)), m_folder(std::move(folder)) {}

private:
    std::unique_ptr<QLockFile> m_lock;
    std::unique_ptr<QTemporaryDir> m_folder;
};

} // namespace

namespace {

// Pages of the manual come from the compressed help file; links to the web go to the
// desktop's browser.
class ManualBrowser : public QTextBrowser {
public:
    ManualBrowser(QHelpEngine *&engine, QWidget *parent) : QTextBrowser(parent), m_engine(engine) {
        setOpenLinks(false);
        connect(this, &QTextBrowser::anchorClicked, this, [this](const QUrl &url) {
            if (url.scheme() == QLatin1String("qthelp") || url.isRelative())
                setSource(url);
            else
                QDesktopServices::openUrl(url);
        });
    }

    QVariant loadResource(int type, const QUrl &name) override {
        if (m_engine && name.scheme() == QLatin1String("qthelp"))
            return m_engine->fileData(name);
        return QTextBrowser::loadResource(type, name);
    }

private:
    QHelpEngine *&m_engine;
};

} // namespace

HelpWindow::HelpWindow(const QString &helpFolder, const QString &cacheFolder)
    : QWidget(nullptr, Qt::Window), m_helpFolder(helpFolder), m_cacheFolder(cacheFolder) {
    setObjectName(QStringLiteral("Hilfe"));
    setWindowTitle(QStringLiteral("Hilfe zur Buchhaltung"));
    resize(900, 650);

    m_browser = new ManualBrowser(m_engine, this);
    m_browser->setObjectName(QStringLiteral("HilfeSeite"));
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("HilfeNavigation"));

    auto *back = new QPushButton(QStringLiteral("&Zurück"), this);
    auto *forward = new QPushButton(QStringLiteral("&Vorwärts"), this);
    auto *home = new QPushButton(QStringLiteral("&Startseite"), this);
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(back, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
    connect(forward, &QPushButton::clicked, m_browser, &QTextBrowser::forward);
    connect(home, &QPushButton::clicked, this, [this] { showContents(); });
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QWidget::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, forward, &QWidget::setEnabled);
    auto *bar = new QHBoxLayout;
    bar->addWidget(back);
    bar->addWidget(forward);
    bar->addWidget(home);
    bar->addStretch();

    auto *split = new QSplitter(this);
    split->addWidget(m_tabs);
    split->addWidget(m_browser);
    split->setStretchFactor(1, 3);
    split->setSizes({260, 640});
    auto *v = new QVBoxLayout(this);
    v->addLayout(bar);
    v->addWidget(split);
}

HelpWindow::~HelpWindow() = default;

bool HelpWindow::ensureEngine() {
    if (m_engine)
        return true;
    if (m_failed)
        return false;
    const QString qch = HelpTopics::helpFileIn(m_helpFolder);
    const QFileInfo info(qch);
    m_namespace = info.isFile() ? QHelpEngineCore::namespaceName(qch) : QString();
    if (m_namespace.isEmpty())
        return false; // missing or not a help file; a later request looks again
    // One collection per manual: two installations, or two test runs, never share one.
    QString cache = m_cacheFolder;
    if (cache.isEmpty())
        cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation) +
                QStringLiteral("/hilfe/") +
                QString::fromLatin1(QCryptographicHash::hash(info.absoluteFilePath().toUtf8(),
                                                             QCryptographicHash::Sha1)
                                        .toHex()
                                        .left(16));
    QDir().mkpath(cache);
    // The shared collection serves one program at a time (its search index is written in the
    // background); a second program at the same time gets a private collection.
    auto lock = std::make_unique<QLockFile>(cache + QStringLiteral("/ledra.qhc.lock"));
    std::unique_ptr<QTemporaryDir> privateCache;
    if (!lock->tryLock(0)) {
        lock.reset();
        privateCache = std::make_unique<QTemporaryDir>();
        if (privateCache->isValid())
            cache = privateCache->path();
    }
    auto *engine = new QHelpEngine(cache + QStringLiteral("/ledra.qhc"), this);
    // The collection is ours to write: it registers the manual and holds the search index.
    engine->setReadOnly(false);
    // Made after the engine, so destroyed after it: the lock and the private folder outlive it.
    new CollectionHold(std::move(lock), std::move(privateCache), this);
    engine->setUsesFilterEngine(true);
    if (!engine->setupData()) {
        delete engine;
        m_failed = true;
        return false;
    }
    // A new build or installation of the manual replaces the registered one.
    const QString stamp = QStringLiteral("%1|%2|%3")
                              .arg(info.absoluteFilePath(), QString::number(info.size()),
                                   info.lastModified().toString(Qt::ISODateWithMs));
    const QString stampKey = QStringLiteral("ledra-handbuch");
    const bool registered = engine->registeredDocumentations().contains(m_namespace);
    if (registered && engine->customValue(stampKey).toString() != stamp)
        engine->unregisterDocumentation(m_namespace);
    if (!engine->registeredDocumentations().contains(m_namespace)) {
        if (!engine->registerDocumentation(qch)) {
            delete engine;
            m_failed = true;
            return false;
        }
        engine->setCustomValue(stampKey, stamp);
        engine->setupData();
        engine->searchEngine()->reindexDocumentation();
    } else {
        engine->searchEngine()->scheduleIndexDocumentation();
    }
    m_engine = engine;
    buildPanes();
    return true;
}

void HelpWindow::buildPanes() {
    QHelpContentWidget *contents = m_engine->contentWidget();
    contents->setObjectName(QStringLiteral("Inhalt"));
    m_tabs->addTab(contents, QStringLiteral("&Inhalt"));
    connect(contents, &QHelpContentWidget::linkActivated, this, &HelpWindow::showPage);
    // The tree is built in the background: once it stands, open its chapters and mark the
    // page shown.
    connect(m_engine->contentModel(), &QHelpContentModel::contentsCreated, this, [this, contents] {
        contents->expandToDepth(0);
        const QModelIndex at = contents->indexOf(m_browser->source());
        if (at.isValid())
            contents->setCurrentIndex(at);
    });
    m_engine->contentModel()->createContents(QString());

    auto *indexPane = new QWidget(m_tabs);
    auto *iv = new QVBoxLayout(indexPane);
    iv->setContentsMargins(2, 2, 2, 2);
    iv->addWidget(new QLabel(QStringLiteral("Gesuchtes &Stichwort:"), indexPane));
    m_indexFilter = new QLineEdit(indexPane);
    m_indexFilter->setObjectName(QStringLiteral("IndexFilter"));
    static_cast<QLabel *>(iv->itemAt(0)->widget())->setBuddy(m_indexFilter);
    iv->addWidget(m_indexFilter);
    QHelpIndexWidget *index = m_engine->indexWidget();
    index->setObjectName(QStringLiteral("Index"));
    iv->addWidget(index);
    connect(m_indexFilter, &QLineEdit::textChanged, index,
            [index](const QString &t) { index->filterIndices(t); });
    connect(m_indexFilter, &QLineEdit::returnPressed, index,
            &QHelpIndexWidget::activateCurrentItem);
    connect(index, &QHelpIndexWidget::documentActivated, this,
            [this](const QHelpLink &link, const QString &) { showPage(link.url); });
    connect(index, &QHelpIndexWidget::documentsActivated, this,
            [this](const QList<QHelpLink> &links, const QString &) {
                if (!links.isEmpty())
                    showPage(links.first().url);
            });
    m_engine->indexModel()->createIndex(QString());
    m_tabs->addTab(indexPane, QStringLiteral("In&dex"));

    auto *searchPane = new QWidget(m_tabs);
    auto *sv = new QVBoxLayout(searchPane);
    sv->setContentsMargins(2, 2, 2, 2);
    QHelpSearchEngine *se = m_engine->searchEngine();
    sv->addWidget(se->queryWidget());
    sv->addWidget(se->resultWidget());
    connect(se->queryWidget(), &QHelpSearchQueryWidget::search, this,
            [this, se] { search(se->queryWidget()->searchInput()); });
    connect(se->resultWidget(), &QHelpSearchResultWidget::requestShowLink, this,
            &HelpWindow::showPage);
    m_tabs->addTab(searchPane, QStringLiteral("Su&che"));
}

void HelpWindow::search(const QString &text) {
    if (!ensureEngine())
        return;
    QHelpSearchEngine *se = m_engine->searchEngine();
    se->queryWidget()->setSearchInput(text);
    m_tabs->setCurrentIndex(2);
    se->search(text);
}

void HelpWindow::showPage(const QUrl &url) {
    m_browser->setSource(url);
    if (m_engine) {
        const QModelIndex at = m_engine->contentWidget()->indexOf(url);
        if (at.isValid())
            m_engine->contentWidget()->setCurrentIndex(at);
    }
    if (isMinimized())
        showNormal();
    show();
    raise();
    activateWindow();
}

int HelpWindow::showContext(int context) {
    if (!ensureEngine())
        return HelpNotInstalled;
    const QList<QHelpLink> links =
        m_engine->documentsForIdentifier(HelpTopics::identifier(context));
    if (links.isEmpty())
        return HelpUnknownContext;
    showPage(links.first().url);
    return HelpShown;
}

int HelpWindow::showContents() {
    if (!ensureEngine())
        return HelpNotInstalled;
    m_tabs->setCurrentIndex(0);
    showPage(QUrl(QStringLiteral("qthelp://%1/hilfe/index.html").arg(m_namespace)));
    return HelpShown;
}

void HelpWindow::closeAll() {
    close();
}

QUrl HelpWindow::currentPage() const {
    return m_browser->source();
}

} // namespace ledra
