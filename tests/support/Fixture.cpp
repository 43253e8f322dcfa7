#include "Fixture.h"

#include "store/TableFile.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
namespace ledra {

DataFixture::DataFixture() {
    program = tmp.path() + QStringLiteral("/prog");
    base = program + QStringLiteral("/DATEN");
    QDir().mkpath(base);
    copyShipped(base);
    // Keep the tests away from the real user's settings folder.
    qputenv("APPDATA", (tmp.path() + QStringLiteral("/appdata")).toUtf8());
    qputenv("ALLUSERSPROFILE", (tmp.path() + QStringLiteral("/allusers")).toUtf8());
}

void DataFixture::copyShipped(const QString &folder) {
    QDir src(QStringLiteral(LEDRA_SHIPPED_DATA));
    QDir().mkpath(folder);
    for (const QString &f : src.entryList(QDir::Files)) {
        QFile::remove(folder + QLatin1Char('/') + f);
        ASSERT_TRUE(QFile::copy(src.filePath(f), folder + QLatin1Char('/') + f)) << f.toStdString();
    }
}

void DataFixture::writeFile(const QString &path, const QByteArray &content) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(content);
}

QByteArray DataFixture::readFile(const QString &path) const {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

void DataFixture::addAccount(int ktoNr, const QString &name, int art, double mwst,
                             const QString &folder) {
    Table t(Schemas::konten());
    t.setFolder(folder.isEmpty() ? base : folder);
    t.open();
    t.appendRecord(
        {ktoNr, name, art, mwst, 0, 0, 0, 0, 0, QVariant(), 0, 0, 0, 0, QVariant(), QVariant()});
}

QStringList csvCells(const QString &line) {
    QStringList cells{QString()};
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (quoted && c == u'"' && i + 1 < line.size() && line[i + 1] == u'"')
            cells.last() += line[++i];
        else if (c == u'"')
            quoted = !quoted;
        else if (c == u';' && !quoted)
            cells << QString();
        else
            cells.last() += c;
    }
    return cells;
}

} // namespace ledra
