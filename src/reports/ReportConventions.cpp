#include "ReportConventions.h"

#include "books/Settings.h"
#include "books/Steuer.h"
#include "reportengine/NumberFormat.h"
#include "reportengine/PdfRenderer.h"

#include <QFontMetricsF>

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>
namespace ledra {

namespace reports {

rpt::FontStyle reportFont(double pointSize, bool bold) {
    rpt::FontStyle f;
    f.family = QStringLiteral("Arial");
    f.pointSize = pointSize;
    f.bold = bold;
    return f;
}

void applyMarginSetting(rpt::Report &report, const YearSettings &settings, MarginEdge edge) {
    switch (edge) {
    case MarginEdge::Left:
        report.setLeftMargin(settings.lRand);
        break;
    case MarginEdge::Top:
        report.setTopMargin(settings.lRand);
        break;
    case MarginEdge::None:
        break;
    }
}

QColor settingColor(int value) {
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

void shadeRows(rpt::Band &detail, const YearSettings &settings) {
    rpt::BandBeforePrint own = detail.beforePrint();
    detail.setBeforePrint([own, &settings](rpt::Band &band, bool &print) {
        if (own)
            own(band, print);
        if (!print)
            return;
        const QColor white(Qt::white);
        // Until the first line of a run has printed the band starts white again, so every
        // run (and both passes of a two-pass layout) shades its first line.
        if (band.printCount() == 0)
            band.setColor(white);
        band.setColor(band.color() == white ? settingColor(settings.zeilenfarbe) : white);
    });
}

QString periodLine(PeriodStyle style, const QString &from, const QString &to) {
    switch (style) {
    case PeriodStyle::Von:
        return QStringLiteral("Von ") + from + QStringLiteral(" bis ") + to;
    case PeriodStyle::VomUpper:
        return QStringLiteral("Vom ") + from + QStringLiteral(" bis ") + to;
    case PeriodStyle::VomLower:
        return QStringLiteral("vom ") + from + QStringLiteral(" bis ") + to;
    case PeriodStyle::Plain:
        return from + QStringLiteral(" bis ") + to;
    }
    return {};
}

QString balanceSheetPeriod(const QString &start, const QString &end) {
    return QStringLiteral("für den Zeitraum vom ") + start + QStringLiteral(" bis zum ") + end;
}

QString bookingCurrency(const QVariant &euroFlag) {
    const bool euro = euroFlag.isNull() || !euroFlag.isValid() || euroFlag.toBool();
    return euro ? QStringLiteral("€") : QStringLiteral("DM");
}

QString fixed2(qint64 units) {
    return rpt::formatCents(units, false);
}

QString currencyFormat(qint64 units, const QString &currency) {
    return rpt::formatCurrency(units, currency);
}

QString totalsMask(const QString &currency) {
    return QStringLiteral(",##0.00 ") + currency;
}

QString sideAmount(qint64 units, const QString &currency) {
    const qint64 cents = roundUnitsHalfAway(units, 100);
    const QString side = cents > 0   ? QStringLiteral(" S")
                         : cents < 0 ? QStringLiteral(" H")
                                     : QStringLiteral("  ");
    return rpt::formatCurrency(cents < 0 ? -cents : cents, currency) + side;
}

ledra::report::TextControl *sideAmountControl(ledra::report::TextControl *control) {
    // Room for a blank and a bold "H" at ten points.
    constexpr double kSideColumnMm = 4.0;
    control->setAlignment(Qt::AlignRight);
    control->setSideColumnMm(kSideColumnMm);
    return control;
}

Money amountForSum(qint64 units, const QVariant &euroFlag, const QDate &date) {
    const bool euro = euroFlag.isNull() || !euroFlag.isValid() || euroFlag.toBool();
    return toCurrencyOfDate(Money::fromUnits(units), euro, date);
}

bool isReversal(const QString &bookingText) {
    return bookingText.contains(QLatin1String("Storno"), Qt::CaseSensitive);
}

namespace {

// Glyph widths are measured at a large pixel size and scaled, so that the result does not
// depend on the resolution of whatever screen (or none) the program runs on. A text's width
// is the sum of its characters' advances (kerning is left out, which errs by a fraction of
// a glyph), each measured once per font: shaping every name and text of a long journal
// would cost more than laying the journal out.
constexpr double kMeasurePixels = 1000.0;

class Widths {
public:
    explicit Widths(const rpt::FontStyle &style) : m_style(style), m_advance(0x10000, -1.0f) {
        QFont f = rpt::toQFont(style);
        f.setPixelSize(int(kMeasurePixels));
        f.setHintingPreference(QFont::PreferNoHinting);
        m_metrics.emplace(f);
    }
    const rpt::FontStyle &style() const { return m_style; }
    double of(QChar c) {
        float &w = m_advance[c.unicode()];
        if (w < 0)
            w = float(m_metrics->horizontalAdvance(c));
        return w;
    }

private:
    rpt::FontStyle m_style;
    std::optional<QFontMetricsF> m_metrics;
    std::vector<float> m_advance;
};

Widths &widthsFor(const rpt::FontStyle &style) {
    static std::vector<std::unique_ptr<Widths>> fonts;
    for (auto &w : fonts)
        if (w->style() == style)
            return *w;
    fonts.push_back(std::make_unique<Widths>(style));
    return *fonts.back();
}

} // namespace

QString clipToWidth(const QString &text, const rpt::FontStyle &font, double widthMm) {
    if (text.isEmpty() || widthMm <= 0.0)
        return text;
    Widths &widths = widthsFor(font);
    const double mmPerPixel = font.pointSize * 25.4 / 72.0 / kMeasurePixels;
    const double limit = widthMm / mmPerPixel;
    double used = 0.0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        used += widths.of(text[i]);
        if (used > limit) {
            QString cut = text.left(i);
            while (cut.endsWith(QLatin1Char(' ')))
                cut.chop(1);
            return cut;
        }
    }
    return text;
}

std::pair<QString, QString> wrapToWidth(const QString &text, const rpt::FontStyle &font,
                                        double widthMm) {
    const QString first = clipToWidth(text, font, widthMm);
    if (first.size() == text.size())
        return {text, QString()};
    // Break after the last blank or hyphen that fits; a single long word is cut. A number
    // keeps its "%" or "€" (German typesetting puts a fixed blank there).
    qsizetype cut = first.size();
    for (qsizetype i = first.size(); i > 0; --i) {
        const bool unitFollows =
            i + 1 < text.size() && (text[i + 1] == u'%' || text[i + 1] == u'€');
        if ((text[i] == u' ' && !unitFollows) || text[i - 1] == u'-') {
            cut = i;
            break;
        }
    }
    return {text.left(cut).trimmed(), text.mid(cut).trimmed()};
}

namespace {

// The cells of a printed band, text or empty, in x order.
std::vector<QRectF> cellsOf(const rpt::BandInstance &band) {
    std::vector<QRectF> cells;
    for (const rpt::TextItem &t : band.texts)
        cells.push_back(t.rect);
    for (const QRectF &r : band.emptyCells)
        cells.push_back(r);
    std::stable_sort(cells.begin(), cells.end(),
                     [](const QRectF &a, const QRectF &b) { return a.x() < b.x(); });
    return cells;
}

double overlap(const QRectF &a, const QRectF &b) {
    return std::min(a.right(), b.right()) - std::max(a.left(), b.left());
}

// A spreadsheet reads the first line as the names of the columns, so the head gets one cell
// for every column of the detail lines: each column takes the head printed over it (the lowest
// line of a two-line head); a column without a head of its own (the currency beside an
// amount, an account's name beside its number) or a second column under one head gets an
// empty cell. A group heading above several columns gives way to the heads below it.
void alignHeadsWithColumns(rpt::BandInstance &head, const rpt::BandInstance &detail) {
    QList<rpt::TextItem> aligned;
    std::vector<const rpt::TextItem *> used;
    for (const QRectF &cell : cellsOf(detail)) {
        const rpt::TextItem *best = nullptr;
        for (const rpt::TextItem &t : head.texts) {
            if (t.rect.width() <= 0 || overlap(t.rect, cell) <= 0)
                continue;
            if (!best || t.rect.y() > best->rect.y() ||
                (t.rect.y() == best->rect.y() && overlap(t.rect, cell) > overlap(best->rect, cell)))
                best = &t;
        }
        const bool taken = best && std::find(used.begin(), used.end(), best) != used.end();
        rpt::TextItem t;
        t.rect = QRectF(cell.x(), head.top, cell.width(), 0);
        if (best && !taken) {
            t.text = best->text;
            used.push_back(best);
        }
        aligned << t;
    }
    head.texts = aligned;
    head.emptyCells.clear();
}

// A line under a detail line belongs to that row in a spreadsheet: a text of the same
// column and width (a name's second line) continues the row's cell; what is left (a note)
// keeps a line of its own in the column it starts in, so that no cell slides into another
// column.
void mergeIntoRow(rpt::BandInstance &row, rpt::BandInstance &under) {
    QList<rpt::TextItem> rest;
    for (const rpt::TextItem &t : under.texts) {
        auto same = std::find_if(row.texts.begin(), row.texts.end(), [&t](const rpt::TextItem &r) {
            return t.rect.width() > 0 && qAbs(r.rect.x() - t.rect.x()) < 0.01 &&
                   qAbs(r.rect.width() - t.rect.width()) < 0.01;
        });
        if (same == row.texts.end()) {
            rest << t;
            continue;
        }
        if (!same->text.endsWith(u'-'))
            same->text += u' ';
        same->text += t.text;
    }
    under.texts.clear();
    under.emptyCells.clear();
    if (rest.isEmpty())
        return;
    for (const QRectF &cell : cellsOf(row)) {
        auto inCell = std::find_if(rest.begin(), rest.end(), [&cell](const rpt::TextItem &t) {
            return t.rect.x() >= cell.left() - 0.01 && t.rect.x() < cell.right();
        });
        if (inCell == rest.end()) {
            under.emptyCells << QRectF(cell.x(), under.top, cell.width(), 0);
            continue;
        }
        rpt::TextItem t = *inCell;
        t.rect = QRectF(cell.x(), under.top, cell.width(), 0);
        under.texts << t;
        rest.erase(inCell);
    }
}

} // namespace

void ReportCsvSink::addPage(rpt::Page &&page) {
    rpt::Page body;
    body.number = page.number;
    body.sizeMm = page.sizeMm;
    body.margins = page.margins;
    const auto detail = std::find_if(page.bands.begin(), page.bands.end(), [](const auto &b) {
        return b.kind == rpt::BandKind::Detail && !cellsOf(b).empty();
    });
    for (rpt::BandInstance &band : page.bands) {
        if (band.kind == rpt::BandKind::ColumnHeader) {
            if (m_headsWritten)
                continue;
            m_headsWritten = true;
            band.pageFrame = false;
            if (detail != page.bands.end())
                alignHeadsWithColumns(band, *detail);
        } else if (band.pageFrame) {
            continue;
        } else if (band.kind == rpt::BandKind::Child && !body.bands.isEmpty() &&
                   body.bands.back().kind == rpt::BandKind::Detail) {
            mergeIntoRow(body.bands.back(), band);
            if (band.texts.isEmpty())
                continue;
        }
        body.bands << std::move(band);
    }
    m_out << rpt::renderCsv(body);
}

} // namespace reports

} // namespace ledra
