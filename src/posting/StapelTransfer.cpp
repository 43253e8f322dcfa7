// Transfer of the batch into the journal. Every row is copied unchanged (the due-tax rate
// replaces the rate when the row has due tax) and deleted from the batch. All rows of one
// run are moved in a single transaction across the journal and the batch file: after a crash
// at any instant each booking is in the batch or in the journal, exactly once. A refused
// row ends the run; the rows before it are committed and stay moved.

#include "BuchungRules.h"

#include "books/BooksSession.h"
#include "openitems/OffenePostenModule.h"
#include "store/Query.h"
#include "store/Sql.h"
#include "store/Table.h"
#include "store/TableFile.h"
#include "ui/Ui.h"

#include <QDir>
namespace ledra {

namespace {
struct BatchRow {
    qint64 rowid, autonummer, belegnummer;
    QDate date;
    Money brutto;
    bool euro;
};
} // namespace

void BuchungRules::transferStapel() {
    Ui &ui = m_fb.ui();
    Table &b = m_fb.stapel;
    Table &j = m_fb.journal;
    if (closeReversalDialog)
        closeReversalDialog();
    m_fb.checkNoDataOperation();
    if (j.isActive()) {
        if (!b.isBrowse()) {
            ui.alert(QStringLiteral("Bitte noch die Buchung speichern!\r(Das Häkchen klicken)"));
            throw SilentAbort();
        }
        if (!b.isEmpty() && ui.confirm(QStringLiteral("Buchungen ins Journal übernehmen?"),
                                       Btn::YesNo) == Btn::Yes) {
            if (!splittingBalance().nearlyEquals(Money())) {
                ui.error(QStringLiteral("Das Splittingkonto muss auf Null stehen!"));
                throw SilentAbort();
            }
            std::vector<BatchRow> rows;
            {
                forEachRow(b,
                           QStringLiteral("SELECT rowid, Autonummer, Belegnummer, Belegdatum, "
                                          "Brutto, Euro FROM %1 ORDER BY Autonummer")
                               .arg(quotedName(b)),
                           [&](const SqlRow &r) {
                               rows.push_back({r.int64(0), r.int64(1), r.int64(2), r.date(3),
                                               r.money(4), r.isNull(5) || r.int64(5) != 0});
                           });
            }
            qint64 v = m_fb.settings.belegnr.toLongLong();
            qint64 h = 0;
            QString failure;
            bool dateFailure = false;

            try {
                UnitOfWork uw(j.path());
                uw.attach(QStringLiteral("b"), b.path());
                uw.begin();
                const QString cols = QStringLiteral(
                    "Autonummer, Belegdatum, Buchungstext, Soll, Haben, Netto, Brutto, Steuer, "
                    "Steuersatz, Belegnummer, IDNr, Euro, Stfaellig");
                SqlStatement ins(
                    uw.connection(),
                    QStringLiteral(
                        "INSERT INTO main.%1 (%2) SELECT Autonummer, Belegdatum, "
                        "Buchungstext, Soll, Haben, Netto, Brutto, Steuer, CASE WHEN "
                        "Stfaellig > 0 THEN Satzfaellig ELSE Steuersatz END, Belegnummer, "
                        "IDNr, Euro, Stfaellig FROM b.%3 WHERE rowid = ?")
                        .arg(quotedName(j), cols, quotedName(b)));
                SqlStatement has(uw.connection(),
                                 QStringLiteral("SELECT 1 FROM main.%1 WHERE Autonummer = ?")
                                     .arg(quotedName(j)));
                SqlStatement del(
                    uw.connection(),
                    QStringLiteral("DELETE FROM b.%1 WHERE rowid = ?").arg(quotedName(b)));
                const QDate von = m_fb.settings.periodStart(), bis = m_fb.settings.periodEnd();
                for (const BatchRow &r : rows) {
                    if (!r.date.isValid() || (von.isValid() && r.date < von) ||
                        (bis.isValid() && r.date > bis)) {
                        failure = QStringLiteral("Datum außerhalb des Buchungsbereiches!");
                        dateFailure = true;
                        break;
                    }
                    if (auto *op = m_fb.openItems())
                        op->book(int(r.autonummer), r.brutto.units(), r.euro,
                                   QString::number(r.belegnummer));
                    if (r.belegnummer >= v && r.belegnummer < 10000) {
                        v = r.belegnummer;
                        m_fb.settings.belegnr = QString::number(v + 1);
                    }
                    // A refused insert undoes only itself (statement atomicity); the rows
                    // before it stay in the transaction.
                    try {
                        ins.bind(1, r.rowid).exec();
                    } catch (const std::exception &) {
                        failure = QStringLiteral("Buchung ") + QString::number(r.belegnummer) +
                                  QLatin1Char(' ') + r.brutto.toGerman(2, false) +
                                  QStringLiteral(" lässt sich nicht eintragen!");
                        break;
                    }
                    const bool there = has.bind(1, r.autonummer).next();
                    has.reset();
                    if (there) {
                        h = std::max(h, r.autonummer);
                        del.bind(1, r.rowid).exec();
                    }
                }
                uw.commit();
            } catch (const std::exception &ex) {
                b.refresh();
                j.refresh();
                ui.error(TableFile::translate(ex, j.path()).message());
                throw SilentAbort();
            }
            b.refresh();
            j.refresh();
            m_fb.notify(BooksEvent::JournalChanged);
            if (!failure.isEmpty()) {
                if (dateFailure && m_fb.page == BooksSession::Page::Buchen)
                    setFocus(QStringLiteral("BDatum"));
                ui.error(failure);
                throw SilentAbort();
            }
            if (b.isEmpty()) {
                m_fb.autoNumber(int(h + 1));
                if (auto *op = m_fb.openItems())
                    op->finishBooking();
                m_fb.notify(BooksEvent::TransferDone);
            }
        }
        m_fb.notify(BooksEvent::JournalChanged);
    }
    m_fb.saveYearSettings(m_fb.currentDataFolder());
    m_fb.oldYearFloor = 0;
}

} // namespace ledra
