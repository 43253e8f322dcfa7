#pragma once
// A second hand-worked year, booked under cash-basis VAT, for the figures whose meaning
// depends on the range: opening balances, cash and credit sales at 19 % and 7 %, a credit
// note and its refund, a private withdrawal and deposit, a cash account, an open invoice at
// the year's end. Every figure below is worked out by hand from the booking list in
// FiguresFixture.cpp; amounts in cents, debit positive.
//
//  #  date   voucher  debit / credit         amount     net / tax
//  1  05.01.  1       4210 / 1200 Miete      800,00
//  2  10.01.  2       1000 / 8400 Barverkauf 238,00     200,00 + 38,00
//  3  15.01.  3       1400 / 8400 Rechnung   1.190,00   1.000,00 + 190,00
//  4  20.01.  4       1400 / 8300 Rechnung   535,00     500,00 + 35,00 (7 %)
//  5  25.01.  5       1600 / 1200 Zahlung    1.000,00   last year's payable
//  6  05.02.  3       1200 / 1400 Zahlung    1.190,00   pays invoice 3
//  7  10.02.  6       3400 / 1600 Einkauf    595,00     500,00 + 95,00
//  8  15.02.  7       1800 / 1000 Entnahme   150,00
//  9  20.02.  8       1000 / 1800 Einlage    100,00
// 10  05.03.  9       8400 / 1400 Gutschrift 119,00     100,00 + 19,00 on invoice 3
// 11  10.03.  4       1000 / 1400 Zahlung    535,00     pays the 7 % invoice 4 in cash
// 12  12.03.  9       1400 / 1200 Erstattung 119,00     refunds the credit note
// 13  20.03.  10      1600 / 1200 Zahlung    595,00
// 14  25.03.  11      4930 / 1000 Papier     59,50      50,00 + 9,50
// 15  15.04.  12      1400 / 8400 Rechnung   2.380,00   2.000,00 + 380,00, open at year end
// 16  10.05.  13      1000 / 8300 Barverkauf 107,00     100,00 + 7,00
// 17  15.06.  14      1800 / 1200 Entnahme   400,00
// 18  20.07.  15      1200 / 1000 Einzahlung 300,00
// 19  01.09.  16      3400 / 1200 Einkauf    238,00     200,00 + 38,00

