#pragma once

#include <QStringList>

class QTextStream;

namespace cli {

// Whether quorvel-book's arguments name the sync command (its first word
// that is neither an option nor the value of --book).
bool isSyncCommand(const QStringList& args);

// Runs `quorvel-book [--book PATH] sync ...` to its end; `defaultBook` is
// used when no --book is given. Returns the exit status.
int runSyncCommand(const QStringList& args, const QString& defaultBook, QTextStream& out, QTextStream& err);

} // namespace cli
