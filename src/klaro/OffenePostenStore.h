#pragma once
// The open-items data of the plug-in: the open-items table OP.db and the settlement batch
// Stapel.db of the base data folder, the journal and the chart of accounts of the year the
// manager window shows, the list query over them and the customer or supplier list of the
// invoicing program. Widget-free: the window, the command line and the tests share it.

#include "store/Money.h"
#include "store/Query.h"
#include "store/Table.h"

#include <QDate>
#include <QString>
#include <QVariantList>
#include <array>
#include <optional>
#include <vector>

namespace ledra {

class Ui;

// One row of the open-items list, in the columns of the list query.
struct OffenerPostenZeile {
    Money betrag; // still open, in the booking's currency
    QDate zahlungsziel;
    qint64 autonummer = 0; // the open item's number
    QDate belegdatum;
    QString buchungstext;
    qint64 soll = 0, haben = 0;
    qint64 belegnummer = 0;
    std::optional<bool> euro; // empty on old rows: taken as euro
    int sollArt = -1, habenArt = -1;
    double steuersatz = 0;
    Money steuer; // the tax of the whole booking

    bool isEuro() const { return euro.value_or(true); }
};

// A customer or supplier of the invoicing program.
struct KundeEintrag {
    qint64 nr = 0;
    QString name, ort;
};

class OffenePostenStore {
public:
    // Positions of the list query's columns.
    enum Spalte {
        qBetrag,
        qZiel,
        qAutonummer,
        qBelegdatum,
        qBuchungstext,
        qSoll,
        qHaben,
        qBelegnummer,
        qEuro,
        qXSollArt,
        qXHabenArt,
        qSteuersatz,
        qSteuer
    };
    // The list query's lines that the filters replace.
    static constexpr int kLineTables = 1, kLineArt = 6, kLineBereich = 7, kLineOrder = 8;

    explicit OffenePostenStore(Ui &ui);
    ~OffenePostenStore();
    OffenePostenStore(const OffenePostenStore &) = delete;
    OffenePostenStore &operator=(const OffenePostenStore &) = delete;

    // Opens the tables in the data folder. A table delivered as NEW<name> beside its old
    // file takes the old rows over and replaces it; OP.db and Stapel.db are created when
    // missing. Throws EngineError when a table cannot be opened.
    void open(const QString &dataFolder);
    void closeAll();
    // Points the list and the journal at a year's folder; the open items stay those of the
    // data folder. Throws EngineError when the folder holds no journal.
    void setAlias(const QString &folder);
    const QString &yearFolder() const { return m_yearFolder; }

    // Runs the list query with the current lines and their values.
    void openList();
    const std::vector<OffenerPostenZeile> &rows() const { return m_rows; }
    // Sets one line of the list query with the values of its placeholders.
    void setLine(int line, const QString &text, const QVariantList &params = {});
    const QStringList &lines() const { return m_qop.lines(); }
    // The query text with its values in order and its attached files, for the list print.
    QString listSql() const { return m_qop.text(); }
    QVariantList listParams() const;
    const QVariantList &lineParams(int line) const { return m_lineParams[size_t(line)]; }
    std::vector<std::pair<QString, QString>> listFiles() const;

    // The row whose field "Nr" equals nr becomes current; false when there is none.
    static bool findNr(qint64 nr, Table &table);
    // The highest open-item number; 0 when there are none.
    qint64 lastNumber();

    // The amount as the list shows it: "1.234,56 €" ("DM" for a DM booking).
    QString listAmountText(Money amount, std::optional<bool> euro) const;
    // The amount of OP.db as the change dialog shows it: "1.234,56€", and for typing
    // "1234.56".
    QString itemAmountText(Money amount, bool euro, bool forEditing) const;

    // The invoicing program's customers (or suppliers) ordered by name; empty without it.
    std::vector<KundeEintrag> kunden(bool lieferanten) const;

    QString dataFolder;
    QString currencySymbol = QStringLiteral("€");
    QString customerFolder; // the invoicing program's data; empty when it is not installed

    Table journal, stapel, op, konten;

private:
    Ui &m_ui;
    Query m_qop;
    std::array<QVariantList, 9> m_lineParams;
    QString m_yearFolder;
    std::vector<OffenerPostenZeile> m_rows;
};

} // namespace ledra
