#include "ReportsFixture.h"

#include "store/Sql.h"
#include "store/Table.h"

namespace ledra {

void ReportBooks::SetUp() {
    Books::SetUp();
    dlg = std::make_unique<reports::EingrenzungRules>(fb->books());
    ctx = std::make_unique<reports::ReportContext>(reports::ReportContext{
        fb->books(),
        *dlg,
        viewer,
        [this](const QString &control, bool on) {
            enabledLog << control + (on ? QStringLiteral("=1") : QStringLiteral("=0"));
        },
        {}});
}

void ReportBooks::journal(int autonr, const QDate &date, const QString &text, int soll, int haben,
                          const char *netto, const char *brutto, const char *steuer, double satz,
                          int belnr, bool euro) {
    fb->books().journal.appendRecord({autonr, date, text, soll, haben, QString::fromLatin1(netto),
                                      QString::fromLatin1(brutto), QString::fromLatin1(steuer),
                                      satz, belnr, QVariant(), euro, QVariant()});
}

void ReportBooks::bookAndTransfer(const std::vector<const char *> &lines,
                                  std::optional<int> answer) {
    const qint64 before = fb->books().journal.recordCount();
    for (const char *line : lines) {
        if (answer)
            ui.answers = {*answer};
        ASSERT_TRUE(book(QString::fromUtf8(line)))
            << line << ": "
            << (ui.messages.empty() ? std::string() : ui.messages.back().text.toStdString());
    }
    if (!answer) {
        ASSERT_TRUE(ui.questions.empty()) << ui.questions[0].text.toStdString();
    }
    ui.answers = {Btn::Yes}; // "transfer the batch?"
    e().transferStapel();
    ASSERT_TRUE(fb->books().stapel.isEmpty());
    ASSERT_EQ(fb->books().journal.recordCount(), before + qint64(lines.size()));
    ui.clear();
}

void ReportBooks::opening(int konto, qint64 sollCents, qint64 habenCents) {
    Table &k = fb->books().konten;
    ASSERT_EQ(
        execute(
            k,
            QStringLiteral("UPDATE %1 SET Soll = ?, Haben = ? WHERE KtoNr = ?").arg(quotedName(k)),
            {sollCents * 100, habenCents * 100, konto}),
        1)
        << konto;
    k.refresh();
}

QStringList ReportBooks::listedTexts() {
    QStringList texts;
    dlg->QJournal.forEach([&texts](const ledra::report::Record &r) {
        texts << r.value(QStringLiteral("Buchungstext")).toString();
        return true;
    });
    return texts;
}

QStringList bandTexts(const ledra::report::PageModel &model, ledra::report::BandKind kind) {
    QStringList out;
    for (const auto &page : model.pages)
        for (const auto &band : page.bands)
            if (band.kind == kind) {
                QStringList t;
                for (const auto &item : band.texts)
                    t << item.text;
                out << t.join(QLatin1Char('|'));
            }
    return out;
}

QStringList pageTexts(const ledra::report::PageModel &model, int page) {
    return page < int(model.pages.size()) ? model.pages[size_t(page)].texts() : QStringList();
}

} // namespace ledra
