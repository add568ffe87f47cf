#pragma once

#include <QString>

namespace help {

class HelpWindow;

// Makes the help viewer's URL scheme known to the page engine. It must run
// before the engine makes its first page: the windows module calls it when
// it is loaded.
void registerUrlScheme();

// Opens a compiled help file at its default topic in the help viewer, a
// window of its own that no other window owns. The file is checked and read
// while every window goes on, under the busy pointer; the viewer shows when
// it is ready. While the viewer shows that file, a second call brings the
// same viewer back. A file that is missing, unreadable or damaged gets a
// message box naming it and what to do.
void HtmlHelp(const QString& path);

// The viewer shown last, while it is open; null before it is ready.
HelpWindow* shownHelp();

} // namespace help
