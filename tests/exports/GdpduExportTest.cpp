// The tax-audit export: the template's tags read and filled as the export walks it, and the
// written folder read back the way an auditor's tool reads it, by what index.xml declares.

#include "support/Fixture.h"

#include "exports/GdpduExport.h"
#include "store/EngineError.h"
#include "store/Query.h"
#include "store/Table.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QXmlStreamReader>
#include <gtest/gtest.h>
#include <map>
namespace ledra {

namespace {

const QString kShipped = QStringLiteral(LEDRA_SOURCE_DIR "/data/gdpdu/");

// What index.xml says about one table's file.
struct Declared {
    QString url;
    int firstRecord = 1;
    QString columnDelimiter = QStringLiteral(";");
    QString recordDelimiter = QStringLiteral("\r\n");
    QString encapsulator;
    QString decimal = QStringLiteral(",");
    QStringList columns;
    QString validFrom, validTo;
};

std::map<QString, Declared> readIndex(const QString &path) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    QXmlStreamReader x(&f);
    std::map<QString, Declared> out;
    Declared cur;
    QStringList stack;
    while (!x.atEnd()) {
        x.readNext();
        if (x.isStartElement()) {
            stack << x.name().toString();
            if (x.name() == QLatin1String("Table"))
                cur = Declared();
        } else if (x.isEndElement()) {
            if (x.name() == QLatin1String("Table"))
                out[cur.url] = cur;
            stack.removeLast();
        } else if (x.isCharacters() && !x.isWhitespace() && stack.size() >= 2) {
            const QString el = stack.last(), parent = stack[stack.size() - 2];
            const QString t = x.text().toString();
            if (el == QLatin1String("URL"))
                cur.url = t;
            else if (el == QLatin1String("ColumnDelimiter"))
                cur.columnDelimiter = t;
            else if (el == QLatin1String("RecordDelimiter"))
                cur.recordDelimiter = t;
            else if (el == QLatin1String("TextEncapsulator"))
                cur.encapsulator = t;
            else if (el == QLatin1String("DecimalSymbol"))
                cur.decimal = t;
            else if (el == QLatin1String("Name") && (parent == QLatin1String("VariableColumn") ||
                                                     parent == QLatin1String("VariablePrimaryKey")))
                cur.columns << t;
            else if (el == QLatin1String("From") && stack.size() >= 3 &&
                     stack[stack.size() - 3] == QLatin1String("Table"))
                cur.firstRecord = t.toInt();
            else if (el == QLatin1String("From") && stack.size() >= 3 &&
                     stack[stack.size() - 3] == QLatin1String("Validity"))
                cur.validFrom = t;
            else if (el == QLatin1String("To") && stack.size() >= 3 &&
                     stack[stack.size() - 3] == QLatin1String("Validity"))
                cur.validTo = t;
        }
    }
    EXPECT_FALSE(x.hasError()) << x.errorString().toStdString();
    return out;
}

// Splits a data file into records of fields by the declared delimiters and encapsulator.
std::vector<QStringList> readRecords(const QByteArray &data, const Declared &d) {
    const QString text = QString::fromUtf8(data);
    std::vector<QStringList> records;
    QStringList fields;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (!d.encapsulator.isEmpty() && c == d.encapsulator[0]) {
            if (quoted && i + 1 < text.size() && text[i + 1] == c) {
                field += c;
                ++i;
            } else {
                quoted = !quoted;
            }
        } else if (!quoted && text.mid(i, d.columnDelimiter.size()) == d.columnDelimiter) {
            fields << field;
            field.clear();
        } else if (!quoted && text.mid(i, d.recordDelimiter.size()) == d.recordDelimiter) {
            fields << field;
            records.push_back(fields);
            fields.clear();
            field.clear();
            i += d.recordDelimiter.size() - 1;
        } else {
            field += c;
        }
    }
    EXPECT_FALSE(quoted) << "an encapsulated text never ends";
    EXPECT_TRUE(field.isEmpty() && fields.isEmpty()) << "the last record has no delimiter";
    return records;
}

struct Export : ::testing::Test {
    DataFixture fx;
    QString target;

    void SetUp() override {
        target = fx.tmp.path() + QStringLiteral("/export");
        QDir().mkpath(target);
        for (const char *f : {kGdpduTemplate, kGdpduDtd})
            ASSERT_TRUE(QFile::copy(kShipped + QLatin1String(f),
                                    fx.program + QLatin1Char('/') + QLatin1String(f)));
        fx.addAccount(1200, QStringLiteral("Bank; Girokonto"), 4, 0);
        fx.addAccount(4930, QStringLiteral("Bürobedarf \"Schreibwaren\""), 0, 19);
        UnitOfWork uw(fx.base + QStringLiteral("/Journal.DB"));
        const char *texts[] = {"Papier; Toner", "Müller \"Büro\" GmbH", "Zeile1\nZeile2",
                               "=SUMME(A1)", "Porto"};
        for (int i = 0; i < 5; ++i)
            uw.exec(QStringLiteral("INSERT INTO Journal (Autonummer, Belegdatum, Buchungstext, "
                                   "Soll, Haben, Netto, Brutto, Steuer, Steuersatz, Belegnummer, "
                                   "Euro, Stfaellig) VALUES (?, ?, ?, 4930, 1200, ?, ?, ?, 19, ?, "
                                   "1, 0)"),
                    {5 - i, QStringLiteral("2026-0%1-15").arg(i + 1), QString::fromUtf8(texts[i]),
                     qint64(1000000) * (i + 1), qint64(1190000) * (i + 1), qint64(190000) * (i + 1),
                     100 + i});
        uw.commit();
    }

