#include "Shell.h"

#include "accounts/Jahreswechsel.h"
#include "accounts/KontenRules.h"
#include "books/DataFolderTemplate.h"
#include "books/IniFile.h"
#include "books/Steuer.h"
#include "diagnostics/HelpTopics.h"
#include "invoicebook/RechnungsbuchStore.h"
#include "openitems/OffenePostenModule.h"
#include "posting/BuchungRules.h"
#include "posting/StornoRules.h"
#include "store/Dates.h"
#include "store/TableFile.h"
#include "ui/Ui.h"

#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QPluginLoader>
#include <type_traits>
namespace ledra {

namespace {
// A save reports its failure by throwing or, where it has a result, by returning false.
template <class Save> bool saveSucceeded(Save &&save) {
    if constexpr (std::is_void_v<std::invoke_result_t<Save>>) {
        save();
        return true;
    } else {
        return static_cast<bool>(save());
    }
}

const char *const kGrid1[] = {"KtoNr", "Name",  "XArt", "Mwst",   "Saldo",
                              "Soll",  "Haben", "xBWA", "xBilanz"};
const int kGrid1Width[] = {70, 220, 90, 60, 100, 100, 100, 180, 180};
const char *const kGrid2[] = {"Belegdatum",   "Belegnummer", "Soll",       "Haben",
                              "Buchungstext", "Brutto",      "Steuer",     "Netto",
                              "Steuersatz",   "Stfaellig",   "Satzfaellig"};
const int kGrid2Width[] = {85, 70, 60, 60, 220, 100, 90, 100, 60, 90, 70};
} // namespace

QString MervaLink::moduleFileName() {
    return QStringLiteral("librechbuch.so");
}

Shell::Shell(Ui &ui, const QString &programFolder) : m_ui(ui), m_books(ui, programFolder) {
    for (size_t i = 0; i < std::size(kGrid1); ++i)
        window.grid1Widths[QString::fromLatin1(kGrid1[i])] = kGrid1Width[i];
    for (size_t i = 0; i < std::size(kGrid2); ++i)
        window.grid2Widths[QString::fromLatin1(kGrid2[i])] = kGrid2Width[i];
    m_books.listener = [this](BooksEvent e) { onBooksEvent(e); };
    m_entry = std::make_unique<BuchungRules>(m_books);
    m_chart = std::make_unique<KontenRules>(m_books);
    m_entry->closeReversalDialog = [this] {
        if (m_journalDialog && m_journalDialog->visible())
            m_journalDialog->hide();
    };
}

Shell::~Shell() {
    m_books.listener = nullptr;
    m_books.setOpenItems(nullptr);
    if (m_pluginLoader)
        m_pluginLoader->unload();
}

QString Shell::programSettingsPath() const {
    return layout().programSettingsTemplate();
}

bool Shell::offerStandardChart() {
    if (!m_books.konten.isActive() || !m_books.konten.isEmpty())
        return false;
    const int choice = m_ui.choose(
        QStringLiteral("Der Kontenplan ist leer. Soll ein Standardkontenrahmen geladen werden?\r"
                       "(Später geht das mit den Schaltflächen „SKR 03“ und „SKR 04“ auf der "
                       "Seite Einstellung.)"),
        {QStringLiteral("SKR 03"), QStringLiteral("SKR 04"), QStringLiteral("Später")});
    if (choice == 0)
        m_chart->loadSkr03();
    else if (choice == 1)
        m_chart->loadSkr04();
    return choice == 0 || choice == 1;
}

void Shell::notifyControls() {
    if (controlsChanged)
        controlsChanged();
}

void Shell::setStatus(int panel, const QString &text) {
    if (panel < 0 || panel > 3)
        return;
    status[panel] = text;
    m_ui.status(panel, text);
}

void Shell::updateYearButtons() {
    controls.delJahrEnabled = m_books.presentYearOpen();
    const QDate end = m_books.settings.periodEnd();
    controls.jWechselEnabled = controls.delJahrEnabled && end.isValid() && m_books.today() > end;
    controls.kSaldouebertrEnabled = !controls.delJahrEnabled;
}

// The standard charts can be loaded while the chart of accounts is empty.
void Shell::updateChartButtons() {
    controls.skrButtonsVisible = m_books.konten.isActive() && m_books.konten.isEmpty();
}

void Shell::onBooksEvent(BooksEvent event) {
    Controls &c = controls;
    const Table &batch = m_books.stapel;
    switch (event) {
    case BooksEvent::YearOpened:
        setStatus(2, m_books.yearFolderName());
        c.cashBasisColumns = m_books.settings.istSteuer;
        updateYearButtons();
        break;
    case BooksEvent::JournalChanged:
        setStatus(0, m_books.journalCountText());
        break;
    case BooksEvent::ChartChanged:
        setStatus(1, m_books.accountCountText());
        updateChartButtons();
        break;
    case BooksEvent::BatchStateChanged:
        c.neuEnabled = batch.isBrowse();
        c.splittingEnabled = !c.neuEnabled;
        c.favAddEnabled = canAddTemplate(m_books);
        if (batch.isActive() && !batch.isEmpty() && c.neuEnabled) {
            c.bSpeichernEnabled = c.sbDruckEnabled = true;
            c.favDelEnabled = false;
        } else {
            c.bSpeichernEnabled = c.sbDruckEnabled = false;
            if (!status[3].isEmpty())
                setStatus(3, QString());
            c.favDelEnabled = false;
        }
        break;
    case BooksEvent::TransferDone:
        setStatus(3, QStringLiteral("OK"));
        c.bSpeichernEnabled = c.sbDruckEnabled = false;
        c.favAddEnabled = canAddTemplate(m_books);
        break;
    case BooksEvent::TemplatesChanged:
        break;
    case BooksEvent::TemplatePicked:
        c.favAddEnabled = false;
        c.favDelEnabled = true;
        break;
    case BooksEvent::BatchPrintStarted:
        c.sbDruckEnabled = false;
        break;
    case BooksEvent::BatchPrintFinished:
        c.sbDruckEnabled = true;
        break;
    case BooksEvent::YearChangeFinished:
        c.jWechselEnabled = false;
        setStatus(0, m_books.journalCountText());
        break;
    case BooksEvent::OldYearToggled:
        altBuchCaption = m_books.presentYearOpen() ? QStringLiteral("Alte Buchungsdaten")
                                                   : QStringLiteral("Aktuelle Buchungsdaten");
        if (resetFilterOrder)
            resetFilterOrder();
        setStatus(0, m_books.journalCountText());
        setStatus(1, m_books.accountCountText());
        break;
    case BooksEvent::CashBasisChanged:
        c.cashBasisColumns = m_books.settings.istSteuer;
        break;
    case BooksEvent::DataOperationStarted:
        setStatus(3, QString());
        break;
    case BooksEvent::EvaluationCancelled:
        setStatus(3, QStringLiteral("Auswertung abgebrochen."));
        break;
    case BooksEvent::OpenItemNoted:
        if (OffenePostenModule *op = m_books.openItems();
            op && batch.isActive() && !batch.isEmpty()) {
            const QString role = op->stapelRole(int(batch.asInt(QStringLiteral("Autonummer"))));
            setStatus(3, role);
            c.opDatumEnabled = role.contains(QLatin1String("erzeugt"));
        } else {
            c.opDatumEnabled = false;
        }
        break;
    }
    notifyControls();
}

bool Shell::start(const QRect &screen, QDate today) {
    auto prog = openProgramSettings(programSettingsPath(), layout().installed());
    if (prog->damaged())
        m_ui.warning(prog->problemText() +
                     QStringLiteral(" Fehlende Werte werden durch Standardwerte ersetzt; die Datei "
                                    "wird vor dem nächsten Speichern als %1 gesichert.")
                         .arg(QDir::toNativeSeparators(prog->backupPath())));

    // The manual: a folder beside the program (or in the installed data) holding the
    // compressed help file.
    helpFolder = layout().helpFolder();
    const QString helpFile = HelpTopics::helpFileIn(helpFolder);
    helpAvailable = QFileInfo(helpFile).isFile();
    if (!helpAvailable && checkHelp)
        m_ui.warning(QStringLiteral("Hilfe-Datei nicht gefunden:\r") +
                     QDir::toNativeSeparators(helpFile));

    const QString sec = QStringLiteral("FBuchhaltung");
    QRect g = window.geometry;
    g.moveLeft(prog->readInteger(sec, QStringLiteral("Left"), g.left()));
    g.moveTop(prog->readInteger(sec, QStringLiteral("Top"), g.top()));
    g.setWidth(std::max(200, prog->readInteger(sec, QStringLiteral("Width"), g.width())));
    g.setHeight(std::max(150, prog->readInteger(sec, QStringLiteral("Height"), g.height())));
    window.cbOPDatum = prog->readBool(sec, QStringLiteral("CBOPDatum"), false);
    if (screen.isValid()) {
        if (g.left() > screen.width() - g.width())
            g.moveLeft(screen.width() - g.width());
        if (g.left() < 0)
            g.moveLeft(0);
        if (g.top() > screen.height() - g.height())
            g.moveTop(screen.height() - g.height());
        if (g.top() < 0)
            g.moveTop(0);
    }
    window.geometry = g;
    for (auto it = window.grid1Widths.begin(); it != window.grid1Widths.end(); ++it)
        it.value() = prog->readInteger(QStringLiteral("DBGrid1"), it.key(), it.value());
    for (auto it = window.grid2Widths.begin(); it != window.grid2Widths.end(); ++it)
        it.value() = prog->readInteger(QStringLiteral("DBGrid2"), it.key(), it.value());
    m_books.folders = FolderSettings::read(*prog, layout().defaultBaseDataFolder());
    const bool namedBySettings = prog->hasKey(QStringLiteral("Pfad"), QStringLiteral("1"));
    if (!dataFolderOverride.isEmpty())
        m_books.folders.baseDataFolder = QDir::fromNativeSeparators(dataFolderOverride);
    m_books.folders.baseDataFolder = QDir::cleanPath(m_books.folders.baseDataFolder);
    prog.reset();

    try {
        provideBaseDataFolder(namedBySettings);
        bindMerva();
        m_books.open(today);
        // A year change the last run did not finish is settled before anything is booked:
        // the period must name the year the journal holds.
        const QString settled = settleStoppedJahreswechsel(m_books, today);
        if (!settled.isEmpty())
            m_ui.warning(settled);
    } catch (const SilentAbort &) {
        return false;
    } catch (const EngineError &e) {
        m_ui.error(e.message() + QStringLiteral("\rProgramm wird beendet!"));
        return false;
    } catch (const std::exception &e) {
        m_ui.error(QString::fromUtf8(e.what()) + QStringLiteral("\rProgramm wird beendet!"));
        return false;
    }

    loadPlugin();
    notifyControls();
    return true;
}

FolderOptions FolderOptions::take(QStringList &args) {
    FolderOptions o;
    QStringList rest;
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a == QLatin1String("--data") && i + 1 < args.size()) {
            o.data = args[++i];
            o.dataGiven = true;
        } else if (a == QLatin1String("--merva") && i + 1 < args.size()) {
            o.merva = args[++i];
        } else {
            rest << a;
        }
    }
    args = rest;
    return o;
}

