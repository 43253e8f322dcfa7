#include "Balances.h"

#include "SaldenStore.h"
#include "Settings.h"
#include "Steuer.h"
#include "store/Sql.h"
#include "store/Table.h"
#include "ui/Ui.h"

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

namespace {

qint64 taxAccountOf(const BookingAmounts &row, const YearSettings &settings) {
    return bookingTaxAccount(row, settings.vorsteuer.trimmed().toLongLong(),
                             settings.kontoMwst.trimmed().toLongLong());
}

} // namespace

bool checkBalanceAccounts(Table &konten, const YearSettings &settings, Ui *ui,
                          const BookingAmounts &row) {
    const QString table = quotedName(konten);
    auto exists = [&](qint64 nr) {
        return hasRow(konten, QStringLiteral("SELECT 1 FROM %1 WHERE KtoNr = ?").arg(table), {nr});
    };
    bool failed = false;
    for (qint64 nr : {row.soll, row.haben})
        if (!exists(nr)) {
            if (ui)
                ui->error(QStringLiteral("Fehler bei Saldeneintrag in Konto ") +
                          QString::number(nr));
            failed = true;
        }
    if (row.steuer >= Money::fromCents(1) && !exists(taxAccountOf(row, settings))) {
        if (ui)
            ui->error(QStringLiteral("Vorsteuer- oder Mwst-Konto nicht vorhanden!"));
        throw SilentAbort();
    }
    return !failed;
}

void writeBalances(const SqlConnection &connection, const QString &kontenTable,
                   const YearSettings &settings, const BookingAmounts &row,
                   BalanceDirection direction) {
    AccountEffect changes[3];
    const int n = bookingEffects(row, direction, taxAccountOf(row, settings), changes);
    SaldenStore salden(connection, kontenTable);
    for (int i = 0; i < n; ++i)
        salden.add(changes[i], row.date);
}

} // namespace ledra
