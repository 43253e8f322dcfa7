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

using ledra::report::Record;

namespace {

struct Totals {
    int art = 0;
    qint64 druck = 0, bewSoll = 0, bewHaben = 0, vor = 0;
    qint64 endSaldo = 0, endSoll = 0, endHaben = 0; // period start to range end
};

BookingAmounts bookingOf(const Record &row) {
    BookingAmounts b;
    b.date = row.value(QStringLiteral("Belegdatum")).toDate();
    b.soll = row.value(QStringLiteral("Soll")).toLongLong();
    b.haben = row.value(QStringLiteral("Haben")).toLongLong();
    b.netto = Money::fromUnits(row.value(QStringLiteral("Netto")).toLongLong());
    b.brutto = Money::fromUnits(row.value(QStringLiteral("Brutto")).toLongLong());
    b.steuer = Money::fromUnits(row.value(QStringLiteral("Steuer")).toLongLong());
    const QVariant euro = row.value(QStringLiteral("Euro"));
    b.euro = euro.isNull() || euro.toBool();
    b.sollArt = kontoArtOf(row.value(QStringLiteral("XSollArt")));
    b.habenArt = kontoArtOf(row.value(QStringLiteral("XHabenArt")));
    return b;
}

class Preparation {
public:
    Preparation(BooksSession &fb, EingrenzungRules &filter)
        : m_fb(fb), m_filter(filter), m_ui(fb.ui()), m_progress(fb.ui()) {}

    void run(bool fromOpening, bool vorSaldoPass, const QDate &periodStart, const QDate &from) {
        // The year figures run from the period's start to the range end: the whole journal
        // up to the range's last day, or all of it for a range without dates.
        JournalQuery toEnd = m_filter.QJournal;
        const std::optional<QDate> to = m_filter.toDate();
        if (m_filter.sort == EingrenzungRules::Sort::Datum && to)
            toEnd.setLine(JournalQuery::kRangeLine, QStringLiteral("AND Belegdatum<=?"), {*to});
        else
            toEnd.setLine(JournalQuery::kRangeLine, QString());
        readAccounts(fromOpening);
        // The progress bar counts the batch as well, as the recomputation does, although
        // the preparation reads only the journal.
        m_progress.restart(m_filter.QJournal.recordCount() + m_fb.stapel.recordCount() +
                           qint64(m_order.size()));
        m_progress.advance(qint64(m_order.size()));
        apply(BalanceTarget::DruckSaldo);
        if (vorSaldoPass) {
            m_filter.setDateRange(periodStart, from.addDays(-1));
            m_filter.QJournal.open();
            m_progress.restart(m_filter.QJournal.recordCount());
            apply(BalanceTarget::VorSaldo);
        }
        toEnd.open();
        m_progress.restart(toEnd.recordCount());
        applyToEnd(toEnd);
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
                t.art = int(r.int64(1));
                const qint64 opening = r.int64(2);
                t.druck = fromOpening ? opening : 0;
                t.vor = opening;
                t.endSaldo = opening;
                const qint64 nr = r.int64(0);
                m_acc.emplace(nr, t);
                m_order.push_back(nr);
            });
    }

    void apply(BalanceTarget target) {
        walk(m_filter.QJournal, [target](Totals &a, const AccountEffect &e) {
            if (target == BalanceTarget::VorSaldo) {
                a.vor += e.amount.units();
            } else {
                a.druck += e.amount.units();
                (e.debitSide ? a.bewSoll : a.bewHaben) += e.turnover.units();
            }
        });
    }

    void applyToEnd(const JournalQuery &toEnd) {
        walk(
            toEnd,
            [](Totals &a, const AccountEffect &e) {
                a.endSaldo += e.amount.units();
                (e.debitSide ? a.endSoll : a.endHaben) += e.turnover.units();
            },
            false);
    }

    // Every row of the query applied to its accounts as posting does, with the messages of
    // the balance update for a missing account or tax account. Only the range's own passes
    // (`tell`) say so; the pass up to the range end reads those rows again and passes over
    // them without a second message.
    void walk(const JournalQuery &query,
              const std::function<void(Totals &, const AccountEffect &)> &add, bool tell = true) {
        const qint64 vorsteuer = m_fb.settings.vorsteuer.trimmed().toLongLong();
        const qint64 mwst = m_fb.settings.kontoMwst.trimmed().toLongLong();
        AccountEffect eff[3];
        qint64 n = 0;
        query.forEach([&](const Record &row) {
            const BookingAmounts b = bookingOf(row);
            bool missing = false;
            for (qint64 nr : {b.soll, b.haben})
                if (!m_acc.count(nr)) {
                    if (tell)
                        m_ui.error(QStringLiteral("Fehler bei Saldeneintrag in Konto ") +
                                   QString::number(nr));
                    missing = true;
                }
            const qint64 tax = bookingTaxAccount(b, vorsteuer, mwst);
            if (tax && !m_acc.count(tax)) {
                if (!tell)
                    return true;
                m_ui.error(QStringLiteral("Vorsteuer- oder Mwst-Konto nicht vorhanden!"));
                throw SilentAbort();
            }
            if (!missing) {
                const int m = bookingEffects(b, BalanceDirection::Add, tax, eff);
                for (int i = 0; i < m; ++i)
                    add(m_acc[eff[i].konto], eff[i]);
            }
            if (++n % 1024 == 0)
                m_progress.advance(1024);
            return true;
        });
        m_progress.advance(n % 1024);
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
