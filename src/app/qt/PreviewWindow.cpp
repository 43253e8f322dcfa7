#include "PreviewWindow.h"

#include "reportengine/Layout.h"
#include "reportengine/PdfRenderer.h"
#include "reportengine/Report.h"
#include "reportengine/TextRenderer.h"
#include "reports/ReportConventions.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QSaveFile>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QTextStream>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>
namespace ledra {

namespace rpt = ledra::report;

namespace {

constexpr int kFramePx = 12; // grey border around the sheet

QPageLayout sheetLayout(const rpt::PageSetup &setup) {
    return QPageLayout(QPageSize(setup.paperMm, QPageSize::Millimeter),
                       setup.orientation == rpt::Orientation::Portrait ? QPageLayout::Portrait
                                                                       : QPageLayout::Landscape,
                       QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

// Paints pages first..last (0-based, inclusive) on a printer that is set up for the sheet.
void printOn(QPrinter &printer, const rpt::PageModel &model, int first, int last) {
    QPainter painter;
    if (!painter.begin(&printer))
        return;
    for (int i = first; i <= last && i < int(model.pages.size()); ++i) {
        if (i > first)
            printer.newPage();
        rpt::paintPage(painter, model.pages[size_t(i)]);
    }
    painter.end();
}

} // namespace

QString PreviewWindow::lastFolder;

void PageCanvas::setPage(const rpt::Page *page, double pixelsPerMm) {
    m_page = page;
    m_scale = pixelsPerMm;
    resize(sizeHint());
    update();
}

QSize PageCanvas::sizeHint() const {
    if (!m_page)
        return QSize(2 * kFramePx, 2 * kFramePx);
    return QSize(int(m_page->sizeMm.width() * m_scale) + 2 * kFramePx,
                 int(m_page->sizeMm.height() * m_scale) + 2 * kFramePx);
}

void PageCanvas::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Dark));
    if (!m_page)
        return;
    const QRectF sheet(kFramePx, kFramePx, m_page->sizeMm.width() * m_scale,
                       m_page->sizeMm.height() * m_scale);
    painter.fillRect(sheet, Qt::white);
    painter.setPen(Qt::black);
    painter.drawRect(sheet);
    painter.translate(kFramePx, kFramePx);
    // Fonts are sized in points for the device's own resolution, so the page is painted at
    // that resolution and the zoom is a transformation: texts then scale with the lines.
    const double natural = logicalDpiY() / 25.4;
    painter.scale(m_scale / natural, m_scale / natural);
    rpt::paintPage(painter, *m_page, natural);
}

