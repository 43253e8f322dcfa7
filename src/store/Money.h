#pragma once
// Money as a fixed-point number with four decimals (1 unit = 1/10000). There is no
// constructor from double on purpose: every conversion and rounding is named.

#include <QMetaType>
#include <QString>
#include <QtGlobal>
#include <compare>
#include <optional>
namespace ledra {

struct ExactMoneyText;

class Money {
public:
    constexpr Money() = default;
    static constexpr Money fromUnits(qint64 units) { return Money(units); }
    static constexpr Money fromCents(qint64 cents) { return Money(cents * 100); }
    static constexpr Money fromWhole(qint64 whole) { return Money(whole * 10000); }
    // Nearest unit of a double, for values the engine or a user handed over as floating
    // point (rates times amounts). Not for storing sums.
    static Money fromDoubleNearest(double value);

    // German input: "1.234,56", "-12,5", "12"; a point alone before 1 to 2 digits at the
    // end is taken as decimal point too ("12.50"). Empty or malformed gives nullopt.
    static std::optional<Money> parseGerman(const QString &text);
    // Machine text with a decimal point ("1234.56", "-0.5").
    static std::optional<Money> parsePlain(const QString &text);

    // German input read exactly as written, for amounts a person enters: nothing is rounded,
    // so the caller can refuse what the type (or the bookkeeping) cannot hold.
    static ExactMoneyText parseGermanExact(const QString &text);
    // Whole-number digits the type holds in every input (its range is about 9.2e14).
    static constexpr int kMaxWholeDigits = 14;

    constexpr qint64 units() const { return m_v; }
    double toDouble() const { return double(m_v) / 10000.0; }
    constexpr bool isZero() const { return m_v == 0; }

    // Halves away from zero, to whole cents.
    Money round2() const;
    // Halves to the even cent, to whole cents.
    Money roundHalfEven2() const;
    // Equality with the tolerance the bookkeeping uses for amounts (0.01).
    bool nearlyEquals(Money other) const;

    // "1.234,56" (German, thousands dot, decimal comma, two decimals unless asked).
    QString toGerman(int decimals = 2, bool thousands = true) const;
    // "1234.56": two decimals, decimal point, no grouping (exports, command line).
    QString toPlain(int decimals = 2) const;

    constexpr Money operator-() const { return Money(-m_v); }
    constexpr Money operator+(Money o) const { return Money(m_v + o.m_v); }
    constexpr Money operator-(Money o) const { return Money(m_v - o.m_v); }
    Money &operator+=(Money o) {
        m_v += o.m_v;
        return *this;
    }
    Money &operator-=(Money o) {
        m_v -= o.m_v;
        return *this;
    }
    // clang-tidy 14 mistakes the defaulted comparison for a literal 0 compared with a pointer.
    constexpr auto operator<=>(const Money &) const = default; // NOLINT(modernize-use-nullptr)

private:
    constexpr explicit Money(qint64 v) : m_v(v) {}
    qint64 m_v = 0;
};

struct ExactMoneyText {
    enum class Error { None, Malformed, TooManyDecimals, OutOfRange };
    Money value;
    Error error = Error::None;
    int decimals = 0; // decimals written, trailing zeros aside
};

// Halves away from zero of a units value to a multiple of 100 units (one cent).
qint64 roundUnitsHalfAway(qint64 units, qint64 step);
// Rational x = num/den (den > 0) rounded to whole units with halves away from zero.
qint64 divRoundHalfAway(__int128 num, __int128 den);
// Rational rounded to whole units with halves to even.
qint64 divRoundHalfEven(__int128 num, __int128 den);

} // namespace ledra

Q_DECLARE_METATYPE(ledra::Money)
