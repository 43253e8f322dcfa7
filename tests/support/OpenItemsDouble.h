#pragma once
// A stand-in for the open-items plug-in that does nothing: the tests' doubles derive from it
// and answer only what their test asks.

#include "openitems/OffenePostenModule.h"

namespace ledra {

class OpenItemsDouble : public OffenePostenModule {
public:
    void create(QWidget *, Ui &) override {}
    void init(const QString &, const QString &) override {}
    void setCustomerFolder(const QString &) override {}
    int showWindow() override { return 2; }
    bool selectForSettlement(qint64) override { return false; }
    std::optional<OffenerPostenAusgleich> takeForSettlement() override { return std::nullopt; }
    bool settledInStapel(qint64) override { return false; }
    void showDetail(int) override {}
    OffenePostenDateien files() override { return {}; }
    void addStapel(SqlConnection, int, bool) override {}
    void removeStapel(SqlConnection, int) override {}
    QString stapelRole(int) override { return {}; }
    QDate paymentTarget(int) override { return {}; }
    bool setPaymentTarget(int, const QDate &) override { return false; }
    QStringList book(SqlConnection, int, qint64, bool, const QString &) override { return {}; }
    void finishBooking(SqlConnection) override {}
    void bookingCommitted(const QStringList &, bool) override {}
    int lastNumber() override { return 0; }
    void closeAll() override {}
    void reopenData() override {}
};

} // namespace ledra
