#pragma once

#include <QString>

namespace book {

// Why a read or a store failed when the file is damaged, as a clause:
// "the file is damaged (SQLite's own words)".
QString damagedClause(const QString& description);

// How to copy the contacts that can still be read out of the damaged
// phone book `file` into a new file beside it, and what to do then.
QString rescueAdvice(const QString& file);

} // namespace book
