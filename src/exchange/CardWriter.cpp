#include "exchange/CardWriter.h"

#include "exchange/FieldText.h"
#include "exchange/KeptCard.h"
#include "exchange/VCardProperty.h"
#include "platform/core/Error.h"

#include <QIODevice>
#include <QStringList>

namespace exchange {
using vcard::escaped;
using vcard::paramValue;

namespace {
constexpr qsizetype FlushBytes = 64 * 1024;

class VCardWriter : public CardWriter {
public:
    using CardWriter::CardWriter;

    void write(const Card& card) override {
        line("BEGIN:VCARD");
        line("VERSION:4.0");
        if (!card.uid.isEmpty())
            line("UID:" + escaped(card.uid, true));
        FromFields from;
        from.fields.fill(true);
        if (!card.kept.isEmpty())
            from = writeKeptCard(card, [this](const QByteArray& text) { line(text); });
        auto wanted = [&](Field f) { return from.fields[size_t(f)] && !card[size_t(f)].isEmpty(); };
        if (from.fields[Name] || from.fnOnly) {
            QString family, given;
            splitName(card[Name], family, given);
            line("FN:" + escaped(joinNonEmpty({given, family}, u" ")));
            if (from.fields[Name])
                line("N:" + escaped(family) + ';' + escaped(given) + ";;;");
        }
        if (wanted(Company))
            line("ORG:" + escaped(card[Company]));
        if (wanted(Phone))
            line("TEL;VALUE=text;TYPE=voice:" + escaped(card[Phone]));
        if (wanted(Mobile))
            line("TEL;VALUE=text;TYPE=cell:" + escaped(card[Mobile]));
        if (wanted(Address)) {
            // An address whose parts are not known for sure goes out whole, as
            // the street and as the label a reader shows.
            const AddressParts a = splitAddress(card[Address]);
            const QByteArray label = a.city.isEmpty() ? ";LABEL=\"" + paramValue(card[Address]) + '"' : "";
            line("ADR" + label + ":;;" + escaped(a.street) + ';' + escaped(a.city) + ';' + escaped(a.state) +
                 ';' + escaped(a.zip) + ';');
        }
        if (wanted(Email))
            line("EMAIL:" + escaped(card[Email]));
        if (wanted(WebPage))
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
