#include "reportengine/PdfRenderer.h"

#include "reportengine/Layout.h"
#include "reportengine/Report.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPaintDevice>
#include <QPainter>
#include <QPdfWriter>

namespace ledra::report {

namespace {

constexpr int kPdfResolution = 600;

QPen penFor(const QColor &color, double widthMm, double unitsPerMm) {
    QPen pen(color);
    pen.setWidthF(std::max(widthMm * unitsPerMm, 1.0));
    pen.setCapStyle(Qt::FlatCap);
    return pen;
}

QRectF scaled(const QRectF &mm, double f) {
    return QRectF(mm.x() * f, mm.y() * f, mm.width() * f, mm.height() * f);
}

} // namespace

QString resolveFontFamily(const QString &family) {
    if (family.compare(QLatin1String("Arial"), Qt::CaseInsensitive) == 0 ||
        family.compare(QLatin1String("Helvetica"), Qt::CaseInsensitive) == 0 || family.isEmpty())
        return QStringLiteral("Liberation Sans");
    if (family.compare(QLatin1String("Times New Roman"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("Liberation Serif");
    if (family.compare(QLatin1String("Courier New"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("Liberation Mono");
    return family;
}

SideSplit splitSide(const QString &text) {
    QString trimmed = text;
    while (trimmed.endsWith(u' '))
        trimmed.chop(1);
    const qsizetype blank = trimmed.lastIndexOf(u' ');
    const QStringView last = QStringView(trimmed).mid(blank + 1);
    if (blank > 0 && (last == u"S" || last == u"H")) {
        QString amount = trimmed.left(blank);
        while (amount.endsWith(u' '))
            amount.chop(1);
        return {amount, last.toString()};
    }
    return {trimmed, QString()};
}

QFont toQFont(const FontStyle &style) {
    QFont font(resolveFontFamily(style.family));
    font.setPointSizeF(style.pointSize);
    font.setBold(style.bold);
    font.setItalic(style.italic);
    return font;
}

void paintPage(QPainter &painter, const Page &page, double unitsPerMm) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    const FontStyle *font = nullptr;
    for (const BandInstance &band : page.bands) {
        for (const RectItem &r : band.rects) {
            const QRectF area = scaled(r.rect, unitsPerMm);
            if (r.fill.isValid())
                painter.fillRect(area, r.fill);
            if (r.pen.isValid()) {
                painter.setPen(penFor(r.pen, r.penWidthMm, unitsPerMm));
                painter.setBrush(Qt::NoBrush);
                painter.drawRect(area);
            }
        }
        for (const LineItem &l : band.lines) {
            painter.setPen(penFor(l.color, l.widthMm, unitsPerMm));
            painter.drawLine(l.from * unitsPerMm, l.to * unitsPerMm);
        }
        for (const TextItem &t : band.texts) {
            // Setting a font makes the PDF engine look it up again; a page holds a few fonts
            // in hundreds of texts.
            if (!font || !(*font == t.font)) {
                painter.setFont(toQFont(t.font));
                font = &t.font;
            }
            painter.setPen(t.color);
            QRectF area = scaled(t.rect, unitsPerMm);
            const Qt::Alignment horizontal = t.alignment & Qt::AlignHorizontal_Mask;
            const int flags = int(horizontal ? horizontal : Qt::AlignLeft) | Qt::AlignTop |
                              Qt::TextSingleLine | Qt::TextDontClip;
            if (t.sideColumnMm > 0.0 && (horizontal & Qt::AlignRight)) {
                const SideSplit split = splitSide(t.text);
                const double side = t.sideColumnMm * unitsPerMm;
                painter.drawText(area.adjusted(0, 0, -side, 0), flags, split.amount);
                if (!split.side.isEmpty())
                    painter.drawText(QRectF(area.right() - side, area.top(), side, area.height()),
                                     (flags & ~int(Qt::AlignHorizontal_Mask)) | Qt::AlignLeft,
                                     QLatin1Char(' ') + split.side);
                continue;
            }
            painter.drawText(area, flags, t.text);
        }
    }
    painter.restore();
}

void paintPage(QPainter &painter, const Page &page) {
    const QPaintDevice *device = painter.device();
    const double unitsPerMm = device ? device->logicalDpiX() / 25.4 : 1.0;
    paintPage(painter, page, unitsPerMm);
}

void paintPage(QPainter &painter, const PageModel &model, int pageIndex) {
    if (pageIndex >= 0 && size_t(pageIndex) < model.pages.size())
        paintPage(painter, model.pages[size_t(pageIndex)]);
}

PdfSink::PdfSink(const QString &fileName, const QString &title)
    : m_fileName(fileName), m_title(title) {}

PdfSink::PdfSink(QIODevice *device, const QString &title) : m_device(device), m_title(title) {}

PdfSink::~PdfSink() {
    if (m_painter && m_painter->isActive())
        m_painter->end();
}

void PdfSink::begin(const PageSetup &setup) {
    m_writer = m_device ? std::make_unique<QPdfWriter>(m_device)
                        : std::make_unique<QPdfWriter>(m_fileName);
    m_writer->setResolution(kPdfResolution);
    m_writer->setCreator(QStringLiteral("ledra"));
    if (!m_title.isEmpty())
        m_writer->setTitle(m_title);
    const QPageLayout layout(QPageSize(setup.paperMm, QPageSize::Millimeter),
                             setup.orientation == Orientation::Portrait ? QPageLayout::Portrait
                                                                        : QPageLayout::Landscape,
                             QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    m_writer->setPageLayout(layout);
    m_firstPage = true;
}

void PdfSink::addPage(Page &&page) {
    if (!m_writer || !m_error.isEmpty())
        return;
    if (m_firstPage) {
        m_painter = std::make_unique<QPainter>();
        if (!m_painter->begin(m_writer.get())) {
            m_error =
                m_fileName.isEmpty()
                    ? QStringLiteral("PDF-Ausgabe kann nicht geschrieben werden")
                    : QStringLiteral("Datei %1 kann nicht geschrieben werden").arg(m_fileName);
            return;
        }
        m_firstPage = false;
    } else {
        m_writer->newPage();
    }
    paintPage(*m_painter, page);
}

void PdfSink::end() {
    if (m_painter && m_painter->isActive())
        m_painter->end();
    m_painter.reset();
    m_writer.reset();
}

bool writePdf(Report &report, const QString &fileName, QString *error) {
    PdfSink sink(fileName, report.title());
    layoutReport(report, sink);
    if (error)
        *error = sink.errorString();
    return sink.ok();
}

bool writePdf(const PageModel &model, const QString &fileName, QString *error) {
    PdfSink sink(fileName);
    sink.begin(model.setup);
    for (const Page &page : model.pages) {
        Page copy = page;
        sink.addPage(std::move(copy));
    }
    sink.end();
    if (error)
        *error = sink.errorString();
    return sink.ok();
}

} // namespace ledra::report
