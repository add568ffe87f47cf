#include "exchange/CardLines.h"

#include "exchange/FieldText.h"
#include "exchange/KeptCard.h"
#include "exchange/VCardProperty.h"
#include "exchange/VCardReader.h"

namespace exchange {
using vcard::escaped;

namespace {
// A property's 4.0 parameters without VALUE, which a number written as text
// sets itself.
QByteArray withoutValue(QByteArrayView params) {
    QByteArray out;
    for (const QByteArray& param : params.toByteArray().split(';'))
        if (!param.isEmpty() && !param.toUpper().startsWith("VALUE="))
            out += ';' + param;
    return out;
}

// The line of the book's own value for a slot; none for an empty field but
// the name, which 4.0 needs. Kept parameters (TYPE=home) go with the values
// that have no parts; an address or a name is written whole from the field.
QByteArray fieldLine(const Card& card, Slot slot, QByteArrayView kept = {}) {
    const QString& value = card[size_t(fieldOf(slot))];
    if (value.isEmpty() && slot != Slot::FN && slot != Slot::N)
        return {};
    switch (slot) {
    case Slot::FN:
    case Slot::N: {
        QString family, given;
        splitName(value, family, given);
        if (slot == Slot::FN)
            return "FN:" + escaped(joinNonEmpty({given, family}, u" "));
        return "N:" + escaped(family) + ';' + escaped(given) + ";;;";
    }
    case Slot::Org:
        return "ORG" + kept.toByteArray() + ':' + escaped(value);
    case Slot::Phone:
        return "TEL;VALUE=text" + (kept.isEmpty() ? QByteArray(";TYPE=voice") : withoutValue(kept)) + ':' +
               escaped(value);
    case Slot::Mobile:
        return "TEL;VALUE=text" + (kept.isEmpty() ? QByteArray(";TYPE=cell") : withoutValue(kept)) + ':' +
               escaped(value);
    case Slot::Adr: {
        // An address whose parts are not known for sure goes out whole, as
        // the street and as the label a reader shows.
        const AddressParts a = splitAddress(value);
        const QByteArray label = a.city.isEmpty() ? ";LABEL=\"" + vcard::paramValue(value) + '"' : "";
        return "ADR" + label + ":;;" + escaped(a.street) + ';' + escaped(a.city) + ';' + escaped(a.state) +
               ';' + escaped(a.zip) + ';';
    }
    case Slot::Email:
        return "EMAIL" + kept.toByteArray() + ':' + escaped(value);
    case Slot::Url:
        return "URL" + kept.toByteArray() + ':' + escaped(value, true);
    }
    return {};
}

QByteArrayList fromFields(const Card& card) {
    QByteArrayList lines;
    for (int s = 0; s < SlotCount; ++s)
        if (QByteArray line = fieldLine(card, Slot(s)); !line.isEmpty())
            lines << std::move(line);
    return lines;
}

QByteArrayList withKept(const Card& card, const book::PerField<bool>& dropped, bool* asItCame = nullptr) {
    QByteArrayList lines;
    const bool same = writeKeptCard(
        card, dropped,
        [&](Slot slot, QByteArrayView params) {
            if (QByteArray line = fieldLine(card, slot, params); !line.isEmpty())
                lines << std::move(line);
        },
        [&](const QByteArray& line) { lines << line; });
    if (asItCame)
        *asItCame = same;
    return lines;
}

// The fields whose lines read back other than the contact holds them.
book::PerField<bool> misread(const Card& card, const QByteArrayList& lines) {
    const Card back = VCardReader::fieldsOf("VERSION:4.0\n" + lines.join('\n'));
    book::PerField<bool> wrong{};
    for (int f = 0; f < FieldCount; ++f)
        wrong[size_t(f)] = back[size_t(f)] != card[size_t(f)];
    return wrong;
}

bool any(const book::PerField<bool>& fields) {
    for (bool f : fields)
        if (f)
            return true;
    return false;
}
} // namespace

QByteArrayList cardLines(const Card& card) {
    if (card.kept.isEmpty())
        return fromFields(card);
    // A kept card holds what other programs wrote, so what it gives a field
    // is checked, not trusted, once anything in it has changed: a field it would give another value is
    // written from the book alone, and if even that reads back wrong (which
    // no card should do), the whole card is.
    bool asItCame = false;
    QByteArrayList lines = withKept(card, {}, &asItCame);
    if (asItCame)
        return lines; // read as the card was, which gave the fields
    if (const book::PerField<bool> wrong = misread(card, lines); any(wrong)) {
        lines = withKept(card, wrong);
        if (any(misread(card, lines)))
            return fromFields(card);
    }
    return lines;
}

} // namespace exchange
