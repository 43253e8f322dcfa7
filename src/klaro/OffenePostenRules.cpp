#include "OffenePostenRules.h"

#include "store/Dates.h"
#include "store/EngineError.h"
#include "store/TableFile.h"
#include "ui/Ui.h"

#include <QDir>

#include <algorithm>

namespace ledra {

namespace {

const char *const kArtCaption[] = {"Alle Konten", "Forderungen", "Verbindlichkeiten"};
const QString kOrderDatum = QStringLiteral("ORDER BY D1.Belegdatum, D1.Belegnummer");
const QString kOrderZiel = QStringLiteral("ORDER BY d.Datum, D1.Belegnummer");

std::optional<qint64> parseNumber(const QString &text) {
    bool ok = false;
    const qint64 n = text.trimmed().toLongLong(&ok);
    return ok ? std::optional<qint64>(n) : std::nullopt;
}

} // namespace

OffenePostenRules::OffenePostenRules(Ui &ui) : m_ui(ui), m_daten(ui) {}

void OffenePostenRules::init(const QString &dataFolder, const QString &currencySymbol) {
    m_daten.open(dataFolder);
    m_daten.currencySymbol = currencySymbol;
    m_jahre = QStringList{QStringLiteral("Akt. Jahr")};
    // Every sub-folder may hold an earlier year; which ones do is found when one is chosen.
    for (const QString &d :
         QDir(dataFolder)
             .entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase))
        if (!d.startsWith(QLatin1Char('.')))
            m_jahre << d;
    m_jahr = 0;
}

QString OffenePostenRules::jahrFolder(int index) const {
    const QString base = m_daten.dataFolder;
    return index <= 0 ? base : TableFile::withSlash(base) + m_jahre.value(index);
}

void OffenePostenRules::show() {
    m_konto = 0;
    m_art = Art::Alle;
    m_bereich = Bereich::Keiner;
    m_kundenLabel = false;
    m_kunden.clear();
    m_daten.setLine(OffenePostenStore::kLineArt, QString());
    m_daten.setLine(OffenePostenStore::kLineBereich, QString());
    m_current = -1;
    openList();
}

void OffenePostenRules::hide() {
    m_kunden.clear();
    m_kundenLabel = false;
}

bool OffenePostenRules::chooseJahr(int index) {
    if (index < 0 || index >= m_jahre.size())
        index = 0;
    try {
        m_daten.setAlias(jahrFolder(index));
        m_jahr = index;
        m_current = rows().empty() ? -1 : 0;
        return true;
    } catch (const EngineError &e) {
        m_ui.error(e.message());
    }
    m_jahr = 0;
    m_daten.setAlias(jahrFolder(0));
    m_current = rows().empty() ? -1 : 0;
    return false;
}

QString OffenePostenRules::artCaption() const {
    return QString::fromUtf8(kArtCaption[int(m_art)]);
}

QString OffenePostenRules::kundenLabel() const {
    if (!m_kundenLabel)
        return QString();
    return m_art == Art::Verbindlichkeiten ? QStringLiteral("Lieferant") : QStringLiteral("Kunde");
}

void OffenePostenRules::cycleArt() {
    switch (m_art) {
    case Art::Alle:
        m_art = Art::Forderungen;
        m_daten.setLine(OffenePostenStore::kLineArt, QStringLiteral("AND D2.Art=7"));
        m_kunden = m_daten.kunden(false);
        m_kundenLabel = true;
        break;
    case Art::Forderungen:
        m_art = Art::Verbindlichkeiten;
        m_daten.setLine(OffenePostenStore::kLineArt, QStringLiteral("AND D3.Art=8"));
        m_kunden = m_daten.kunden(true);
        m_kundenLabel = true;
        break;
    case Art::Verbindlichkeiten:
        m_art = Art::Alle;
        m_daten.setLine(OffenePostenStore::kLineArt, QStringLiteral("AND (D2.Art=7 OR D3.Art=8)"));
        m_daten.setLine(OffenePostenStore::kLineBereich, QString());
        m_kunden.clear();
        m_kundenLabel = false;
        break;
    }
    m_konto = 0;
    openList();
}

