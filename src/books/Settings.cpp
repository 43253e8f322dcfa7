#include "Settings.h"

#include "IniFile.h"
#include "Steuer.h"
#include "store/Dates.h"
#include "store/TableFile.h"
#include "ui/Ui.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
namespace ledra {

QString readEnvironment(const QString &name) {
    return qEnvironmentVariable(name.toLocal8Bit().constData());
}

QString programSettingsLocation(const QString &defaultPath, bool perUserOnly) {
    if (!perUserOnly && defaultPath.toLower().contains(QLatin1String("wohn")))
        return defaultPath;
    QString base = readEnvironment(QStringLiteral("APPDATA"));
    if (base.isEmpty()) {
        base = readEnvironment(QStringLiteral("XDG_CONFIG_HOME"));
        if (base.isEmpty() && !QDir::homePath().isEmpty() && QDir::homePath() != QLatin1String("/"))
            base = QDir::homePath() + QStringLiteral("/.config");
    }
    if (base.isEmpty() && perUserOnly)
        base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (base.isEmpty())
        return defaultPath;
    const QString a = QDir::fromNativeSeparators(base) + QStringLiteral("/QUINDEL");
    QDir().mkpath(a);
    const QString q = a + QLatin1Char('/') + QFileInfo(defaultPath).fileName();
    if (QFileInfo::exists(q))
        return q;
    if (QFile::copy(defaultPath, q) || perUserOnly)
        return q;
    return defaultPath;
}

std::unique_ptr<IniFile> openProgramSettings(const QString &defaultPath, bool perUserOnly) {
    return std::make_unique<IniFile>(programSettingsLocation(defaultPath, perUserOnly));
}

FolderSettings FolderSettings::read(const IniFile &ini, const QString &defaultBaseDataFolder) {
    FolderSettings f;
    f.baseDataFolder = QDir::fromNativeSeparators(
        ini.readString(QStringLiteral("Pfad"), QStringLiteral("1"), defaultBaseDataFolder));
    QString all = readEnvironment(QStringLiteral("ALLUSERSPROFILE"));
    if (all.isEmpty())
        all = QStringLiteral("/var/lib");
    f.updateFolder = QDir::fromNativeSeparators(ini.readString(
        QStringLiteral("Pfad"), QStringLiteral("2"), all + QStringLiteral("/QUINDEL/LEDRA/")));
    f.prefix =
        ini.readString(QStringLiteral("Alias"), QStringLiteral("1"), QStringLiteral("LEDRA"));
    return f;
}

QString yearSettingsPath(const QString &folder) {
    return TableFile::withSlash(folder) + QStringLiteral("LEDRA.INI");
}

// The running-number counter of the base data folder; what is no number reads as 0 (the
// journal's highest number then decides) and is written back as such.
static bool autoNumberReadable(const IniFile &ini) {
    bool ok = false;
    const int v = ini.readInteger(QStringLiteral("Zaehler"), QStringLiteral("AutoNr"), 0, &ok);
    return !ini.hasKey(QStringLiteral("Zaehler"), QStringLiteral("AutoNr")) || (ok && v >= 0);
}

static QString twoDigitYear(QDate today) {
    return QStringLiteral("%1").arg(today.year() % 100, 2, 10, QLatin1Char('0'));
}

void YearSettings::load(const QString &folder, Ui *ui, QDate today) {
    IniFile ini(yearSettingsPath(folder));
    // Defaults taken without a word would book the tax to the wrong accounts (the defaults are
    // those of one chart only): the person has to learn of it and check the settings page.
    if (ini.damaged() && ui)
        ui->warning(
            ini.problemText() +
            (ini.problem() == IniFile::Problem::Truncated
                 ? QStringLiteral(" Was sie enthält, wird verwendet, fehlende Werte durch "
                                  "Standardwerte ersetzt.")
                 : QStringLiteral(" Es werden Standardwerte verwendet.")) +
            QStringLiteral(" Bitte prüfen Sie die Einstellungen, vor allem die Steuerkonten; die "
                           "Datei wird vor dem nächsten Speichern als %1 gesichert.")
                .arg(QDir::toNativeSeparators(ini.backupPath())));
    const QString K = QStringLiteral("Konten");
    vorsteuer = ini.readString(K, QStringLiteral("Vorsteuer"), QStringLiteral("1400"));
    if (vorsteuer.isEmpty())
        vorsteuer = QStringLiteral("1400");
    kontoMwst = ini.readString(K, QStringLiteral("Mwst"), QStringLiteral("3800"));
    if (kontoMwst.isEmpty())
        kontoMwst = QStringLiteral("3800");
    QString satz =
        ini.readString(QStringLiteral("Ust"), QStringLiteral("Voll"), QStringLiteral("190"));
    // Text comparison as the field does it; a value that is not two or three digits is
    // unreadable for the rate rules and treated like a missing one.
    static const QRegularExpression digits(QStringLiteral("^[0-9]{2,3}$"));
    if (satz < QLatin1String("100") || !digits.match(satz).hasMatch())
        satz = QStringLiteral("190");
    setMwstSatz(satz);
    // The counter goes into an integer field of every new booking: only what the settings
    // page accepts (up to six digits) is kept, anything else starts again at 1, said aloud.
    belegnr =
        ini.readString(QStringLiteral("Zaehler"), QStringLiteral("Beleg1"), QString()).trimmed();
    static const QRegularExpression counter(QStringLiteral("^[0-9]{1,6}$"));
    if (!belegnr.isEmpty() && !counter.match(belegnr).hasMatch() && ui)
        ui->warning(QStringLiteral("Der Belegzähler Beleg1=%1 in %2 ist keine gültige Nummer; die "
                                   "nächste Belegnummer ist wieder 1.")
                        .arg(belegnr, QDir::toNativeSeparators(ini.path())));
    if (!counter.match(belegnr).hasMatch())
        belegnr = QStringLiteral("1");
    if (!autoNumberReadable(ini) && ui)
        ui->warning(
            QStringLiteral("Der Zähler AutoNr=%1 in %2 ist keine gültige Nummer; die "
                           "Buchungsnummern folgen wieder dem Journal.")
                .arg(ini.readString(QStringLiteral("Zaehler"), QStringLiteral("AutoNr"), QString()),
                     QDir::toNativeSeparators(ini.path())));
    buchVon = ini.readString(QStringLiteral("BZR"), QStringLiteral("Von"), QString());
    if (!parseGermanDate(buchVon, today))
        buchVon = QStringLiteral("01.01.") + twoDigitYear(today);
    buchBis = ini.readString(QStringLiteral("BZR"), QStringLiteral("Bis"), QString());
    if (!parseGermanDate(buchBis, today))
        buchBis = QStringLiteral("31.12.") + twoDigitYear(today);
    currency = currencyTextOfPeriod(periodEnd());
    lRand =
        std::clamp(ini.readInteger(QStringLiteral("Druck"), QStringLiteral("LRand"), 13), 0, 30);
    const QString F = QStringLiteral("Farben");
    fSaldo1 = ini.readInteger(F, QStringLiteral("FSaldo1"), 255);
    fSaldo2 = ini.readInteger(F, QStringLiteral("FSaldo2"), 0);
    fSaldo = ini.readBool(F, QStringLiteral("FSaldo"), true);
    zeilenfarbe = ini.readInteger(F, QStringLiteral("Zeile"), 16777215);
    bool ok = false;
    int n = ini.readInteger(K, QStringLiteral("SkontoErh"), 5730, &ok);
    skontoErh = ok || !ini.hasKey(K, QStringLiteral("SkontoErh")) ? QString::number(n)
                                                                  : QStringLiteral("5730");
    n = ini.readInteger(K, QStringLiteral("SkontoGew"), 4730, &ok);
    skontoGew = ok || !ini.hasKey(K, QStringLiteral("SkontoGew")) ? QString::number(n)
                                                                  : QStringLiteral("4730");
    kosten13b = ini.readString(K, QStringLiteral("Kosten13b"), QString());
    bilanzErgebnis =
        ini.readString(K, QStringLiteral("BilanzErgebnis"), QStringLiteral("215000")).trimmed();
    if (bilanzErgebnis.isEmpty())
        bilanzErgebnis = QStringLiteral("215000");
    kapital = ini.readString(K, QStringLiteral("Kapital"), QStringLiteral("2010")).trimmed();
    if (kapital.isEmpty())
        kapital = QStringLiteral("2010");
    istSteuer = ini.readBool(QStringLiteral("Ust"), QStringLiteral("Ist"), false);
    const QString D = QStringLiteral("DATEV");
    datevBerater = ini.readString(D, QStringLiteral("Berater"), QString());
    datevMandant = ini.readString(D, QStringLiteral("Mandant"), QString());
    datevSachkontenlaenge =
        std::clamp(ini.readInteger(D, QStringLiteral("Sachkontenlaenge"), 4), 4, 8);
    firma = ini.readString(QStringLiteral("Firma"), QStringLiteral("Name"), QString()).trimmed();
    steuernummer =
        ini.readString(QStringLiteral("Firma"), QStringLiteral("Steuernummer"), QString())
            .trimmed();
}

void YearSettings::save(const QString &folder) const {
    IniFile ini(yearSettingsPath(folder));
    const QString K = QStringLiteral("Konten"), F = QStringLiteral("Farben");
    ini.writeString(K, QStringLiteral("Vorsteuer"), vorsteuer);
    ini.writeString(K, QStringLiteral("Mwst"), kontoMwst);
    ini.writeString(QStringLiteral("Ust"), QStringLiteral("Voll"), mwstSatz);
    ini.writeString(QStringLiteral("Zaehler"), QStringLiteral("Beleg1"), belegnr);
    ini.writeString(QStringLiteral("BZR"), QStringLiteral("Von"), buchVon);
    ini.writeString(QStringLiteral("BZR"), QStringLiteral("Bis"), buchBis);
    ini.writeString(QStringLiteral("Druck"), QStringLiteral("LRand"), QString::number(lRand));
    ini.writeInteger(F, QStringLiteral("FSaldo1"), fSaldo1);
    ini.writeInteger(F, QStringLiteral("FSaldo2"), fSaldo2);
    ini.writeInteger(F, QStringLiteral("Zeile"), zeilenfarbe);
    ini.writeBool(F, QStringLiteral("FSaldo"), fSaldo);
    ini.writeString(K, QStringLiteral("SkontoErh"), skontoErh);
    ini.writeString(K, QStringLiteral("SkontoGew"), skontoGew);
    ini.writeString(K, QStringLiteral("Kosten13b"), kosten13b);
    ini.writeString(K, QStringLiteral("BilanzErgebnis"), bilanzErgebnis);
    ini.writeString(K, QStringLiteral("Kapital"), kapital);
    ini.writeBool(QStringLiteral("Ust"), QStringLiteral("Ist"), istSteuer);
    if (!datevBerater.isEmpty() || !datevMandant.isEmpty()) {
        const QString D = QStringLiteral("DATEV");
        ini.writeString(D, QStringLiteral("Berater"), datevBerater);
        ini.writeString(D, QStringLiteral("Mandant"), datevMandant);
        ini.writeInteger(D, QStringLiteral("Sachkontenlaenge"), datevSachkontenlaenge);
    }
    ini.writeString(QStringLiteral("Firma"), QStringLiteral("Name"), firma);
    ini.writeString(QStringLiteral("Firma"), QStringLiteral("Steuernummer"), steuernummer);
    if (!autoNumberReadable(ini))
        ini.writeInteger(QStringLiteral("Zaehler"), QStringLiteral("AutoNr"), 0);
    ini.save();
}

bool YearSettings::normaliseDate(QString &text) {
    auto d = parseGermanDate(text);
    if (!d)
        return false;
    text = germanDate(*d);
    return true;
}

void YearSettings::setMwstSatz(const QString &digits) {
    mwstSatz = digits;
    bool ok = false;
    int v = digits.trimmed().toInt(&ok);
    if (ok)
        mwstChoices[2] = QString::number(v / 10.0, 'g', 10);
}

QDate YearSettings::periodStart() const {
    return parseGermanDate(buchVon).value_or(QDate());
}
QDate YearSettings::periodEnd() const {
    return parseGermanDate(buchBis).value_or(QDate());
}

QString YearSettings::mwstSatzDisplay() const {
    QString d = mwstSatz.rightJustified(3, QLatin1Char(' '));
    return d.left(d.size() - 1) + QLatin1Char(',') + d.right(1) + QStringLiteral(" %");
}

int autoNumberCounter(const QString &baseDataFolder, int newValue) {
    IniFile ini(yearSettingsPath(baseDataFolder));
    int v = ini.readInteger(QStringLiteral("Zaehler"), QStringLiteral("AutoNr"), 0);
    if (newValue > 0) {
        ini.writeInteger(QStringLiteral("Zaehler"), QStringLiteral("AutoNr"), newValue);
        ini.save();
    }
    return v;
}

} // namespace ledra
