#pragma once
// The invoicing program's tables that the bookkeeping reads and writes: its invoice book,
// the invoice headers and its change log. Exists only while the invoicing program is
// installed beside this program.

#include "store/Money.h"
#include "store/SqlConnection.h"
#include "store/SqlStatement.h"
#include "store/Table.h"

#include <QChar>
#include <QDate>
#include <QString>
#include <map>
#include <optional>
#include <utility>
#include <vector>
namespace ledra {

class Ui;

// One invoice of the invoice book with what its header says about it.
struct Rechnung {
    qint64 rowid = 0; // of the invoice-book row
    QString typ;
    qint64 belNr = 0;
    Money zahlung, skonto, einbehalt;
    QString info;
    Money brutto;     // the header's invoice total
    int waehrung = 2; // the header's currency: below 2 DM, else euro
    bool inDm() const { return waehrung < 2; }
    // What is still open, in the invoice's currency.
    Money offen() const { return brutto - zahlung - skonto - einbehalt; }
};

// The invoices' types and numbers, read once for a run over many payments, so that finding
// each payment's invoice costs no pass over the whole book. Its answers hold as long as no
// invoice is added, deleted or renumbered meanwhile, as inside a transfer's transaction,
// which only enters payments.
class Rechnungsverzeichnis {
public:
    // The rowid of the invoice of this type whose number ends with the voucher text, searched
    // from the end of the book; nullopt when there is none.
    std::optional<qint64> find(const QString &belegText, QChar typ);
    // The invoice with this rowid as it stands now (with the payments entered so far on the
    // same connection) and its header.
    std::optional<Rechnung> rechnung(qint64 rowid);

private:
    friend class RechnungsbuchStore;
    Rechnungsverzeichnis(SqlConnection connection, SqlStatement row, SqlStatement header)
        : m_connection(std::move(connection)), m_row(std::move(row)), m_header(std::move(header)) {}
    SqlConnection m_connection;
    SqlStatement m_row, m_header;
    // The writes of the payments, prepared at the first one.
    std::optional<SqlStatement> m_pay, m_logUpdate, m_logInsert;
    // The time the change log gives the run's entries, which one commit makes at once.
    QString m_logZeit;
    struct Eintrag {
        qint64 belNr, rowid;
    };
    struct Typ {
        std::vector<Eintrag> all; // by number, descending
        // The numbers from 0 up by their last n digits, made when a voucher of n digits is
        // first looked for: (last digits, position in `all`) in that order, so that the
        // numbers of one ending stand together, descending.
        std::map<int, std::vector<std::pair<qint64, size_t>>> bySuffix;
    };
    std::map<QString, Typ> m_typen;
};

class RechnungsbuchStore {
public:
    explicit RechnungsbuchStore(Ui &ui);
    Table TRechbuch, TBeleg, TProtokoll;
    // The change log is written only when the invoicing program says so (Client > 0).
    bool MitProtokoll = false;

    // Opens the three tables in the invoicing program's data folder; throws EngineError.
    void open(const QString &folder);
    void close();

    // Whether an invoice number, written with eight digits, ends with the voucher text and
    // holds it nowhere before: a voucher "1234" names invoice 1234, and also 51234 when that
    // comes later in the book.
    static bool belNrEndsWith(qint64 belNr, const QString &belegText);

    // The keys of the invoice book on a connection that has it attached under `rechAlias`
    // (an empty alias: the store's own table), for the searches of a run's payments; inside
    // another unit's transaction its own changes are seen.
    Rechnungsverzeichnis verzeichnis(SqlConnection connection, const QString &rechAlias);

    // Records in the change log that a row of `table` was stored ('P') or deleted ('D'); its
    // key is the text of its first `keyFields` fields. Nothing without the log. A failure is
    // reported and goes no further: the change itself stays.
    void protokollieren(Table &table, QChar kind, int keyFields);

    // The alias under which a unit of work attaches the invoice book for enterPayment().
    static QString paymentAlias() { return QStringLiteral("rb"); }
    // The files a payment entry writes, for attaching to a unit of work: the invoice book
    // and the change log, as (alias, path).
    std::vector<std::pair<QString, QString>> paymentFiles() const;
    // Adds a payment to an invoice inside the caller's transaction, on the connection of a
    // directory made there under paymentAlias() (with paymentFiles() attached), with the
    // statements prepared once for the run; writes the change log there too. Throws
    // EngineError when the invoice-book row cannot be written.
    void enterPayment(Rechnungsverzeichnis &run, const Rechnung &r, const QDate &bezahlt,
                      Money zahlung, Money skonto, const QString &infoLines);
    // Re-reads the tables after a unit of work changed them.
    void refresh();

private:
    // The change-log entry on a connection where the log is `protokollSql`; the statements
    // are prepared when still empty.
    void writeProtokoll(SqlConnection connection, const QString &protokollSql,
                        const QString &tableName, const QString &key, QChar kind);
    // `zeit` is the entry's time as the log writes it.
    void writeProtokoll(std::optional<SqlStatement> &update, std::optional<SqlStatement> &insert,
                        SqlConnection connection, const QString &protokollSql,
                        const QString &tableName, const QString &key, QChar kind,
                        const QString &zeit);
    // The invoice book as SQL names it on a connection with it attached under the alias.
    QString bookSql(const QString &rechAlias) const;

    Ui &m_ui;
};

} // namespace ledra
