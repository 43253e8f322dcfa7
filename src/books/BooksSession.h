#pragma once
// The books of the open fiscal year: its tables, its settings, the data folders and the
// guard that keeps two bulk data operations apart. Widget-free and unaware of any window:
// the rules work on this object and the ui port, and whatever shows the books (the main
// window, the command line) listens to the events it sends.

#include "Settings.h"
#include "store/InstallLayout.h"
#include "store/Table.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
namespace ledra {

class Ui;
class DataFolderLock;
class OffenePostenModule;

// What changed in the books; the shell derives its control states and status texts from
// these and from the books' state.
enum class BooksEvent {
    YearOpened,        // a data folder (year) was opened and its settings loaded
    JournalChanged,    // rows came into or left the journal
    ChartChanged,      // accounts were added or removed
    BatchStateChanged, // the entry batch changed its state or its rows
    TransferDone,      // the batch reached the journal
    TemplatesChanged,  // the booking templates changed
    TemplatePicked,    // a template filled the entry
    BatchPrintStarted, // the batch listing is being shown
    BatchPrintFinished,
    YearChangeFinished,   // the year change ran (whatever its outcome)
    OldYearToggled,       // an old year was opened or the present one reopened
    CashBasisChanged,     // the VAT basis setting changed
    DataOperationStarted, // a bulk data operation began
    EvaluationCancelled,  // the person stopped an evaluation's preparation
    OpenItemNoted         // the current batch row's role for the open items may have changed
};

class BooksSession {
public:
    // The page the user works on; rules move the focus into the entry form only while it is
    // shown.
    enum class Page { Buchen, Konten, Einstellung };

    BooksSession(Ui &ui, const QString &programFolder);
    ~BooksSession();
    BooksSession(const BooksSession &) = delete;
    BooksSession &operator=(const BooksSession &) = delete;

    // --- tables (open for the whole run) ---
    Table kontoArten, favoriten, stapel, bwa, bilanz, konten, kontenGrid, journal;
    YearSettings settings;
    FolderSettings folders;
    // First booking number of the old year's journal rows shown while an old year is open.
    int oldYearFloor = 0;
    // The texts of the booking templates, in table order (the drop-down of the text field).
    QStringList bookingTexts;
    Page page = Page::Buchen;

    // Opens the tables in their start-up order on the base data folder, after taking the
    // folder's writer lock. Throws SilentAbort (message shown) or EngineError.
    void open(QDate today);
    // Closes the batch at the end of the run and gives the writer lock back.
    void close();
    // Reads the template texts again (after the templates changed).
    void reloadBookingTexts();

    // --- data folders ---
    bool openTableInFolder(Table &t, const QString &folder);
    bool openDataFolder(const QString &folder, QDate today = QDate::currentDate());
    QString baseDataFolder() const { return folders.baseDataFolder; }
    QString currentDataFolder() const { return journal.folder(); }
    bool presentYearOpen() const;
    // <base>/<prefix><last two characters of year>
    QString yearFolder(const QString &year) const;
    // The folder name of the open year, as the status bar and the report heads show it.
    QString yearFolderName() const;
    // The day against which the year buttons were last judged.
    QDate today() const { return m_today; }
    void loadYearSettings(const QString &folder, QDate today = QDate::currentDate());
    void saveYearSettings(const QString &folder);
    int autoNumber(int newValue) { return autoNumberCounter(baseDataFolder(), newValue); }

    // "N Buchungen" and "N Konten" as the status bar shows them.
    QString journalCountText() const;
    QString accountCountText() const;

    // --- one writer per data folder ---
    // How long the start waits for another program to let go of the base data folder, and
    // what it says meanwhile (the status bar when not set).
    int writerLockWaitMs = 5000;
    std::function<void(const QString &)> writerLockWaiting;
    bool holdsWriterLock() const;

    // --- bulk data operation guard ---
    void beginDataOperation();
    void endDataOperation();
    void checkNoDataOperation();
    bool dataOperationRunning() const { return m_busy; }

    // Open-items plug-in while loaded (set by whoever loads it), else null.
    OffenePostenModule *openItems() const { return m_openItems; }
    void setOpenItems(OffenePostenModule *m) { m_openItems = m; }

    // Tells the listener (the shell) what changed.
    void notify(BooksEvent event);
    std::function<void(BooksEvent)> listener;

    Ui &ui() { return m_ui; }
    const QString &programFolder() const { return m_programFolder; }
    // Where the program's shipped files are and where per-user files go.
    const InstallLayout &layout() const { return m_layout; }

private:
    void setupLookups();
    void ensureOpenItemTables();
    void requireAccess(const QString &folder);
    void lockBaseFolder();

    Ui &m_ui;
    QString m_programFolder;
    InstallLayout m_layout;
    QDate m_today = QDate::currentDate();
    bool m_busy = false;
    OffenePostenModule *m_openItems = nullptr;
    std::unique_ptr<DataFolderLock> m_writerLock;
    // Update-folder tables refused in this run (each is reported once).
    QStringList m_refusedUpdates;
};

} // namespace ledra