bool Shell::useFolderOptions(const FolderOptions &options) {
    if (options.dataGiven && options.data.trimmed().isEmpty()) {
        m_ui.error(QStringLiteral("--data braucht einen Datenordner."));
        return false;
    }
    if (options.dataGiven && QFileInfo::exists(options.data) && !QFileInfo(options.data).isDir()) {
        m_ui.error(QStringLiteral("%1 ist kein Ordner.").arg(options.data));
        return false;
    }
    dataFolderOverride = options.data;
    mervaFolderOverride = options.merva;
    return true;
}

// An installed program makes a base data folder that does not exist yet from the shipped
// template when it is the user's default at the first start or when the user named it on
// the command line (--data): a new user has no other way to get one. A folder the settings
// name but that is missing (a detached drive, say) is not replaced by an empty one: the user
// would book into it unaware. The build folder keeps refusing a missing folder. An installed
// program remembers its per-user folder in the program settings.
void Shell::provideBaseDataFolder(bool namedBySettings) {
    if (!layout().installed())
        return;
    const QString base = m_books.folders.baseDataFolder;
    const bool named = !dataFolderOverride.isEmpty();
    const bool perUserDefault = !named && !namedBySettings;
    const bool create = !QFileInfo::exists(base) && (named || perUserDefault);
    if (create)
        createDataFolderFromTemplate(layout().templateDataFolder(), base);
    if (perUserDefault) {
        auto prog = openProgramSettings(programSettingsPath(), true);
        prog->writeString(QStringLiteral("Pfad"), QStringLiteral("1"),
                          QDir::toNativeSeparators(base));
        prog->save();
    }
    // Told after it is remembered: the message box waits for the user.
    if (create)
        m_ui.info(QStringLiteral("Der Datenordner %1 wurde aus der Vorlage angelegt.")
                      .arg(QDir::toNativeSeparators(base)));
}

