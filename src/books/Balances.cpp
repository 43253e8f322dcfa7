#include "Balances.h"

#include "Settings.h"
#include "Steuer.h"
#include "store/Table.h"
#include "store/TableFile.h"
#include "ui/Ui.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <SQLiteCpp/Transaction.h>
namespace ledra {

BookingAmounts BookingAmounts::fromTable(const Table &t) {
    BookingAmounts r;
    r.date = t.asDate(QStringLiteral("Belegdatum"));
    r.soll = t.asInt(QStringLiteral("Soll"));
    r.haben = t.asInt(QStringLiteral("Haben"));
    r.netto = t.asMoney(QStringLiteral("Netto"));
    r.brutto = t.asMoney(QStringLiteral("Brutto"));
    r.steuer = t.asMoney(QStringLiteral("Steuer"));
    const QVariant e = t.value(QStringLiteral("Euro"));
    r.euro = e.isNull() ? true : e.toBool();
    r.sollArt = kontoArtOf(t.value(QStringLiteral("XSollArt")));
    r.habenArt = kontoArtOf(t.value(QStringLiteral("XHabenArt")));
    return r;
}

qint64 bookingTaxAccount(const BookingAmounts &row, qint64 vorsteuer, qint64 mwst) {
    if (row.steuer < Money::fromCents(1))
        return 0;
    const bool revenue = isErloeskonto(row.sollArt) || isErloeskonto(row.habenArt);
    return revenue ? mwst : vorsteuer;
}

int bookingEffects(const BookingAmounts &row, BalanceDirection direction, qint64 taxAccount,
                   AccountEffect out[3]) {
    // Balance accounts take the gross amount, profit-and-loss accounts the net one; the tax
    // makes up the difference on the tax account.
    Money d = isBestandskonto(row.sollArt) ? row.brutto : row.netto;
    Money c = isBestandskonto(row.habenArt) ? row.brutto : row.netto;
    Money x = row.steuer;
    // Reversed direction (revenue debited or cost credited) turns the tax to the other side.
    const bool e = isErloeskonto(row.sollArt) || isKostenkonto(row.habenArt);
    const bool g = isErloeskonto(row.sollArt) || isErloeskonto(row.habenArt);
    if (direction == BalanceDirection::Remove) {
        d = -d;
        c = -c;
        x = -x;
    }
    d = toCurrencyOfDate(d, row.euro, row.date);
    c = toCurrencyOfDate(c, row.euro, row.date);
    x = toCurrencyOfDate(x, row.euro, row.date);
    out[0] = {row.soll, d, d, true};
    out[1] = {row.haben, -c, c, false};
    if (taxAccount == 0 || (x.units() < 100 && x.units() > -100))
        return 2;
    out[2] =
        g == e ? AccountEffect{taxAccount, x, x, true} : AccountEffect{taxAccount, -x, x, false};
    return 3;
}

bool UpdateBalances(Table &konten, const YearSettings &settings, Ui &ui, const BookingAmounts &row,
                    BalanceTarget target, BalanceDirection direction) {
    SQLite::Database &db = konten.db();
    auto exists = [&](qint64 nr) {
        SQLite::Statement st(db, QStringLiteral("SELECT 1 FROM \"%1\" WHERE KtoNr = ?")
                                     .arg(konten.innerName())
                                     .toStdString());
        st.bind(1, static_cast<int64_t>(nr));
        return st.executeStep();
    };
    bool failed = false;
    for (qint64 nr : {row.soll, row.haben})
        if (!exists(nr)) {
            ui.error(QStringLiteral("Fehler bei Saldeneintrag in Konto ") + QString::number(nr));
            failed = true;
        }
    const qint64 taxAccount = bookingTaxAccount(row, settings.vorsteuer.trimmed().toLongLong(),
                                                settings.kontoMwst.trimmed().toLongLong());
    if (row.steuer >= Money::fromCents(1) && !exists(taxAccount)) {
        ui.error(QStringLiteral("Vorsteuer- oder Mwst-Konto nicht vorhanden!"));
        throw SilentAbort();
    }
    if (failed)
        return false;
    AccountEffect changes[3];
    const int n = bookingEffects(row, direction, taxAccount, changes);

    const QString T = target == BalanceTarget::Saldo        ? QStringLiteral("Saldo")
                      : target == BalanceTarget::DruckSaldo ? QStringLiteral("DruckSaldo")
                                                            : QStringLiteral("VorSaldo");
    try {
        SQLite::Transaction tr(db);
        for (int i = 0; i < n; ++i) {
            const AccountEffect &ch = changes[i];
            QString sql = QStringLiteral("UPDATE \"%1\" SET \"%2\" = COALESCE(\"%2\", 0) + ?1")
                              .arg(konten.innerName(), T);
            if (target == BalanceTarget::Saldo) {
                sql += ch.debitSide ? QStringLiteral(", JVZSoll = COALESCE(JVZSoll, 0) + ?2")
                                    : QStringLiteral(", JVZHaben = COALESCE(JVZHaben, 0) + ?2");
                sql += QStringLiteral(
                    ", Datum1 = CASE WHEN ?3 IS NOT NULL AND (Datum1 IS NULL OR Datum1 = '' OR "
                    "Datum1 > ?3) THEN ?3 ELSE Datum1 END");
            } else if (target == BalanceTarget::DruckSaldo) {
                sql += ch.debitSide ? QStringLiteral(", BewSoll = COALESCE(BewSoll, 0) + ?2")
                                    : QStringLiteral(", BewHaben = COALESCE(BewHaben, 0) + ?2");
            }
            sql += QStringLiteral(" WHERE KtoNr = ?4");
            SQLite::Statement st(db, sql.toStdString());
            st.bind(1, static_cast<int64_t>(ch.amount.units()));
            if (target != BalanceTarget::VorSaldo)
                st.bind(2, static_cast<int64_t>(ch.turnover.units()));
            if (target == BalanceTarget::Saldo) {
                if (row.date.isValid())
                    st.bind(3, row.date.toString(Qt::ISODate).toStdString());
                else
                    st.bind(3);
            }
            st.bind(4, static_cast<int64_t>(ch.konto));
            st.exec();
        }
        tr.commit();
    } catch (const std::exception &ex) {
        throw TableFile::translate(ex, konten.path());
    }
    if (!konten.isEditing())
        konten.refresh();
    return true;
}

} // namespace ledra
