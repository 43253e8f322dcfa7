#include "GdpduExportDialog.h"

#include "GaugeFeedback.h"
#include "app/Shell.h"
#include "exports/GdpduExport.h"
#include "store/EngineError.h"
#include "ui/Ui.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QToolButton>
#include <QUrl>

namespace ledra {

GdpduExportDialog::GdpduExportDialog(Shell &core, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint), m_core(core) {
    setObjectName(QStringLiteral("FExport"));
    // The program's own help context for the export: F1 here opens the export topic.
    setProperty("helpContext", 35);
    setWindowTitle(QStringLiteral("Datenexport für Finanzamt"));
    auto *label = new QLabel(QStringLiteral("&Exportverzeichnis"), this);
    m_folder = new QLineEdit(this);
    m_folder->setObjectName(QStringLiteral("sDirectoryEdit1"));
    m_folder->setMaxLength(255);
    m_folder->setMinimumWidth(360);
    label->setBuddy(m_folder);
    auto *choose = new QToolButton(this);
    choose->setText(QStringLiteral("…"));
    choose->setToolTip(QStringLiteral("Ordner wählen"));
    auto *memo = new QPlainTextEdit(this);
    memo->setObjectName(QStringLiteral("sMemo1"));
    memo->setPlainText(QStringLiteral("Bitte wählen Sie den Zielordner oder geben Sie den Pfad "
                                      "direkt ein.\n\nKlicken Sie auf Start um den Vorgang zu "
                                      "beginnen."));
    memo->setReadOnly(true);
    memo->setEnabled(false);
    memo->setMaximumHeight(90);
    memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_start = new QPushButton(QStringLiteral("Start"), this);
    m_start->setObjectName(QStringLiteral("BStart"));
    m_start->setEnabled(false);
    m_gauge = new QProgressBar(this);
    m_gauge->setObjectName(QStringLiteral("sGauge1"));
    m_gauge->setFormat(QStringLiteral("%p%"));
    m_gauge->setValue(0);

    auto *grid = new QGridLayout(this);
    grid->addWidget(label, 0, 0, 1, 2);
    grid->addWidget(m_folder, 1, 0);
    grid->addWidget(choose, 1, 1);
    grid->addWidget(memo, 2, 0, 1, 2);
    grid->addWidget(m_gauge, 3, 0);
    grid->addWidget(m_start, 3, 1);

    connect(m_folder, &QLineEdit::textChanged, this, &GdpduExportDialog::updateStart);
    connect(choose, &QToolButton::clicked, this, &GdpduExportDialog::chooseFolder);
    connect(m_start, &QPushButton::clicked, this, &GdpduExportDialog::start);
}

void GdpduExportDialog::updateStart() {
    const QString typed = m_folder->text().trimmed();
    m_start->setEnabled(!typed.isEmpty() && QFileInfo(typed).isDir());
}

void GdpduExportDialog::chooseFolder() {
    const QString start = m_folder->text().trimmed().isEmpty()
                              ? QStandardPaths::writableLocation(QStandardPaths::DesktopLocation)
                              : m_folder->text().trimmed();
    const QString dir =
        QFileDialog::getExistingDirectory(this, QStringLiteral("Exportverzeichnis"), start);
    if (!dir.isEmpty())
        m_folder->setText(QDir::toNativeSeparators(dir));
}

bool GdpduExportDialog::desktopAvailable() {
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal"))
        return false;
    return !qEnvironmentVariableIsEmpty("XDG_CURRENT_DESKTOP") ||
           !qEnvironmentVariableIsEmpty("DESKTOP_SESSION");
}

void GdpduExportDialog::start() {
    const QString target = QDir::fromNativeSeparators(m_folder->text().trimmed());
    Ui &ui = m_core.ui();
    m_start->setEnabled(false);
    m_gauge->setValue(0);
    try {
        runGdpduExport(gdpduJobFor(m_core.books(), target), gaugeFeedback(m_gauge, ui));
    } catch (const EngineError &e) {
        ui.error(e.message());
        updateStart();
        return;
    }
    ui.info(gdpduDoneMessage());
    if (desktopAvailable())
        QDesktopServices::openUrl(QUrl::fromLocalFile(target));
    updateStart();
    accept();
}

} // namespace ledra
