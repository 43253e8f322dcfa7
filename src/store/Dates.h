#pragma once
// Dates are stored as ISO text; people see and type them German style, whatever the
// locale of the machine is.

#include <QDate>
#include <QString>
#include <optional>
namespace ledra {

// "1.1.24", "01.01.2024", "1.1." (current year), "010124" are read as a German user means
// them; two-digit years lie in the 2000s. Returns nullopt for anything else.
std::optional<QDate> parseGermanDate(const QString &text, QDate today = QDate::currentDate());
QString germanDate(const QDate &d);     // "dd.MM.yyyy", empty for a null date
QString isoDate(const QDate &d);        // "yyyy-MM-dd", empty for a null date
QDate fromIsoDate(const QString &text); // null date when empty or malformed

} // namespace ledra
