// The settings page as a live view of the year settings: typing writes through, leaving a
// field runs its check in the rules, colour panels open the colour choice.

#include "GuiFixture.h"

#include "app/qt/DatevExportDialog.h"
#include "app/qt/EinstellungPage.h"
#include "app/qt/GdpduExportDialog.h"
#include "app/qt/PageControl.h"
#include "app/qt/Panel.h"
#include "exports/GdpduExport.h"
#include "store/Dates.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
namespace ledra {

namespace {
class SettingsPage : public WindowTest {
protected:
    EinstellungPage *open() {
        start();
        EXPECT_TRUE(window->pageControl()->requestPage(2));
        return window->einstellungPage();
    }
    static void retype(QLineEdit *e, const QString &text) {
        e->setFocus();
        e->selectAll();
        QTest::keyClick(e, Qt::Key_Delete);
        QTest::keyClicks(e, text);
    }
};
} // namespace

TEST_F(SettingsPage, LeavingABookingPeriodFieldChecksAndCompletesTheDate) {
    EinstellungPage *page = open();
    YearSettings &s = window->core().books().settings;

    retype(page->EBuchVon(), QStringLiteral("32.13.24"));
    EXPECT_EQ(s.buchVon, QStringLiteral("32.13.24")) << "typing writes through at once";
    page->Belegnr()->setFocus();
    EXPECT_EQ(QApplication::focusWidget(), page->EBuchVon()) << "an invalid date keeps the focus";
    EXPECT_TRUE(ui.saw(QStringLiteral("'32.13.24' ist kein gültiges Datum")));

    retype(page->EBuchVon(), QStringLiteral("1.1.24"));
    page->Belegnr()->setFocus();
    EXPECT_EQ(QApplication::focusWidget(), page->Belegnr());
    EXPECT_EQ(page->EBuchVon()->text(), QStringLiteral("01.01.2024"));
    EXPECT_EQ(s.buchVon, QStringLiteral("01.01.2024"));
    EXPECT_EQ(window->core().settingsFocus, QStringLiteral("Belegnr"));
    EXPECT_EQ(ui.messages.size(), 1u);
}

TEST_F(SettingsPage, InvalidPeriodEndKeepsThePageAndTheFocus) {
    EinstellungPage *page = open();
    retype(page->EBuchBis(), QStringLiteral("99.99.99"));
    EXPECT_FALSE(window->pageControl()->requestPage(0));
    EXPECT_EQ(window->pageControl()->currentIndex(), 2);
    EXPECT_EQ(QApplication::focusWidget(), page->EBuchBis());
    EXPECT_EQ(ui.messages.size(), 1u) << "the check runs once, not again for the focus move";
    EXPECT_TRUE(ui.saw(QStringLiteral("'99.99.99' ist kein gültiges Datum")));

    retype(page->EBuchBis(), QStringLiteral("31.12.2001"));
    EXPECT_TRUE(window->pageControl()->requestPage(0));
    EXPECT_EQ(window->core().books().settings.currency, QStringLiteral("DM"));
}

TEST_F(SettingsPage, EditsReachTheSettingsAndTheRateChoice) {
    EinstellungPage *page = open();
    YearSettings &s = window->core().books().settings;

    page->MwstSatz()->setFocus();
    page->MwstSatz()->setCursorPosition(0);
    QTest::keyClicks(page->MwstSatz(), QStringLiteral("160"));
    EXPECT_EQ(page->MwstSatz()->text(), QStringLiteral("16,0 %"));
    EXPECT_EQ(s.mwstSatz, QStringLiteral("160"));
    EXPECT_EQ(s.mwstChoices.value(2), QStringLiteral("16"));

    retype(page->Kosten13b(), QStringLiteral(" 4900 "));
    page->Belegnr()->setFocus();
    EXPECT_EQ(s.kosten13b, QStringLiteral("4900")) << "leaving an account field trims it";

    page->LRand()->setFocus();
    QTest::keyClick(page->LRand(), Qt::Key_Up);
    EXPECT_EQ(s.lRand, 14);
    page->CheckBox1()->click();
    EXPECT_FALSE(s.fSaldo);

    ui.colors.push_back(0x00ff00);
    QTest::mouseDClick(page->Panel4(), Qt::LeftButton);
    EXPECT_EQ(s.fSaldo1, 0x00ff00);
    EXPECT_EQ(page->Panel4()->palette().color(QPalette::Window), QColor(0, 255, 0));

    // What the rules change shows on the page, except in the field being typed in.
    page->Vorsteuer()->setFocus();
    s.vorsteuer = QStringLiteral("1570");
    s.kontoMwst = QStringLiteral("1770");
    window->core().notifyControls();
    EXPECT_EQ(page->KontoMwst()->text(), QStringLiteral("1770"));
    EXPECT_EQ(page->Vorsteuer()->text(), QStringLiteral("1400"));
}

TEST_F(SettingsPage, PaymentDueCheckBoxShowsTheFieldAndIsKept) {
    EinstellungPage *page = open();
    QWidget *opDatum = window->findChild<QWidget *>(QStringLiteral("OPDatum"));
    ASSERT_NE(opDatum, nullptr);
    EXPECT_TRUE(opDatum->isHidden());
    page->CBOPDatum()->click();
    EXPECT_FALSE(opDatum->isHidden());
    EXPECT_FALSE(opDatum->isEnabled())
        << "the open-items module enables it for a row that opens an item";
    ASSERT_TRUE(window->close());

    restart(false);
    EXPECT_TRUE(window->einstellungPage()->CBOPDatum()->isChecked());
    EXPECT_FALSE(window->findChild<QWidget *>(QStringLiteral("OPDatum"))->isHidden());
}

} // namespace ledra

