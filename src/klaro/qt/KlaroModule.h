#pragma once
// The open-items plug-in as the program loads it: the typed interface over the open-items
// rules, and the manager window made when it is first shown.

#include "openitems/OffenePostenModule.h"

#include <QObject>
#include <QPointer>
#include <memory>

namespace ledra {

class OffenePostenRules;
class OffenePostenWindow;

class KlaroModule : public QObject, public OffenePostenModule {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID OffenePostenModule_iid FILE "klaro.json")
    Q_INTERFACES(ledra::OffenePostenModule)

public:
    KlaroModule();
    ~KlaroModule() override;

    void create(QWidget *owner, Ui &ui) override;
    void init(const QString &dataFolder, const QString &currencySymbol) override;
    void setCustomerFolder(const QString &folder) override;
    int showWindow() override;
    std::optional<OffenerPostenAusgleich> takeForSettlement() override;
    void showDetail(int batchNumber) override;
    void addStapel(int batchNumber, bool opens) override;
    void removeStapel(int batchNumber) override;
    QString stapelRole(int batchNumber) override;
    void book(int batchNumber, qint64 grossUnits, bool euro, const QString &voucher) override;
    void finishBooking() override;
    int lastNumber() override;
    void closeAll() override;
    void reopenData() override;

private:
    QWidget *m_owner = nullptr;
    Ui *m_ui = nullptr;
    std::unique_ptr<OffenePostenRules> m_rules;
    QPointer<OffenePostenWindow> m_window;
    QString m_customerFolder;
    // The open item last handed over for settlement.
    qint64 m_handedOver = 0;
};

} // namespace ledra
