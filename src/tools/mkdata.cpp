// Builds the ready base data folder from the readable sources in data/: the type table and
// the two standard charts are program data and are rewritten on every build; the tables
// that hold a user's work are only created when they are missing.

#include "store/EngineError.h"
#include "store/Schema.h"
#include "store/Table.h"
#include "store/TableFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTextStream>
#include <cstdio>

using namespace ledra;

static QList<QStringList> readCsv(const QString &path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        throw std::runtime_error(("cannot read " + path).toStdString());
    QTextStream in(&f);
    in.setEncoding(QStringConverter::Utf8);
    QList<QStringList> rows;
    bool header = true;
    while (!in.atEnd()) {
        const QString line = in.readLine();
        if (header) {
            header = false;
            continue;
        }
        if (line.trimmed().isEmpty())
            continue;
        rows << line.split(QLatin1Char(';'));
    }
    return rows;
}

// Writes the table from rows to a new file and moves it into place.
static void build(const QString &out, const TableSchema &schema, const QList<QStringList> &rows,
                  bool replace) {
    const QString path = TableFile::join(out, schema.fileName);
    if (!replace && QFile::exists(path))
        return;
    const QString tmpDir = out + QStringLiteral("/.gen");
    QDir().mkpath(tmpDir);
    const QString tmp = TableFile::join(tmpDir, schema.fileName);
    QFile::remove(tmp);
    TableFile::create(tmp, schema);
    if (!rows.isEmpty()) {
        Table t(schema);
        t.setFolder(tmpDir);
        t.open();
        for (const auto &r : rows) {
            QVariantList v;
            for (const auto &c : r)
                v << (c.isEmpty() ? QVariant() : QVariant(c));
            t.appendRecord(v);
        }
        t.close();
    }
    TableFile::rename(tmp, path);
    QDir(tmpDir).removeRecursively();
}

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "Aufruf: ledra-mkdata DATENQUELLEN ZIELORDNER\n");
        return 2;
    }
    const QString src = QString::fromLocal8Bit(argv[1]);
    const QString out = QString::fromLocal8Bit(argv[2]);
    try {
        QDir().mkpath(out);
        auto csv = [&](const char *n) {
            return readCsv(src + QLatin1Char('/') + QString::fromLatin1(n));
        };
        // Charts: KtoNr;Name;Art;Mwst;BWA;Bilanz mapped onto the accounts' field order.
        auto chart = [&](const char *n) {
            QList<QStringList> rows;
            for (const auto &r : csv(n)) {
                QStringList row(16);
                row[0] = r.value(0);
                row[1] = r.value(1);
                row[2] = r.value(2);
                row[3] = r.value(3);
                for (int i : {4, 5, 6, 7, 8, 10, 11, 12, 13})
                    row[i] = QStringLiteral("0");
                row[9] = r.value(4);
                row[15] = r.value(5);
                rows << row;
            }
            return rows;
        };
        build(out, Schemas::kontoArt(), csv("KontoArt.csv"), true);
        build(out, Schemas::kontenAs(QStringLiteral("Datev03.db")), chart("Datev03.csv"), true);
        build(out, Schemas::kontenAs(QStringLiteral("Datev04.db")), chart("Datev04.csv"), true);
        build(out, Schemas::bwa(), csv("BWA.csv"), false);
        build(out, Schemas::bilanz(), csv("Bilanz.csv"), false);
        for (const TableSchema *s : {&Schemas::konten(), &Schemas::journal(), &Schemas::buchung(),
                                     &Schemas::favoriten(), &Schemas::op(), &Schemas::stapel()})
            build(out, *s, {}, false);
    } catch (const EngineError &e) {
        std::fprintf(stderr, "%s\n", e.message().toUtf8().constData());
        return 1;
    } catch (const std::exception &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
