#include "Jahreswechsel.h"

#include "books/BooksSession.h"
#include "books/KontoArt.h"
#include "books/SaldenRecompute.h"
#include "books/Steuer.h"
#include "store/Dates.h"
#include "store/Query.h"
#include "store/Sql.h"
#include "store/Table.h"
#include "store/TableFile.h"
#include "ui/Ui.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
namespace ledra {

namespace {

const char *const kYearTables[] = {"BWA.db", "Bilanz.DB", "Konten.DB", "Journal.DB"};

// The carry rule: only accounts whose type has a carry-forward keep their balance (not the
// profit-and-loss accounts, whatever kind of cost, nor the private account); the two tax
// accounts start the new year at zero as well.
bool carries(const BooksSession &fb, qint64 ktoNr, int art) {
    if (!hasSaldovortrag(kontoArtFromCode(art)))
        return false;
    const QString nr = QString::number(ktoNr);
    return nr != fb.settings.vorsteuer.trimmed() && nr != fb.settings.kontoMwst.trimmed();
}

qint64 journalRows(const QString &path, qint64 *maxNr) {
    qint64 n = 0;
    Query q;
    q.setTable(QStringLiteral("J"), path);
    q.lines() << QStringLiteral("SELECT COUNT(*), COALESCE(MAX(Autonummer), 0) FROM J.Journal");
    q.forEach([&](const QStringList &, const QVariantList &r) {
        n = r[0].toLongLong();
        *maxNr = r[1].toLongLong();
        return false;
    });
    return n;
}

// Written into a year folder with its archive and removed as the year change's very last
// step: while it is there, the base data folder has not fully become the new year, and a
// second run of the year change finishes the work instead of refusing.
const QString kOpenMarker = QStringLiteral("Jahreswechsel.offen");

QString general(Money m) {
    QString s = m.toGerman(4, false);
    while (s.endsWith(QLatin1Char('0')))
        s.chop(1);
    if (s.endsWith(QLatin1Char(',')))
        s.chop(1);
    return s;
}

} // namespace

QString yearFolderFor(const BooksSession &fb, const QString &typed) {
    const QString t = typed.trimmed();
    if (t.size() < 2)
        return QString();
    const QString yy = t.right(2);
    // Only two digits name a year folder; anything else (separators, "..") could leave the
    // base data folder and is refused.
    if (!yy.at(0).isDigit() || !yy.at(1).isDigit() || yy.at(0).unicode() > 127 ||
        yy.at(1).unicode() > 127)
        return QString();
    if (fb.folders.prefix.contains(QLatin1Char('/')) ||
        fb.folders.prefix.contains(QLatin1Char('\\')) ||
        fb.folders.prefix.contains(QLatin1String("..")))
        return QString();
    return fb.yearFolder(yy);
}

void runJahreswechsel(BooksSession &fb, QDate today) {
    Ui &ui = fb.ui();
    if (ui.confirm(
            QStringLiteral(
                "Der Jahreswechsel verlagert das Buchungsjournal in einen neuen Ordner. Führen Sie "
                "vorher eine Datensicherung durch!\rDen Jahreswechsel jetzt durchführen?"),
            Btn::YesNo, 31) != Btn::Yes)
        return;
    const QString a = yearFolderFor(fb, fb.settings.buchBis);
    const bool resume =
        !a.isEmpty() && QFileInfo(a).isDir() && QFileInfo::exists(TableFile::join(a, kOpenMarker));
    if (a.isEmpty() || (QFileInfo(a).exists() && !resume)) {
        ui.error(QStringLiteral("Jahreswechsel wurde schon durchgeführt!"));
        throw SilentAbort();
    }
    struct Finally {
        BooksSession &fb;
        ~Finally() {
            if (fb.journal.isActive())
                fb.journal.refresh();
            fb.notify(BooksEvent::YearChangeFinished);
        }
    } finally{fb};

    // Rows of the closing year still in the batch would end up in the archive's balances and
    // again in the new year's: they must reach the journal first. Rows of the new year stay.
    const QDate von = fb.settings.periodStart(), bis = fb.settings.periodEnd();
    {
        SqlStatement st(fb.stapel, QStringLiteral("SELECT COUNT(*) FROM %1 WHERE Belegdatum <= ?")
                                       .arg(quotedName(fb.stapel)));
        st.bind(1, isoDate(bis));
        if (bis.isValid() && st.next() && st.row().int64(0) > 0) {
            ui.error(QStringLiteral(
                "Im Buchungsstapel stehen noch Buchungen des alten Jahres.\rBitte erst die "
                "Buchungen ins Journal übertragen!"));
            throw SilentAbort();
        }
    }
    Q_UNUSED(von);

    try {
        // Closing balances of the year: opening balances and the journal.
        recomputeSalden(fb, false);
        const QString base = fb.baseDataFolder();
        if (!resume) {
            // The archive is built beside its final name and moved into place in one step,
            // so a year folder, once there, always holds the complete closed year.
            const QString tmp = a + QStringLiteral(".neu~");
            QDir(tmp).removeRecursively();
            if (!QDir().mkpath(tmp))
                throw EngineError(DbErr::ReadOnly,
                                  QStringLiteral("Der Ordner %1 kann nicht angelegt werden.")
                                      .arg(QDir::toNativeSeparators(tmp)));
            for (const char *t : kYearTables)
                TableFile::copy(TableFile::resolve(base, QString::fromLatin1(t)),
                                TableFile::join(tmp, QString::fromLatin1(t)));
            fb.saveYearSettings(tmp);
            QFile marker(TableFile::join(tmp, kOpenMarker));
            if (!marker.open(QIODevice::WriteOnly))
                throw EngineError(DbErr::ReadOnly,
                                  QStringLiteral("Der Ordner %1 kann nicht beschrieben werden.")
                                      .arg(QDir::toNativeSeparators(tmp)));
            marker.close();
            if (!QDir().rename(tmp, a))
                throw EngineError(DbErr::ReadOnly,
                                  QStringLiteral("Der Ordner %1 kann nicht angelegt werden.")
                                      .arg(QDir::toNativeSeparators(a)));
        }
        // Empty the journal and carry the balances forward in one transaction. A run that
        // goes on after a stop finds the journal already empty when this was committed.
        if (!fb.journal.isEmpty()) {
            qint64 maxA = 0, maxB = 0;
            const qint64 rowsA =
                journalRows(TableFile::resolve(a, QStringLiteral("Journal.DB")), &maxA);
            const qint64 rowsB = journalRows(fb.journal.path(), &maxB);
            if (rowsA != rowsB || maxA != maxB)
                throw EngineError(
                    DbErr::General,
                    QStringLiteral("Das Journal im Ordner %1 stimmt nicht mit dem "
                                   "aktuellen Journal überein. Der Jahreswechsel wird "
                                   "nicht fortgesetzt.")
                        .arg(QDir::toNativeSeparators(a)));
            Table &k = fb.konten;
            struct Carry {
                qint64 nr;
                qint64 soll, haben;
            };
            std::vector<Carry> carry;
            forEachRow(
                k,
                QStringLiteral("SELECT KtoNr, Art, COALESCE(Saldo, 0) FROM %1 ORDER BY KtoNr")
                    .arg(quotedName(k)),
                [&](const SqlRow &r) {
                    const qint64 nr = r.int64(0);
                    const qint64 s = r.int64(2);
                    if (carries(fb, nr, int(r.int64(1))))
                        carry.push_back({nr, s > 0 ? s : 0, s > 0 ? 0 : -s});
                    else
                        carry.push_back({nr, 0, 0});
                });
            UnitOfWork uw(k.path());
            uw.attach(QStringLiteral("j"), fb.journal.path());
            uw.exec(QStringLiteral("DELETE FROM j.%1").arg(quotedName(fb.journal)));
            for (const Carry &c : carry)
                uw.exec(QStringLiteral("UPDATE %1 SET Soll = ?, Haben = ? WHERE KtoNr = ?")
                            .arg(quotedName(k)),
                        {c.soll, c.haben, c.nr});
            uw.commit();
            fb.journal.refresh();
            fb.notify(BooksEvent::JournalChanged);
        }
        recomputeSalden(fb, true);
        fb.settings.belegnr = QStringLiteral("1");
        fb.settings.buchVon = germanDate(bis.addDays(1));
        fb.settings.buchBis = QStringLiteral("31.12.") + QString::number(today.year());
        fb.settings.currency = currencyTextOfPeriod(fb.settings.periodEnd());
        fb.saveYearSettings(base);
        QFile::remove(TableFile::join(a, kOpenMarker));
    } catch (const std::exception &e) {
        if (!dynamic_cast<const SilentAbort *>(&e))
            ui.error(dynamic_cast<const EngineError *>(&e)
                         ? static_cast<const EngineError &>(e).message()
                         : QString::fromUtf8(e.what()));
        // The balances must hold the batch again whatever step stopped.
        try {
            recomputeSalden(fb, true);
        } catch (...) {
        }
        throw SilentAbort();
    }
}

void carryForwardSalden(BooksSession &fb) {
    Ui &ui = fb.ui();
    const QString open = QDir(fb.currentDataFolder()).dirName();
    bool ok = false;
    const int yy = open.right(2).toInt(&ok);
    if (!ok)
        return;
    QString target = TableFile::withSlash(fb.baseDataFolder()) + fb.folders.prefix +
                     QString::asprintf("%2.2d", yy + 1);
    if (!QFileInfo(target).isDir())
        target = fb.baseDataFolder();
    Table t(Schemas::konten(), QStringLiteral("TZiel"));
    t.setFolder(target);
    try {
        t.open();
    } catch (const EngineError &e) {
        ui.error(e.message());
        throw SilentAbort();
    }
    Table &k = fb.konten;
    k.refresh();
    struct Row {
        qint64 nr;
        QString name;
        int art;
        Money saldo;
    };
    std::vector<Row> rows;
    {
        forEachRow(
            k,
            QStringLiteral("SELECT KtoNr, Name, Art, COALESCE(Saldo, 0) FROM %1 ORDER BY KtoNr")
                .arg(quotedName(k)),
            [&](const SqlRow &r) {
                rows.push_back({r.int64(0), r.text(1), int(r.int64(2)), r.money(3)});
            });
    }
    for (const Row &r : rows) {
        if (!carries(fb, r.nr, r.art))
            continue;
        if (!t.findKey({r.nr}))
            continue;
        const Money o = t.asMoney(QStringLiteral("Soll")) - t.asMoney(QStringLiteral("Haben"));
        if ((o - r.saldo).nearlyEquals(Money()))
            continue;
        const int answer =
            ui.confirm(r.name + QStringLiteral(" alt: ") + o.toGerman(2, false) +
                           QStringLiteral("\rüberschreiben mit neu: ") + general(r.saldo),
                       Btn::YesNoCancel);
        if (answer == Btn::Cancel)
            break;
        if (answer != Btn::Yes)
            continue;
        t.edit();
        t.setMoney(QStringLiteral("Soll"), r.saldo > Money() ? r.saldo : Money());
        t.setMoney(QStringLiteral("Haben"), r.saldo > Money() ? Money() : -r.saldo);
        t.setMoney(QStringLiteral("Saldo"), t.asMoney(QStringLiteral("Saldo")) - o + r.saldo);
        t.post();
    }
    t.close();
}

void toggleOldYear(BooksSession &fb) {
    Ui &ui = fb.ui();
    const QString base = fb.baseDataFolder();
    if (TableFile::withSlash(fb.currentDataFolder()) != TableFile::withSlash(base)) {
        fb.openDataFolder(base);
    } else {
        {
            fb.oldYearFloor =
                int(scalar(fb.journal, QStringLiteral("SELECT COALESCE(MAX(Autonummer), 0) FROM %1")
                                           .arg(quotedName(fb.journal))) +
                    1);
        }
        const auto typed = ui.input(QStringLiteral("Alte Buchungsdaten"),
                                    QStringLiteral("Buchungsjahr angeben:"), QString());
        if (!typed)
            return;
        const QString folder = yearFolderFor(fb, *typed);
        if (*typed < QLatin1String("00") || folder.isEmpty() || !QFileInfo(folder).isDir() ||
            !fb.openDataFolder(folder)) {
            ui.error(QStringLiteral("Buchungsjahr nicht vorhanden!"));
            throw SilentAbort();
        }
    }
    fb.notify(BooksEvent::OldYearToggled);
}

void deleteJahr(BooksSession &fb) {
    Ui &ui = fb.ui();
    if (TableFile::withSlash(fb.currentDataFolder()) != TableFile::withSlash(fb.baseDataFolder()))
        return;
    const auto typed =
        ui.input(QStringLiteral("Buchungsjahr löschen"),
                 QStringLiteral("Buchungsjahr angeben: (Aber Vorsicht!)"), QString());
    if (!typed)
        return;
    const QString y = yearFolderFor(fb, *typed);
    if (*typed < QLatin1String("00") || y.isEmpty() || !QFileInfo(y).isDir()) {
        ui.error(QStringLiteral("Buchungsjahr nicht vorhanden!"));
        throw SilentAbort();
    }
    if (ui.confirm(QStringLiteral("Achtung !!! Die Daten vom Jahr ") + *typed +
                       QStringLiteral(" werden gelöscht!") +
                       QStringLiteral("\rWollen Sie das wirklich ?"),
                   Btn::YesNoCancel, 32) != Btn::Yes)
        return;
    QDir dir(y);
    for (const QString &f : dir.entryList(QDir::Files | QDir::NoDotAndDotDot))
        dir.remove(f);
    if (!QDir().rmdir(y))
        ui.warning(QStringLiteral("Beim Löschen des Verzeichnisses ") +
                   QDir::toNativeSeparators(y) +
                   QStringLiteral(" ist ein Fehler aufgetreten. Bitte nachträglich löschen."));
}

} // namespace ledra
