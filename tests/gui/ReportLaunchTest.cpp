// Reports launched from the window: the buttons and menu entries reach their launchers with
// the window's report context; the filter dialog is answered as a person would, and a viewer
// that lays the report out instead of previewing it shows what would have been printed.

#include "GuiFixture.h"

#include "app/qt/BuchenPage.h"
#include "app/qt/EingrenzungDialog.h"
#include "app/qt/KontenPage.h"
#include "app/qt/PageControl.h"
#include "reportengine/Layout.h"
#include "reports/EingrenzungRules.h"
#include "reports/ReportViewer.h"
#include "store/Sql.h"
#include "store/Table.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <array>
#include <map>
namespace ledra {

namespace {
namespace rpt = ledra::report;

struct LayingOutViewer : reports::ReportViewer {
    struct Handed {
        rpt::PageModel model;
        bool printed = false;
        reports::PreviewOptions options;
    };
    std::vector<Handed> handed;
    std::function<void()> whileShown; // runs while the "preview" is open

    void preview(rpt::Report &report, const reports::PreviewOptions &options) override {
        handed.push_back({rpt::layoutReport(report), false, options});
        if (whileShown)
            whileShown();
    }
    void print(rpt::Report &report) override {
        handed.push_back({rpt::layoutReport(report), true, {}});
    }
    QString text(size_t i) const {
        QStringList all;
        for (const rpt::Page &p : handed.at(i).model.pages)
            all << p.texts();
        return all.join(QLatin1Char('|'));
    }
};

// Answers every showing of the filter dialog with OK (or Cancel), and closes it should OK
// be refused, so that a test never hangs in its modal loop.
class FilterAnswer {
public:
    FilterAnswer(EingrenzungDialog *dialog, bool ok) : m_dialog(dialog) {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this, ok] {
            if (!m_dialog->isVisible())
                return;
            captions << m_dialog->windowTitle();
            if (ok)
                for (QPushButton *b : m_dialog->findChildren<QPushButton *>())
                    if (b->text() == QLatin1String("OK")) {
                        b->click();
                        break;
                    }
            if (m_dialog->isVisible()) {
                refused = ok;
                m_dialog->reject();
            }
        });
        m_timer.start();
    }
    QStringList captions;
    bool refused = false;

private:
    EingrenzungDialog *m_dialog;
    QTimer m_timer;
};

class ReportLaunch : public BooksWindow {
protected:
    void TearDown() override {
        if (window)
            window->setReportViewer(nullptr);
        BooksWindow::TearDown();
    }
    void startReports() {
        ASSERT_NO_FATAL_FAILURE(startWithJournal());
        window->setReportViewer(&viewer);
        ASSERT_TRUE(window->pageControl()->requestPage(1));
    }
    KontenPage *konten() { return window->kontenPage(); }
    int accountRow(int konto) {
        const TableModel *m = konten()->gridModel();
        const int c = m->columnOf(QStringLiteral("KtoNr"));
        for (int r = 0; r < m->rowCount(); ++r)
            if (m->data(m->index(r, c)).toString() == QString::number(konto))
                return r;
        return -1;
    }
    QPoint accountCell(int konto) {
        const int r = accountRow(konto);
        EXPECT_GE(r, 0) << konto;
        QTableView *g = konten()->gridView();
        return g->visualRect(konten()->gridModel()->index(r, 1)).center();
    }

