#pragma once

#include <QByteArray>
#include <QByteArrayView>

class QIODevice;

namespace exchange {

// Longest line (or CSV record) read: longer than any contact needs, short
// enough that a file without line breaks cannot take the memory.
inline constexpr qsizetype MaxLineBytes = 4 * 1024 * 1024;

// Reads a file one physical line at a time, in fixed-size chunks, so memory
// stays the same however long the file is. A leading UTF-8 byte order mark
// is dropped; lines may end in CR LF or LF. Throws platform::Error naming
// the line when a line is longer than MaxLineBytes.
class ByteLines {
public:
    explicit ByteLines(QIODevice& in);

    // The next line without its end; false at the end of the file. The view
    // is valid until the next call.
    bool next(QByteArrayView& line);
    // The first byte of the next line when it is already read in, without
    // taking the line (the last view stays valid); -1 when that needs a read.
    int peek() const { return start_ < buffer_.size() ? static_cast<unsigned char>(buffer_[start_]) : -1; }
    // Number of the line last returned, from 1.
    qint64 lineNumber() const { return lineNumber_; }

private:
    bool fill();

    QIODevice& in_;
    QByteArray buffer_;
    qsizetype start_ = 0;
    qsizetype scanned_ = 0;
    bool eof_ = false;
    bool first_ = true;
    qint64 lineNumber_ = 0;
};

// A line longer than MaxLineBytes: throws platform::Error naming it.
[[noreturn]] void lineTooLong(qint64 line);

} // namespace exchange
