#pragma once

#include <QString>

#include <optional>

class QTextStream;

namespace cli {

// Whether standard input is a terminal a person types on.
bool inputIsTerminal();
// One line from standard input, without its line end; none at its end.
// `prompt`, if any, goes to `to` first. With `hidden` on a terminal, echo
// is off from before the prompt until the line is read.
std::optional<QString> readInputLine(bool hidden, const QString& prompt = {}, QTextStream* to = nullptr);

} // namespace cli
