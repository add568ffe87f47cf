#pragma once

#include "platform/core/Error.h"

namespace exchange {

// A contact file that cannot be read: the one error, with the line it failed on.
[[noreturn]] inline void badInput(qint64 line, const QString& what) {
    throw platform::Error(platform::err::BadFileFormat, QStringLiteral("line %1: %2").arg(line).arg(what));
}

} // namespace exchange
