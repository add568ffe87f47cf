#pragma once

#include "cli/CommandRun.h"
#include "cli/SyncSettings.h"
#include "sync/dav/Client.h"

#include <optional>

namespace cli {

// The server a book syncs with, once its settings and password are read.
struct Account {
    SyncSettings settings;
    std::optional<dav::Client> client;
};

// Reads the book's sync settings and password, then calls `ready` from the
// event loop with a client of its server. A book never set up, or settings
// that cannot be read, end `run` with a message instead.
void openAccount(const QString& book, CommandRun& run, Account& account, std::function<void()> ready);

} // namespace cli
