#pragma once

// The numbering plans as the readers of links and of stored numbers share
// them; for this folder only.
#include "links/DialLink.h"
#include "links/TelLink.h"

#include <string>

namespace links {

// The ASCII digits of `text`, nothing else.
QString digitsOf(QStringView text);

// `homeRegion` when the numbering plans know it, else the United States.
std::string knownHome(const QString& homeRegion);

// The dial of a number given as digits: "+" and the country code, or a
// number of `region` (which may begin with that region's international
// access code). A number of the home country's calling code is dialed in its
// national form after the long-distance prefix, any other one after the
// home country's international access code. Refuses through `subject`.
LinkDial dialOfDigits(const Subject& subject, const QString& digits, const std::string& region,
                      const std::string& home);

// Whether `digits`, read as a number of `home`, begin with its international
// access code and a country code ("011 46 ..." in the United States).
bool startsWithAccessCode(const QString& digits, const std::string& home);

// Letters as the phone keypad has them (1-800-FLOWERS is 1-800-3569377);
// the rest stays as it is.
QString keypadDigits(const QString& text);

} // namespace links
