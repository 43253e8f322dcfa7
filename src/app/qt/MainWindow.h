#pragma once
// The main window TFBuchhaltung on Qt widgets: shows the state of the rules object and
// forwards its events to it.

#include "app/UBuchhaltung.h"
#include "ui/qt/QtUi.h"

#include <QMainWindow>
#include <memory>

class QTabWidget;
class QLabel;
class QProgressBar;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(const QString &programFolder);
    ~MainWindow() override;
    // Runs the start-up; false when the program must end.
    bool create();
    TFBuchhaltung &core() { return *core_; }

protected:
    void closeEvent(QCloseEvent *e) override;

private:
    void buildStatusBar();
    void syncControls();
    QtUi ui_;
    std::unique_ptr<TFBuchhaltung> core_;
    QTabWidget *pages_ = nullptr;
    QLabel *panels_[4] = {};
    QProgressBar *gauge_ = nullptr;
};
