#include "exchange/CardLines.h"

#include "exchange/FieldChoice.h"
#include "exchange/FieldText.h"
#include "exchange/KeptCard.h"
#include "exchange/VCardProperty.h"
#include "exchange/VCardReader.h"

#include <algorithm>

namespace exchange {
using vcard::escaped;

namespace {
// Parameters without those the field's own line sets: VALUE, which a number
// written as text sets, and LABEL, which an address written whole sets.
QByteArray without(QByteArrayView params, std::initializer_list<const char*> names) {
    QByteArray out;
    for (const QByteArray& param : params.toByteArray().split(';')) {
        const QByteArray key = param.left(param.indexOf('=')).trimmed().toUpper();
        if (!param.isEmpty() &&
            std::none_of(names.begin(), names.end(), [&](const char* n) { return key == n; }))
            out += ';' + param;
    }
    return out;
}

// Where a field's line goes and how: the card's version, and the group
// prefix and parameters of the property it takes the place of.
struct Place {
    bool as30 = false;
    QByteArrayView group;
    QByteArrayView params;
};

// The lines of the book's own value for a slot; none for an empty field but
// the name, which both versions need. Kept parameters (TYPE=home) go with
// the values; a name is written whole from the field.
QByteArrayList fieldLines(const Card& card, Slot slot, const Place& at = {}) {
    const QString& value = card[size_t(fieldOf(slot))];
    if (value.isEmpty() && slot != Slot::FN && slot != Slot::N)
        return {};
    const QByteArray group = at.group.toByteArray();
    const QByteArray kept = at.params.toByteArray();
    switch (slot) {
    case Slot::FN:
    case Slot::N: {
        QString family, given;
        splitName(value, family, given);
        if (slot == Slot::FN)
            return {group + "FN:" + escaped(joinNonEmpty({given, family}, u" "))};
        return {group + "N:" + escaped(family) + ';' + escaped(given) + ";;;"};
    }
    case Slot::Org:
        return {group + "ORG" + kept + ':' + escaped(value)};
    case Slot::Phone:
    case Slot::Mobile: {
        const QByteArray types = kept.isEmpty()
                                     ? QByteArray(slot == Slot::Phone ? ";TYPE=voice" : ";TYPE=cell")
                                     : without(kept, {"VALUE"});
        return {group + (at.as30 ? "TEL" : "TEL;VALUE=text") + types + ':' + escaped(value)};
    }
    case Slot::Adr: {
        // An address whose parts are not known for sure goes out whole, as
        // the street and as the label a reader shows.
        const AddressParts a = splitAddress(value);
        const QByteArray params = without(kept, {"LABEL"});
        const bool whole = a.city.isEmpty();
        const QByteArray label = whole && !at.as30 ? ";LABEL=\"" + vcard::paramValue(value) + '"' : "";
        QByteArrayList lines{group + "ADR" + params + label + ":;;" + escaped(a.street) + ';' +
                             escaped(a.city) + ';' + escaped(a.state) + ';' + escaped(a.zip) + ';'};
        if (whole && at.as30) // 3.0 labels an address with a property of its own
            lines << group + "LABEL" + params + ':' + escaped(value);
        return lines;
    }
    case Slot::Email:
        return {group + "EMAIL" + kept + ':' + escaped(value)};
    case Slot::Url:
        return {group + "URL" + kept + ':' + escaped(value, true)};
    }
    return {};
}

QByteArrayList fromFields(const Card& card, bool as30) {
    QByteArrayList lines;
    for (int s = 0; s < SlotCount; ++s)
        lines << fieldLines(card, Slot(s), Place{as30, {}, {}});
    return lines;
}

QByteArrayList withKept(const Card& card, const book::PerField<bool>& dropped, bool* asItCame = nullptr) {
    QByteArrayList lines;
    const bool as30 = versionFor(card.kept) == "3.0";
    const bool same = writeKeptCard(
        card, dropped,
        [&](Slot slot, QByteArrayView group, QByteArrayView params) {
            lines << fieldLines(card, slot, Place{as30, group, params});
        },
        [&](const QByteArray& line) { lines << line; });
    if (asItCame)
        *asItCame = same;
    return lines;
}

// The fields whose lines read back other than the contact holds them.
book::PerField<bool> misread(const Card& card, const QByteArrayList& lines) {
    // A number field holding a fax (a book filled before numbers were chosen by type) reads as it was given.
    const Card back = givenBy("VERSION:" + versionFor(card.kept) + '\n' + lines.join('\n'), card).fields;
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

QByteArray cardVersion(const Card& card) { return versionFor(card.kept); }

QByteArrayList cardLines(const Card& card) {
    if (card.kept.isEmpty())
        return fromFields(card, false);
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
            return fromFields(card, versionFor(card.kept) == "3.0");
    }
    return lines;
}

} // namespace exchange
