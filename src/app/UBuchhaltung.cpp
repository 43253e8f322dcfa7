#include "UBuchhaltung.h"

#include "IniFile.h"
#include "invoicebook/URechDaten.h"
#include "openitems/OpenItemsInterface.h"
#include "accounts/UKonten.h"
#include "posting/UBuchen.h"
#include "posting/UJournal.h"
#include "store/Dates.h"
#include "store/TableFile.h"
#include "ui/Ui.h"

#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QPluginLoader>

namespace {
const char *const kGrid1[] = {"KtoNr", "Name", "XArt", "Mwst", "Saldo", "Soll", "Haben", "xBWA", "xBilanz"};
const int kGrid1Width[] = {70, 220, 90, 60, 100, 100, 100, 180, 180};
const char *const kGrid2[] = {"Belegdatum", "Belegnummer", "Soll", "Haben", "Buchungstext", "Brutto",
                              "Steuer", "Netto", "Steuersatz", "Stfaellig", "Satzfaellig"};
const int kGrid2Width[] = {85, 70, 60, 60, 220, 100, 90, 100, 60, 90, 70};
} // namespace

QString MervaLink::moduleFileName() { return QStringLiteral("librechbuch.so"); }

TFBuchhaltung::TFBuchhaltung(Ui &ui, const QString &programFolder)
    : TKontoArt(Schemas::kontoArt(), QStringLiteral("TKontoArt")),
      TFavoriten(Schemas::favoriten(), QStringLiteral("TFavoriten")),
      TBuchungen(Schemas::buchung(), QStringLiteral("TBuchungen")),
      TBWA(Schemas::bwa(), QStringLiteral("TBWA")), TBilanz(Schemas::bilanz(), QStringLiteral("TBilanz")),
      TKonten(Schemas::konten(), QStringLiteral("TKonten")),
      TKonten2(Schemas::konten(), QStringLiteral("TKonten2")),
      TJournal(Schemas::journal(), QStringLiteral("TJournal")), ui_(ui),
      programFolder_(QDir::fromNativeSeparators(programFolder))
{
    for (size_t i = 0; i < std::size(kGrid1); ++i)
        window.grid1Widths[QString::fromLatin1(kGrid1[i])] = kGrid1Width[i];
    for (size_t i = 0; i < std::size(kGrid2); ++i)
        window.grid2Widths[QString::fromLatin1(kGrid2[i])] = kGrid2Width[i];
    setupLookups();
    entry_ = std::make_unique<BookingEntry>(*this);
    chart_ = std::make_unique<ChartOfAccounts>(*this);
    entry_->closeReversalDialog = [this] {
        if (journalDialog_ && journalDialog_->visible()) journalDialog_->FormHide();
    };
}

TFBuchhaltung::~TFBuchhaltung()
{
    if (pluginLoader_) pluginLoader_->unload();
}

void TFBuchhaltung::setupLookups()
{
    for (Table *k : {&TKonten, &TKonten2}) {
        k->addLookup(QStringLiteral("XArt"), QStringLiteral("Art"), &TKontoArt, QStringLiteral("Autonummer"),
                     QStringLiteral("Kontenart"));
        k->addLookup(QStringLiteral("xBWA"), QStringLiteral("BWA"), &TBWA, QStringLiteral("Reihenfolge"),
                     QStringLiteral("Sektion"));
        k->addLookup(QStringLiteral("xBilanz"), QStringLiteral("Bilanz"), &TBilanz,
                     QStringLiteral("Reihenfolge"), QStringLiteral("Sektion"));
    }
    TKonten2.setIndexFields({QStringLiteral("KtoNr")});
    const QString K = QStringLiteral("KtoNr");
    for (Table *b : {&TJournal, &TBuchungen}) {
        b->addLookup(QStringLiteral("XSollArt"), QStringLiteral("Soll"), &TKonten, K, QStringLiteral("Art"));
        b->addLookup(QStringLiteral("XHabenArt"), QStringLiteral("Haben"), &TKonten, K, QStringLiteral("Art"));
    }
    TBuchungen.addLookup(QStringLiteral("XSollName"), QStringLiteral("Soll"), &TKonten, K, QStringLiteral("Name"));
    TBuchungen.addLookup(QStringLiteral("XHabenName"), QStringLiteral("Haben"), &TKonten, K, QStringLiteral("Name"));
    TBuchungen.addLookup(QStringLiteral("XSollMwst"), QStringLiteral("Soll"), &TKonten, K, QStringLiteral("Mwst"));
    TBuchungen.addLookup(QStringLiteral("XHabenMwst"), QStringLiteral("Haben"), &TKonten, K, QStringLiteral("Mwst"));
    TBuchungen.addLookup(QStringLiteral("XSollSaldo"), QStringLiteral("Soll"), &TKonten, K, QStringLiteral("Saldo"));
    TBuchungen.addLookup(QStringLiteral("XHabenSaldo"), QStringLiteral("Haben"), &TKonten, K, QStringLiteral("Saldo"));
}

