#pragma once

#include "links/DialLink.h"

#include <QString>

namespace links {

// The one reading of a number as a contact holds it, whoever wrote it
// (typed, imported, synced) and whatever dials it (the two dial buttons, a
// call back), and of a caller's number to match with it:
// - digits with "-", blanks, "(" ")" or "." only, no "+" (the ###-###-####
//   form): dialed as it stands, after the prefixes, with Dial Mobile's
//   area-code rule;
// - "+" and a country code, the home country's international access code
//   written out, or keypad letters (1-800-FLOWERS): dialed as a tel: link
//   of the same number is;
// - an extension at the end (x123, ext 123, ext. 123, ;ext=123, #123, or
//   commas and digits): dialed after pauses.
// Any other sign (";", "&", "=", a control character, a second "+") would
// give the modem a command: the number is refused. Throws platform::Error
// (err::NotADialLink) naming the number and why. An empty text gives an
// empty number.
LinkDial readStoredNumber(const QString& text, const QString& homeRegion);

// The one key a number is matched by, read as readStoredNumber reads it: the
// whole number ("+12125550101") where the numbering plans can tell which it
// is, else its digits; empty for a text that holds no number or is refused.
// "2125550101", "+1 212-555-0101" and "(212) 555-0101" give one key. Never
// throws: a caller's number or a field is matched, not dialed.
QString matchKey(const QString& text, const QString& homeRegion);

// What may stand between "ATDT" and the carriage return of a dial: digits,
// "*", "#", the pause ",", and the formatting a modem skips ("-", blank,
// "(", ")", ".").
bool isDialCharacter(QChar c);

// Refuses the number `text` for holding `sign`, which is no dial character.
[[noreturn]] void refuseSign(const QString& text, QChar sign);

} // namespace links
