#pragma once
// Running account totals: one booking applied to its debit, credit and tax account.

#include "KontoArt.h"
#include "store/Money.h"

#include <QDate>
#include <QString>
namespace ledra {

class SqlConnection;
class Table;
class Ui;
class YearSettings;

// The fields of a booking row that the totals need, read from a row of the batch, of the
// journal or of a journal query alike.
enum class BalanceTarget { Saldo, DruckSaldo, VorSaldo };
enum class BalanceDirection { Add, Remove };

struct BookingAmounts {
    QDate date;
    qint64 soll = 0, haben = 0;
    Money netto, brutto, steuer;
    bool euro = true;
    std::optional<KontoArt> sollArt, habenArt; // empty: the account does not exist

    // Reads the fields by name; a row without account types looks them up in `konten`.
    static BookingAmounts fromTable(const Table &row);
};

// What one booking does to one account: `amount` is added to the balance (debit positive),
// `turnover` to the debit or credit turnover of the year.
struct AccountEffect {
    qint64 konto = 0;
    Money amount;
    Money turnover;
    bool debitSide = true;
};

// The effects of a booking on its debit, credit and tax account, converted into the
// currency of its date; returns how many (2, or 3 with tax). taxAccount is the input-tax or
// VAT account the booking's tax goes to (0 when it has none); see bookingTaxAccount.
int bookingEffects(const BookingAmounts &row, BalanceDirection direction, qint64 taxAccount,
                   AccountEffect out[3]);
// The tax account of a booking with tax (0 without): the VAT account for revenue bookings,
// else the input-tax account.
qint64 bookingTaxAccount(const BookingAmounts &row, qint64 vorsteuer, qint64 mwst);

// Checks the accounts a booking reaches before anything is written, with the messages of
// UpdateBalances: false (after "Fehler bei Saldeneintrag in Konto N") when the debit or credit
// account is missing, SilentAbort when a row with tax has no tax account. A null ui checks
// without a word.
bool checkBalanceAccounts(Table &konten, const YearSettings &settings, Ui *ui,
                          const BookingAmounts &row);
// Applies the booking to the balances (Saldo, the turnover and the first date) inside the
// caller's transaction on `connection`, where the chart's table is named `kontenTable`.
// Accounts that are not in the chart are left alone (see checkBalanceAccounts).
void writeBalances(const SqlConnection &connection, const QString &kontenTable,
                   const YearSettings &settings, const BookingAmounts &row,
                   BalanceDirection direction);

} // namespace ledra