    GdpduJob job() const {
        GdpduJob j;
        j.templatePath = fx.program + QLatin1Char('/') + QLatin1String(kGdpduTemplate);
        j.dtdPath = fx.program + QLatin1Char('/') + QLatin1String(kGdpduDtd);
        j.tableFolder = fx.base;
        j.periodFrom = QDate(2026, 1, 1);
        j.periodTo = QDate(2026, 12, 31);
        j.targetFolder = target;
        return j;
    }
};

} // namespace

TEST(GdpduTemplate, TagsAreReadAndReplacedOnTheirLine) {
    EXPECT_EQ(readTemplateTag(QStringLiteral("URL"), QStringLiteral("  <URL>Journal.DB</URL>")),
              QStringLiteral("Journal.DB"));
    EXPECT_EQ(readTemplateTag(QStringLiteral("URL"), QStringLiteral("<Name>x</Name>")),
              QStringLiteral("***"));
    // An opening tag alone on its line starts an element.
    EXPECT_EQ(readTemplateTag(QStringLiteral("Table"), QStringLiteral("\t\t<Table>")), QString());
    EXPECT_EQ(readTemplateTag(QStringLiteral("/Table"), QStringLiteral("\t\t</Table>")), QString());
    EXPECT_EQ(readTemplateTag(QStringLiteral("Name"), QStringLiteral("<Name> Soll ")),
              QStringLiteral("Soll"));
    // Without a closing tag the content ends at the 255th character.
    const QString longLine = QStringLiteral("<Name>") + QString(300, QLatin1Char('x'));
    EXPECT_EQ(readTemplateTag(QStringLiteral("Name"), longLine).size(), 255 - 6);
    EXPECT_EQ(replaceTemplateTag(QStringLiteral("\t<From>20000101</From>"), QStringLiteral("From"),
                                 QStringLiteral("20260101")),
              QStringLiteral("\t<From>20260101</From>"));
    EXPECT_EQ(
        replaceTemplateTag(QStringLiteral("<From>"), QStringLiteral("From"), QStringLiteral("1")),
        QStringLiteral("<From>"));
}

