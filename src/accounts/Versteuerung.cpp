// Switch of the VAT basis: the due tax of every journal row of the open year is rewritten for
// the basis the check box shows. The walk follows the voucher numbers, so that an invoice is
// seen before the payments booked on it. All changes are written in one transaction.

#include "Versteuerung.h"

#include "Jahreswechsel.h"

#include "books/BooksSession.h"
#include "books/Istversteuerung.h"
#include "books/KontoArt.h"
#include "books/Steuer.h"
#include "store/Sql.h"
#include "store/SqlTransaction.h"
#include "store/Table.h"
#include "store/TableFile.h"
#include "ui/Ui.h"

#include <QDate>

#include <algorithm>
#include <functional>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>
namespace ledra {

namespace {

// A journal row as the walk reads it, with the types of its two accounts.
struct JRow {
    qint64 rowid = 0, beleg = 0, soll = 0, haben = 0;
    Money brutto, steuer, stf;
    double satz = 0;
    QString datum;
    std::optional<KontoArt> sollArt, habenArt;
};

// The due tax and rate a row is to get.
struct Update {
    qint64 rowid;
    Money stf;
    double satz;
};

using KontoArten = std::unordered_map<qint64, std::optional<KontoArt>>;

bool confirmSwitch(Ui &ui, bool ist) {
    const QString m = ist ? QStringLiteral("Ist") : QStringLiteral("Soll");
    return ui.confirm(
               QStringLiteral("Aktuelles Journal auf ") + m +
                   QStringLiteral("versteuerung umstellen?\r") +
                   QStringLiteral("Nur ausführen, wenn Sie eine aktuelle Datensicherung besitzen!"),
               Btn::YesNo) == Btn::Yes;
}

struct EndDataOperationOnExit {
    BooksSession &fb;
    ~EndDataOperationOnExit() { fb.endDataOperation(); }
};

KontoArten readKontoArten(Table &k) {
    KontoArten art;
    forEachRow(k, QStringLiteral("SELECT KtoNr, Art FROM %1").arg(quotedName(k)),
               [&](const SqlRow &r) { art[r.int64(0)] = kontoArtFromCode(r.int64(1)); });
    return art;
}

// The walk over the journal rows in voucher order. On the accrual basis no row has due tax
// of its own. On the cash basis the tax of an invoice falls due with its payments: the walk
// remembers the last invoice (voucher, rate, tax, gross still open) and gives each payment
// booked on that voucher its share, looking one row ahead for a cash discount that closes it.
class DueTaxWalk {
public:
    // A payment without its invoice, as the switch lists it.
    struct Unlinked {
        qint64 beleg;
        QString datum;
        Money brutto;
        double satz;
    };

    // `ownRate`: the rate a payment or refund without a remembered invoice takes, as when it
    // is entered by hand (the sale of its voucher, else the full rate).
    DueTaxWalk(Ui &ui, bool ist, KontoArten arten, QString skontoGew, qint64 total,
               std::function<double(qint64 beleg)> ownRate)
        : m_ui(ui), m_ist(ist), m_arten(std::move(arten)), m_skontoGew(std::move(skontoGew)),
          m_total(total), m_ownRate(std::move(ownRate)) {}

    const std::vector<Unlinked> &unlinked() const { return m_unlinked; }

    // Reads every row of `st` (the journal in voucher order) and returns the rows to rewrite.
    std::vector<Update> run(SqlStatement &st) {
        std::optional<JRow> next = read(st);
        while (next) {
            JRow r = *next;
            next = read(st);
            reportProgress();
            if (!m_ist)
                clearDueTax(r);
            else
                takeForCashBasis(r, next);
        }
        return std::move(m_updates);
    }

private:
    std::optional<KontoArt> typeOf(qint64 nr) const {
        auto it = m_arten.find(nr);
        return it == m_arten.end() ? std::nullopt : it->second;
    }

    std::optional<JRow> read(SqlStatement &st) const {
        if (!st.next())
            return std::nullopt;
        const SqlRow &c = st.row();
        JRow r;
        r.rowid = c.int64(0);
        r.beleg = c.int64(1);
        r.soll = c.int64(2);
        r.haben = c.int64(3);
        r.brutto = c.money(4);
        r.steuer = c.money(5);
        r.satz = c.real(6);
        r.stf = c.money(7);
        r.datum = c.text(8);
        r.sollArt = typeOf(r.soll);
        r.habenArt = typeOf(r.haben);
        return r;
    }