namespace ledra {

// "Export GDPdU" opens the export dialog without blocking the window; Start follows the
// typed folder; the export writes the folder and says so; no file manager is started
// without a desktop.
TEST_F(SettingsPage, GdpduExportDialogFollowsTheFolderAndExports) {
    for (const char *f : {kGdpduTemplate, kGdpduDtd})
        ASSERT_TRUE(QFile::copy(QStringLiteral(LEDRA_SOURCE_DIR "/data/gdpdu/") + QLatin1String(f),
                                data.program + QLatin1Char('/') + QLatin1String(f)));
    EinstellungPage *page = open();
    page->BExport()->click();
    GdpduExportDialog *d = page->gdpduExportDialog();
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(d->isVisible());
    EXPECT_FALSE(d->isModal());
    EXPECT_EQ(d->windowTitle(), QStringLiteral("Datenexport für Finanzamt"));
    EXPECT_FALSE(d->startButton()->isEnabled());
    const QString target = data.tmp.path() + QStringLiteral("/pruefung");
    QTest::keyClicks(d->folderEdit(), target);
    EXPECT_FALSE(d->startButton()->isEnabled()) << "the folder does not exist yet";
    QDir().mkpath(target);
    QTest::keyClick(d->folderEdit(), Qt::Key_Slash);
    EXPECT_TRUE(d->startButton()->isEnabled());
    d->grab().save(data.tmp.path() + QStringLiteral("/dialog.png"));
    if (qEnvironmentVariableIsSet("LEDRA_SHOT_DIR"))
        d->grab().save(qEnvironmentVariable("LEDRA_SHOT_DIR") + QStringLiteral("/gdpdu.png"));
    d->startButton()->click();
    EXPECT_TRUE(QFileInfo::exists(target + QStringLiteral("/index.xml")));
    EXPECT_TRUE(QFileInfo::exists(target + QStringLiteral("/Journal")));
    EXPECT_TRUE(ui.saw(gdpduDoneMessage()));
    EXPECT_EQ(d->gauge()->value(), d->gauge()->maximum());
    EXPECT_FALSE(d->isVisible()) << "the dialog closes when the export is done";
    EXPECT_FALSE(GdpduExportDialog::desktopAvailable());
    // The same dialog again, with the folder kept.
    page->BExport()->click();
    EXPECT_EQ(page->gdpduExportDialog(), d);
    EXPECT_TRUE(d->folderEdit()->text().startsWith(target));
}

TEST_F(SettingsPage, DatevExportRemembersTheNumbersAndWritesTheFile) {
    EinstellungPage *page = open();
    page->BDatev()->click();
    DatevExportDialog *d = page->datevExportDialog();
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(d->vonEdit()->text(), germanDate(window->core().books().settings.periodStart()))
        << "the booking period is the range unless changed";
    EXPECT_FALSE(d->startButton()->isEnabled());
    QTest::keyClicks(d->beraterEdit(), QStringLiteral("1234567x"));
    EXPECT_EQ(d->beraterEdit()->text(), QStringLiteral("1234567")) << "digits only";
    QTest::keyClicks(d->mandantEdit(), QStringLiteral("4711"));
    const QString file = data.tmp.path() + QStringLiteral("/EXTF_Buchungsstapel.csv");
    QTest::keyClicks(d->fileEdit(), file);
    ASSERT_TRUE(d->startButton()->isEnabled());
    d->startButton()->click();
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readLine().startsWith("\"EXTF\";700;21;\"Buchungsstapel\""));
    EXPECT_FALSE(d->isVisible()) << "the dialog closes when the export is done";
    EXPECT_EQ(window->core().books().settings.datevBerater, QStringLiteral("1234567"));
    EXPECT_EQ(window->core().books().settings.datevMandant, QStringLiteral("4711"));

    // A client number out of range is refused in German and nothing is written.
    QFile::remove(file);
    page->BDatev()->click();
    EXPECT_EQ(d->beraterEdit()->text(), QStringLiteral("1234567")) << "remembered";
    d->mandantEdit()->setText(QStringLiteral("0"));
    d->fileEdit()->setText(file);
    d->startButton()->click();
    EXPECT_TRUE(ui.saw(QStringLiteral("Die Mandantennummer muss zwischen 1 und 99999 liegen.")));
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_TRUE(d->isVisible());
}

} // namespace ledra
