#pragma once

#include "sync/engine/Plan.h"

namespace engine {

// Decides per contact what goes where, from what the book holds, what the
// last sync left and what the server says; the book's contacts and links in
// memory become what they will be once the plan is carried out.
Plan plan(BookState& book, const ServerView& server, const QString& collectionPath);

} // namespace engine