void Shell::bindMerva() {
    merva = MervaLink();
    merva.folder =
        mervaFolderOverride.isEmpty()
            ? QFileInfo(programFolder()).absolutePath() + QStringLiteral("/MERVA/")
            : TableFile::withSlash(
                  QFileInfo(QDir::fromNativeSeparators(mervaFolderOverride)).absoluteFilePath());
    const QString module = merva.folder + MervaLink::moduleFileName();
    if (!QFileInfo(module).isFile())
        return;
    m_mervaModule = std::make_unique<QLibrary>(module);
    if (!m_mervaModule->load()) {
        const QString err = m_mervaModule->errorString();
        m_mervaModule.reset();
        throw std::runtime_error(
            QStringLiteral("Das Rechnungsbuch-Modul %1 kann nicht geladen werden: %2")
                .arg(QDir::toNativeSeparators(module), err)
                .toStdString());
    }
    merva.installed = true;
    // A folder named on the command line is used as it is: a per-user copy of another
    // installation's settings must not send the bookings to that installation's tables.
    IniFile ini(mervaFolderOverride.isEmpty()
                    ? programSettingsLocation(merva.folder + QStringLiteral("MERVA.INI"))
                    : merva.folder + QStringLiteral("MERVA.INI"));
    const QString O = QStringLiteral("Options");
    merva.dataFolder =
        QDir::fromNativeSeparators(ini.readString(O, QStringLiteral("Daten"), QString()));
    merva.skin = ini.readString(O, QStringLiteral("Skin"), QString());
    merva.client = ini.readInteger(O, QStringLiteral("Client"), 0);
    merva.skinFolder = merva.folder + QStringLiteral("Skins");
    merva.skinActive = QFileInfo(merva.skinFolder).isDir() && !merva.skin.isEmpty();
    m_rechDaten = std::make_unique<RechnungsbuchStore>(m_ui);
    m_rechDaten->MitProtokoll = merva.client > 0;
    m_rechDaten->open(merva.dataFolder);
    m_entry->rechDaten = m_rechDaten.get();
}

