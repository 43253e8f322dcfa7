#pragma once
// "Datenexport für Finanzamt": the target folder, the instructions, Start and the progress of
// the tax-audit export. Shown without blocking the main window and kept for the next use.

#include <QDialog>

class QLineEdit;
class QProgressBar;
class QPushButton;

namespace ledra {

class Shell;

class GdpduExportDialog : public QDialog {
    Q_OBJECT
public:
    GdpduExportDialog(Shell &core, QWidget *parent);

    QLineEdit *folderEdit() const { return m_folder; }
    QPushButton *startButton() const { return m_start; }
    QProgressBar *gauge() const { return m_gauge; }
    // Runs the export into the folder of the folder field (the button "Start").
    void start();
    // Whether the finished export may show the folder: only where a desktop runs.
    static bool desktopAvailable();

private:
    void chooseFolder();
    void updateStart();

    Shell &m_core;
    QLineEdit *m_folder = nullptr;
    QPushButton *m_start = nullptr;
    QProgressBar *m_gauge = nullptr;
};

} // namespace ledra
