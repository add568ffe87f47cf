#pragma once

#include "exchange/ByteLines.h"
#include "exchange/Card.h"

#include <QStringList>

#include <memory>

class QIODevice;

namespace exchange {

// Lines of a contact file with one line of look-back, so a reader can look
// at the line after a property (folding) and give it back.
class LineSource {
public:
    LineSource(QIODevice& in, const ReadLimits& limits) : lines_(in, limits.text), limits_(limits) {}
    bool next(QByteArrayView& line);
    // Whether the line last taken was cut for its length (see ByteLines).
    bool cut() const { return lines_.cut(); }
    // Lines of binary values may be longer than lines of text (see ReadLimits).
    void allowBinaryLines() { lines_.setLimit(limits_.binary); }
    const ReadLimits& limits() const { return limits_; }
    // The line last taken is the next one again. Its view stays valid: the
    // file is not read on until it has been taken back.
    void giveBack(QByteArrayView line) {
        held_ = line;
        holding_ = true;
    }
    // The first byte of the next line if known without reading on (see ByteLines::peek).
    int peek() const {
        if (!holding_)
            return lines_.peek();
        return held_.isEmpty() ? '\n' : static_cast<unsigned char>(held_[0]);
    }
    qint64 lineNumber() const { return lines_.lineNumber(); }

private:
    ByteLines lines_;
    ReadLimits limits_;
    QByteArrayView held_;
    bool holding_ = false;
};

// Lines inside a value become ", " as the phone book keeps one line a field;
// a NUL is dropped, as no text field may hold one (other programs would show
// the text cut there). Returns how many NULs were dropped.
qint64 joinLines(Card& card);

// What was left out of the cards read, for the summary.
struct ReadNotes {
    qint64 nulsDropped = 0;
    // Pictures, sounds and keys longer than ReadLimits::binary.
    qint64 valuesLeftOut = 0;
    qint64 firstLeftOutLine = 0;
};

// Reads contacts one at a time from a vCard or CSV file.
class CardReader {
public:
    virtual ~CardReader() = default;
    // The next contact; false at the end of the file. A file that cannot be
    // read throws platform::Error whose text names the line.
    virtual bool next(Card& card) = 0;
    // Column names of a CSV file that are not ours, once each.
    virtual QStringList ignoredColumns() const { return {}; }
    // Of the cards read so far.
    virtual ReadNotes notes() const { return notes_; }

protected:
    // joinLines, counting the NULs dropped.
    void finish(Card& card) { notes_.nulsDropped += joinLines(card); }
    ReadNotes notes_;
};

// vCard when the first line that is not blank is BEGIN:VCARD, else CSV with
// a header row.
std::unique_ptr<CardReader> openCardReader(QIODevice& in, const ReadLimits& limits = {});

} // namespace exchange
