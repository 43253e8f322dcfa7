#pragma once
// The open-items plug-in's operations as the program calls them, without windows: the data,
// the manager window's rules and the settlement. The loadable plug-in adds the windows on
// top; the command line and the tests use this part alone.

#include "AusgleichRules.h"
#include "OffenePostenRules.h"
#include "openitems/OffenePostenModule.h"

#include <memory>

namespace ledra {

class KlaroCore : public OffenePostenModule {
public:
    KlaroCore();
    ~KlaroCore() override;
    KlaroCore(const KlaroCore &) = delete;
    KlaroCore &operator=(const KlaroCore &) = delete;

    void create(QWidget *owner, Ui &ui) override;
    void init(const QString &dataFolder, const QString &currencySymbol) override;
    void setCustomerFolder(const QString &folder) override;
    // Without windows the manager window cannot be shown: closed as if cancelled.
    int showWindow() override { return 2; }
    bool selectForSettlement(qint64 number) override;
    std::optional<OffenerPostenAusgleich> takeForSettlement() override;
    bool settledInStapel(qint64 number) override;
    void showDetail(int) override {}
    OffenePostenDateien files() override;
    void addStapel(SqlConnection connection, int batchNumber, bool opens) override;
    void removeStapel(SqlConnection connection, int batchNumber) override;
    QString stapelRole(int batchNumber) override;
    QDate paymentTarget(int batchNumber) override;
    bool setPaymentTarget(int batchNumber, const QDate &date) override;
    void beginBooking(SqlConnection connection) override;
    void endBooking() override;
    QStringList book(SqlConnection connection, int batchNumber, qint64 grossUnits, bool euro,
                     const QString &voucher) override;
    void finishBooking(SqlConnection connection) override;
    void bookingCommitted(const QStringList &errors, bool complete) override;
    int lastNumber() override;
    void closeAll() override;
    void reopenData() override;

    // Null until init() opened the data.
    OffenePostenRules *rules() { return m_rules.get(); }
    AusgleichRules *ausgleich() { return m_ausgleich.get(); }

protected:
    // The error list after a transfer: without windows its lines go to the user as one
    // warning.
    virtual void showFehler();

    QWidget *m_owner = nullptr;
    Ui *m_ui = nullptr;

private:
    std::unique_ptr<OffenePostenRules> m_rules;
    std::unique_ptr<AusgleichRules> m_ausgleich;
    QString m_customerFolder;
};

// The heading lines of the error list.
QString fehlerKopf();

} // namespace ledra
