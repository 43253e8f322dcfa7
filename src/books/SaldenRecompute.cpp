#include "SaldenRecompute.h"

#include "Balances.h"
#include "BooksSession.h"
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
    int art = 0;
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

} // namespace

void recomputeSalden(BooksSession &fb) {
    recomputeSalden(fb, true);
}

void recomputeSalden(BooksSession &fb, bool includeBatch) {
    Ui &ui = fb.ui();
    fb.beginDataOperation();
    struct End {
        BooksSession &fb;
        ~End() { fb.endDataOperation(); }
    } end{fb};

    Table &k = fb.konten;
    const qint64 total =
        fb.journal.recordCount() + (includeBatch ? fb.stapel.recordCount() : 0) + k.recordCount();
    qint64 done = 0;
    int lastPercent = -1;
    auto advance = [&](qint64 n) {
        done += n;
        const int pc = total > 0 ? int(done * 100 / total) : 100;
        if (pc != lastPercent) {
            lastPercent = pc;
            ui.progress(pc);
            ui.processEvents();
        }
    };

    // Step 1: every account starts from its opening balance.
    std::unordered_map<qint64, Account> acc;
    std::vector<qint64> order;
    const QSet<qint64> bwaLines = sectionNumbers(fb.bwa), bilanzLines = sectionNumbers(fb.bilanz);
    forEachRow(k,
               QStringLiteral("SELECT KtoNr, Art, COALESCE(Soll, 0) - COALESCE(Haben, 0), BWA, "
                              "Bilanz FROM %1")
                   .arg(quotedName(k)),
               [&](const SqlRow &r) {
                   Account a;
                   a.art = int(r.int64(1));
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
                   acc.emplace(a.salden.konto, a);
                   order.push_back(a.salden.konto);
               });
    advance(qint64(order.size()));

    const qint64 vorsteuer = fb.settings.vorsteuer.trimmed().toLongLong();
    const qint64 mwst = fb.settings.kontoMwst.trimmed().toLongLong();
    auto artOf = [&](qint64 nr) {
        auto it = acc.find(nr);
        return it == acc.end() ? -1 : it->second.art;
    };
    // Steps 2 and 3: the batch, then the journal, each booking once.
    auto apply = [&](Table &t) {
        SqlStatement st(t, QStringLiteral("SELECT Belegdatum, Soll, Haben, Netto, Brutto, Steuer, "
                                          "Euro FROM %1")
                               .arg(quotedName(t)));
        qint64 n = 0;
        AccountEffect eff[3];
        while (st.next()) {
            const SqlRow &row = st.row();
            BookingAmounts r;
            r.date = row.date(0);
            r.soll = row.int64(1);
            r.haben = row.int64(2);
            r.netto = row.money(3);
            r.brutto = row.money(4);
            r.steuer = row.money(5);
            r.euro = row.isNull(6) || row.int64(6) != 0;
            r.sollArt = artOf(r.soll);
            r.habenArt = artOf(r.haben);
            const bool missing = r.sollArt < 0 || r.habenArt < 0;
            if (missing)
                for (qint64 nr : {r.soll, r.haben})
                    if (!acc.count(nr))
                        ui.error(QStringLiteral("Fehler bei Saldeneintrag in Konto ") +
                                 QString::number(nr));
            const qint64 tax = bookingTaxAccount(r, vorsteuer, mwst);
            if (tax && !acc.count(tax)) {
                ui.error(QStringLiteral("Vorsteuer- oder Mwst-Konto nicht vorhanden!"));
                throw SilentAbort();
            }
            if (!missing) {
                const int m = bookingEffects(r, BalanceDirection::Add, tax, eff);
                for (int i = 0; i < m; ++i)
                    acc[eff[i].konto].salden.add(eff[i], r.date);
            }
            if (++n % 4096 == 0)
                advance(4096);
        }
        advance(n % 4096);
    };
    try {
        if (includeBatch)
            apply(fb.stapel);
        apply(fb.journal);
    } catch (const std::exception &e) {
        if (dynamic_cast<const SilentAbort *>(&e))
            throw;
        ui.error(TableFile::translate(e, fb.journal.path()).message());
        throw SilentAbort();
    }

    try {
        SqlTransaction tr(k);
        SaldenStore salden(k);
        // Assignments to lines that do not exist are rare; only those accounts are written
        // a second time.
        SqlStatement dropLine(
            k,
            QStringLiteral("UPDATE %1 SET BWA = ?, Bilanz = ? WHERE KtoNr = ?").arg(quotedName(k)));
        for (qint64 nr : order) {
            const Account &a = acc[nr];
            salden.write(a.salden);
            if (a.dropsLine)
                dropLine.bind(1, a.bwa).bind(2, a.bilanz).bind(3, nr).exec();
        }
        tr.commit();
    } catch (const std::exception &e) {
        ui.error(TableFile::translate(e, k.path()).message());
        throw SilentAbort();
    }
    k.refresh();
}

} // namespace ledra
