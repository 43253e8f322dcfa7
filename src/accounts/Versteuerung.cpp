// Switch of the VAT basis: the due tax of every journal row of the open year is rewritten for
// the basis the check box shows. The walk follows the voucher numbers, so that an invoice is
// seen before the payments booked on it. All changes are written in one transaction.

#include "Versteuerung.h"

#include "Jahreswechsel.h"

#include "books/BooksSession.h"
#include "books/KontoArt.h"
#include "books/Steuer.h"
#include "store/Sql.h"
#include "store/SqlTransaction.h"
#include "store/Table.h"
#include "store/TableFile.h"
#include "ui/Ui.h"

#include <optional>
#include <unordered_map>
namespace ledra {

namespace {
struct JRow {
    qint64 rowid = 0, beleg = 0, soll = 0, haben = 0;
    Money brutto, steuer, stf;
    double satz = 0;
    std::optional<KontoArt> sollArt, habenArt;
};
struct Update {
    qint64 rowid;
    Money stf;
    double satz;
};
} // namespace

void switchVersteuerung(BooksSession &fb) {
    Ui &ui = fb.ui();
    const bool ist = fb.settings.istSteuer;
    const QString m = ist ? QStringLiteral("Ist") : QStringLiteral("Soll");
    if (ui.confirm(
            QStringLiteral("Aktuelles Journal auf ") + m +
                QStringLiteral("versteuerung umstellen?\r") +
                QStringLiteral("Nur ausführen, wenn Sie eine aktuelle Datensicherung besitzen!"),
            Btn::YesNo) != Btn::Yes)
        return;
    fb.beginDataOperation();
    struct End {
        BooksSession &fb;
        ~End() { fb.endDataOperation(); }
    } end{fb};

    std::unordered_map<qint64, std::optional<KontoArt>> art;
    {
        Table &k = fb.konten;
        forEachRow(k, QStringLiteral("SELECT KtoNr, Art FROM %1").arg(quotedName(k)),
                   [&](const SqlRow &r) { art[r.int64(0)] = kontoArtFromCode(r.int64(1)); });
    }
    auto typeOf = [&](qint64 nr) -> std::optional<KontoArt> {
        auto it = art.find(nr);
        return it == art.end() ? std::nullopt : it->second;
    };
    Table &j = fb.journal;
    const qint64 total = std::max(1, j.recordCount());
    const QString skontoGew = fb.settings.skontoGew.trimmed();
    std::vector<Update> updates;
    try {
        SqlStatement st(j, QStringLiteral("SELECT rowid, Belegnummer, Soll, Haben, Brutto, Steuer, "
                                          "Steuersatz, Stfaellig FROM %1 ORDER BY Belegnummer, "
                                          "Autonummer")
                               .arg(quotedName(j)));
        auto read = [&]() -> std::optional<JRow> {
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
            r.sollArt = typeOf(r.soll);
            r.habenArt = typeOf(r.haben);
            return r;
        };
        qint64 V = 0, done = 0;
        double R = 0;
        Money T, G, K;
        bool D = false;
        std::optional<JRow> next = read();
        while (next) {
            JRow r = *next;
            next = read();
            if (++done % 4096 == 0) {
                ui.progress(int(done * 100 / total));
                ui.processEvents();
            }
            if (!ist) {
                const double satz = r.steuer.isZero() ? 0.0 : r.satz;
                if (!r.stf.isZero() || satz != r.satz)
                    updates.push_back({r.rowid, Money(), satz});
                continue;
            }
            // An invoice puts a customer in debit against revenue (or another balance
            // account); a payment moves money from the customer onto a payment account.
            const bool invoice = r.sollArt == KontoArt::Debitor &&
                                 (isErloeskonto(r.habenArt) || r.habenArt == KontoArt::Bestand);
            const bool payment = r.habenArt == KontoArt::Debitor && isZahlungskonto(r.sollArt);
            if (invoice) {
                T = r.steuer;
                R = r.satz;
                V = r.beleg;
                G = r.brutto;
                D = false;
                if (r.stf > Money())
                    updates.push_back({r.rowid, Money(), r.satz});
            } else if (payment && r.beleg != V) {
                V = 0;
            } else if (payment) {
                const Money p = steuerInBrutto(r.brutto, Steuersatz::fromPercent(R));
                if (T - p >= Money::fromCents(2))
                    T = p;
                Money stf = T;
                if (next) {
                    D = next->habenArt == KontoArt::Debitor &&
                        QString::number(next->soll) == skontoGew && next->beleg == V;
                    if (D)
                        K = next->brutto;
                }
                if (D && !(G - r.brutto - K).nearlyEquals(Money())) {
                    stf = p;
                } else if (r.brutto - G >= Money::fromCents(1)) {
                    ui.warning(
                        QStringLiteral("Der Beleg ") + QString::number(r.beleg) +
                        QStringLiteral(" wurde überzahlt.\r") +
                        QStringLiteral(
                            "Diese Buchung ist unzulässig und sollte storniert werden.\r") +
                        QStringLiteral("Die Umsatzsteuerschuld wird automatisch angepasst."));
                    stf = p;
                }
                G -= r.brutto;
                updates.push_back({r.rowid, stf, R});
            } else if (V < r.beleg) {
                V = 0;
            }
        }
        st.reset();
        SqlTransaction tr(j);
        SqlStatement up(
            j, QStringLiteral("UPDATE %1 SET Stfaellig = ?, Steuersatz = ? WHERE rowid = ?")
                   .arg(quotedName(j)));
        for (const Update &u : updates)
            up.bind(1, u.stf).bind(2, u.satz).bind(3, u.rowid).exec();
        tr.commit();
    } catch (const std::exception &e) {
        ui.error(TableFile::translate(e, j.path()).message());
        throw SilentAbort();
    }
    j.refresh();
}

} // namespace ledra
