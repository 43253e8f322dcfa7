#include "PreviewWindow.h"

#include "reportengine/Layout.h"
#include "reportengine/PdfRenderer.h"
#include "reportengine/Report.h"
#include "reportengine/TextRenderer.h"
#include "reports/ReportConventions.h"

#include <QAction>
#include <QApplication>
#include <QDir>
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
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QTextStream>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>

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
    page_ = page;
    scale_ = pixelsPerMm;
    resize(sizeHint());
    update();
}

QSize PageCanvas::sizeHint() const {
    if (!page_)
        return QSize(2 * kFramePx, 2 * kFramePx);
    return QSize(int(page_->sizeMm.width() * scale_) + 2 * kFramePx,
                 int(page_->sizeMm.height() * scale_) + 2 * kFramePx);
}

void PageCanvas::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Dark));
    if (!page_)
        return;
    const QRectF sheet(kFramePx, kFramePx, page_->sizeMm.width() * scale_,
                       page_->sizeMm.height() * scale_);
    painter.fillRect(sheet, Qt::white);
    painter.setPen(Qt::black);
    painter.drawRect(sheet);
    painter.translate(kFramePx, kFramePx);
    // Fonts are sized in points for the device's own resolution, so the page is painted at
    // that resolution and the zoom is a transformation: texts then scale with the lines.
    const double natural = logicalDpiY() / 25.4;
    painter.scale(scale_ / natural, scale_ / natural);
    rpt::paintPage(painter, *page_, natural);
}

