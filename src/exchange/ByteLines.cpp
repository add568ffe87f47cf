#include "exchange/ByteLines.h"

#include "exchange/ReadError.h"

#include <QIODevice>

#include <cstring>

namespace exchange {
namespace {
constexpr qsizetype ChunkBytes = 256 * 1024;
} // namespace

[[noreturn]] void lineTooLong(qint64 line) {
    badInput(line, QStringLiteral("the line is longer than %1 MB; is this a contact file?")
                       .arg(MaxLineBytes / (1024 * 1024)));
}

ByteLines::ByteLines(QIODevice& in) : in_(in) {}

bool ByteLines::fill() {
    if (eof_)
        return false;
    // Keep only the unread part, then append a chunk behind it.
    if (start_ > 0) {
        buffer_.remove(0, start_);
        scanned_ -= start_;
        start_ = 0;
    }
    const qsizetype had = buffer_.size();
    buffer_.resize(had + ChunkBytes);
    const qint64 got = in_.read(buffer_.data() + had, ChunkBytes);
    if (got < 0)
        badInput(lineNumber_ + 1, in_.errorString());
    buffer_.resize(had + got);
    if (got == 0)
        eof_ = true;
    return got > 0;
}

bool ByteLines::next(QByteArrayView& line) {
    for (;;) {
        const char* data = buffer_.constData();
        const void* nl = std::memchr(data + scanned_, '\n', size_t(buffer_.size() - scanned_));
        qsizetype end = -1;
        if (nl) {
            end = static_cast<const char*>(nl) - data;
        } else {
            scanned_ = buffer_.size();
            if (scanned_ - start_ > MaxLineBytes)
                lineTooLong(lineNumber_ + 1);
            if (fill())
                continue;
            if (start_ == buffer_.size())
                return false;
            end = buffer_.size(); // the last line has no line end
        }
        qsizetype stop = end;
        if (stop > start_ && buffer_[stop - 1] == '\r')
            --stop;
        qsizetype from = start_;
        if (first_) {
            first_ = false;
            if (stop - from >= 3 && std::memcmp(data + from, "\xEF\xBB\xBF", 3) == 0)
                from += 3;
        }
        if (stop - from > MaxLineBytes)
            lineTooLong(lineNumber_ + 1);
        line = QByteArrayView(data + from, stop - from);
        ++lineNumber_;
        start_ = scanned_ = (end < buffer_.size()) ? end + 1 : end;
        return true;
    }
}

} // namespace exchange
