// The booking entry's side of the open items: an invoice booking is marked as opening an open
// item, a payment row is taken over from an open item chosen in the manager window, a payment
// that leaves something open is followed by the discount booking, and each row's role is
// written into the plug-in's settlement batch in the same transaction as the row itself.

#include "BuchungRules.h"

#include "books/BooksSession.h"
#include "books/KontoArt.h"
#include "books/Steuer.h"
#include "openitems/OffenePostenModule.h"
#include "store/Sql.h"
#include "store/Table.h"
#include "ui/Ui.h"

namespace ledra {

namespace {

// An invoice to a customer (revenue or another balance account against the customer) or
// from a supplier (goods, bought-in work or another balance account against the supplier).
bool opensOpenItem(std::optional<KontoArt> soll, std::optional<KontoArt> haben) {
    return (soll == KontoArt::Debitor &&
            (haben == KontoArt::Erloese || haben == KontoArt::Bestand)) ||
           ((soll == KontoArt::Wareneingang || soll == KontoArt::Fremdleistung ||
             soll == KontoArt::Bestand) &&
            haben == KontoArt::Kreditor);
}

} // namespace

std::optional<bool> BuchungRules::stapelRoleOf(Table &t) const {
    if (!m_fb.openItems())
        return std::nullopt;
    if (opensOpenItem(kontoArtFromCode(t.asInt(QStringLiteral("XSollArt"))),
                      kontoArtFromCode(t.asInt(QStringLiteral("XHabenArt")))))
        return true;
    if (opTakeover || m_discountPending)
        return false;
    return std::nullopt;
}

void BuchungRules::writeStapelRole(Table &t) {
    if (OffenePostenModule *op = m_fb.openItems(); op && m_stapelRole && t.isEditing())
        op->addStapel(SqlConnection(t), int(t.asInt(QStringLiteral("Autonummer"))), *m_stapelRole);
}

void BuchungRules::afterStapelPost(Table &t) {
    m_balanceRemove.reset();
    m_balanceAdd.reset();
    const std::optional<bool> role = std::exchange(m_stapelRole, std::nullopt);
    if (!m_fb.konten.isEditing())
        m_fb.konten.refresh();
    warnNegativeCash(t);
    if (m_fb.openItems())
        m_fb.notify(BooksEvent::OpenItemNoted);
    if (m_fb.openItems() && role) {
        if (*role) {
            if (!m_postWasInsert)
                m_fb.ui().info(QStringLiteral("Buchung wurde als offener Posten markiert."));
        } else if (m_discountPending) {
            m_discountPending = false;
        } else if (opTakeover) {
            opTakeover = false;
            settleRest(t);
        }
    }
    opTakeover = false;
}

void BuchungRules::settleRest(Table &t) {
    const bool euro = t.isNull(QStringLiteral("Euro")) || t.asBool(QStringLiteral("Euro"));
    const Money brutto = t.asMoney(QStringLiteral("Brutto"));
    openAmount = inCurrency(openAmount, openAmountEuro, euro) - brutto;
    openAmountEuro = euro;
    if (openAmount < Money::fromCents(1))
        return;
    // Under cash-basis VAT only the tax contained in what was actually paid falls due.
    if (t.asMoney(QStringLiteral("Stfaellig")) > Money()) {
        t.edit();
        t.setMoney(QStringLiteral("Stfaellig"),
                   steuerInBrutto(brutto, Steuersatz::fromPercent(takenRate)));
        t.post();
    }
    t.append();
}

void BuchungRules::fillDiscountRow(Table &t) {
    Ui &ui = m_fb.ui();
    m_discountPending = true;
    // The discount account of the settings, when it is an account of the chart.
    auto account = [&](const QString &setting) -> QVariant {
        bool ok = false;
        const qint64 nr = setting.trimmed().toLongLong(&ok);
        if (ok &&
            hasRow(m_fb.konten,
                   QStringLiteral("SELECT 1 FROM %1 WHERE KtoNr = ?").arg(quotedName(m_fb.konten)),
                   {nr}))
            return nr;
        return {};
    };
    // A customer's item: debit the discount granted; a supplier's: credit the discount
    // received.
    const bool granted = settlesReceivable;
    const QVariant k = account(granted ? m_fb.settings.skontoGew : m_fb.settings.skontoErh);
    t.setValue(QStringLiteral("Buchungstext"),
               granted ? QStringLiteral("gewährtes Skonto") : QStringLiteral("erhaltenes Skonto"));
    if (k.isNull())
        ui.warning(granted ? QStringLiteral("Konto für gewährtes Skonto ist nicht bekannt!\rBitte "
                                            "tragen Sie es auf der Seite Einstellungen ein.")
                           : QStringLiteral("Konto für erhaltenes Skonto ist nicht bekannt!\rBitte "
                                            "tragen Sie es auf der Seite Einstellungen ein."));
    t.setValue(granted ? QStringLiteral("Soll") : QStringLiteral("Haben"),
               k.isNull() ? QVariant(qint64(0)) : k);
    t.setValue(QStringLiteral("Belegnummer"), m_lastBelegnr);
    t.setMoney(QStringLiteral("Brutto"), openAmount.round2());
    t.setValue(QStringLiteral("Euro"), openAmountEuro);
    t.setValue(QStringLiteral("Steuersatz"), takenRate);
    openAmount = Money();
    grossMode = true;
    setFocus(QStringLiteral("BuchText"));
    // Stored at once; a refused store (a missing discount account) leaves the row in entry
    // with the message shown, for the user to complete or cancel.
    try {
        t.post();
    } catch (const SilentAbort &) {
    } catch (const EngineError &e) {
        ui.error(e.message());
    }
    if (!t.isEditing())
        setFocus(QStringLiteral("BuchText"));
}

void BuchungRules::takeOverOpenItem(int result) {
    OffenePostenModule *op = m_fb.openItems();
    Table &b = m_fb.stapel;
    if (!op)
        return;
    if (result == 2) {
        // The manager window may have changed what the batch shows.
        b.refresh();
        return;
    }
    if (result != 1 || !b.isBrowse())
        return;
    const std::optional<OffenerPostenAusgleich> a = op->takeForSettlement();
    if (!a) {
        m_fb.ui().error(QStringLiteral("Bitte prüfen Sie den gewählten offenen Posten!\rEs "
                                       "konnte kein Debitoren- oder Creditorenkonto "
                                       "festgestellt werden"));
        throw SilentAbort();
    }
    if (op->settledInStapel(a->autonummer)) {
        m_fb.ui().error(QStringLiteral("OP schon im Buchungsstapel!"));
        throw SilentAbort();
    }
    b.append();
    opTakeover = true;
    if (!b.isEditing())
        return;
    clearSearch(QStringLiteral("Soll"));
    clearSearch(QStringLiteral("Haben"));
    b.setValue(QStringLiteral("Buchungstext"), a->buchungstext);
    b.setValue(QStringLiteral("Soll"), a->soll ? QVariant(*a->soll) : QVariant());
    b.setValue(QStringLiteral("Haben"), a->haben ? QVariant(*a->haben) : QVariant());
    b.setMoney(QStringLiteral("Netto"), a->netto);
    b.setMoney(QStringLiteral("Brutto"), a->brutto);
    b.setValue(QStringLiteral("Belegnummer"), a->belegnummer);
    b.clearValue(QStringLiteral("IDNr"));
    b.setValue(QStringLiteral("Euro"), a->euro);
    takenRate = a->steuersatz;
    b.setValue(QStringLiteral("Steuersatz"), 0.0);
    // The payment books no VAT of its own; under cash-basis VAT it makes the invoice's fall
    // due.
    if (m_fb.settings.istSteuer) {
        b.setValue(QStringLiteral("Satzfaellig"), takenRate);
        b.setMoney(QStringLiteral("Stfaellig"), a->steuer);
    } else {
        b.setValue(QStringLiteral("Satzfaellig"), 0.0);
        b.setMoney(QStringLiteral("Stfaellig"), Money());
    }
    b.setMoney(QStringLiteral("Steuer"), Money());
    openAmount = a->brutto;
    openAmountEuro = a->euro;
    settlesReceivable = !a->soll;
    setFocus(a->soll ? QStringLiteral("Haben") : QStringLiteral("Soll"));
}

void BuchungRules::openItemsCommand() {
    OffenePostenModule *op = m_fb.openItems();
    Table &b = m_fb.stapel;
    if (!op)
        return;
    if (b.isBrowse()) {
        takeOverOpenItem(op->showWindow());
        return;
    }
    // The settlement batch notes stored rows only.
    if (b.state() == DsState::Insert) {
        b.post();
        b.edit();
    }
    op->showDetail(int(b.asInt(QStringLiteral("Autonummer"))));
    m_fb.notify(BooksEvent::OpenItemNoted);
}

void BuchungRules::showOpenItemDetail() {
    OffenePostenModule *op = m_fb.openItems();
    Table &b = m_fb.stapel;
    if (!op)
        return;
    const bool inserting = b.state() == DsState::Insert;
    if (inserting) {
        b.post();
        b.edit();
    }
    if (!b.isEmpty() || inserting)
        op->showDetail(int(b.asInt(QStringLiteral("Autonummer"))));
    m_fb.notify(BooksEvent::OpenItemNoted);
}

} // namespace ledra
