#pragma once
// The open-items plug-in as the program loads it: the typed interface over the open-items
// rules, with the manager window, the dialog "OP-Detail" and the error list made when they
// are first shown. Without a widget application (the command line) it works as the core.

#include "klaro/KlaroCore.h"

#include <QObject>
#include <QPointer>

namespace ledra {

class FehlerWindow;
class OffenePostenWindow;
class StapelDialog;

class KlaroModule : public QObject, public KlaroCore {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID OffenePostenModule_iid FILE "klaro.json")
    Q_INTERFACES(ledra::OffenePostenModule)

public:
    KlaroModule();
    ~KlaroModule() override;

    int showWindow() override;
    void showDetail(int batchNumber) override;

protected:
    void showFehler() override;

private:
    static bool windowsAvailable();

    QPointer<OffenePostenWindow> m_window;
    QPointer<StapelDialog> m_detail;
    QPointer<FehlerWindow> m_fehler;
};

} // namespace ledra
