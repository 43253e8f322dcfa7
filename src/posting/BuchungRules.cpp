#include "BuchungRules.h"

#include "BuchungInput.h"
#include "StornoRules.h"
#include "books/Balances.h"
#include "books/BooksSession.h"
#include "books/KontoArt.h"
#include "books/Steuer.h"
#include "openitems/OffenePostenModule.h"
#include "store/Dates.h"
#include "store/Sql.h"
#include "store/Table.h"
#include "ui/Ui.h"

#include <cmath>
namespace ledra {

namespace {
const QString kSoll = QStringLiteral("Soll");
const QString kHaben = QStringLiteral("Haben");

int sideIndex(const QString &side) {
    return side == QLatin1String("Haben") ? 1 : 0;
}

} // namespace

BuchungRules::BuchungRules(BooksSession &fb) : m_fb(fb) {
    Table &b = m_fb.stapel;
    b.beforeInsert = [this](Table &t) { beforeStapelInsert(t); };
    b.onNewRecord = [this](Table &t) { onStapelNewRecord(t); };
    b.afterInsert = [this](Table &t) { afterStapelInsert(t); };
    b.beforePost = [this](Table &t) { beforeStapelPost(t); };
    b.afterPost = [this](Table &t) { afterStapelPost(t); };
    b.beforeEdit = [this](Table &t) { beforeStapelEdit(t); };
    b.beforeDelete = [this](Table &t) { beforeStapelDelete(t); };
    b.afterCancel = [this](Table &t) { afterStapelCancel(t); };
    // The balances change in the transaction that writes the row: the chart's file is
    // attached to the batch's connection for it.
    // A row's role in the open-items plug-in's settlement batch is written in that same
    // transaction, so that the settlement batch notes exactly the rows the batch holds.
    b.jointFiles = [this] {
        std::vector<std::pair<QString, QString>> files{{QStringLiteral("k"), m_fb.konten.path()}};
        OffenePostenModule *op = m_fb.openItems();
        const bool deleting = !m_fb.stapel.isEditing();
        if (op && (deleting || m_stapelRole))
            if (const QString stapel = op->files().stapel; !stapel.isEmpty())
                files.emplace_back(OffenePostenModule::stapelAlias(), stapel);
        return files;
    };
    b.writeWithPost = [this](Table &t) {
        writeRowBalances(t);
        writeStapelRole(t);
    };
    b.writeWithDelete = [this](Table &t) {
        writeRowBalances(t);
        if (OffenePostenModule *op = m_fb.openItems(); op && !op->files().stapel.isEmpty())
            op->removeStapel(SqlConnection(t), int(t.asInt(QStringLiteral("Autonummer"))));
    };
    b.afterDelete = [this](Table &) {
        m_balanceRemove.reset();
        if (!m_fb.konten.isEditing())
            m_fb.konten.refresh();
    };
    b.addObserver([this](Table::Change c) {
        if (c == Table::Change::State || c == Table::Change::Reset) {
            // Typed account text belongs to the row it was typed for: once that row is
            // stored, cancelled or left, the text must not reach the row that is current now.
            if (!m_fb.stapel.isEditing())
                dropSearches();
            onStapelStateChange();
        }
        // Another row became current: its open-items role in the status line.
        if (c == Table::Change::Current && m_fb.openItems())
            m_fb.notify(BooksEvent::OpenItemNoted);
    });
}

// ---------------------------------------------------------------- focus and search

// An empty look-up (no account entered on that side yet) reads as a cost account: the
// entry's rules have always taken the look-up's empty value as type 0, and storing such a row
// reports the missing account anyway.
KontoArt BuchungRules::entryArt(const Table &t, const QString &field) {
    return kontoArtFromCode(t.asInt(field)).value_or(KontoArt::Kosten);
}

void BuchungRules::setFocus(const QString &control) {
    m_focused = control;
    m_fb.ui().focus(control);
}

bool BuchungRules::moveFocus(const QString &control) {
    const QString from = m_focused;
    if (from == control)
        return true;
    try {
        if (from == QLatin1String("BDatum"))
            leaveBelegdatum();
        else if (from == QLatin1String("BelNr"))
            leaveBelegnummer();
        else if (from == kSoll)
            leaveSoll();
        else if (from == kHaben)
            leaveHaben();
        else if (from == QLatin1String("Betrag")) {
            m_focused = control; // storing reads the focus: it has left the amount field
            leaveBetrag();
        }
    } catch (const SilentAbort &) {
        if (m_focused == control)
            m_focused = from;
        return false;
    } catch (...) {
        // An engine error from a store: the focus stays in the field being left.
        if (m_focused == control)
            m_focused = from;
        throw;
    }
    if (m_focused != from && m_focused != control)
        return false; // a handler moved the focus itself
    m_focused = control;
    m_fb.ui().focus(control);
    if (control == QLatin1String("Betrag"))
        enterBetrag();
    return true;
}

bool BuchungRules::accountKey(const QString &side, QChar key) {
    if (!isAccountSearchKey(key))
        return false;
    QString &t = m_typed[sideIndex(side)];
    if (t.isEmpty() && key == QLatin1Char(' '))
        return false;
    if (t.isEmpty() && m_fb.stapel.isBrowse())
        m_fb.stapel.edit();
    t += key;
    return true;
}

void BuchungRules::accountBackspace(const QString &side) {
    QString &t = m_typed[sideIndex(side)];
    if (!t.isEmpty())
        t.chop(1);
}

void BuchungRules::accountEscape(const QString &side) {
    endSearch(side);
}

QString BuchungRules::searchText(const QString &side) const {
    return m_typed[sideIndex(side)];
}

void BuchungRules::clearSearch(const QString &side) {
    m_typed[sideIndex(side)].clear();
}

void BuchungRules::dropSearches() {
    for (QString &typed : m_typed)
        typed.clear();
}

void BuchungRules::returnFocus(const QString &side) {
    if (side == kSoll) {
        setFocus(kSoll);
    } else {
        timerRunning = true;
        m_focused = kHaben;
        if (startTimer)
            startTimer();
    }
}

void BuchungRules::refocusHaben() {
    timerRunning = false;
    setFocus(kHaben);
}

void BuchungRules::endSearch(const QString &side) {
    Table &b = m_fb.stapel;
    QString &typed = m_typed[sideIndex(side)];
    if (!typed.isEmpty()) {
        const QString text = typed;
        typed.clear();
        qint64 found = 0;
        Table &k = m_fb.konten;
        bool numberOk = false;
        const qint64 nr = text.toLongLong(&numberOk);
        if (text.at(0).isDigit() && numberOk &&
            hasRow(k, QStringLiteral("SELECT 1 FROM %1 WHERE KtoNr = ?").arg(quotedName(k)), {nr}))
            found = nr;
        if (!found) {
            // Case is ignored for umlauts too, so the names are compared here, in name order.
            forEachRow(
                k,
                QStringLiteral("SELECT KtoNr, Name FROM %1 ORDER BY Name COLLATE NOCASE, KtoNr")
                    .arg(quotedName(k)),
                [&](const SqlRow &r) {
                    if (!r.text(1).startsWith(text, Qt::CaseInsensitive))
                        return true;
                    found = r.int64(0);
                    return false;
                });
        }
        if (!found) {
            returnFocus(side);
            m_fb.ui().error(text + QStringLiteral(" nicht gefunden"));
            throw SilentAbort();
        }
        if (!b.isEditing())
            b.edit();
        b.setValue(side, found);
    }
    if (b.isEditing() && !b.isNull(side) &&
        !hasRow(m_fb.konten,
                QStringLiteral("SELECT 1 FROM %1 WHERE KtoNr = ?").arg(quotedName(m_fb.konten)),
                {b.asInt(side)})) {
        returnFocus(side);
        m_fb.ui().error(side + QStringLiteral(" braucht einen Eintrag"));
        throw SilentAbort();
    }
}

// ---------------------------------------------------------------- panel handlers

void BuchungRules::newRow() {
    Table &b = m_fb.stapel;
    if (!b.isBrowse())
        return;
    openAmount = Money();
    b.append();
}

void BuchungRules::cancelRow() {
    m_fb.stapel.cancel();
}

void BuchungRules::leaveBelegdatum() {
    Table &b = m_fb.stapel;
    if (!b.isEditing())
        return;
    QDate d = b.asDate(QStringLiteral("Belegdatum"));
    const QDate today = QDate::currentDate();
    if (d.isValid() && d.year() > today.year()) {
        QDate moved(today.year(), d.month(), d.day());
        if (!moved.isValid())
            moved = QDate(today.year(), d.month(), 28); // 29 February
        b.setValue(QStringLiteral("Belegdatum"), moved);
        d = moved;
    }
    const QDate von = m_fb.settings.periodStart(), bis = m_fb.settings.periodEnd();
    if (!d.isValid() || (von.isValid() && d < von) || (bis.isValid() && d > bis)) {
        if (m_fb.page == BooksSession::Page::Buchen)
            setFocus(QStringLiteral("BDatum"));
        m_fb.ui().error(QStringLiteral("Datum außerhalb des Buchungsbereiches!"));
        throw SilentAbort();
    }
}

void BuchungRules::stepBelegdatum(int daysDelta) {
    Table &b = m_fb.stapel;
    try {
        const QDate d = b.asDate(QStringLiteral("Belegdatum"));
        if (!d.isValid())
            return;
        if (!b.isEditing())
            b.edit();
        b.setValue(QStringLiteral("Belegdatum"), d.addDays(daysDelta));
    } catch (...) {
        // Arrow keys on the date never raise.
    }
}

bool BuchungRules::journalHasVoucher(qint64 belegnummer) const {
    return hasRow(m_fb.journal,
                  QStringLiteral("SELECT 1 FROM %1 WHERE Belegnummer = ? LIMIT 1")
                      .arg(quotedName(m_fb.journal)),
                  {belegnummer});
}

void BuchungRules::leaveBelegnummer() {
    Table &b = m_fb.stapel;
    if (opTakeover || !b.isEditing() || b.isNull(QStringLiteral("Belegnummer")))
        return;
    if (journalHasVoucher(b.asInt(QStringLiteral("Belegnummer"))) &&
        m_fb.ui().confirm(QStringLiteral("Belegnummer schon vorhanden.\rTrotzdem buchen ?"),
                          Btn::YesNo) != Btn::Yes) {
        setFocus(QStringLiteral("BelNr"));
        throw SilentAbort();
    }
}

void BuchungRules::leaveSoll() {
    endSearch(kSoll);
    mwstEnabled = true;
    Table &b = m_fb.stapel;
    if (b.isEditing())
        b.setValue(QStringLiteral("Steuersatz"), b.value(QStringLiteral("XSollMwst")));
}

void BuchungRules::deriveCreditRate() {
    Table &b = m_fb.stapel;
    if (!b.isEditing())
        return;
    const KontoArt s = entryArt(b, QStringLiteral("XSollArt"));
    const KontoArt h = entryArt(b, QStringLiteral("XHabenArt"));
    // Two profit-and-loss accounts or two balance accounts: no taxable turnover. Otherwise
    // the profit-and-loss side gives the rate; the debit side's rate was set when it was left.
    if (isErfolgskonto(s) == isErfolgskonto(h))
        b.setValue(QStringLiteral("Steuersatz"), 0.0);
    else if (isErfolgskonto(h))
        b.setValue(QStringLiteral("Steuersatz"), b.value(QStringLiteral("XHabenMwst")));
}

void BuchungRules::leaveHaben() {
    if (timerRunning)
        return;
    endSearch(kHaben);
    deriveCreditRate();
}

void BuchungRules::enterBetrag() {
    try {
        leaveSoll();
        leaveHaben();
    } catch (const SilentAbort &) {
        // The message is shown and the focus returned to the account.
    }
}

void BuchungRules::setAmount(Money m) {
    Table &b = m_fb.stapel;
    if (!b.isEditing())
        b.edit();
    b.setMoney(grossMode ? QStringLiteral("Brutto") : QStringLiteral("Netto"), m);
}

void BuchungRules::clearAmount() {
    Table &b = m_fb.stapel;
    if (!b.isEditing())
        b.edit();
    b.clearValue(grossMode ? QStringLiteral("Brutto") : QStringLiteral("Netto"));
}

void BuchungRules::leaveBetrag() {
    Table &b = m_fb.stapel;
    try {
        if (b.isEditing() && opTakeover && openAmount > Money() &&
            b.asMoney(QStringLiteral("Brutto")) > openAmount) {
            setFocus(QStringLiteral("Betrag"));
            m_fb.ui().error(QStringLiteral("Überzahlung! Dieser Betrag übersteigt ") +
                            amountText(openAmount.units(), openAmountEuro, false));
            throw SilentAbort();
        }
        if (b.state() == DsState::Insert)
            b.post();
    } catch (const SilentAbort &) {
        throw;
    } catch (const EngineError &e) {
        m_fb.ui().error(e.message());
        throw SilentAbort();
    }
}

// ---------------------------------------------------------------- batch table events

void BuchungRules::beforeStapelInsert(Table &t) {
    m_fb.checkNoDataOperation();
    if (closeReversalDialog)
        closeReversalDialog();
    if (!t.isEmpty()) {
        t.last();
        m_prevDate = t.asDate(QStringLiteral("Belegdatum"));
        m_prevSoll = t.value(kSoll);
        m_prevHaben = t.value(kHaben);
        m_prevText = t.value(QStringLiteral("Buchungstext"));
        m_lastBelegnr = t.asInt(QStringLiteral("Belegnummer"));
    }
    const qint64 setting = m_fb.settings.belegnr.toLongLong();
    const qint64 highest =
        scalar(t, QStringLiteral("SELECT MAX(Belegnummer) FROM %1 WHERE Belegnummer < 10000")
                      .arg(quotedName(t)));
    const bool any = scalar(t, QStringLiteral("SELECT COUNT(*) FROM %1 WHERE Belegnummer < 10000")
                                   .arg(quotedName(t))) > 0;
    m_nextBelegnr = any ? std::max(highest + 1, setting) : setting;
    setFocus(QStringLiteral("BDatum"));
    m_fb.ui().status(3, QString());
}

void BuchungRules::onStapelNewRecord(Table &t) {
    t.setValue(QStringLiteral("Euro"), m_fb.settings.currency != QLatin1String("DM"));
    if (t.isEmpty()) {
        qint64 p = m_fb.openItems() ? m_fb.openItems()->lastNumber() + 1 : 0;
        const qint64 c = m_fb.autoNumber(0);
        qint64 bnr = std::max(p, c);
        if (c > 2000000000)
            bnr = 1;
        qint64 nr =
            scalar(m_fb.journal,
                   QStringLiteral("SELECT MAX(Autonummer) FROM %1").arg(quotedName(m_fb.journal))) +
            1;
        nr = std::max({nr, bnr, qint64(m_fb.oldYearFloor)});
        t.setValue(QStringLiteral("Autonummer"), nr);
    } else {
        t.setValue(QStringLiteral("Autonummer"),
                   scalar(t, QStringLiteral("SELECT MAX(Autonummer) FROM %1").arg(quotedName(t))) +
                       1);
    }
}

qint64 BuchungRules::splittingAccount() const {
    return splittingAccountNumber(m_fb);
}

Money BuchungRules::splittingBalance() const {
    const qint64 nr = splittingAccount();
    if (!nr)
        return Money();
    return Money::fromUnits(scalar(
        m_fb.konten,
        QStringLiteral("SELECT Saldo FROM %1 WHERE KtoNr = ?").arg(quotedName(m_fb.konten)), {nr}));
}

void BuchungRules::afterStapelInsert(Table &t) {
    QString focusTo = QStringLiteral("BDatum");
    if (t.isEmpty()) {
        t.setValue(QStringLiteral("Belegdatum"), QDate::currentDate());
        t.setValue(QStringLiteral("Belegnummer"), m_fb.settings.belegnr);
    } else {
        t.setValue(QStringLiteral("Belegdatum"), m_prevDate);
        t.setValue(kSoll, m_prevSoll);
        t.setValue(kHaben, m_prevHaben);
        t.setValue(QStringLiteral("Buchungstext"), m_prevText);
        t.setValue(QStringLiteral("Belegnummer"), m_nextBelegnr);
        const Money s = splittingBalance();
        if (!s.nearlyEquals(Money())) {
            t.setValue(QStringLiteral("Belegnummer"), m_lastBelegnr);
            const bool keep = openAmount >= Money::fromCents(1);
            if (s > Money()) {
                if (!keep)
                    t.clearValue(kSoll);
                t.setValue(kHaben, splittingAccount());
                focusTo = kSoll;
            } else {
                t.setValue(kSoll, splittingAccount());
                if (!keep)
                    t.clearValue(kHaben);
                focusTo = kHaben;
            }
        }
    }
    if (m_fb.openItems() && openAmount >= Money::fromCents(1)) {
        // What a taken-over payment left open becomes the discount booking.
        fillDiscountRow(t);
        return;
    }
    if (!t.isNull(kHaben)) {
        try {
            deriveCreditRate();
        } catch (const SilentAbort &) {
        }
    }
    setFocus(focusTo);
}

void BuchungRules::warnNegativeCash(const Table &t) {
    // Only the side the booking takes money from: a receipt into a cash box that was already
    // short makes nothing worse.
    const bool positive =
        !t.isNull(QStringLiteral("Brutto")) && t.asMoney(QStringLiteral("Brutto")) > Money();
    const QString side = positive ? kHaben : kSoll;
    if (t.isNull(side))
        return;
    const qint64 konto = t.asInt(side);
    Table &k = m_fb.konten;
    forEachRow(
        k,
        QStringLiteral("SELECT Name, Saldo FROM %1 WHERE KtoNr = ? AND Art = ?").arg(quotedName(k)),
        {konto, kontoArtCode(KontoArt::Kasse)}, [&](const SqlRow &r) {
            const Money saldo = Money::fromUnits(r.int64(1));
            if (saldo < Money() && !saldo.nearlyEquals(Money()))
                m_fb.ui().warning(
                    QStringLiteral("Der Kassenbestand ist negativ: Konto %1 %2 steht "
                                   "jetzt auf %3 %4.\rBitte die Kassenbuchungen "
                                   "prüfen - ein negativer Kassenbestand ist bei einer "
                                   "Betriebsprüfung ein Mangel.")
                        .arg(QString::number(konto), r.text(0), saldo.toGerman(),
                             m_fb.settings.currency));
            return false;
        });
}

std::optional<BookingAmounts> BuchungRules::balancesOf(Table &t) {
    const BookingAmounts row = BookingAmounts::fromTable(t);
    if (!checkBalanceAccounts(m_fb.konten, m_fb.settings, &m_fb.ui(), row))
        return std::nullopt;
    return row;
}

void BuchungRules::writeRowBalances(Table &t) {
    const QString konten = QStringLiteral("\"k\".") + quotedName(m_fb.konten);
    if (m_balanceRemove && t.state() != DsState::Insert)
        writeBalances(t, konten, m_fb.settings, *m_balanceRemove, BalanceDirection::Remove);
    if (m_balanceAdd && t.isEditing())
        writeBalances(t, konten, m_fb.settings, *m_balanceAdd, BalanceDirection::Add);
}

// The stored amounts leave the balances only when the changed row is written; a cancelled
// change leaves both alone.
void BuchungRules::beforeStapelEdit(Table &t) {
    m_fb.checkNoDataOperation();
    try {
        m_balanceRemove = balancesOf(t);
    } catch (const SilentAbort &) {
        m_fb.ui().warning(
            QStringLiteral("Fehler bei der Saldofortschreibung - Salden neu berechnen"));
        throw;
    }
}

// The transfer removes moved rows in its own transaction, not through this handler, so a
// deletion that arrives here is always a person's and takes the row out of the balances.
void BuchungRules::beforeStapelDelete(Table &t) {
    if (t.isEditing())
        t.cancel();
    m_fb.checkNoDataOperation();
    const QDate d = t.asDate(QStringLiteral("Belegdatum"));
    const QDate von = m_fb.settings.periodStart(), bis = m_fb.settings.periodEnd();
    if (d.isValid() && ((von.isValid() && d < von) || (bis.isValid() && d > bis))) {
        if (m_fb.page == BooksSession::Page::Buchen)
            setFocus(QStringLiteral("BDatum"));
        m_fb.ui().error(QStringLiteral("Löschen der Buchung nur im passenden Buchungsjahr!"));
        throw SilentAbort();
    }
    m_balanceRemove.reset();
    try {
        m_balanceRemove = balancesOf(t);
    } catch (const SilentAbort &) {
        m_fb.ui().warning(
            QStringLiteral("Fehler bei der Saldenfortschreibung!\rBitte Salden neu berechnen!"));
    }
}

void BuchungRules::afterStapelCancel(Table &) {
    // Nothing reached the balances before the row was written, so there is nothing to undo.
    m_balanceRemove.reset();
    m_balanceAdd.reset();
    m_stapelRole.reset();
    m_discountPending = false;
    openAmount = Money();
    opTakeover = false;
}

void BuchungRules::deleteRow() {
    Table &b = m_fb.stapel;
    if (b.state() == DsState::Insert) {
        b.cancel();
        return;
    }
    if (b.isEmpty())
        return;
    b.remove();
}

void BuchungRules::onStapelStateChange() {
    m_fb.notify(BooksEvent::BatchStateChanged);
}

QString BuchungRules::amountText(const QVariant &units, bool euro, bool forEditing) {
    if (units.isNull())
        return QString();
    const Money m = Money::fromUnits(units.toLongLong());
    if (forEditing)
        return m.toGerman(2, false);
    return m.toGerman() + (euro ? QStringLiteral(" €") : QStringLiteral(" DM"));
}

} // namespace ledra