#include "ReportsFixture.h"
namespace ledra {

namespace fig {

// --- opening balances; they sum to 0 ---
constexpr qint64 kOpenKasse = 50000, kOpenBank = 500000, kOpenSchulz = -100000,
                 kOpenKapital = -450000;

// --- year balances ---
// Kasse: 500,00 + 238,00 + 100,00 + 535,00 + 107,00 - 150,00 - 59,50 - 300,00
constexpr qint64 kKasse = 97050;
// Bank: 5.000,00 + 1.190,00 + 300,00 - 800,00 - 1.000,00 - 119,00 - 595,00 - 400,00 - 238,00
constexpr qint64 kBank = 333800;
constexpr qint64 kMeier = 238000;    // invoice 12 is open
constexpr qint64 kVorsteuer = 14250; // 95,00 + 9,50 + 38,00
constexpr qint64 kSchulz = 0;        // -1.000,00 + 1.000,00 - 595,00 + 595,00
constexpr qint64 kUst = -63100;      // 38,00 + 190,00 + 35,00 + 380,00 + 7,00 - 19,00
constexpr qint64 kPrivat = 45000;    // 150,00 + 400,00 - 100,00
constexpr qint64 kKapital = kOpenKapital;
constexpr qint64 kWareneingang = 70000; // 500,00 + 200,00
constexpr qint64 kMiete = 80000;
constexpr qint64 kBuero = 5000;
constexpr qint64 kErloese7 = -60000;   // 500,00 + 100,00
constexpr qint64 kErloese19 = -310000; // 200,00 + 1.000,00 + 2.000,00 - 100,00
static_assert(kKasse + kBank + kMeier + kVorsteuer + kSchulz + kUst + kPrivat + kKapital +
                  kWareneingang + kMiete + kBuero + kErloese7 + kErloese19 ==
              0);
// The year's profit: 3.700,00 revenue less 1.550,00 costs.
constexpr qint64 kGewinn = -(kWareneingang + kMiete + kBuero + kErloese7 + kErloese19);
static_assert(kGewinn == 215000);

// --- balance sheet (shipped outline) ---
constexpr qint64 kAktiva = kMeier + kVorsteuer + kKasse + kBank; // 6.831,00
// Kapital, Privat, the year's profit, Schulz, USt: 6.831,00 on the credit side.
constexpr qint64 kPassiva = kKapital + kPrivat - kGewinn + kSchulz + kUst;
static_assert(kAktiva + kPassiva == 0);

// --- March (01.03.-31.03.): balances before it and at its end ---
constexpr qint64 kKasseFeb = 68800, kKasseMar = 116350; // + 535,00 - 59,50
constexpr qint64 kBankFeb = 439000, kBankMar = 367600;  // - 119,00 - 595,00
constexpr qint64 kMeierFeb = 53500, kMeierMar = 0;      // - 119,00 - 535,00 + 119,00
constexpr qint64 kVorsteuerFeb = 9500, kVorsteuerMar = 10450;
constexpr qint64 kSchulzFeb = -59500, kSchulzMar = 0;
constexpr qint64 kUstFeb = -26300, kUstMar = -24400;
constexpr qint64 kPrivatFeb = 5000;
// Class 1 of the trial balance for March: Vortrag, movement, balance at the end.
constexpr qint64 kClass1Feb =
    kKasseFeb + kBankFeb + kMeierFeb + kVorsteuerFeb + kSchulzFeb + kUstFeb + kPrivatFeb;
constexpr qint64 kClass1Mar =
    kKasseMar + kBankMar + kMeierMar + kVorsteuerMar + kSchulzMar + kUstMar + kPrivatFeb;
static_assert(kClass1Feb == 490000 && kClass1Mar == 475000);
// Profit and loss of March: the credit note takes back 100,00 revenue, paper costs 50,00.
constexpr qint64 kErloeseMarch = 10000, kKostenMarch = 5000;

// --- the new year after the year change: opening values (Soll - Haben) ---
// The profit and the private account are closed into the capital account 0880; the VAT
// accounts carry what is still owed and claimed.
constexpr qint64 kNewKapital = kKapital + kPrivat - kGewinn; // -6.200,00
static_assert(kKasse + kBank + kMeier + kVorsteuer + kUst + kNewKapital == 0);

// --- VAT return of March under cash basis ---
// The 7 % invoice paid in cash: 535,00 contains 35,00 at 7 % (500,00 base). The refund of
// the credit note of invoice 3 takes back 19,00 on a base of 100,00 at 19 %. Input tax of
// the paper: 9,50.
constexpr qint64 kMarch7Base = 50000, kMarch7Tax = 3500;
constexpr qint64 kMarch19Base = -10000, kMarch19Tax = -1900;
constexpr qint64 kMarchVorsteuer = 950;

constexpr int kBookings = 19;

// Amount texts of the reports for an amount in cents: currency format, and the S/H form of
// the BWA and the balance sheet.
QString eur(qint64 cents);
QString sh(qint64 cents);

} // namespace fig

// The fixture: the posting fixture's accounts and 0880 "Variables Kapital", the shipped
// balance-sheet outline assigned, settings Vorsteuer 1576, Mwst 1776, cash basis, capital
// account 0880; the opening balances and the nineteen bookings in the journal.
struct FigureBooks : ReportBooks {
    void SetUp() override;
    static QDate d(int day, int month) { return ReportBooks::day(day, month); }
    qint64 saldoCents(int konto) { return saldo(konto).units() / 100; }
    // The range of the filter dialog by date, as typed.
    void range(const QDate &from, const QDate &to);
};

} // namespace ledra
