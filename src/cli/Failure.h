#pragma once

#include "platform/core/Error.h"

#include <QString>

namespace cli {

// A failure of a command, reported with the file it concerns.
struct Failure {
    QString file;
    QString what;
    QString advice = {}; // lines of their own below
};

// What went wrong with the phone book, in words a user can act on.
QString bookProblem(const platform::Error& error, const QString& book);

// The same as a failure to report, with the rescue of a damaged book; `then`
// ends the clause.
Failure bookFailure(const platform::Error& error, const QString& book, const QString& then = {});

} // namespace cli
