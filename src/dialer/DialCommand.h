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

// Composes the dial of a number as it stands in its text box. Control
// characters are removed first: a CR inside the number would end the command
// early and let the rest run as a modem command. A mobile number whose first
// three characters are the own area code (when one is set) is local: it is
// dialed without them, without the separators that follow them and without
// the long-distance prefix.
Dial composeDial(DialKind kind, const QString& text, const DialerSettingsValues& settings);

using links::LinkNumber;

// Composes the dial of a number from a link. Links come from anywhere, so
// only dial characters survive: digits, '*', '#', the hyphens of the
// national form and the pauses before an extension.
Dial composeDial(const LinkNumber& link, const DialerSettingsValues& settings);

} // namespace dialer