QString TFBuchhaltung::programSettingsPath() const
{
    return programFolder_ + QStringLiteral("/LEDRA.INI");
}

void TFBuchhaltung::notifyControls()
{
    if (controlsChanged) controlsChanged();
}

void TFBuchhaltung::setStatus(int panel, const QString &text)
{
    if (panel < 0 || panel > 3) return;
    status[panel] = text;
    ui_.status(panel, text);
}

void TFBuchhaltung::showJournalCount()
{
    setStatus(0, QString::number(TJournal.isActive() ? TJournal.recordCount() : 0) + QStringLiteral(" Buchungen"));
}

void TFBuchhaltung::showAccountCount()
{
    setStatus(1, QString::number(TKonten2.isActive() ? TKonten2.recordCount() : 0) + QStringLiteral(" Konten"));
}

bool TFBuchhaltung::FormCreate(const QRect &screen, QDate today)
{
    oldYearFloor = 0;
    auto prog = openProgramSettings(programSettingsPath());
    if (prog->damaged())
        ui_.warning(QStringLiteral("Die Einstellungsdatei %1 ist beschädigt. Es werden Standardwerte verwendet.")
                        .arg(QDir::toNativeSeparators(prog->path())));

    // Help pages: a folder of HTML pages named after the program, one page per context.
    helpFolder = programFolder_ + QStringLiteral("/ledra-hilfe");
    helpAvailable = QFileInfo(helpFolder + QStringLiteral("/index.html")).isFile();
    if (!helpAvailable && checkHelp)
        ui_.warning(QStringLiteral("Hilfe-Datei nicht gefunden:\r") + QDir::toNativeSeparators(helpFolder));

    const QString sec = QStringLiteral("FBuchhaltung");
    QRect g = window.geometry;
    g.moveLeft(prog->readInteger(sec, QStringLiteral("Left"), g.left()));
    g.moveTop(prog->readInteger(sec, QStringLiteral("Top"), g.top()));
    g.setWidth(std::max(200, prog->readInteger(sec, QStringLiteral("Width"), g.width())));
    g.setHeight(std::max(150, prog->readInteger(sec, QStringLiteral("Height"), g.height())));
    window.cbOPDatum = prog->readBool(sec, QStringLiteral("CBOPDatum"), false);
    if (screen.isValid()) {
        if (g.left() > screen.width() - g.width()) g.moveLeft(screen.width() - g.width());
        if (g.left() < 0) g.moveLeft(0);
        if (g.top() > screen.height() - g.height()) g.moveTop(screen.height() - g.height());
        if (g.top() < 0) g.moveTop(0);
    }
    window.geometry = g;
    for (auto it = window.grid1Widths.begin(); it != window.grid1Widths.end(); ++it)
        it.value() = prog->readInteger(QStringLiteral("DBGrid1"), it.key(), it.value());
    for (auto it = window.grid2Widths.begin(); it != window.grid2Widths.end(); ++it)
        it.value() = prog->readInteger(QStringLiteral("DBGrid2"), it.key(), it.value());
    folders = FolderSettings::read(*prog, programFolder_);
    if (!dataFolderOverride.isEmpty()) folders.baseDataFolder = QDir::fromNativeSeparators(dataFolderOverride);
    folders.baseDataFolder = QDir::cleanPath(folders.baseDataFolder);
    prog.reset();

    try {
        bindMerva();
        openTables(today);
    } catch (const SilentAbort &) {
        return false;
    } catch (const EngineError &e) {
        ui_.error(e.message() + QStringLiteral("\rProgramm wird beendet!"));
        return false;
    } catch (const std::exception &e) {
        ui_.error(QString::fromUtf8(e.what()) + QStringLiteral("\rProgramm wird beendet!"));
        return false;
    }

    showJournalCount();
    showAccountCount();
    loadPlugin();
    controls.cashBasisColumns = settings.istSteuer;
    notifyControls();
    return true;
}

