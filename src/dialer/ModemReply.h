#pragma once

#include <QString>

#include <optional>

namespace dialer {

// The result word in what the modem sent back after a dial that says the dial
// failed (NO DIALTONE, BUSY, NO CARRIER, NO ANSWER, ERROR); none when it sent
// no such word. Only whole lines count, so the echoed command or a number
// holding such letters is never taken for an answer.
std::optional<QString> dialFailure(const QString& replies);

// The modem's answer to a dial for the call log: the failure word, else OK
// when it said OK, else an empty text.
QString modemAnswer(const QString& replies);

// What the user is told about that word: what the modem said, what it means
// and what to do.
QString dialFailureText(const QString& word, const QString& number);

} // namespace dialer
