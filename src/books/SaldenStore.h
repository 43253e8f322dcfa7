#pragma once
// The accumulated totals of the accounts in the chart (Konten): the balance, the year's debit
// and credit turnover and the date of the first booking. SaldenStore is the one place that
// writes them, whether a single booking is applied to its accounts or the recomputation
// writes every account afresh. Its statements are prepared once and bound again for each
// account; the caller holds the transaction around them.

#include "store/Money.h"
#include "store/SqlStatement.h"

#include <QDate>
#include <optional>

namespace ledra {

class Table;
struct AccountEffect;

struct KontoSalden {
    qint64 konto = 0;
    Money saldo;
    // The year's turnover on each side. A chart that never saw a booking on a side may hold
    // no value there; it stays empty until a booking reaches that side.
    std::optional<Money> jvzSoll, jvzHaben;
    QDate datum1; // the earliest booking date; invalid while there is none

    // Adds the effect of one booking dated `date` on this account. A balance or turnover
    // that would leave the range of the fixed-point amounts raises an EngineError naming the
    // account: a wrapped sum would be a wrong balance that looks right.
    void add(const AccountEffect &effect, const QDate &date);
};

class SaldenStore {
public:
    explicit SaldenStore(Table &konten);
    // On another connection, where the chart's table is named `kontenTable` (an attached
    // file's alias."Konten"), so that the totals change in that connection's transaction.
    SaldenStore(const SqlConnection &connection, const QString &kontenTable);

    // The stored totals of an account (an empty balance reads as zero); nullopt when the
    // chart has no such account.
    std::optional<KontoSalden> read(qint64 konto);
    // Replaces the stored totals of the account `salden.konto`.
    void write(const KontoSalden &salden);
    // Adds one booking's effect to the stored totals of its account; an account that is not
    // in the chart is left alone.
    void add(const AccountEffect &effect, const QDate &date);

private:
    SqlStatement m_read;
    SqlStatement m_write;
};

} // namespace ledra
