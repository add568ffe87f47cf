#pragma once

#include <QString>

namespace links {

// What two writings of one number have in common, read as readStoredNumber
// reads a contact's number: "+" and the digits where the numbering plans
// tell which number it is (+1 212 555 0161, (212) 555-0161 and
// tel:+1-212-555-0161 are one), else the digits as written; an extension
// follows after "x". Empty for text that holds no number, or one that
// cannot be dialed.
QString matchKey(const QString& text, const QString& homeRegion);

// The key of the line alone, without an extension: a caller's number comes
// from the line, so a contact reached on its extension is still found.
QString lineKey(const QString& text, const QString& homeRegion);

// A key as people read it: "+1 212-555-0161"; the digits of one that the
// plans cannot tell.
QString shownKey(const QString& key);

} // namespace links