void OffenePostenRules::chooseKonto(qint64 ktoNr) {
    if (ktoNr <= 0)
        return;
    m_konto = ktoNr;
    // The account condition takes the type condition's place.
    m_daten.setLine(OffenePostenStore::kLineArt, QStringLiteral("AND (D1.Soll=? OR D1.Haben=?)"),
                    {ktoNr, ktoNr});
    openList();
}

bool OffenePostenRules::applyBereich(Bereich b) {
    m_bereich = b;
    bool converted = true;
    QString line;
    QVariantList params;
    auto bound = [&](const QString &text, const QString &fieldName, const QString &control,
                     const QString &op) {
        if (text.trimmed().isEmpty())
            return;
        if (b == Bereich::Datum) {
            const auto d = parseGermanDate(text.trimmed());
            if (!d) {
                m_ui.focus(control);
                m_ui.error(QStringLiteral("Feld „%1“: '%2' ist kein gültiges Datum.")
                               .arg(fieldName, text));
                converted = false;
                return;
            }
            line += QStringLiteral(" AND D1.Belegdatum") + op + QStringLiteral("?");
            params << isoDate(*d);
        } else {
            const auto n = parseNumber(text);
            if (!n) {
                m_ui.focus(control);
                m_ui.error(QStringLiteral("Feld „%1“: '%2' ist keine gültige Belegnummer.")
                               .arg(fieldName, text));
                converted = false;
                return;
            }
            line += QStringLiteral(" AND D1.Belegnummer") + op + QStringLiteral("?");
            params << *n;
        }
    };
    if (b != Bereich::Keiner) {
        bound(von, QStringLiteral("von"), QStringLiteral("EVon"), QStringLiteral(">="));
        bound(bis, QStringLiteral("bis"), QStringLiteral("EBis"), QStringLiteral("<="));
    }
    m_daten.setLine(OffenePostenStore::kLineBereich, line, params);
    openList();
    return converted;
}

void OffenePostenRules::chooseKunde(qint64 nr) {
    if (nr == 0)
        return;
    applyBereich(m_bereich);
    const int l = OffenePostenStore::kLineBereich;
    QVariantList params = m_daten.lineParams(l);
    params << nr;
    m_daten.setLine(l, m_daten.lines().value(l) + QStringLiteral(" AND d.KNr=?"), params);
    openList();
}

bool OffenePostenRules::search(const QString &text) {
    if (text.isEmpty())
        return true;
    const auto &r = rows();
    if (text.contains(QLatin1Char(','))) {
        const auto amount = Money::parseGerman(text);
        if (!amount)
            return false;
        for (size_t i = 0; i < r.size(); ++i)
            if (r[i].betrag == *amount) {
                m_current = int(i);
                break;
            }
        return true;
    }
    const auto nr = parseNumber(text);
    if (!nr)
        return false;
    for (size_t i = 0; i < r.size(); ++i)
        if (r[i].belegnummer == *nr) {
            m_current = int(i);
            break;
        }
    return true;
}

void OffenePostenRules::sortBy(Sortierung s) {
    m_sort = s;
    m_daten.setLine(OffenePostenStore::kLineOrder,
                    s == Sortierung::Datum ? kOrderDatum : kOrderZiel);
    // The account chooser is emptied; its condition stays in force.
    m_konto = 0;
    openList();
}

void OffenePostenRules::setCurrent(int row) {
    m_current = rows().empty() ? -1 : std::clamp(row, 0, int(rows().size()) - 1);
}

const OffenerPostenZeile *OffenePostenRules::currentRow() const {
    if (m_current < 0 || m_current >= int(rows().size()))
        return nullptr;
    return &rows()[size_t(m_current)];
}

void OffenePostenRules::openList() {
    m_daten.openList();
    m_current = rows().empty() ? -1 : 0;
}

void OffenePostenRules::reload() {
    const qint64 keep = currentRow() ? currentRow()->autonummer : 0;
    const int was = m_current;
    m_daten.openList();
    m_current = -1;
    for (size_t i = 0; i < rows().size(); ++i)
        if (rows()[i].autonummer == keep)
            m_current = int(i);
    if (m_current < 0)
        setCurrent(was);
}

