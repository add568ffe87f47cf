#include "exchange/Progress.h"

#include <QLocale>

#include <cmath>
#include <unistd.h>

namespace exchange {

Progress::Progress(const char* what, qint64 total)
    : what_(what), total_(total), terminal_(isatty(STDERR_FILENO) == 1) {
    clock_.start();
}

Progress::~Progress() {
    if (shown_)
        std::fputs("\n", stderr);
}

void Progress::show(qint64 cards, qint64 done) {
    const qint64 ms = clock_.elapsed();
    if (ms < 1000 || ms - lastShown_ < 250)
        return;
    lastShown_ = ms;
    const QLocale c = QLocale::c();
    const double rate = double(cards) * 1000.0 / double(ms);
    QString line = QStringLiteral("quorvel-book: %1: %2 cards, %3 cards/s")
                       .arg(QLatin1String(what_), c.toString(cards), c.toString(qint64(rate)));
    if (total_ > 0 && done > 0 && done <= total_)
        line += QStringLiteral(", about %1 s left")
                    .arg(qint64(std::llround(double(ms) * double(total_ - done) / double(done) / 1000.0)));
    // Written over the line before; the blanks wipe out a longer one.
    std::fprintf(stderr, "\r%-72s", line.toLocal8Bit().constData());
    std::fflush(stderr);
    shown_ = true;
}

} // namespace exchange
