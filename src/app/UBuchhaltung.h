#pragma once
// The main window's rules without its widgets: the tables of the open fiscal year, the
// settings, start-up and close, page switching, the data folder routines and the bulk data
// operation guard. The Qt window (app/qt) shows this state and forwards its events here;
// the command line runs the same object without a window.

#include "Settings.h"
#include "store/Table.h"

#include <QMap>
#include <QRect>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class Ui;
class IniFile;
class BookingEntry;
class ChartOfAccounts;
class TFJournal;
class TFRechDaten;
class OpenItemsModule;
class QLibrary;
class QPluginLoader;

// What the shell knows of the sibling invoicing program.
struct MervaLink {
    QString folder;        // <parent of program folder>/MERVA/
    bool installed = false;
    QString dataFolder;    // Options/Daten
    QString skin;          // Options/Skin
    QString skinFolder;    // <MERVA>/Skins
    bool skinActive = false;
    int client = 0;        // Options/Client
    static QString moduleFileName(); // the invoice-book module file that marks an installation
};

class TFBuchhaltung {
public:
    enum class Page { Buchen, Konten, Einstellung };

    TFBuchhaltung(Ui &ui, const QString &programFolder);
    ~TFBuchhaltung();

    // --- tables (open for the whole run) ---
    Table TKontoArt, TFavoriten, TBuchungen, TBWA, TBilanz, TKonten, TKonten2, TJournal;
    YearSettings settings;
    FolderSettings folders;
    MervaLink merva;
    int oldYearFloor = 0;

    // --- window state kept in the program settings file ---
    struct WindowState {
        QRect geometry{40, 30, 1000, 700};
        bool cbOPDatum = false;
        QMap<QString, int> grid1Widths, grid2Widths; // field name -> width
    } window;
    QStringList bookingTexts; // drop-down of the booking-text field

    // --- controls whose visibility and enablement the rules decide ---
    struct Controls {
        bool bopVisible = false;          // BOP, OffenePosten1, gbSkonto
        bool cashBasisColumns = false;    // Stfaellig and Satzfaellig in the batch grid
        bool delJahrEnabled = false;
        bool jWechselEnabled = false;
        bool kSaldouebertrEnabled = false;
        bool skrButtonsVisible = false;
        bool bSpeichernEnabled = false;
        bool sbDruckEnabled = false;
        bool favAddEnabled = false;
        bool favDelEnabled = false;
        bool neuEnabled = true;          // "&Neu"; "S&torno", "B&uchungen speichern", "&Beenden" follow
        bool splittingEnabled = false;   // "&Splitting": only while a row is entered
    } controls;
    std::function<void()> controlsChanged; // the window re-reads `controls`
    QString status[4];

    QString helpFolder;
    bool helpAvailable = false;
    Page page = Page::Buchen;
    QString settingsFocus; // the settings field that has the focus, if any

    // --- start and close ---
    // Runs the whole start-up; false when the program must end (the message was shown).
    bool FormCreate(const QRect &screen = QRect(), QDate today = QDate::currentDate());
    // True when the window may close (every close step done). Without a window (the
    // command line) the batch question and the window geometry are skipped.
    bool FormClose(bool interactive = true);
    // Set before FormCreate: a data folder given on the command line replaces Pfad/1, and
    // the command line has no help pages to warn about.
    QString dataFolderOverride;
    bool checkHelp = true;

    // --- pages ---
    bool PageControl1Changing();
    void PageControl1Change(Page newPage);

    // --- data folders ---
    bool OpenTableInFolder(Table &t, const QString &folder);
    bool OpenDataFolder(const QString &folder, QDate today = QDate::currentDate());
    QString baseDataFolder() const { return folders.baseDataFolder; }
    QString currentDataFolder() const { return TJournal.folder(); }
    // <base>/<prefix><last two characters of year>
    QString yearFolder(const QString &year) const;
    void LoadYearSettings(const QString &folder, QDate today = QDate::currentDate());
    void SaveYearSettings(const QString &folder);
    int AutoNumberCounter(int newValue) { return autoNumberCounter(baseDataFolder(), newValue); }

    // --- settings page fields ---
    bool EBuchVonExit();
    bool EBuchBisExit();
    void AccountFieldExit(); // Vorsteuer, KontoMwst, SkontoErh, SkontoGew, Kosten13b
    void MwstSatzChange(const QString &digits) { settings.setMwstSatz(digits); }
    void colorPanelDblClick(int &color);
    // Runs the exit check of the focused settings field; throws SilentAbort when it fails.
    void leaveSettingsField();

    // --- bulk data operation guard ---
    void BeginDataOperation();
    void EndDataOperation();
    void CheckDataOperation();
    bool dataOperationRunning() const { return busy_; }

    // Status bar helpers.
    void setStatus(int panel, const QString &text);
    void showJournalCount();
    void showAccountCount();

    // Open-items plug-in while loaded.
    OpenItemsModule *openItems() const { return controls.bopVisible ? openItems_ : nullptr; }
    void setOpenItemsForTest(OpenItemsModule *m);

    // The page "Buchen": entry, validation, balances and transfer.
    BookingEntry &entry() { return *entry_; }
    // The page "Konten": rules of the accounts grid, search, standard charts.
    ChartOfAccounts &chart() { return *chart_; }
    // The invoicing program's tables while it is installed, else null.
    TFRechDaten *rechDaten() const { return rechDaten_.get(); }
    // The reversal dialog: created at its first use and kept.
    TFJournal &reversalDialog();
    // Caption of the button "AltBuch" and the hook that resets the filter dialog's order.
    QString altBuchCaption = QStringLiteral("Alte Buchungsdaten");
    std::function<void()> resetFilterOrder;

    Ui &ui() { return ui_; }
    const QString &programFolder() const { return programFolder_; }
    QString programSettingsPath() const;
    void notifyControls();
    void updateYearButtons(QDate today = QDate::currentDate());

private:
    void setupLookups();
    void openTables(QDate today);
    void bindMerva();
    void loadPlugin();
    void ensureOpenItemTables();

    Ui &ui_;
    QString programFolder_;
    bool busy_ = false;
    OpenItemsModule *openItems_ = nullptr;
    std::unique_ptr<QPluginLoader> pluginLoader_;
    std::unique_ptr<QLibrary> mervaModule_;
    std::unique_ptr<BookingEntry> entry_;
    std::unique_ptr<ChartOfAccounts> chart_;
    std::unique_ptr<TFJournal> journalDialog_;
    std::unique_ptr<TFRechDaten> rechDaten_;
};
