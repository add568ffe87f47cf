#include "cli/Terminal.h"

#include <QTextStream>

#include <cstdio>
#include <string>
#include <termios.h>
#include <unistd.h>

namespace cli {
namespace {
constexpr size_t MaxLine = 4096;

// Turns echo off for its lifetime; the terminal is given back as it was even on an early return.
// TCSANOW, not TCSAFLUSH: what was typed ahead of the prompt is the answer, not to be thrown away.
class NoEcho {
public:
    NoEcho() {
        if (tcgetattr(STDIN_FILENO, &saved_) != 0)
            return;
        termios quiet = saved_;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        active_ = tcsetattr(STDIN_FILENO, TCSANOW, &quiet) == 0;
    }
    ~NoEcho() {
        if (active_) {
            tcsetattr(STDIN_FILENO, TCSANOW, &saved_);
            std::fputc('\n', stderr); // the Enter the user typed was not echoed
        }
    }
    NoEcho(const NoEcho&) = delete;
    NoEcho& operator=(const NoEcho&) = delete;

private:
    termios saved_{};
    bool active_ = false;
};
} // namespace

bool inputIsTerminal() { return isatty(STDIN_FILENO) == 1; }

std::optional<QString> readInputLine(bool hidden, const QString& prompt, QTextStream* to) {
    std::optional<NoEcho> quiet;
    if (hidden && inputIsTerminal())
        quiet.emplace(); // before the prompt: a fast typist's first keys are not shown either
    if (to && !prompt.isEmpty())
        *to << prompt << Qt::flush;
    // Byte by byte: what follows the line in standard input stays there for whoever reads next.
    std::string line;
    char c = 0;
    ssize_t got = 0;
    while ((got = ::read(STDIN_FILENO, &c, 1)) == 1 && c != '\n')
        if (line.size() < MaxLine)
            line += c;
    if (got != 1 && line.empty())
        return std::nullopt;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return QString::fromStdString(line);
}

} // namespace cli
