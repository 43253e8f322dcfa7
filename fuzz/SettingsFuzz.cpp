// The year settings file LEDRA.INI as any program or person may have left it: reading never
// fails, the values the rules rely on are usable, and what is read is written and read back
// unchanged. (A full rate of two digits, "70" for 7,0 %, is one the settings page can hold.)

#include "books/Settings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace ledra;

namespace {

QString folder(const char *name) {
    static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/ledra-fuzz-XXXXXX"));
    const QString f = dir.path() + QLatin1Char('/') + QLatin1String(name);
    QDir().mkpath(f);
    return f;
}

// The texts of every setting, to name the one that did not survive the round trip.
QStringList values(const YearSettings &s) {
    return {s.vorsteuer,
            s.kontoMwst,
            s.mwstSatz,
            QString::number(s.istSteuer),
            s.belegnr,
            s.buchVon,
            s.buchBis,
            QString::number(s.lRand),
            QString::number(s.zeilenfarbe),
            QString::number(s.fSaldo),
            QString::number(s.fSaldo1),
            QString::number(s.fSaldo2),
            s.skontoErh,
            s.skontoGew,
            s.kosten13b,
            s.currency};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QString in = folder("in"), out = folder("out");
    QFile f(yearSettingsPath(in));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        std::abort();
    f.write(reinterpret_cast<const char *>(data), qint64(size));
    f.close();
    const QDate today(2026, 5, 4);
    YearSettings s;
    s.load(in, nullptr, today);
    if (!s.periodStart().isValid() || !s.periodEnd().isValid())
        std::abort();
    if (s.fullRate() <= 0.0 || s.fullRate() > 99.9 || s.lRand < 0 || s.lRand > 30)
        std::abort();
    QFile::remove(yearSettingsPath(out));
    s.save(out);
    YearSettings back;
    back.load(out, nullptr, today);
    const QStringList a = values(s), b = values(back);
    for (qsizetype i = 0; i < a.size(); ++i)
        if (a[i] != b[i]) {
            std::fprintf(stderr, "setting %d read '%s', read back '%s'\n", int(i),
                         a[i].toUtf8().constData(), b[i].toUtf8().constData());
            std::abort();
        }
    return 0;
}
