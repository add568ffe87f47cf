#include "exchange/CsvReader.h"

#include "exchange/FieldText.h"
#include "exchange/ReadError.h"
#include "exchange/Text.h"

namespace exchange {

CsvReader::CsvReader(std::unique_ptr<LineSource> lines) : lines_(std::move(lines)) {}

// Reads one record into fields_; false at the end of the file. Blank lines
// between records are passed over.
bool CsvReader::readRecord() {
    QByteArrayView line;
    do {
        if (!lines_->next(line))
            return false;
    } while (line.isEmpty());
    recordLine_ = lines_->lineNumber();
    fieldCount_ = 0;
    auto field = [this]() -> QByteArray& {
        if (qsizetype(fields_.size()) <= fieldCount_)
            fields_.emplace_back();
        QByteArray& f = fields_[size_t(fieldCount_++)];
        f.resize(0);
        return f;
    };
    qsizetype recordBytes = 0;
    QByteArray* current = &field();
    bool quoted = false;
    for (;;) {
        recordBytes += line.size();
        if (lines_->cut() || recordBytes > lines_->limits().text)
            lineTooLong(recordLine_, lines_->limits().text);
        qsizetype i = 0;
        while (i < line.size()) {
            const char c = line[i];
            if (quoted) {
                if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                    *current += '"';
                    i += 2;
                    continue;
                }
                if (c == '"')
                    quoted = false;
                else
                    *current += c;
            } else if (c == ',') {
                current = &field();
            } else if (c == '"' && current->isEmpty()) {
                quoted = true;
            } else {
                *current += c; // a stray quote inside a field stays as written
            }
            ++i;
        }
        if (!quoted)
            return true;
        // A line break inside quotes belongs to the field.
        if (!lines_->next(line))
            badInput(recordLine_, QStringLiteral("a quoted field begun on this line is never closed"));
        *current += '\n';
    }
}

void CsvReader::readHeader() {
    headerRead_ = true;
    if (!readRecord())
        return;
    QStringList header;
    for (qsizetype i = 0; i < fieldCount_; ++i)
        header << decodeText(fields_[size_t(i)]);
    columns_.emplace(header, recordLine_);
    ignored_ = columns_->aside();
}

bool CsvReader::next(Card& card) {
    if (!headerRead_)
        readHeader();
    if (!readRecord())
        return false;
    card = Card{};
    values_.resize(size_t(fieldCount_));
    for (qsizetype i = 0; i < fieldCount_; ++i)
        values_[size_t(i)] = fromSpreadsheetSafe(decodeText(fields_[size_t(i)]));
    columns_->compose(values_, card);
    finish(card);
    return true;
}

} // namespace exchange