TEST_F(Export, WrittenFolderIsValidAndReadsBackAsTheTables) {
    int last = 0, total = 0;
    runGdpduExport(job(), [&](int done, int of) {
        EXPECT_GE(done, last);
        last = done;
        total = of;
    });
    EXPECT_EQ(last, total);
    EXPECT_GT(total, 100);

    QProcess xmllint;
    xmllint.start(QStringLiteral("xmllint"),
                  {QStringLiteral("--noout"), QStringLiteral("--dtdvalid"),
                   kShipped + QLatin1String(kGdpduDtd), target + QStringLiteral("/index.xml")});
    ASSERT_TRUE(xmllint.waitForFinished(30000)) << "xmllint (libxml2-utils) is needed";
    EXPECT_EQ(xmllint.exitCode(), 0) << xmllint.readAllStandardError().toStdString();
    // The DTD beside it is the shipped one, unchanged; and that is the published one where a
    // reference copy is at hand.
    const QString reference = QStringLiteral(LEDRA_SOURCE_DIR "/../shared/reference/") + kGdpduDtd;
    if (QFileInfo::exists(reference)) {
        QFile r(reference), s(kShipped + QLatin1String(kGdpduDtd));
        ASSERT_TRUE(r.open(QIODevice::ReadOnly) && s.open(QIODevice::ReadOnly));
        EXPECT_EQ(r.readAll(), s.readAll());
    }
    QFile a(kShipped + QLatin1String(kGdpduDtd)), b(target + QLatin1Char('/') + kGdpduDtd);
    ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    EXPECT_EQ(a.readAll(), b.readAll());

    const auto tables = readIndex(target + QStringLiteral("/index.xml"));
    ASSERT_EQ(tables.size(), size_t(3));
    const Declared &j = tables.at(QStringLiteral("Journal.DB"));
    EXPECT_EQ(j.validFrom, QStringLiteral("20260101"));
    EXPECT_EQ(j.validTo, QStringLiteral("20261231"));
    EXPECT_EQ(j.firstRecord, 2); // the header line is skipped
    EXPECT_EQ(j.columns.size(), 13);
    // The URL's extension is not part of the data file's name.
    QFile data(target + QStringLiteral("/Journal"));
    ASSERT_TRUE(data.open(QIODevice::ReadOnly));
    const auto records = readRecords(data.readAll(), j);
    ASSERT_EQ(records.size(), size_t(6));
    EXPECT_EQ(records[0], j.columns);
    Money sum;
    QStringList seenTexts;
    for (size_t r = size_t(j.firstRecord - 1); r < records.size(); ++r) {
        ASSERT_EQ(records[r].size(), j.columns.size()) << "record " << r;
        const QString brutto = records[r][j.columns.indexOf(QStringLiteral("Brutto"))];
        EXPECT_FALSE(brutto.contains(QLatin1Char('.'))) << brutto.toStdString();
        sum += *Money::parseGerman(brutto);
        seenTexts << records[r][j.columns.indexOf(QStringLiteral("Buchungstext"))];
        EXPECT_TRUE(QDate::fromString(records[r][j.columns.indexOf(QStringLiteral("Belegdatum"))],
                                      QStringLiteral("dd.MM.yyyy"))
                        .isValid());
    }
    EXPECT_EQ(sum, Money::fromCents(11900 * 15));
    // Key order: Autonummer 1 is the last row inserted.
    EXPECT_EQ(records[1][0], QStringLiteral("1"));
    EXPECT_EQ(seenTexts, QStringList({QStringLiteral("Porto"), QStringLiteral("=SUMME(A1)"),
                                      QStringLiteral("Zeile1\nZeile2"),
                                      QString::fromUtf8("Müller \"Büro\" GmbH"),
                                      QStringLiteral("Papier; Toner")}));
    const Declared &k = tables.at(QStringLiteral("Konten.DB"));
    QFile konten(target + QStringLiteral("/Konten"));
    ASSERT_TRUE(konten.open(QIODevice::ReadOnly));
    const auto accounts = readRecords(konten.readAll(), k);
    ASSERT_EQ(accounts.size(), size_t(3));
    EXPECT_EQ(accounts[1][k.columns.indexOf(QStringLiteral("Name"))],
              QStringLiteral("Bank; Girokonto"));
    EXPECT_EQ(accounts[2][k.columns.indexOf(QStringLiteral("Name"))],
              QString::fromUtf8("Bürobedarf \"Schreibwaren\""));

    // A second export into the same folder replaces every file with the same content.
    const QByteArray first = [&] {
        QFile f(target + QStringLiteral("/Journal"));
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    runGdpduExport(job());
    QFile again(target + QStringLiteral("/Journal"));
    ASSERT_TRUE(again.open(QIODevice::ReadOnly));
    EXPECT_EQ(again.readAll(), first);
}

TEST_F(Export, ColumnTheTableLacksStopsWithoutAnIndex) {
    // An earlier export's description must not survive a failed one.
    QFile old(target + QStringLiteral("/index.xml"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("<alt/>");
    old.close();
    const QString tpl = fx.program + QLatin1Char('/') + QLatin1String(kGdpduTemplate);
    QFile f(tpl);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QByteArray text = f.readAll();
    f.close();
    // The chart's first column renamed: the journal before it is exported, then the stop.
    text.replace("<Name>KtoNr</Name>", "<Name>Kontonummer</Name>");
    fx.writeFile(tpl, text);
    try {
        runGdpduExport(job());
        FAIL() << "the export went through";
    } catch (const EngineError &e) {
        EXPECT_EQ(e.message(), QStringLiteral("Feld Kontonummer in der Tabelle Konten nicht "
                                              "gefunden!\rExport wird abgebrochen."));
    }
    EXPECT_FALSE(QFileInfo::exists(target + QStringLiteral("/index.xml")));
    EXPECT_FALSE(QFileInfo::exists(target + QLatin1Char('/') + kGdpduDtd));
    EXPECT_TRUE(QFileInfo::exists(target + QStringLiteral("/Journal")));
}

TEST_F(Export, CommandLineExportsAndReportsAMissingFolder) {
    QProcess p;
    p.start(QStringLiteral(LEDRA_CLI), {QStringLiteral("--data"), fx.base, QStringLiteral("export"),
                                        QStringLiteral("gdpdu"), target});
    ASSERT_TRUE(p.waitForFinished(60000));
    // The program folder of the command line is its own; it finds the shipped template there.
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    EXPECT_TRUE(QFileInfo::exists(target + QStringLiteral("/index.xml")));
    EXPECT_TRUE(QFileInfo::exists(target + QStringLiteral("/KontoArt")));
    p.start(QStringLiteral(LEDRA_CLI), {QStringLiteral("--data"), fx.base, QStringLiteral("export"),
                                        QStringLiteral("gdpdu"), target + QStringLiteral("/nix")});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_NE(p.exitCode(), 0);
    EXPECT_TRUE(
        QString::fromUtf8(p.readAllStandardError()).contains(QStringLiteral("existiert nicht")));
}

} // namespace ledra
