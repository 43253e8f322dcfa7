// The preview opens with its first page while the layout of a long report still runs, and
// closing it then stops the layout.

#include "app/qt/PreviewWindow.h"
#include "reportengine/Band.h"
#include "reportengine/Controls.h"
#include "reportengine/Report.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
namespace ledra {

namespace {
namespace rpt = ledra::report;

constexpr int kRows = 1500;

// A report of kRows detail lines (some thirty pages) that counts the rows laid out.
struct LongReport {
    rpt::Report report;
    rpt::MemorySource rows{QStringList{QStringLiteral("Text")}};
    int laidOut = 0;
    LongReport() {
        for (int i = 1; i <= kRows; ++i)
            rows.addRow({QStringLiteral("Zeile %1").arg(i)});
        rpt::Band *detail = report.addBand(rpt::BandKind::Detail);
        detail->setHeight(5);
        detail->addField(0, 0, 60, QStringLiteral("Text"));
        detail->setBeforePrint([this](rpt::Band &, bool &) { ++laidOut; });
        report.setDataSource(&rows);
    }
};

// Calls `onShow` with the preview window when it is first shown.
struct ShowWatcher : QObject {
    std::function<void(PreviewWindow &)> onShow;
    bool eventFilter(QObject *o, QEvent *e) override {
        if (e->type() == QEvent::Show)
            if (auto *w = qobject_cast<PreviewWindow *>(o); w && onShow) {
                auto f = std::move(onShow);
                onShow = {};
                f(*w);
            }
        return false;
    }
};

QString pageLabel(const PreviewWindow &w) {
    for (const QLabel *l : w.findChildren<QLabel *>())
        if (l->text().startsWith(QStringLiteral("Seite")))
            return l->text();
    return {};
}

} // namespace

TEST(PreviewWindow, ShowsTheFirstPageBeforeTheLayoutEnds) {
    LongReport r;
    ShowWatcher watcher;
    int rowsWhenShown = -1;
    size_t pagesWhenShown = 0;
    QString labelWhenShown;
    bool printableWhenShown = true;
    watcher.onShow = [&](PreviewWindow &w) {
        rowsWhenShown = r.laidOut;
        pagesWhenShown = w.model().pages.size();
        labelWhenShown = pageLabel(w);
        printableWhenShown = !w.layoutRunning();
    };
    qApp->installEventFilter(&watcher);
    // Once the layout is done the window waits in its own loop: read it and close it.
    size_t pagesAtEnd = 0;
    QString labelAtEnd;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *p = qobject_cast<PreviewWindow *>(w);
                p && p->isVisible() && !p->layoutRunning()) {
                pagesAtEnd = p->model().pages.size();
                labelAtEnd = pageLabel(*p);
                p->accept();
            }
    });
    closer.start(20);
    QtReportViewer viewer;
    viewer.preview(r.report, {});
    qApp->removeEventFilter(&watcher);

    EXPECT_EQ(pagesWhenShown, 1u);
    EXPECT_GT(rowsWhenShown, 0);
    EXPECT_LT(rowsWhenShown, kRows / 4) << "shown before the rest was laid out";
    EXPECT_FALSE(printableWhenShown) << "printing waits for the whole layout";
    EXPECT_EQ(labelWhenShown, QStringLiteral("Seite 1 von 1 (weitere folgen)"));
    EXPECT_EQ(r.laidOut, kRows);
    EXPECT_GT(pagesAtEnd, 20u);
    EXPECT_EQ(labelAtEnd, QStringLiteral("Seite 1 von %1").arg(pagesAtEnd));
}

TEST(PreviewWindow, ClosingItWhileTheLayoutRunsStopsTheLayout) {
    LongReport r;
    ShowWatcher watcher;
    // Closed as soon as the window answers events.
    watcher.onShow = [](PreviewWindow &w) { QTimer::singleShot(0, &w, [&w] { w.close(); }); };
    qApp->installEventFilter(&watcher);
    QtReportViewer viewer;
    viewer.preview(r.report, {}); // returns without waiting for a window
    qApp->removeEventFilter(&watcher);
    EXPECT_LT(r.laidOut, kRows / 4);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

} // namespace ledra
