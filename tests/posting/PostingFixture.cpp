#include "PostingFixture.h"

#include "store/Table.h"

#include <QDir>
#include <QFile>
namespace ledra {

void Books::SetUp() {
    QDir().mkpath(fx.program + QStringLiteral("/ledra-hilfe"));
    fx.writeFile(fx.program + QStringLiteral("/ledra-hilfe/ledra.qch"), "");
    struct A {
        int nr;
        const char *name;
        int art;
        double mwst;
    };
    const A accounts[] = {{1000, "Kasse", 5, 0},
                          {1200, "Bank", 4, 0},
                          {1300, "Sparkasse", 4, 0},
                          {1400, "Kunde Meier", 7, 0},
                          {1576, "Vorsteuer 19 %", 9, 0},
                          {1600, "Lieferant Schulz", 8, 0},
                          {1776, "Umsatzsteuer 19 %", 9, 0},
                          {1800, "Privatentnahmen", 6, 0},
                          {3400, "Wareneingang 19 %", 1, 19},
                          {4930, "Bürobedarf", 0, 19},
                          {4210, "Miete", 0, 0},
                          {8300, "Erlöse 7 %", 3, 7},
                          {8400, "Erlöse 19 %", 3, 19},
                          {12, "Kurzes Konto", 9, 0},
                          {3120, "Fremdleistung 13b", 2, 19}};
    for (const A &a : accounts)
        fx.addAccount(a.nr, QString::fromUtf8(a.name), a.art, a.mwst);
    // The booking period is the current year, so that the rules that look at today hold.
    fx.writeFile(
        fx.base + QStringLiteral("/LEDRA.INI"),
        QStringLiteral("[Konten]\nVorsteuer=1576\nMwst=1776\n[BZR]\nVon=01.01.%1\nBis=31.12.%1\n"
                       "[Zaehler]\nBeleg1=1\n")
            .arg(year())
            .toUtf8());
    start();
}

void Books::start() {
    fb.reset();
    fb = std::make_unique<Shell>(ui, fx.program);
    ASSERT_TRUE(fb->start(QRect(), QDate::currentDate()));
    fb->entry().startTimer = [this] { fb->entry().refocusHaben(); };
    ui.clear();
}

Money Books::saldo(int konto) {
    return field(konto, "Saldo");
}

Money Books::field(int konto, const char *name) {
    Table &k = fb->books().konten;
    k.refresh();
    if (!k.findKey({konto}))
        return Money::fromUnits(-999999999);
    return k.asMoney(QString::fromLatin1(name));
}

std::map<qint64, QList<qint64>> Books::totals() {
    std::map<qint64, QList<qint64>> m;
    Table &k = fb->books().konten;
    k.refresh();
    for (k.first(); !k.eof(); k.next())
        m[k.asInt(QStringLiteral("KtoNr"))] = {k.asMoney(QStringLiteral("Saldo")).units(),
                                               k.asMoney(QStringLiteral("JVZSoll")).units(),
                                               k.asMoney(QStringLiteral("JVZHaben")).units()};
    return m;
}

} // namespace ledra
