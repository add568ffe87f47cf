#pragma once

#include "platform/data/Sqlite.h"

#include <QString>

namespace book {

// A new contact id: "urn:uuid:" and a UUID whose first bits are the time of
// making, so that ids made together lie together in the id index.
QString newContactId();

// Whether any contact has no id yet: one probe of the id index.
bool lacksContactIds(const data::Database& db);

// Gives each contact that has no id yet (one added by the window or by
// another tool) its own, inside the caller's transaction; returns how many.
qint64 assignContactIds(data::Database& db);

} // namespace book
