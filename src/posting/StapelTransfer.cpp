// Transfer of the batch into the journal. Every row is copied unchanged (the due-tax rate
// replaces the rate when the row has due tax) and deleted from the batch. All rows of one
// run are moved in a single transaction across the journal and the batch file: after a crash
// at any instant each booking is in the batch or in the journal, exactly once. A refused
// row ends the run; the rows before it are committed and stay moved.

#include "BuchungRules.h"

#include "books/BooksSession.h"
#include "openitems/OffenePostenModule.h"
#include "store/Query.h"
#include "store/Table.h"
#include "store/TableFile.h"
#include "ui/Ui.h"

#include <QDir>
#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
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
                SQLite::Statement st(
                    b.db(), QStringLiteral(
                                "SELECT rowid, Autonummer, Belegnummer, Belegdatum, Brutto, Euro "
                                "FROM \"%1\" ORDER BY Autonummer")
                                .arg(b.innerName())
                                .toStdString());
                while (st.executeStep())
                    rows.push_back({st.getColumn(0).getInt64(), st.getColumn(1).getInt64(),
                                    st.getColumn(2).getInt64(),
                                    QDate::fromString(QString::fromUtf8(st.getColumn(3).getText()),
                                                      Qt::ISODate),
                                    Money::fromUnits(st.getColumn(4).getInt64()),
                                    st.getColumn(5).isNull() || st.getColumn(5).getInt() != 0});
            }
            qint64 v = m_fb.settings.belegnr.toLongLong();
            qint64 h = 0;
            QString failure;
            bool dateFailure = false;

            try {
                UnitOfWork uw(j.path());
                uw.attach(QStringLiteral("b"), b.path());
                uw.begin();
                SQLite::Database &db = uw.db();
                const QString cols = QStringLiteral(
                    "Autonummer, Belegdatum, Buchungstext, Soll, Haben, Netto, Brutto, Steuer, "
                    "Steuersatz, Belegnummer, IDNr, Euro, Stfaellig");
                SQLite::Statement ins(
                    db, QStringLiteral(
                            "INSERT INTO main.\"%1\" (%2) SELECT Autonummer, Belegdatum, "
                            "Buchungstext, Soll, Haben, Netto, Brutto, Steuer, CASE WHEN "
                            "Stfaellig > 0 THEN Satzfaellig ELSE Steuersatz END, Belegnummer, "
                            "IDNr, Euro, Stfaellig FROM b.\"%3\" WHERE rowid = ?")
                            .arg(j.innerName(), cols, b.innerName())
                            .toStdString());
                SQLite::Statement has(
                    db, QStringLiteral("SELECT 1 FROM main.\"%1\" WHERE Autonummer = ?")
                            .arg(j.innerName())
                            .toStdString());
                SQLite::Statement del(db, QStringLiteral("DELETE FROM b.\"%1\" WHERE rowid = ?")
                                              .arg(b.innerName())
                                              .toStdString());
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
                        ins.bind(1, static_cast<int64_t>(r.rowid));
                        ins.exec();
                        ins.reset();
                    } catch (const std::exception &) {
                        ins.tryReset();
                        failure = QStringLiteral("Buchung ") + QString::number(r.belegnummer) +
                                  QLatin1Char(' ') + r.brutto.toGerman(2, false) +
                                  QStringLiteral(" lässt sich nicht eintragen!");
                        break;
                    }
                    has.bind(1, static_cast<int64_t>(r.autonummer));
                    const bool there = has.executeStep();
                    has.reset();
                    if (there) {
                        h = std::max(h, r.autonummer);
                        del.bind(1, static_cast<int64_t>(r.rowid));
                        del.exec();
                        del.reset();
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