    // Every account's figures that the preparation of an evaluation writes.
    std::map<qint64, std::array<qint64, 4>> prepared() {
        Table &k = window->core().books().konten;
        std::map<qint64, std::array<qint64, 4>> out;
        forEachRow(k,
                   QStringLiteral("SELECT KtoNr, DruckSaldo, BewSoll, BewHaben, VorSaldo FROM %1")
                       .arg(quotedName(k)),
                   [&](const SqlRow &r) {
                       out[r.int64(0)] = {r.int64(1), r.int64(2), r.int64(3), r.int64(4)};
                   });
        return out;
    }
    // Figures no preparation writes, so that one that ran shows.
    void markPrepared() {
        Table &k = window->core().books().konten;
        execute(k, QStringLiteral("UPDATE %1 SET DruckSaldo = KtoNr * 10 + 1, BewSoll = KtoNr * "
                                  "10 + 2, BewHaben = KtoNr * 10 + 3, VorSaldo = KtoNr * 10 + 4")
                       .arg(quotedName(k)));
        k.refresh();
    }
    // Runs `press` once, as soon as the gauge has moved past 0 %, while the work goes on.
    QMetaObject::Connection onceTheGaugeMoves(const std::function<void()> &press) {
        m_pressed = 0;
        return QObject::connect(window->progressBar(), &QProgressBar::valueChanged,
                                [this, press](int value) {
                                    if (value > 0 && m_pressed++ == 0)
                                        press();
                                });
    }

    LayingOutViewer viewer;
    int m_pressed = 0;
};
} // namespace

TEST_F(ReportLaunch, JournalButtonListsTheJournalWithItsControlsDisabledMeanwhile) {
    ASSERT_NO_FATAL_FAILURE(startReports());
    QPushButton *button = konten()->SBJournal();
    QAction *menu = window->accountsMenu().Journal;
    bool buttonWhileShown = true, menuWhileShown = true;
    viewer.whileShown = [&] {
        buttonWhileShown = button->isEnabled();
        menuWhileShown = menu->isEnabled();
    };
    {
        FilterAnswer answer(window->filterDialog(), true);
        button->click();
        EXPECT_EQ(answer.captions, QStringList{QStringLiteral("Buchungsjournal")});
        EXPECT_FALSE(answer.refused);
    }
    ASSERT_EQ(viewer.handed.size(), 1u);
    EXPECT_FALSE(viewer.handed[0].model.pages.empty());
    EXPECT_TRUE(viewer.handed[0].options.textAndCsv) << "the journal preview offers text and CSV";
    const QString listed = viewer.text(0);
    for (const char *t : {"Toner", "Porto", "Verkauf"})
        EXPECT_TRUE(listed.contains(QString::fromLatin1(t))) << t;
    EXPECT_FALSE(buttonWhileShown);
    EXPECT_FALSE(menuWhileShown);
    EXPECT_TRUE(button->isEnabled());
    EXPECT_TRUE(menu->isEnabled());
    EXPECT_TRUE(ui.messages.empty()) << messageTexts().join(QLatin1Char('|')).toStdString();

    // The menu entry runs the same launcher; a cancelled dialog hands nothing over.
    {
        FilterAnswer cancel(window->filterDialog(), false);
        menu->trigger();
        EXPECT_EQ(cancel.captions.size(), 1);
    }
    EXPECT_EQ(viewer.handed.size(), 1u);
    EXPECT_TRUE(menu->isEnabled());
}

TEST_F(ReportLaunch, OtherYearOpenedResetsTheFilterToDateOrder) {
    ASSERT_NO_FATAL_FAILURE(startReports());
    reports::EingrenzungRules &filter = window->reportContext().filter;
    filter.choose(reports::EingrenzungRules::Sort::Belegnummer);
    ASSERT_TRUE(window->core().resetFilterOrder);
    window->core().resetFilterOrder();
    EXPECT_EQ(filter.sort, reports::EingrenzungRules::Sort::Datum);
    EXPECT_EQ(filter.fromText, QStringLiteral("01.01.") + year());
    EXPECT_EQ(filter.toText, QStringLiteral("31.12.") + year());
}

