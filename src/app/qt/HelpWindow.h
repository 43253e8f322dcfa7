#pragma once
// The help window: the manual (the compressed help file beside the program) with its
// contents, its index and a full-text search beside the page. It stands alone on the
// desktop, so that it stays open while the user works on in the program.

#include "diagnostics/HelpViewer.h"

#include <QUrl>
#include <QWidget>

class QHelpEngine;
class QLineEdit;
class QTabWidget;
class QTextBrowser;

namespace ledra {

class HelpWindow : public QWidget, public HelpViewer {
    Q_OBJECT
public:
    // `helpFolder`: the manual's folder. The help engine keeps its collection and search
    // index in `cacheFolder` (default: the user's cache), never beside the program.
    explicit HelpWindow(const QString &helpFolder, const QString &cacheFolder = QString());
    ~HelpWindow() override;

    int showContext(int context) override;
    int showContents() override;
    void closeAll() override;

    QUrl currentPage() const;
    QTextBrowser *browser() const { return m_browser; }
    QTabWidget *tabs() const { return m_tabs; }
    QHelpEngine *engine() const { return m_engine; }
    // Searches the manual's full text and shows the hits in the search tab.
    void search(const QString &text);

private:
    bool ensureEngine();
    void buildPanes();
    void showPage(const QUrl &url);

    QString m_helpFolder;
    QString m_cacheFolder;
    QHelpEngine *m_engine = nullptr;
    QString m_namespace;
    QTabWidget *m_tabs = nullptr;
    QTextBrowser *m_browser = nullptr;
    QLineEdit *m_indexFilter = nullptr;
    bool m_failed = false;
};

} // namespace ledra
