#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QStringDecoder>

#include <optional>

class QIODevice;

namespace exchange {

// How long a value may be. Longer than any contact needs, short enough that
// a file without line breaks cannot take the memory.
struct ReadLimits {
    // A line of text, a property of text, a CSV record.
    qsizetype text = 4 * 1024 * 1024;
    // A picture, a sound or a key, as phones export them with a contact.
    qsizetype binary = 32 * 1024 * 1024;
};

// Reads a file one physical line at a time, in fixed-size chunks, so memory
// stays the same however long the file is. Lines may end in LF, CR LF or CR
// alone (older spreadsheets). A leading UTF-8 byte order mark is dropped; a
// file that begins with a UTF-16 one (little- or big-endian) is read as
// UTF-8, so the readers see one encoding.
class ByteLines {
public:
    explicit ByteLines(QIODevice& in, qsizetype limit);

    // The next line without its end; false at the end of the file. The view
    // is valid until the next call. A line longer than the limit is cut: the
    // view holds its first bytes only, and cut() says so.
    bool next(QByteArrayView& line);
    bool cut() const { return cut_; }
    void setLimit(qsizetype bytes) { limit_ = bytes; }
    // The first byte of the next line when it is already read in, without
    // taking the line (the last view stays valid); -1 when that needs a read.
    int peek() const { return start_ < buffer_.size() ? static_cast<unsigned char>(buffer_[start_]) : -1; }
    // Number of the line last returned, from 1.
    qint64 lineNumber() const { return lineNumber_; }

private:
    enum class Ending { Unknown, Lf, Cr };
    bool fill();
    qint64 readChunk(QByteArray& to);
    void takeByteOrderMark();
    void appendUtf16(QByteArrayView bytes);
    const char* findEnd(qsizetype from) const;

    QIODevice& in_;
    qsizetype limit_;
    QByteArray buffer_; // UTF-8, or the file's own bytes
    QByteArray raw_;    // a chunk of UTF-16 before it is converted
    std::optional<QStringDecoder> utf16_;
    qsizetype start_ = 0;
    qsizetype scanned_ = 0;
    qsizetype kept_ = -1; // while a line is being cut: how much of it is kept
    Ending ending_ = Ending::Unknown;
    bool eof_ = false;
    bool first_ = true;
    bool cut_ = false;
    qint64 lineNumber_ = 0;
};

// A line longer than `limit`: throws platform::Error naming it.
[[noreturn]] void lineTooLong(qint64 line, qsizetype limit);

} // namespace exchange
