#include "store/Sql.h"
#include "reports/QStringPrinter.h"

#include "store/EngineError.h"
#include "store/SqlTransaction.h"
#include "store/Table.h"
#include "store/TableFile.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <stdexcept>

namespace ledra {

namespace {

// A data folder with a chart of two accounts and an empty journal, each in its own file.
struct Sql : ::testing::Test {
    QTemporaryDir dir;
    QString konten = dir.path() + QStringLiteral("/Konten.DB");
    QString journal = dir.path() + QStringLiteral("/Journal.DB");

    void SetUp() override {
        TableFile::create(konten, Schemas::konten());
        TableFile::create(journal, Schemas::journal());
        Table k(Schemas::konten());
        k.setFolder(dir.path());
        k.open();
        k.appendRecord({1200, QStringLiteral("Bank"), 4, 0.0});
        k.appendRecord({8400, QStringLiteral("Erlöse 19 %"), 3, 19.0});
    }

    // What another program sees in the files: a fresh connection, not the one under test.
    qint64 saldoSeenElsewhere(qint64 konto) {
        return scalar(SqlConnection::open(konten),
                      QStringLiteral("SELECT Saldo FROM Konten WHERE KtoNr = ?"), {konto}, -1);
    }
    qint64 journalRowsSeenElsewhere() {
        return scalar(SqlConnection::open(journal), QStringLiteral("SELECT COUNT(*) FROM Journal"));
    }

