#include "PrepareEvaluation.h"

#include "EingrenzungRules.h"
#include "books/Balances.h"
#include "books/BooksSession.h"
#include "books/KontoArt.h"
#include "books/ProgressGauge.h"
#include "store/Sql.h"
#include "store/SqlTransaction.h"
#include "store/Table.h"
#include "store/TableFile.h"
#include "ui/Ui.h"

#include <unordered_map>
#include <vector>
namespace ledra {

namespace reports {

namespace {

struct Totals {
    std::optional<KontoArt> art;
    qint64 druck = 0, bewSoll = 0, bewHaben = 0, vor = 0;
    qint64 endSaldo = 0, endSoll = 0, endHaben = 0; // period start to range end
};

// The rows of one pass: the journal up to the range end, each marked whether it lies in the
// range and whether it lies before it (from the period start; the trial balance only).
enum Column { kDate, kSoll, kHaben, kNetto, kBrutto, kSteuer, kEuro, kInRange, kBefore };

class Preparation {
public:
    Preparation(BooksSession &fb, EingrenzungRules &filter)
        : m_fb(fb), m_filter(filter), m_ui(fb.ui()), m_progress(fb.ui()) {}

    void run(bool fromOpening, bool vorSaldoPass, const QDate &periodStart, const QDate &from) {
        readAccounts(fromOpening);
        // The figures of the range, of the days before it and of the year up to the range
        // end come from one pass over the journal up to the range end: the range's rows are
        // a part of it, and so are the days before.
        const JournalQuery &q = m_filter.QJournal;
        QVariantList params = q.lineParams(JournalQuery::kRangeLine);
        QString before = QStringLiteral("0");
        if (vorSaldoPass) {
            before = QStringLiteral("(Belegdatum>=? AND Belegdatum<=?)");
            params << QVariant(periodStart) << QVariant(from.addDays(-1));
        }
        // The year figures run from the period's start to the range end: the whole journal
        // up to the range's last day, or all of it for a range without dates.
        QString toEnd = QStringLiteral("1");
        const std::optional<QDate> to = m_filter.toDate();
        if (m_filter.sort == EingrenzungRules::Sort::Datum && to) {
            toEnd = QStringLiteral("Belegdatum<=?");
            params << QVariant(*to);
        }
        SqlStatement rows = q.journalScan(
            QStringLiteral("Belegdatum, Soll, Haben, Netto, Brutto, Steuer, Euro, (1 %1), %2")
                .arg(q.line(JournalQuery::kRangeLine), before),
            toEnd, params);
        // The gauge's total is the journal's span of row ids, which the engine knows without
        // reading the rows (counting them would read the whole journal once more); the pass
        // reads the rows up to the range end. Each end is asked in a query of its own: the
        // engine finds a lone MIN or MAX of the row id at the tree's edge, but both in one
        // query make it walk the whole journal.
        Table &j = m_fb.journal;
        const qint64 span = scalar(
            j,
            QStringLiteral(
                "SELECT COALESCE((SELECT MAX(rowid) FROM %1) - (SELECT MIN(rowid) FROM %1) + 1, 0)")
                .arg(quotedName(j)));
        m_progress.restart(span + qint64(m_order.size()));
        m_progress.advance(qint64(m_order.size()));
        walk(rows);
        write();
        m_filter.rangeEnd.clear();
        for (const auto &[nr, t] : m_acc)
            m_filter.rangeEnd[nr] = {t.endSaldo, t.endSoll, t.endHaben};
    }

private:
    void readAccounts(bool fromOpening) {
        Table &k = m_fb.konten;
        forEachRow(
            k,
            QStringLiteral("SELECT KtoNr, Art, COALESCE(Soll, 0) - COALESCE(Haben, 0) FROM %1")
                .arg(quotedName(k)),
            [&](const SqlRow &r) {
                Totals t;
                t.art = r.isNull(1) ? std::nullopt : kontoArtFromCode(r.int64(1));
                const qint64 opening = r.int64(2);
                t.druck = fromOpening ? opening : 0;
                t.vor = opening;
                t.endSaldo = opening;
                const qint64 nr = r.int64(0);
                m_acc.emplace(nr, t);
                m_order.push_back(nr);
            });
    }

    Totals *account(qint64 nr) {
        const auto it = m_acc.find(nr);
        return it == m_acc.end() ? nullptr : &it->second;
    }

