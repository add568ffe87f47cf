#include "exchange/Progress.h"

#include <QLocale>

#include <cmath>
#include <unistd.h>

namespace exchange {

Progress::Progress(const char* what, qint64 total)
    : what_(what), total_(total), terminal_(isatty(STDERR_FILENO) == 1) {
    clock_.start();
}

void Progress::end() {
    if (shown_)
        std::fputs("\n", stderr);
    shown_ = false;
}

bool Progress::due() {
    const qint64 ms = clock_.elapsed();
    if (!terminal_ || ms < 1000 || ms - lastShown_ < 250)
        return false;
    lastShown_ = ms;
    return true;
}

void Progress::show(const QString& line) {
    if (due())
        draw(line);
}

void Progress::draw(const QString& line) {
    // Written over the line before; the blanks wipe out a longer one.
    std::fprintf(stderr, "\r%-72s", line.toLocal8Bit().constData());
    std::fflush(stderr);
    shown_ = true;
}

void Progress::rate(qint64 cards, qint64 done) {
    if (!due())
        return;
    const qint64 ms = std::max<qint64>(clock_.elapsed(), 1);
    const QLocale c = QLocale::c();
    const double rate = double(cards) * 1000.0 / double(ms);
    QString line = QStringLiteral("quorvel-book: %1: %2 cards, %3 cards/s")
                       .arg(QLatin1String(what_), c.toString(cards), c.toString(qint64(rate)));
    if (total_ > 0 && done > 0 && done <= total_)
        line += QStringLiteral(", about %1 s left")
                    .arg(qint64(std::llround(double(ms) * double(total_ - done) / double(done) / 1000.0)));
    draw(line);
}

} // namespace exchange
