// Transfer of the batch into the journal. Every row is copied unchanged (the due-tax rate
// replaces the rate when the row has due tax) and deleted from the batch. All rows of one
// run are moved in a single transaction across the journal and the batch file, and the open
// items the rows open or settle change in it too: after a crash at any instant each booking
// is in the batch or in the journal, exactly once, and its open-item effect is applied
// exactly when it is in the journal. A refused row ends the run; the rows before it are
// committed and stay moved.

#include "BuchungRules.h"
#include "RechnungszahlungRules.h"

#include "books/BooksSession.h"
#include "openitems/OffenePostenModule.h"
#include "store/EngineError.h"
#include "store/Query.h"
#include "store/Sql.h"
#include "store/SqlTransaction.h"
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

// How a run ended: the highest booking number that reached the journal, and the message of
// the row that stopped it (empty when every row moved).
struct TransferOutcome {
    qint64 highestMoved = 0;
    QString failure;
    bool dateFailure = false;
    // What the open-items module could not apply, for its error list.
    QStringList openItemErrors;
};

std::vector<BatchRow> batchRowsInOrder(Table &b) {
    std::vector<BatchRow> rows;
    forEachRow(b,
               QStringLiteral("SELECT rowid, Autonummer, Belegnummer, Belegdatum, Brutto, Euro "
                              "FROM %1 ORDER BY Autonummer")
                   .arg(quotedName(b)),
               [&](const SqlRow &r) {
                   rows.push_back({r.int64(0), r.int64(1), r.int64(2), r.date(3), r.money(4),
                                   r.isNull(5) || r.int64(5) != 0});
               });
    return rows;
}

bool insideBookingPeriod(const QDate &date, const QDate &von, const QDate &bis) {
    return date.isValid() && !(von.isValid() && date < von) && !(bis.isValid() && date > bis);
}

// The statements of one run, prepared once on the unit's connection: the copy into the
// journal (the due-tax rate replaces the rate of a row with due tax), the check that the row
// arrived, and its deletion from the batch; each for one row and for the rows of a range of
// booking numbers.
struct TransferStatements {
    SqlStatement savepoint, release, insert, arrived, remove;
    SqlStatement rangeSavepoint, rangeRelease, rangeRollback, insertRange, arrivedRange,
        removeRange, batchSize, removeAll, unmoveRange;

    TransferStatements(UnitOfWork &uw, Table &j, Table &b)
        : savepoint(uw.connection(), QStringLiteral("SAVEPOINT transferRow")),
          release(uw.connection(), QStringLiteral("RELEASE transferRow")),
          insert(uw.connection(), insertSql(j, b, QStringLiteral("rowid = ?"))),
          arrived(uw.connection(),
                  QStringLiteral("SELECT 1 FROM main.%1 WHERE Autonummer = ?").arg(quotedName(j))),
          remove(uw.connection(),
                 QStringLiteral("DELETE FROM b.%1 WHERE rowid = ?").arg(quotedName(b))),
          rangeSavepoint(uw.connection(), QStringLiteral("SAVEPOINT transferRange")),
          rangeRelease(uw.connection(), QStringLiteral("RELEASE transferRange")),
          rangeRollback(uw.connection(), QStringLiteral("ROLLBACK TO transferRange")),
          insertRange(uw.connection(),
                      insertSql(j, b,
                                QStringLiteral("Autonummer BETWEEN ? AND ? ORDER BY "
                                               "Autonummer"))),
          // The rows of the range that stand in the journal now.
          arrivedRange(uw.connection(),
                       QStringLiteral("SELECT COUNT(*) FROM main.%1 WHERE Autonummer IN (SELECT "
                                      "Autonummer FROM b.%2 WHERE Autonummer BETWEEN ? AND ?)")
                           .arg(quotedName(j), quotedName(b))),
          removeRange(uw.connection(),
                      QStringLiteral("DELETE FROM b.%1 WHERE Autonummer BETWEEN ? AND ?")
                          .arg(quotedName(b))),
          batchSize(uw.connection(),
                    QStringLiteral("SELECT COUNT(*) FROM b.%1").arg(quotedName(b))),
          // Without a condition the engine drops the table's pages at once.
          removeAll(uw.connection(), QStringLiteral("DELETE FROM b.%1").arg(quotedName(b))),
          // Only the batch's own rows: the journal may hold other numbers in between.
          unmoveRange(uw.connection(),
                      QStringLiteral("DELETE FROM main.%1 WHERE Autonummer IN (SELECT "
                                     "Autonummer FROM b.%2 WHERE Autonummer BETWEEN ? AND ?)")
                          .arg(quotedName(j), quotedName(b))) {}

