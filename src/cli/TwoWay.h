#pragma once

#include <QString>

class QTextStream;

namespace cli {

// quorvel-book sync: brings the changes of the book and of its address book
// on the server to the other side, and says in one line what travelled.
// Without `force`, a sync that would delete many contacts stops first.
int runTwoWaySync(const QString& book, bool force, bool verbose, QTextStream& out, QTextStream& err);

} // namespace cli
