#include "KontenRules.h"

#include "books/BooksSession.h"
#include "books/KontoArt.h"
#include "openitems/OffenePostenModule.h"
#include "store/Sql.h"
#include "store/Table.h"
#include "store/TableFile.h"
#include "ui/Ui.h"

namespace ledra {

namespace {
bool numberIn(Table &t, qint64 nr) {
    return hasRow(
        t,
        QStringLiteral("SELECT 1 FROM %1 WHERE Soll = ?1 OR Haben = ?1 LIMIT 1").arg(quotedName(t)),
        {nr});
}
} // namespace

KontenRules::KontenRules(BooksSession &fb) : m_fb(fb) {
    Table &k = m_fb.kontenGrid;
    k.beforeEdit = [this](Table &t) { beforeKontoEdit(t); };
    k.beforeDelete = [this](Table &t) { beforeKontoDelete(t); };
    k.beforePost = [this](Table &t) { beforeKontoPost(t); };
    k.onNewRecord = [this](Table &t) { onKontoNewRecord(t); };
    k.afterPost = [this](Table &t) { afterKontoPost(t); };
    k.afterDelete = [this](Table &t) { afterKontoPost(t); };
}

bool KontenRules::inUse(qint64 ktoNr, Money saldo) const {
    if (!saldo.isZero())
        return true;
    return numberIn(m_fb.stapel, ktoNr) || numberIn(m_fb.journal, ktoNr);
}

void KontenRules::beforeKontoEdit(Table &t) {
    m_fb.checkNoDataOperation();
    if (selectedColumn >= 5)
        return;
    if (inUse(t.asInt(QStringLiteral("KtoNr")), t.asMoney(QStringLiteral("Saldo")))) {
        m_fb.ui().error(QStringLiteral("Konto wird benutzt und kann nicht verändert werden!"));
        throw SilentAbort();
    }
}

void KontenRules::beforeKontoDelete(Table &t) {
    m_fb.checkNoDataOperation();
    if (inUse(t.asInt(QStringLiteral("KtoNr")), t.asMoney(QStringLiteral("Saldo")))) {
        m_fb.ui().error(QStringLiteral("Konto wird benutzt und kann nicht gelöscht werden!"));
        throw SilentAbort();
    }
}

void KontenRules::beforeKontoPost(Table &t) {
    const qint64 nr = t.asInt(QStringLiteral("KtoNr"));
    if (!t.isNull(QStringLiteral("KtoNr")) && (nr < 10 || nr > 9999999)) {
        m_fb.ui().error(QStringLiteral("Die Kontonummer muss zwischen 10 und 9999999 liegen."));
        throw SilentAbort();
    }
    const qint64 bwa = t.asInt(QStringLiteral("BWA"));
    if (bwa >= 1000 && bwa % 1000 == 0) {
        m_fb.ui().error(QStringLiteral("Bitte keine BWA-Sektionen zuordnen!"));
        throw SilentAbort();
    }
}

void KontenRules::onKontoNewRecord(Table &t) {
    t.setMoney(QStringLiteral("Saldo"), Money());
    t.setMoney(QStringLiteral("Soll"), Money());
    t.setMoney(QStringLiteral("Haben"), Money());
}

void KontenRules::afterKontoPost(Table &) {
    m_fb.notify(BooksEvent::ChartChanged);
}

void KontenRules::changeArt(int art) {
    Table &t = m_fb.kontenGrid;
    if (!t.isEditing())
        t.edit();
    t.setValue(QStringLiteral("Art"), art);
    // A profit-and-loss account takes the full rate; balance accounts have no rate of their own.
    t.setValue(QStringLiteral("Mwst"),
               isErfolgskonto(kontoArtFromCode(art)) ? m_fb.settings.fullRate() : 0.0);
}

void KontenRules::setOpening(const QString &side, const QString &other, const QString &text,
                             int sign) {
    Table &t = m_fb.kontenGrid;
    if (!t.isEditing())
        t.edit();
    if (!t.asMoney(other).isZero()) {
        m_fb.ui().warning(QStringLiteral("Nur ein Vortrag in Soll oder Haben möglich!"));
        t.setMoney(side, Money());
        return;
    }
    auto m = text.trimmed().isEmpty() ? std::optional<Money>(Money()) : Money::parseGerman(text);
    if (!m || *m > Money::fromWhole(999999999) || *m < Money::fromWhole(-999999999))
        throw EngineError(DbErr::General,
                          QStringLiteral("'%1' ist kein gültiger Betrag.").arg(text));
    const Money old = t.asMoney(side);
    Money saldo = t.asMoney(QStringLiteral("Saldo"));
    saldo = sign > 0 ? saldo - old + *m : saldo + old - *m;
    t.setMoney(side, *m);
    t.setMoney(QStringLiteral("Saldo"), saldo);
}

void KontenRules::setOpeningSoll(const QString &text) {
    setOpening(QStringLiteral("Soll"), QStringLiteral("Haben"), text, 1);
}

void KontenRules::setOpeningHaben(const QString &text) {
    setOpening(QStringLiteral("Haben"), QStringLiteral("Soll"), text, -1);
}

int KontenRules::balanceColour(int art, Money saldo, bool selected) const {
    if (!m_fb.settings.fSaldo || !isSaldoOnWrongSide(kontoArtFromCode(art), saldo))
        return -1;
    return selected ? m_fb.settings.fSaldo2 : m_fb.settings.fSaldo1;
}

void KontenRules::setSearchText(const QString &text) {
    searchText = text;
    m_newSearch = true;
}

bool KontenRules::searchNext() {
    Table &t = m_fb.kontenGrid;
    t.checkBrowseMode();
    const qint64 start = t.bookmark();
    const int from = m_newSearch ? 0 : t.recNo() + 1;
    m_newSearch = false;
    t.disableControls();
    bool found = false;
    if (!searchText.isEmpty()) {
        for (int i = from; i < t.recordCount(); ++i) {
            t.moveTo(i);
            if (t.asString(QStringLiteral("Name")).contains(searchText, Qt::CaseInsensitive)) {
                found = true;
                break;
            }
        }
    }
    if (!found && start)
        t.gotoBookmark(start);
    t.enableControls();
    if (!found)
        m_fb.ui().beep();
    return found;
}

void KontenRules::loadChart(bool skr03) {
    const QString base = m_fb.baseDataFolder();
    m_fb.konten.close();
    m_fb.kontenGrid.close();
    if (auto *op = m_fb.openItems())
        op->closeAll();
    QString failure;
    try {
        TableFile::copy(TableFile::resolve(base, skr03 ? QStringLiteral("Datev03.db")
                                                       : QStringLiteral("Datev04.db")),
                        TableFile::resolve(base, QStringLiteral("Konten.DB")));
    } catch (const EngineError &e) {
        failure = e.message();
    }
    m_fb.openTableInFolder(m_fb.konten, m_fb.currentDataFolder());
    m_fb.openTableInFolder(m_fb.kontenGrid, m_fb.currentDataFolder());
    if (auto *op = m_fb.openItems())
        op->reopenData();
    m_fb.notify(BooksEvent::ChartChanged);
    if (!failure.isEmpty()) {
        m_fb.ui().error(failure);
        return;
    }
    if (skr03) {
        m_fb.settings.skontoErh = QStringLiteral("3730");
        m_fb.settings.skontoGew = QStringLiteral("8730");
        m_fb.settings.vorsteuer = QStringLiteral("1570");
        m_fb.settings.kontoMwst = QStringLiteral("1770");
        m_fb.settings.kapital = QStringLiteral("0880");
    } else {
        m_fb.settings.kapital = QStringLiteral("2010");
    }
    m_fb.notify(BooksEvent::ChartChanged);
}

} // namespace ledra
