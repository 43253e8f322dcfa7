#pragma once
// The program around the books: the window state kept in the program settings file, the
// status texts and control states (both derived in one place from the books' events), the
// loading of the open-items plug-in and of the sibling invoicing program, the help folder,
// and the rules objects of the pages. Widget-free: the Qt window shows this state and
// forwards its events; the command line uses the same start-up and close.

#include "books/BooksSession.h"
#include "diagnostics/ModuleFacts.h"

#include <QMap>
#include <QRect>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
class QLibrary;
class QPluginLoader;

namespace ledra {

class Ui;
class BuchungRules;
class KontenRules;
class StornoRules;
class RechnungsbuchStore;
class OffenePostenModule;

// What the shell knows of the sibling invoicing program.
struct MervaLink {
    QString folder; // <parent of program folder>/MERVA/
    bool installed = false;
    QString dataFolder; // Options/Daten
    QString skin;       // Options/Skin
    QString skinFolder; // <MERVA>/Skins
    bool skinActive = false;
    int client = 0;                  // Options/Client
    static QString moduleFileName(); // the invoice-book module file that marks an installation
};

// The folders a command line names, for the window and for ledra-cli alike: "--data ORDNER"
// (the base data folder instead of the one in the program settings, which stay as they are)
// and "--merva ORDNER" (the invoicing program's folder).
struct FolderOptions {
    QString data;
    bool dataGiven = false;
    QString merva;
    // Takes both options with their values out of `args`; the other arguments keep their order.
    static FolderOptions take(QStringList &args);
};

class Shell {
public:
    using Page = BooksSession::Page;

    Shell(Ui &ui, const QString &programFolder);
    ~Shell();
    Shell(const Shell &) = delete;
    Shell &operator=(const Shell &) = delete;

    BooksSession &books() { return m_books; }
    const BooksSession &books() const { return m_books; }
    MervaLink merva;

    // --- window state kept in the program settings file ---
    struct WindowState {
        QRect geometry{40, 30, 1000, 700};
        bool cbOPDatum = false;
        QMap<QString, int> grid1Widths, grid2Widths; // field name -> width
    } window;

    // --- controls whose visibility and enablement follow the books ---
    struct Controls {
        bool bopVisible = false;       // BOP, OffenePosten, gbSkonto
        bool cashBasisColumns = false; // Stfaellig and Satzfaellig in the batch grid
        bool delJahrEnabled = false;
        bool jWechselEnabled = false;
        bool kSaldouebertrEnabled = false;
        bool skrButtonsVisible = false;
        bool bSpeichernEnabled = false;
        bool sbDruckEnabled = false;
        bool favAddEnabled = false;
        bool favDelEnabled = false;
        bool neuEnabled = true; // "&Neu"; "S&torno", "B&uchungen speichern", "&Beenden" follow
        bool splittingEnabled = false; // "&Splitting": only while a row is entered
        // The payment target "&Zahlungsziel" of the current batch row: typed only for a row
        // that opens an open item.
        bool opDatumEnabled = false;
    } controls;
    std::function<void()> controlsChanged; // the window re-reads `controls`
    // The status bar: journal count, account count, year folder, result of the last action.
    QString status[4];
    // caption of the button "AltBuch" and the hook that resets the filter dialog's order.
    QString altBuchCaption = QStringLiteral("Alte Buchungsdaten");
    std::function<void()> resetFilterOrder;

    QString helpFolder;
    bool helpAvailable = false;
    QString settingsFocus; // the settings field that has the focus, if any

    // --- start and close ---
    // Runs the whole start-up; false when the program must end (the message was shown).
    bool start(const QRect &screen = QRect(), QDate today = QDate::currentDate());
    // True when the window may close (every close step done). Without a window (the
    // command line) the batch question and the window geometry are skipped.
    bool close(bool interactive = true);
    // False when the last close could not save the year settings (its message was shown).
    bool yearSettingsSaved() const { return m_yearSettingsSaved; }
    // Set before start: a data folder given on the command line replaces Pfad/1, and
    // the command line has no help pages to warn about.
    QString dataFolderOverride;
    // Set before start: the invoicing program's folder instead of <parent>/MERVA/.
    QString mervaFolderOverride;
    // Sets both overrides from the command line's options; false after an error message when
    // "--data" names no folder (an empty value or a file), so that nothing is opened, let
    // alone booked into the folder of the program settings by mistake.
    bool useFolderOptions(const FolderOptions &options);
    bool checkHelp = true;

    // A chart without accounts cannot be booked on: the window's start says so and offers
    // both standard charts at once (they stay on the settings page for later). True when one
    // was loaded.
    bool offerStandardChart();

    // --- pages ---
    bool mayLeavePage();
    void pageChanged(Page newPage);

    // --- settings page fields ---
    bool leavePeriodStart();
    bool leavePeriodEnd();
    void leaveAccountField(); // Vorsteuer, KontoMwst, SkontoErh, SkontoGew, Kosten13b
    void setMwstSatz(const QString &digits) { m_books.settings.setMwstSatz(digits); }
    void pickColor(int &color);
    // Runs the exit check of the focused settings field; throws SilentAbort when it fails.
    void leaveSettingsField();

    // Open-items plug-in while loaded.
    OffenePostenModule *openItems() const { return m_books.openItems(); }
    void setOpenItemsForTest(OffenePostenModule *m);

    // The page "Buchen": entry, validation, balances and transfer.
    BuchungRules &entry() { return *m_entry; }
    // The page "Konten": rules of the accounts grid, search, standard charts.
    KontenRules &chart() { return *m_chart; }
    // The invoicing program's tables while it is installed, else null.
    RechnungsbuchStore *rechDaten() const { return m_rechDaten.get(); }
    // The reversal dialog: created at its first use and kept.
    StornoRules &reversalDialog();

    Ui &ui() { return m_ui; }
    const QString &programFolder() const { return m_books.programFolder(); }
    QString programSettingsPath() const;
    const InstallLayout &layout() const { return m_books.layout(); }
    void notifyControls();

private:
    // The one place where the books' events become control states and status texts.
    void onBooksEvent(BooksEvent event);
    void setStatus(int panel, const QString &text);
    void updateYearButtons();
    void updateChartButtons();
    void bindMerva();
    void loadPlugin();
    void provideBaseDataFolder(bool namedBySettings);

    Ui &m_ui;
    BooksSession m_books;
    std::unique_ptr<QPluginLoader> m_pluginLoader;
    std::unique_ptr<QLibrary> m_mervaModule;
    std::unique_ptr<BuchungRules> m_entry;
    std::unique_ptr<KontenRules> m_chart;
    std::unique_ptr<StornoRules> m_journalDialog;
    std::unique_ptr<RechnungsbuchStore> m_rechDaten;
    bool m_yearSettingsSaved = true;
};

// What the diagnostic log tells about this program (the window program or the command
// line), with the manual and the log's folder where this installation keeps them.
ModuleFacts programModuleFacts(const QString &programPath, const QStringList &arguments,
                               bool helpModuleLinked);

} // namespace ledra
