#pragma once

#include "dialer/Module1.h"
#include "links/DialLink.h"

#include <QString>

namespace dialer {

enum class DialKind { Phone, Mobile };

// What one dial sends and shows.
struct Dial {
    QString number;  // shown to the user; empty means there is nothing to dial
    QString command; // "ATDT" + outside line + long distance + number + CR
};

// Composes the dial of a text taken as it stands, unread, with control
// characters removed. A mobile number whose first three characters are the
// own area code (when one is set) is local: it is dialed without them,
// without the separators that follow them and without the long-distance
// prefix. Dials go through dialOfNumber; this is the composing it builds on.
Dial composeDial(DialKind kind, const QString& text, const DialerSettingsValues& settings);

using links::LinkNumber;

// Composes the dial of a read number: the prefixes (the long-distance one,
// and Dial Mobile's area-code rule, only where the number takes them), then
// the number and its extension after two pauses. Whatever the number came
// from, a sign that is no dial character refuses it (platform::Error naming
// the sign) rather than reach the modem. Empty when there is no number.
Dial composeDial(DialKind kind, const LinkNumber& number, const DialerSettingsValues& settings);

// A number from a link, dialed as Dial Phone dials.
Dial composeDial(const LinkNumber& link, const DialerSettingsValues& settings);

// The dial of a number as a contact holds it: read for a user in
// `homeRegion` (links::readStoredNumber), then composed. Throws
// platform::Error naming the number when it cannot be dialed.
Dial dialOfNumber(DialKind kind, const QString& text, const DialerSettingsValues& settings,
                  const QString& homeRegion);

} // namespace dialer