void TFBuchhaltung::bindMerva()
{
    merva = MervaLink();
    merva.folder = QFileInfo(programFolder_).absolutePath() + QStringLiteral("/MERVA/");
    const QString module = merva.folder + MervaLink::moduleFileName();
    if (!QFileInfo(module).isFile()) return;
    mervaModule_ = std::make_unique<QLibrary>(module);
    if (!mervaModule_->load()) {
        const QString err = mervaModule_->errorString();
        mervaModule_.reset();
        throw std::runtime_error(QStringLiteral("Das Rechnungsbuch-Modul %1 kann nicht geladen werden: %2")
                                     .arg(QDir::toNativeSeparators(module), err).toStdString());
    }
    merva.installed = true;
    IniFile ini(programSettingsLocation(merva.folder + QStringLiteral("MERVA.INI")));
    const QString O = QStringLiteral("Options");
    merva.dataFolder = QDir::fromNativeSeparators(ini.readString(O, QStringLiteral("Daten"), QString()));
    merva.skin = ini.readString(O, QStringLiteral("Skin"), QString());
    merva.client = ini.readInteger(O, QStringLiteral("Client"), 0);
    merva.skinFolder = merva.folder + QStringLiteral("Skins");
    merva.skinActive = QFileInfo(merva.skinFolder).isDir() && !merva.skin.isEmpty();
    rechDaten_ = std::make_unique<TFRechDaten>();
    rechDaten_->MitProtokoll = merva.client > 0;
    rechDaten_->open(merva.dataFolder);
}

void TFBuchhaltung::ensureOpenItemTables()
{
    // The open-items tables belong to the base data folder; an older installation may not
    // have them yet.
    for (const TableSchema *s : {&Schemas::op(), &Schemas::stapel()})
        if (!TableFile::exists(folders.baseDataFolder, s->fileName))
            TableFile::create(TableFile::join(folders.baseDataFolder, s->fileName), *s);
}

void TFBuchhaltung::openTables(QDate today)
{
    TKontoArt.close();
    TKontoArt.setFolder(folders.baseDataFolder);
    if (!QFileInfo(folders.baseDataFolder).isDir()) {
        ui_.error(QStringLiteral("Fehler beim Datenzugriff.\rVerzeichnis ") +
                  QDir::toNativeSeparators(folders.baseDataFolder) + QStringLiteral(" nicht vorhanden"));
        throw SilentAbort();
    }
    TKontoArt.open();
    auto fail = [&](const Table &t) {
        return EngineError(DbErr::General, QStringLiteral("Die Tabelle %1 kann nicht geöffnet werden.")
                                               .arg(QDir::toNativeSeparators(t.path())));
    };
    if (!OpenTableInFolder(TFavoriten, folders.baseDataFolder)) throw fail(TFavoriten);
    refillBookingTexts(*this);
    OpenDataFolder(folders.baseDataFolder, today);
    for (Table *t : {&TBWA, &TBilanz, &TKonten, &TKonten2, &TJournal})
        if (!t->isActive()) throw fail(*t);
    if (!OpenTableInFolder(TBuchungen, folders.baseDataFolder)) throw fail(TBuchungen);
    ensureOpenItemTables();
}

