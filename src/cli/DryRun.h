#pragma once

#include <QString>

class QTextStream;

namespace cli {

// quorvel-book sync --dry-run: shows the plan a sync would carry out now,
// change by change. Writes nothing anywhere.
int runDryRun(const QString& book, QTextStream& out, QTextStream& err);

} // namespace cli
