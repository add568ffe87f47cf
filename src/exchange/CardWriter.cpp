#include "exchange/CardWriter.h"

#include "exchange/CardLines.h"
#include "exchange/FieldText.h"
#include "exchange/VCardProperty.h"
#include "platform/core/Error.h"

#include <QIODevice>
#include <QStringList>

#include <algorithm>

namespace exchange {
using vcard::escaped;

namespace {
constexpr qsizetype FlushBytes = 64 * 1024;

class VCardWriter : public CardWriter {
public:
    using CardWriter::CardWriter;

    void write(const Card& card) override {
        line("BEGIN:VCARD");
        line("VERSION:" + cardVersion(card));
        const QByteArrayList lines = cardLines(card);
        // The id where the card had it, else first.
        if (!card.uid.isEmpty() && std::none_of(lines.begin(), lines.end(), [](const QByteArray& l) {
                return vcard::kindOf(vcard::propertyName(l)) == vcard::Kind::Uid;
            }))
            line("UID:" + escaped(card.uid, true));
        for (const QByteArray& text : lines)
            line(text);
        line("END:VCARD");
        endRecord();
    }

private:
    // Folds at 75 bytes, never inside a UTF-8 sequence.
    void line(const QByteArray& text) {
        qsizetype from = 0;
        qsizetype room = 75;
        while (text.size() - from > room) {
            qsizetype cut = from + room;
            while (cut > from && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
                --cut;
            if (cut == from) // no character starts in reach: bytes that are not UTF-8, cut anywhere
                cut = from + room;
            put(QByteArrayView(text).sliced(from, cut - from));
            put("\r\n ");
            from = cut;
            room = 74;
        }
        put(QByteArrayView(text).sliced(from));
        put("\r\n");
    }
};

class CsvWriter : public CardWriter {
public:
    explicit CsvWriter(QIODevice& out) : CardWriter(out) {
        QByteArrayList header;
        for (const char* name : FieldNames)
            header << name;
        put(header.join(','));
        put("\r\n");
    }

    void write(const Card& card) override {
        for (int f = 0; f < FieldCount; ++f) {
            if (f > 0)
                put(",");
            const QByteArray value = toSpreadsheetSafe(card[size_t(f)]).toUtf8();
            if (value.contains(',') || value.contains('"') || value.contains('\n') || value.contains('\r')) {
                QByteArray quoted = value;
                quoted.replace("\"", "\"\"");
                put("\"" + quoted + "\"");
            } else {
                put(value);
            }
        }
        put("\r\n");
        endRecord();
    }
};
} // namespace

void CardWriter::endRecord() {
    if (buffer_.size() >= FlushBytes)
        flush();
}

void CardWriter::flush() {
    if (!buffer_.isEmpty() && out_.write(buffer_) != buffer_.size())
        throw platform::Error(platform::err::FileAccess, out_.errorString());
    buffer_.resize(0);
}

std::unique_ptr<CardWriter> makeVCardWriter(QIODevice& out) { return std::make_unique<VCardWriter>(out); }
std::unique_ptr<CardWriter> makeCsvWriter(QIODevice& out) { return std::make_unique<CsvWriter>(out); }

} // namespace exchange
