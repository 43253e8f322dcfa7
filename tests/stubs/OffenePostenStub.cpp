// A loadable open-items plug-in for the contract tests: built like the real one (Qt plug-in
// with the interface id in its metadata), answering with fixed, recognisable values.

#include "support/OpenItemsDouble.h"

#include <QObject>

namespace ledra {

class OffenePostenStub : public QObject, public OpenItemsDouble {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID OffenePostenModule_iid)
    Q_INTERFACES(ledra::OffenePostenModule)

public:
    void init(const QString &dataFolder, const QString &currency) override {
        m_folder = dataFolder + QLatin1Char('|') + currency;
    }
    int showWindow() override { return 1; }
    std::optional<OffenerPostenAusgleich> takeForSettlement() override {
        // A customer's invoice of 119,00 with 19 % whose open item is number 41.
        OffenerPostenAusgleich a;
        a.buchungstext = m_folder;
        a.haben = 10000;
        a.netto = a.brutto = Money::fromUnits(1190000);
        a.steuer = Money::fromUnits(190000);
        a.steuersatz = 19;
        a.belegnummer = 815;
        a.autonummer = 41;
        return a;
    }
    QString stapelRole(int) override { return QStringLiteral("Buchung erzeugt offenen Posten"); }
    int lastNumber() override { return 41; }

private:
    QString m_folder;
};

} // namespace ledra

#include "OffenePostenStub.moc"
