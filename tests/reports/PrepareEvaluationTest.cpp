// The period balance preparation on a small journal whose figures are worked out by hand:
//
//   opening: Bank 1200 debit 1,000.00; Kasse 1000 debit 500.00
//   15.01.  4930 Bürobedarf (type 0) to 1200 Bank   net 100.00 tax 19.00 gross 119.00
//   10.03.  1200 Bank to 8400 Erlöse 19 % (type 3)  net 200.00 tax 38.00 gross 238.00
//   20.03.  1800 Privat (6) to 1000 Kasse, in DM    100.00, no tax -> 51.13 (× 0.51129…)

#include "ReportsFixture.h"

#include "reports/PrepareEvaluation.h"
#include "store/Table.h"
namespace ledra {

namespace {

struct Prepare : ReportBooks {
    void SetUp() override {
        ReportBooks::SetUp();
        opening(1200, 100000, 0);
        opening(1000, 50000, 0);
        journal(1, day(15, 1), QStringLiteral("Papier"), 4930, 1200, "100,00", "119,00", "19,00",
                19, 1);
        journal(2, day(10, 3), QStringLiteral("Verkauf"), 1200, 8400, "200,00", "238,00", "38,00",
                19, 2);
        journal(3, day(20, 3), QStringLiteral("Entnahme"), 1800, 1000, "100,00", "100,00", "0,00",
                0, 3, false);
        okAtOnce();
    }
    qint64 cents(int konto, const char *f) { return field(konto, f).units() / 100; }
    bool prepare(const QString &caption, const QString &from) {
        dlg->caption = caption;
        dlg->sortByDate();
        dlg->fromText = from;
        return reports::prepareEvaluation(fb->books(), *dlg);
    }
};

} // namespace

TEST_F(Prepare, FromTheStartOfThePeriodTheOpeningBalancesCount) {
    ASSERT_TRUE(prepare(QStringLiteral("Kurzübersicht Gewinn und Verlust"),
                        QStringLiteral("01.01.") + year()));
    EXPECT_EQ(cents(1200, "DruckSaldo"), 100000 - 11900 + 23800);
    EXPECT_EQ(cents(1200, "BewSoll"), 23800);
    EXPECT_EQ(cents(1200, "BewHaben"), 11900);
    EXPECT_EQ(cents(4930, "DruckSaldo"), 10000);
    EXPECT_EQ(cents(1576, "DruckSaldo"), 1900) << "input tax on the debit side";
    EXPECT_EQ(cents(1576, "BewSoll"), 1900);
    EXPECT_EQ(cents(1776, "DruckSaldo"), -3800) << "output VAT on the credit side";
    EXPECT_EQ(cents(1776, "BewHaben"), 3800);
    EXPECT_EQ(cents(8400, "DruckSaldo"), -20000);
    EXPECT_EQ(cents(1800, "DruckSaldo"), 5113) << "the DM booking is converted";
    EXPECT_EQ(cents(1000, "DruckSaldo"), 50000 - 5113);
    EXPECT_EQ(cents(1200, "VorSaldo"), 100000);
    EXPECT_EQ(cents(4930, "VorSaldo"), 0);
    EXPECT_FALSE(dlg->QJournal.isActive());
    EXPECT_FALSE(fb->books().dataOperationRunning());
    EXPECT_FALSE(ui.progressShown);
}

TEST_F(Prepare, ALaterStartLeavesTheOpeningOut) {
    // Values of an earlier run must not survive.
    ASSERT_TRUE(prepare(QStringLiteral("BWA"), QStringLiteral("01.01.") + year()));
    ASSERT_TRUE(prepare(QStringLiteral("BWA"), QStringLiteral("01.03.") + year()));
    EXPECT_EQ(cents(1200, "DruckSaldo"), 23800);
    EXPECT_EQ(cents(1200, "BewHaben"), 0);
    EXPECT_EQ(cents(4930, "DruckSaldo"), 0);
    EXPECT_EQ(cents(1576, "DruckSaldo"), 0);
    EXPECT_EQ(cents(1000, "DruckSaldo"), -5113);
    EXPECT_EQ(cents(1200, "VorSaldo"), 100000) << "only the trial balance adds the bookings before";
}

TEST_F(Prepare, TrialBalanceCarriesTheBookingsBeforeTheRangeInVorSaldo) {
    ASSERT_TRUE(prepare(QStringLiteral("Saldenliste"), QStringLiteral("01.03.") + year()));
    EXPECT_EQ(cents(1200, "DruckSaldo"), 23800);
    EXPECT_EQ(cents(1200, "VorSaldo"), 100000 - 11900);
    EXPECT_EQ(cents(4930, "VorSaldo"), 10000);
    EXPECT_EQ(cents(1576, "VorSaldo"), 1900);
    EXPECT_EQ(cents(8400, "VorSaldo"), 0) << "the sale lies in the range";
    EXPECT_EQ(cents(1000, "VorSaldo"), 50000);
    EXPECT_EQ(cents(4930, "BewSoll"), 0) << "the earlier pass has no turnovers";
    EXPECT_FALSE(dlg->QJournal.isActive());

    // From the first day of the period the trial balance starts at 0 and VorSaldo holds
    // the opening alone.
    ASSERT_TRUE(prepare(QStringLiteral("Saldenliste"), QStringLiteral("01.01.") + year()));
    EXPECT_EQ(cents(1200, "DruckSaldo"), -11900 + 23800);
    EXPECT_EQ(cents(1200, "VorSaldo"), 100000);
    EXPECT_EQ(cents(4930, "VorSaldo"), 0);
}

TEST_F(Prepare, SumsConvertBetweenDmAndEuroByTheBookingDate) {
    journal(10, QDate(2001, 12, 31), QStringLiteral("Euro vor 2002"), 4210, 1300, "100,00",
            "100,00", "0,00", 0, 10);
    journal(11, QDate(2002, 1, 2), QStringLiteral("DM nach 2001"), 4210, 1300, "100,00", "100,00",
            "0,00", 0, 11, false);
    dlg->caption = QStringLiteral("BWA");
    dlg->fromText = QStringLiteral("01.12.2001");
    dlg->toText = QStringLiteral("31.12.2002");
    ASSERT_TRUE(reports::prepareEvaluation(fb->books(), *dlg));
    EXPECT_EQ(cents(4210, "DruckSaldo"), 19558 + 5113);
    EXPECT_EQ(cents(1300, "BewHaben"), 19558 + 5113);
}

TEST_F(Prepare, MissingTaxAccountStopsAndChangesNothing) {
    ASSERT_TRUE(prepare(QStringLiteral("BWA"), QStringLiteral("01.03.") + year()));
    fb->books().settings.vorsteuer = QStringLiteral("1575");
    ui.clear();
    EXPECT_THROW(prepare(QStringLiteral("BWA"), QStringLiteral("01.01.") + year()), SilentAbort);
    EXPECT_TRUE(ui.saw(QStringLiteral("Vorsteuer- oder Mwst-Konto nicht vorhanden!")));
    EXPECT_EQ(cents(1200, "DruckSaldo"), 23800) << "the values of the run before stay";
    EXPECT_FALSE(dlg->QJournal.isActive());
    EXPECT_FALSE(fb->books().dataOperationRunning());
}

TEST_F(Prepare, CancelOrPendingEditChangesNothing) {
    dlg->showModal = [] { return false; };
    EXPECT_FALSE(reports::prepareEvaluation(fb->books(), *dlg));
    EXPECT_EQ(cents(1200, "DruckSaldo"), 0);

    okAtOnce();
    fb->books().stapel.insert();
    EXPECT_THROW(reports::prepareEvaluation(fb->books(), *dlg), SilentAbort);
    EXPECT_TRUE(ui.saw(QStringLiteral("Bitte erst Dateneingabe beenden!")));
    EXPECT_FALSE(dlg->QJournal.isActive());
    EXPECT_EQ(cents(1200, "DruckSaldo"), 0);
    fb->books().stapel.cancel();
}

} // namespace ledra
