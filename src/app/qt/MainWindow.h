#pragma once
// The main window Shell on Qt widgets: shows the state of the rules object and
// forwards its events to it. The pages live in their own classes; this window holds the page
// control, the top bar of the page "Buchen", the pop-up menus, the status bar, the Enter key
// handling and the window state kept in the program settings file.

#include "app/Shell.h"

#include <QMainWindow>
#include <functional>
#include <memory>

class BuchenPage;
class DbNavigator;
class EingrenzungDialog;
class EinstellungPage;
class ReversalDialog;
class KontenPage;
class PageControl;
class QtReportViewer;
class QtUi;
class QTextBrowser;
class QLabel;
class QMenu;
class QProgressBar;
class QTableView;
class QToolButton;
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
    Shell &core() { return *core_; }
    Ui &ui();

    PageControl *pageControl() const { return pages_; }
    BuchenPage *buchenPage() const { return buchen_; }
    KontenPage *kontenPage() const { return konten_; }
    EinstellungPage *einstellungPage() const { return einstellung_; }

    // Top bar of the page "Buchen".
    DbNavigator *DBNavigator2() const { return navigator2_; }
    QToolButton *BSpeichern() const { return bSpeichern_; }
    QToolButton *SBDruck() const { return sbDruck_; }
    QToolButton *BOP() const { return bOP_; }
    QToolButton *SBEnde() const { return sbEnde_; }

    QLabel *statusPanel(int i) const { return (i >= 0 && i < 4) ? panels_[i] : nullptr; }
    QProgressBar *progressBar() const { return gauge_; }

    struct EntryMenuItems {
        QMenu *menu = nullptr;
        QAction *Neu = nullptr, *Speichern = nullptr, *Splitting = nullptr,
                *OffenePosten = nullptr, *Storno = nullptr, *Favorithinzufuegen = nullptr,
                *Favoritloeschen = nullptr, *Beenden = nullptr;
    };
    struct AccountsMenuItems {
        QMenu *menu = nullptr;
        QAction *Salden = nullptr, *Kontenblatt = nullptr, *Journal = nullptr, *MUstVM = nullptr;
        QMenu *Saldenlisten = nullptr;
        QAction *MSalden = nullptr, *MSalden2 = nullptr, *GuV = nullptr, *BWA = nullptr,
                *Bilanz = nullptr;
    };
    const EntryMenuItems &entryMenu() const { return popup1_; }
    const AccountsMenuItems &accountsMenu() const { return popup2_; }

    // The reversal dialog once "S&torno" has opened it, else null.
    ReversalDialog *journalDialog() const { return journalDialog_; }
    void showReversalDialog();

    // What the report launchers work with; valid once create() has succeeded. Another
    // launcher is wired with one line: connect its control to launchReport(&itsClick).
    reports::ReportContext &reportContext() { return *reportContext_; }
    EingrenzungDialog *filterDialog() const { return filterDialog_; }
    // Runs a launcher inside the event boundary.
    void launchReport(const std::function<void(reports::ReportContext &)> &launcher);
    // Reports go to `viewer` instead of the print preview (null: the preview again).
    void setReportViewer(reports::ReportViewer *viewer);

    // Shows the help page of a help context (the start page when it has none).
    void showHelp(int context);

    // The rules ask for controls by name.
    void focusControl(const QString &name);
    void setStatusText(int panel, const QString &text);
    void setProgressVisible(bool visible);
    void setProgress(int percent);

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
    void buildReportContext();
    void setReportControlEnabled(const QString &control, bool enabled);

    std::unique_ptr<QtUi> qtUi_;
    std::unique_ptr<WindowUi> ui_;
    std::unique_ptr<Shell> core_;

    PageControl *pages_ = nullptr;
    QWidget *buchenTab_ = nullptr;
    BuchenPage *buchen_ = nullptr;
    KontenPage *konten_ = nullptr;
    EinstellungPage *einstellung_ = nullptr;
    DbNavigator *navigator2_ = nullptr;
    QToolButton *bSpeichern_ = nullptr, *sbDruck_ = nullptr, *bOP_ = nullptr, *sbEnde_ = nullptr;
    EntryMenuItems popup1_;
    AccountsMenuItems popup2_;
    QLabel *panels_[4] = {};
    QProgressBar *gauge_ = nullptr;
    QStringList shownBookingTexts_;
    ReversalDialog *journalDialog_ = nullptr;
    QTextBrowser *helpViewer_ = nullptr;

    std::unique_ptr<reports::EingrenzungRules> filter_;
    EingrenzungDialog *filterDialog_ = nullptr;
    std::unique_ptr<QtReportViewer> previewViewer_;
    reports::ReportViewer *viewer_ = nullptr;
    std::unique_ptr<reports::ReportContext> reportContext_;
};

// Column widths of a grid by the field name of each column, as the program settings keep them.
void applyColumnWidths(QTableView *view, const TableModel *model, const QMap<QString, int> &widths);
void storeColumnWidths(const QTableView *view, const TableModel *model, QMap<QString, int> &widths);
