#pragma once

#include "sync/dav/Error.h"

namespace cli {

// A failed exchange with the server in words a user can act on: which server,
// what happened, what to do.
QString describe(const dav::Error& error);

} // namespace cli