    // Every row applied to its accounts as posting does. The journal query joins the rows
    // with their accounts, so a row whose debit or credit account is missing is no row of
    // it. A row with tax whose tax account is missing stops the run with the message of
    // the balance update when it lies in the range or before it; a row beyond those only
    // counts for the year figures, which pass over it.
    void walk(SqlStatement &rows) {
        const qint64 vorsteuer = m_fb.settings.vorsteuer.trimmed().toLongLong();
        const qint64 mwst = m_fb.settings.kontoMwst.trimmed().toLongLong();
        AccountEffect eff[3];
        Totals *target[3] = {};
        qint64 n = 0;
        while (rows.next()) {
            if (++n % 4096 == 0)
                m_progress.advance(4096);
            const SqlRow &r = rows.row();
            BookingAmounts b;
            b.soll = r.int64(kSoll);
            b.haben = r.int64(kHaben);
            target[0] = account(b.soll);
            target[1] = account(b.haben);
            if (!target[0] || !target[1])
                continue;
            b.date = r.date(kDate);
            b.netto = r.money(kNetto);
            b.brutto = r.money(kBrutto);
            b.steuer = r.money(kSteuer);
            b.euro = r.isNull(kEuro) || r.int64(kEuro) != 0;
            b.sollArt = target[0]->art;
            b.habenArt = target[1]->art;
            const bool inRange = r.int64(kInRange) != 0;
            const bool before = r.int64(kBefore) != 0;
            const qint64 tax = bookingTaxAccount(b, vorsteuer, mwst);
            target[2] = tax ? account(tax) : nullptr;
            if (tax && !target[2]) {
                if (!inRange && !before)
                    continue;
                m_ui.error(QStringLiteral("Vorsteuer- oder Mwst-Konto nicht vorhanden!"));
                throw SilentAbort();
            }
            const int m = bookingEffects(b, BalanceDirection::Add, tax, eff);
            for (int i = 0; i < m; ++i) {
                Totals &a = *target[i];
                const AccountEffect &e = eff[i];
                const qint64 amount = e.amount.units(), turnover = e.turnover.units();
                if (inRange) {
                    a.druck += amount;
                    (e.debitSide ? a.bewSoll : a.bewHaben) += turnover;
                }
                if (before)
                    a.vor += amount;
                a.endSaldo += amount;
                (e.debitSide ? a.endSoll : a.endHaben) += turnover;
            }
        }
        m_progress.advance(n % 4096);
    }

    void write() {
        Table &k = m_fb.konten;
        try {
            SqlTransaction tr(k);
            SqlStatement up(k, QStringLiteral("UPDATE %1 SET DruckSaldo = ?, BewSoll = ?, "
                                              "BewHaben = ?, VorSaldo = ? WHERE KtoNr = ?")
                                   .arg(quotedName(k)));
            for (qint64 nr : m_order) {
                const Totals &a = m_acc[nr];
                up.bind(1, a.druck).bind(2, a.bewSoll).bind(3, a.bewHaben).bind(4, a.vor);
                up.bind(5, nr).exec();
            }
            tr.commit();
        } catch (const std::exception &e) {
            m_ui.error(TableFile::translate(e, k.path()).message());
            throw SilentAbort();
        }
        k.refresh();
    }

    BooksSession &m_fb;
    EingrenzungRules &m_filter;
    Ui &m_ui;
    std::unordered_map<qint64, Totals> m_acc;
    std::vector<qint64> m_order;
    ProgressGauge m_progress;
};

} // namespace

PreparedAccountsSource::PreparedAccountsSource(
    Table &konten, const EingrenzungRules &filter, QStringList extraFields,
    std::function<bool(std::optional<KontoArt>)> levelAtEnd)
    : TableSource(konten, std::move(extraFields)), m_filter(filter),
      m_levelAtEnd(std::move(levelAtEnd)) {}

QVariant PreparedAccountsSource::value(const QString &field) const {
    const bool saldo = field.compare(QLatin1String("Saldo"), Qt::CaseInsensitive) == 0;
    const bool soll = field.compare(QLatin1String("JVZSoll"), Qt::CaseInsensitive) == 0;
    const bool haben = field.compare(QLatin1String("JVZHaben"), Qt::CaseInsensitive) == 0;
    const bool druck = m_levelAtEnd &&
                       field.compare(QLatin1String("DruckSaldo"), Qt::CaseInsensitive) == 0 &&
                       m_levelAtEnd(kontoArtOf(TableSource::value(QStringLiteral("Art"))));
    if (!(saldo || soll || haben || druck) || eof())
        return TableSource::value(field);
    const auto it =
        m_filter.rangeEnd.find(TableSource::value(QStringLiteral("KtoNr")).toLongLong());
    if (it == m_filter.rangeEnd.end())
        return TableSource::value(field);
    const EingrenzungRules::RangeEnd &e = it->second;
    return QVariant(saldo || druck ? e.saldo : soll ? e.soll : e.haben);
}

bool prepareEvaluation(BooksSession &fb, EingrenzungRules &filter) {
    struct CloseQuery {
        EingrenzungRules &f;
        ~CloseQuery() { f.QJournal.close(); }
    } closeQuery{filter};

    if (!filter.runModal())
        return false;

    const bool byDate = filter.sort == EingrenzungRules::Sort::Datum;
    const bool saldenliste = filter.caption == QLatin1String("Saldenliste");
    const QDate periodStart = fb.settings.periodStart();
    const QDate from = filter.fromDate().value_or(QDate());
    const bool fromOpening = byDate && from.isValid() && from == periodStart && !saldenliste;
    const bool vorSaldoPass =
        saldenliste && byDate && periodStart.isValid() && from.isValid() && periodStart < from;

    // The person may cancel: the preparation writes the accounts only after its passes, so a
    // cancel leaves them as they were. The window says so once the data operation is over.
    bool cancelled = false;
    {
        fb.beginDataOperation();
        struct End {
            BooksSession &fb;
            ~End() { fb.endDataOperation(); }
        } end{fb};
        const CancelOffer offer(fb.ui());
        try {
            Preparation(fb, filter).run(fromOpening, vorSaldoPass, periodStart, from);
        } catch (const Cancelled &) {
            cancelled = true;
        } catch (const EngineError &e) {
            fb.ui().error(e.message());
            throw SilentAbort();
        }
    }
    if (cancelled) {
        fb.notify(BooksEvent::EvaluationCancelled);
        throw Cancelled();
    }
    return true;
}

} // namespace reports

} // namespace ledra
