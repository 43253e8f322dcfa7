#include "Shell.h"

#include "books/IniFile.h"
#include "invoicebook/RechnungsbuchStore.h"
#include "openitems/OpenItemsInterface.h"
#include "accounts/KontenRules.h"
#include "posting/BuchungRules.h"
#include "posting/StornoRules.h"
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

Shell::Shell(Ui &ui, const QString &programFolder) : ui_(ui), books_(ui, programFolder)
{
    for (size_t i = 0; i < std::size(kGrid1); ++i)
        window.grid1Widths[QString::fromLatin1(kGrid1[i])] = kGrid1Width[i];
    for (size_t i = 0; i < std::size(kGrid2); ++i)
        window.grid2Widths[QString::fromLatin1(kGrid2[i])] = kGrid2Width[i];
    books_.listener = [this](BooksEvent e) { onBooksEvent(e); };
    entry_ = std::make_unique<BuchungRules>(books_);
    chart_ = std::make_unique<KontenRules>(books_);
    entry_->closeReversalDialog = [this] {
        if (journalDialog_ && journalDialog_->visible()) journalDialog_->hide();
    };
}

Shell::~Shell()
{
    books_.listener = nullptr;
    books_.setOpenItems(nullptr);
    if (pluginLoader_) pluginLoader_->unload();
}

QString Shell::programSettingsPath() const
{
    return programFolder() + QStringLiteral("/LEDRA.INI");
}

void Shell::notifyControls()
{
    if (controlsChanged) controlsChanged();
}

void Shell::setStatus(int panel, const QString &text)
{
    if (panel < 0 || panel > 3) return;
    status[panel] = text;
    ui_.status(panel, text);
}

void Shell::updateYearButtons()
{
    controls.delJahrEnabled = books_.presentYearOpen();
    const QDate end = books_.settings.periodEnd();
    controls.jWechselEnabled = controls.delJahrEnabled && end.isValid() && books_.today() > end;
    controls.kSaldouebertrEnabled = !controls.delJahrEnabled;
}

void Shell::onBooksEvent(BooksEvent event)
{
    Controls &c = controls;
    const Table &batch = books_.stapel;
    switch (event) {
    case BooksEvent::YearOpened:
        setStatus(2, books_.yearFolderName());
        c.cashBasisColumns = books_.settings.istSteuer;
        updateYearButtons();
        break;
    case BooksEvent::JournalChanged: setStatus(0, books_.journalCountText()); break;
    case BooksEvent::ChartChanged:
        setStatus(1, books_.accountCountText());
        c.skrButtonsVisible = books_.konten.isActive() && books_.konten.isEmpty();
        break;
    case BooksEvent::BatchStateChanged:
        c.neuEnabled = batch.isBrowse();
        c.splittingEnabled = !c.neuEnabled;
        if (batch.isActive() && !batch.isEmpty() && c.neuEnabled) {
            c.bSpeichernEnabled = c.sbDruckEnabled = c.favAddEnabled = true;
            c.favDelEnabled = false;
        } else {
            c.bSpeichernEnabled = c.sbDruckEnabled = false;
            if (!status[3].isEmpty()) setStatus(3, QString());
            c.favDelEnabled = false;
        }
        break;
    case BooksEvent::TransferDone:
        setStatus(3, QStringLiteral("OK"));
        c.bSpeichernEnabled = c.sbDruckEnabled = false;
        break;
    case BooksEvent::TemplatesChanged: break;
    case BooksEvent::TemplatePicked:
        c.favAddEnabled = false;
        c.favDelEnabled = true;
        break;
    case BooksEvent::BatchPrintStarted: c.sbDruckEnabled = false; break;
    case BooksEvent::BatchPrintFinished: c.sbDruckEnabled = true; break;
    case BooksEvent::YearChangeFinished:
        c.jWechselEnabled = false;
        setStatus(0, books_.journalCountText());
        break;
    case BooksEvent::OldYearToggled:
        altBuchCaption = books_.presentYearOpen() ? QStringLiteral("Alte Buchungsdaten")
                                                  : QStringLiteral("Aktuelle Buchungsdaten");
        if (resetFilterOrder) resetFilterOrder();
        setStatus(0, books_.journalCountText());
        setStatus(1, books_.accountCountText());
        break;
    case BooksEvent::CashBasisChanged: c.cashBasisColumns = books_.settings.istSteuer; break;
    case BooksEvent::DataOperationStarted: setStatus(3, QString()); break;
    }
    notifyControls();
}

bool Shell::start(const QRect &screen, QDate today)
{
    auto prog = openProgramSettings(programSettingsPath());
    if (prog->damaged())
        ui_.warning(QStringLiteral("Die Einstellungsdatei %1 ist beschädigt. Es werden Standardwerte verwendet.")
                        .arg(QDir::toNativeSeparators(prog->path())));

    // Help pages: a folder of HTML pages named after the program, one page per context.
    helpFolder = programFolder() + QStringLiteral("/ledra-hilfe");
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
    books_.folders = FolderSettings::read(*prog, programFolder());
    if (!dataFolderOverride.isEmpty()) books_.folders.baseDataFolder = QDir::fromNativeSeparators(dataFolderOverride);
    books_.folders.baseDataFolder = QDir::cleanPath(books_.folders.baseDataFolder);
    prog.reset();

    try {
        bindMerva();
        books_.open(today);
    } catch (const SilentAbort &) {
        return false;
    } catch (const EngineError &e) {
        ui_.error(e.message() + QStringLiteral("\rProgramm wird beendet!"));
        return false;
    } catch (const std::exception &e) {
        ui_.error(QString::fromUtf8(e.what()) + QStringLiteral("\rProgramm wird beendet!"));
        return false;
    }

    loadPlugin();
    notifyControls();
    return true;
}

