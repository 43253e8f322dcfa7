#pragma once
// The settlement of open items by the booking entry, on the plug-in's side: which batch rows
// open or settle an open item (the settlement batch Stapel.db), what an open item hands over
// to the payment row, how a transferred row changes OP.db, the error list of a transfer and
// the rules of the dialog "OP-Detail". Widget-free; the writes that belong to a batch row or
// a transfer run on the program's connection, inside its transaction.

#include "openitems/OffenePostenModule.h"
#include "store/Money.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

namespace ledra {

class OffenePostenRules;
class SqlConnection;

class AusgleichRules {
public:
    explicit AusgleichRules(OffenePostenRules &rules);
    ~AusgleichRules();
    AusgleichRules(const AusgleichRules &) = delete;
    AusgleichRules &operator=(const AusgleichRules &) = delete;

    // The open item under the list's cursor for the payment row. It becomes the item that
    // the next settling row settles, even when it is refused (nothing: neither of its
    // accounts is a customer or supplier account).
    std::optional<OffenerPostenAusgleich> handOver();
    qint64 handedOver() const { return m_handedOver; }
    // Whether a batch row already settles this open item.
    bool settledInStapel(qint64 number);

    void addStapel(SqlConnection connection, qint64 batchNumber, bool opens);
    void removeStapel(SqlConnection connection, qint64 batchNumber);
    // The status line's text for a batch row.
    QString role(qint64 batchNumber);
    QDate paymentTarget(qint64 batchNumber);
    bool setPaymentTarget(qint64 batchNumber, const QDate &date);

    // A transfer's run on its connection: the settlement batch is read once and the
    // statements are prepared once for all its rows, until endBooking().
    void beginBooking(SqlConnection connection);
    void endBooking();
    // One transferred batch row applied to OP.db; the lines for the error list.
    QStringList book(SqlConnection connection, qint64 batchNumber, Money amount,
                     const QString &voucher);
    void finishBooking(SqlConnection connection);

    // --- the error list "Fehlerauswertung" ---
    const QStringList &fehler() const { return m_fehler; }
    void addFehler(const QStringList &lines) { m_fehler += lines; }
    void clearFehler() { m_fehler.clear(); }

    // --- the dialog "OP-Detail" for one batch row ---
    struct Detail {
        qint64 nr = 0;
        bool stored = false; // the row has an entry in Stapel.db already
        bool opens = false;
        qint64 knr = 0; // the open item the row settles; 0 for none
    };
    Detail beginDetail(qint64 batchNumber);
    // The box "Offenen &Posten ausgleichen": enabled and ticked only for a row that settles
    // an open item it was taken over from.
    static bool settleEnabled(bool opens, qint64 knr) { return !opens && knr != 0; }
    // OK: the entry is stored when it opens or still settles, otherwise it goes.
    void acceptDetail(const Detail &d, bool opens, bool settles);

private:
    QString stapelName(const QString &alias) const;
    QString opName(const QString &alias) const;

    struct Booking;
    // The settlement batch's entries by batch row, as the run looks them up (only those of
    // one batch row when it is given).
    static void readEntries(SqlConnection c, const QString &st, Booking &booking,
                            std::optional<qint64> batchNumber = std::nullopt);
    // Applies a row's entry with the statements of the run.
    QStringList bookEntry(Booking &b, qint64 batchNumber, Money amount, const QString &voucher);

    OffenePostenRules &m_rules;
    std::unique_ptr<Booking> m_booking;
    qint64 m_handedOver = 0;
    QStringList m_fehler;
};

} // namespace ledra
