#include "OffenePostenStore.h"

#include "reportengine/NumberFormat.h"
#include "store/Dates.h"
#include "store/EngineError.h"
#include "store/Sql.h"
#include "store/TableFile.h"
#include "ui/Ui.h"

#include <QDir>
#include <QFileInfo>

namespace ledra {

namespace {

const QString kAlleArten = QStringLiteral("AND (D2.Art=7 OR D3.Art=8)");

std::optional<qint64> optInt(const QVariant &v) {
    if (v.isNull() || !v.isValid())
        return std::nullopt;
    return v.toLongLong();
}

} // namespace

OffenePostenStore::OffenePostenStore(Ui &ui)
    : journal(Schemas::journal(), QStringLiteral("TJournal")),
      stapel(Schemas::stapel(), QStringLiteral("TStapel")),
      op(Schemas::op(), QStringLiteral("TOP")),
      konten(Schemas::konten(), QStringLiteral("TKonten")), m_ui(ui) {
    m_qop.setLine(
        0, QStringLiteral("SELECT DISTINCT d.Betrag, d.Datum AS Zahlungsziel, D1.Autonummer, "
                          "D1.Belegdatum, D1.Buchungstext, D1.Soll, D1.Haben, D1.Belegnummer, "
                          "D1.Euro, D2.Art AS XSollArt, D3.Art AS XHabenArt, D1.Steuersatz, "
                          "D1.Steuer"));
    // Each file is attached under its alias: O the open items of the data folder, J and K
    // the journal and the chart of the year shown.
    m_qop.setLine(kLineTables,
                  QStringLiteral(R"(FROM O."OP" d, J."Journal" D1, K."Konten" D2, K."Konten" D3)"));
    m_qop.setLine(2, QStringLiteral("WHERE"));
    m_qop.setLine(3, QStringLiteral("(D1.Autonummer = d.Nr)"));
    m_qop.setLine(4, QStringLiteral("AND (D2.KtoNr = D1.Soll)"));
    m_qop.setLine(5, QStringLiteral("AND (D3.KtoNr = D1.Haben) "));
    m_qop.setLine(kLineArt, kAlleArten);
    m_qop.setLine(kLineBereich, QString());
    m_qop.setLine(kLineOrder, QStringLiteral("ORDER BY D1.Belegdatum, D1.Belegnummer"));
    journal.setIndexName(QStringLiteral("BelNr"));
}

OffenePostenStore::~OffenePostenStore() = default;

void OffenePostenStore::open(const QString &folder) {
    dataFolder = folder;
    for (Table *t : {&journal, &stapel, &op, &konten}) {
        t->close();
        t->setFolder(folder);
        const QString newPath =
            TableFile::resolve(folder, QStringLiteral("NEW") + t->schema().fileName);
        if (QFileInfo(newPath).isFile()) {
            // A failed take-over keeps the old table and its rows; the user hears why.
            try {
                TableFile::replaceByNew(newPath, folder, t->schema().fileName);
            } catch (const EngineError &e) {
                m_ui.error(e.message());
            }
        }
        // The module's own tables come into being empty on a data folder that lacks them.
        if ((t == &op || t == &stapel) && !TableFile::exists(folder, t->schema().fileName))
            TableFile::create(TableFile::join(folder, t->schema().fileName), t->schema());
        t->open();
    }
    m_yearFolder = folder;
    m_qop.setTable(QStringLiteral("O"), TableFile::resolve(folder, Schemas::op().fileName));
    m_qop.setTable(QStringLiteral("J"), journal.path());
    m_qop.setTable(QStringLiteral("K"), konten.path());
}

void OffenePostenStore::closeAll() {
    m_qop.close();
    m_rows.clear();
    for (Table *t : {&journal, &stapel, &op, &konten})
        t->close();
}

void OffenePostenStore::setAlias(const QString &folder) {
    const QString j = TableFile::resolve(folder, Schemas::journal().fileName);
    const QString k = TableFile::resolve(folder, Schemas::konten().fileName);
    if (!QFileInfo(j).isFile() || !QFileInfo(k).isFile())
        throw EngineError(
            DbErr::TableMissing,
            QStringLiteral("Im Verzeichnis %1 liegt kein Buchungsjahr (Journal und Konten fehlen).")
                .arg(QDir::toNativeSeparators(folder)));
    m_qop.close();
    m_qop.setTable(QStringLiteral("J"), j);
    m_qop.setTable(QStringLiteral("K"), k);
    journal.close();
    journal.setFolder(folder);
    journal.open();
    m_yearFolder = folder;
    openList();
}

void OffenePostenStore::setLine(int line, const QString &text, const QVariantList &params) {
    m_qop.setLine(line, text);
    m_lineParams[size_t(line)] = params;
}

QVariantList OffenePostenStore::listParams() const {
    QVariantList all;
    for (const QVariantList &p : m_lineParams)
        all += p;
    return all;
}

std::vector<std::pair<QString, QString>> OffenePostenStore::listFiles() const {
    return {{QStringLiteral("O"), TableFile::resolve(dataFolder, Schemas::op().fileName)},
            {QStringLiteral("J"), TableFile::resolve(m_yearFolder, Schemas::journal().fileName)},
            {QStringLiteral("K"), TableFile::resolve(m_yearFolder, Schemas::konten().fileName)}};
}

void OffenePostenStore::openList() {
    for (const auto &[alias, path] : listFiles())
        m_qop.setTable(alias, path);
    m_qop.setParams(listParams());
    m_qop.open();
    m_rows.clear();
    m_rows.reserve(size_t(m_qop.recordCount()));
    for (int i = 0; i < m_qop.recordCount(); ++i) {
        const QVariantList &r = m_qop.row(i);
        OffenerPostenZeile z;
        z.betrag = Money::fromUnits(r[qBetrag].toLongLong());
        z.zahlungsziel = fromIsoDate(r[qZiel].toString());
        z.autonummer = r[qAutonummer].toLongLong();
        z.belegdatum = fromIsoDate(r[qBelegdatum].toString());
        z.buchungstext = r[qBuchungstext].toString();
        z.soll = r[qSoll].toLongLong();
        z.haben = r[qHaben].toLongLong();
        z.belegnummer = r[qBelegnummer].toLongLong();
        if (const auto e = optInt(r[qEuro]))
            z.euro = *e != 0;
        z.sollArt = int(optInt(r[qXSollArt]).value_or(-1));
        z.habenArt = int(optInt(r[qXHabenArt]).value_or(-1));
        z.steuersatz = r[qSteuersatz].toDouble();
        z.steuer = Money::fromUnits(r[qSteuer].toLongLong());
        m_rows.push_back(std::move(z));
    }
}

bool OffenePostenStore::findNr(qint64 nr, Table &table) {
    return table.locate(QStringLiteral("Nr"), nr);
}

qint64 OffenePostenStore::lastNumber() {
    return scalar(op, QStringLiteral("SELECT MAX(Nr) FROM %1").arg(quotedName(op)));
}

QString OffenePostenStore::listAmountText(Money amount, std::optional<bool> euro) const {
    const QString n = amount.toGerman(2, true);
    return euro.value_or(true) ? n + QLatin1Char(' ') + currencySymbol : n + QStringLiteral(" DM");
}

QString OffenePostenStore::itemAmountText(Money amount, bool euro, bool forEditing) const {
    if (forEditing)
        return amount.toPlain(2);
    const QString n = amount.toGerman(2, true);
    return euro ? n + currencySymbol : n + QStringLiteral(" DM");
}

std::vector<KundeEintrag> OffenePostenStore::kunden(bool lieferanten) const {
    std::vector<KundeEintrag> out;
    if (customerFolder.isEmpty())
        return out;
    const TableSchema &s = lieferanten ? Schemas::liefer() : Schemas::kunden();
    const QString sql =
        lieferanten ? QStringLiteral("SELECT LNr AS KNr, Name, Ort FROM Liefer ORDER BY Name")
                    : QStringLiteral("SELECT KNr, Name, Ort FROM Kunden ORDER BY Name");
    try {
        forEachRow(SqlConnection::open(TableFile::resolve(customerFolder, s.fileName)), sql,
                   [&out](const SqlRow &r) {
                       out.push_back(
                           {r.value(0).toLongLong(), r.value(1).toString(), r.value(2).toString()});
                   });
    } catch (const EngineError &e) {
        m_ui.error(e.message());
    }
    return out;
}

} // namespace ledra
