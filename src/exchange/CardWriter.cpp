#include "exchange/CardWriter.h"

#include "exchange/FieldText.h"
#include "platform/core/Error.h"

#include <QIODevice>
#include <QStringList>

namespace exchange {
namespace {
constexpr qsizetype FlushBytes = 64 * 1024;

// A vCard value: backslash and line breaks escaped, and in text (not in a
// web address) also ',' and ';'.
QByteArray escaped(const QString& value, bool uri = false) {
    const QByteArray utf8 = value.toUtf8();
    QByteArray out;
    out.reserve(utf8.size());
    for (char c : utf8) {
        if (c == '\\' || (!uri && (c == ',' || c == ';')))
            out += '\\';
        if (c == '\n')
            out += "\\n";
        else if (c != '\r')
            out += c;
    }
    return out;
}

class VCardWriter : public CardWriter {
public:
    using CardWriter::CardWriter;

    void write(const Card& card) override {
        line("BEGIN:VCARD");
        line("VERSION:4.0");
        QString family, given;
        splitName(card[Name], family, given);
        line("FN:" + escaped(joinNonEmpty({given, family}, u" ")));
        line("N:" + escaped(family) + ';' + escaped(given) + ";;;");
        if (!card[Company].isEmpty())
            line("ORG:" + escaped(card[Company]));
        if (!card[Phone].isEmpty())
            line("TEL;VALUE=text;TYPE=voice:" + escaped(card[Phone]));
        if (!card[Mobile].isEmpty())
            line("TEL;VALUE=text;TYPE=cell:" + escaped(card[Mobile]));
        if (!card[Address].isEmpty()) {
            const AddressParts a = splitAddress(card[Address]);
            line("ADR:;;" + escaped(a.street) + ';' + escaped(a.city) + ';' + escaped(a.state) + ';' +
                 escaped(a.zip) + ';');
        }
        if (!card[Email].isEmpty())
            line("EMAIL:" + escaped(card[Email]));
        if (!card[WebPage].isEmpty())
            line("URL:" + escaped(card[WebPage], true));
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
