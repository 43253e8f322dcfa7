#pragma once
// The print preview of every report: opened maximised and zoomed to the page width (or to
// the whole page), one page at a time, with printing, saving as PDF and, for the journal,
// saving as plain text and CSV. The pages are painted by the report engine's paint path,
// the same that writes PDF files and prints.

#include "reportengine/PageModel.h"
#include "reports/ReportViewer.h"

#include <QDialog>
#include <QWidget>
#include <functional>

class QLabel;
class QTextStream;
class QScrollArea;
class QToolBar;
class QAction;
namespace ledra {

namespace report {
class Report;
}

class PageCanvas : public QWidget {
    Q_OBJECT
public:
    explicit PageCanvas(QWidget *parent = nullptr) : QWidget(parent) {}
    void setPage(const ledra::report::Page *page, double pixelsPerMm);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    const ledra::report::Page *m_page = nullptr;
    double m_scale = 1.0;
};

class PreviewWindow : public QDialog {
    Q_OBJECT
public:
    enum class Zoom { PageWidth, WholePage, Fixed };

    PreviewWindow(ledra::report::PageModel model, const QString &title,
                  const reports::PreviewOptions &options, QWidget *parent = nullptr);

    const ledra::report::PageModel &model() const { return m_model; }
    // While the layout still runs, the window shows the pages it has so far; printing and
    // saving wait until it is complete (setLayoutRunning(false)).
    void setLayoutRunning(bool running);
    bool layoutRunning() const { return m_layoutRunning; }
    void addPage(ledra::report::Page &&page);
    int currentPage() const { return m_current; }
    void showPage(int index);
    void setZoom(Zoom zoom, double factor = 1.0);
    double pixelsPerMm() const { return m_scale; }

    // The commands of the tool bar; each returns whether it completed.
    bool printPages();
    bool savePdf(const QString &fileName = {});
    bool saveText(const QString &fileName = {});
    bool saveCsv(const QString &fileName = {});

    // Where the file dialogs start.
    static QString lastFolder;
    // Gives the reason a chosen file must not be written (it is part of the books), else empty.
    std::function<QString(const QString &)> refuseOutput;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void updateView();
    QString askFile(const QString &caption, const QString &filter, const QString &suffix);
    // Asks for the file when none is given and writes it as UTF-8 text through `write`.
    bool writeTextFile(const QString &fileName, const QString &caption, const QString &filter,
                       const QString &suffix, const std::function<void(QTextStream &)> &write);
    void reportFailure(const QString &text);
    // Reports and returns true when the file is one the books forbid.
    bool refused(const QString &file);

    ledra::report::PageModel m_model;
    bool m_layoutRunning = false;
    QList<QAction *> m_outputActions; // printing and saving
    QString m_title;
    reports::PreviewOptions m_options;
    QScrollArea *m_scroll = nullptr;
    PageCanvas *m_canvas = nullptr;
    QLabel *m_pageLabel = nullptr;
    int m_current = 0;
    Zoom m_zoom = Zoom::PageWidth;
    double m_factor = 1.0;
    double m_scale = 1.0;
};

// The viewer the main window hands to report launchers.
class QtReportViewer : public reports::ReportViewer {
public:
    explicit QtReportViewer(QWidget *parent = nullptr) : m_parent(parent) {}
    void preview(ledra::report::Report &report, const reports::PreviewOptions &options) override;
    void print(ledra::report::Report &report) override;
    // Handed to every preview: which files its save commands refuse.
    std::function<QString(const QString &)> refuseOutput;

private:
    QWidget *m_parent;
};

} // namespace ledra
