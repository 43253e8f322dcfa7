#pragma once

// Plain-text and CSV output of the page model (the journal's "save as" formats).

#include "reportengine/PageModel.h"

#include <QString>

class QTextStream;

namespace ledra::report {

struct TextOptions {
    // Width of one character column: 2 mm is about an average glyph of Arial 10 pt.
    double mmPerColumn = 2.0;
    // Texts whose tops lie within this distance form one line.
    double rowToleranceMm = 1.5;
    // Written between pages.
    QString pageSeparator = QStringLiteral("\f");
};

// One line per row of texts, sorted by y then x; each text starts at the column
// of its position (right-aligned texts end there), at least one blank apart.
QString renderText(const Page &page, const TextOptions &options = {});
QString renderText(const PageModel &model, const TextOptions &options = {});

struct CsvOptions {
    // German spreadsheets split at ";" (the comma is their decimal sign).
    QChar separator = u';';
    // Leave out page headers, column headers, page footers and carry-over lines,
    // which would otherwise repeat on every page.
    bool skipPageFrame = false;
};

// One line per printed band with texts, its texts in x order; a field is quoted
// when it holds the separator, a quote or a line break, and a text that a spreadsheet would
// run as a formula is neutralised.
QString renderCsv(const Page &page, const CsvOptions &options = {});
QString renderCsv(const PageModel &model, const CsvOptions &options = {});
QString csvField(const QString &text, QChar separator = u';');
// A text starting with "=", "+", "-", "@", a tab or a carriage return gets a leading
// apostrophe, as spreadsheet security guides advise; amounts keep their sign.
QString neutralisedCsvText(const QString &text);

// Sinks that write while the layout runs.
class TextSink : public PageSink {
public:
    explicit TextSink(QTextStream &out, TextOptions options = {});
    void addPage(Page &&page) override;

private:
    QTextStream &m_out;
    TextOptions m_options;
    bool m_first = true;
};

class CsvSink : public PageSink {
public:
    explicit CsvSink(QTextStream &out, CsvOptions options = {});
    void addPage(Page &&page) override;

private:
    QTextStream &m_out;
    CsvOptions m_options;
};

} // namespace ledra::report
