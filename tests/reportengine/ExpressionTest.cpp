#include "reportengine/Expression.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace ledra::report;

namespace {

Record row(const QStringList &names, const QVariantList &values) {
    return Record(QSharedPointer<const QStringList>::create(names), values);
}

} // namespace

TEST(Expression, TermsOverFields) {
    const Record r = row({"Soll", "Haben", "Name", "Satz"},
                         {qint64(50000), qint64(20000), QStringLiteral("Kasse"), 16.0});
    EXPECT_EQ(Expression::parse("Soll - Haben").evaluate(r), QVariant(qint64(30000)));
    EXPECT_EQ(Expression::parse("-Soll+Haben").evaluate(r), QVariant(qint64(-30000)));
    EXPECT_EQ(Expression::parse("soll").evaluate(r), QVariant(qint64(50000)));
    // A lone field keeps its type; arithmetic with a double becomes a double.
    EXPECT_EQ(Expression::parse("Name").evaluate(r).toString(), "Kasse");
    EXPECT_DOUBLE_EQ(Expression::parse("Satz + 0.5").evaluate(r).toDouble(), 16.5);
    // An unknown or empty field counts as 0 in arithmetic.
    EXPECT_EQ(Expression::parse("Soll - Fehlt").evaluate(r), QVariant(qint64(50000)));
}

TEST(Expression, AggregatesAndSyntaxErrors) {
    EXPECT_EQ(Expression::parse("SUM(Soll-Haben)").aggregate(), Expression::Aggregate::Sum);
    EXPECT_EQ(Expression::parse(" count ").aggregate(), Expression::Aggregate::Count);
    EXPECT_EQ(Expression::parse("COUNT(KtoNr)").aggregate(), Expression::Aggregate::Count);
    EXPECT_EQ(Expression::parse("Soll").aggregate(), Expression::Aggregate::None);
    EXPECT_THROW(Expression::parse("SUM(Soll"), std::invalid_argument);
    EXPECT_THROW(Expression::parse("Soll * Haben"), std::invalid_argument);
    EXPECT_THROW(Expression::parse("Soll -"), std::invalid_argument);
    EXPECT_THROW(Expression::parse(""), std::invalid_argument);
}

TEST(Expression, AccumulatorStaysExactUntilADoubleArrives) {
    Accumulator acc;
    acc.add(QVariant(qint64(1)));
    acc.add(QVariant(qint64(2)));
    acc.add(QVariant()); // an empty field counts as a row but adds nothing
    EXPECT_EQ(acc.sum(), QVariant(qint64(3)));
    EXPECT_EQ(acc.rowCount(), 3);
    acc.add(QVariant(0.5));
    EXPECT_DOUBLE_EQ(acc.sum().toDouble(), 3.5);
    acc.reset();
    EXPECT_EQ(acc.sum(), QVariant(qint64(0)));
    EXPECT_EQ(acc.rowCount(), 0);
}