    static QString insertSql(Table &j, Table &b, const QString &where) {
        return QStringLiteral("INSERT INTO main.%1 (Autonummer, Belegdatum, Buchungstext, Soll, "
                              "Haben, Netto, Brutto, Steuer, Steuersatz, Belegnummer, IDNr, "
                              "Euro, Stfaellig) SELECT Autonummer, Belegdatum, Buchungstext, "
                              "Soll, Haben, Netto, Brutto, Steuer, CASE WHEN Stfaellig > 0 THEN "
                              "Satzfaellig ELSE Steuersatz END, Belegnummer, IDNr, Euro, "
                              "Stfaellig FROM b.%2 WHERE %3")
            .arg(quotedName(j), quotedName(b), where);
    }
};

// The voucher-number setting follows the highest voucher number moved below 10000.
void advanceVoucherSetting(YearSettings &settings, qint64 &highestVoucher, qint64 belegnummer) {
    if (belegnummer >= highestVoucher && belegnummer < 10000) {
        highestVoucher = belegnummer;
        settings.belegnr = QString::number(highestVoucher + 1);
    }
}

// Undoes everything the current row changed (its journal row, its open item, its invoice
// book entry): the booking stays in the batch as it was.
void undoRow(UnitOfWork &uw) {
    uw.exec(QStringLiteral("ROLLBACK TO transferRow"));
    uw.exec(QStringLiteral("RELEASE transferRow"));
}

// Enters a row's payment into the invoice book, after the row reached the journal and in the
// same transaction. A refused invoice-book write undoes the whole row: the booking stays in
// the batch and the invoice book unchanged; the engine's message is the row's failure. True
// when the row may be taken out of the batch.
bool enterIntoRechnungsbuch(UnitOfWork &uw, RechnungszahlungRules &rb, const BatchRow &r,
                            TransferOutcome &out) {
    try {
        rb.post(r.autonummer, uw.connection());
    } catch (const std::exception &ex) {
        undoRow(uw);
        out.failure = TableFile::translate(ex, uw.connection().path()).message();
        return false;
    }
    return true;
}

// The open-items module's files on the transfer's connection; null when it has none.
OffenePostenModule *attachOpenItems(BooksSession &books, UnitOfWork &uw) {
    OffenePostenModule *op = books.openItems();
    if (!op)
        return nullptr;
    const OffenePostenDateien files = op->files();
    if (files.stapel.isEmpty() || files.op.isEmpty())
        return nullptr;
    uw.attach(OffenePostenModule::stapelAlias(), files.stapel);
    uw.attach(OffenePostenModule::opAlias(), files.op);
    return op;
}

// What a transfer works with while it moves rows: the unit's statements, the modules that
// take part, the voucher number reached so far and the outcome.
struct TransferRun {
    UnitOfWork &uw;
    TransferStatements &st;
    OffenePostenModule *op;
    RechnungszahlungRules *rechnungsbuch;
    YearSettings &settings;
    qint64 highestVoucher;
    TransferOutcome out;
    int notMoved = 0;
};

// The lines a row's open-item step leaves for the error list.
QStringList bookOpenItem(TransferRun &run, const BatchRow &r) {
    if (!run.op)
        return {};
    return run.op->book(run.uw.connection(), int(r.autonummer), r.brutto.units(), r.euro,
                        QString::number(r.belegnummer));
}

// The rows one at a time, each with its own savepoint: a row refused by the journal or the
// invoice book, or dated outside the booking period, ends the run; a row that did not
// arrive stays in the batch and the run goes on.
void moveRowByRow(TransferRun &run, const std::vector<BatchRow> &rows, const QDate &von,
                  const QDate &bis) {
    TransferStatements &st = run.st;
    TransferOutcome &out = run.out;
    for (const BatchRow &r : rows) {
        if (!insideBookingPeriod(r.date, von, bis)) {
            out.failure = QStringLiteral("Datum außerhalb des Buchungsbereiches!");
            out.dateFailure = true;
            break;
        }
        // Everything a row changes is undone together when the row is refused; the rows
        // before it stay in the transaction.
        st.savepoint.exec();
        const QStringList errors = bookOpenItem(run, r);
        advanceVoucherSetting(run.settings, run.highestVoucher, r.belegnummer);
        try {
            st.insert.bind(1, r.rowid).exec();
        } catch (const std::exception &) {
            undoRow(run.uw);
            out.failure = QStringLiteral("Buchung ") + QString::number(r.belegnummer) +
                          QLatin1Char(' ') + r.brutto.toGerman(2, false) +
                          QStringLiteral(" lässt sich nicht eintragen!");
            break;
        }
        const bool there = st.arrived.bind(1, r.autonummer).next();
        st.arrived.reset();
        if (!there) {
            undoRow(run.uw);
            ++run.notMoved;
            continue;
        }
        if (run.rechnungsbuch && !enterIntoRechnungsbuch(run.uw, *run.rechnungsbuch, r, out))
            break;
        st.release.exec();
        out.highestMoved = std::max(out.highestMoved, r.autonummer);
        out.openItemErrors += errors;
        st.remove.bind(1, r.rowid).exec();
    }
}

