#pragma once
// The boundary between the bookkeeping program and its open-items plug-in. Both sides
// include this header only; the program calls these operations only while the plug-in is
// loaded.

#include <QString>
#include <QVariantList>
#include <QtPlugin>

class QWidget;
namespace ledra {

class OpenItemsModule {
public:
    virtual ~OpenItemsModule() = default;

    // Creates the manager window (owner may be null without a window system).
    virtual void create(QWidget *owner) = 0;
    virtual void FormInit(const QString &dataFolder, const QString &currencySymbol) = 0;
    virtual void setCustomerFolder(const QString &folder) = 0;
    virtual int OPFenster() = 0;
    virtual QVariantList GibAusgleich() = 0;
    virtual void OPDetail(int batchNumber) = 0;
    virtual void AddStapel(int batchNumber, bool opens) = 0;
    virtual void DelStapel(int batchNumber) = 0;
    virtual QString NeuOrAusgl(int batchNumber) = 0;
    virtual void Buchen(int batchNumber, qint64 grossUnits, bool euro, const QString &voucher) = 0;
    virtual void BuchenEnde() = 0;
    virtual int GetLastOP() = 0;
    virtual void CloseAll() = 0;
    virtual void FDatenCreate() = 0;
};

#define OpenItemsModule_iid "de.ledra.OpenItemsModule/1.0"

} // namespace ledra

Q_DECLARE_INTERFACE(ledra::OpenItemsModule, OpenItemsModule_iid)
