#include "ReportLaunchers.h"

#include "EingrenzungDialog.h"
#include "EventBoundary.h"
#include "PreviewWindow.h"
#include "books/OutputFileGuard.h"
#include "reports/EingrenzungRules.h"
#include "reports/ReportViewer.h"

namespace ledra {

ReportLaunchers::ReportLaunchers(BooksSession &books, Ui &ui, QWidget *window, Hooks hooks)
    : m_books(books), m_ui(ui), m_hooks(std::move(hooks)) {
    m_filter = std::make_unique<reports::EingrenzungRules>(m_books);
    m_filterDialog = new EingrenzungDialog(*m_filter, window);
    m_filterDialog->helpHandler = m_hooks.showHelp;
    m_previewViewer = std::make_unique<QtReportViewer>(window);
    m_previewViewer->refuseOutput = [&books](const QString &file) {
        return outputFileRefusal(books, file);
    };
    m_viewer = m_previewViewer.get();
    buildContext();
}

ReportLaunchers::~ReportLaunchers() {
    // The dialog refers to the filter rules, which go before the window's children.
    delete m_filterDialog;
}

void ReportLaunchers::buildContext() {
    m_context.reset(new reports::ReportContext{m_books, *m_filter, *m_viewer, m_hooks.enableControl,
                                               m_hooks.showWindow});
}

void ReportLaunchers::setViewer(reports::ReportViewer *viewer) {
    m_viewer = viewer ? viewer : m_previewViewer.get();
    buildContext();
}

void ReportLaunchers::launch(const std::function<void(reports::ReportContext &)> &launcher) {
    runAction(m_ui, [this, &launcher] { launcher(*m_context); });
}

} // namespace ledra
