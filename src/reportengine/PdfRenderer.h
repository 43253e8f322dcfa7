#pragma once

// Painting of pages. One paint path serves PDF, printer and preview: paintPage()
// draws a page of the page model on any QPainter whose device has a resolution
// (QPdfWriter, QPrinter with fullPage, the preview's printer, a QImage).
// Needs a QGuiApplication for fonts.

#include "reportengine/PageModel.h"

#include <QFont>
#include <QString>

#include <memory>

class QIODevice;
class QPainter;
class QPdfWriter;

namespace ledra::report {

class Report;

// Fonts of the report designs mapped to metric-compatible fonts of the system
// ("Arial" -> "Liberation Sans"), so that texts take the width they were designed for.
QString resolveFontFamily(const QString &family);
QFont toQFont(const FontStyle &font);

// A right-aligned amount split for its side column: "1.234,56 € S" → "1.234,56 €" and "S";
// "0,00 €  " → "0,00 €" and nothing. Only a trailing "S" or "H" is a side, so that
// "12,00 DM" stays whole.
struct SideSplit {
    QString amount;
    QString side;
};
SideSplit splitSide(const QString &text);

// Paints `page` with its top-left sheet corner at the painter's origin, scaled
// by the resolution of the painter's device.
void paintPage(QPainter &painter, const Page &page);
// Same with an explicit scale (device units per millimetre), e.g. for a zoomed preview.
void paintPage(QPainter &painter, const Page &page, double unitsPerMm);
void paintPage(QPainter &painter, const PageModel &model, int pageIndex);

// Writes pages to a PDF file as they arrive from the layout.
class PdfSink : public PageSink {
public:
    explicit PdfSink(const QString &fileName, const QString &title = {});
    explicit PdfSink(QIODevice *device, const QString &title = {});
    ~PdfSink() override;

    void begin(const PageSetup &setup) override;
    void addPage(Page &&page) override;
    void end() override;

    bool ok() const { return m_error.isEmpty(); }
    QString errorString() const { return m_error; }

private:
    QString m_fileName;
    QIODevice *m_device = nullptr;
    QString m_title;
    std::unique_ptr<QPdfWriter> m_writer;
    std::unique_ptr<QPainter> m_painter;
    bool m_firstPage = true;
    QString m_error;
};

// Lays the report out straight into a PDF file (pages are not kept in memory).
bool writePdf(Report &report, const QString &fileName, QString *error = nullptr);
bool writePdf(const PageModel &model, const QString &fileName, QString *error = nullptr);

} // namespace ledra::report
