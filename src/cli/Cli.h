#pragma once

#include <QStringList>

class QTextStream;

namespace cli {

// Exit codes of quorvel-book.
enum Exit { Done = 0, BadInput = 1, Usage = 2 };

// Runs quorvel-book with its arguments (without the program name); what it
// did goes to `out`, what went wrong to `err`.
int runCommand(const QStringList& args, QTextStream& out, QTextStream& err);

} // namespace cli
