#pragma once

#include <QString>

namespace help {

class HelpWindow;

// Makes the help viewer's URL scheme known to the page engine. It must run
// before the engine makes its first page: the windows module calls it when
// it is loaded.
void registerUrlScheme();

// Opens a compiled help file at its default topic in the help viewer, a
// window of its own that no other window owns. While the viewer shows that
// file, a second call brings the same viewer back. A file that is missing,
// unreadable or damaged gets a message box naming it and what to do; the
// result is then null.
HelpWindow* HtmlHelp(const QString& path);

} // namespace help
