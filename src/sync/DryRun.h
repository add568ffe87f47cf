#pragma once

#include <QString>

class QTextStream;

namespace carddav {

// quorvel-book sync --dry-run: fetches what the book's address book holds
// and says what a first sync would bring down. Writes nothing anywhere.
int runDryRun(const QString& book, QTextStream& out, QTextStream& err);

} // namespace carddav
