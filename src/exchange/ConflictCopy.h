#pragma once

#include "exchange/Card.h"

#include <QLatin1String>

namespace exchange {

// What marks the copy of a card changed on both sides: at the end of its
// FN, and as an honorific suffix of its N, so that every program shows it
// after the whole name; the reader gives it back at the end of the Name.
inline constexpr QLatin1String ConflictMark("(conflict copy)");

// The other side's card, whole (every property it has), as a contact of its
// own with the id `uid` and its name marked.
Card conflictCopy(const Card& theirs, const QString& uid);

} // namespace exchange
