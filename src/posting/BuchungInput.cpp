#include "BuchungInput.h"

#include "store/Dates.h"
#include "store/Schema.h"

#include <QRegularExpression>
#include <QStringDecoder>
#include <cmath>
namespace ledra {

namespace {

const QString kColumns =
    QStringLiteral("Belegdatum;Belegnummer;Soll;Haben;Buchungstext;Betrag;Modus;Mwst");
const QString kAllColumns = kColumns + QStringLiteral(";OP;Zahlungsziel;Rest");

QString rangeMessage() {
    return QStringLiteral("Betrag darf höchstens %1 sein!").arg(maxBuchungsbetrag().toGerman());
}

QString decimalsMessage() {
    return QStringLiteral("Betrag mit höchstens zwei Nachkommastellen eingeben!");
}

// An account column: what the drop-down would take key by key, and nothing it would drop.
std::optional<QString> accountError(const QString &side, const QString &text) {
    if (text.isEmpty())
        return side + QStringLiteral(" braucht einen Eintrag");
    for (QChar c : text)
        if (!isAccountSearchKey(c) || text.front() == QLatin1Char(' '))
            return QStringLiteral("%1 '%2' ist weder Kontonummer noch Anfang eines Kontonamens")
                .arg(side, text);
    return std::nullopt;
}

bool hasControlCharacter(const QString &text) {
    for (QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return true;
    return false;
}

} // namespace

Money maxBuchungsbetrag() {
    return Money::fromCents(99999999999); // 999.999.999,99
}

std::optional<QString> betragError(Money amount) {
    if (amount.units() % 100 != 0)
        return decimalsMessage();
    if (amount > maxBuchungsbetrag() || -amount > maxBuchungsbetrag())
        return rangeMessage();
    return std::nullopt;
}

BetragInput parseBetrag(const QString &text) {
    const ExactMoneyText m = Money::parseGermanExact(text);
    switch (m.error) {
    case ExactMoneyText::Error::Malformed:
        return {std::nullopt, QStringLiteral("'%1' ist kein gültiger Betrag").arg(text)};
    case ExactMoneyText::Error::OutOfRange:
        return {std::nullopt, rangeMessage()};
    case ExactMoneyText::Error::TooManyDecimals:
        return {std::nullopt, decimalsMessage()};
    case ExactMoneyText::Error::None:
        break;
    }
    if (auto e = betragError(m.value))
        return {std::nullopt, *e};
    return {m.value, QString()};
}

std::optional<QString> steuersatzError(double percent) {
    if (!std::isfinite(percent) || percent < 0.0 || percent > 100.0)
        return QStringLiteral("Mwst-Satz muss zwischen 0 und 100 liegen!");
    return std::nullopt;
}

SteuersatzInput parseSteuersatz(const QString &text) {
    static const QRegularExpression re(QStringLiteral("^[-+]?[0-9]{1,9}(?:[,.][0-9]{1,4})?$"));
    const QString t = text.trimmed();
    if (!re.match(t).hasMatch())
        return {std::nullopt, QStringLiteral("'%1' ist kein gültiger Mwst-Satz").arg(text)};
    QString plain = t;
    plain.replace(QLatin1Char(','), QLatin1Char('.'));
    const double satz = plain.toDouble();
    if (auto e = steuersatzError(satz))
        return {std::nullopt, *e};
    return {satz, QString()};
}

bool isAccountSearchKey(QChar key) {
    static const QString umlauts = QStringLiteral("ÄÖÜßäöü");
    return key == QLatin1Char(' ') || (key >= QLatin1Char('0') && key <= QLatin1Char('9')) ||
           (key >= QLatin1Char('A') && key <= QLatin1Char('Z')) ||
           (key >= QLatin1Char('a') && key <= QLatin1Char('z')) || umlauts.contains(key);
}

BuchungLineInput parseBuchungColumns(const QStringList &c, QDate today) {
    auto refuse = [](const QString &why) { return BuchungLineInput{std::nullopt, why}; };
    if (c.size() < 7)
        return refuse(QStringLiteral("nicht die Spalten ") + kColumns);
    if (c.size() > 11)
        return refuse(QStringLiteral("mehr als die 11 Spalten ") + kAllColumns);
    for (const QString &col : c)
        if (hasControlCharacter(col))
            return refuse(QStringLiteral("Steuerzeichen (etwa NUL oder Tabulator) im Text"));
    BuchungLine l;
    if (c.size() > 8 && !c[8].trimmed().isEmpty()) {
        static const QRegularExpression number(QStringLiteral("^[0-9]{1,12}$"));
        if (!number.match(c[8].trimmed()).hasMatch())
            return refuse(QStringLiteral("OP '%1': die Nummer eines offenen Postens").arg(c[8]));
        l.op = c[8].trimmed().toLongLong();
    }
    if (c.size() > 9 && !c[9].trimmed().isEmpty()) {
        const auto z = parseGermanDate(c[9].trimmed(), today);
        if (!z)
            return refuse(QStringLiteral("Zahlungsziel '%1' ist kein gültiges Datum").arg(c[9]));
        l.zahlungsziel = *z;
    }
    if (c.size() > 10) {
        const QString rest = c[10].trimmed().toLower();
        if (!rest.isEmpty() && rest != QLatin1String("skonto") && rest != QLatin1String("offen"))
            return refuse(QStringLiteral("Rest '%1': nur skonto oder offen").arg(c[10]));
        l.restOffen = rest == QLatin1String("offen");
    }
    const auto d = parseGermanDate(c[0], today);
    if (!d)
        return refuse(QStringLiteral("'%1' ist kein gültiges Datum").arg(c[0]));
    l.belegdatum = *d;
    l.belegnummer = c[1].trimmed();
    static const QRegularExpression digits(QStringLiteral("^[0-9]{0,9}$"));
    if (!digits.match(l.belegnummer).hasMatch())
        return refuse(QStringLiteral("Belegnummer '%1': nur Zahlen erlaubt").arg(c[1]));
    l.soll = c[2].trimmed();
    l.haben = c[3].trimmed();
    // With a taken-over open item one side is the item's account and may stay empty.
    if (!(l.op && l.soll.isEmpty()))
        if (auto e = accountError(QStringLiteral("Soll"), l.soll))
            return refuse(*e);
    if (!(l.op && l.haben.isEmpty()))
        if (auto e = accountError(QStringLiteral("Haben"), l.haben))
            return refuse(*e);
    l.buchungstext = c[4];
    const int textSize = Schemas::buchung().field(QStringLiteral("Buchungstext"))->size;
    if (l.buchungstext.size() > textSize)
        return refuse(QStringLiteral("Buchungstext länger als %1 Zeichen").arg(textSize));
    if (l.op && c[5].trimmed().isEmpty()) {
        l.betragGiven = false;
    } else {
        const BetragInput betrag = parseBetrag(c[5]);
        if (!betrag.betrag)
            return refuse(betrag.error);
        l.betrag = *betrag.betrag;
    }
    const QString mode = c[6].trimmed().toUpper();
    if (mode != QLatin1String("B") && mode != QLatin1String("N"))
        return refuse(QStringLiteral("Modus '%1': nur B (brutto) oder N (netto)").arg(c[6]));
    l.netto = mode == QLatin1String("N");
    if (c.size() >= 8 && !c[7].trimmed().isEmpty()) {
        const SteuersatzInput satz = parseSteuersatz(c[7]);
        if (!satz.satz)
            return refuse(satz.error);
        l.mwst = satz.satz;
    }
    return {l, QString()};
}

BuchungLineInput parseBuchungLine(const QByteArray &bytes, QDate today) {
    if (bytes.contains('\0'))
        return {std::nullopt, QStringLiteral("NUL-Zeichen in der Zeile")};
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    if (utf8.hasError())
        return {std::nullopt, QStringLiteral("kein gültiger UTF-8-Text")};
    return parseBuchungColumns(text.split(QLatin1Char(';')), today);
}

} // namespace ledra