bool OffenePostenRules::addBooking(qint64 autonummer) {
    Table &j = m_daten.journal;
    if (!j.locate(QStringLiteral("Autonummer"), autonummer)) {
        m_ui.error(QStringLiteral("Buchung %1 nicht im Journal gefunden.").arg(autonummer));
        return false;
    }
    const Money brutto = j.asMoney(QStringLiteral("Brutto"));
    Table &op = m_daten.op;
    bool added = false;
    try {
        op.insert();
        op.setValue(QStringLiteral("Nr"), autonummer);
        op.setMoney(QStringLiteral("Betrag"), brutto);
        op.post();
        added = true;
    } catch (const EngineError &e) {
        if (op.isEditing())
            op.cancel();
        if (e.code() == DbErr::KeyViolation)
            m_ui.error(QStringLiteral("Offener Posten ist schon vorhanden !"));
        else
            m_ui.error(e.message());
    }
    reload();
    if (added)
        for (size_t i = 0; i < rows().size(); ++i)
            if (rows()[i].autonummer == autonummer)
                m_current = int(i);
    return added;
}

bool OffenePostenRules::deleteCurrent() {
    bool deleted = false;
    if (const OffenerPostenZeile *r = currentRow();
        r && OffenePostenStore::findNr(r->autonummer, m_daten.op) &&
        m_ui.confirm(QStringLiteral("OP zum Beleg ") + QString::number(r->belegnummer) +
                         QStringLiteral(" löschen ?"),
                     Btn::YesNo) == Btn::Yes) {
        m_daten.op.remove();
        deleted = true;
    }
    reload();
    return deleted;
}

std::optional<OffenePostenRules::Aenderung> OffenePostenRules::beginChange() {
    const OffenerPostenZeile *r = currentRow();
    if (!r || !OffenePostenStore::findNr(r->autonummer, m_daten.op))
        return std::nullopt;
    Table &op = m_daten.op;
    Aenderung a;
    a.nr = r->autonummer;
    a.betrag = op.asMoney(QStringLiteral("Betrag"));
    a.euro = r->isEuro();
    a.ziel = op.asDate(QStringLiteral("Datum"));
    a.kunde = op.asInt(QStringLiteral("KNr"));
    // An invoice to a customer ("R:") or from a supplier ("L:") may be given its partner.
    const QString head = r->buchungstext.left(2);
    if (head == QLatin1String("R:"))
        a.wahl = Aenderung::Wahl::Kunden;
    else if (head == QLatin1String("L:"))
        a.wahl = Aenderung::Wahl::Lieferanten;
    if (a.wahl != Aenderung::Wahl::Keine)
        m_kunden = m_daten.kunden(a.wahl == Aenderung::Wahl::Lieferanten);
    return a;
}

bool OffenePostenRules::saveChange(const Aenderung &before, const QString &betragText,
                                   const QString &zielText, qint64 kunde) {
    auto amount = Money::parsePlain(betragText.trimmed());
    if (!amount)
        amount = Money::parseGerman(betragText.trimmed());
    if (!amount) {
        m_ui.focus(QStringLiteral("DBBetrag"));
        m_ui.error(QStringLiteral("Feld „Betrag“: '%1' ist kein gültiger Betrag.").arg(betragText));
        return false;
    }
    QDate ziel;
    if (!zielText.trimmed().isEmpty()) {
        const auto d = parseGermanDate(zielText.trimmed());
        if (!d) {
            m_ui.focus(QStringLiteral("DBZiel"));
            m_ui.error(
                QStringLiteral("Feld „Zahlungsziel“: '%1' ist kein gültiges Datum.").arg(zielText));
            return false;
        }
        ziel = *d;
    }
    if (*amount == before.betrag && ziel == before.ziel && kunde == before.kunde)
        return true;
    Table &op = m_daten.op;
    if (!OffenePostenStore::findNr(before.nr, op)) {
        m_ui.error(QStringLiteral("Der offene Posten %1 ist nicht mehr vorhanden.").arg(before.nr));
        return false;
    }
    op.edit();
    op.setMoney(QStringLiteral("Betrag"), *amount);
    op.setValue(QStringLiteral("Datum"), ziel.isValid() ? QVariant(ziel) : QVariant());
    op.setValue(QStringLiteral("KNr"), kunde != 0 ? QVariant(kunde) : QVariant());
    try {
        op.post();
    } catch (const EngineError &) {
        if (op.isEditing())
            op.cancel();
        throw;
    }
    reload();
    return true;
}

} // namespace ledra