void Shell::loadPlugin() {
    controls.bopVisible = false;
    const QString file = layout().pluginFile(QStringLiteral("klaro.so"));
    if (!QFileInfo(file).isFile())
        return;
    m_pluginLoader = std::make_unique<QPluginLoader>(file);
    auto *m = qobject_cast<OffenePostenModule *>(m_pluginLoader->instance());
    if (!m) {
        // A plug-in that cannot be loaded is treated like an absent one, but said.
        m_ui.warning(QStringLiteral("Das Modul Offene Posten (%1) kann nicht geladen werden:\r%2")
                         .arg(QDir::toNativeSeparators(file), m_pluginLoader->errorString()));
        m_pluginLoader.reset();
        return;
    }
    m_books.setOpenItems(m);
    controls.bopVisible = true;
    m->create(nullptr, m_ui);
    m->init(m_books.folders.baseDataFolder, QStringLiteral("€"));
    m->setCustomerFolder(merva.dataFolder);
}

StornoRules &Shell::reversalDialog() {
    if (!m_journalDialog)
        m_journalDialog = std::make_unique<StornoRules>(m_books, *m_entry);
    return *m_journalDialog;
}

void Shell::setOpenItemsForTest(OffenePostenModule *m) {
    m_books.setOpenItems(m);
    controls.bopVisible = m != nullptr;
    notifyControls();
}

bool Shell::close(bool interactive) {
    if (!m_books.stapel.isActive())
        return true;
    if (m_books.stapel.isEditing()) {
        m_ui.alert(QStringLiteral("Bitte noch die Buchung speichern!\r(Das Häkchen klicken)"));
        return false;
    }
    if (interactive && !m_books.stapel.isEmpty() &&
        m_ui.confirm(QStringLiteral("Buchungen im Stapel lassen und beenden?  "), Btn::YesNo) !=
            Btn::Yes)
        return false;
    try {
        if (m_rechDaten) {
            m_entry->rechDaten = nullptr;
            m_rechDaten->close();
            m_rechDaten.reset();
        }
        m_mervaModule.reset();
        if (!interactive)
            throw SilentAbort();
        auto prog = openProgramSettings(programSettingsPath(), layout().installed());
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
        m_ui.error(QString::fromUtf8(e.what()));
    }
    const QString yearFolder = m_books.currentDataFolder();
    m_yearSettingsSaved = false;
    try {
        m_yearSettingsSaved = saveSucceeded([&] { return m_books.saveYearSettings(yearFolder); });
        if (!m_yearSettingsSaved)
            m_ui.error(QStringLiteral("Die Einstellungsdatei %1 kann nicht geschrieben werden.")
                           .arg(QDir::toNativeSeparators(yearSettingsPath(yearFolder))));
    } catch (const EngineError &e) {
        m_ui.error(e.message());
    } catch (const std::exception &e) {
        m_ui.error(QString::fromUtf8(e.what()));
    }
    if (controls.bopVisible) {
        controls.bopVisible = false;
        m_books.setOpenItems(nullptr);
        if (m_pluginLoader)
            m_pluginLoader->unload();
        m_pluginLoader.reset();
    }
    m_books.close();
    return true;
}

