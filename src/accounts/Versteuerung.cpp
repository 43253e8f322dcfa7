// Switch of the VAT basis: the due tax of every journal row of the open year is rewritten for
// the basis the check box shows. The walk follows the voucher numbers, so that an invoice is
// seen before the payments booked on it. All changes are written in one transaction.

#include "Versteuerung.h"

#include "Jahreswechsel.h"

#include "books/BooksSession.h"
#include "books/KontoArt.h"
#include "books/Steuer.h"
#include "store/Table.h"
#include "store/TableFile.h"
#include "ui/Ui.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <SQLiteCpp/Transaction.h>
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
        SQLite::Statement st(
            k.db(),
            QStringLiteral("SELECT KtoNr, Art FROM \"%1\"").arg(k.innerName()).toStdString());
        while (st.executeStep())
            art[st.getColumn(0).getInt64()] = kontoArtFromCode(st.getColumn(1).getInt());
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
        SQLite::Statement st(
            j.db(),
            QStringLiteral("SELECT rowid, Belegnummer, Soll, Haben, Brutto, Steuer, Steuersatz, "
                           "Stfaellig FROM \"%1\" ORDER BY Belegnummer, Autonummer")
                .arg(j.innerName())
                .toStdString());
        auto read = [&]() -> std::optional<JRow> {
            if (!st.executeStep())
                return std::nullopt;
            JRow r;
            r.rowid = st.getColumn(0).getInt64();
            r.beleg = st.getColumn(1).getInt64();
            r.soll = st.getColumn(2).getInt64();
            r.haben = st.getColumn(3).getInt64();
            r.brutto = Money::fromUnits(st.getColumn(4).getInt64());
            r.steuer = Money::fromUnits(st.getColumn(5).getInt64());
            r.satz = st.getColumn(6).getDouble();
            r.stf = Money::fromUnits(st.getColumn(7).getInt64());
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
        SQLite::Transaction tr(j.db());
        SQLite::Statement up(
            j.db(),
            QStringLiteral("UPDATE \"%1\" SET Stfaellig = ?, Steuersatz = ? WHERE rowid = ?")
                .arg(j.innerName())
                .toStdString());
        for (const Update &u : updates) {
            up.bind(1, static_cast<int64_t>(u.stf.units()));
            up.bind(2, u.satz);
            up.bind(3, static_cast<int64_t>(u.rowid));
            up.exec();
            up.reset();
        }
        tr.commit();
    } catch (const std::exception &e) {
        ui.error(TableFile::translate(e, j.path()).message());
        throw SilentAbort();
    }
    j.refresh();
}

} // namespace ledra
