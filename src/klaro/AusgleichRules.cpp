#include "AusgleichRules.h"

#include "OffenePostenRules.h"
#include "books/KontoArt.h"
#include "books/Steuer.h"
#include "store/EngineError.h"
#include "store/Sql.h"
#include "store/Table.h"

#include <unordered_map>
#include <vector>

namespace ledra {

namespace {

// Tax differences up to this much are rounding: a fully open invoice hands over the tax it
// was booked with.
const Money kSteuerToleranz = Money::fromCents(2);

} // namespace

// One transfer's run: the entries of the settlement batch by batch row (the first entry's
// role, as the row-by-row look-up takes it, and every entry of the row, which all leave with
// it), and the statements each row needs, prepared once on the transfer's connection.
struct AusgleichRules::Booking {
    struct Eintrag {
        bool opens = false;
        QVariant knr, datum;
        std::vector<qint64> rowids;
    };
    std::unordered_map<qint64, Eintrag> entries;
    SqlStatement savepoint, release, rollbackTo, insertOp, selectOp, updateOp, deleteOp, hasOp,
        deleteEntry;

    Booking(const SqlConnection &c, const QString &st, const QString &op)
        : savepoint(c, QStringLiteral("SAVEPOINT opBuchen")),
          release(c, QStringLiteral("RELEASE opBuchen")),
          rollbackTo(c, QStringLiteral("ROLLBACK TO opBuchen")),
          insertOp(c, QStringLiteral("INSERT INTO %1 (Nr, Betrag, KNr, Datum) VALUES (?, ?, ?, ?)")
                          .arg(op)),
          selectOp(c, QStringLiteral("SELECT Betrag FROM %1 WHERE Nr = ?").arg(op)),
          updateOp(c, QStringLiteral("UPDATE %1 SET Betrag = ? WHERE Nr = ?").arg(op)),
          deleteOp(c, QStringLiteral("DELETE FROM %1 WHERE Nr = ?").arg(op)),
          hasOp(c, QStringLiteral("SELECT 1 FROM %1 WHERE Nr = ?").arg(op)),
          deleteEntry(c, QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(st)) {}
};

AusgleichRules::AusgleichRules(OffenePostenRules &rules) : m_rules(rules) {}

AusgleichRules::~AusgleichRules() = default;

void AusgleichRules::beginBooking(SqlConnection c) {
    m_booking.reset();
    const QString st = stapelName(OffenePostenModule::stapelAlias());
    // Files the run cannot read leave each row to book() alone, which names the fault in the
    // error list and lets the transfer go on.
    try {
        auto b = std::make_unique<Booking>(c, st, opName(OffenePostenModule::opAlias()));
        readEntries(c, st, *b);
        m_booking = std::move(b);
    } catch (const EngineError &) {
    }
}

void AusgleichRules::readEntries(SqlConnection c, const QString &st, Booking &booking,
                                 std::optional<qint64> batchNumber) {
    Booking *b = &booking;
    forEachRow(
        c,
        QStringLiteral("SELECT Nr, COALESCE(OP, 0), KNr, Datum, rowid FROM %1 WHERE %2 "
                       "ORDER BY rowid")
            .arg(st, batchNumber ? QStringLiteral("Nr = ?") : QStringLiteral("Nr IS NOT NULL")),
        batchNumber ? QVariantList{*batchNumber} : QVariantList{}, [&](const SqlRow &r) {
            const auto [it, fresh] = b->entries.try_emplace(r.int64(0));
            if (fresh) {
                it->second.opens = r.int64(1) != 0;
                it->second.knr = r.value(2);
                it->second.datum = r.value(3);
            }
            it->second.rowids.push_back(r.int64(4));
        });
}

void AusgleichRules::endBooking() {
    m_booking.reset();
}

QString AusgleichRules::stapelName(const QString &alias) const {
    return quoteIdentifier(alias) + QLatin1Char('.') +
           quoteIdentifier(m_rules.daten().stapel.innerName());
}

QString AusgleichRules::opName(const QString &alias) const {
    return quoteIdentifier(alias) + QLatin1Char('.') +
           quoteIdentifier(m_rules.daten().op.innerName());
}

std::optional<OffenerPostenAusgleich> AusgleichRules::handOver() {
    const OffenerPostenZeile *r = m_rules.currentRow();
    if (!r)
        return std::nullopt;
    m_handedOver = r->autonummer;
    // The item's own account decides the side: a customer's invoice has it on the debit
    // side, a supplier's on the credit side; the payment books it on the opposite one.
    const bool debitSide = isPersonenkonto(kontoArtFromCode(r->sollArt));
    if (!debitSide && !isPersonenkonto(kontoArtFromCode(r->habenArt)))
        return std::nullopt;
    OffenerPostenAusgleich a;
    a.buchungstext = r->buchungstext;
    a.netto = a.brutto = r->betrag;
    a.steuersatz = r->steuersatz;
    a.belegnummer = r->belegnummer;
    a.euro = r->isEuro();
    a.autonummer = r->autonummer;
    if (debitSide) {
        a.haben = r->soll;
        Money tax = steuerInBrutto(r->betrag, Steuersatz::fromPercent(r->steuersatz));
        const Money diff = tax - r->steuer;
        if (diff <= kSteuerToleranz && -diff <= kSteuerToleranz)
            tax = r->steuer;
        a.steuer = tax;
    } else {
        a.soll = r->haben;
    }
    return a;
}

bool AusgleichRules::settledInStapel(qint64 number) {
    Table &s = m_rules.daten().stapel;
    return hasRow(
        s,
        QStringLiteral("SELECT 1 FROM %1 WHERE KNr = ? AND NOT COALESCE(OP, 0)").arg(quotedName(s)),
        {number});
}

void AusgleichRules::addStapel(SqlConnection connection, qint64 batchNumber, bool opens) {
    const QString t = stapelName(OffenePostenModule::stapelAlias());
    const QVariant knr = opens ? QVariant(qint64(0)) : QVariant(m_handedOver);
    if (execute(connection, QStringLiteral("UPDATE %1 SET OP = ?, KNr = ? WHERE Nr = ?").arg(t),
                {opens, knr, batchNumber}) == 0)
        execute(connection, QStringLiteral("INSERT INTO %1 (Nr, OP, KNr) VALUES (?, ?, ?)").arg(t),
                {batchNumber, opens, knr});
    m_fehler.clear();
}

void AusgleichRules::removeStapel(SqlConnection connection, qint64 batchNumber) {
    execute(connection,
            QStringLiteral("DELETE FROM %1 WHERE Nr = ?")
                .arg(stapelName(OffenePostenModule::stapelAlias())),
            {batchNumber});
}

QString AusgleichRules::role(qint64 batchNumber) {
    Table &s = m_rules.daten().stapel;
    const auto op = queryValue(
        s, QStringLiteral("SELECT COALESCE(OP, 0) FROM %1 WHERE Nr = ?").arg(quotedName(s)),
        {batchNumber});
    if (!op)
        return QString();
    return op->toLongLong() != 0 ? QStringLiteral("Buchung erzeugt offenen Posten")
                                 : QStringLiteral("Buchung gleicht offenen Posten aus");
}

QDate AusgleichRules::paymentTarget(qint64 batchNumber) {
    Table &s = m_rules.daten().stapel;
    QDate d;
    forEachRow(s, QStringLiteral("SELECT Datum FROM %1 WHERE Nr = ?").arg(quotedName(s)),
               {batchNumber}, [&](const SqlRow &r) { d = r.date(0); });
    return d;
}

bool AusgleichRules::setPaymentTarget(qint64 batchNumber, const QDate &date) {
    Table &s = m_rules.daten().stapel;
    const bool done =
        execute(s,
                QStringLiteral("UPDATE %1 SET Datum = ? WHERE Nr = ? AND COALESCE(OP, 0)")
                    .arg(quotedName(s)),
                {date.isValid() ? QVariant(date) : QVariant(), batchNumber}) > 0;
    s.refresh();
    return done;
}

QStringList AusgleichRules::book(SqlConnection c, qint64 batchNumber, Money amount,
                                 const QString &voucher) {
    if (m_booking)
        return bookEntry(*m_booking, batchNumber, amount, voucher);
    // Outside a run (or when its files could not be read at its start): the row's own
    // entries, read and applied the same way.
    try {
        const QString st = stapelName(OffenePostenModule::stapelAlias());
        Booking b(c, st, opName(OffenePostenModule::opAlias()));
        readEntries(c, st, b, batchNumber);
        return bookEntry(b, batchNumber, amount, voucher);
    } catch (const EngineError &e) {
        return {e.message()};
    }
}

QStringList AusgleichRules::bookEntry(Booking &b, qint64 batchNumber, Money amount,
                                      const QString &voucher) {
    QStringList lines;
    const auto entry = b.entries.find(batchNumber);
    if (entry == b.entries.end())
        return lines;
    const Booking::Eintrag &e = entry->second;
    try {
        // A failure undoes this row's change of OP.db only; the transfer goes on.
        b.savepoint.exec();
        try {
            if (e.opens) {
                b.insertOp.bind(1, batchNumber)
                    .bind(2, amount.units())
                    .bind(3, e.knr)
                    .bind(4, e.datum)
                    .exec();
            } else {
                std::optional<qint64> open;
                if (!e.knr.isNull() && b.selectOp.bind(1, e.knr).next())
                    open = b.selectOp.row().int64(0);
                b.selectOp.reset();
                if (!open) {
                    lines << QStringLiteral("Offener Posten Nr. ") + voucher +
                                 QStringLiteral(" nicht gefunden");
                } else {
                    const Money rest = Money::fromUnits(*open) - amount;
                    if (rest >= Money::fromCents(1)) {
                        b.updateOp.bind(1, rest.units()).bind(2, e.knr).exec();
                    } else {
                        b.deleteOp.bind(1, e.knr).exec();
                        const bool still = b.hasOp.bind(1, e.knr).next();
                        b.hasOp.reset();
                        if (still)
                            lines << QStringLiteral("Offener Posten Nr. ") + voucher +
                                         QStringLiteral(" nicht gelöscht");
                    }
                }
            }
            // Applied once: the row's entries leave the settlement batch with it, so a
            // transfer that stops later cannot apply them a second time.
            for (qint64 rowid : e.rowids)
                b.deleteEntry.bind(1, rowid).exec();
            b.release.exec();
        } catch (const EngineError &) {
            b.rollbackTo.exec();
            b.release.exec();
            throw;
        }
    } catch (const EngineError &ex) {
        lines << ex.message();
        return lines;
    }
    b.entries.erase(entry);
    return lines;
}

void AusgleichRules::finishBooking(SqlConnection connection) {
    execute(connection,
            QStringLiteral("DELETE FROM %1").arg(stapelName(OffenePostenModule::stapelAlias())));
}

AusgleichRules::Detail AusgleichRules::beginDetail(qint64 batchNumber) {
    Table &s = m_rules.daten().stapel;
    Detail d;
    d.nr = batchNumber;
    forEachRow(s,
               QStringLiteral("SELECT COALESCE(OP, 0), COALESCE(KNr, 0) FROM %1 WHERE Nr = ?")
                   .arg(quotedName(s)),
               {batchNumber}, [&](const SqlRow &r) {
                   d.stored = true;
                   d.opens = r.int64(0) != 0;
                   d.knr = r.int64(1);
                   return false;
               });
    return d;
}

void AusgleichRules::acceptDetail(const Detail &d, bool opens, bool settles) {
    Table &s = m_rules.daten().stapel;
    const QString t = quotedName(s);
    if (opens || (settles && settleEnabled(d.opens, d.knr))) {
        // A row turned into an opening one settles nothing any more: its former item's number
        // would otherwise become the new item's customer number.
        const QVariant knr = opens ? QVariant(qint64(0)) : QVariant(d.knr);
        if (d.stored)
            execute(s, QStringLiteral("UPDATE %1 SET OP = ?, KNr = ? WHERE Nr = ?").arg(t),
                    {opens, knr, d.nr});
        else
            execute(s, QStringLiteral("INSERT INTO %1 (Nr, OP, KNr) VALUES (?, ?, ?)").arg(t),
                    {d.nr, opens, knr});
    } else if (d.stored) {
        execute(s, QStringLiteral("DELETE FROM %1 WHERE Nr = ?").arg(t), {d.nr});
    }
    s.refresh();
}

} // namespace ledra
