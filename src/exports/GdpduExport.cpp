#include "GdpduExport.h"

#include "books/BooksSession.h"
#include "store/EngineError.h"
#include "store/Money.h"
#include "store/Schema.h"
#include "store/Table.h"
#include "store/TableFile.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStringList>

namespace ledra {

namespace {

constexpr int kMaxLine = 255;

QString stopped(const QString &what) {
    return what + QStringLiteral("\rExport wird abgebrochen.");
}

[[noreturn]] void fail(const QString &what) {
    throw EngineError(DbErr::General, stopped(what));
}

QStringList readLines(const QString &path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        fail(QStringLiteral("Die Datei %1 kann nicht gelesen werden.")
                 .arg(QDir::toNativeSeparators(path)));
    QStringList lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
    for (QString &l : lines)
        if (l.endsWith(QLatin1Char('\r')))
            l.chop(1);
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// The tables a template may name, by the name its URL gives (without extension).
const TableSchema *schemaNamed(const QString &name) {
    static const std::vector<const TableSchema *> all = {
        &Schemas::journal(),   &Schemas::konten(), &Schemas::kontoArt(),
        &Schemas::buchung(),   &Schemas::bwa(),    &Schemas::bilanz(),
        &Schemas::favoriten(), &Schemas::op(),     &Schemas::stapel()};
    for (const TableSchema *s : all)
        if (s->name.compare(name, Qt::CaseInsensitive) == 0 ||
            QFileInfo(s->fileName).completeBaseName().compare(name, Qt::CaseInsensitive) == 0)
            return s;
    return nullptr;
}

// A field's value in the form the template declares: decimal comma without grouping,
// DD.MM.YYYY, texts in the text encapsulator with any encapsulator inside doubled, so that a
// ";" or a line break in a booking text cannot shift the columns of its record.
QString exportValue(const Table &t, const FieldDef &f) {
    const QVariant v = t.value(f.name);
    if (v.isNull())
        return QString();
    switch (f.type) {
    case FieldType::Currency:
        return Money::fromUnits(v.toLongLong()).toGerman(2, false);
    case FieldType::Float:
        return QString::number(v.toDouble(), 'f', 2).replace(QLatin1Char('.'), QLatin1Char(','));
    case FieldType::Date:
        return v.toDate().toString(QStringLiteral("dd.MM.yyyy"));
    case FieldType::DateTime:
        return v.toDateTime().toString(QStringLiteral("dd.MM.yyyy hh:mm:ss"));
    case FieldType::Boolean:
        return v.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    case FieldType::String:
    case FieldType::Memo: {
        QString s = v.toString();
        s.replace(QLatin1Char('"'), QStringLiteral("\"\""));
        return QLatin1Char('"') + s + QLatin1Char('"');
    }
    default:
        return QString::number(v.toLongLong());
    }
}

// One record: the values each followed by ";", the last ";" replaced by a carriage return.
QByteArray recordLine(const QStringList &values) {
    return (values.join(QLatin1Char(';')) + QLatin1Char('\r')).toUtf8();
}

void commitFile(QSaveFile &f) {
    if (!f.commit())
        fail(QStringLiteral("Die Datei %1 kann nicht geschrieben werden: %2")
                 .arg(QDir::toNativeSeparators(f.fileName()), f.errorString()));
}

void openForWriting(QSaveFile &f) {
    if (!f.open(QIODevice::WriteOnly))
        fail(QStringLiteral("Die Datei %1 kann nicht angelegt werden: %2")
                 .arg(QDir::toNativeSeparators(f.fileName()), f.errorString()));
}

struct TableExport {
    QString name;
    QString folder;
    const TableSchema *schema = nullptr;
    std::vector<const FieldDef *> columns;
};

void writeTable(const GdpduJob &job, const TableExport &te) {
    Table t(*te.schema);
    t.setFolder(te.folder);
    t.open();
    QSaveFile out(job.targetFolder + QLatin1Char('/') + te.name);
    openForWriting(out);
    QStringList head;
    for (const FieldDef *f : te.columns)
        head << f->name;
    out.write(recordLine(head));
    QStringList values;
    for (t.first(); !t.eof(); t.next()) {
        values.clear();
        for (const FieldDef *f : te.columns)
            values << exportValue(t, *f);
        out.write(recordLine(values));
    }
    commitFile(out);
}

} // namespace

QString readTemplateTag(const QString &name, const QString &line) {
    const QString open = QLatin1Char('<') + name + QLatin1Char('>');
    const qsizetype at = line.indexOf(open);
    if (at < 0)
        return QStringLiteral("***");
    const qsizetype from = at + open.size();
    const qsizetype close = line.indexOf(QStringLiteral("</") + name + QLatin1Char('>'), from);
    const qsizetype end = close >= 0 ? close : std::min<qsizetype>(line.size(), kMaxLine);
    return end > from ? line.mid(from, end - from).trimmed() : QString();
}

QString replaceTemplateTag(const QString &line, const QString &name, const QString &value) {
    const QString open = QLatin1Char('<') + name + QLatin1Char('>');
    const qsizetype at = line.indexOf(open);
    if (at < 0)
        return line;
    const qsizetype from = at + open.size();
    const qsizetype close = line.indexOf(QStringLiteral("</") + name + QLatin1Char('>'), from);
    if (close < 0)
        return line;
    return line.left(from) + value + line.mid(close);
}

void runGdpduExport(const GdpduJob &job, const std::function<void(int, int)> &progress) {
    if (!QFileInfo(job.targetFolder).isDir())
        fail(QStringLiteral("Der Zielordner %1 existiert nicht.")
                 .arg(QDir::toNativeSeparators(job.targetFolder)));
    // A description left by an earlier export must not announce the files of this one
    // before it has finished.
    const QString indexPath = job.targetFolder + QStringLiteral("/index.xml");
    if (QFileInfo::exists(indexPath) && !QFile::remove(indexPath))
        fail(QStringLiteral("Die Datei %1 kann nicht ersetzt werden.")
                 .arg(QDir::toNativeSeparators(indexPath)));
    QStringList lines = readLines(job.templatePath);
    const QByteArray dtd = [&] {
        QFile f(job.dtdPath);
        if (!f.open(QIODevice::ReadOnly))
            fail(QStringLiteral("Die Datei %1 kann nicht gelesen werden.")
                     .arg(QDir::toNativeSeparators(job.dtdPath)));
        return f.readAll();
    }();
    const int total = int(lines.size());
    int done = 0;
    auto step = [&] {
        ++done;
        if (progress)
            progress(done, total);
    };
    const QString from = job.periodFrom.toString(QStringLiteral("yyyyMMdd"));
    const QString to = job.periodTo.toString(QStringLiteral("yyyyMMdd"));
    for (int i = 0; i + 1 < total; ++i) {
        step();
        if (!readTemplateTag(QStringLiteral("Table"), lines[i]).isEmpty())
            continue;
        TableExport te;
        for (int j = i + 1; j < total && te.name.isEmpty(); ++j) {
            const QString url = readTemplateTag(QStringLiteral("URL"), lines[j]);
            if (url != QLatin1String("***") && !url.isEmpty())
                te.name = url.section(QLatin1Char('.'), 0, 0);
        }
        te.schema = schemaNamed(te.name);
        if (!te.schema)
            fail(QStringLiteral("Tabelle %1 ist keine Tabelle der Buchhaltung.").arg(te.name));
        te.folder = job.tableFolder;
        if (!TableFile::exists(te.folder, te.schema->fileName) && !job.baseFolder.isEmpty())
            te.folder = job.baseFolder;
        if (!TableFile::exists(te.folder, te.schema->fileName))
            fail(QStringLiteral("Tabelle %1 im Ordner %2 nicht gefunden.")
                     .arg(te.schema->fileName, QDir::toNativeSeparators(job.tableFolder)));
        bool column = false, validity = false, range = false;
        int k = i + 1;
        for (; k < total; ++k) {
            QString &line = lines[k];
            if (readTemplateTag(QStringLiteral("VariablePrimaryKey"), line).isEmpty() ||
                readTemplateTag(QStringLiteral("VariableColumn"), line).isEmpty())
                column = true;
            // Only the validity range takes the booking period; a table-level range (the
            // skipped header line) keeps its own values.
            if (readTemplateTag(QStringLiteral("Validity"), line).isEmpty())
                validity = true;
            if (validity && readTemplateTag(QStringLiteral("Range"), line).isEmpty())
                range = true;
            if (readTemplateTag(QStringLiteral("/Validity"), line).isEmpty())
                validity = range = false;
            if (column) {
                const QString name = readTemplateTag(QStringLiteral("Name"), line);
                if (name != QLatin1String("***") && !name.isEmpty()) {
                    const FieldDef *f = te.schema->field(name);
                    if (!f)
                        fail(QStringLiteral("Feld ") + name + QStringLiteral(" in der Tabelle ") +
                             te.name + QStringLiteral(" nicht gefunden!"));
                    te.columns.push_back(f);
                    column = false;
                }
            }
            if (range) {
                line = replaceTemplateTag(line, QStringLiteral("From"), from);
                line = replaceTemplateTag(line, QStringLiteral("To"), to);
            }
            step();
            if (readTemplateTag(QStringLiteral("/Table"), line).isEmpty()) {
                writeTable(job, te);
                break;
            }
        }
        i = k;
    }
    QSaveFile dtdOut(job.targetFolder + QLatin1Char('/') + QLatin1String(kGdpduDtd));
    openForWriting(dtdOut);
    dtdOut.write(dtd);
    commitFile(dtdOut);
    QSaveFile index(indexPath);
    openForWriting(index);
    index.write((lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8());
    commitFile(index);
    if (progress)
        progress(total, total);
}

GdpduJob gdpduJobFor(const BooksSession &books, const QString &targetFolder) {
    GdpduJob job;
    job.templatePath = books.layout().dataFile(QLatin1String(kGdpduTemplate));
    job.dtdPath = books.layout().dataFile(QLatin1String(kGdpduDtd));
    job.tableFolder = books.currentDataFolder();
    job.baseFolder = books.baseDataFolder();
    job.periodFrom = books.settings.periodStart();
    job.periodTo = books.settings.periodEnd();
    job.targetFolder = QDir::cleanPath(targetFolder);
    return job;
}

QString gdpduDoneMessage() {
    return QStringLiteral("Der Datenexport ist fertig.\rEs öffnet sich anschließend der Explorer, "
                          "damit Sie die Daten\rauf ein Speichermedium Ihrer Wahl übertragen "
                          "können.");
}

} // namespace ledra
