#include "exchange/KeptCard.h"

#include "exchange/FieldChoice.h"
#include "exchange/Text.h"
#include "exchange/VCardProperty.h"
#include "exchange/VCardReader.h"

#include <QUtf8StringView>

#include <array>
#include <optional>
#include <utility>

namespace exchange {
using namespace vcard;

namespace {
QByteArray upper(QByteArrayView bytes) { return bytes.toByteArray().toUpper(); }

// A property's parameters as 4.0 writes them: no ENCODING or CHARSET (the
// value is decoded), and the bare types of 2.1 as TYPE=.
QByteArray params40(QByteArrayView params, bool binary) {
    QByteArray out;
    ParamReader reader(params);
    for (Param param; reader.next(param);) {
        const QByteArray key = upper(param.key);
        if (key == "ENCODING" || key == "CHARSET" || key == "QUOTED-PRINTABLE" || key == "BASE64" ||
            key == "8BIT" || key == "7BIT" || (binary && (key == "TYPE" || key == "VALUE")))
            continue;
        if (param.bare)
            out += ";TYPE=" + param.key.toByteArray().toLower();
        else if (key == "VALUE" && sameName(param.value, "URL"))
            out += ";VALUE=uri";
        else
            out += ';' + param.text.toByteArray();
    }
    return out;
}

// The media type a 2.1 or 3.0 picture names in its TYPE (JPEG, image/png).
QByteArray mediaType(QByteArrayView params) {
    ParamReader reader(params);
    for (Param param; reader.next(param);) {
        if (!param.bare && !sameName(param.key, "TYPE"))
            continue;
        const QByteArrayView type = param.bare ? param.key : param.value;
        if (type.contains('/'))
            return type.toByteArray().toLower();
        if (sameName(type, "JPEG") || sameName(type, "PNG") || sameName(type, "GIF") || sameName(type, "BMP"))
            return "image/" + type.toByteArray().toLower();
    }
    return "application/octet-stream";
}

// Whether a line is 4.0 as it stands: UTF-8, nothing encoded, no bare 2.1 types.
bool is40(QByteArrayView line, QByteArrayView params) {
    ParamReader reader(params);
    for (Param param; reader.next(param);)
        if (param.bare || sameName(param.key, "ENCODING") || sameName(param.key, "CHARSET"))
            return false;
    return QUtf8StringView(line).isValidUtf8();
}

// Text properties, whose commas 3.0 escapes and 2.1 does not.
bool escapesCommas(QByteArrayView name) {
    for (const char* text : {"FN", "N", "ORG", "ADR", "NOTE", "TITLE", "ROLE", "LABEL"})
        if (sameName(name, text))
            return true;
    return false;
}

// One property line as a 3.0 line (from 2.1) or a 4.0 line (from 2.1, 3.0 or 4.0): its value decoded to
// UTF-8 and escaped as that version escapes, a picture in base64 ("b" in 3.0, a data: URI in 4.0).
QByteArray lineAs(bool as30, QByteArrayView line, QByteArrayView name, QByteArrayView params,
                  QByteArrayView value) {
    const QByteArray head = line.first(line.indexOf(params.isEmpty() ? ':' : ';')).toByteArray();
    const Params p = parseParams(params);
    if (p.encoding == Params::Encoding::Base64) {
        QByteArray data = value.toByteArray();
        data.replace(' ', "").replace('\t', "");
        if (as30)
            return head + params40(params, false) + ";ENCODING=b:" + data;
        return head + params40(params, true) + ":data:" + mediaType(params) + ";base64," + data;
    }
    QByteArray bytes =
        p.encoding == Params::Encoding::QuotedPrintable ? decodeQuotedPrintable(value) : value.toByteArray();
    QString text = decodeText(bytes, p.charset).value_or(decodeText(bytes));
    // Decoded quoted-printable text holds its line breaks as they are.
    text.replace(QLatin1String("\r\n"), QLatin1String("\\n"))
        .replace(QLatin1Char('\n'), QLatin1String("\\n"))
        .replace(QLatin1Char('\r'), QLatin1String("\\n"));
    if (as30 && escapesCommas(name))
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (text[i] == QLatin1Char('\\'))
                ++i; // an escape 2.1 has too (\;)
            else if (text[i] == QLatin1Char(','))
                text.insert(i++, QLatin1Char('\\'));
        }
    return head + params40(params, false) + ':' + text.toUtf8();
}

QByteArray versionOf(QByteArrayView kept) {
    for (QByteArrayView rest = kept; !rest.isEmpty();) {
        QByteArrayView name, params, value;
        if (splitProperty(takeLine(rest), name, params, value) && kindOf(name) == Kind::Version)
            return value.trimmed().toByteArray();
    }
    return {};
}
} // namespace

