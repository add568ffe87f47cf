#include "exchange/FieldChoice.h"

#include "exchange/Text.h"
#include "exchange/VCardReader.h"

namespace exchange {
using namespace vcard;

namespace {
// Ranks past every PREF (1 to 100) a card may give.
constexpr int Unpreferred = 101;

int rankOf(const Params& params) { return params.pref > 0 ? params.pref : Unpreferred; }

// Of numbers none prefers, a home number before a work number before any
// other: another program that puts them in another order changes no field.
int numberRank(const Params& params) {
    if (params.pref > 0 || params.cell)
        return rankOf(params);
    return Unpreferred + (params.home ? 0 : params.work ? 1 : 2);
}
} // namespace

std::optional<Claim> claimOf(Kind kind, const Params& params) {
    switch (kind) {
    case Kind::N:
        return Claim{Slot::N};
    case Kind::FN:
        return Claim{Slot::FN};
    case Kind::Org:
        return Claim{Slot::Org};
    case Kind::Adr:
        return Claim{Slot::Adr};
    case Kind::Tel:
        if (params.noVoice)
            return std::nullopt;
        return Claim{params.cell ? Slot::Mobile : Slot::Phone, numberRank(params)};
    case Kind::Email:
        return Claim{Slot::Email, rankOf(params)};
    case Kind::Url:
        return Claim{Slot::Url, rankOf(params)};
    default:
        return std::nullopt;
    }
}

std::array<qsizetype, SlotCount> chosenLines(QByteArrayView kept) {
    std::array<qsizetype, SlotCount> chosen;
    std::array<int, SlotCount> rank;
    chosen.fill(-1);
    int nested = 0; // a card inside the card (2.1 AGENT) gives ours nothing
    qsizetype index = 0;
    for (QByteArrayView rest = kept; !rest.isEmpty(); ++index) {
        const QByteArrayView text = takeLine(rest);
        QByteArrayView name, params, value;
        if (!splitProperty(text, name, params, value))
            continue;
        const Kind kind = kindOf(name);
        const bool vcard = sameName(value.trimmed(), "VCARD");
        if (kind == Kind::Begin && vcard)
            ++nested;
        else if (kind == Kind::End && vcard)
            --nested;
        if (nested > 0)
            continue;
        const std::optional<Claim> claim = claimOf(kind, parseParams(params));
        if (!claim)
            continue;
        const auto s = size_t(claim->slot);
        if (chosen[s] < 0 || claim->rank < rank[s]) {
            chosen[s] = index;
            rank[s] = claim->rank;
        }
    }
    return chosen;
}

namespace {
// The value a line gives its field, decoded as the reader decodes it.
QString valueOf(QByteArrayView line) {
    QByteArrayView name, params, value;
    if (!splitProperty(line, name, params, value))
        return {};
    const Params p = parseParams(params);
    const QByteArray bytes =
        p.encoding == Params::Encoding::QuotedPrintable ? decodeQuotedPrintable(value) : value.toByteArray();
    QString text = unescape(decodeText(bytes, p.charset).value_or(decodeText(bytes)));
    if (kindOf(name) == Kind::Tel && !p.text && text.startsWith(QLatin1String("tel:"), Qt::CaseInsensitive))
        text.remove(0, 4);
    return text;
}
} // namespace

Given givenBy(QByteArrayView kept, const Fields& held) {
    Given given{VCardReader::fieldsOf(kept), chosenLines(kept)};
    for (const Slot slot : {Slot::Phone, Slot::Mobile, Slot::Email, Slot::Url}) {
        const auto f = size_t(fieldOf(slot));
        if (held[f].isEmpty() || held[f] == given.fields[f])
            continue;
        const Kind kind = slot == Slot::Email ? Kind::Email : slot == Slot::Url ? Kind::Url : Kind::Tel;
        qsizetype index = 0;
        for (QByteArrayView rest = kept; !rest.isEmpty(); ++index) {
            const QByteArrayView line = takeLine(rest);
            if (kindOf(propertyName(line)) == kind && valueOf(line) == held[f]) {
                given.fields[f] = held[f];
                given.lines[size_t(slot)] = index;
                break;
            }
        }
    }
    return given;
}

} // namespace exchange
