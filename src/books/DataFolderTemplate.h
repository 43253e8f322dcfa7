#pragma once
// A new base data folder made from the shipped template (the chart tables, account types,
// evaluation sections and the empty journal and batch of a fresh installation).

#include <QString>
namespace ledra {

// Makes `folder` (which must not exist yet) a copy of `templateFolder`, its subfolders
// included. The copy is assembled in a hidden sibling folder and renamed into place, so an
// interrupted first start leaves no half data folder that the next start would take for the
// user's books. Symbolic links in the template are not followed. Throws std::runtime_error
// with a German message; nothing is left behind then.
void createDataFolderFromTemplate(const QString &templateFolder, const QString &folder);

} // namespace ledra
