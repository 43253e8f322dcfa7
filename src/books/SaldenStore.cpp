#include "SaldenStore.h"

#include "Balances.h"
#include "store/EngineError.h"
#include "store/Sql.h"
#include "store/Table.h"

namespace ledra {

namespace {

Money sumInRange(Money a, Money b, qint64 konto) {
    qint64 r = 0;
    if (__builtin_add_overflow(a.units(), b.units(), &r))
        throw EngineError(DbErr::General,
                          QStringLiteral("Der Saldo des Kontos %1 würde den darstellbaren Betrag "
                                         "überschreiten. Die Buchung wird nicht ausgeführt.")
                              .arg(konto));
    return Money::fromUnits(r);
}

QString readSql(const QString &table) {
    return QStringLiteral("SELECT COALESCE(Saldo, 0), JVZSoll, JVZHaben, Datum1 FROM %1 "
                          "WHERE KtoNr = ?")
        .arg(table);
}

QString writeSql(const QString &table) {
    return QStringLiteral("UPDATE %1 SET Saldo = ?, JVZSoll = ?, JVZHaben = ?, Datum1 = ? "
                          "WHERE KtoNr = ?")
        .arg(table);
}

} // namespace

void KontoSalden::add(const AccountEffect &effect, const QDate &date) {
    const Money newSaldo = sumInRange(saldo, effect.amount, effect.konto);
    std::optional<Money> &side = effect.debitSide ? jvzSoll : jvzHaben;
    side = sumInRange(side.value_or(Money()), effect.turnover, effect.konto);
    saldo = newSaldo;
    if (date.isValid() && (!datum1.isValid() || date < datum1))
        datum1 = date;
}

SaldenStore::SaldenStore(Table &konten)
    : m_read(konten, readSql(quotedName(konten))), m_write(konten, writeSql(quotedName(konten))) {}

SaldenStore::SaldenStore(const SqlConnection &connection, const QString &kontenTable)
    : m_read(connection, readSql(kontenTable)), m_write(connection, writeSql(kontenTable)) {}

std::optional<KontoSalden> SaldenStore::read(qint64 konto) {
    m_read.bind(1, konto);
    if (!m_read.next())
        return std::nullopt;
    const SqlRow &r = m_read.row();
    KontoSalden s;
    s.konto = konto;
    s.saldo = r.money(0);
    if (!r.isNull(1))
        s.jvzSoll = r.money(1);
    if (!r.isNull(2))
        s.jvzHaben = r.money(2);
    s.datum1 = r.date(3);
    m_read.reset();
    return s;
}

void SaldenStore::write(const KontoSalden &s) {
    auto side = [](const std::optional<Money> &m) {
        return m ? QVariant(static_cast<qlonglong>(m->units())) : QVariant();
    };
    m_write.bind(1, s.saldo)
        .bind(2, side(s.jvzSoll))
        .bind(3, side(s.jvzHaben))
        .bind(4, s.datum1)
        .bind(5, s.konto)
        .exec();
}

void SaldenStore::add(const AccountEffect &effect, const QDate &date) {
    std::optional<KontoSalden> s = read(effect.konto);
    if (!s)
        return;
    s->add(effect, date);
    write(*s);
}

} // namespace ledra
