#include "exchange/ConflictCopy.h"

#include "exchange/KeptCard.h"
#include "exchange/VCardProperty.h"
#include "exchange/VCardReader.h"

namespace exchange {
using namespace vcard;

namespace {
// N's value with the mark among its honorific suffixes (the fifth part).
QByteArray markedN(QByteArrayView value) {
    QByteArray out = value.toByteArray();
    int parts = 1;
    qsizetype fifth = -1; // where the fifth part ends
    for (qsizetype i = 0; i < out.size(); ++i) {
        if (out[i] == '\\') {
            ++i;
        } else if (out[i] == ';' && ++parts == 6) {
            fifth = i;
            break;
        }
    }
    const QByteArray mark = QByteArray(ConflictMark.data(), ConflictMark.size());
    if (fifth < 0) {
        out += QByteArray(qMax(0, 5 - parts), ';');
        fifth = out.size();
    }
    const bool empty = fifth == 0 || out[fifth - 1] == ';';
    out.insert(fifth, empty ? mark : ',' + mark);
    return out;
}
} // namespace

Card conflictCopy(const Card& theirs, const QString& uid) {
    Card copy = theirs;
    copy.uid = uid;
    copy.kept.clear();
    bool fn = false, n = false;
    int nested = 0; // a card inside the card (2.1 AGENT) keeps its own name
    for (QByteArrayView rest = theirs.kept; !rest.isEmpty();) {
        const QByteArrayView line = takeLine(rest);
        QByteArrayView name, params, value;
        QByteArray out = line.toByteArray();
        if (splitProperty(line, name, params, value)) {
            const Kind kind = kindOf(name);
            const bool vcard = sameName(value.trimmed(), "VCARD");
            nested += kind == Kind::Begin && vcard ? 1 : kind == Kind::End && vcard ? -1 : 0;
            const QByteArray head = line.first(value.data() - line.data()).toByteArray();
            if (nested == 0 && kind == Kind::FN && !std::exchange(fn, true))
                out = head + value.toByteArray() + ' ' + QByteArray(ConflictMark.data(), ConflictMark.size());
            else if (nested == 0 && kind == Kind::N && !std::exchange(n, true))
                out = head + markedN(value);
        }
        copy.kept += out + '\n';
    }
    if (!theirs.kept.isEmpty())
        static_cast<Fields&>(copy) = VCardReader::fieldsOf(copy.kept);
    if (!copy[Name].endsWith(ConflictMark))
        copy[Name] = copy[Name] + QLatin1Char(' ') + ConflictMark;
    return copy;
}

} // namespace exchange
