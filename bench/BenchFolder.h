#pragma once
// A base data folder for the benchmarks: the shipped tables with the SKR 03 chart as the
// accounts, and the given year settings.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
namespace ledra {

struct BenchFolder {
    QTemporaryDir tmp;
    QString program, base;
    explicit BenchFolder(const QByteArray &yearSettings) {
        program = tmp.path();
        base = program + QStringLiteral("/DATEN");
        QDir().mkpath(base);
        QDir src(QStringLiteral(LEDRA_SHIPPED_DATA));
        for (const QString &f : src.entryList(QDir::Files))
            QFile::copy(src.filePath(f), base + QLatin1Char('/') + f);
        QFile::remove(base + QStringLiteral("/Konten.DB"));
        QFile::copy(base + QStringLiteral("/Datev03.db"), base + QStringLiteral("/Konten.DB"));
        QFile ini(base + QStringLiteral("/LEDRA.INI"));
        if (ini.open(QIODevice::WriteOnly))
            ini.write(yearSettings);
    }
    QString path(const char *table) const { return base + QLatin1Char('/') + QLatin1String(table); }
};

// A size line of /proc/self/status in kB ("VmHWM:", "VmRSS:"); -1 when it cannot be read.
inline long statusKb(const char *key) {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(int(qstrlen(key))).trimmed().split(' ').first().toLong();
    return -1;
}

} // namespace ledra
