#include "exchange/ContactMerge.h"

#include "exchange/CardLines.h"
#include "exchange/VCardProperty.h"
#include "links/MatchKey.h"

#include <QSet>

namespace exchange {
namespace {
using vcard::sameName;

// What a card holds once: the first card's stays.
bool once(QByteArrayView name) {
    for (const char* single : {"VERSION", "UID", "FN", "N", "BDAY", "ANNIVERSARY", "GENDER", "PHOTO", "KIND",
                               "PRODID", "REV", "SORT-STRING"})
        if (sameName(name, single))
            return true;
    return false;
}

// What makes a property a repeat of another: its name and value, a number
// as the links read it, an e-mail in any case.
QString sameness(QByteArrayView line, const QString& homeRegion) {
    QByteArrayView name, params, value;
    if (!vcard::splitProperty(line, name, params, value))
        return QString::fromUtf8(line);
    const QString upper = QString::fromLatin1(name).toUpper();
    const QString text = vcard::unescape(QString::fromUtf8(value.trimmed()));
    if (upper == QLatin1String("TEL"))
        if (const QString key = links::matchKey(text, homeRegion); !key.isEmpty())
            return upper + QLatin1Char(':') + key;
    if (upper == QLatin1String("EMAIL"))
        return upper + QLatin1Char(':') + text.toCaseFolded();
    return upper + QLatin1Char(':') + text;
}
} // namespace

Card mergeContacts(const QList<Card>& contacts, const QString& homeRegion) {
    if (contacts.isEmpty())
        return {};
    Card merged = contacts.first();
    // A number field is not filled with a number the contact has already,
    // in another writing.
    auto held = [&](const QString& number) {
        const QString key = links::matchKey(number, homeRegion);
        return !key.isEmpty() && (key == links::matchKey(merged[Phone], homeRegion) ||
                                  key == links::matchKey(merged[Mobile], homeRegion));
    };
    for (const Card& other : contacts.sliced(1))
        for (int f = 0; f < FieldCount; ++f)
            if (merged[size_t(f)].isEmpty() && !((f == Phone || f == Mobile) && held(other[size_t(f)])))
                merged[size_t(f)] = other[size_t(f)];

    QByteArrayList lines = cardLines(contacts.first());
    QSet<QString> there, onceThere;
    for (const QByteArray& line : std::as_const(lines)) {
        there.insert(sameness(line, homeRegion));
        onceThere.insert(QString::fromLatin1(vcard::propertyName(line)).toUpper());
    }
    for (const Card& other : contacts.sliced(1)) {
        for (const QByteArray& line : cardLines(other)) {
            const QByteArrayView name = vcard::propertyName(line);
            const QString upper = QString::fromLatin1(name).toUpper();
            if (once(name) && onceThere.contains(upper))
                continue;
            const QString key = sameness(line, homeRegion);
            if (there.contains(key))
                continue;
            there.insert(key);
            onceThere.insert(upper);
            lines << line;
        }
    }
    // Written once more from the merged fields, so that the card reads back
    // as them: a field taken from another contact stands where its property does.
    merged.kept = "VERSION:4.0\n" + lines.join('\n') + '\n';
    merged.kept = "VERSION:4.0\n" + cardLines(merged).join('\n') + '\n';
    merged.aside = 0;
    return merged;
}

} // namespace exchange
