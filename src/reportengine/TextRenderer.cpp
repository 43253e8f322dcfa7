#include "reportengine/TextRenderer.h"

#include <QRegularExpression>
#include <QTextStream>

#include <algorithm>
#include <cmath>
#include <vector>

namespace ledra::report {

namespace {

int column(double mm, const TextOptions &options) {
    return std::max(0, int(std::lround(mm / options.mmPerColumn)));
}

// A stable sort for the texts of a page, which arrive nearly in order: band after band down
// the page, and within a band mostly left to right. Insertion sort is linear on such input;
// when the moves pass a small multiple of the count, the input is no such thing and the
// general stable sort finishes the job. The order is the same either way: insertion moves an
// item only past items that sort strictly after it.
template <typename Less> void sortNearlySorted(std::vector<const TextItem *> &items, Less less) {
    const size_t n = items.size();
    size_t budget = 8 * n + 64;
    for (size_t i = 1; i < n; ++i) {
        const TextItem *t = items[i];
        size_t j = i;
        while (j > 0 && less(t, items[j - 1])) {
            items[j] = items[j - 1];
            --j;
            if (--budget == 0) {
                items[j] = t;
                std::stable_sort(items.begin(), items.end(), less);
                return;
            }
        }
        items[j] = t;
    }
}

// Appends the row's line and its line break to `out`.
void appendRow(QString &out, std::vector<const TextItem *> &row, double originX,
               const TextOptions &options) {
    sortNearlySorted(
        row, [](const TextItem *a, const TextItem *b) { return a->rect.x() < b->rect.x(); });
    const qsizetype begin = out.size();
    for (const TextItem *t : row) {
        const double left = t->rect.x() - originX;
        const int length = int(t->text.size());
        int start = column(left, options);
        const Qt::Alignment h = t->alignment & Qt::AlignHorizontal_Mask;
        if (t->rect.width() > 0.0 && (h & (Qt::AlignRight | Qt::AlignTrailing)))
            start = column(left + t->rect.width(), options) - length;
        else if (t->rect.width() > 0.0 && (h & Qt::AlignHCenter))
            start = column(left + t->rect.width() / 2.0, options) - length / 2;
        const qsizetype used = out.size() - begin;
        const qsizetype earliest = used == 0 ? 0 : used + 1;
        out.resize(begin + std::max<qsizetype>(start, earliest), u' ');
        out += t->text;
    }
    qsizetype end = out.size();
    while (end > begin && out.at(end - 1) == u' ')
        --end;
    out.truncate(end);
    out += u'\n';
}

} // namespace

QString renderText(const Page &page, const TextOptions &options) {
    std::vector<const TextItem *> items;
    for (const BandInstance &band : page.bands)
        for (const TextItem &t : band.texts)
            items.push_back(&t);
    sortNearlySorted(items, [](const TextItem *a, const TextItem *b) {
        return a->rect.y() < b->rect.y() ||
               (a->rect.y() == b->rect.y() && a->rect.x() < b->rect.x());
    });
    QString out;
    out.reserve(qsizetype(items.size()) * 12);
    std::vector<const TextItem *> row;
    double rowTop = 0.0;
    for (const TextItem *t : items) {
        if (!row.empty() && t->rect.y() - rowTop > options.rowToleranceMm) {
            appendRow(out, row, page.margins.left, options);
            row.clear();
        }
        if (row.empty())
            rowTop = t->rect.y();
        row.push_back(t);
    }
    if (!row.empty())
        appendRow(out, row, page.margins.left, options);
    return out;
}

QString renderText(const PageModel &model, const TextOptions &options) {
    QString out;
    for (size_t i = 0; i < model.pages.size(); ++i) {
        if (i > 0)
            out += options.pageSeparator;
        out += renderText(model.pages[i], options);
    }
    return out;
}

QString csvField(const QString &text, QChar separator) {
    if (!text.contains(separator) && !text.contains(u'"') && !text.contains(u'\n') &&
        !text.contains(u'\r'))
        return text;
    QString quoted = text;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

QString neutralisedCsvText(const QString &text) {
    if (text.isEmpty())
        return text;
    const QChar c = text.front();
    if (c != u'=' && c != u'+' && c != u'-' && c != u'@' && c != u'\t' && c != u'\r')
        return text;
    // An amount keeps its sign, with its currency and its side ("-1.234,56 €", "8,40 € H").
    static const QRegularExpression amount(
        QStringLiteral("^[-+]?[0-9][0-9.]*(,[0-9]+)?( ?(€|DM))?( +[SH])?$"));
    if (amount.match(text).hasMatch())
        return text;
    return u'\'' + text;
}

QString renderCsv(const Page &page, const CsvOptions &options) {
    QString out;
    for (const BandInstance &band : page.bands) {
        if (band.texts.isEmpty() || (options.skipPageFrame && band.pageFrame))
            continue;
        struct Cell {
            QPointF at;
            QString text;
        };
        std::vector<Cell> cells;
        for (const TextItem &t : band.texts)
            cells.push_back({t.rect.topLeft(), t.text});
        for (const QRectF &r : band.emptyCells)
            cells.push_back({r.topLeft(), QString()});
        std::stable_sort(cells.begin(), cells.end(), [](const Cell &a, const Cell &b) {
            return a.at.x() < b.at.x() || (a.at.x() == b.at.x() && a.at.y() < b.at.y());
        });
        QStringList fields;
        for (const Cell &c : cells)
            fields << csvField(neutralisedCsvText(c.text), options.separator);
        out += fields.join(options.separator) + u'\n';
    }
    return out;
}

QString renderCsv(const PageModel &model, const CsvOptions &options) {
    QString out;
    for (const Page &page : model.pages)
        out += renderCsv(page, options);
    return out;
}

TextSink::TextSink(QTextStream &out, TextOptions options)
    : m_out(out), m_options(std::move(options)) {}

void TextSink::addPage(Page &&page) {
    if (!m_first)
        m_out << m_options.pageSeparator;
    m_first = false;
    m_out << renderText(page, m_options);
}

CsvSink::CsvSink(QTextStream &out, CsvOptions options) : m_out(out), m_options(options) {}

void CsvSink::addPage(Page &&page) {
    m_out << renderCsv(page, m_options);
}

} // namespace ledra::report