// The first `count` rows (all dated inside the booking period) copied into the journal by
// one statement, then each row's open-item and invoice-book steps in order, and the moved
// rows deleted from the batch by one statement. The outcome is the one moveRowByRow()
// reaches: the journal's refusal of a row or a row that does not arrive is seen at the
// copy, which is then undone (false: nothing changed, the rows go one at a time); an
// invoice-book refusal undoes its row's steps and takes it and the rows after it out of the
// journal again. The open-item and invoice-book steps touch neither the journal nor the
// batch, so that copying every row first changes none of their results.
bool moveInOneGo(TransferRun &run, const std::vector<BatchRow> &rows, size_t count) {
    TransferStatements &st = run.st;
    TransferOutcome &out = run.out;
    const qint64 first = rows.front().autonummer, last = rows[count - 1].autonummer;
    st.rangeSavepoint.exec();
    auto giveUp = [&] {
        st.rangeRollback.exec();
        st.rangeRelease.exec();
        return false;
    };
    // The range holds exactly the rows read before unless the batch changed since: then the
    // rows go one at a time, as they were read.
    try {
        if (st.insertRange.bind(1, first).bind(2, last).exec() != int(count))
            return giveUp();
    } catch (const std::exception &) {
        return giveUp();
    }
    const bool allThere = st.arrivedRange.bind(1, first).bind(2, last).next() &&
                          st.arrivedRange.row().int64(0) == qint64(count);
    st.arrivedRange.reset();
    if (!allThere)
        return giveUp();
    size_t moved = count;
    for (size_t i = 0; i < count; ++i) {
        const BatchRow &r = rows[i];
        // Only a payment can be refused by the invoice book: its steps need a savepoint.
        const bool pays = run.rechnungsbuch && run.rechnungsbuch->isPayment(r.autonummer);
        if (pays)
            st.savepoint.exec();
        const QStringList errors = bookOpenItem(run, r);
        advanceVoucherSetting(run.settings, run.highestVoucher, r.belegnummer);
        if (pays) {
            if (!enterIntoRechnungsbuch(run.uw, *run.rechnungsbuch, r, out)) {
                st.unmoveRange.bind(1, r.autonummer).bind(2, last).exec();
                moved = i;
                break;
            }
            st.release.exec();
        }
        out.highestMoved = std::max(out.highestMoved, r.autonummer);
        out.openItemErrors += errors;
    }
    if (moved > 0) {
        // Every row of the batch moved: it is emptied as a whole.
        const bool whole = moved == rows.size() && st.batchSize.next() &&
                           st.batchSize.row().int64(0) == qint64(moved);
        st.batchSize.reset();
        const int removed =
            whole ? st.removeAll.exec()
                  : st.removeRange.bind(1, first).bind(2, rows[moved - 1].autonummer).exec();
        if (removed != int(moved))
            throw EngineError(DbErr::General,
                              QStringLiteral("Der Buchungsstapel hat sich während der Übernahme "
                                             "geändert."));
    }
    st.rangeRelease.exec();
    return true;
}

