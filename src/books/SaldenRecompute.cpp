#include "SaldenRecompute.h"

#include "Balances.h"
#include "BooksSession.h"
#include "KontoArt.h"
#include "store/Table.h"
#include "store/TableFile.h"
#include "ui/Ui.h"

#include <QSet>
#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <SQLiteCpp/Transaction.h>
#include <cstring>
#include <unordered_map>
namespace ledra {

namespace {

struct Totals {
    std::optional<KontoArt> art;
    qint64 saldo = 0, jvzSoll = 0, jvzHaben = 0;
    QDate datum1;
    QVariant bwa, bilanz;
};

QDate isoDay(const char *t) {
    // "yyyy-mm-dd" without building a string per row.
    if (!t || std::strlen(t) < 10)
        return QDate();
    auto num = [&](int from, int len) {
        int v = 0;
        for (int i = from; i < from + len; ++i)
            v = v * 10 + (t[i] - '0');
        return v;
    };
    return QDate(num(0, 4), num(5, 2), num(8, 2));
}

QSet<qint64> sectionNumbers(Table &t) {
    QSet<qint64> s;
    SQLite::Statement st(
        t.db(),
        QStringLiteral("SELECT Reihenfolge FROM \"%1\" WHERE Sektion IS NOT NULL AND Sektion <> ''")
            .arg(t.innerName())
            .toStdString());
    while (st.executeStep())
        s.insert(st.getColumn(0).getInt64());
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
    std::unordered_map<qint64, Totals> acc;
    std::vector<qint64> order;
    const QSet<qint64> bwaLines = sectionNumbers(fb.bwa), bilanzLines = sectionNumbers(fb.bilanz);
    {
        SQLite::Statement st(k.db(), QStringLiteral("SELECT KtoNr, Art, COALESCE(Soll, 0) - "
                                                    "COALESCE(Haben, 0), BWA, Bilanz FROM \"%1\"")
                                         .arg(k.innerName())
                                         .toStdString());
        while (st.executeStep()) {
            Totals t;
            t.art = kontoArtFromCode(st.getColumn(1).getInt());
            t.saldo = st.getColumn(2).getInt64();
            const qint64 bwa = st.getColumn(3).isNull() ? 0 : st.getColumn(3).getInt64();
            if (bwa >= 1000 && bwaLines.contains(bwa))
                t.bwa = bwa;
            const qint64 bil = st.getColumn(4).isNull() ? 0 : st.getColumn(4).getInt64();
            if (bil >= 1000 && bilanzLines.contains(bil))
                t.bilanz = bil;
            const qint64 nr = st.getColumn(0).getInt64();
            acc.emplace(nr, t);
            order.push_back(nr);
        }
    }
    advance(qint64(order.size()));

    const qint64 vorsteuer = fb.settings.vorsteuer.trimmed().toLongLong();
    const qint64 mwst = fb.settings.kontoMwst.trimmed().toLongLong();
    auto artOf = [&](qint64 nr) -> std::optional<KontoArt> {
        auto it = acc.find(nr);
        return it == acc.end() ? std::nullopt : it->second.art;
    };
    // Steps 2 and 3: the batch, then the journal, each booking once.
    auto apply = [&](Table &t) {
        SQLite::Statement st(
            t.db(), QStringLiteral(
                        "SELECT Belegdatum, Soll, Haben, Netto, Brutto, Steuer, Euro FROM \"%1\"")
                        .arg(t.innerName())
                        .toStdString());
        qint64 n = 0;
        AccountEffect eff[3];
        while (st.executeStep()) {
            BookingAmounts r;
            r.date = isoDay(st.getColumn(0).getText(nullptr));
            r.soll = st.getColumn(1).getInt64();
            r.haben = st.getColumn(2).getInt64();
            r.netto = Money::fromUnits(st.getColumn(3).getInt64());
            r.brutto = Money::fromUnits(st.getColumn(4).getInt64());
            r.steuer = Money::fromUnits(st.getColumn(5).getInt64());
            r.euro = st.getColumn(6).isNull() || st.getColumn(6).getInt() != 0;
            r.sollArt = artOf(r.soll);
            r.habenArt = artOf(r.haben);
            const bool missing = !r.sollArt || !r.habenArt;
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
                for (int i = 0; i < m; ++i) {
                    Totals &a = acc[eff[i].konto];
                    a.saldo += eff[i].amount.units();
                    (eff[i].debitSide ? a.jvzSoll : a.jvzHaben) += eff[i].turnover.units();
                    if (r.date.isValid() && (!a.datum1.isValid() || r.date < a.datum1))
                        a.datum1 = r.date;
                }
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
        SQLite::Transaction tr(k.db());
        SQLite::Statement up(
            k.db(),
            QStringLiteral("UPDATE \"%1\" SET Saldo = ?, JVZSoll = ?, JVZHaben = ?, Datum1 = ?, "
                           "BWA = ?, Bilanz = ? WHERE KtoNr = ?")
                .arg(k.innerName())
                .toStdString());
        for (qint64 nr : order) {
            const Totals &a = acc[nr];
            up.bind(1, static_cast<int64_t>(a.saldo));
            up.bind(2, static_cast<int64_t>(a.jvzSoll));
            up.bind(3, static_cast<int64_t>(a.jvzHaben));
            if (a.datum1.isValid())
                up.bind(4, a.datum1.toString(Qt::ISODate).toStdString());
            else
                up.bind(4);
            TableFile::bind(up, 5, a.bwa);
            TableFile::bind(up, 6, a.bilanz);
            up.bind(7, static_cast<int64_t>(nr));
            up.exec();
            up.reset();
        }
        tr.commit();
    } catch (const std::exception &e) {
        ui.error(TableFile::translate(e, k.path()).message());
        throw SilentAbort();
    }
    k.refresh();
}

} // namespace ledra
