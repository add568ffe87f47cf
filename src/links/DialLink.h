#pragma once

#include <QString>
#include <QStringList>

namespace links {

// A number from a link, as the dialer's composer takes it.
struct LinkNumber {
    QString number;           // the national form, or the access code and the whole number abroad
    bool longDistance = true; // whether the long-distance prefix goes before it
    QString extension;        // dialed after pauses once the call is answered; empty for none
};

// What a link gives the dialer.
struct LinkDial {
    LinkNumber number;
    // The number's digits as a phone book may hold it (national, with the
    // country code, with the access code), to find whose number it is.
    QStringList digitForms;
};

// Reads a tel: or callto: link for a user in `homeRegion` (a two-letter
// country code): a number of the home country's calling code is dialed in
// its national form after the long-distance prefix, any other one after the
// home country's international access code. Throws platform::Error
// (err::NotADialLink) with a message naming the link.
LinkDial readLink(const QString& link, const QString& homeRegion);

// The user's country, from the system locale; the United States when the
// locale names none the numbering plans know.
QString homeRegion();

} // namespace links
