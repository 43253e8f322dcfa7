#include "FiguresFixture.h"

#include "reports/ReportConventions.h"
#include "store/Sql.h"
#include "store/Table.h"

namespace ledra {

namespace fig {

QString eur(qint64 cents) {
    return reports::currencyFormat(cents * 100, QStringLiteral("€"));
}

QString sh(qint64 cents) {
    return reports::sideAmount(cents * 100, QStringLiteral("€"));
}

} // namespace fig

void FigureBooks::range(const QDate &from, const QDate &to) {
    dlg->sortByDate();
    dlg->fromText = from.toString(QStringLiteral("dd.MM.yyyy"));
    dlg->toText = to.toString(QStringLiteral("dd.MM.yyyy"));
}

void FigureBooks::SetUp() {
    ReportBooks::SetUp();
    if (HasFatalFailure())
        return;
    Table &k = fb->books().konten;
    k.appendRecord({880, QStringLiteral("Variables Kapital"), 9, 0.0, 0, 0, 0, 0, 0, QVariant(), 0,
                    0, 0, 0, QVariant(), QVariant()});
    auto sql = [&k](const QString &statement, const QVariantList &params) {
        execute(k, statement.arg(quotedName(k)), params);
    };
    // Balance-sheet lines and BWA lines of the shipped outlines.
    const std::pair<int, int> lines[] = {{880, 211200},  {1000, 124000}, {1200, 124000},
                                         {1300, 124000}, {1400, 122100}, {1576, 122400},
                                         {1600, 234000}, {1776, 238100}, {1800, 211300}};
    for (const auto &[konto, bilanz] : lines)
        sql(QStringLiteral("UPDATE %1 SET Bilanz = ? WHERE KtoNr = ?"), {bilanz, konto});
    const std::pair<int, int> bwa[] = {
        {3400, 2010}, {4210, 5010}, {4930, 8030}, {8300, 1020}, {8400, 1010}};
    for (const auto &[konto, line] : bwa)
        sql(QStringLiteral("UPDATE %1 SET BWA = ? WHERE KtoNr = ?"), {line, konto});
    const std::pair<int, qint64> open[] = {{1000, fig::kOpenKasse},
                                           {1200, fig::kOpenBank},
                                           {1600, fig::kOpenSchulz},
                                           {880, fig::kOpenKapital}};
    for (const auto &[konto, cents] : open)
        sql(QStringLiteral("UPDATE %1 SET Soll = ?, Haben = ?, Saldo = ? WHERE KtoNr = ?"),
            {std::max<qint64>(cents, 0) * 100, std::max<qint64>(-cents, 0) * 100, cents * 100,
             konto});
    k.refresh();
    YearSettings &s = fb->books().settings;
    s.istSteuer = true;
    s.kapital = QStringLiteral("0880");

    const std::vector<const char *> bookings = {
        "05.01.%Y;1;4210;1200;Miete Januar;800,00;B;",
        "10.01.%Y;2;1000;8400;Barverkauf;238,00;B;",
        "15.01.%Y;3;1400;8400;Rechnung 3 Meier;1190,00;B;",
        "20.01.%Y;4;1400;8300;Rechnung 4 Meier Bücher;535,00;B;",
        "25.01.%Y;5;1600;1200;Zahlung Schulz Vorjahr;1000,00;B;",
        "05.02.%Y;3;1200;1400;Zahlung Rechnung 3;1190,00;B;",
        "10.02.%Y;6;3400;1600;Wareneinkauf Schulz;595,00;B;",
        "15.02.%Y;7;1800;1000;Privatentnahme;150,00;B;",
        "20.02.%Y;8;1000;1800;Privateinlage;100,00;B;",
        "05.03.%Y;9;8400;1400;Gutschrift zu Rechnung 3;119,00;B;",
        "10.03.%Y;4;1000;1400;Zahlung Rechnung 4 bar;535,00;B;",
        "12.03.%Y;9;1400;1200;Erstattung Gutschrift;119,00;B;",
        "20.03.%Y;10;1600;1200;Zahlung Schulz;595,00;B;",
        "25.03.%Y;11;4930;1000;Papier;59,50;B;",
        "15.04.%Y;12;1400;8400;Rechnung 12 Meier;2380,00;B;",
        "10.05.%Y;13;1000;8300;Barverkauf Bücher;107,00;B;",
        "15.06.%Y;14;1800;1200;Privatentnahme;400,00;B;",
        "20.07.%Y;15;1200;1000;Bareinzahlung;300,00;B;",
        "01.09.%Y;16;3400;1200;Wareneinkauf;238,00;B;",
    };
    // The credit note debits revenue: the question about the direction is answered Yes.
    bookAndTransfer(bookings, Btn::Yes);
    ASSERT_EQ(fb->books().journal.recordCount(), fig::kBookings);
}

} // namespace ledra
