// The period balance preparation on a small journal whose figures are worked out by hand:
//
//   opening: Bank 1200 debit 1,000.00; Kasse 1000 debit 500.00
//   15.01.  4930 Bürobedarf (type 0) to 1200 Bank   net 100.00 tax 19.00 gross 119.00
//   10.03.  1200 Bank to 8400 Erlöse 19 % (type 3)  net 200.00 tax 38.00 gross 238.00
//   20.03.  1800 Privat (6) to 1000 Kasse, in DM    100.00, no tax -> 51.13 (× 0.51129…)

#include "ReportsFixture.h"

#include "books/Steuer.h"
#include "reports/PrepareEvaluation.h"
#include "store/Sql.h"
#include "store/SqlTransaction.h"
#include "store/Table.h"

#include <array>
#include <functional>
#include <map>
#include <random>
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

// The preparation against a plain row-by-row reference written here from the posting rules,
// over a generated journal: every account type and both tax accounts, a debit or credit
// account missing from the chart, DM and euro rows before and after 1.1.2002 (and rows
// without the flag or without a date), reversals with negative amounts, taxes below a cent
// and amounts with fractions of a cent.
namespace {

struct Figures {
    qint64 druck = 0, bewSoll = 0, bewHaben = 0, vor = 0, end = 0, endSoll = 0, endHaben = 0;
    bool operator==(const Figures &) const = default;
};

struct GeneratedJournal : ReportBooks {
    const std::vector<int> accounts{1000, 1200, 1300, 1400, 1576, 1600, 1776, 1800,
                                    3400, 4930, 4210, 8300, 8400, 12,   3120};

    void SetUp() override {
        ReportBooks::SetUp();
        fb->books().settings.buchVon = QStringLiteral("01.07.2001");
        fb->books().settings.buchBis = QStringLiteral("30.06.2002");
        opening(1200, 250000, 0);
        opening(1400, 0, 120000);
        opening(4930, 70000, 0);
        std::mt19937 rnd(20020101);
        auto pick = [&rnd](int n) { return int(rnd() % unsigned(n)); };
        Table &j = fb->books().journal;
        SqlTransaction tr(j);
        SqlStatement ins(j, QStringLiteral("INSERT INTO %1 (Autonummer, Belegdatum, Buchungstext, "
                                           "Soll, Haben, Netto, Brutto, Steuer, Steuersatz, "
                                           "Belegnummer, Euro) VALUES (?,?,?,?,?,?,?,?,?,?,?)")
                                .arg(quotedName(j)));
        for (int i = 1; i <= 4000; ++i) {
            // Mostly inside the period 1.7.2001 - 30.6.2002, some before it, a few undated.
            QVariant date = QDate(2001, 1, 1).addDays(pick(546));
            if (pick(200) == 0)
                date = QVariant();
            int soll = accounts[size_t(pick(int(accounts.size())))];
            int haben = accounts[size_t(pick(int(accounts.size())))];
            if (pick(300) == 0)
                (pick(2) ? soll : haben) = 9999; // not in the chart
            const int rate = std::array{0, 7, 19}[size_t(pick(3))];
            // Units of 1/10000: some amounts carry fractions of a cent.
            qint64 netto = qint64(pick(2000000)) * (pick(4) ? 100 : 1);
            qint64 steuer = netto * rate / 100;
            if (pick(50) == 0)
                steuer = pick(100); // below a cent
            QString text = QStringLiteral("Buchung %1").arg(i);
            if (pick(10) == 0) { // a reversal: the same booking with negative amounts
                netto = -netto;
                steuer = -steuer;
                text = QStringLiteral("Storno ") + text;
            }
            const QVariant euro = pick(20) == 0 ? QVariant() : QVariant(pick(3) != 0);
            ins.bindAll({i, date, text, soll, haben, netto, netto + steuer, steuer, double(rate),
                         pick(1000), euro});
            ins.exec();
        }
        tr.commit();
        j.refresh();
        okAtOnce();
    }

