#include "SaldenRecompute.h"

#include "Balances.h"
#include "BooksSession.h"
#include "KontoArt.h"
#include "ProgressGauge.h"
#include "SaldenStore.h"
#include "store/Sql.h"
#include "store/SqlTransaction.h"
#include "store/Table.h"
#include "store/TableFile.h"
#include "ui/Ui.h"

#include <QSet>
#include <unordered_map>
namespace ledra {

namespace {

struct Account {
    std::optional<KontoArt> art;
    KontoSalden salden;
    // BWA and balance-sheet line the account keeps; null where the stored one is dropped.
    QVariant bwa, bilanz;
    bool dropsLine = false;
};

QSet<qint64> sectionNumbers(Table &t) {
    QSet<qint64> s;
    forEachRow(
        t,
        QStringLiteral("SELECT Reihenfolge FROM %1 WHERE Sektion IS NOT NULL AND Sektion <> ''")
            .arg(quotedName(t)),
        [&](const SqlRow &r) { s.insert(r.int64(0)); });
    return s;
}

// The accounts of the chart with their opening balances, in table order.
struct Accounts {
    std::unordered_map<qint64, Account> byNumber;
    std::vector<qint64> order;

    std::optional<KontoArt> artOf(qint64 nr) const {
        auto it = byNumber.find(nr);
        return it == byNumber.end() ? std::nullopt : it->second.art;
    }
    bool has(qint64 nr) const { return byNumber.count(nr) > 0; }
};

// Every account starts from its opening balance; assignments to BWA and balance-sheet lines
// that do not exist are dropped.
Accounts readOpeningBalances(BooksSession &fb) {
    Table &k = fb.konten;
    const QSet<qint64> bwaLines = sectionNumbers(fb.bwa), bilanzLines = sectionNumbers(fb.bilanz);
    Accounts acc;
    forEachRow(k,
               QStringLiteral("SELECT KtoNr, Art, COALESCE(Soll, 0) - COALESCE(Haben, 0), BWA, "
                              "Bilanz FROM %1")
                   .arg(quotedName(k)),
               [&](const SqlRow &r) {
                   Account a;
                   a.art = kontoArtFromCode(r.int64(1));
                   a.salden.konto = r.int64(0);
                   a.salden.saldo = r.money(2);
                   a.salden.jvzSoll = a.salden.jvzHaben = Money();
                   const qint64 bwa = r.int64(3);
                   if (bwa >= 1000 && bwaLines.contains(bwa))
                       a.bwa = bwa;
                   const qint64 bil = r.int64(4);
                   if (bil >= 1000 && bilanzLines.contains(bil))
                       a.bilanz = bil;
                   a.dropsLine =
                       (!r.isNull(3) && a.bwa.isNull()) || (!r.isNull(4) && a.bilanz.isNull());
                   acc.byNumber.emplace(a.salden.konto, a);
                   acc.order.push_back(a.salden.konto);
               });
    return acc;
}

BookingAmounts bookingOf(const SqlRow &row, const Accounts &acc) {
    BookingAmounts r;
    r.date = row.date(0);
    r.soll = row.int64(1);
    r.haben = row.int64(2);
    r.netto = row.money(3);
    r.brutto = row.money(4);
    r.steuer = row.money(5);
    r.euro = row.isNull(6) || row.int64(6) != 0;
    r.sollArt = acc.artOf(r.soll);
    r.habenArt = acc.artOf(r.haben);
    return r;
}

// Adds every booking of the table to its accounts, each once. A booking on a missing account
// is reported and skipped; a booking whose tax account is missing stops the run. Returns the
// number skipped.
int applyBookings(Table &t, Accounts &acc, qint64 vorsteuer, qint64 mwst, Ui &ui,
                  ProgressGauge &progress) {
    SqlStatement st(t, QStringLiteral("SELECT Belegdatum, Soll, Haben, Netto, Brutto, Steuer, "
                                      "Euro FROM %1")
                           .arg(quotedName(t)));
    qint64 n = 0;
    int skipped = 0;
    AccountEffect eff[3];
    while (st.next()) {
        const BookingAmounts r = bookingOf(st.row(), acc);
        const bool missing = !r.sollArt || !r.habenArt;
        if (missing) {
            ++skipped;
            for (qint64 nr : {r.soll, r.haben})
                if (!acc.has(nr))
                    ui.error(QStringLiteral("Fehler bei Saldeneintrag in Konto ") +
                             QString::number(nr));
        }
        const qint64 tax = bookingTaxAccount(r, vorsteuer, mwst);
        if (tax && !acc.has(tax)) {
            ui.error(QStringLiteral("Vorsteuer- oder Mwst-Konto nicht vorhanden!"));
            throw SilentAbort();
        }
        if (!missing) {
            const int m = bookingEffects(r, BalanceDirection::Add, tax, eff);
            for (int i = 0; i < m; ++i)
                acc.byNumber[eff[i].konto].salden.add(eff[i], r.date);
        }
        if (++n % 4096 == 0)
            progress.advance(4096);
    }
    progress.advance(n % 4096);
    return skipped;
}

// Writes every account's totals in one transaction.
void writeAccounts(Table &k, Accounts &acc) {
    SqlTransaction tr(k);
    SaldenStore salden(k);
    // Assignments to lines that do not exist are rare; only those accounts are written a
    // second time.
    SqlStatement dropLine(
        k, QStringLiteral("UPDATE %1 SET BWA = ?, Bilanz = ? WHERE KtoNr = ?").arg(quotedName(k)));
    for (qint64 nr : acc.order) {
        const Account &a = acc.byNumber[nr];
        salden.write(a.salden);
        if (a.dropsLine)
            dropLine.bind(1, a.bwa).bind(2, a.bilanz).bind(3, nr).exec();
    }
    tr.commit();
}

} // namespace

int recomputeSalden(BooksSession &fb) {
    return recomputeSalden(fb, true);
}

int recomputeSalden(BooksSession &fb, bool includeBatch) {
    Ui &ui = fb.ui();
    fb.beginDataOperation();
    struct End {
        BooksSession &fb;
        ~End() { fb.endDataOperation(); }
    } end{fb};

    Table &k = fb.konten;
    // The year change, the reversal and the journal listing rely on the balances it writes:
    // it never stops half way.
    ProgressGauge progress(ui,
                           fb.journal.recordCount() + (includeBatch ? fb.stapel.recordCount() : 0) +
                               k.recordCount(),
                           ProgressGauge::OnCancel::Ignore);
    Accounts acc = readOpeningBalances(fb);
    progress.advance(qint64(acc.order.size()));

    const qint64 vorsteuer = fb.settings.vorsteuer.trimmed().toLongLong();
    const qint64 mwst = fb.settings.kontoMwst.trimmed().toLongLong();
    // The batch, then the journal.
    int skipped = 0;
    try {
        if (includeBatch)
            skipped += applyBookings(fb.stapel, acc, vorsteuer, mwst, ui, progress);
        skipped += applyBookings(fb.journal, acc, vorsteuer, mwst, ui, progress);
    } catch (const std::exception &e) {
        if (dynamic_cast<const SilentAbort *>(&e))
            throw;
        ui.error(TableFile::translate(e, fb.journal.path()).message());
        throw SilentAbort();
    }

    try {
        writeAccounts(k, acc);
    } catch (const std::exception &e) {
        ui.error(TableFile::translate(e, k.path()).message());
        throw SilentAbort();
    }
    k.refresh();
    return skipped;
}

} // namespace ledra