void TFBuchhaltung::loadPlugin()
{
    controls.bopVisible = false;
    const QString file = programFolder_ + QStringLiteral("/klaro.so");
    if (!QFileInfo(file).isFile()) return;
    pluginLoader_ = std::make_unique<QPluginLoader>(file);
    auto *m = qobject_cast<OpenItemsModule *>(pluginLoader_->instance());
    if (!m) {
        // A plug-in that cannot be loaded is treated like an absent one, but said.
        ui_.warning(QStringLiteral("Das Modul Offene Posten (%1) kann nicht geladen werden:\r%2")
                        .arg(QDir::toNativeSeparators(file), pluginLoader_->errorString()));
        pluginLoader_.reset();
        return;
    }
    openItems_ = m;
    controls.bopVisible = true;
    m->create(nullptr);
    m->FormInit(folders.baseDataFolder, QStringLiteral("€"));
    m->setCustomerFolder(merva.dataFolder);
}

TFJournal &TFBuchhaltung::reversalDialog()
{
    if (!journalDialog_) journalDialog_ = std::make_unique<TFJournal>(*this);
    return *journalDialog_;
}

void TFBuchhaltung::setOpenItemsForTest(OpenItemsModule *m)
{
    openItems_ = m;
    controls.bopVisible = m != nullptr;
    notifyControls();
}

bool TFBuchhaltung::FormClose(bool interactive)
{
    if (!TBuchungen.isActive()) return true;
    if (TBuchungen.isEditing()) {
        ui_.alert(QStringLiteral("Bitte noch die Buchung speichern!\r(Das Häkchen klicken)"));
        return false;
    }
    if (interactive && !TBuchungen.isEmpty() &&
        ui_.confirm(QStringLiteral("Buchungen im Stapel lassen und beenden?  "), Btn::YesNo) != Btn::Yes)
        return false;
    try {
        if (rechDaten_) {
            rechDaten_->close();
            rechDaten_.reset();
        }
        mervaModule_.reset();
        if (!interactive) throw SilentAbort();
        auto prog = openProgramSettings(programSettingsPath());
        const QString sec = QStringLiteral("FBuchhaltung");
        prog->writeInteger(sec, QStringLiteral("Left"), window.geometry.left());
        prog->writeInteger(sec, QStringLiteral("Top"), window.geometry.top());
        prog->writeInteger(sec, QStringLiteral("Width"), window.geometry.width());
        prog->writeInteger(sec, QStringLiteral("Height"), window.geometry.height());
        prog->writeBool(sec, QStringLiteral("CBOPDatum"), window.cbOPDatum);
        for (auto it = window.grid1Widths.cbegin(); it != window.grid1Widths.cend(); ++it)
            prog->writeInteger(QStringLiteral("DBGrid1"), it.key(), it.value());
        for (auto it = window.grid2Widths.cbegin(); it != window.grid2Widths.cend(); ++it)
            prog->writeInteger(QStringLiteral("DBGrid2"), it.key(), it.value());
        prog->save();
    } catch (const SilentAbort &) {
    } catch (const std::exception &e) {
        ui_.error(QString::fromUtf8(e.what()));
    }
    try {
        SaveYearSettings(currentDataFolder());
    } catch (const std::exception &e) {
        ui_.error(QString::fromUtf8(e.what()));
    }
    if (controls.bopVisible) {
        controls.bopVisible = false;
        openItems_ = nullptr;
        if (pluginLoader_) pluginLoader_->unload();
        pluginLoader_.reset();
    }
    TBuchungen.close();
    return true;
}

