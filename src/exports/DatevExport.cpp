#include "DatevExport.h"

#include "books/BooksSession.h"
#include "books/Istversteuerung.h"
#include "books/KontoArt.h"
#include "books/OutputFileGuard.h"
#include "books/Steuer.h"
#include "store/Dates.h"
#include "store/EngineError.h"
#include "store/Sql.h"
#include "store/Table.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <cmath>
#include <map>

namespace ledra {

namespace {

[[noreturn]] void refuse(const QString &message) {
    throw EngineError(DbErr::General, message);
}

QStringList buildColumnNames() {
    QStringList c{QStringLiteral("Umsatz (ohne Soll/Haben-Kz)"),
                  QStringLiteral("Soll/Haben-Kennzeichen"),
                  QStringLiteral("WKZ Umsatz"),
                  QStringLiteral("Kurs"),
                  QStringLiteral("Basis-Umsatz"),
                  QStringLiteral("WKZ Basis-Umsatz"),
                  QStringLiteral("Konto"),
                  QStringLiteral("Gegenkonto (ohne BU-Schlüssel)"),
                  QStringLiteral("BU-Schlüssel"),
                  QStringLiteral("Belegdatum"),
                  QStringLiteral("Belegfeld 1"),
                  QStringLiteral("Belegfeld 2"),
                  QStringLiteral("Skonto"),
                  QStringLiteral("Buchungstext"),
                  QStringLiteral("Postensperre"),
                  QStringLiteral("Diverse Adressnummer"),
                  QStringLiteral("Geschäftspartnerbank"),
                  QStringLiteral("Sachverhalt"),
                  QStringLiteral("Zinssperre"),
                  QStringLiteral("Beleglink")};
    for (int i = 1; i <= 8; ++i)
        c << QStringLiteral("Beleginfo - Art %1").arg(i)
          << QStringLiteral("Beleginfo - Inhalt %1").arg(i);
    c << QStringLiteral("KOST1 - Kostenstelle") << QStringLiteral("KOST2 - Kostenstelle")
      << QStringLiteral("Kost-Menge") << QStringLiteral("EU-Land u. UStID (Bestimmung)")
      << QStringLiteral("EU-Steuersatz (Bestimmung)") << QStringLiteral("Abw. Versteuerungsart")
      << QStringLiteral("Sachverhalt L+L") << QStringLiteral("Funktionsergänzung L+L")
      << QStringLiteral("BU 49 Hauptfunktionstyp") << QStringLiteral("BU 49 Hauptfunktionsnummer")
      << QStringLiteral("BU 49 Funktionsergänzung");
    for (int i = 1; i <= 20; ++i)
        c << QStringLiteral("Zusatzinformation - Art %1").arg(i)
          << QStringLiteral("Zusatzinformation - Inhalt %1").arg(i);
    c << QStringLiteral("Stück") << QStringLiteral("Gewicht") << QStringLiteral("Zahlweise")
      << QStringLiteral("Forderungsart") << QStringLiteral("Veranlagungsjahr")
      << QStringLiteral("Zugeordnete Fälligkeit") << QStringLiteral("Skontotyp")
      << QStringLiteral("Auftragsnummer") << QStringLiteral("Buchungstyp")
      << QStringLiteral("USt-Schlüssel (Anzahlungen)")
      << QStringLiteral("EU-Mitgliedstaat (Anzahlungen)")
      << QStringLiteral("Sachverhalt L+L (Anzahlungen)")
      << QStringLiteral("EU-Steuersatz (Anzahlungen)") << QStringLiteral("Erlöskonto (Anzahlungen)")
      << QStringLiteral("Herkunft-Kz") << QStringLiteral("Buchungs GUID")
      << QStringLiteral("KOST-Datum") << QStringLiteral("SEPA-Mandatsreferenz")
      << QStringLiteral("Skontosperre") << QStringLiteral("Gesellschaftername")
      << QStringLiteral("Beteiligtennummer") << QStringLiteral("Identifikationsnummer")
      << QStringLiteral("Zeichnernummer") << QStringLiteral("Postensperre bis")
      << QStringLiteral("Bezeichnung SoBil-Sachverhalt")
      << QStringLiteral("Kennzeichen SoBil-Buchung") << QStringLiteral("Festschreibung")
      << QStringLiteral("Leistungsdatum") << QStringLiteral("Datum Zuord. Steuerperiode")
      << QStringLiteral("Fälligkeit") << QStringLiteral("Generalumkehr (GU)")
      << QStringLiteral("Steuersatz") << QStringLiteral("Land")
      << QStringLiteral("Abrechnungsreferenz") << QStringLiteral("BVV-Position")
      << QStringLiteral("EU-Land u. UStID (Ursprung)") << QStringLiteral("EU-Steuersatz (Ursprung)")
      << QStringLiteral("Abw. Skontokonto");
    return c;
}

// A text field: in double quotes, a quote inside doubled.
QString quoted(const QString &text) {
    QString t = text;
    t.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + t + QLatin1Char('"');
}

QString yyyymmdd(const QDate &d) {
    return d.toString(QStringLiteral("yyyyMMdd"));
}

// The turnover as the format wants it: decimal comma, no grouping, two decimals.
QString umsatzText(Money m) {
    return m.toGerman(2, false);
}

struct Konto {
    std::optional<KontoArt> art;
    double mwst = 0;
};

bool isExpense(const std::optional<KontoArt> &art) {
    return art == KontoArt::Kosten || art == KontoArt::Wareneingang ||
           art == KontoArt::Fremdleistung;
}

bool sameRate(double a, double b) {
    return std::fabs(a - b) < 0.0005;
}

QString percentText(double satz) {
    return rateText(satz) + QStringLiteral(" %");
}

int digitCount(qint64 konto) {
    return int(QString::number(std::llabs(konto)).size());
}

} // namespace

const QStringList &datevColumnNames() {
    static const QStringList names = buildColumnNames();
    return names;
}

std::optional<QByteArray> toWindows1252(const QString &text) {
    // The code points of 0x80 to 0x9F; everything else of the code page is Latin-1.
    static const std::map<char16_t, char> upper = {
        {u'€', '\x80'}, {u'‚', '\x82'}, {u'ƒ', '\x83'}, {u'„', '\x84'}, {u'…', '\x85'},
        {u'†', '\x86'}, {u'‡', '\x87'}, {u'ˆ', '\x88'}, {u'‰', '\x89'}, {u'Š', '\x8A'},
        {u'‹', '\x8B'}, {u'Œ', '\x8C'}, {u'Ž', '\x8E'}, {u'‘', '\x91'}, {u'’', '\x92'},
        {u'“', '\x93'}, {u'”', '\x94'}, {u'•', '\x95'}, {u'–', '\x96'}, {u'—', '\x97'},
        {u'˜', '\x98'}, {u'™', '\x99'}, {u'š', '\x9A'}, {u'›', '\x9B'}, {u'œ', '\x9C'},
        {u'ž', '\x9E'}, {u'Ÿ', '\x9F'}};
    QByteArray out;
    out.reserve(text.size());
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u < 0x20 || u == 0x7F)
            return std::nullopt; // a line break or control character would break the record
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            out.append(char(u));
            continue;
        }
        const auto it = upper.find(u);
        if (it == upper.end())
            return std::nullopt;
        out.append(it->second);
    }
    return out;
}

