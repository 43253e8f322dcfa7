#include "KlaroCore.h"

#include "store/EngineError.h"
#include "store/Table.h"
#include "store/TableFile.h"
#include "ui/Ui.h"

namespace ledra {

KlaroCore::KlaroCore() = default;

KlaroCore::~KlaroCore() = default;

QString fehlerKopf() {
    return QStringLiteral("Beim Buchen der offenen Posten sind Fehler aufgetreten.\r"
                          "Möglicherweise müssen Sie die offenen Posten überarbeiten.");
}

void KlaroCore::create(QWidget *owner, Ui &ui) {
    m_owner = owner;
    m_ui = &ui;
}

void KlaroCore::init(const QString &dataFolder, const QString &currencySymbol) {
    if (!m_ui)
        return;
    m_ausgleich.reset();
    m_rules = std::make_unique<OffenePostenRules>(*m_ui);
    try {
        m_rules->init(dataFolder, currencySymbol);
        m_rules->daten().customerFolder = m_customerFolder;
        m_ausgleich = std::make_unique<AusgleichRules>(*m_rules);
    } catch (const EngineError &e) {
        // The program runs on without open items; the user hears why.
        m_ui->error(e.message());
        m_rules.reset();
    }
}

void KlaroCore::setCustomerFolder(const QString &folder) {
    m_customerFolder = folder;
    if (m_rules)
        m_rules->daten().customerFolder = folder;
}

bool KlaroCore::selectForSettlement(qint64 number) {
    if (!m_rules)
        return false;
    m_rules->show();
    const auto &rows = m_rules->rows();
    for (size_t i = 0; i < rows.size(); ++i)
        if (rows[i].autonummer == number) {
            m_rules->setCurrent(int(i));
            return true;
        }
    return false;
}

std::optional<OffenerPostenAusgleich> KlaroCore::takeForSettlement() {
    return m_ausgleich ? m_ausgleich->handOver() : std::nullopt;
}

bool KlaroCore::settledInStapel(qint64 number) {
    return m_ausgleich && m_ausgleich->settledInStapel(number);
}

OffenePostenDateien KlaroCore::files() {
    if (!m_rules)
        return {};
    OffenePostenStore &d = m_rules->daten();
    return {d.stapel.path(), d.op.path()};
}

void KlaroCore::addStapel(SqlConnection connection, int batchNumber, bool opens) {
    if (m_ausgleich)
        m_ausgleich->addStapel(std::move(connection), batchNumber, opens);
}

void KlaroCore::removeStapel(SqlConnection connection, int batchNumber) {
    if (m_ausgleich)
        m_ausgleich->removeStapel(std::move(connection), batchNumber);
}

QString KlaroCore::stapelRole(int batchNumber) {
    return m_ausgleich ? m_ausgleich->role(batchNumber) : QString();
}

QDate KlaroCore::paymentTarget(int batchNumber) {
    return m_ausgleich ? m_ausgleich->paymentTarget(batchNumber) : QDate();
}

bool KlaroCore::setPaymentTarget(int batchNumber, const QDate &date) {
    return m_ausgleich && m_ausgleich->setPaymentTarget(batchNumber, date);
}

void KlaroCore::beginBooking(SqlConnection connection) {
    if (m_ausgleich)
        m_ausgleich->beginBooking(std::move(connection));
}

void KlaroCore::endBooking() {
    if (m_ausgleich)
        m_ausgleich->endBooking();
}

QStringList KlaroCore::book(SqlConnection connection, int batchNumber, qint64 grossUnits, bool,
                            const QString &voucher) {
    if (!m_ausgleich)
        return {};
    return m_ausgleich->book(std::move(connection), batchNumber, Money::fromUnits(grossUnits),
                             voucher);
}

void KlaroCore::finishBooking(SqlConnection connection) {
    if (m_ausgleich)
        m_ausgleich->finishBooking(std::move(connection));
}

void KlaroCore::bookingCommitted(const QStringList &errors, bool complete) {
    if (!m_rules)
        return;
    OffenePostenStore &d = m_rules->daten();
    d.op.refresh();
    d.stapel.refresh();
    m_ausgleich->addFehler(errors);
    if (complete && !m_ausgleich->fehler().isEmpty())
        showFehler();
}

void KlaroCore::showFehler() {
    m_ui->warning(fehlerKopf() + QLatin1Char('\r') + m_ausgleich->fehler().join(QLatin1Char('\r')));
    m_ausgleich->clearFehler();
}

int KlaroCore::lastNumber() {
    return m_rules ? int(m_rules->daten().lastNumber()) : 0;
}

void KlaroCore::closeAll() {
    if (m_rules)
        m_rules->daten().closeAll();
}

void KlaroCore::reopenData() {
    if (!m_rules)
        return;
    try {
        const QString year = m_rules->jahrFolder(m_rules->jahr());
        m_rules->daten().open(m_rules->daten().dataFolder);
        if (m_rules->jahr() > 0)
            m_rules->daten().setAlias(year);
    } catch (const EngineError &e) {
        m_ui->error(e.message());
    }
}

} // namespace ledra
