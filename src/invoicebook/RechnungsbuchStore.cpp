#include "RechnungsbuchStore.h"

#include "store/Dates.h"
#include "store/Sql.h"
#include "ui/Ui.h"

#include <QDateTime>
#include <algorithm>
namespace ledra {

namespace {
const QString kRechAlias = RechnungsbuchStore::paymentAlias();
const QString kProtAlias = QStringLiteral("rp");

QString qualified(const QString &alias, const Table &t) {
    return quoteIdentifier(alias) + QLatin1Char('.') + quotedName(t);
}

// The present time as the change log writes it.
QString logZeit() {
    return QDateTime::currentDateTime().toString(Qt::ISODate);
}
} // namespace

RechnungsbuchStore::RechnungsbuchStore(Ui &ui)
    : TRechbuch(Schemas::rechbuch(), QStringLiteral("TRechbuch")),
      TBeleg(Schemas::beleg(), QStringLiteral("TBeleg")),
      TProtokoll(Schemas::protokoll(), QStringLiteral("TProtokoll")), m_ui(ui) {
    // The header follows the invoice-book row: its key fields.
    TBeleg.setIndexFields({QStringLiteral("Typ"), QStringLiteral("BelNr")});
    TProtokoll.setIndexFields({QStringLiteral("Tabelle"), QStringLiteral("Feld")});
    // Every stored invoice-book row is announced to the invoicing program.
    TRechbuch.afterPost = [this](Table &t) { protokollieren(t, QLatin1Char('P'), 2); };
}

void RechnungsbuchStore::open(const QString &folder) {
    for (Table *t : {&TRechbuch, &TBeleg, &TProtokoll}) {
        t->setFolder(folder);
        t->open();
    }
}

void RechnungsbuchStore::close() {
    for (Table *t : {&TBeleg, &TRechbuch, &TProtokoll})
        t->close();
}

bool RechnungsbuchStore::belNrEndsWith(qint64 belNr, const QString &belegText) {
    if (belegText.isEmpty())
        return false;
    const QString digits = QString::asprintf("%8.8lld", static_cast<long long>(belNr));
    const int at = int(digits.indexOf(belegText));
    return at >= 0 && at + belegText.size() == 8;
}

namespace {

// The columns of an invoice-book row that a payment needs, in the order readRechnung takes.
const QString kRechnungColumns =
    QStringLiteral("rowid, Typ, BelNr, Zahlung, Skonto, Einbehalt, Info");

Rechnung readRechnung(const SqlRow &row) {
    Rechnung r;
    r.rowid = row.int64(0);
    r.typ = row.text(1);
    r.belNr = row.int64(2);
    r.zahlung = row.money(3);
    r.skonto = row.money(4);
    r.einbehalt = row.money(5);
    r.info = row.text(6);
    return r;
}

// A voucher text of digits only (at most eight) names the invoices whose number ends with
// them: the modulus and the value of those last digits.
std::optional<std::pair<qint64, qint64>> digitSuffix(const QString &belegText) {
    bool digits = false;
    const qint64 value = belegText.toLongLong(&digits);
    if (!digits || belegText.size() > 8 || belegText.startsWith(QLatin1Char('-')) ||
        belegText.startsWith(QLatin1Char('+')))
        return std::nullopt;
    qint64 modulus = 1;
    for (int i = 0; i < belegText.size(); ++i)
        modulus *= 10;
    return std::pair{modulus, value};
}

// The header of an invoice with the prepared look-up of the header table.
void readHeaderWith(SqlStatement &header, Rechnung &r) {
    r.brutto = Money();
    r.waehrung = 2;
    if (header.bind(1, r.typ).bind(2, r.belNr).next()) {
        const SqlRow &row = header.row();
        r.brutto = row.money(0);
        // An empty currency field says nothing; the invoice counts as a euro one.
        if (!row.isNull(1))
            r.waehrung = int(row.int64(1));
    }
    header.reset();
}

} // namespace

QString RechnungsbuchStore::bookSql(const QString &rechAlias) const {
    return rechAlias.isEmpty() ? quotedName(TRechbuch) : qualified(rechAlias, TRechbuch);
}

Rechnungsverzeichnis RechnungsbuchStore::verzeichnis(SqlConnection connection,
                                                     const QString &rechAlias) {
    Rechnungsverzeichnis v(
        connection,
        SqlStatement(connection, QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?")
                                     .arg(kRechnungColumns, bookSql(rechAlias))),
        SqlStatement(TBeleg, QStringLiteral("SELECT Brutto, Waehrung FROM %1 WHERE Typ = ? AND "
                                            "BelNr = ?")
                                 .arg(quotedName(TBeleg))));
    // An invoice without a number is found by no voucher. Type by type, each by number from
    // the end: the book's key gives that order without sorting.
    Rechnungsverzeichnis::Typ *typ = nullptr;
    QString typText;
    forEachRow(connection,
               QStringLiteral("SELECT Typ, BelNr, rowid FROM %1 WHERE Typ IS NOT NULL AND BelNr "
                              "IS NOT NULL ORDER BY Typ DESC, BelNr DESC")
                   .arg(bookSql(rechAlias)),
               [&](const SqlRow &row) {
                   const QString t = row.text(0);
                   if (!typ || t != typText) {
                       typText = t;
                       typ = &v.m_typen[t];
                   }
                   typ->all.push_back({row.int64(1), row.int64(2)});
               });
    // A type stored once as text and once as a number comes in two parts.
    const auto byNumberFromTheEnd = [](const Rechnungsverzeichnis::Eintrag &a,
                                       const Rechnungsverzeichnis::Eintrag &b) {
        return a.belNr > b.belNr;
    };
    for (auto &[name, t] : v.m_typen)
        if (!std::is_sorted(t.all.begin(), t.all.end(), byNumberFromTheEnd))
            std::stable_sort(t.all.begin(), t.all.end(), byNumberFromTheEnd);
    return v;
}

std::optional<Rechnung> Rechnungsverzeichnis::rechnung(qint64 rowid) {
    std::optional<Rechnung> found;
    if (m_row.bind(1, rowid).next())
        found = readRechnung(m_row.row());
    m_row.reset();
    if (found)
        readHeaderWith(m_header, *found);
    return found;
}

std::optional<qint64> Rechnungsverzeichnis::find(const QString &belegText, QChar typ) {
    const auto t = m_typen.find(QString(typ));
    if (t == m_typen.end())
        return std::nullopt;
    Typ &ty = t->second;
    auto firstEnding = [&](auto begin, auto end) -> std::optional<qint64> {
        for (auto it = begin; it != end; ++it)
            if (RechnungsbuchStore::belNrEndsWith(it->belNr, belegText))
                return it->rowid;
        return std::nullopt;
    };
    const auto suffix = digitSuffix(belegText);
    if (!suffix)
        return firstEnding(ty.all.begin(), ty.all.end());
    const auto [modulus, value] = *suffix;
    const auto [groups, fresh] = ty.bySuffix.try_emplace(int(belegText.size()));
    std::vector<std::pair<qint64, size_t>> &endings = groups->second;
    if (fresh) {
        for (size_t i = 0; i < ty.all.size(); ++i)
            if (ty.all[i].belNr >= 0)
                endings.emplace_back(ty.all[i].belNr % modulus, i);
        std::sort(endings.begin(), endings.end());
    }
    // The numbers from 0 up come first from the end; the negative ones, which the search
    // looks at whatever their digits, after them.
    for (auto it = std::lower_bound(endings.begin(), endings.end(), std::pair{value, size_t(0)});
         it != endings.end() && it->first == value; ++it)
        if (RechnungsbuchStore::belNrEndsWith(ty.all[it->second].belNr, belegText))
            return ty.all[it->second].rowid;
    const auto negative = std::partition_point(ty.all.begin(), ty.all.end(),
                                               [](const Eintrag &e) { return e.belNr >= 0; });
    return firstEnding(negative, ty.all.end());
}

void RechnungsbuchStore::protokollieren(Table &table, QChar kind, int keyFields) {
    if (!TProtokoll.isActive() || !MitProtokoll)
        return;
    QStringList key;
    for (int i = 0; i < keyFields && i < table.fieldCount(); ++i)
        key << table.asString(table.schema().fields[size_t(i)].name);
    writeProtokoll(TProtokoll, quotedName(TProtokoll), table.objectName(),
                   key.join(QLatin1Char(';')), kind);
    TProtokoll.refresh();
}

void RechnungsbuchStore::writeProtokoll(SqlConnection connection, const QString &protokollSql,
                                        const QString &tableName, const QString &key, QChar kind) {
    std::optional<SqlStatement> update, insert;
    writeProtokoll(update, insert, std::move(connection), protokollSql, tableName, key, kind,
                   logZeit());
}

void RechnungsbuchStore::writeProtokoll(std::optional<SqlStatement> &update,
                                        std::optional<SqlStatement> &insert,
                                        SqlConnection connection, const QString &protokollSql,
                                        const QString &tableName, const QString &key, QChar kind,
                                        const QString &zeit) {
    if (!TProtokoll.isActive() || !MitProtokoll)
        return;
    const QString feld = key.left(255);
    const QVariantList values{zeit, qlonglong(kind == QLatin1Char('D') ? 1 : 0), tableName, feld};
    try {
        if (!update)
            // The log's index compares without case: the first two conditions let the engine
            // use it, the last two keep the match exact.
            update.emplace(connection,
                           QStringLiteral("UPDATE %1 SET Datum = ?1, Geloescht = ?2 WHERE Tabelle "
                                          "= ?3 COLLATE NOCASE AND Feld = ?4 COLLATE NOCASE AND "
                                          "Tabelle = ?3 AND Feld = ?4")
                               .arg(protokollSql));
        if (update->bindAll(values).exec() == 0) {
            if (!insert)
                insert.emplace(connection, QStringLiteral("INSERT INTO %1 (Datum, Geloescht, "
                                                          "Tabelle, Feld) VALUES (?, ?, ?, ?)")
                                               .arg(protokollSql));
            insert->bindAll(values).exec();
        }
    } catch (const std::exception &) {
        // A refused statement undoes only itself: the invoice-book change stays.
        m_ui.error(QStringLiteral("Fehler beim Eintrag in das Protokoll: ") + tableName +
                   QLatin1Char(',') + key);
    }
}

std::vector<std::pair<QString, QString>> RechnungsbuchStore::paymentFiles() const {
    std::vector<std::pair<QString, QString>> files{{kRechAlias, TRechbuch.path()}};
    if (TProtokoll.isActive() && MitProtokoll)
        files.emplace_back(kProtAlias, TProtokoll.path());
    return files;
}

void RechnungsbuchStore::enterPayment(Rechnungsverzeichnis &run, const Rechnung &r,
                                      const QDate &bezahlt, Money zahlung, Money skonto,
                                      const QString &infoLines) {
    // One commit makes the run's entries at once: they carry the run's time.
    if (run.m_logZeit.isEmpty())
        run.m_logZeit = logZeit();
    if (!run.m_pay)
        run.m_pay.emplace(run.m_connection,
                          QStringLiteral("UPDATE %1 SET Bezahlt = ?, Zahlung = COALESCE(Zahlung, "
                                         "0) + ?, Skonto = COALESCE(Skonto, 0) + ?, Info = "
                                         "COALESCE(Info, '') || ? WHERE rowid = ?")
                              .arg(qualified(kRechAlias, TRechbuch)));
    const int changed =
        run.m_pay->bindAll({isoDate(bezahlt), zahlung.units(), skonto.units(), infoLines, r.rowid})
            .exec();
    if (changed != 1)
        throw EngineError(DbErr::General,
                          QStringLiteral("Die Rechnung %1 %2 steht nicht mehr im Rechnungsbuch.")
                              .arg(r.typ)
                              .arg(r.belNr));
    writeProtokoll(run.m_logUpdate, run.m_logInsert, run.m_connection,
                   qualified(kProtAlias, TProtokoll), TRechbuch.objectName(),
                   r.typ + QLatin1Char(';') + QString::number(r.belNr), QLatin1Char('P'),
                   run.m_logZeit);
}

void RechnungsbuchStore::refresh() {
    for (Table *t : {&TRechbuch, &TProtokoll})
        if (t->isActive())
            t->refresh();
}

} // namespace ledra
