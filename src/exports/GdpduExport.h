#pragma once
// The data for a tax audit: a folder with the description `index.xml` (following the
// published document type definition of August 2002, copied beside it) and one text file per
// table. A shipped template describes which tables and columns are exported; the export
// reads it line by line, writes each described table and the template with the booking
// period filled in.

#include <QDate>
#include <QString>
#include <functional>

namespace ledra {

class BooksSession;

// The file names the export reads beside the program and writes into the target folder.
inline constexpr const char *kGdpduTemplate = "Indexorg.xml";
inline constexpr const char *kGdpduDtd = "gdpdu-01-08-2002.dtd";

// A tag of a template line: "***" when the line lacks the opening tag; else the text after
// it up to the closing tag on the same line (or up to the line's 255th character), trimmed.
// An opening tag alone on its line reads as the empty text.
QString readTemplateTag(const QString &name, const QString &line);
// The line with the content between the opening and closing tag replaced by `value`; the
// line unchanged when it lacks either tag.
QString replaceTemplateTag(const QString &line, const QString &name, const QString &value);

struct GdpduJob {
    QString templatePath;
    QString dtdPath;
    QString tableFolder; // the open year's data folder
    // Tables the year's folder does not hold (the account types, kept once for all years)
    // come from the base data folder.
    QString baseFolder;
    QDate periodFrom, periodTo;
    QString targetFolder;
};

// Runs the export. `progress(done, total)` hears of each template line passed. A failure
// throws EngineError with its German message; then no `index.xml` is written, so an
// incomplete folder never announces itself as an export.
void runGdpduExport(const GdpduJob &job, const std::function<void(int, int)> &progress = {});

// The job for the open year of `books`: the template and the document type definition from
// the program's shipped data, the tables of the open year, the booking period.
GdpduJob gdpduJobFor(const BooksSession &books, const QString &targetFolder);

// The message shown when the export is done.
QString gdpduDoneMessage();

} // namespace ledra
