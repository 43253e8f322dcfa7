#pragma once
// Qt's own texts in German: the standard dialogs (file, colour, print), the context menu of
// text fields and the names of keys in menus ("Strg", "Einfg"), whatever the desktop's
// language is. The program's own texts are German already.

#include <QString>
#include <QStringList>
class QCoreApplication;

namespace ledra {

// Where Qt's translation files are looked for, first match wins: beside the program (a
// "translations" folder), the folder Qt was built with, the shared folders of the system.
QStringList qtTranslationFolders(const QString &programFolder);

// Loads Qt's German translation into `app` and makes German the default locale of widgets
// (numbers, dates). False when no translation file was found; the program then runs with
// Qt's English texts in the standard dialogs.
bool installGermanTranslations(QCoreApplication &app, const QString &programFolder);

} // namespace ledra
