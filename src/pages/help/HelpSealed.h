#pragma once

class QWebEngineProfile;

namespace help {

// Shuts the help viewer's pages in: no scripts, and no request of any kind
// (page, picture, style, frame, link) to anything but the help file itself.
void seal(QWebEngineProfile* profile);

} // namespace help
