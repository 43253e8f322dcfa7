#include "YearFixture.h"

#include "posting/BuchungRules.h"
#include "store/Sql.h"
#include "store/Table.h"

namespace ledra {

void YearBooks::sql(const QString &statement, const QVariantList &params) {
    Table &k = fb->books().konten;
    execute(k, statement.arg(quotedName(k)), params);
}

qint64 YearBooks::saldoCents(int konto) {
    return saldo(konto).units() / 100;
}

void YearBooks::SetUp() {
    ReportBooks::SetUp();
    if (HasFatalFailure())
        return;
    Table &k = fb->books().konten;
    // Two accounts the posting fixture lacks: the owner's capital and granted discounts.
    k.appendRecord({880, QStringLiteral("Variables Kapital"), 9, 0.0, 0, 0, 0, 0, 0, QVariant(), 0,
                    0, 0, 0, QVariant(), QVariant()});
    k.appendRecord({8736, QStringLiteral("Gewährte Skonti 19 %"), 3, 19.0, 0, 0, 0, 0, 0,
                    QVariant(), 0, 0, 0, 0, QVariant(), QVariant()});
    // The reverse-charge account books net only: the supplier's invoice carries no tax.
    sql(QStringLiteral("UPDATE %1 SET Mwst = 0 WHERE KtoNr = 3120"), {});
    const struct {
        int konto, bwa, bilanz;
    } lines[] = {{880, 0, 211200},  {1000, 0, 124000}, {1200, 0, 124000}, {1300, 0, 124000},
                 {1400, 0, 122100}, {1576, 0, 122400}, {1600, 0, 234000}, {1776, 0, 238100},
                 {1800, 0, 211300}, {3120, 2040, 0},   {3400, 2010, 0},   {4210, 5010, 0},
                 {4930, 8030, 0},   {8300, 1020, 0},   {8400, 1010, 0},   {8736, 1050, 0}};
    for (const auto &l : lines)
        sql(QStringLiteral("UPDATE %1 SET BWA = ?, Bilanz = ? WHERE KtoNr = ?"),
            {l.bwa ? QVariant(l.bwa) : QVariant(0), l.bilanz ? QVariant(l.bilanz) : QVariant(0),
             l.konto});
    // Opening balances as the year change leaves them: opening values and the balance.
    const struct {
        int konto;
        qint64 cents;
    } open[] = {{1000, year::kOpenKasse},
                {1200, year::kOpenBank},
                {1600, year::kOpenSchulz},
                {880, year::kOpenKapital}};
    for (const auto &o : open)
        sql(QStringLiteral("UPDATE %1 SET Soll = ?, Haben = ?, Saldo = ? WHERE KtoNr = ?"),
            {std::max<qint64>(o.cents, 0) * 100, std::max<qint64>(-o.cents, 0) * 100, o.cents * 100,
             o.konto});
    k.refresh();
    fb->books().settings.kosten13b = QStringLiteral("3120");

    // Date;voucher;debit;credit;text;amount;B gross / N net;rate (empty: the accounts' rate)
    const std::vector<const char *> bookings = {
        "02.01.%Y;1;4210;1200;Miete Januar;800,00;B;",
        "05.01.%Y;2;3400;1600;Wareneinkauf Schulz;1190,00;B;", // 1,000.00 + 190.00
        "10.01.%Y;3;1000;8400;Barverkauf;238,00;B;",           // 200.00 + 38.00
        "15.01.%Y;4;1000;8300;Barverkauf Bücher;107,00;B;",    // 100.00 + 7.00
        "20.01.%Y;5;1400;8400;Rechnung 1 Meier;1190,00;B;",    // 1,000.00 + 190.00
        "25.01.%Y;6;1600;1200;Zahlung Schulz Vorjahr;2000,00;B;",
        "28.01.%Y;7;4930;1000;Papier;59,50;B;", // 50.00 + 9.50
        "01.02.%Y;8;4210;1200;Miete Februar;800,00;B;",
        "03.02.%Y;9;1200;1400;Zahlung Rechnung 1;1166,20;B;", // 1,190.00 less 2 %
        "03.02.%Y;9;8736;1400;Skonto Rechnung 1;23,80;B;",    // 20.00 + 3.80 back
        "10.02.%Y;10;1400;8300;Rechnung 2 Meier;535,00;B;",   // 500.00 + 35.00
        "15.02.%Y;11;3400;1200;Wareneinkauf;595,00;B;",       // 500.00 + 95.00
        "20.02.%Y;12;1000;8400;Barverkauf;476,00;B;",         // 400.00 + 76.00
        "25.02.%Y;13;1800;1000;Privatentnahme;300,00;B;",
        "01.03.%Y;14;4210;1200;Miete März;800,00;B;",
        "05.03.%Y;15;3120;1200;Montage Subunternehmer;1000,00;N;", // §13b, net only
        "10.03.%Y;16;1200;1400;Zahlung Rechnung 2;535,00;B;",
        "15.03.%Y;17;1200;1000;Bareinzahlung;500,00;B;",
        "20.03.%Y;18;3400;1600;Wareneinkauf Schulz;2380,00;B;", // 2,000.00 + 380.00
        "25.03.%Y;19;1400;8400;Rechnung 3 Meier;11900,00;B;",   // 10,000.00 + 1,900.00
        "31.03.%Y;20;4930;1200;Toner;119,00;B;",                // 100.00 + 19.00
        "01.04.%Y;21;4210;1200;Miete April;800,00;B;",
        "10.04.%Y;22;1600;1200;Zahlung Schulz;1190,00;B;",
        "15.04.%Y;23;1000;8300;Barverkauf Bücher;214,00;B;", // 200.00 + 14.00
        "20.04.%Y;24;1200;1400;Zahlung Rechnung 3;11900,00;B;",
        "30.04.%Y;25;1800;1200;Privatentnahme;1000,00;B;",
        "02.05.%Y;26;4210;1200;Miete Mai;800,00;B;",
        "15.05.%Y;27;1400;8400;Rechnung 4 Meier;595,00;B;", // 500.00 + 95.00
        "20.05.%Y;28;3400;1200;Wareneinkauf;357,00;B;",     // 300.00 + 57.00
        "01.06.%Y;29;4210;1200;Miete Juni;800,00;B;",
        "10.06.%Y;30;1000;8400;Barverkauf;119,00;B;", // 100.00 + 19.00
        "20.06.%Y;31;4930;1000;Papier;23,80;B;",      // 20.00 + 3.80
        "01.07.%Y;32;4210;1200;Miete Juli;800,00;B;",
        "15.08.%Y;33;1400;8300;Rechnung 5 Meier;321,00;B;",     // 300.00 + 21.00
        "01.09.%Y;34;3400;1600;Wareneinkauf Schulz;1785,00;B;", // 1,500.00 + 285.00
        "15.10.%Y;35;1200;1400;Zahlung Rechnung 4;595,00;B;",
        "02.11.%Y;36;1000;8400;Barverkauf;357,00;B;", // 300.00 + 57.00
        "01.12.%Y;37;4210;1200;Miete Dezember;800,00;B;",
        "15.12.%Y;38;1800;1000;Privatentnahme;200,00;B;",
        "20.12.%Y;39;1200;1000;Bareinzahlung;300,00;B;",
    };
    bookAndTransfer(bookings, std::nullopt);
    ASSERT_EQ(fb->books().journal.recordCount(), year::kBookings);
}

} // namespace ledra
