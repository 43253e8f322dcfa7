#pragma once
// "Export DATEV": the booking batch for the tax adviser. Adviser and client number (kept in
// the year settings), the range (the booking period unless changed), whether the adviser
// should lock the bookings on import, the file, Start and the progress.

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace ledra {

class Shell;

class DatevExportDialog : public QDialog {
    Q_OBJECT
public:
    DatevExportDialog(Shell &core, QWidget *parent);

    QLineEdit *beraterEdit() const { return m_berater; }
    QLineEdit *mandantEdit() const { return m_mandant; }
    QLineEdit *vonEdit() const { return m_von; }
    QLineEdit *bisEdit() const { return m_bis; }
    QLineEdit *fileEdit() const { return m_file; }
    QCheckBox *festschreibenBox() const { return m_festschreiben; }
    QPushButton *startButton() const { return m_start; }
    QProgressBar *gauge() const { return m_gauge; }

    // Fills the fields from the open year (numbers from its settings, its booking period).
    void loadFromBooks();
    // Writes the batch into the file of the file field (the button "Start").
    void start();

private:
    void chooseFile();
    void updateStart();

    Shell &m_core;
    QLineEdit *m_berater = nullptr, *m_mandant = nullptr;
    QLineEdit *m_von = nullptr, *m_bis = nullptr;
    QLineEdit *m_file = nullptr;
    QCheckBox *m_festschreiben = nullptr;
    QPushButton *m_start = nullptr;
    QProgressBar *m_gauge = nullptr;
};

} // namespace ledra