    // Writes into both files through one connection: the chart is the main file, the
    // journal is attached as j.
    static void writeBoth(SqlConnection &c) {
        execute(c, QStringLiteral("UPDATE Konten SET Saldo = 500 WHERE KtoNr = 1200"));
        execute(c, QStringLiteral(
                       "INSERT INTO j.Journal (Autonummer, Soll, Haben) VALUES (1, 1200, 8400)"));
    }
    SqlConnection bothFiles() {
        SqlConnection c = SqlConnection::open(konten);
        c.attach(QStringLiteral("j"), journal);
        return c;
    }
};

int errorCode(const std::function<void()> &f) {
    try {
        f();
    } catch (const EngineError &e) {
        return e.code();
    }
    return 0;
}

} // namespace

TEST_F(Sql, IdentifiersWithQuotesInsideNameExactlyThatTableAndAlias) {
    EXPECT_EQ(quoteIdentifier(QStringLiteral("Konten")), QStringLiteral("\"Konten\""));

    // A table whose name tries to end the identifier early is created, filled and found
    // under exactly that name, and nothing else is created or dropped.
    const QString evil = QStringLiteral("x\" (a); DROP TABLE Konten; --");
    SqlConnection c = SqlConnection::open(konten);
    execute(c, QStringLiteral("CREATE TEMP TABLE %1 (a)").arg(quoteIdentifier(evil)));
    execute(c, QStringLiteral("INSERT INTO %1 VALUES (7)").arg(quoteIdentifier(evil)));
    EXPECT_EQ(scalar(c, QStringLiteral("SELECT a FROM %1").arg(quoteIdentifier(evil))), 7);
    EXPECT_EQ(
        queryValue(c, QStringLiteral("SELECT name FROM temp.sqlite_master WHERE type = 'table'"))
            ->toString(),
        evil);
    EXPECT_EQ(scalar(c, QStringLiteral("SELECT COUNT(*) FROM Konten")), 2);

    // An alias with a quote in it: the file is attached under it and read through it.
    const QString alias = QStringLiteral("J\"1");
    SqlConnection q = SqlConnection::attached({{alias, konten}});
    EXPECT_EQ(
        scalar(q, QStringLiteral("SELECT COUNT(*) FROM %1.Konten").arg(quoteIdentifier(alias))), 2);
}

TEST_F(Sql, TransactionAcrossAttachedFilesRollsBackUnlessCommitted) {
    // The connection outlives each transaction, so that the rollback is the transaction's
    // doing and not that of a closing connection.
    SqlConnection c = bothFiles();
    const QString ownSaldo = QStringLiteral("SELECT Saldo FROM Konten WHERE KtoNr = 1200");
    const QString ownRows = QStringLiteral("SELECT COUNT(*) FROM j.Journal");
    {
        SqlTransaction tr(c);
        writeBoth(c);
        EXPECT_TRUE(tr.isOpen());
        EXPECT_EQ(scalar(c, ownRows), 1) << "the transaction sees its own writes";
    } // left without commit()
    EXPECT_EQ(scalar(c, ownSaldo, {}, -1), -1) << "Saldo stays empty";
    EXPECT_EQ(scalar(c, ownRows), 0);
    EXPECT_EQ(saldoSeenElsewhere(1200), -1);
    EXPECT_EQ(journalRowsSeenElsewhere(), 0);

    // An exception passing through the scope rolls back both files as well.
    EXPECT_THROW(
        {
            SqlTransaction tr(c);
            writeBoth(c);
            throw std::runtime_error("abgebrochen");
        },
        std::runtime_error);
    EXPECT_EQ(scalar(c, ownSaldo, {}, -1), -1);
    EXPECT_EQ(scalar(c, ownRows), 0);

    {
        SqlTransaction tr(c, SqlTransaction::Mode::Immediate);
        writeBoth(c);
        EXPECT_EQ(journalRowsSeenElsewhere(), 0) << "nothing is visible before the commit";
        tr.commit();
        EXPECT_FALSE(tr.isOpen());
    }
    EXPECT_EQ(saldoSeenElsewhere(1200), 500);
    EXPECT_EQ(journalRowsSeenElsewhere(), 1);
    // The connection is free for the next transaction.
    SqlTransaction next(c);
    next.commit();
}

TEST_F(Sql, TransactionOnATablesConnectionCoversItsWritesAndTheTableSeesTheResult) {
    Table k(Schemas::konten());
    k.setFolder(dir.path());
    k.open();
    {
        SqlTransaction tr(k);
        execute(k,
                QStringLiteral("UPDATE %1 SET Saldo = 10000 WHERE KtoNr = ?")
                    .arg(quoteIdentifier(k.innerName())),
                {qint64(8400)});
    }
    EXPECT_EQ(saldoSeenElsewhere(8400), -1);
    {
        SqlTransaction tr(k);
        execute(k,
                QStringLiteral("UPDATE %1 SET Saldo = 10000 WHERE KtoNr = ?")
                    .arg(quoteIdentifier(k.innerName())),
                {qint64(8400)});
        tr.commit();
    }
    k.refresh();
    ASSERT_TRUE(k.locate(QStringLiteral("KtoNr"), 8400));
    EXPECT_EQ(k.asMoney(QStringLiteral("Saldo")), Money::fromWhole(1));
}

TEST_F(Sql, ValuesAreBoundNotSpliced) {
    const QString hostile = QStringLiteral("x'; DROP TABLE Konten; --");
    SqlConnection c = SqlConnection::open(konten);
    execute(c, QStringLiteral("UPDATE Konten SET Name = ? WHERE KtoNr = ?"),
            {hostile, qint64(1200)});
    EXPECT_EQ(
        queryValue(c, QStringLiteral("SELECT Name FROM Konten WHERE KtoNr = 1200"))->toString(),
        hostile);
    EXPECT_TRUE(hasRow(c, QStringLiteral("SELECT 1 FROM Konten WHERE Name = ?"), {hostile}));
    EXPECT_EQ(scalar(c, QStringLiteral("SELECT COUNT(*) FROM Konten")), 2);

    // A question mark inside a value is no placeholder.
    EXPECT_EQ(queryValue(c, QStringLiteral("SELECT ?"), {QStringLiteral("?; ?")})->toString(),
              QStringLiteral("?; ?"));
}

TEST_F(Sql, NullsStayApartFromMissingRowsAndFromZero) {
    SqlConnection c = SqlConnection::open(konten);
    const QString saldo = QStringLiteral("SELECT Saldo FROM Konten WHERE KtoNr = ?");

    const auto none = queryValue(c, saldo, {qint64(9999)});
    EXPECT_FALSE(none.has_value());
    const auto empty = queryValue(c, saldo, {qint64(1200)});
    ASSERT_TRUE(empty.has_value());
    EXPECT_TRUE(empty->isNull());
    EXPECT_EQ(scalar(c, saldo, {qint64(1200)}, -5), -5) << "NULL gives the fallback";
    EXPECT_EQ(
        scalar(SqlConnection::open(journal), QStringLiteral("SELECT MAX(Autonummer) FROM Journal")),
        0);

    execute(c, QStringLiteral("UPDATE Konten SET Saldo = ?, Datum1 = ? WHERE KtoNr = 1200"),
            {qint64(0), QVariant()});
    EXPECT_EQ(scalar(c, saldo, {qint64(1200)}, -5), 0) << "a stored zero is a value";

    SqlStatement st(c, QStringLiteral("SELECT Saldo, Datum1, Name FROM Konten WHERE KtoNr = ?"));
    st.bind(1, qint64(8400));
    ASSERT_TRUE(st.next());
    const SqlRow &r = st.row();
    EXPECT_TRUE(r.isNull(0));
    EXPECT_EQ(r.int64(0), 0);
    EXPECT_EQ(r.money(0), Money());
    EXPECT_FALSE(r.date(1).isValid());
    EXPECT_FALSE(r.isNull(2));
    EXPECT_EQ(r.text(2), QStringLiteral("Erlöse 19 %"));
    EXPECT_FALSE(st.next());
}

TEST_F(Sql, DatesAndMoneyKeepTheirStorageForms) {
    SqlConnection c = SqlConnection::open(konten);
    const Money amount = Money::fromUnits(-12345678); // -1.234,5678
    SqlStatement up(c, QStringLiteral("UPDATE Konten SET Saldo = ?, Datum1 = ? WHERE KtoNr = ?"));
    up.bind(1, amount).bind(2, QDate(2024, 2, 29)).bind(3, qint64(1200)).exec();
    // Inside a QVariant, as a parameter list carries them.
    execute(
        c, QStringLiteral("UPDATE Konten SET Saldo = ?, Datum1 = ? WHERE KtoNr = ?"),
        {QVariant::fromValue(Money::fromCents(1999)), QVariant(QDate(2003, 4, 5)), qint64(8400)});

    SqlStatement st(
        c, QStringLiteral(
               "SELECT typeof(Saldo), Saldo, typeof(Datum1), Datum1 FROM Konten ORDER BY KtoNr"));
    ASSERT_TRUE(st.next());
    EXPECT_EQ(st.row().text(0), QStringLiteral("integer"));
    EXPECT_EQ(st.row().money(1), amount);
    EXPECT_EQ(st.row().text(3), QStringLiteral("2024-02-29"));
    EXPECT_EQ(st.row().date(3), QDate(2024, 2, 29));
    ASSERT_TRUE(st.next());
    EXPECT_EQ(st.row().text(0), QStringLiteral("integer"));
    EXPECT_EQ(st.row().money(1), Money::fromCents(1999));
    EXPECT_EQ(st.row().date(3), QDate(2003, 4, 5));

    // No date is stored as NULL; the other bindings stay.
    up.bind(2, QDate()).exec();
    EXPECT_TRUE(
        queryValue(c, QStringLiteral("SELECT Datum1 FROM Konten WHERE KtoNr = 1200"))->isNull());

    // Only an ISO day is a date; a German text or a broken one is none.
    auto dateOf = [&](const QString &text) {
        SqlStatement d(c, QStringLiteral("SELECT ?"));
        d.bind(1, text);
        return d.next() ? d.row().date(0) : QDate(1, 1, 1);
    };
    EXPECT_EQ(dateOf(QStringLiteral("2001-12-31T10:00:00")), QDate(2001, 12, 31));
    EXPECT_FALSE(dateOf(QStringLiteral("31.12.2001")).isValid());
    EXPECT_FALSE(dateOf(QStringLiteral("2001-12-3")).isValid());
    EXPECT_FALSE(dateOf(QStringLiteral("2001-02-30")).isValid());
}

TEST_F(Sql, PreparedStatementRunsAgainWithNewValuesAndSurvivesARefusal) {
    SqlConnection c = SqlConnection::open(journal);
    SqlStatement ins(
        c, QStringLiteral(
               "INSERT INTO Journal (Autonummer, Soll, Haben, Brutto) VALUES (?, ?, ?, ?)"));
    for (qint64 n = 1; n <= 3; ++n)
        EXPECT_EQ(ins.bind(1, n)
                      .bind(2, qint64(1200))
                      .bind(3, qint64(8400))
                      .bind(4, Money::fromWhole(n))
                      .exec(),
                  1);

    // A key violation refuses only that row; the statement takes the next one.
    ins.bind(1, qint64(2));
    EXPECT_EQ(errorCode([&] { ins.exec(); }), DbErr::KeyViolation);
    EXPECT_EQ(ins.bind(1, qint64(4)).exec(), 1);
    ins.bind(1, QVariant());
    EXPECT_EQ(errorCode([&] { ins.exec(); }), DbErr::RequiredField);

    SqlStatement sum(
        c, QStringLiteral("SELECT COUNT(*), SUM(Brutto) FROM Journal WHERE Autonummer >= ?"));
    sum.bind(1, qint64(3));
    ASSERT_TRUE(sum.next());
    EXPECT_EQ(sum.row().int64(0), 2);
    EXPECT_EQ(sum.row().money(1), Money::fromWhole(6)) << "row 4 keeps the amount bound for row 3";
    // Binding after a step starts the query over with the new value.
    sum.bind(1, qint64(1));
    ASSERT_TRUE(sum.next());
    EXPECT_EQ(sum.row().int64(0), 4);
    // reset() runs it again with the same value.
    sum.reset();
    ASSERT_TRUE(sum.next());
    EXPECT_EQ(sum.row().int64(0), 4);
}

TEST_F(Sql, RowLoopReadsInOrderAndStopsWhenAsked) {
    SqlConnection c = SqlConnection::open(konten);
    QStringList seen;
    forEachRow(c, QStringLiteral("SELECT KtoNr, Name FROM Konten ORDER BY KtoNr"),
               [&](const SqlRow &r) {
                   seen << QString::number(r.int64(0)) + QLatin1Char(' ') + r.text(1);
               });
    EXPECT_EQ(seen, QStringList({QStringLiteral("1200 Bank"), QStringLiteral("8400 Erlöse 19 %")}));

    int calls = 0;
    forEachRow(c, QStringLiteral("SELECT KtoNr FROM Konten WHERE KtoNr >= ? ORDER BY KtoNr"),
               {qint64(0)}, [&](const SqlRow &) { return ++calls < 1; });
    EXPECT_EQ(calls, 1);

    // What the body throws passes unchanged; the rules' own exceptions must not turn into
    // engine errors.
    struct Stop {};
    EXPECT_THROW(forEachRow(c, QStringLiteral("SELECT 1"), [](const SqlRow &) { throw Stop(); }),
                 Stop);
}

TEST_F(Sql, EngineFailuresArriveAsEngineErrorsNamingTheFile) {
    SqlConnection c = SqlConnection::open(konten);
    try {
        scalar(c, QStringLiteral("SELECT Nichtda FROM Konten"));
        FAIL() << "an unknown column is an error";
    } catch (const EngineError &e) {
        EXPECT_EQ(e.code(), DbErr::General);
        EXPECT_TRUE(e.message().contains(QStringLiteral("Konten.DB"))) << e.message().toStdString();
    }
    EXPECT_EQ(errorCode([&] {
                  execute(c,
                          QStringLiteral("INSERT INTO Konten (KtoNr, Name, Art) VALUES (?, ?, ?)"),
                          {qint64(1200), QStringLiteral("Doppelt"), 4});
              }),
              DbErr::KeyViolation);
    EXPECT_EQ(errorCode([&] { SqlConnection::open(dir.path() + QStringLiteral("/Fehlt.DB")); }),
              DbErr::TableMissing);
    EXPECT_EQ(errorCode([&] {
                  SqlConnection::attached(
                      {{QStringLiteral("K"), konten},
                       {QStringLiteral("F"), dir.path() + QStringLiteral("/Fehlt.DB")}});
              }),
              DbErr::TableMissing);

    // A closed table has no connection to lend.
    Table k(Schemas::konten());
    k.setFolder(dir.path());
    EXPECT_EQ(errorCode([&] { hasRow(k, QStringLiteral("SELECT 1")); }), DbErr::General);
}

} // namespace ledra