TEST_F(ReportLaunch, BatchListingHidesTheWindowWhileItIsShown) {
    start();
    window->setReportViewer(&viewer);
    window->buchenPage()->BDatum()->setFocus();
    ASSERT_NO_FATAL_FAILURE(bookByKeys(QStringLiteral("02.01.") + year(), QStringLiteral("4"),
                                       QStringLiteral("4930"), QStringLiteral("1200"),
                                       QStringLiteral("Toner"), QStringLiteral("119")));
    ASSERT_TRUE(window->SBDruck()->isEnabled());
    bool windowShown = true, buttonEnabled = true;
    viewer.whileShown = [&] {
        windowShown = window->isVisible();
        buttonEnabled = window->SBDruck()->isEnabled();
    };
    window->SBDruck()->click();
    ASSERT_EQ(viewer.handed.size(), 1u);
    EXPECT_FALSE(viewer.handed[0].model.pages.empty());
    EXPECT_TRUE(viewer.text(0).contains(QStringLiteral("Toner")));
    EXPECT_FALSE(windowShown);
    EXPECT_FALSE(buttonEnabled);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->SBDruck()->isEnabled());
}

TEST_F(ReportLaunch, DoubleClickPrintsTheSheetOfThatAccountAndMarkedAccountsGoToThePrinter) {
    ASSERT_NO_FATAL_FAILURE(startReports());
    QTableView *grid = konten()->gridView();
    const QPoint office = accountCell(4930);
    FilterAnswer answer(window->filterDialog(), true);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, office);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, office);

    ASSERT_EQ(answer.captions.size(), 1);
    EXPECT_EQ(answer.captions[0], QStringLiteral("Kontenblatt 4930 Bürobedarf"));
    ASSERT_EQ(viewer.handed.size(), 1u);
    EXPECT_FALSE(viewer.handed[0].printed);
    const QString sheet = viewer.text(0);
    EXPECT_TRUE(sheet.contains(QStringLiteral("Toner")));
    EXPECT_TRUE(sheet.contains(QStringLiteral("Porto")));
    EXPECT_FALSE(sheet.contains(QStringLiteral("Verkauf"))) << "not a booking of 4930";
    EXPECT_TRUE(konten()->KBlatt()->isEnabled());

    // Two accounts marked with Ctrl+click: each is sent to the printer, bank first.
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, accountCell(1200));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ControlModifier, accountCell(8400));
    ASSERT_EQ(konten()->markedAccounts().size(), 2u);
    konten()->KBlatt()->click();
    EXPECT_EQ(answer.captions.value(1), QStringLiteral("Markierte Konten sofort drucken"));
    ASSERT_EQ(viewer.handed.size(), 3u);
    EXPECT_TRUE(viewer.handed[1].printed);
    EXPECT_TRUE(viewer.handed[2].printed);
    EXPECT_TRUE(viewer.text(1).contains(QStringLiteral("Toner")));
    EXPECT_FALSE(viewer.text(1).contains(QStringLiteral("Porto")));
    EXPECT_TRUE(viewer.text(2).contains(QStringLiteral("Verkauf")));
    EXPECT_FALSE(viewer.text(2).contains(QStringLiteral("Toner")));
}

TEST_F(ReportLaunch, EvaluationMenuEntriesEachHandOverAReport) {
    ASSERT_NO_FATAL_FAILURE(startReports());
    const auto &m = window->accountsMenu();
    const std::pair<QAction *, const char *> entries[] = {{m.MUstVM, "Ust-Voranmeldung"},
                                                          {m.MSalden, "Saldenliste hoch"},
                                                          {m.MSalden2, "Saldenliste quer"},
                                                          {m.GuV, "Kurzübersicht GuV"},
                                                          {m.BWA, "BWA"},
                                                          {m.Bilanz, "Bilanz"}};
    FilterAnswer answer(window->filterDialog(), true);
    for (const auto &[action, name] : entries) {
        const size_t before = viewer.handed.size();
        ui.clear();
        action->trigger();
        EXPECT_EQ(viewer.handed.size(), before + 1) << name;
        if (viewer.handed.size() > before) {
            EXPECT_FALSE(viewer.handed.back().model.pages.empty()) << name;
        }
        EXPECT_TRUE(ui.messages.empty())
            << name << ": " << messageTexts().join(QLatin1Char('|')).toStdString();
    }
    EXPECT_FALSE(answer.refused);
}

