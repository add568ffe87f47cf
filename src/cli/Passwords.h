#pragma once

#include "cli/SyncSettings.h"
#include "platform/core/Error.h"

#include <functional>

namespace cli {

// Keeps a book's sync password in the desktop's secret store, or where none
// answers, in passwordFile(book), readable by the user alone. Both answer
// from the event loop; `why` says why the store was not used.
void storePassword(const QString& book, const SyncSettings& settings, const QString& password,
                   const std::function<void(PasswordPlace, QString why)>& stored,
                   const std::function<void(const platform::Error&)>& failed);
void loadPassword(const QString& book, const SyncSettings& settings,
                  const std::function<void(QString)>& loaded,
                  const std::function<void(const platform::Error&)>& failed);

} // namespace cli
