#include "books/SaldenStore.h"
#include "reports/QStringPrinter.h"

#include "books/Balances.h"
#include "store/Sql.h"
#include "store/SqlTransaction.h"
#include "store/Table.h"
#include "store/TableFile.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace ledra {

namespace {

// A chart whose accounts have never been booked: balance, turnover and date are empty.
struct Salden : ::testing::Test {
    QTemporaryDir dir;
    Table konten{Schemas::konten()};

    void SetUp() override {
        TableFile::create(dir.path() + QStringLiteral("/Konten.DB"), Schemas::konten());
        konten.setFolder(dir.path());
        konten.open();
        for (int nr : {1200, 3400, 8400})
            konten.appendRecord({nr, QStringLiteral("Konto %1").arg(nr), 4, 0.0});
    }

    // The stored fields as text, so that an empty field and a zero stay apart.
    QString stored(qint64 konto) {
        SqlStatement st(konten, QStringLiteral("SELECT Saldo, JVZSoll, JVZHaben, Datum1 FROM %1 "
                                               "WHERE KtoNr = ?")
                                    .arg(quotedName(konten)));
        st.bind(1, konto);
        if (!st.next())
            return QStringLiteral("(no account)");
        QStringList fields;
        for (int c = 0; c < 4; ++c)
            fields << (st.row().isNull(c) ? QStringLiteral("-") : st.row().text(c));
        return fields.join(QLatin1Char('|'));
    }
};

AccountEffect debit(qint64 konto, qint64 cents) {
    return {konto, Money::fromCents(cents), Money::fromCents(cents), true};
}
AccountEffect credit(qint64 konto, qint64 cents) {
    return {konto, -Money::fromCents(cents), Money::fromCents(cents), false};
}

} // namespace

TEST_F(Salden, AddingABookingFillsOnlyItsSideAndKeepsTheEarliestDate) {
    SaldenStore store(konten);
    store.add(debit(3400, 10000), QDate(2024, 3, 5));
    EXPECT_EQ(stored(3400), QStringLiteral("1000000|1000000|-|2024-03-05"))
        << "the credit turnover stays empty";

    store.add(credit(3400, 2500), QDate(2024, 1, 20));
    store.add(debit(3400, 100), QDate(2024, 6, 1));
    store.add(debit(3400, 1), QDate());
    EXPECT_EQ(stored(3400), QStringLiteral("760100|1010100|250000|2024-01-20"));

    EXPECT_EQ(stored(1200), QStringLiteral("-|-|-|-")) << "other accounts are untouched";
    store.add(debit(4711, 500), QDate(2024, 1, 1));
    EXPECT_EQ(stored(4711), QStringLiteral("(no account)"));
}

TEST_F(Salden, OneAccountOnBothSidesOfABookingGetsBothTurnovers) {
    SaldenStore store(konten);
    store.add(debit(1200, 5000), QDate(2024, 2, 2));
    store.add(credit(1200, 5000), QDate(2024, 2, 2));
    EXPECT_EQ(stored(1200), QStringLiteral("0|500000|500000|2024-02-02"));
}

TEST_F(Salden, BookingByBookingAndAccumulatedThenWrittenGiveTheSameTotals) {
    const std::vector<std::pair<AccountEffect, QDate>> bookings = {
        {debit(8400, 11900), QDate(2024, 4, 30)},
        {credit(8400, 4000), QDate(2024, 2, 1)},
        {credit(8400, 99), QDate()},
        {debit(8400, 1), QDate(2024, 12, 31)}};

    SaldenStore store(konten);
    for (const auto &[effect, date] : bookings)
        store.add(effect, date);
    const QString oneByOne = stored(8400);

    execute(konten, QStringLiteral("UPDATE %1 SET Saldo = NULL, JVZSoll = NULL, JVZHaben = NULL, "
                                   "Datum1 = NULL")
                        .arg(quotedName(konten)));
    KontoSalden s;
    s.konto = 8400;
    for (const auto &[effect, date] : bookings)
        s.add(effect, date);
    {
        SqlTransaction tr(konten);
        store.write(s);
        tr.commit();
    }
    EXPECT_EQ(stored(8400), oneByOne);
    EXPECT_EQ(oneByOne, QStringLiteral("780200|1190100|409900|2024-02-01"));

    const std::optional<KontoSalden> back = store.read(8400);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->saldo, s.saldo);
    EXPECT_EQ(back->jvzSoll, s.jvzSoll);
    EXPECT_EQ(back->jvzHaben, s.jvzHaben);
    EXPECT_EQ(back->datum1, s.datum1);
    EXPECT_FALSE(store.read(4711).has_value());
}

TEST_F(Salden, WritingReplacesTheTotalsAndAnEmptySideIsWrittenEmpty) {
    SaldenStore store(konten);
    store.add(debit(3400, 10000), QDate(2024, 3, 5));
    store.add(credit(3400, 10000), QDate(2024, 3, 5));
    KontoSalden s;
    s.konto = 3400;
    s.saldo = Money::fromCents(-42);
    s.jvzHaben = Money::fromCents(42);
    store.write(s);
    EXPECT_EQ(stored(3400), QStringLiteral("-4200|-|4200|-"));
}

} // namespace ledra