    void reportProgress() {
        if (++m_done % 4096 == 0) {
            m_ui.progress(int(m_done * 100 / m_total));
            m_ui.processEvents();
        }
    }

    // Accrual basis: no due tax, and no rate on a row without tax.
    void clearDueTax(const JRow &r) {
        const double satz = r.steuer.isZero() ? 0.0 : r.satz;
        if (!r.stf.isZero() || satz != r.satz)
            m_updates.push_back({r.rowid, Money(), satz});
    }

    void takeForCashBasis(const JRow &r, const std::optional<JRow> &next) {
        // An invoice puts a customer in debit against revenue (or another balance
        // account); a payment moves money from the customer onto a payment account.
        const bool invoice = r.sollArt == KontoArt::Debitor &&
                             (isErloeskonto(r.habenArt) || r.habenArt == KontoArt::Bestand);
        const bool payment = r.habenArt == KontoArt::Debitor && isZahlungskonto(r.sollArt);
        const bool refund = r.sollArt == KontoArt::Debitor && isZahlungskonto(r.habenArt);
        if (invoice) {
            takeInvoice(r);
        } else if (payment) {
            takePayment(r, next);
        } else {
            if (refund)
                takeOwnRate(r);
            if (m_invoiceBeleg < r.beleg)
                m_invoiceBeleg = 0;
        }
    }

    // A payment or refund without a remembered invoice owes the tax it contains at the rate
    // of a hand-entered one: a rate it already carries with its due tax, else the rate of the
    // sale of its voucher, else the full rate.
    double takeOwnRate(const JRow &r) {
        const double satz = r.stf > Money() && r.satz > 0 ? r.satz : m_ownRate(r.beleg);
        const Money stf = steuerInBrutto(r.brutto, Steuersatz::fromPercent(satz));
        if (stf != r.stf || satz != r.satz)
            m_updates.push_back({r.rowid, stf, satz});
        return satz;
    }

    // The invoice itself owes no tax yet on the cash basis.
    void takeInvoice(const JRow &r) {
        m_invoiceTax = r.steuer;
        m_invoiceRate = r.satz;
        m_invoiceBeleg = r.beleg;
        m_openGross = r.brutto;
        m_discountFollows = false;
        if (r.stf > Money())
            m_updates.push_back({r.rowid, Money(), r.satz});
    }

    // A payment on the remembered invoice owes the invoice's tax, which is lowered for good to
    // the tax in the payment once that is two cents or more less. It owes only the tax in the
    // payment when a cash discount follows and the two together do not settle what is open,
    // or when the payment exceeds what is open. A payment on another voucher is left as it is
    // and makes the walk forget the invoice.
    void takePayment(const JRow &r, const std::optional<JRow> &next) {
        if (r.beleg != m_invoiceBeleg) {
            m_invoiceBeleg = 0;
            const double satz = takeOwnRate(r);
            m_unlinked.push_back({r.beleg, r.datum, r.brutto, satz});
            return;
        }
        const Money p = steuerInBrutto(r.brutto, Steuersatz::fromPercent(m_invoiceRate));
        if (m_invoiceTax - p >= Money::fromCents(2))
            m_invoiceTax = p;
        Money stf = m_invoiceTax;
        if (next) {
            m_discountFollows = next->habenArt == KontoArt::Debitor &&
                                QString::number(next->soll) == m_skontoGew &&
                                next->beleg == m_invoiceBeleg;
            if (m_discountFollows)
                m_discountGross = next->brutto;
        }
        if (m_discountFollows &&
            !(m_openGross - r.brutto - m_discountGross).nearlyEquals(Money())) {
            stf = p;
        } else if (r.brutto - m_openGross >= Money::fromCents(1)) {
            warnOverpaid(r.beleg);
            stf = p;
        }
        m_openGross -= r.brutto;
        m_updates.push_back({r.rowid, stf, m_invoiceRate});
    }

