#include "DatevExportDialog.h"

#include "GaugeFeedback.h"
#include "app/Shell.h"
#include "exports/DatevExport.h"
#include "store/Dates.h"
#include "store/EngineError.h"
#include "ui/Ui.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QStandardPaths>
#include <QToolButton>
#include <QVBoxLayout>

namespace ledra {

DatevExportDialog::DatevExportDialog(Shell &core, QWidget *parent) : QDialog(parent), m_core(core) {
    setObjectName(QStringLiteral("FDatev"));
    setProperty("helpContext", 37);
    setWindowTitle(QStringLiteral("Export DATEV – Buchungsstapel für den Steuerberater"));
    auto digits = [this](int n) {
        return new QRegularExpressionValidator(
            QRegularExpression(QStringLiteral("[0-9]{0,%1}").arg(n)), this);
    };
    m_berater = new QLineEdit(this);
    m_berater->setObjectName(QStringLiteral("EBerater"));
    m_berater->setValidator(digits(7));
    m_berater->setToolTip(QStringLiteral("vom Steuerberater, 1001 bis 9999999"));
    m_mandant = new QLineEdit(this);
    m_mandant->setObjectName(QStringLiteral("EMandant"));
    m_mandant->setValidator(digits(5));
    m_mandant->setToolTip(QStringLiteral("vom Steuerberater, 1 bis 99999"));
    m_von = new QLineEdit(this);
    m_von->setObjectName(QStringLiteral("EVon"));
    m_von->setInputMask(QStringLiteral("99.99.9999;_"));
    m_bis = new QLineEdit(this);
    m_bis->setObjectName(QStringLiteral("EBis"));
    m_bis->setInputMask(QStringLiteral("99.99.9999;_"));
    m_festschreiben = new QCheckBox(QStringLiteral("Buchungen beim Import &festschreiben"), this);
    m_festschreiben->setObjectName(QStringLiteral("CBFestschreiben"));
    m_file = new QLineEdit(this);
    m_file->setObjectName(QStringLiteral("EDatei"));
    m_file->setMinimumWidth(360);
    auto *choose = new QToolButton(this);
    choose->setText(QStringLiteral("…"));
    choose->setToolTip(QStringLiteral("Datei wählen"));
    m_gauge = new QProgressBar(this);
    m_gauge->setObjectName(QStringLiteral("sGauge1"));
    m_gauge->setFormat(QStringLiteral("%p%"));
    m_gauge->setValue(0);
    m_start = new QPushButton(QStringLiteral("&Start"), this);
    m_start->setObjectName(QStringLiteral("BStart"));
    m_start->setDefault(true);
    auto *close = new QPushButton(QStringLiteral("Schließen"), this);

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("&Beraternummer:"), m_berater);
    form->addRow(QStringLiteral("&Mandantennummer:"), m_mandant);
    form->addRow(QStringLiteral("Belegdatum &von:"), m_von);
    form->addRow(QStringLiteral("Belegdatum b&is:"), m_bis);
    auto *fileRow = new QHBoxLayout;
    fileRow->addWidget(m_file);
    fileRow->addWidget(choose);
    // A label beside a row of several widgets needs its buddy named, or it shows the "&".
    auto *fileLabel = new QLabel(QStringLiteral("&Datei:"), this);
    fileLabel->setBuddy(m_file);
    form->addRow(fileLabel, fileRow);
    form->addRow(QString(), m_festschreiben);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_gauge, 1);
    buttons->addWidget(m_start);
    buttons->addWidget(close);
    auto *box = new QVBoxLayout(this);
    box->addLayout(form);
    box->addLayout(buttons);

    for (QLineEdit *e : {m_berater, m_mandant, m_file})
        connect(e, &QLineEdit::textChanged, this, &DatevExportDialog::updateStart);
    connect(choose, &QToolButton::clicked, this, &DatevExportDialog::chooseFile);
    connect(m_start, &QPushButton::clicked, this, &DatevExportDialog::start);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    loadFromBooks();
}

void DatevExportDialog::loadFromBooks() {
    const YearSettings &s = m_core.books().settings;
    m_berater->setText(s.datevBerater);
    m_mandant->setText(s.datevMandant);
    m_von->setText(germanDate(s.periodStart()));
    m_bis->setText(germanDate(s.periodEnd()));
    m_gauge->setValue(0);
    updateStart();
}

void DatevExportDialog::updateStart() {
    m_start->setEnabled(!m_berater->text().isEmpty() && !m_mandant->text().isEmpty() &&
                        !m_file->text().trimmed().isEmpty());
}

void DatevExportDialog::chooseFile() {
    const QString suggested =
        m_file->text().trimmed().isEmpty()
            ? QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) +
                  QStringLiteral("/EXTF_Buchungsstapel_%1.csv")
                      .arg(m_core.books().settings.periodStart().year())
            : m_file->text().trimmed();
    const QString path =
        QFileDialog::getSaveFileName(this, QStringLiteral("DATEV-Buchungsstapel speichern"),
                                     suggested, QStringLiteral("DATEV-Format (*.csv)"));
    if (!path.isEmpty())
        m_file->setText(QDir::toNativeSeparators(path));
}

void DatevExportDialog::start() {
    Ui &ui = m_core.ui();
    const auto von = parseGermanDate(m_von->text());
    const auto bis = parseGermanDate(m_bis->text());
    if (!von || !bis) {
        ui.error(QStringLiteral("Bitte geben Sie den Zeitraum als TT.MM.JJJJ ein."));
        (von ? m_bis : m_von)->setFocus();
        return;
    }
    DatevOptions options = datevOptionsFor(m_core.books(), von, bis);
    options.berater = m_berater->text().toLongLong();
    options.mandant = m_mandant->text().toLongLong();
    options.festschreiben = m_festschreiben->isChecked();
    const QString path = QDir::fromNativeSeparators(m_file->text().trimmed());
    m_start->setEnabled(false);
    m_gauge->setValue(0);
    DatevResult result;
    try {
        result = writeDatevExport(m_core.books(), options, path, gaugeFeedback(m_gauge, ui));
    } catch (const EngineError &e) {
        ui.error(e.message());
        updateStart();
        return;
    }
    // Kept for the next export of this year; saved with the year settings.
    m_core.books().settings.datevBerater = m_berater->text();
    m_core.books().settings.datevMandant = m_mandant->text();
    if (result.warnings.isEmpty())
        ui.info(datevDoneMessage(result, path));
    else
        ui.warning(datevDoneMessage(result, path));
    updateStart();
    accept();
}

} // namespace ledra
