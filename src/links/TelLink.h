#pragma once

#include <QString>

// Phone numbers handed to the program as tel: and callto: links. A link is
// text from anywhere (a web page, a mail), so it is read by rule and refused
// whole when any part of it breaks the rule.
namespace links {

// The parts of a tel: link (RFC 3966) that matter for dialing.
struct TelLink {
    bool global = false; // "+" and the country code: the number is complete
    QString digits;      // the number without its visual separators ('+' dropped)
    QString context;     // phone-context: "+" and digits, or a domain name; empty for none
    QString extension;   // digits only; empty for none
};

// Links longer than this are no phone number.
inline constexpr qsizetype MaxLinkLength = 256;

// Reads `link` ("tel:", "callto:" or "callto://"). Throws platform::Error
// (err::NotADialLink) with a message naming the link and saying what is wrong.
TelLink readTelLink(const QString& link);

// The link as a message may show it: signs that could hide or rearrange text
// (line breaks, control and format characters) are shown %-escaped, and a
// long link is cut short.
QString shownLink(const QString& link);

// Throws the refusal of `link` for `reason`.
[[noreturn]] void refuse(const QString& link, const QString& reason);

// What a refusal names: a link, or a number as a contact holds it.
struct Subject {
    QString noun; // "link" or "number"
    QString text;
    // Throws platform::Error (err::NotADialLink): "The <noun> <text> cannot
    // be dialed: <reason>.", the text shown as shownLink shows a link.
    [[noreturn]] void refuse(const QString& reason) const;
};

} // namespace links
