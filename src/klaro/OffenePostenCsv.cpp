#include "OffenePostenCsv.h"

#include "OffenePostenReport.h"
#include "OffenePostenStore.h"

#include <QSaveFile>
#include <QStringList>

namespace ledra {

namespace {

QString amount(Money m) {
    return m.toGerman(2, false);
}

QString date(const QDate &d) {
    return d.isValid() ? d.toString(QStringLiteral("dd.MM.yyyy")) : QString();
}

} // namespace

QString csvText(const QString &text) {
    QString t = text;
    if (!t.isEmpty() &&
        (t[0] == u'=' || t[0] == u'+' || t[0] == u'-' || t[0] == u'@' || t[0] == u'\t'))
        t.prepend(QLatin1Char('\''));
    t.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + t + QLatin1Char('"');
}

QString writeOffenePostenCsv(const OffenePostenStore &daten, const QString &fileName) {
    QStringList lines;
    lines << QStringList{csvText(QStringLiteral("Datum")),
                         csvText(QStringLiteral("Beleg-Nr.")),
                         csvText(QStringLiteral("Buchungstext")),
                         csvText(QStringLiteral("Betrag")),
                         csvText(QStringLiteral("Währung")),
                         csvText(QStringLiteral("Soll")),
                         csvText(QStringLiteral("Haben")),
                         csvText(QStringLiteral("Zahlungsziel")),
                         csvText(QStringLiteral("Ford/Verb."))}
                 .join(QLatin1Char(';'));
    Money ford, verb, steuer;
    for (const OffenerPostenZeile &r : daten.rows()) {
        const QString art = OffenePostenReport::art(r.sollArt, r.habenArt);
        if (art == QLatin1String("F")) {
            ford += r.betrag;
            steuer += r.steuer;
        } else if (art == QLatin1String("V")) {
            verb += r.betrag;
        }
        lines << QStringList{date(r.belegdatum),
                             QString::number(r.belegnummer),
                             csvText(r.buchungstext),
                             amount(r.betrag),
                             csvText(r.isEuro() ? daten.currencySymbol : QStringLiteral("DM")),
                             QString::number(r.soll),
                             QString::number(r.haben),
                             date(r.zahlungsziel),
                             csvText(art.trimmed())}
                     .join(QLatin1Char(';'));
    }
    auto total = [&](const QString &caption, Money m) {
        lines << QStringList{QString(), QString(), csvText(caption), amount(m),
                             csvText(QStringLiteral("€"))}
                     .join(QLatin1Char(';'));
    };
    total(QStringLiteral("Forderungen"), ford);
    total(QStringLiteral("Verbindlichkeiten"), verb);
    total(QStringLiteral("Steuer:"), steuer);

    QSaveFile f(fileName);
    if (!f.open(QIODevice::WriteOnly))
        return QStringLiteral("Datei %1 kann nicht geschrieben werden.").arg(fileName);
    f.write("\xEF\xBB\xBF");
    f.write((lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8());
    if (!f.commit())
        return QStringLiteral("Datei %1 kann nicht geschrieben werden.").arg(fileName);
    return QString();
}

} // namespace ledra