// Moves the rows into the journal in one transaction across both files (and the invoice
// book's files when payments are entered there). A row dated outside the booking period or
// refused by the journal or the invoice book ends the run; the rows before it stay moved.
TransferOutcome moveRows(BooksSession &books, const std::vector<BatchRow> &rows,
                         RechnungszahlungRules *rechnungsbuch) {
    Table &j = books.journal;
    Table &b = books.stapel;
    UnitOfWork uw(j.path());
    uw.attach(QStringLiteral("b"), b.path());
    if (rechnungsbuch)
        for (const auto &[alias, path] : rechnungsbuch->store().paymentFiles())
            uw.attach(alias, path);
    OffenePostenModule *op = attachOpenItems(books, uw);
    uw.begin();
    // The invoices' headers are read on their table's own connection, which the transfer
    // does not write: in one read for the whole run, their file is locked and checked once
    // instead of once for every payment.
    std::optional<SqlTransaction> headerReads;
    if (rechnungsbuch)
        headerReads.emplace(rechnungsbuch->store().TBeleg);
    TransferStatements st(uw, j, b);
    // The module reads its settlement batch once for the run, and forgets it whatever the
    // run's outcome.
    struct Booking {
        OffenePostenModule *op;
        ~Booking() {
            if (op)
                op->endBooking();
        }
    } booking{op};
    if (op)
        op->beginBooking(uw.connection());
    TransferRun run{uw, st, op, rechnungsbuch, books.settings, books.settings.belegnr.toLongLong(),
                    {}};
    const QDate von = books.settings.periodStart(), bis = books.settings.periodEnd();
    // The rows up to the first one dated outside the period go together when they can.
    size_t inPeriod = 0;
    while (inPeriod < rows.size() && insideBookingPeriod(rows[inPeriod].date, von, bis))
        ++inPeriod;
    if (inPeriod > 0 && moveInOneGo(run, rows, inPeriod)) {
        if (inPeriod < rows.size() && run.out.failure.isEmpty()) {
            run.out.failure = QStringLiteral("Datum außerhalb des Buchungsbereiches!");
            run.out.dateFailure = true;
        }
    } else {
        moveRowByRow(run, rows, von, bis);
    }
    if (headerReads)
        headerReads->commit();
    // Every row moved: the settlement batch has nothing left to note.
    if (op && run.out.failure.isEmpty() && run.notMoved == 0)
        op->finishBooking(uw.connection());
    uw.commit();
    return run.out;
}

} // namespace

void BuchungRules::transferStapel() {
    Ui &ui = m_fb.ui();
    Table &b = m_fb.stapel;
    if (closeReversalDialog)
        closeReversalDialog();
    m_fb.checkNoDataOperation();
    if (m_fb.journal.isActive()) {
        if (!b.isBrowse()) {
            ui.alert(QStringLiteral("Bitte noch die Buchung speichern!\r(Das Häkchen klicken)"));
            throw SilentAbort();
        }
        // A transfer tells of the changed journal itself: the journal is counted once.
        if (!b.isEmpty() &&
            ui.confirm(QStringLiteral("Buchungen ins Journal übernehmen?"), Btn::YesNo) == Btn::Yes)
            moveStapelIntoJournal();
        else
            m_fb.notify(BooksEvent::JournalChanged);
    }
    m_fb.saveYearSettings(m_fb.currentDataFolder());
    m_fb.oldYearFloor = 0;
}

void BuchungRules::moveStapelIntoJournal() {
    Ui &ui = m_fb.ui();
    Table &b = m_fb.stapel;
    Table &j = m_fb.journal;
    if (!splittingBalance().nearlyEquals(Money())) {
        ui.error(QStringLiteral("Das Splittingkonto muss auf Null stehen!"));
        throw SilentAbort();
    }
    // Payments of the invoicing program's invoices are checked before anything moves; the
    // question decides whether they are entered into its invoice book.
    std::optional<RechnungszahlungRules> rechnungsbuch;
    if (rechDaten) {
        rechnungsbuch.emplace(m_fb, *rechDaten);
        if (!rechnungsbuch->checkStapel())
            rechnungsbuch.reset();
        else {
            const int answer = ui.confirm(
                QStringLiteral("Sollen die Buchungen auch ins Rechnungsbuch eingetragen werden?"),
                Btn::YesNoCancel);
            if (answer == Btn::Cancel)
                throw SilentAbort();
            if (answer != Btn::Yes)
                rechnungsbuch.reset();
        }
    }
    const std::vector<BatchRow> rows = batchRowsInOrder(b);
    TransferOutcome out;
    try {
        out = moveRows(m_fb, rows, rechnungsbuch ? &*rechnungsbuch : nullptr);
    } catch (const std::exception &ex) {
        b.refresh();
        j.refresh();
        if (rechDaten)
            rechDaten->refresh();
        ui.error(TableFile::translate(ex, j.path()).message());
        throw SilentAbort();
    }
    b.refresh();
    j.refresh();
    if (rechDaten)
        rechDaten->refresh();
    if (auto *op = m_fb.openItems())
        op->bookingCommitted(out.openItemErrors, b.isEmpty());
    m_fb.notify(BooksEvent::JournalChanged);
    if (!out.failure.isEmpty()) {
        if (out.dateFailure && m_fb.page == BooksSession::Page::Buchen)
            setFocus(QStringLiteral("BDatum"));
        ui.error(out.failure);
        throw SilentAbort();
    }
    if (b.isEmpty()) {
        m_fb.autoNumber(int(out.highestMoved + 1));
        m_fb.notify(BooksEvent::TransferDone);
    }
}

} // namespace ledra
