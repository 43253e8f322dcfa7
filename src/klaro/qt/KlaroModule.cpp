#include "KlaroModule.h"

#include "FehlerWindow.h"
#include "OffenePostenWindow.h"
#include "StapelDialog.h"

#include <QApplication>

namespace ledra {

KlaroModule::KlaroModule() = default;

KlaroModule::~KlaroModule() {
    delete m_window;
    delete m_detail;
    delete m_fehler;
}

bool KlaroModule::windowsAvailable() {
    return qobject_cast<QApplication *>(QCoreApplication::instance()) != nullptr;
}

int KlaroModule::showWindow() {
    if (!rules() || !windowsAvailable())
        return 2;
    if (!m_window)
        m_window = new OffenePostenWindow(*rules(), m_owner);
    return m_window->run();
}

void KlaroModule::showDetail(int batchNumber) {
    if (!ausgleich() || !windowsAvailable())
        return;
    if (!m_detail)
        m_detail = new StapelDialog(*ausgleich(), m_owner);
    m_detail->run(batchNumber);
}

void KlaroModule::showFehler() {
    if (!windowsAvailable()) {
        KlaroCore::showFehler();
        return;
    }
    if (!m_fehler)
        m_fehler = new FehlerWindow(*ausgleich(), m_owner);
    m_fehler->showLines();
}

} // namespace ledra
