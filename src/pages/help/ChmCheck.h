#pragma once

#include <QByteArray>

#include <chrono>

namespace help {

// A damaged file may claim any length for an object; no help page or picture
// comes near this.
inline constexpr unsigned long long LargestObject = 64 * 1024 * 1024;

// CHMLib trusts what it reads, so a damaged file can crash it. This opens
// the file and reads every object in a child process first: true when the
// child did so cleanly within `patience`.
bool readsCleanly(const QByteArray& nativePath, std::chrono::milliseconds patience);

} // namespace help
