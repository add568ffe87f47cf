#pragma once

#include <QString>

#include <optional>

namespace carddav {

// Whether standard input is a terminal a person types on.
bool inputIsTerminal();
// One line from standard input, without its line end; none at its end.
// Echo is off while it is read when `hidden` and standard input is a terminal.
std::optional<QString> readInputLine(bool hidden);

} // namespace carddav