PreviewWindow::PreviewWindow(rpt::PageModel model, const QString &title,
                             const reports::PreviewOptions &options, QWidget *parent)
    : QDialog(parent), model_(std::move(model)), title_(title), options_(options) {
    setObjectName(QStringLiteral("Vorschau"));
    setWindowTitle(QStringLiteral("Druckvorschau - ") + title);
    setWindowFlags(Qt::Window | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    zoom_ = options.wholePage ? Zoom::WholePage : Zoom::PageWidth;

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto *bar = new QToolBar(this);
    layout->addWidget(bar);
    scroll_ = new QScrollArea(this);
    scroll_->setAlignment(Qt::AlignHCenter);
    scroll_->setBackgroundRole(QPalette::Dark);
    canvas_ = new PageCanvas(scroll_);
    scroll_->setWidget(canvas_);
    scroll_->setWidgetResizable(false);
    layout->addWidget(scroll_);

    bar->addAction(QStringLiteral("Drucken..."), this, [this] { printPages(); });
    bar->addAction(QStringLiteral("Als PDF speichern..."), this, [this] { savePdf(); });
    if (options.textAndCsv) {
        bar->addAction(QStringLiteral("Als Text speichern..."), this, [this] { saveText(); });
        bar->addAction(QStringLiteral("Als CSV speichern..."), this, [this] { saveCsv(); });
    }
    bar->addSeparator();
    bar->addAction(QStringLiteral("|<"), this, [this] { showPage(0); })
        ->setToolTip(QStringLiteral("Erste Seite"));
    bar->addAction(QStringLiteral("<"), this, [this] { showPage(current_ - 1); })
        ->setToolTip(QStringLiteral("Vorige Seite"));
    pageLabel_ = new QLabel(bar);
    pageLabel_->setContentsMargins(8, 0, 8, 0);
    bar->addWidget(pageLabel_);
    bar->addAction(QStringLiteral(">"), this, [this] { showPage(current_ + 1); })
        ->setToolTip(QStringLiteral("Nächste Seite"));
    bar->addAction(QStringLiteral(">|"), this, [this] { showPage(int(model_.pages.size()) - 1); })
        ->setToolTip(QStringLiteral("Letzte Seite"));
    bar->addSeparator();
    bar->addAction(QStringLiteral("Seitenbreite"), this, [this] { setZoom(Zoom::PageWidth); });
    bar->addAction(QStringLiteral("Ganze Seite"), this, [this] { setZoom(Zoom::WholePage); });
    bar->addAction(QStringLiteral("100 %"), this, [this] { setZoom(Zoom::Fixed, 1.0); });
    bar->addSeparator();
    bar->addAction(QStringLiteral("Schließen"), this, &QDialog::accept);

    updateView();
}

void PreviewWindow::showPage(int index) {
    if (model_.pages.empty())
        return;
    current_ = std::clamp(index, 0, int(model_.pages.size()) - 1);
    updateView();
    scroll_->verticalScrollBar()->setValue(0);
}

void PreviewWindow::setZoom(Zoom zoom, double factor) {
    zoom_ = zoom;
    factor_ = factor;
    updateView();
}

void PreviewWindow::updateView() {
    const int count = int(model_.pages.size());
    pageLabel_->setText(count ? QStringLiteral("Seite %1 von %2").arg(current_ + 1).arg(count)
                              : QStringLiteral("Keine Seiten"));
    if (!count) {
        canvas_->setPage(nullptr, 1.0);
        return;
    }
    const rpt::Page &page = model_.pages[size_t(current_)];
    const QSize view = scroll_->viewport()->size();
    const int scrollBar = scroll_->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const double width = std::max(50, view.width() - 2 * kFramePx - scrollBar);
    const double height = std::max(50, view.height() - 2 * kFramePx);
    switch (zoom_) {
    case Zoom::PageWidth:
        scale_ = width / page.sizeMm.width();
        break;
    case Zoom::WholePage:
        scale_ = std::min(width / page.sizeMm.width(), height / page.sizeMm.height());
        break;
    case Zoom::Fixed:
        scale_ = factor_ * logicalDpiX() / 25.4;
        break;
    }
    canvas_->setPage(&page, scale_);
}

void PreviewWindow::resizeEvent(QResizeEvent *event) {
    QDialog::resizeEvent(event);
    updateView();
}

void PreviewWindow::keyPressEvent(QKeyEvent *event) {
    switch (event->key()) {
    case Qt::Key_PageDown:
        showPage(current_ + 1);
        return;
    case Qt::Key_PageUp:
        showPage(current_ - 1);
        return;
    case Qt::Key_Home:
        if (event->modifiers() & Qt::ControlModifier) {
            showPage(0);
            return;
        }
        break;
    case Qt::Key_End:
        if (event->modifiers() & Qt::ControlModifier) {
            showPage(int(model_.pages.size()) - 1);
            return;
        }
        break;
    default:
        break;
    }
    QDialog::keyPressEvent(event);
}

bool PreviewWindow::printPages() {
    if (model_.pages.empty())
        return false;
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(sheetLayout(model_.setup));
    printer.setFullPage(true);
    printer.setDocName(title_);
    QPrintDialog dialog(&printer, this);
    dialog.setMinMax(1, int(model_.pages.size()));
    if (dialog.exec() != QDialog::Accepted)
        return false;
    int first = 0, last = int(model_.pages.size()) - 1;
    if (printer.printRange() == QPrinter::PageRange) {
        first = std::max(0, printer.fromPage() - 1);
        last = std::min(last, printer.toPage() - 1);
    } else if (printer.printRange() == QPrinter::CurrentPage) {
        first = last = current_;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    printOn(printer, model_, first, last);
    QApplication::restoreOverrideCursor();
    return true;
}

QString PreviewWindow::askFile(const QString &caption, const QString &filter,
                               const QString &suffix) {
    QString start = lastFolder.isEmpty() ? QDir::homePath() : lastFolder;
    start += QLatin1Char('/') + title_ + suffix;
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

bool PreviewWindow::savePdf(const QString &fileName) {
    const QString file =
        fileName.isEmpty() ? askFile(QStringLiteral("Als PDF speichern"),
                                     QStringLiteral("PDF-Dateien (*.pdf)"), QStringLiteral(".pdf"))
                           : fileName;
    if (file.isEmpty())
        return false;
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly)) {
        reportFailure(QStringLiteral("Datei %1 kann nicht geschrieben werden.").arg(file));
        return false;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    rpt::PdfSink sink(&out, title_);
    sink.begin(model_.setup);
    for (const rpt::Page &page : model_.pages) {
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
    return writeTextFile(fileName, QStringLiteral("Als Text speichern"), QStringLiteral("Textdateien (*.txt)"),
                         QStringLiteral(".txt"), [this](QTextStream &stream) { stream << rpt::renderText(model_); });
}

bool PreviewWindow::saveCsv(const QString &fileName) {
    return writeTextFile(fileName, QStringLiteral("Als CSV speichern"), QStringLiteral("CSV-Dateien (*.csv)"),
                         QStringLiteral(".csv"), [this](QTextStream &stream) {
                             reports::ReportCsvSink sink(stream);
                             for (const rpt::Page &page : model_.pages) {
                                 rpt::Page copy = page;
                                 sink.addPage(std::move(copy));
                             }
                         });
}

bool PreviewWindow::writeTextFile(const QString &fileName, const QString &caption, const QString &filter,
                                  const QString &suffix, const std::function<void(QTextStream &)> &write) {
    const QString file = fileName.isEmpty() ? askFile(caption, filter, suffix) : fileName;
    if (file.isEmpty())
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

void QtReportViewer::preview(rpt::Report &report, const reports::PreviewOptions &options) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    rpt::PageModel model;
    try {
        model = rpt::layoutReport(report);
    } catch (...) {
        QApplication::restoreOverrideCursor();
        throw;
    }
    QApplication::restoreOverrideCursor();
    PreviewWindow window(std::move(model), report.title(), options, parent_);
    window.showMaximized();
    window.exec();
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
