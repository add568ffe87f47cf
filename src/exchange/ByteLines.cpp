#include "exchange/ByteLines.h"

#include "exchange/ReadError.h"

#include <QIODevice>

#include <cstring>
#include <utility>

namespace exchange {
namespace {
constexpr qsizetype ChunkBytes = 256 * 1024;
// Of a line cut for its length, enough to tell which property it was.
constexpr qsizetype CutKeepBytes = 64 * 1024;

const char* find(const char* from, qsizetype bytes, char c) {
    return static_cast<const char*>(std::memchr(from, c, size_t(bytes)));
}
} // namespace

[[noreturn]] void lineTooLong(qint64 line, qsizetype limit) {
    badInput(
        line,
        QStringLiteral("the line is longer than %1 MB; is this a contact file?").arg(limit / (1024 * 1024)));
}

ByteLines::ByteLines(QIODevice& in, qsizetype limit) : in_(in), limit_(limit) {}

qint64 ByteLines::readChunk(QByteArray& to) {
    const qsizetype had = to.size();
    to.resize(had + ChunkBytes);
    const qint64 got = in_.read(to.data() + had, ChunkBytes);
    if (got < 0)
        badInput(lineNumber_ + 1, in_.errorString());
    to.resize(had + got);
    return got;
}

void ByteLines::takeByteOrderMark() {
    if (buffer_.startsWith("\xEF\xBB\xBF"))
        buffer_.remove(0, 3);
    else if (buffer_.startsWith("\xFF\xFE"))
        utf16_.emplace(QStringDecoder::Utf16LE); // which drops the mark itself
    else if (buffer_.startsWith("\xFE\xFF"))
        utf16_.emplace(QStringDecoder::Utf16BE);
    if (utf16_) {
        raw_ = std::exchange(buffer_, QByteArray());
        appendUtf16(raw_);
    }
}

void ByteLines::appendUtf16(QByteArrayView bytes) {
    const QString text = (*utf16_)(bytes);
    buffer_ += text.toUtf8();
}

bool ByteLines::fill() {
    if (eof_)
        return false;
    // Keep only the unread part, then append a chunk behind it.
    if (start_ > 0) {
        buffer_.remove(0, start_);
        scanned_ -= start_;
        start_ = 0;
    }
    qint64 got = 0;
    if (utf16_) {
        raw_.resize(0);
        got = readChunk(raw_);
        appendUtf16(raw_);
    } else {
        got = readChunk(buffer_);
        if (first_)
            takeByteOrderMark();
    }
    first_ = false;
    eof_ = got == 0;
    return got > 0;
}

const char* ByteLines::findEnd(qsizetype from) const {
    const char* at = buffer_.constData() + from;
    const qsizetype bytes = buffer_.size() - from;
    switch (ending_) {
    case Ending::Lf:
        return find(at, bytes, '\n');
    case Ending::Cr:
        return find(at, bytes, '\r');
    case Ending::Unknown:
        break;
    }
    // Until the first line end shows which kind the file uses.
    const char* lf = find(at, bytes, '\n');
    const char* cr = find(at, lf ? lf - at : bytes, '\r');
    return cr ? cr : lf;
}

bool ByteLines::next(QByteArrayView& line) {
    cut_ = false;
    kept_ = -1;
    qsizetype stop = 0;
    qsizetype after = 0;
    for (;;) {
        const char* at = findEnd(scanned_);
        if (!at) {
            scanned_ = buffer_.size();
            if (kept_ < 0 && scanned_ - start_ > limit_)
                kept_ = qMin(limit_, CutKeepBytes);
            if (kept_ >= 0) { // the rest of a cut line is never looked at: memory stays bounded
                buffer_.truncate(start_ + kept_);
                scanned_ = buffer_.size();
            }
            if (fill())
                continue;
            if (start_ == buffer_.size())
                return false;
            stop = after = buffer_.size(); // the last line has no line end
            break;
        }
        stop = at - buffer_.constData();
        after = stop + 1;
        if (*at == '\n') {
            if (ending_ == Ending::Unknown)
                ending_ = Ending::Lf;
            if (stop > start_ && buffer_[stop - 1] == '\r')
                --stop;
            break;
        }
        if (after == buffer_.size() && !eof_) { // an LF may follow in the next chunk
            scanned_ = stop;
            fill();
            continue;
        }
        const bool crLf = after < buffer_.size() && buffer_[after] == '\n';
        if (crLf)
            ++after;
        if (ending_ == Ending::Unknown)
            ending_ = crLf ? Ending::Lf : Ending::Cr;
        break;
    }
    qsizetype length = stop - start_;
    if (kept_ < 0 && length > limit_)
        kept_ = qMin(limit_, CutKeepBytes);
    if (kept_ >= 0) {
        cut_ = true;
        length = qMin(length, kept_);
    }
    line = QByteArrayView(buffer_.constData() + start_, length);
    ++lineNumber_;
    start_ = scanned_ = after;
    return true;
}

} // namespace exchange
