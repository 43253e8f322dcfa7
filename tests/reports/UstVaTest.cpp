// The VAT advance return on the page model: the classification of the rows under the accrual
// and the cash basis, the rate footers with their boxes, the §13b lines and their error, the
// totals, "Mit Details", the launcher and the window that is kept between runs.

#include "ReportsFixture.h"
#include "YearFixture.h"

#include "reports/UstVaReport.h"
#include "store/Table.h"
namespace ledra {

using ledra::report::BandKind;
using ledra::report::PageModel;
using reports::UstVaReport;

namespace {

struct UstVa : ReportBooks {
    void SetUp() override {
        ReportBooks::SetUp();
        fb->books().settings.kosten13b = QStringLiteral("3120"); // Fremdleistung 13b, type 2
        okAtOnce();
    }
    // A journal row with the VAT that falls due under the cash basis.
    void row(int nr, const QDate &date, const char *text, int soll, int haben, const char *netto,
             const char *brutto, const char *steuer, double satz, const char *faellig = nullptr) {
        fb->books().journal.appendRecord(
            {nr, date, QString::fromUtf8(text), soll, haben, QString::fromLatin1(netto),
             QString::fromLatin1(brutto), QString::fromLatin1(steuer), satz, nr, QVariant(), true,
             faellig ? QVariant(QString::fromLatin1(faellig)) : QVariant()});
    }
    // Every kind of row of a small quarter (settings: VAT 1776, input tax 1576, full rate 19 %).
    void quarter() {
        row(1, day(10, 1), "Rechnung Meier", 1400, 8400, "100,00", "119,00", "19,00", 19);
        row(2, day(20, 1), "Zahlung Meier", 1200, 1400, "119,00", "119,00", "0,00", 19, "19,00");
        row(3, day(5, 2), "Bücher", 1000, 8300, "100,00", "107,00", "7,00", 7);
        row(4, day(6, 2), "Ausfuhr", 1200, 8400, "500,00", "500,00", "0,00", 0);
        row(5, day(7, 2), "Gutschrift Meier", 8400, 1400, "10,00", "11,90", "1,90", 19);
        row(6, day(8, 2), "Erstattung bar", 8400, 1000, "20,00", "23,80", "3,80", 19);
        row(7, day(10, 2), "Papier", 4930, 1200, "100,00", "119,00", "19,00", 19);
        row(8, day(11, 2), "Rückgabe", 1200, 3400, "50,00", "59,50", "9,50", 19);
        row(9, day(12, 2), "USt-Korrektur", 1776, 1200, "5,00", "5,00", "0,00", 0);
        row(10, day(13, 2), "VSt direkt", 1576, 1200, "2,00", "2,00", "0,00", 0);
        row(11, day(14, 2), "USt nachträglich", 1200, 1776, "1,00", "1,00", "0,00", 0);
    }
    const PageModel &run(bool details = false) {
        dlg->mitDetails = details;
        viewer.models.clear();
        reports::printUstVa(*ctx);
        EXPECT_EQ(viewer.models.size(), 1u);
        return viewer.models.back();
    }
    static QStringList of(const PageModel &m, BandKind kind) { return bandTexts(m, kind); }
};

QString children(const QString &vat, const QString &payable, const QString &inputTax,
                 const QString &autoVat, const QString &directVat, const QString &autoInput,
                 const QString &directInput) {
    return QStringLiteral("Umsatzsteuer automatisch|%1|Direkt gebuchte Umsatzsteuer|%2|"
                          "Gesamte Umsatzsteuer|%3Vorsteuer automatisch|%4|(66)|"
                          "Direkt gebuchte Vorsteuer|%5|(66)")
               .arg(autoVat, directVat, vat.isEmpty() ? QString() : vat + QLatin1Char('|'),
                    autoInput, directInput) +
           QStringLiteral("\n") +
           QStringLiteral("Gesamte Vorsteuer|%1Umsatzsteuer-Vorauszahlung/Überschuß|%2|"
                          "Die Zahlen in Klammern zeigen die Feldnummern in der "
                          "Umsatzsteuervoranmeldung.")
               .arg(inputTax.isEmpty() ? QString() : inputTax + QLatin1Char('|'), payable);
}

// The first and the last child of the summary (the totals), joined by a line break.
QString totalLines(const PageModel &m) {
    const QStringList c = bandTexts(m, BandKind::Child);
    return c.isEmpty() ? QString() : c.first() + QStringLiteral("\n") + c.last();
}

} // namespace

// Accrual basis:
//   rate 0:  Ausfuhr 500.00 / 0.00; the direct bookings on the tax accounts have no share.
//   rate 7:  Bücher 100.00 / 7.00                                            box (86)
//   rate 19: invoice 100.00 / 19.00, credit note to the customer -10.00 / -1.90,
//            cash refund -20.00 / -3.80; the customer's payment counts nothing:
//            70.00 / 13.30                                                   box (81)
//   VAT automatic 7.00 + 13.30 = 20.30; direct -5.00 + 1.00 = -4.00; total 16.30
//   input tax automatic 19.00 - 9.50 = 9.50; direct 2.00; total 11.50
//   payable -4.00 + 20.30 - 2.00 - 9.50 = 4.80
TEST_F(UstVa, AccrualBasisCountsInvoicesWithTheirBoxes) {
    quarter();
    const PageModel &m = run();
    EXPECT_EQ(of(m, BandKind::GroupFooter),
              (QStringList{"0|(60)|500,00 €|0,00 €", "7|(86)|100,00 €|7,00 €",
                           "19|(81)|70,00 €|13,30 €"}));
    EXPECT_TRUE(of(m, BandKind::Detail).isEmpty()) << "without details only footers and totals";
    EXPECT_TRUE(of(m, BandKind::Summary).isEmpty()) << "no §13b line without a §13b tax";
    EXPECT_EQ(totalLines(m),
              children("16,30 €", "4,80 €", "11,50 €", "20,30 €", "-4,00 €", "9,50 €", "2,00 €"));
    ASSERT_EQ(bandTexts(m, BandKind::Child).size(), 2) << "the §13b input tax is left out";

    const QStringList title = of(m, BandKind::Title);
    ASSERT_EQ(title.size(), 1);
    EXPECT_TRUE(title[0].startsWith(
        QStringLiteral("Umsatzsteuervoranmeldung vom|01.01.%1 bis 31.12.%1|Ausgedruckt am ")
            .arg(year())))
        << title[0].toStdString();
    EXPECT_TRUE(title[0].endsWith(QStringLiteral("|Mwst %|Bemessungsgrundlage|Steuer")));

    // With details, the rows that count, each under its rate.
    const QString y = year();
    EXPECT_EQ(run(true).pages.size(), 1u);
    EXPECT_EQ(of(viewer.models.back(), BandKind::Detail),
              (QStringList{QStringLiteral("06.02.%1|4|1200|8400|500,00 €|0,00 €").arg(y),
                           QStringLiteral("05.02.%1|3|1000|8300|100,00 €|7,00 €").arg(y),
                           QStringLiteral("10.01.%1|1|1400|8400|100,00 €|19,00 €").arg(y),
                           QStringLiteral("07.02.%1|5|8400|1400|-10,00 €|-1,90 €").arg(y),
                           QStringLiteral("08.02.%1|6|8400|1000|-20,00 €|-3,80 €").arg(y)}));
}

// Cash basis: the invoice and the credit note to the customer count nothing; the payment
// counts 119.00 - 19.00 due = 100.00 / 19.00 at its date; the cash refund counts as before.
//   rate 19: 100.00 - 20.00 = 80.00 / 19.00 - 3.80 = 15.20
//   VAT automatic 7.00 + 15.20 = 22.20, total 18.20; payable -4.00 + 22.20 - 11.50 = 6.70
// The reversal of the payment takes its 100.00 / 19.00 back:
//   rate 19: -20.00 / -3.80; VAT automatic 3.20, total -0.80; payable -12.30
TEST_F(UstVa, CashBasisCountsPaymentsInsteadOfInvoices) {
    quarter();
    fb->books().settings.istSteuer = true;
    const PageModel &m = run(true);
    EXPECT_EQ(of(m, BandKind::GroupFooter),
              (QStringList{"0|(60)|500,00 €|0,00 €", "7|(86)|100,00 €|7,00 €",
                           "19|(81)|80,00 €|15,20 €"}));
    const QStringList lines = of(m, BandKind::Detail);
    EXPECT_TRUE(
        lines.contains(QStringLiteral("20.01.%1|2|1200|1400|100,00 €|19,00 €").arg(year())));
    EXPECT_EQ(lines.size(), 4) << "invoice and credit note to the customer are not listed";
    EXPECT_EQ(totalLines(m),
              children("18,20 €", "6,70 €", "11,50 €", "22,20 €", "-4,00 €", "9,50 €", "2,00 €"));

    row(12, day(15, 2), "Storno Zahlung Meier", 1400, 1200, "119,00", "119,00", "0,00", 19,
        "19,00");
    const PageModel &again = run();
    EXPECT_EQ(of(again, BandKind::GroupFooter).last(), QStringLiteral("19|(81)|-20,00 €|-3,80 €"));
    EXPECT_EQ(totalLines(again),
              children("-0,80 €", "-12,30 €", "11,50 €", "3,20 €", "-4,00 €", "9,50 €", "2,00 €"));
}

// §13b: 1,000.00 net on 3120 at the full rate 190 owes 190.00 (47) on the base 1,000.00 (46)
// and deducts the same (67). A sale of 100.00 / 19.00 is the only other tax:
//   total VAT 19.00 + 190.00 = 209.00, total input tax 190.00, payable still 19.00.
// A second booking on 3120 with VAT (119.00 gross) is an error: the §13b tax and the totals
// that hold it stay empty; the 19.00 of that booking count as input tax, payable 0.00.
TEST_F(UstVa, ReverseChargeLinesAndTheirError) {
    row(1, day(5, 3), "Montage", 3120, 1200, "1000,00", "1000,00", "0,00", 0);
    row(2, day(10, 3), "Verkauf", 1200, 8400, "100,00", "119,00", "19,00", 19);
    const PageModel &m = run();
    EXPECT_EQ(of(m, BandKind::GroupFooter),
              (QStringList{"0|(60)|0,00 €|0,00 €", "19|(81)|100,00 €|19,00 €"}))
        << "a rate footer prints also with sums of 0";
    EXPECT_EQ(of(m, BandKind::Summary),
              QStringList{QStringLiteral("Umsätze nach §13b UStG (46)|1.000,00 €|190,00 €|(47)")});
    const QStringList c = of(m, BandKind::Child);
    ASSERT_EQ(c.size(), 3);
    EXPECT_EQ(c[1],
              QStringLiteral("Vorsteuer aus Leistungen im Sinne des §13b UStG|190,00 €|(67)"));
    EXPECT_EQ(totalLines(m),
              children("209,00 €", "19,00 €", "190,00 €", "19,00 €", "0,00 €", "0,00 €", "0,00 €"));

    row(3, day(15, 3), "Montage mit Steuer", 3120, 1200, "100,00", "119,00", "19,00", 19);
    const PageModel &bad = run();
    EXPECT_EQ(of(bad, BandKind::Summary),
              QStringList{QStringLiteral("Fehler: Auf das Konto 3120 wurden steuerhaltige Beträge "
                                         "gebucht!|1.000,00 €|(47)")});
    EXPECT_EQ(of(bad, BandKind::Child).size(), 2) << "no §13b input tax";
    EXPECT_EQ(totalLines(bad),
              children("", "0,00 €", "", "19,00 €", "0,00 €", "19,00 €", "0,00 €"));
}

// The date range is forced; a range typed with quotes is refused as no date, never run as SQL.
// The window is kept between runs.
// From 01.02. on: rate 19 only the credit note and the refund, -30.00 / -5.70.
TEST_F(UstVa, LauncherForcesTheDateRangeAndRestoresTheDialog) {
    quarter();
    dlg->sortByBelegnummer();
    const QString quoted = QStringLiteral("01.01.%1' OR '1'='1").arg(year());
    dlg->showModal = [this, quoted] {
        EXPECT_EQ(dlg->sort, reports::EingrenzungRules::Sort::Datum);
        EXPECT_EQ(dlg->fromText, fb->books().settings.buchVon)
            << "choosing the date resets the range";
        EXPECT_EQ(dlg->caption, QStringLiteral("Ust-Voranmeldung"));
        EXPECT_EQ(dlg->helpContext, 23);
        EXPECT_TRUE(dlg->mitDetailsVisible);
        EXPECT_FALSE(dlg->sortChoiceVisible);
        EXPECT_FALSE(dlg->mitKontenVisible);
        EXPECT_EQ(dlg->QJournal.line(7),
                  QStringLiteral("ORDER BY Steuersatz,Belegdatum,Belegnummer"));
        dlg->fromText = quoted;
        if (dlg->confirmRange())
            return true;
        dlg->fromText = QStringLiteral("01.02.") + year();
        return dlg->confirmRange();
    };
    const PageModel &m = run();
    EXPECT_TRUE(ui.saw(QStringLiteral("'%1' ist kein gültiges Datum.").arg(quoted)));
    EXPECT_EQ(of(m, BandKind::GroupFooter),
              (QStringList{"0|(60)|500,00 €|0,00 €", "7|(86)|100,00 €|7,00 €",
                           "19|(81)|-30,00 €|-5,70 €"}));
    EXPECT_TRUE(
        of(m, BandKind::Title)[0].contains(QStringLiteral("|01.02.%1 bis 31.12.%1|").arg(year())));
    EXPECT_TRUE(dlg->sortChoiceVisible);
    EXPECT_FALSE(dlg->mitDetailsVisible);
    EXPECT_FALSE(dlg->QJournal.isActive());

    // The window is kept, and a second run starts from zero again.
    UstVaReport *window = reports::ustvaWindow();
    ASSERT_NE(window, nullptr);
    const QStringList first = of(m, BandKind::GroupFooter);
    okAtOnce();
    dlg->fromText = QStringLiteral("01.02.") + year();
    EXPECT_EQ(of(run(), BandKind::GroupFooter), first);
    EXPECT_EQ(reports::ustvaWindow(), window);

    // Cancelled: nothing printed, the dialog restored all the same.
    viewer.models.clear();
    dlg->showModal = [] { return false; };
    reports::printUstVa(*ctx);
    EXPECT_TRUE(viewer.models.empty());
    EXPECT_TRUE(dlg->sortChoiceVisible);
    EXPECT_FALSE(dlg->mitDetailsVisible);
}

// A month or a quarter in one pick, and the return names whose it is.
TEST_F(UstVa, MonthOrQuarterInOnePickAndTheFirmWithItsTaxNumber) {
    quarter();
    fb->books().settings.buchVon = QStringLiteral("01.01.") + year();
    fb->books().settings.firma = QStringLiteral("Holzbau Meier");
    fb->books().settings.steuernummer = QStringLiteral("12/345/67890");
    using Rules = reports::EingrenzungRules;
    ASSERT_EQ(Rules::periodChoices().size(), 16);
    EXPECT_EQ(Rules::periodChoices().at(1), QStringLiteral("Februar"));
    EXPECT_EQ(Rules::periodChoices().at(12), QStringLiteral("1. Quartal"));
    const int y = QDate::currentDate().year();
    const QString feb = QDate(y, 2, QDate(y, 2, 1).daysInMonth()).toString("dd.MM.yyyy");
    dlg->showModal = [this, feb] {
        EXPECT_TRUE(dlg->periodChoiceVisible);
        dlg->choosePeriod(15);
        EXPECT_EQ(dlg->fromText, QStringLiteral("01.10.") + year());
        EXPECT_EQ(dlg->toText, QStringLiteral("31.12.") + year());
        dlg->choosePeriod(1);
        EXPECT_EQ(dlg->fromText, QStringLiteral("01.02.") + year());
        EXPECT_EQ(dlg->toText, feb) << "the last day of February, leap year or not";
        return dlg->confirmRange();
    };
    const PageModel &m = run();
    EXPECT_FALSE(dlg->periodChoiceVisible) << "only the VAT return offers the pick";
    const QString title = of(m, BandKind::Title).value(0);
    EXPECT_TRUE(title.contains(QStringLiteral("|01.02.%1 bis %2|").arg(year(), feb)))
        << title.toStdString();
    EXPECT_TRUE(title.contains(QStringLiteral("|Holzbau Meier|"))) << title.toStdString();
    EXPECT_TRUE(title.contains(QStringLiteral("|Steuernummer: 12/345/67890|")))
        << title.toStdString();
    // February alone: the January invoice is not in it.
    EXPECT_EQ(of(m, BandKind::GroupFooter),
              (QStringList{"0|(60)|500,00 €|0,00 €", "7|(86)|100,00 €|7,00 €",
                           "19|(81)|-30,00 €|-5,70 €"}));

    // Without a firm the lines stay empty.
    fb->books().settings.firma.clear();
    fb->books().settings.steuernummer.clear();
    okAtOnce();
    const QString plain = of(run(), BandKind::Title).value(0);
    EXPECT_FALSE(plain.contains(QStringLiteral("Steuernummer"))) << plain.toStdString();
}

// The year of the year fixture, accrual basis (figures worked out in YearFixture.h):
//   (81) 12,480.00 / 2,371.20; (86) 1,100.00 / 77.00; §13b 1,000.00 / 190.00;
//   input tax 1,039.30; total VAT 2,448.20 + 190.00 = 2,638.20; total input tax 1,229.30;
//   payable 1,408.90.
TEST_F(YearBooks, VatReturnOfTheYear) {
    okAtOnce();
    reports::printUstVa(*ctx);
    ASSERT_EQ(viewer.models.size(), 1u);
    const PageModel &m = viewer.models.back();
    const QStringList footers = bandTexts(m, BandKind::GroupFooter);
    EXPECT_TRUE(footers.contains(QStringLiteral("19|(81)|12.480,00 €|2.371,20 €")))
        << footers.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(footers.contains(QStringLiteral("7|(86)|1.100,00 €|77,00 €")));
    EXPECT_EQ(bandTexts(m, BandKind::Summary),
              QStringList{QStringLiteral("Umsätze nach §13b UStG (46)|1.000,00 €|190,00 €|(47)")});
    EXPECT_EQ(totalLines(m), children("2.638,20 €", "1.408,90 €", "1.229,30 €", "2.448,20 €",
                                      "0,00 €", "1.039,30 €", "0,00 €"));
    const UstVaReport *w = reports::ustvaWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->totals().payable().units() / 100, year::kZahllast);
    EXPECT_EQ(w->totals().base13b.units() / 100, year::kBase13b);
    EXPECT_EQ(w->totals().tax13b.units() / 100, year::kTax13b);
}

} // namespace ledra
