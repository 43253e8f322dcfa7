#include "Dates.h"

#include <QRegularExpression>
namespace ledra {

std::optional<QDate> parseGermanDate(const QString &text, QDate today) {
    const QString t = text.trimmed();
    int d = 0, m = 0, y = 0;
    static const QRegularExpression dotted(
        QStringLiteral("^([0-9]{1,2})\\.([0-9]{1,2})\\.([0-9]{2}|[0-9]{4})?$"));
    static const QRegularExpression compact(
        QStringLiteral("^([0-9]{2})([0-9]{2})([0-9]{2}|[0-9]{4})$"));
    auto mt = dotted.match(t);
    if (!mt.hasMatch())
        mt = compact.match(t);
    if (!mt.hasMatch())
        return std::nullopt;
    d = mt.captured(1).toInt();
    m = mt.captured(2).toInt();
    const QString ys = mt.captured(3);
    if (ys.isEmpty())
        y = today.year();
    else if (ys.size() == 2)
        y = 2000 + ys.toInt();
    else
        y = ys.toInt();
    QDate date(y, m, d);
    if (!date.isValid())
        return std::nullopt;
    return date;
}

QString germanDate(const QDate &d) {
    return d.isValid() ? d.toString(QStringLiteral("dd.MM.yyyy")) : QString();
}

QString isoDate(const QDate &d) {
    return d.isValid() ? d.toString(Qt::ISODate) : QString();
}

QDate fromIsoDate(const QString &text) {
    return text.isEmpty() ? QDate() : QDate::fromString(text.left(10), Qt::ISODate);
}

} // namespace ledra
