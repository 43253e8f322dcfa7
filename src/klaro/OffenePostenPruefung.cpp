// The consistency check of the open items: an open item whose booking is in no year's
// journal any more is deleted, and the counter "AutoNr" is set above every number in use.
// Each year's journal is looked up once for all open items (one join per year) instead of
// once per open item, so the cost grows with open items plus years, not with their product.

#include "OffenePostenRules.h"

#include "books/Settings.h"
#include "store/EngineError.h"
#include "store/Sql.h"
#include "store/TableFile.h"
#include "ui/Ui.h"

#include <QFileInfo>
#include <unordered_set>

namespace ledra {

namespace {

constexpr qint64 kSecondMaximumBelow = 1000000000;
constexpr qint64 kFirstMaximumLimit = 2000000000;

struct Maxima {
    qint64 all = 0;
    qint64 below = 0; // the highest below 1000000000
    void raise(qint64 nr) {
        all = std::max(all, nr);
        if (nr < kSecondMaximumBelow)
            below = std::max(below, nr);
    }
};

} // namespace

OffenePostenRules::Pruefung OffenePostenRules::pruefen() {
    Pruefung result;
    if (m_ui.confirm(QStringLiteral("Ungültige OP werden gelöscht und\r"
                                    "ein interner Zähler wird angepasst.\r"
                                    "Zum Abbrechen klicken Sie auf den Fortschrittsbalken\r\r"
                                    "Wollen Sie die Aktion durchführen?"),
                     Btn::YesNo) != Btn::Yes)
        return result;
    result.ran = true;
    auto stopped = [this] { return abortRequested && abortRequested(); };
    Table &op = m_daten.op;
    const QString opPath = op.path();
    std::vector<qint64> numbers;
    forEachRow(op, QStringLiteral("SELECT Nr FROM %1 ORDER BY Nr").arg(quotedName(op)),
               [&numbers](const SqlRow &r) { numbers.push_back(r.value(0).toLongLong()); });
    const int total = int(numbers.size());
    if (progress)
        progress(0, total);
    m_ui.processEvents();

    // Which open items each year's journal holds, and the journals' highest numbers. A
    // sub-folder without a journal holds no year; a journal that cannot be read stops the
    // check before anything is deleted, since its bookings could not be told apart.
    std::unordered_set<qint64> found;
    Maxima journals;
    const QString journalName = quoteIdentifier(Schemas::journal().name);
    const QString opName = quoteIdentifier(Schemas::op().name);
    for (int y = 0; y < m_jahre.size() && !result.aborted; ++y) {
        const QString j = TableFile::resolve(jahrFolder(y), Schemas::journal().fileName);
        if (!QFileInfo(j).isFile())
            continue;
        try {
            SqlConnection c =
                SqlConnection::attached({{QStringLiteral("O"), opPath}, {QStringLiteral("J"), j}});
            forEachRow(c,
                       QStringLiteral("SELECT d.Nr FROM O.%1 d WHERE EXISTS "
                                      "(SELECT 1 FROM J.%2 b WHERE b.Autonummer = d.Nr)")
                           .arg(opName, journalName),
                       [&found](const SqlRow &r) { found.insert(r.value(0).toLongLong()); });
            journals.raise(
                scalar(c, QStringLiteral("SELECT MAX(Autonummer) FROM J.%1").arg(journalName)));
            journals.below = std::max(
                journals.below,
                scalar(c,
                       QStringLiteral("SELECT MAX(Autonummer) FROM J.%1 WHERE Autonummer < ?")
                           .arg(journalName),
                       {kSecondMaximumBelow}));
        } catch (const EngineError &e) {
            m_ui.error(e.message());
            result.aborted = true;
        }
        m_ui.processEvents();
        if (stopped())
            result.aborted = true;
    }

    Maxima items;
    for (int i = 0; i < total && !result.aborted; ++i) {
        const qint64 nr = numbers[size_t(i)];
        if (found.count(nr))
            items.raise(nr);
        else
            result.deleted += execute(
                op, QStringLiteral("DELETE FROM %1 WHERE Nr = ?").arg(quotedName(op)), {nr});
        if (progress)
            progress(i + 1, total);
        m_ui.processEvents();
        if (stopped())
            result.aborted = true;
    }
    op.refresh();

    chooseJahr(0);
    if (result.aborted)
        return result;
    qint64 highest = std::max(items.all, journals.all);
    if (highest > kFirstMaximumLimit)
        highest = std::max(items.below, journals.below);
    autoNumberCounter(m_daten.dataFolder, int(highest + 1));
    result.highest = highest;
    m_ui.info(QStringLiteral("Interne OP-Nr.: ") + QString::number(highest));
    return result;
}

} // namespace ledra
