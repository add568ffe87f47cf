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
    explicit LineSource(QIODevice& in) : lines_(in) {}
    bool next(QByteArrayView& line);
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
    QByteArrayView held_;
    bool holding_ = false;
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
};

// vCard when the first line that is not blank is BEGIN:VCARD, else CSV with
// a header row.
std::unique_ptr<CardReader> openCardReader(QIODevice& in);

// Lines inside a value become ", " as the phone book keeps one line a field.
void joinLines(Card& card);

} // namespace exchange