int datevTaxKey(double satz, bool outputTax) {
    if (sameRate(satz, 7.0))
        return outputTax ? 2 : 8;
    if (sameRate(satz, 19.0))
        return outputTax ? 3 : 9;
    return 0;
}

DatevOptions datevOptionsFor(const BooksSession &books, std::optional<QDate> von,
                             std::optional<QDate> bis) {
    DatevOptions o;
    const YearSettings &s = books.settings;
    o.berater = s.datevBerater.toLongLong();
    o.mandant = s.datevMandant.toLongLong();
    o.sachkontenlaenge = s.datevSachkontenlaenge;
    o.wjBeginn = s.periodStart();
    o.von = von ? *von : s.periodStart();
    o.bis = bis ? *bis : s.periodEnd();
    o.erzeugt = QDateTime::currentDateTime();
    return o;
}

QByteArray buildDatevBuchungsstapel(BooksSession &books, const DatevOptions &o, DatevResult &result,
                                    const std::function<void(int, int)> &progress) {
    result = DatevResult();
    if (o.berater < kDatevBeraterMin || o.berater > kDatevBeraterMax)
        refuse(QStringLiteral("Die Beraternummer muss zwischen %1 und %2 liegen.")
                   .arg(kDatevBeraterMin)
                   .arg(kDatevBeraterMax));
    if (o.mandant < kDatevMandantMin || o.mandant > kDatevMandantMax)
        refuse(QStringLiteral("Die Mandantennummer muss zwischen %1 und %2 liegen.")
                   .arg(kDatevMandantMin)
                   .arg(kDatevMandantMax));
    if (o.sachkontenlaenge < 4 || o.sachkontenlaenge > 8)
        refuse(QStringLiteral("Die Sachkontenlänge muss zwischen 4 und 8 liegen."));
    const QDate periodFrom = books.settings.periodStart();
    const QDate periodTo = books.settings.periodEnd();
    if (!o.von.isValid() || !o.bis.isValid() || o.von > o.bis)
        refuse(QStringLiteral("Der Zeitraum ist ungültig: Das Datum „von“ muss vor dem Datum "
                              "„bis“ liegen."));
    // The booking dates go out as day and month only: the adviser's program takes the year
    // from the fiscal year, so a batch never leaves it.
    if (o.von < periodFrom || o.bis > periodTo || !o.wjBeginn.isValid() ||
        o.bis > o.wjBeginn.addYears(1).addDays(-1))
        refuse(QStringLiteral("Der Zeitraum muss innerhalb des Buchungszeitraums %1 bis %2 und "
                              "eines Wirtschaftsjahres liegen.")
                   .arg(germanDate(periodFrom), germanDate(periodTo)));

    std::map<qint64, Konto> konten;
    forEachRow(
        books.konten,
        QStringLiteral("SELECT KtoNr, Art, Mwst FROM %1").arg(quotedName(books.konten)),
        [&](const SqlRow &r) {
            konten[r.int64(0)] = Konto{kontoArtFromCode(r.int64(1)), r.isNull(2) ? 0.0 : r.real(2)};
        });
    // An account missing from the chart has no type and no rate.
    const auto kontoOf = [&konten](qint64 nr) {
        const auto it = konten.find(nr);
        return it == konten.end() ? Konto{} : it->second;
    };
    const qint64 konto13b = books.settings.kosten13b.trimmed().toLongLong();

    const QString select = QStringLiteral(
        "SELECT Autonummer, Belegdatum, Belegnummer, Soll, Haben, Buchungstext, Brutto, "
        "Steuersatz, Euro FROM %1 WHERE Belegdatum BETWEEN ? AND ? "
        "ORDER BY Belegdatum, Autonummer");
    const QString count =
        QStringLiteral("SELECT COUNT(*) FROM %1 WHERE Belegdatum BETWEEN ? AND ?");
    const QVariantList range{isoDate(o.von), isoDate(o.bis)};
    const int total = int(scalar(books.journal, count.arg(quotedName(books.journal)), range));

    QByteArray out;
    // Every text of a record was checked before; the rest are the program's own texts.
    const auto line = [&out](const QStringList &fields) {
        out += toWindows1252(fields.join(QLatin1Char(';'))).value_or(QByteArray());
        out += "\r\n";
    };
    const QString bezeichnung =
        QStringLiteral("Buchungen %1-%2")
            .arg(o.von.toString(QStringLiteral("dd.MM.")), germanDate(o.bis));
    const QStringList header{quoted(QStringLiteral("EXTF")),
                             QStringLiteral("700"),
                             QStringLiteral("21"),
                             quoted(QStringLiteral("Buchungsstapel")),
                             QStringLiteral("13"),
                             o.erzeugt.toString(QStringLiteral("yyyyMMddhhmmsszzz")),
                             QString(),
                             quoted(QStringLiteral("RE")),
                             quoted(QStringLiteral("Buchhaltung")),
                             quoted(QString()),
                             QString::number(o.berater),
                             QString::number(o.mandant),
                             yyyymmdd(o.wjBeginn),
                             QString::number(o.sachkontenlaenge),
                             yyyymmdd(o.von),
                             yyyymmdd(o.bis),
                             quoted(bezeichnung),
                             quoted(QString()),
                             QStringLiteral("1"),
                             QStringLiteral("0"),
                             o.festschreiben ? QStringLiteral("1") : QStringLiteral("0"),
                             quoted(QStringLiteral("EUR")),
                             QString(),
                             quoted(QString()),
                             QString(),
                             QString(),
                             quoted(QString()),
                             QString(),
                             QString(),
                             quoted(QString()),
                             quoted(QString())};
    line(header);
    line(datevColumnNames());

    int done = 0;
    forEachRow(books.journal, select.arg(quotedName(books.journal)), range, [&](const SqlRow &r) {
        const qint64 nr = r.int64(0);
        const QDate datum = r.date(1);
        const qint64 beleg = r.int64(2);
        const qint64 soll = r.int64(3), haben = r.int64(4);
        const QString buchungstext = r.text(5).left(60);
        Money brutto = r.money(6);
        const double satz = r.isNull(7) ? 0.0 : r.real(7);
        const bool euro = r.isNull(8) || r.int64(8) != 0;
        const QString which = QStringLiteral("Buchung Nr. %1 (Beleg %2 vom %3)")
                                  .arg(nr)
                                  .arg(beleg)
                                  .arg(germanDate(datum));

        if (!toWindows1252(buchungstext))
            refuse(QStringLiteral("Der Buchungstext der %1 enthält Zeichen, die das "
                                  "DATEV-Format (Windows-1252) nicht darstellen kann: „%2“.")
                       .arg(which, buchungstext));
        const Konto sollKonto = kontoOf(soll);
        const Konto habenKonto = kontoOf(haben);
        for (const auto &[konto, k] : {std::pair{soll, sollKonto}, std::pair{haben, habenKonto}}) {
            const bool personal = k.art == KontoArt::Debitor || k.art == KontoArt::Kreditor;
            // Customer and supplier accounts are personal accounts, one digit longer.
            const int allowed = o.sachkontenlaenge + (personal ? 1 : 0);
            if (digitCount(konto) > allowed)
                refuse(QStringLiteral("Das Konto %1 der %2 hat mehr Stellen als die "
                                      "Sachkontenlänge %3 erlaubt.")
                           .arg(konto)
                           .arg(which)
                           .arg(allowed));
        }

        if (!euro)
            brutto = toCurrencyOfDate(brutto, false, QDate());
        // The turnover is written without sign; a negative amount turns the side.
        const bool haben_ = brutto < Money();
        const Money umsatz = haben_ ? -brutto : brutto;

        int key = 0;
        const Konto *automatic = nullptr;
        bool outputTax = false;
        if (habenKonto.art == KontoArt::Erloese) {
            automatic = &habenKonto;
            outputTax = true;
        } else if (sollKonto.art == KontoArt::Erloese) {
            automatic = &sollKonto;
            outputTax = true;
        } else if (isExpense(sollKonto.art)) {
            automatic = &sollKonto;
        } else if (isExpense(habenKonto.art)) {
            automatic = &habenKonto;
        }
        QString unmapped;
        if (konto13b != 0 && (soll == konto13b || haben == konto13b)) {
            unmapped = QStringLiteral("Steuerschuld des Leistungsempfängers (§13b UStG)");
        } else if (satz == 0.0) {
            if (automatic && automatic->mwst > 0)
                unmapped = QStringLiteral("ohne Steuer auf einem Konto mit %1")
                               .arg(percentText(automatic->mwst));
        } else if (!automatic) {
            unmapped = QStringLiteral("Steuersatz %1 ohne Erlös- oder Aufwandskonto")
                           .arg(percentText(satz));
        } else if (!sameRate(automatic->mwst, satz)) {
            key = datevTaxKey(satz, outputTax);
            if (key == 0)
                unmapped = QStringLiteral("Steuersatz %1 hat keinen Steuerschlüssel")
                               .arg(percentText(satz));
        }
        if (!unmapped.isEmpty())
            result.warnings << QStringLiteral("%1, %2 an %3, %4 €: %5")
                                   .arg(which)
                                   .arg(soll)
                                   .arg(haben)
                                   .arg(umsatz.toGerman(2, true), unmapped);

        QStringList f(kDatevColumns);
        f[0] = umsatzText(umsatz);
        f[1] = quoted(haben_ ? QStringLiteral("H") : QStringLiteral("S"));
        f[2] = quoted(QStringLiteral("EUR"));
        f[6] = QString::number(soll);
        f[7] = QString::number(haben);
        f[8] = key ? quoted(QString::number(key)) : QString();
        f[9] = datum.toString(QStringLiteral("ddMM"));
        f[10] = quoted(QString::number(beleg));
        f[13] = quoted(buchungstext);
        line(f);

        result.umsatz += umsatz;
        ++result.bookings;
        if (progress)
            progress(++done, total);
    });
    return out;
}

DatevResult writeDatevExport(BooksSession &books, const DatevOptions &options, const QString &path,
                             const std::function<void(int, int)> &progress) {
    const QString refusal = outputFileRefusal(books, path);
    if (!refusal.isEmpty())
        refuse(refusal);
    DatevResult result;
    const QByteArray bytes = buildDatevBuchungsstapel(books, options, result, progress);
    // Written aside and put in place at the end, so that a failure leaves no half file.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        refuse(QStringLiteral("Die Datei %1 kann nicht geschrieben werden: %2")
                   .arg(QDir::toNativeSeparators(path), file.errorString()));
    return result;
}

QString datevDoneMessage(const DatevResult &result, const QString &path) {
    QString text = QStringLiteral("Der DATEV-Export ist fertig: %1 Buchungen, Umsatz %2 €, in %3.")
                       .arg(result.bookings)
                       .arg(result.umsatz.toGerman(2, true), QDir::toNativeSeparators(path));
    if (!result.warnings.isEmpty())
        text += QStringLiteral("\rOhne Steuerschlüssel exportiert (bitte mit dem Steuerberater "
                               "klären):\r") +
                result.warnings.join(QLatin1Char('\r'));
    return text;
}

} // namespace ledra