    // Every row read by itself and applied by the posting rules: net amounts on profit-and-
    // loss accounts, gross on balance accounts, the tax of a row with at least a cent of tax
    // on the VAT account when a revenue account takes part and on the input-tax account
    // otherwise, on the debit side unless the booking runs against its normal direction;
    // each amount in the currency of its date.
    std::map<qint64, Figures> reference(bool fromOpening,
                                        const std::function<bool(const SqlRow &)> &inRange,
                                        const std::function<bool(const SqlRow &)> &before,
                                        const std::function<bool(const SqlRow &)> &toEnd) {
        std::map<qint64, Figures> f;
        std::map<qint64, std::optional<KontoArt>> art;
        Table &k = fb->books().konten;
        forEachRow(k,
                   QStringLiteral("SELECT KtoNr, Art, COALESCE(Soll,0)-COALESCE(Haben,0) FROM %1")
                       .arg(quotedName(k)),
                   [&](const SqlRow &r) {
                       art[r.int64(0)] = kontoArtFromCode(r.int64(1));
                       Figures &a = f[r.int64(0)];
                       a.vor = a.end = r.int64(2);
                       a.druck = fromOpening ? r.int64(2) : 0;
                   });
        Table &j = fb->books().journal;
        forEachRow(j,
                   QStringLiteral("SELECT Belegdatum, Soll, Haben, Netto, Brutto, Steuer, Euro, "
                                  "Belegnummer FROM %1")
                       .arg(quotedName(j)),
                   [&](const SqlRow &r) {
                       const qint64 soll = r.int64(1), haben = r.int64(2);
                       if (!art.count(soll) || !art.count(haben) || !toEnd(r))
                           return;
                       const bool euro = r.isNull(6) || r.int64(6) != 0;
                       const QDate date = r.date(0);
                       auto conv = [&](qint64 units) {
                           return toCurrencyOfDate(Money::fromUnits(units), euro, date).units();
                       };
                       const auto sa = art[soll], ha = art[haben];
                       const bool gross[2] = {sa >= KontoArt::Bank, ha >= KontoArt::Bank};
                       const qint64 d = conv(r.int64(gross[0] ? 4 : 3));
                       const qint64 c = conv(r.int64(gross[1] ? 4 : 3));
                       const bool range = inRange(r), earlier = before(r);
                       auto add = [&](qint64 nr, qint64 amount, bool debit, qint64 turnover) {
                           Figures &a = f[nr];
                           if (range) {
                               a.druck += amount;
                               (debit ? a.bewSoll : a.bewHaben) += turnover;
                           }
                           if (earlier)
                               a.vor += amount;
                           a.end += amount;
                           (debit ? a.endSoll : a.endHaben) += turnover;
                       };
                       add(soll, d, true, d);
                       add(haben, -c, false, c);
                       if (r.int64(5) < 100)
                           return;
                       const bool revenue = sa == KontoArt::Erloese || ha == KontoArt::Erloese;
                       const bool against =
                           sa == KontoArt::Erloese || (ha && *ha <= KontoArt::Fremdleistung);
                       const qint64 x = conv(r.int64(5));
                       if (x < 100 && x > -100)
                           return;
                       const qint64 account = revenue ? 1776 : 1576;
                       if (revenue == against)
                           add(account, x, true, x);
                       else
                           add(account, -x, false, x);
                   });
        return f;
    }

    std::map<qint64, Figures> prepared() {
        std::map<qint64, Figures> f;
        Table &k = fb->books().konten;
        forEachRow(k,
                   QStringLiteral("SELECT KtoNr, DruckSaldo, BewSoll, BewHaben, VorSaldo FROM %1")
                       .arg(quotedName(k)),
                   [&](const SqlRow &r) {
                       Figures &a = f[r.int64(0)];
                       a.druck = r.int64(1);
                       a.bewSoll = r.int64(2);
                       a.bewHaben = r.int64(3);
                       a.vor = r.int64(4);
                       const auto it = dlg->rangeEnd.find(r.int64(0));
                       if (it != dlg->rangeEnd.end()) {
                           a.end = it->second.saldo;
                           a.endSoll = it->second.soll;
                           a.endHaben = it->second.haben;
                       }
                   });
        return f;
    }

    void expectSame(const std::map<qint64, Figures> &want) {
        const std::map<qint64, Figures> got = prepared();
        ASSERT_EQ(got.size(), want.size());
        for (const auto &[nr, w] : want) {
            const Figures &g = got.at(nr);
            EXPECT_EQ(g.druck, w.druck) << nr;
            EXPECT_EQ(g.bewSoll, w.bewSoll) << nr;
            EXPECT_EQ(g.bewHaben, w.bewHaben) << nr;
            EXPECT_EQ(g.vor, w.vor) << nr;
            EXPECT_EQ(g.end, w.end) << nr;
            EXPECT_EQ(g.endSoll, w.endSoll) << nr;
            EXPECT_EQ(g.endHaben, w.endHaben) << nr;
        }
    }
};

bool dated(const SqlRow &r, const char *from, const char *to) {
    const QString d = r.isNull(0) ? QString() : r.text(0);
    return !r.isNull(0) && d >= QLatin1String(from) && d <= QLatin1String(to);
}

} // namespace

TEST_F(GeneratedJournal, PreparationMatchesTheRowByRowReference) {
    auto all = [](const SqlRow &) { return true; };
    auto none = [](const SqlRow &) { return false; };

    // The trial balance of a range across the change to the euro, with the days from the
    // period's start before it; the year figures hold the rows before the period as well.
    dlg->caption = QStringLiteral("Saldenliste");
    dlg->sortByDate();
    dlg->fromText = QStringLiteral("01.10.2001");
    dlg->toText = QStringLiteral("31.03.2002");
    ASSERT_TRUE(reports::prepareEvaluation(fb->books(), *dlg));
    expectSame(reference(
        false, [](const SqlRow &r) { return dated(r, "2001-10-01", "2002-03-31"); },
        [](const SqlRow &r) { return dated(r, "2001-07-01", "2001-09-30"); },
        [](const SqlRow &r) { return dated(r, "0000-00-00", "2002-03-31"); }));

    // From the period's first day a BWA starts from the opening balances.
    dlg->caption = QStringLiteral("BWA");
    dlg->fromText = QStringLiteral("01.07.2001");
    dlg->toText = QStringLiteral("30.06.2002");
    ASSERT_TRUE(reports::prepareEvaluation(fb->books(), *dlg));
    expectSame(reference(
        true, [](const SqlRow &r) { return dated(r, "2001-07-01", "2002-06-30"); }, none,
        [](const SqlRow &r) { return dated(r, "0000-00-00", "2002-06-30"); }));

    // A range of voucher numbers has no end date: the year figures take the whole journal,
    // undated rows too.
    dlg->caption = QStringLiteral("Kurzübersicht Gewinn und Verlust");
    dlg->sortByBelegnummer();
    dlg->fromText = QStringLiteral("100");
    dlg->toText = QStringLiteral("640");
    ASSERT_TRUE(reports::prepareEvaluation(fb->books(), *dlg));
    expectSame(reference(
        false, [](const SqlRow &r) { return r.int64(7) >= 100 && r.int64(7) <= 640; }, none, all));
}

} // namespace ledra