PreviewWindow::PreviewWindow(rpt::PageModel model, const QString &title,
                             const reports::PreviewOptions &options, QWidget *parent)
    : QDialog(parent), m_model(std::move(model)), m_title(title), m_options(options) {
    setObjectName(QStringLiteral("Vorschau"));
    setWindowTitle(QStringLiteral("Druckvorschau - ") + title);
    setWindowFlags(Qt::Window | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    // The preview opens maximised; where nothing maximises it (no window manager) it still
    // takes most of the screen instead of the toolbar's width.
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        resize(screen->availableGeometry().size() * 0.9);
    m_zoom = options.wholePage ? Zoom::WholePage : Zoom::PageWidth;

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto *bar = new QToolBar(this);
    layout->addWidget(bar);
    m_scroll = new QScrollArea(this);
    m_scroll->setAlignment(Qt::AlignHCenter);
    m_scroll->setBackgroundRole(QPalette::Dark);
    m_canvas = new PageCanvas(m_scroll);
    m_scroll->setWidget(m_canvas);
    m_scroll->setWidgetResizable(false);
    layout->addWidget(m_scroll);

    m_outputActions << bar->addAction(QStringLiteral("Drucken..."), this, [this] { printPages(); });
    m_outputActions << bar->addAction(QStringLiteral("Als PDF speichern..."), this,
                                      [this] { savePdf(); });
    if (options.textAndCsv) {
        m_outputActions << bar->addAction(QStringLiteral("Als Text speichern..."), this,
                                          [this] { saveText(); });
        m_outputActions << bar->addAction(QStringLiteral("Als CSV speichern..."), this,
                                          [this] { saveCsv(); });
    }
    bar->addSeparator();
    bar->addAction(QStringLiteral("|<"), this, [this] { showPage(0); })
        ->setToolTip(QStringLiteral("Erste Seite"));
    bar->addAction(QStringLiteral("<"), this, [this] { showPage(m_current - 1); })
        ->setToolTip(QStringLiteral("Vorige Seite"));
    m_pageLabel = new QLabel(bar);
    m_pageLabel->setContentsMargins(8, 0, 8, 0);
    bar->addWidget(m_pageLabel);
    bar->addAction(QStringLiteral(">"), this, [this] { showPage(m_current + 1); })
        ->setToolTip(QStringLiteral("Nächste Seite"));
    bar->addAction(QStringLiteral(">|"), this, [this] { showPage(int(m_model.pages.size()) - 1); })
        ->setToolTip(QStringLiteral("Letzte Seite"));
    bar->addSeparator();
    bar->addAction(QStringLiteral("Seitenbreite"), this, [this] { setZoom(Zoom::PageWidth); });
    bar->addAction(QStringLiteral("Ganze Seite"), this, [this] { setZoom(Zoom::WholePage); });
    bar->addAction(QStringLiteral("100 %"), this, [this] { setZoom(Zoom::Fixed, 1.0); });
    bar->addSeparator();
    bar->addAction(QStringLiteral("Schließen"), this, &QDialog::accept);

    updateView();
}

void PreviewWindow::setLayoutRunning(bool running) {
    m_layoutRunning = running;
    for (QAction *a : m_outputActions)
        a->setEnabled(!running);
    updateView();
}

void PreviewWindow::addPage(rpt::Page &&page) {
    // The canvas points into the page list, which may move as it grows.
    m_model.pages.push_back(std::move(page));
    updateView();
}

void PreviewWindow::showPage(int index) {
    if (m_model.pages.empty())
        return;
    m_current = std::clamp(index, 0, int(m_model.pages.size()) - 1);
    updateView();
    m_scroll->verticalScrollBar()->setValue(0);
}

void PreviewWindow::setZoom(Zoom zoom, double factor) {
    m_zoom = zoom;
    m_factor = factor;
    updateView();
}

void PreviewWindow::updateView() {
    const int count = int(m_model.pages.size());
    m_pageLabel->setText(
        count ? QStringLiteral("Seite %1 von %2%3")
                    .arg(m_current + 1)
                    .arg(count)
                    .arg(m_layoutRunning ? QStringLiteral(" (weitere folgen)") : QString())
              : QStringLiteral("Keine Seiten"));
    if (!count) {
        m_canvas->setPage(nullptr, 1.0);
        return;
    }
    const rpt::Page &page = m_model.pages[size_t(m_current)];
    const QSize view = m_scroll->viewport()->size();
    const int scrollBar = m_scroll->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const double width = std::max(50, view.width() - 2 * kFramePx - scrollBar);
    const double height = std::max(50, view.height() - 2 * kFramePx);
    switch (m_zoom) {
    case Zoom::PageWidth:
        m_scale = width / page.sizeMm.width();
        break;
    case Zoom::WholePage:
        m_scale = std::min(width / page.sizeMm.width(), height / page.sizeMm.height());
        break;
    case Zoom::Fixed:
        m_scale = m_factor * logicalDpiX() / 25.4;
        break;
    }
    m_canvas->setPage(&page, m_scale);
}

void PreviewWindow::resizeEvent(QResizeEvent *event) {
    QDialog::resizeEvent(event);
    updateView();
}

void PreviewWindow::keyPressEvent(QKeyEvent *event) {
    switch (event->key()) {
    case Qt::Key_PageDown:
        showPage(m_current + 1);
        return;
    case Qt::Key_PageUp:
        showPage(m_current - 1);
        return;
    case Qt::Key_Home:
        if (event->modifiers() & Qt::ControlModifier) {
            showPage(0);
            return;
        }
        break;
    case Qt::Key_End:
        if (event->modifiers() & Qt::ControlModifier) {
            showPage(int(m_model.pages.size()) - 1);
            return;
        }
        break;
    default:
        break;
    }
    QDialog::keyPressEvent(event);
}

bool PreviewWindow::printPages() {
    if (m_model.pages.empty())
        return false;
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(sheetLayout(m_model.setup));
    printer.setFullPage(true);
    printer.setDocName(m_title);
    QPrintDialog dialog(&printer, this);
    dialog.setMinMax(1, int(m_model.pages.size()));
    if (dialog.exec() != QDialog::Accepted)
        return false;
    int first = 0, last = int(m_model.pages.size()) - 1;
    if (printer.printRange() == QPrinter::PageRange) {
        first = std::max(0, printer.fromPage() - 1);
        last = std::min(last, printer.toPage() - 1);
    } else if (printer.printRange() == QPrinter::CurrentPage) {
        first = last = m_current;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    printOn(printer, m_model, first, last);
    QApplication::restoreOverrideCursor();
    return true;
}

QString PreviewWindow::askFile(const QString &caption, const QString &filter,
                               const QString &suffix) {
    QString start = lastFolder.isEmpty() ? QDir::homePath() : lastFolder;
    start += QLatin1Char('/') + m_title + suffix;
    QString file = QFileDialog::getSaveFileName(this, caption, start, filter);
    if (file.isEmpty())
        return {};
    if (!file.endsWith(suffix, Qt::CaseInsensitive))
        file += suffix;
    lastFolder = QFileInfo(file).absolutePath();
    return file;
}

void PreviewWindow::reportFailure(const QString &text) {
    QMessageBox::critical(this, QStringLiteral("Fehler"), text);
}

bool PreviewWindow::refused(const QString &file) {
    const QString reason = refuseOutput ? refuseOutput(file) : QString();
    if (!reason.isEmpty())
        reportFailure(reason);
    return !reason.isEmpty();
}

bool PreviewWindow::savePdf(const QString &fileName) {
    const QString file =
        fileName.isEmpty() ? askFile(QStringLiteral("Als PDF speichern"),
                                     QStringLiteral("PDF-Dateien (*.pdf)"), QStringLiteral(".pdf"))
                           : fileName;
    if (file.isEmpty() || refused(file))
        return false;
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly)) {
        reportFailure(QStringLiteral("Datei %1 kann nicht geschrieben werden.").arg(file));
        return false;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    rpt::PdfSink sink(&out, m_title);
    sink.begin(m_model.setup);
    for (const rpt::Page &page : m_model.pages) {
        rpt::Page copy = page;
        sink.addPage(std::move(copy));
    }
    sink.end();
    QApplication::restoreOverrideCursor();
    if (!sink.ok() || !out.commit()) {
        reportFailure(sink.ok()
                          ? QStringLiteral("Datei %1 kann nicht geschrieben werden.").arg(file)
                          : sink.errorString());
        return false;
    }
    return true;
}

bool PreviewWindow::saveText(const QString &fileName) {
    return writeTextFile(fileName, QStringLiteral("Als Text speichern"),
                         QStringLiteral("Textdateien (*.txt)"), QStringLiteral(".txt"),
                         [this](QTextStream &stream) { stream << rpt::renderText(m_model); });
}

bool PreviewWindow::saveCsv(const QString &fileName) {
    return writeTextFile(fileName, QStringLiteral("Als CSV speichern"),
                         QStringLiteral("CSV-Dateien (*.csv)"), QStringLiteral(".csv"),
                         [this](QTextStream &stream) {
                             reports::ReportCsvSink sink(stream);
                             for (const rpt::Page &page : m_model.pages) {
                                 rpt::Page copy = page;
                                 sink.addPage(std::move(copy));
                             }
                         });
}

bool PreviewWindow::writeTextFile(const QString &fileName, const QString &caption,
                                  const QString &filter, const QString &suffix,
                                  const std::function<void(QTextStream &)> &write) {
    const QString file = fileName.isEmpty() ? askFile(caption, filter, suffix) : fileName;
    if (file.isEmpty() || refused(file))
        return false;
    // Written beside the target and moved into place, so a failed write leaves the old file.
    QSaveFile out(file);
    bool ok = out.open(QIODevice::WriteOnly);
    if (ok) {
        QTextStream stream(&out);
        stream.setEncoding(QStringConverter::Utf8);
        write(stream);
        stream.flush();
        ok = out.commit();
    }
    if (!ok)
        reportFailure(QStringLiteral("Datei %1 kann nicht geschrieben werden.").arg(file));
    return ok;
}

namespace {

// The preview's page sink: the window opens with the first page and shows the pages as the
// layout finishes them, so a long journal can be read while it is still being laid out (a
// report that prints its page total counts its pages in a first pass before the first
// page arrives). The window is modal from the start, so nothing else of the program runs
// meanwhile; closing it stops the layout.
class PreviewSink : public rpt::PageSink {
public:
    struct Closed {};

    explicit PreviewSink(std::function<std::unique_ptr<PreviewWindow>(rpt::PageModel)> open)
        : m_open(std::move(open)) {}

    void begin(const rpt::PageSetup &setup) override { m_setup = setup; }
    void addPage(rpt::Page &&page) override {
        if (!m_window) {
            rpt::PageModel first;
            first.setup = m_setup;
            first.pages.push_back(std::move(page));
            m_window = m_open(std::move(first));
            m_window->setLayoutRunning(true);
            m_window->setWindowModality(Qt::ApplicationModal);
            m_window->showMaximized();
            QApplication::restoreOverrideCursor();
            QApplication::processEvents();
            m_sinceEvents.start();
            return;
        }
        if (!m_window->isVisible())
            throw Closed();
        m_window->addPage(std::move(page));
        // The window answers a few times a second; more would slow the layout down.
        if (m_sinceEvents.elapsed() >= 100) {
            QApplication::processEvents();
            m_sinceEvents.restart();
        }
    }

    std::unique_ptr<PreviewWindow> take(const rpt::PageModel &empty) {
        if (!m_window)
            m_window = m_open(empty);
        m_window->setLayoutRunning(false);
        return std::move(m_window);
    }
    bool shown() const { return m_window != nullptr; }

private:
    std::function<std::unique_ptr<PreviewWindow>(rpt::PageModel)> m_open;
    rpt::PageSetup m_setup;
    std::unique_ptr<PreviewWindow> m_window;
    QElapsedTimer m_sinceEvents;
};

} // namespace

void QtReportViewer::preview(rpt::Report &report, const reports::PreviewOptions &options) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    PreviewSink sink([&](rpt::PageModel model) {
        auto window =
            std::make_unique<PreviewWindow>(std::move(model), report.title(), options, m_parent);
        window->refuseOutput = refuseOutput;
        return window;
    });
    try {
        rpt::layoutReport(report, sink);
    } catch (const PreviewSink::Closed &) {
        return; // closed while the layout ran: the cursor came back with the first page
    } catch (...) {
        if (!sink.shown())
            QApplication::restoreOverrideCursor();
        throw;
    }
    const bool shown = sink.shown();
    if (!shown)
        QApplication::restoreOverrideCursor();
    rpt::PageModel empty;
    empty.setup = report.pageSetup();
    std::unique_ptr<PreviewWindow> window = sink.take(empty);
    // Closed while the last pages were being added.
    if (shown && !window->isVisible())
        return;
    if (!shown)
        window->showMaximized();
    window->exec();
}

void QtReportViewer::print(rpt::Report &report) {
    // Straight to the default printer, as a mass print of account sheets needs it.
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(sheetLayout(report.pageSetup()));
    printer.setFullPage(true);
    printer.setDocName(report.title());
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        const rpt::PageModel model = rpt::layoutReport(report);
        printOn(printer, model, 0, int(model.pages.size()) - 1);
    } catch (...) {
        QApplication::restoreOverrideCursor();
        throw;
    }
    QApplication::restoreOverrideCursor();
}

} // namespace ledra