void Shell::bindMerva()
{
    merva = MervaLink();
    merva.folder = QFileInfo(programFolder()).absolutePath() + QStringLiteral("/MERVA/");
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
    rechDaten_ = std::make_unique<RechnungsbuchStore>();
    rechDaten_->MitProtokoll = merva.client > 0;
    rechDaten_->open(merva.dataFolder);
}

void Shell::loadPlugin()
{
    controls.bopVisible = false;
    const QString file = programFolder() + QStringLiteral("/klaro.so");
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
    books_.setOpenItems(m);
    controls.bopVisible = true;
    m->create(nullptr);
    m->FormInit(books_.folders.baseDataFolder, QStringLiteral("€"));
    m->setCustomerFolder(merva.dataFolder);
}

StornoRules &Shell::reversalDialog()
{
    if (!journalDialog_) journalDialog_ = std::make_unique<StornoRules>(books_, *entry_);
    return *journalDialog_;
}

void Shell::setOpenItemsForTest(OpenItemsModule *m)
{
    books_.setOpenItems(m);
    controls.bopVisible = m != nullptr;
    notifyControls();
}

bool Shell::close(bool interactive)
{
    if (!books_.stapel.isActive()) return true;
    if (books_.stapel.isEditing()) {
        ui_.alert(QStringLiteral("Bitte noch die Buchung speichern!\r(Das Häkchen klicken)"));
        return false;
    }
    if (interactive && !books_.stapel.isEmpty() &&
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
        books_.saveYearSettings(books_.currentDataFolder());
    } catch (const std::exception &e) {
        ui_.error(QString::fromUtf8(e.what()));
    }
    if (controls.bopVisible) {
        controls.bopVisible = false;
        books_.setOpenItems(nullptr);
        if (pluginLoader_) pluginLoader_->unload();
        pluginLoader_.reset();
    }
    books_.close();
    return true;
}

bool Shell::mayLeavePage()
{
    bool allowed = true;
    switch (books_.page) {
    case Page::Buchen: allowed = !books_.stapel.isActive() || books_.stapel.isBrowse(); break;
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
        if (books_.kontenGrid.isEditing()) {
            try {
                books_.kontenGrid.post();
            } catch (const SilentAbort &) {
                allowed = false;
            } catch (const EngineError &e) {
                ui_.error(e.message());
                allowed = false;
            }
        }
        allowed = allowed && (!books_.kontenGrid.isActive() || books_.kontenGrid.isBrowse());
        break;
    }
    if (!allowed) ui_.info(QStringLiteral("Bitte erst die Dateneingabe beenden."));
    return allowed;
}

void Shell::pageChanged(Page newPage)
{
    books_.page = newPage;
    if (newPage == Page::Einstellung) {
        if (books_.konten.isActive()) books_.konten.refresh();
        controls.skrButtonsVisible = books_.konten.isActive() && books_.konten.recordCount() == 0;
    } else if (newPage == Page::Konten) {
        if (books_.kontenGrid.isActive()) books_.kontenGrid.refresh();
    }
    notifyControls();
}

bool Shell::leavePeriodStart()
{
    if (YearSettings::normaliseDate(books_.settings.buchVon)) return true;
    ui_.focus(QStringLiteral("EBuchVon"));
    ui_.error(QStringLiteral("'%1' ist kein gültiges Datum").arg(books_.settings.buchVon));
    return false;
}

bool Shell::leavePeriodEnd()
{
    if (YearSettings::normaliseDate(books_.settings.buchBis)) {
        books_.settings.currency = QDate(2002, 1, 1) > books_.settings.periodEnd() ? QStringLiteral("DM") : QStringLiteral("€");
        return true;
    }
    ui_.focus(QStringLiteral("EBuchBis"));
    ui_.error(QStringLiteral("'%1' ist kein gültiges Datum").arg(books_.settings.buchBis));
    return false;
}

void Shell::leaveAccountField() { books_.settings.trimKosten13b(); }

void Shell::pickColor(int &color)
{
    if (auto c = ui_.chooseColor(color)) color = *c;
}

void Shell::leaveSettingsField()
{
    const QString f = settingsFocus;
    if (f == QLatin1String("EBuchVon") && !leavePeriodStart()) throw SilentAbort();
    if (f == QLatin1String("EBuchBis") && !leavePeriodEnd()) throw SilentAbort();
    if (f == QLatin1String("Vorsteuer") || f == QLatin1String("KontoMwst") || f == QLatin1String("SkontoErh") ||
        f == QLatin1String("SkontoGew") || f == QLatin1String("Kosten13b"))
        leaveAccountField();
}

