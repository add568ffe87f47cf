#pragma once

#include <QString>
#include <QStringList>

namespace links {

// A number from a link or a contact, as the dialer's composer takes it.
struct LinkNumber {
    QString number;           // as written, the national form, or the access code and the whole number abroad
    bool longDistance = true; // whether the long-distance prefix (and Dial Mobile's area-code rule) apply
    QString extension;        // dialed after pauses once the call is answered; empty for none
};

// What a link or a stored number gives the dialer.
struct LinkDial {
    LinkNumber number;
    // The number's digits as a phone book may hold it (national, with the
    // country code, with the access code), to find whose number it is.
    QStringList digitForms;
    // The whole number, "+" and digits ("+12125550101"), to match it with
    // another writing of the same number; empty when the numbering plans
    // cannot tell which number it is.
    QString e164;
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