// The preparation of a trial balance offers "Abbrechen" beside the gauge; a click or Esc
// stops it before it writes anything: every account keeps the figures it had, no report
// follows and the status bar says why. Without a cancel it runs to its end.
TEST_F(ReportLaunch, CancelWhilePreparingTheTrialBalanceLeavesEveryAccountAsItWas) {
    ASSERT_NO_FATAL_FAILURE(startReports());
    markPrepared();
    const auto before = prepared();
    QPushButton *cancel = window->progressCancel();
    ASSERT_NE(cancel, nullptr);
    EXPECT_EQ(cancel->text(), QStringLiteral("Abbrechen"));
    EXPECT_FALSE(cancel->isVisible());
    FilterAnswer answer(window->filterDialog(), true);
    QAction *saldenliste = window->accountsMenu().MSalden;

    bool shownMeanwhile = false;
    const std::pair<const char *, std::function<void()>> ways[] = {
        {"click",
         [&] {
             shownMeanwhile = cancel->isVisible();
             cancel->click();
         }},
        {"Esc", [&] { QTest::keyClick(window.get(), Qt::Key_Escape); }}};
    for (const auto &[way, press] : ways) {
        ui.clear();
        const auto c = onceTheGaugeMoves(press);
        saldenliste->trigger();
        QObject::disconnect(c);
        EXPECT_EQ(m_pressed > 0, true) << way << ": the gauge moved during the preparation";
        EXPECT_TRUE(viewer.handed.empty()) << way;
        EXPECT_EQ(prepared(), before) << way;
        EXPECT_EQ(window->statusPanel(3)->text(), QStringLiteral("Auswertung abgebrochen.")) << way;
        EXPECT_TRUE(ui.messages.empty()) << way;
        EXPECT_FALSE(cancel->isVisible()) << way;
        EXPECT_FALSE(window->progressBar()->isVisible()) << way;
    }
    EXPECT_TRUE(shownMeanwhile) << "the button is there while the preparation runs";

    saldenliste->trigger();
    ASSERT_EQ(viewer.handed.size(), 1u);
    const auto after = prepared();
    for (qint64 konto : {1200, 4930, 8400})
        EXPECT_NE(after.at(konto), before.at(konto)) << konto << " was prepared";
    EXPECT_EQ(after.at(1200)[1], Money::fromCents(23800).units()) << "the bank's debit turnover";
    EXPECT_TRUE(window->statusPanel(3)->text().isEmpty());
    EXPECT_FALSE(answer.refused);
}

// The recomputation of the balances must not stop half way: it offers no cancel, and Esc
// meanwhile changes nothing.
TEST_F(ReportLaunch, TheRecomputationOffersNoCancelAndRunsToItsEnd) {
    ASSERT_NO_FATAL_FAILURE(startReports());
    Table &k = window->core().books().konten;
    execute(k, QStringLiteral("UPDATE %1 SET Saldo = 0").arg(quotedName(k)));
    k.refresh();
    bool shown = true;
    const auto c = onceTheGaugeMoves([&] {
        shown = window->progressCancel()->isVisible();
        QTest::keyClick(window.get(), Qt::Key_Escape);
    });
    window->accountsMenu().Salden->trigger();
    QObject::disconnect(c);
    EXPECT_GT(m_pressed, 0);
    EXPECT_FALSE(shown);
    EXPECT_EQ(saldo(1200), Money::fromCents(11900)) << "238,00 in, 119,00 out";
    EXPECT_NE(window->statusPanel(3)->text(), QStringLiteral("Auswertung abgebrochen."));
}

} // namespace ledra
