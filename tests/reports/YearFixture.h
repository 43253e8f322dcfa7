#pragma once
// One small but complete fiscal year for the evaluations: seventeen accounts with types,
// rates, BWA lines and balance-sheet lines of the shipped section tables, opening balances,
// and forty bookings entered through the entry panel's handlers and transferred into the
// journal. The booking period is the current calendar year (the entry rules look at today).
//
// Every figure below is worked out by hand from the booking list in YearFixture.cpp; the
// evaluations are checked against these numbers, never against each other. Amounts are in
// cents, debit positive, credit negative.

#include "ReportsFixture.h"
namespace ledra {

namespace year {

// --- accounts (type, rate, BWA line, balance-sheet line) ---
// 12    Kurzes Konto           type 9  -     -        -        never booked
// 880   Variables Kapital      type 9  -     -        211200
// 1000  Kasse                  type 5  -     -        124000
// 1200  Bank                   type 4  -     -        124000
// 1300  Sparkasse              type 4  -     -        124000   never booked, no opening
// 1400  Kunde Meier            type 7  -     -        122100
// 1576  Vorsteuer 19 %         type 9  -     -        122400   input-tax account
// 1600  Lieferant Schulz       type 8  -     -        234000
// 1776  Umsatzsteuer 19 %      type 9  -     -        238100   VAT account (7 % as well)
// 1800  Privatentnahmen        type 6  -     -        211300
// 3120  Fremdleistung 13b      type 2  0 %   2040     -        settings Kosten13b
// 3400  Wareneingang 19 %      type 1  19 %  2010     -
// 4210  Miete                  type 0  0 %   5010     -
// 4930  Bürobedarf             type 0  19 %  8030     -
// 8300  Erlöse 7 %             type 3  7 %   1020     -
// 8400  Erlöse 19 %            type 3  19 %  1010     -
// 8736  Gewährte Skonti 19 %   type 3  19 %  1050     -

// --- opening balances (Soll - Haben) ---
constexpr qint64 kOpenKasse = 50000;      // 500.00 S
constexpr qint64 kOpenBank = 1200000;     // 12,000.00 S
constexpr qint64 kOpenSchulz = -200000;   // 2,000.00 H
constexpr qint64 kOpenKapital = -1050000; // 10,500.00 H; the four sum to 0

// --- year balances (Saldo) ---
// Kasse: 500.00 + debits (238.00 + 107.00 + 476.00 + 214.00 + 119.00 + 357.00 = 1,511.00)
//        - credits (59.50 + 300.00 + 500.00 + 23.80 + 200.00 + 300.00 = 1,383.30) = 627.70
constexpr qint64 kKasseSoll = 151100, kKasseHaben = 138330;
constexpr qint64 kKasse = 62770;
// Bank: 12,000.00 + debits (1,166.20 + 535.00 + 500.00 + 11,900.00 + 595.00 + 300.00 = 14,996.20)
//       - credits (rent 8 x 800.00 = 6,400.00; 2,000.00 + 595.00 + 1,000.00 + 119.00 + 1,190.00
//         + 1,000.00 + 357.00; together 12,661.00) = 14,335.20
constexpr qint64 kBankSoll = 1499620, kBankHaben = 1266100;
constexpr qint64 kBank = 1433520;
// Kunde Meier: invoices 1,190.00 + 535.00 + 11,900.00 + 595.00 + 321.00 = 14,541.00, paid
//       1,166.20 + discount 23.80 + 535.00 + 11,900.00 + 595.00 = 14,220.00; invoice 5 is open.
constexpr qint64 kMeierSoll = 1454100, kMeierHaben = 1422000;
constexpr qint64 kMeier = 32100;
// Vorsteuer: 190.00 + 9.50 + 95.00 + 380.00 + 19.00 + 57.00 + 3.80 + 285.00 = 1,039.30
constexpr qint64 kVorsteuer = 103930;
// Lieferant Schulz: -2,000.00 - invoices (1,190.00 + 2,380.00 + 1,785.00 = 5,355.00)
//       + payments (2,000.00 + 1,190.00 = 3,190.00) = -4,165.00
constexpr qint64 kSchulzSoll = 319000, kSchulzHaben = 535500;
constexpr qint64 kSchulz = -416500;
// Umsatzsteuer: 19 %: 38.00 + 190.00 + 76.00 + 1,900.00 + 95.00 + 19.00 + 57.00 = 2,375.00;
//       7 %: 7.00 + 35.00 + 14.00 + 21.00 = 77.00; credits 2,452.00; the discount takes
//       back 3.80 on the debit side: -2,448.20
constexpr qint64 kUstSoll = 380, kUstHaben = 245200;
constexpr qint64 kUst = -244820;
// Privatentnahmen: 300.00 cash + 1,000.00 bank + 200.00 cash = 1,500.00
constexpr qint64 kPrivat = 150000;
constexpr qint64 kKapital = kOpenKapital;
// Wareneingang net: 1,000.00 + 500.00 + 2,000.00 + 300.00 + 1,500.00 = 5,300.00
constexpr qint64 kWareneingang = 530000;
constexpr qint64 kFremd13b = 100000; // 1,000.00 net, no tax on the invoice
constexpr qint64 kMiete = 640000;    // 8 x 800.00
constexpr qint64 kBuero = 17000;     // 50.00 + 100.00 + 20.00
// Erlöse 7 % net: 100.00 + 500.00 + 200.00 + 300.00 = 1,100.00
constexpr qint64 kErloese7 = -110000;
// Erlöse 19 % net: 200.00 + 1,000.00 + 400.00 + 10,000.00 + 500.00 + 100.00 + 300.00 = 12,500.00
constexpr qint64 kErloese19 = -1250000;
constexpr qint64 kSkonto = 2000; // 23.80 gross at 19 %: 20.00 net

// --- profit and loss ---
constexpr qint64 kKosten = kMiete + kBuero;                   // type 0: 6,570.00
constexpr qint64 kErloese = kErloese7 + kErloese19 + kSkonto; // type 3: -13,580.00
// Profit = -(6,570.00 + 5,300.00 + 1,000.00 - 13,580.00) = 710.00
constexpr qint64 kGewinn = -(kKosten + kWareneingang + kFremd13b + kErloese);
static_assert(kGewinn == 71000);
constexpr qint64 kGeldvermoegen = kBank + kKasse; // 14,962.90 (Sparkasse is 0)
constexpr qint64 kDifferenz = kMeier + kSchulz;   // 321.00 - 4,165.00 = -3,844.00

// --- trial balance: class sums of the year balance ---
constexpr qint64 kClass0 = kKapital; // accounts 12 and 880: -10,500.00
// class 1: 627.70 + 14,335.20 + 321.00 + 1,039.30 - 4,165.00 - 2,448.20 + 1,500.00 = 11,210.00
constexpr qint64 kClass1 = kKasse + kBank + kMeier + kVorsteuer + kSchulz + kUst + kPrivat;
static_assert(kClass1 == 1121000);
constexpr qint64 kClass1Opening = kOpenKasse + kOpenBank + kOpenSchulz; // 10,500.00
constexpr qint64 kClass3 = kFremd13b + kWareneingang;                   // 6,300.00
constexpr qint64 kClass4 = kKosten;                                     // 6,570.00
constexpr qint64 kClass8 = kErloese;                                    // -13,580.00
static_assert(kClass0 + kClass1 + kClass3 + kClass4 + kClass8 == 0);
// Debit turnover of the year over all accounts: 1,511.00 + 14,996.20 + 14,541.00 + 1,039.30
//   + 3,190.00 + 3.80 + 1,500.00 + 5,300.00 + 1,000.00 + 170.00 + 6,400.00 + 20.00 = 49,671.30;
// the credit turnover is the same: 1,383.30 + 12,661.00 + 14,220.00 + 5,355.00 + 2,452.00
//   + 1,100.00 + 12,500.00 = 49,671.30.
constexpr qint64 kTurnover = 4967130;

// --- BWA (departments of the shipped BWA table) ---
constexpr qint64 kDept1000 = kErloese;                  // Umsatzerlöse: 13,580.00 H
constexpr qint64 kDept2000 = kWareneingang + kFremd13b; // Materialaufwand: 6,300.00 S
constexpr qint64 kDept5000 = kMiete;                    // Raumkosten: 6,400.00 S
constexpr qint64 kDept8000 = kBuero;                    // Sonstige Kosten: 170.00 S
static_assert(kDept1000 + kDept2000 + kDept5000 + kDept8000 == -kGewinn);

// --- balance sheet (sections of the shipped balance-sheet table) ---
constexpr qint64 kForderungen = kMeier + kVorsteuer;            // 122000: 1,360.30
constexpr qint64 kLiquide = kKasse + kBank;                     // 124000: 14,962.90
constexpr qint64 kAktiva = kForderungen + kLiquide;             // 16,323.20
constexpr qint64 kEigenkapital = kKapital + kPrivat;            // -9,000.00
constexpr qint64 kVerbindlichkeiten = kSchulz + kUst;           // -6,613.20
constexpr qint64 kPassiva = kEigenkapital + kVerbindlichkeiten; // -15,613.20
static_assert(kAktiva + kPassiva == kGewinn, "the sheet differs by the year's profit");

// --- VAT of the year (accrual basis) ---
constexpr qint64 kUmsatz19 = 1250000 - 2000; // 12,500.00 sales less the 20.00 discount
constexpr qint64 kUst19 = 237500 - 380;      // 2,375.00 less 3.80 = 2,371.20
constexpr qint64 kUmsatz7 = 110000;          // 1,100.00
constexpr qint64 kUst7 = 7700;               // 77.00
constexpr qint64 kBase13b = 100000;          // 1,000.00 debited to 3120
constexpr qint64 kTax13b = 19000;            // 1,000.00 x 190 / 1000 = 190.00
static_assert(kUst19 + kUst7 == -kUst);
// Payable: 2,448.20 - 1,039.30 = 1,408.90 (the 13b tax is owed and deducted alike).
constexpr qint64 kZahllast = -kUst - kVorsteuer;
constexpr int kBookings = 40;

} // namespace year

// The fixture: the accounts above, settings Vorsteuer 1576, Mwst 1776, Kosten13b 3120,
// opening balances, and the forty bookings in the journal (the batch is empty afterwards).
struct YearBooks : ReportBooks {
    void SetUp() override;
    // A date of the fixture's year.
    static QDate d(int day, int month) { return m_day(day, month); }
    // The year balance of an account in cents.
    qint64 saldoCents(int konto);

private:
    static QDate m_day(int day, int month) { return ReportBooks::day(day, month); }
    void sql(const QString &statement, const QVariantList &params);
};

} // namespace ledra
