#pragma once
// The two kinds of settings file: the program settings file (window geometry, grid column
// widths, data folders) and the year settings file LEDRA.INI of each data folder. The year
// settings object is what the settings page shows and edits live; every rule reads the
// current values from here.

#include <QDate>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
namespace ledra {

class IniFile;
class Ui;

QString readEnvironment(const QString &name);

// Where the program settings file (or MERVA.INI) is used: the default path unless a
// per-user copy applies. With APPDATA unset, the XDG config home stands in for it.
// perUserOnly (an installed program, whose default lies under the read-only installation
// prefix): the per-user file is used even when there is no default to copy from, and the
// default path never.
QString programSettingsLocation(const QString &defaultPath, bool perUserOnly = false);
std::unique_ptr<IniFile> openProgramSettings(const QString &defaultPath, bool perUserOnly = false);

struct FolderSettings {
    QString baseDataFolder; // Pfad/1
    QString updateFolder;   // Pfad/2
    QString prefix;         // Alias/1
    // defaultBaseDataFolder: what Pfad/1 means when the file names no folder.
    static FolderSettings read(const IniFile &ini, const QString &defaultBaseDataFolder);
};

class YearSettings {
public:
    // Texts as the settings page holds them.
    QString vorsteuer = QStringLiteral("1400");
    QString kontoMwst = QStringLiteral("3800");
    QString mwstSatz = QStringLiteral("190"); // digits without the mask literals
    bool istSteuer = false;
    QString belegnr = QStringLiteral("1");
    QString buchVon;
    QString buchBis;
    int lRand = 13;
    int zeilenfarbe = 16777215;
    bool fSaldo = true;
    int fSaldo1 = 255;
    int fSaldo2 = 0;
    QString skontoErh = QStringLiteral("5730");
    QString skontoGew = QStringLiteral("4730");
    QString kosten13b;
    // The year's closing: the equity section of the balance sheet that shows the open year's
    // result, and the capital account into which the year change closes that result and the
    // private accounts (the chart's own: SKR 03 0880, SKR 04 2010).
    QString bilanzErgebnis = QStringLiteral("215000");
    QString kapital = QStringLiteral("2010");
    // The hand-off to the tax adviser (section [DATEV]): adviser and client number as typed
    // last, and the digits of a general-ledger account in the adviser's chart.
    QString datevBerater, datevMandant;
    int datevSachkontenlaenge = 4;
    // The firm and its tax number, named on the VAT return (section "Firma").
    QString firma;
    QString steuernummer;

    QString currency = QStringLiteral("€");
    // Choices of the VAT column of the accounts grid; the third follows mwstSatz.
    QStringList mwstChoices{QStringLiteral("0"), QStringLiteral("7"), QStringLiteral("15")};

    // Loads <folder>/LEDRA.INI with every default and repair rule. A damaged file is
    // reported through ui (when given) and read as all defaults.
    void load(const QString &folder, Ui *ui = nullptr, QDate today = QDate::currentDate());
    void save(const QString &folder) const;

    // Field behaviour of the settings page.
    // Leaving a booking-period field: the text becomes dd.MM.yyyy; false (and the text is
    // kept) when it is no valid date.
    static bool normaliseDate(QString &text);
    void trimKosten13b() { kosten13b = kosten13b.trimmed(); }
    void setMwstSatz(const QString &digits);
    int fullRatePercentTimes10() const { return mwstSatz.toInt(); }
    double fullRate() const { return mwstSatz.toInt() / 10.0; }
    QDate periodStart() const;
    QDate periodEnd() const;
    // "19,0 %" for "190": a rate in German form, decimal comma.
    QString mwstSatzDisplay() const;
};

// Reads Zaehler/AutoNr of the base data folder's settings file and, when newValue > 0,
// writes it; returns the value read.
int autoNumberCounter(const QString &baseDataFolder, int newValue);

QString yearSettingsPath(const QString &folder);

} // namespace ledra
