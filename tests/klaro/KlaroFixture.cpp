#include "KlaroFixture.h"

#include "store/Sql.h"
#include "store/Table.h"

#include <QDir>

namespace ledra {

namespace {
void addAccounts(DataFixture &fx, const QString &folder) {
    fx.addAccount(10000, QStringLiteral("Kunde Müller"), 7, 0, folder);
    fx.addAccount(70000, QStringLiteral("Lieferant Holz"), 8, 0, folder);
    fx.addAccount(8400, QStringLiteral("Erlöse 19%"), 3, 19, folder);
    fx.addAccount(3400, QStringLiteral("Wareneingang 19%"), 1, 19, folder);
    fx.addAccount(1200, QStringLiteral("Bank"), 4, 0, folder);
}
} // namespace

KlaroFixture::KlaroFixture() {
    addAccounts(fx, fx.base);
}

void KlaroFixture::book(qint64 autonummer, QDate date, qint64 belegnummer, const QString &text,
                        int soll, int haben, qint64 bruttoCents, qint64 steuerCents, bool euro,
                        const QString &folder) {
    Table j(Schemas::journal());
    j.setFolder(folder.isEmpty() ? fx.base : folder);
    j.open();
    j.insert();
    j.setValue(QStringLiteral("Autonummer"), autonummer);
    j.setValue(QStringLiteral("Belegdatum"), date);
    j.setValue(QStringLiteral("Buchungstext"), text);
    j.setValue(QStringLiteral("Soll"), soll);
    j.setValue(QStringLiteral("Haben"), haben);
    j.setMoney(QStringLiteral("Brutto"), Money::fromCents(bruttoCents));
    j.setMoney(QStringLiteral("Netto"), Money::fromCents(bruttoCents - steuerCents));
    j.setMoney(QStringLiteral("Steuer"), Money::fromCents(steuerCents));
    j.setValue(QStringLiteral("Steuersatz"), steuerCents ? 19.0 : 0.0);
    j.setValue(QStringLiteral("Belegnummer"), belegnummer);
    j.setValue(QStringLiteral("Euro"), euro);
    j.post();
}

void KlaroFixture::openItem(qint64 nr, qint64 betragCents, qint64 knr, QDate ziel) {
    Table t(Schemas::op());
    t.setFolder(fx.base);
    t.open();
    t.insert();
    t.setValue(QStringLiteral("Nr"), nr);
    t.setMoney(QStringLiteral("Betrag"), Money::fromCents(betragCents));
    if (knr)
        t.setValue(QStringLiteral("KNr"), knr);
    if (ziel.isValid())
        t.setValue(QStringLiteral("Datum"), ziel);
    t.post();
}

QString KlaroFixture::yearFolder(const QString &name) {
    const QString f = fx.base + QLatin1Char('/') + name;
    DataFixture::copyShipped(f);
    addAccounts(fx, f);
    return f;
}

OffenePostenRules &KlaroFixture::open() {
    rules = std::make_unique<OffenePostenRules>(ui);
    rules->init(fx.base, QStringLiteral("€"));
    rules->show();
    return *rules;
}

int KlaroFixture::opCount() const {
    Table t(Schemas::op());
    t.setFolder(fx.base);
    t.open();
    return t.recordCount();
}

} // namespace ledra
