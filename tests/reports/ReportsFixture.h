#pragma once
// A small bookkeeping for report tests: the posting fixture's accounts and period, the
// filter dialog as the program creates it at start, and a viewer that keeps the page
// model of every report it is handed instead of showing a preview.

#include "QStringPrinter.h" // before GoogleTest

#include "posting/PostingFixture.h"
#include "reportengine/Layout.h"
#include "reports/EingrenzungRules.h"
#include "reports/ReportViewer.h"

#include <memory>
#include <optional>
#include <vector>
namespace ledra {

struct RecordingViewer : reports::ReportViewer {
    std::vector<ledra::report::PageModel> models;
    reports::PreviewOptions lastOptions;
    void preview(ledra::report::Report &report, const reports::PreviewOptions &options) override {
        lastOptions = options;
        models.push_back(ledra::report::layoutReport(report));
    }
    void print(ledra::report::Report &report) override { preview(report, {}); }
};

struct ReportBooks : Books {
    std::unique_ptr<reports::EingrenzungRules> dlg;
    RecordingViewer viewer;
    std::unique_ptr<reports::ReportContext> ctx;
    QStringList enabledLog; // "SBJournal=0", "SBJournal=1"

    void SetUp() override;
    // A journal row written straight into the journal table (amounts as German text).
    void journal(int autonr, const QDate &date, const QString &text, int soll, int haben,
                 const char *netto, const char *brutto, const char *steuer, double satz, int belnr,
                 bool euro = true);
    // Enters every line as typed, answering each line's questions with `answer` (none: no
    // question may come), and transfers the batch; the journal then holds the lines.
    void bookAndTransfer(const std::vector<const char *> &lines, std::optional<int> answer);
    // Opening debit and credit values of an account.
    void opening(int konto, qint64 sollCents, qint64 habenCents);
    // The dialog answers OK at once with its current fields.
    void okAtOnce() {
        dlg->showModal = [this] { return dlg->confirmRange(); };
    }
    static QDate day(int d, int m) { return QDate(QDate::currentDate().year(), m, d); }
    // The rows the open journal query delivers: Buchungstext of each.
    QStringList listedTexts();
};

// Texts of the printed bands of a kind, one string per band occurrence ("a|b|c").
QStringList bandTexts(const ledra::report::PageModel &model, ledra::report::BandKind kind);
QStringList pageTexts(const ledra::report::PageModel &model, int page);

} // namespace ledra
