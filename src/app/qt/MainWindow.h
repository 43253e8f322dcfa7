#pragma once
// The main window Shell on Qt widgets: shows the state of the rules object and
// forwards its events to it. The pages live in their own classes; this window holds the page
// control, the top bar of the page "Buchen", the pop-up menus, the status bar, the Enter key
// handling and the window state kept in the program settings file.

#include "app/Shell.h"

#include <QMainWindow>
#include <functional>
#include <memory>
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QTableView;
class QToolButton;

namespace ledra {

class BuchenPage;
class DbNavigator;
class EingrenzungDialog;
class EinstellungPage;
class HelpHook;
class HelpWindow;
class ReversalDialog;
class KontenPage;
class MainMenuBar;
class PageControl;
class QtReportViewer;
class ReportLaunchers;
class QtUi;
class TableModel;
class WindowUi;

namespace reports {
class ReportViewer;
class EingrenzungRules;
struct ReportContext;
} // namespace reports

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(const QString &programFolder);
    // Messages and questions go to `ui` (a scripted double in tests) instead of message boxes;
    // focus, status bar and progress gauge stay the window's own.
    MainWindow(const QString &programFolder, Ui &ui);
    ~MainWindow() override;

    // Runs the start-up; false when the program must end.
    bool create();
    Shell &core() { return *m_core; }
    Ui &ui();

    PageControl *pageControl() const { return m_pages; }
    BuchenPage *buchenPage() const { return m_buchen; }
    KontenPage *kontenPage() const { return m_konten; }
    EinstellungPage *einstellungPage() const { return m_einstellung; }

    // Top bar of the page "Buchen".
    DbNavigator *DBNavigator2() const { return m_navigator2; }
    QToolButton *BSpeichern() const { return m_bSpeichern; }
    QToolButton *SBDruck() const { return m_sbDruck; }
    QToolButton *BOP() const { return m_bOP; }
    QToolButton *SBEnde() const { return m_sbEnde; }

    QLabel *statusPanel(int i) const { return (i >= 0 && i < 4) ? m_panels[i] : nullptr; }
    QProgressBar *progressBar() const { return m_gauge; }
    // "Abbrechen" beside the gauge, shown while the work under way may be stopped.
    QPushButton *progressCancel() const { return m_cancel; }

    struct EntryMenuItems {
        QMenu *menu = nullptr;
        QAction *Neu = nullptr, *Speichern = nullptr, *Splitting = nullptr, *OffenePosten = nullptr,
                *Storno = nullptr, *Favorithinzufuegen = nullptr, *Favoritloeschen = nullptr,
                *Beenden = nullptr;
    };
    struct AccountsMenuItems {
        QMenu *menu = nullptr;
        QAction *Salden = nullptr, *Kontenblatt = nullptr, *Journal = nullptr, *MUstVM = nullptr;
        QMenu *Saldenlisten = nullptr;
        QAction *MSalden = nullptr, *MSalden2 = nullptr, *GuV = nullptr, *BWA = nullptr,
                *Bilanz = nullptr;
    };
    const EntryMenuItems &entryMenu() const { return m_popup1; }
    const AccountsMenuItems &accountsMenu() const { return m_popup2; }

    // The reversal dialog once "S&torno" has opened it, else null.
    ReversalDialog *journalDialog() const { return m_journalDialog; }
    void showReversalDialog();
    // The button "BOP" and the menu item "&Offene Posten" (F8).
    void openOffenePosten();

    // What the report launchers work with; valid once create() has succeeded. Another
    // launcher is wired with one line: connect its control to launchReport(&itsClick).
    reports::ReportContext &reportContext();
    EingrenzungDialog *filterDialog() const;
    // Runs a launcher inside the event boundary.
    void launchReport(const std::function<void(reports::ReportContext &)> &launcher);
    // Reports go to `viewer` instead of the print preview (null: the preview again).
    void setReportViewer(reports::ReportViewer *viewer);

    // Shows the topic of a help context (0: the manual's contents) through the help hook.
    void showHelp(int context);
    // The help of `context`; without one, the help of the page shown when `window` is this.
    void showHelpIn(int context, QWidget *window);
    // The manual's window once help was asked for.
    HelpWindow *helpWindow() const;
    // F1: the help of the focused control, else of the page shown.
    void showFocusedHelp();
    MainMenuBar *mainMenu() const { return m_menuBar; }

    // The rules ask for controls by name.
    void focusControl(const QString &name);
    void setStatusText(int panel, const QString &text);
    void setProgressVisible(bool visible);
    void setProgress(int percent);
    // While offered, the button and Esc anywhere in the program ask the work to stop.
    void setCancelOffered(bool offered);
    bool cancelRequested() const { return m_cancelOffered && m_cancelRequested; }

protected:
    void closeEvent(QCloseEvent *e) override;
    void contextMenuEvent(QContextMenuEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    MainWindow(const QString &programFolder, Ui *external);
    void buildPages();
    QWidget *buildBuchenTopBar(QWidget *page);
    void buildMenus(QWidget *buchenPage);
    void buildStatusBar();
    void syncControls();
    void transferBatch();
    void reloadGrids();
    bool pageChanging();
    void pageChanged(int index);
    void applySkin();
    void showAbout();
    void createReports();
    void connectReports();
    void setReportControlEnabled(const QString &control, bool enabled);

    std::unique_ptr<QtUi> m_qtUi;
    std::unique_ptr<WindowUi> m_ui;
    std::unique_ptr<Shell> m_core;

    PageControl *m_pages = nullptr;
    QWidget *m_buchenTab = nullptr;
    BuchenPage *m_buchen = nullptr;
    KontenPage *m_konten = nullptr;
    EinstellungPage *m_einstellung = nullptr;
    DbNavigator *m_navigator2 = nullptr;
    QToolButton *m_bSpeichern = nullptr, *m_sbDruck = nullptr, *m_bOP = nullptr,
                *m_sbEnde = nullptr;
    EntryMenuItems m_popup1;
    AccountsMenuItems m_popup2;
    MainMenuBar *m_menuBar = nullptr;
    QLabel *m_panels[4] = {};
    QProgressBar *m_gauge = nullptr;
    QPushButton *m_cancel = nullptr;
    std::unique_ptr<QObject> m_cancelKey; // takes Esc while the cancel is offered
    bool m_cancelOffered = false, m_cancelRequested = false;
    QStringList m_shownBookingTexts;
    ReversalDialog *m_journalDialog = nullptr;
    // The manual's window and the hook that routes and logs every help request.
    void createHelpHook();
    std::unique_ptr<HelpWindow> m_helpWindow;
    std::unique_ptr<HelpHook> m_helpHook;

    std::unique_ptr<ReportLaunchers> m_reports;
    reports::ReportViewer *m_pendingViewer = nullptr;
};

// Column widths of a grid by the field name of each column, as the program settings keep them.
void applyColumnWidths(QTableView *view, const TableModel *model, const QMap<QString, int> &widths);
void storeColumnWidths(const QTableView *view, const TableModel *model, QMap<QString, int> &widths);

} // namespace ledra