bool Shell::mayLeavePage() {
    bool allowed = true;
    switch (m_books.page) {
    case Page::Buchen:
        allowed = !m_books.stapel.isActive() || m_books.stapel.isBrowse();
        break;
    case Page::Einstellung:
        try {
            m_ui.focus(QStringLiteral("Vorsteuer"));
            leaveSettingsField();
            settingsFocus = QStringLiteral("Vorsteuer");
        } catch (...) {
            // The exit check has shown its message; the page stays.
            return false;
        }
        break;
    case Page::Konten:
        if (m_books.kontenGrid.isEditing()) {
            try {
                m_books.kontenGrid.post();
            } catch (const SilentAbort &) {
                allowed = false;
            } catch (const EngineError &e) {
                m_ui.error(e.message());
                allowed = false;
            }
        }
        allowed = allowed && (!m_books.kontenGrid.isActive() || m_books.kontenGrid.isBrowse());
        break;
    }
    if (!allowed)
        m_ui.info(QStringLiteral("Bitte erst die Dateneingabe beenden."));
    return allowed;
}

void Shell::pageChanged(Page newPage) {
    m_books.page = newPage;
    // An account search ends with the page it was typed on.
    m_entry->dropSearches();
    if (newPage == Page::Einstellung) {
        if (m_books.konten.isActive())
            m_books.konten.refresh();
        updateChartButtons();
    } else if (newPage == Page::Konten) {
        if (m_books.kontenGrid.isActive())
            m_books.kontenGrid.refresh();
    }
    notifyControls();
}

bool Shell::leavePeriodStart() {
    if (YearSettings::normaliseDate(m_books.settings.buchVon))
        return true;
    m_ui.focus(QStringLiteral("EBuchVon"));
    m_ui.error(QStringLiteral("'%1' ist kein gültiges Datum").arg(m_books.settings.buchVon));
    return false;
}

bool Shell::leavePeriodEnd() {
    if (YearSettings::normaliseDate(m_books.settings.buchBis)) {
        m_books.settings.currency = currencyTextOfPeriod(m_books.settings.periodEnd());
        return true;
    }
    m_ui.focus(QStringLiteral("EBuchBis"));
    m_ui.error(QStringLiteral("'%1' ist kein gültiges Datum").arg(m_books.settings.buchBis));
    return false;
}

void Shell::leaveAccountField() {
    m_books.settings.trimKosten13b();
}

void Shell::pickColor(int &color) {
    if (auto c = m_ui.chooseColor(color))
        color = *c;
}

void Shell::leaveSettingsField() {
    const QString f = settingsFocus;
    if (f == QLatin1String("EBuchVon") && !leavePeriodStart())
        throw SilentAbort();
    if (f == QLatin1String("EBuchBis") && !leavePeriodEnd())
        throw SilentAbort();
    if (f == QLatin1String("Vorsteuer") || f == QLatin1String("KontoMwst") ||
        f == QLatin1String("SkontoErh") || f == QLatin1String("SkontoGew") ||
        f == QLatin1String("Kosten13b"))
        leaveAccountField();
}

ModuleFacts programModuleFacts(const QString &programPath, const QStringList &arguments,
                               bool helpModuleLinked) {
    const InstallLayout layout(QFileInfo(programPath).absolutePath());
    ModuleFacts facts = ModuleFacts::gather(
        programPath, arguments, HelpTopics::helpFileIn(layout.helpFolder()), helpModuleLinked);
    facts.logHome = layout.scratchFolder();
    if (layout.installed())
        QDir().mkpath(facts.logHome);
    return facts;
}

} // namespace ledra