bool TFBuchhaltung::PageControl1Changing()
{
    bool allowed = true;
    switch (page) {
    case Page::Buchen: allowed = !TBuchungen.isActive() || TBuchungen.isBrowse(); break;
    case Page::Einstellung:
        try {
            ui_.focus(QStringLiteral("Vorsteuer"));
            leaveSettingsField();
            settingsFocus = QStringLiteral("Vorsteuer");
        } catch (...) {
            // The exit check has shown its message; the page stays.
            return false;
        }
        break;
    case Page::Konten:
        if (TKonten2.isEditing()) {
            try {
                TKonten2.post();
            } catch (const SilentAbort &) {
                allowed = false;
            } catch (const EngineError &e) {
                ui_.error(e.message());
                allowed = false;
            }
        }
        allowed = allowed && (!TKonten2.isActive() || TKonten2.isBrowse());
        break;
    }
    if (!allowed) ui_.info(QStringLiteral("Bitte erst die Dateneingabe beenden."));
    return allowed;
}

void TFBuchhaltung::PageControl1Change(Page newPage)
{
    page = newPage;
    if (newPage == Page::Einstellung) {
        if (TKonten.isActive()) TKonten.refresh();
        controls.skrButtonsVisible = TKonten.isActive() && TKonten.recordCount() == 0;
    } else if (newPage == Page::Konten) {
        if (TKonten2.isActive()) TKonten2.refresh();
    }
    notifyControls();
}

bool TFBuchhaltung::EBuchVonExit()
{
    if (YearSettings::normaliseDate(settings.buchVon)) return true;
    ui_.focus(QStringLiteral("EBuchVon"));
    ui_.error(QStringLiteral("'%1' ist kein gültiges Datum").arg(settings.buchVon));
    return false;
}

bool TFBuchhaltung::EBuchBisExit()
{
    if (YearSettings::normaliseDate(settings.buchBis)) {
        settings.currency = QDate(2002, 1, 1) > settings.periodEnd() ? QStringLiteral("DM") : QStringLiteral("€");
        return true;
    }
    ui_.focus(QStringLiteral("EBuchBis"));
    ui_.error(QStringLiteral("'%1' ist kein gültiges Datum").arg(settings.buchBis));
    return false;
}

void TFBuchhaltung::AccountFieldExit() { settings.trimKosten13b(); }

void TFBuchhaltung::colorPanelDblClick(int &color)
{
    if (auto c = ui_.chooseColor(color)) color = *c;
}

void TFBuchhaltung::leaveSettingsField()
{
    const QString f = settingsFocus;
    if (f == QLatin1String("EBuchVon") && !EBuchVonExit()) throw SilentAbort();
    if (f == QLatin1String("EBuchBis") && !EBuchBisExit()) throw SilentAbort();
    if (f == QLatin1String("Vorsteuer") || f == QLatin1String("KontoMwst") || f == QLatin1String("SkontoErh") ||
        f == QLatin1String("SkontoGew") || f == QLatin1String("Kosten13b"))
        AccountFieldExit();
}

void TFBuchhaltung::BeginDataOperation()
{
    const bool browse = (!TBuchungen.isActive() || TBuchungen.isBrowse()) &&
                        (!TKonten2.isActive() || TKonten2.isBrowse());
    if (!browse) {
        ui_.error(QStringLiteral("Bitte erst Dateneingabe beenden!"));
        throw SilentAbort();
    }
    busy_ = true;
    TBuchungen.disableControls();
    TKonten2.disableControls();
    setStatus(3, QString());
    ui_.processEvents();
    ui_.progress(0);
    ui_.progressVisible(true);
}

void TFBuchhaltung::EndDataOperation()
{
    ui_.progressVisible(false);
    busy_ = false;
    TBuchungen.enableControls();
    TKonten2.enableControls();
    if (TBuchungen.isActive()) TBuchungen.refresh();
    if (TKonten2.isActive()) TKonten2.refresh();
}

void TFBuchhaltung::CheckDataOperation()
{
    if (busy_) {
        ui_.error(QStringLiteral("Datenvorgang läuft!"));
        throw SilentAbort();
    }
}