    void warnOverpaid(qint64 beleg) {
        m_ui.warning(QStringLiteral("Der Beleg ") + QString::number(beleg) +
                     QStringLiteral(" wurde überzahlt.\r") +
                     QStringLiteral("Diese Buchung ist unzulässig und sollte storniert werden.\r") +
                     QStringLiteral("Die Umsatzsteuerschuld wird automatisch angepasst."));
    }

    Ui &m_ui;
    const bool m_ist;
    const KontoArten m_arten;
    const QString m_skontoGew;
    const qint64 m_total;
    const std::function<double(qint64)> m_ownRate;
    std::vector<Update> m_updates;
    std::vector<Unlinked> m_unlinked;
    qint64 m_done = 0;
    // The remembered invoice; voucher 0 when a payment has no invoice to refer to.
    qint64 m_invoiceBeleg = 0;
    double m_invoiceRate = 0;
    Money m_invoiceTax, m_openGross;
    // Whether the row after the last payment is a cash discount on the same voucher, and its
    // gross amount.
    bool m_discountFollows = false;
    Money m_discountGross;
};

// One transaction for every rewritten row.
void writeUpdates(Table &j, const std::vector<Update> &updates) {
    SqlTransaction tr(j);
    SqlStatement up(j, QStringLiteral("UPDATE %1 SET Stfaellig = ?, Steuersatz = ? WHERE rowid = ?")
                           .arg(quotedName(j)));
    for (const Update &u : updates)
        up.bind(1, u.stf).bind(2, u.satz).bind(3, u.rowid).exec();
    tr.commit();
}

// The payments the switch found no invoice for are named, so that the bookkeeper can check
// the rate they were given.
void reportUnlinked(Ui &ui, const std::vector<DueTaxWalk::Unlinked> &rows) {
    if (rows.empty())
        return;
    constexpr size_t kShown = 20;
    QString text = QStringLiteral("Zu diesen Zahlungen wurde keine Rechnung im Journal gefunden; "
                                  "die fällige Steuer ist wie bei einer von Hand erfassten "
                                  "Zahlung berechnet:");
    for (size_t i = 0; i < rows.size() && i < kShown; ++i) {
        const DueTaxWalk::Unlinked &u = rows[i];
        const QDate d = QDate::fromString(u.datum.left(10), Qt::ISODate);
        text += QStringLiteral("\rBeleg %1 vom %2: %3 zu %4 %")
                    .arg(QString::number(u.beleg),
                         d.isValid() ? d.toString(QStringLiteral("dd.MM.yyyy")) : u.datum,
                         u.brutto.toGerman(2, true), rateText(u.satz));
    }
    if (rows.size() > kShown)
        text += QStringLiteral("\r... und %1 weitere").arg(rows.size() - kShown);
    ui.warning(text);
}

} // namespace

bool switchVersteuerung(BooksSession &fb) {
    Ui &ui = fb.ui();
    const bool ist = fb.settings.istSteuer;
    if (!confirmSwitch(ui, ist))
        return false;
    fb.beginDataOperation();
    const EndDataOperationOnExit end{fb};

    KontoArten arten = readKontoArten(fb.konten);
    Table &j = fb.journal;
    const qint64 total = std::max(1, j.recordCount());
    DueTaxWalk walk(ui, ist, std::move(arten), fb.settings.skontoGew.trimmed(), total,
                    [&fb](qint64 beleg) {
                        return saleRateOfVoucher(fb, beleg).value_or(fb.settings.fullRate());
                    });
    try {
        SqlStatement st(j, QStringLiteral("SELECT rowid, Belegnummer, Soll, Haben, Brutto, Steuer, "
                                          "Steuersatz, Stfaellig, Belegdatum FROM %1 ORDER BY "
                                          "Belegnummer, "
                                          "Autonummer")
                               .arg(quotedName(j)));
        const std::vector<Update> updates = walk.run(st);
        st.reset();
        writeUpdates(j, updates);
    } catch (const std::exception &e) {
        ui.error(TableFile::translate(e, j.path()).message());
        throw SilentAbort();
    }
    j.refresh();
    reportUnlinked(ui, walk.unlinked());
    return true;
}

} // namespace ledra
