#pragma once

#include <QString>
#include <QStringList>

namespace moravel {

// The help pages that "Help" and the first start open.
inline constexpr char16_t helpIndexPage[] = u"index.html";
inline constexpr char16_t gettingStartedPage[] = u"getting-started.html";

// Where the help pages are looked for, in order: beside the program as installed
// (<prefix>/share/moravel/help), then, for a program run from its build folder, the source
// tree's pages.
QStringList helpFolders();

// The first existing page of that name in `folders`, or an empty text.
QString findHelpPage(const QStringList& folders, const QString& page);

} // namespace moravel
