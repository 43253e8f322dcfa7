#include "KlaroModule.h"

#include "OffenePostenWindow.h"
#include "klaro/OffenePostenRules.h"
#include "store/EngineError.h"
#include "ui/Ui.h"

namespace ledra {

KlaroModule::KlaroModule() = default;

KlaroModule::~KlaroModule() {
    delete m_window;
}

void KlaroModule::create(QWidget *owner, Ui &ui) {
    m_owner = owner;
    m_ui = &ui;
}

void KlaroModule::init(const QString &dataFolder, const QString &currencySymbol) {
    if (!m_ui)
        return;
    m_rules = std::make_unique<OffenePostenRules>(*m_ui);
    try {
        m_rules->init(dataFolder, currencySymbol);
        m_rules->daten().customerFolder = m_customerFolder;
    } catch (const EngineError &e) {
        // The program runs on without open items; the user hears why.
        m_ui->error(e.message());
        m_rules.reset();
    }
}

void KlaroModule::setCustomerFolder(const QString &folder) {
    m_customerFolder = folder;
    if (m_rules)
        m_rules->daten().customerFolder = folder;
}

int KlaroModule::showWindow() {
    if (!m_rules)
        return 2;
    if (!m_window)
        m_window = new OffenePostenWindow(*m_rules, m_owner);
    return m_window->run();
}

std::optional<OffenerPostenAusgleich> KlaroModule::takeForSettlement() {
    // The settlement of an open item by a payment comes with the posting's takeover.
    return std::nullopt;
}

void KlaroModule::showDetail(int) {}

void KlaroModule::addStapel(int batchNumber, bool opens) {
    if (!m_rules)
        return;
    Table &s = m_rules->daten().stapel;
    if (OffenePostenStore::findNr(batchNumber, s))
        s.edit();
    else
        s.insert();
    s.setValue(QStringLiteral("Nr"), batchNumber);
    s.setValue(QStringLiteral("OP"), opens);
    s.setValue(QStringLiteral("KNr"), opens ? qint64(0) : m_handedOver);
    s.post();
}

void KlaroModule::removeStapel(int batchNumber) {
    if (m_rules && OffenePostenStore::findNr(batchNumber, m_rules->daten().stapel))
        m_rules->daten().stapel.remove();
}

QString KlaroModule::stapelRole(int batchNumber) {
    if (!m_rules || !OffenePostenStore::findNr(batchNumber, m_rules->daten().stapel))
        return QString();
    return m_rules->daten().stapel.asBool(QStringLiteral("OP")) ? QStringLiteral("Neu")
                                                                : QStringLiteral("Ausgleich");
}

void KlaroModule::book(int, qint64, bool, const QString &) {}

void KlaroModule::finishBooking() {}

int KlaroModule::lastNumber() {
    return m_rules ? int(m_rules->daten().lastNumber()) : 0;
}

void KlaroModule::closeAll() {
    if (m_rules)
        m_rules->daten().closeAll();
}

void KlaroModule::reopenData() {
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