QByteArray versionFor(QByteArrayView kept) {
    const QByteArray own = versionOf(kept);
    return own == "3.0" || own == "2.1" ? QByteArray("3.0") : QByteArray("4.0");
}

Field fieldOf(Slot slot) {
    static constexpr Field Of[SlotCount] = {Name, Name, Company, Phone, Mobile, Address, Email, WebPage};
    return Of[int(slot)];
}

QByteArrayView takeLine(QByteArrayView& rest) {
    // CR, LF and CR LF end a line alike, as they do in a file.
    qsizetype end = rest.indexOf('\n');
    if (const qsizetype cr = rest.first(end < 0 ? rest.size() : end).indexOf('\r'); cr >= 0)
        end = cr;
    if (end < 0) {
        const QByteArrayView line = rest;
        rest = {};
        return line;
    }
    const QByteArrayView line = rest.first(end);
    const qsizetype after =
        end + (rest[end] == '\r' && end + 1 < rest.size() && rest[end + 1] == '\n' ? 2 : 1);
    rest = rest.sliced(after);
    return line;
}

bool writeKeptCard(const Card& card, const book::PerField<bool>& dropped,
                   const std::function<void(Slot, QByteArrayView, QByteArrayView)>& fromField,
                   const std::function<void(const QByteArray&)>& line) {
    const Given given = givenBy(card.kept, card);
    const QByteArray version = versionOf(card.kept);
    const bool as30 = versionFor(card.kept) == "3.0";
    book::PerField<bool> changed{};
    bool asItCame = true;
    for (int f = 0; f < FieldCount; ++f) {
        changed[size_t(f)] = given.fields[size_t(f)] != card[size_t(f)] || dropped[size_t(f)];
        asItCame = asItCame && !changed[size_t(f)];
    }
    // Only the line chosen for each slot filled its field; the rest are more
    // of the same (a third number, a fax) and go out as they came.
    std::array<bool, SlotCount> seen{};
    int nested = 0;
    qsizetype index = -1;
    for (QByteArrayView rest = card.kept; !rest.isEmpty();) {
        const QByteArrayView text = takeLine(rest);
        ++index;
        QByteArrayView name, params, value;
        // A line that begins with a blank would join the one before it.
        if (text.startsWith(' ') || text.startsWith('\t') || !splitProperty(text, name, params, value))
            continue;
        // A card inside the card (2.1 AGENT) has no place in 3.0 or 4.0.
        const bool vcard = sameName(value.trimmed(), "VCARD");
        nested += sameName(name, "BEGIN") && vcard;
        if (nested > 0 || sameName(name, "AGENT")) {
            nested -= sameName(name, "END") && vcard;
            continue;
        }
        const Kind kind = kindOf(name);
        // The version is written apart, and so is an id the contact no longer has (a copy's).
        if (kind == Kind::Version || kind == Kind::End ||
            (kind == Kind::Uid && unescape(QString::fromUtf8(value)).trimmed() != card.uid))
            continue;
        bool replaced = false;
        for (int s = 0; s < SlotCount; ++s) {
            const size_t field = size_t(fieldOf(Slot(s)));
            if (given.lines[size_t(s)] != index || dropped[field])
                continue;
            seen[size_t(s)] = true;
            if (changed[field] && !std::exchange(replaced, true))
                // The field's value, where its property stood and with its types
                // (a home number stays a home number).
                fromField(Slot(s), text.first(name.data() - text.data()), params40(params, false));
        }
        if (replaced)
            continue;
        if (const std::optional<Claim> claim = claimOf(kind, parseParams(params))) {
            const size_t field = size_t(fieldOf(claim->slot));
            // Properties that gave their field nothing when the card was read
            // would give it a value the contact never had: they stay behind.
            if (dropped[field] || (!changed[field] && card[field].isEmpty()))
                continue;
        }
        // A card goes back in its own version, byte for byte; only 2.1 changes.
        if (as30 ? version == "3.0" : is40(text, params)) {
            line(text.toByteArray());
        } else {
            line(lineAs(as30, text, name, params, value));
            asItCame = false;
        }
    }
    // What the card had no property for; a name unchanged since the card
    // needs no N beside the FN it came from in 4.0, but 3.0 needs both.
    for (int s = 0; s < SlotCount; ++s) {
        const auto slot = Slot(s);
        if (!seen[size_t(s)] && !(slot == Slot::N && !as30 && !changed[Name] && seen[size_t(Slot::FN)]))
            fromField(slot, {}, {});
    }
    return asItCame;
}

} // namespace exchange
