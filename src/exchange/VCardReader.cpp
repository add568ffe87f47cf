#include "exchange/VCardReader.h"

#include "exchange/ConflictCopy.h"
#include "exchange/FieldChoice.h"
#include "exchange/FieldText.h"
#include "exchange/KeptCard.h"
#include "exchange/ReadError.h"
#include "exchange/Text.h"
#include "exchange/VCardProperty.h"

#include <array>
#include <cstring>

namespace exchange {
using namespace vcard;

namespace {
// Bytes from the file, shown in a message without control characters.
QString shown(QByteArrayView bytes) {
    QString text = QString::fromLatin1(bytes.first(qMin<qsizetype>(bytes.size(), 40)));
    for (QChar& c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = QLatin1Char('?');
    return QStringLiteral("\u201C%1\u201D").arg(text);
}

// Whether a line's value is quoted-printable, whose '=' at the end joins
// the next line to it. Only its encoding says so: text that merely holds
// the word, in a value or a name, joins nothing.
bool isQuotedPrintable(QByteArrayView line) {
    QByteArrayView name, params, value;
    return splitProperty(line, name, params, value) &&
           parseParams(params).encoding == Params::Encoding::QuotedPrintable;
}

void append(QByteArray& to, QByteArrayView bytes) { to.append(bytes.data(), bytes.size()); }
} // namespace

struct VCardReader::Parts {
    int nested = 0; // 2.1 lets a card hold another (AGENT); its lines are not ours
    bool n = false, fnSeen = false, org = false, adr = false, uid = false;
    // Of the numbers, e-mails and web pages, the rank of the one taken so far; 0 for none.
    std::array<int, SlotCount> rank{};
    QString fn;
};

VCardReader::VCardReader(std::unique_ptr<LineSource> lines) : lines_(std::move(lines)) {
    if (lines_) // none when only reading kept cards (fieldsOf)
        lines_->allowBinaryLines();
}

bool VCardReader::readLogicalLine() {
    QByteArrayView line;
    if (!lines_->next(line))
        return false;
    lineNumber_ = lines_->lineNumber();
    const bool binary = isBinary(propertyName(line));
    const qsizetype limit = binary ? lines_->limits().binary : lines_->limits().text;
    bool tooLong = lines_->cut() || line.size() > limit;
    // Most lines are whole: when the next one shows that without reading on,
    // the line is used where it lies, uncopied.
    if (const int after = lines_->peek();
        after >= 0 && after != ' ' && after != '\t' && !(line.endsWith('=') && isQuotedPrintable(line))) {
        line_ = line;
        return tooLong ? leaveOut(binary) : true;
    }
    folded_.resize(0);
    append(folded_, line);
    while (lines_->next(line)) {
        const bool blankFolded = !line.isEmpty() && (line[0] == ' ' || line[0] == '\t');
        if (tooLong && blankFolded)
            continue; // the rest of a value left out, passed over unkept
        if (blankFolded) {
            append(folded_, version21_ ? line : line.sliced(1)); // 2.1 keeps the blank that folded
        } else if (!tooLong && folded_.endsWith('=') && isQuotedPrintable(folded_)) {
            folded_.chop(1); // a soft line break
            append(folded_, line);
        } else {
            lines_->giveBack(line);
            break;
        }
        tooLong = tooLong || lines_->cut() || folded_.size() > limit;
        if (tooLong && !binary)
            break;
    }
    line_ = folded_;
    return tooLong ? leaveOut(binary) : true;
}

// A property longer than its limit: a picture (sound, key) is left out of
// the card and counted; text that long means this is no contact file.
bool VCardReader::leaveOut(bool binary) {
    if (!binary)
        lineTooLong(lineNumber_, lines_->limits().text);
    if (notes_.valuesLeftOut++ == 0)
        notes_.firstLeftOutLine = lineNumber_;
    folded_.resize(0);
    line_ = QByteArrayView(); // passed over as no property at all
    return true;
}

bool VCardReader::next(Card& card) {
    card = Card{};
    QByteArrayView name, params, value;
    for (;;) {
        if (!readLogicalLine())
            return false;
        if (line_.trimmed().isEmpty())
            continue;
        if (splitProperty(line_, name, params, value) && sameName(name, "BEGIN") &&
            sameName(value.trimmed(), "VCARD"))
            break;
        badInput(lineNumber_, QStringLiteral("expected BEGIN:VCARD, found %1").arg(shown(line_)));
    }
    const qint64 begun = lineNumber_;
    version21_ = false;
    Parts parts;
    for (;;) {
        if (!readLogicalLine())
            badInput(
                lines_->lineNumber(),
                QStringLiteral("the file ends inside the card begun on line %1 (no END:VCARD)").arg(begun));
        const bool ended = take(card, parts, line_);
        if (ended)
            break;
        if (line_.isEmpty())
            continue; // a picture left out for its length is not kept either
        // The card is kept whole, to be written back. Room for a card like
        // the one before saves growing it line by line.
        if (card.kept.isEmpty())
            card.kept.reserve(keptSize_);
        const qsizetype at = card.kept.size();
        card.kept.resize(at + line_.size() + 1);
        std::memcpy(card.kept.data() + at, line_.data(), size_t(line_.size()));
        card.kept[at + line_.size()] = '\n';
    }
    keptSize_ = card.kept.size() + card.kept.size() / 4;
    complete(card, parts);
    return true;
}

bool VCardReader::take(Card& card, Parts& parts, QByteArrayView line) {
    QByteArrayView name, params, value;
    if (!splitProperty(line, name, params, value))
        return false; // not a property: left over from a picture some programs write unfolded
    const Kind kind = kindOf(name);
    if (kind == Kind::End && sameName(value.trimmed(), "VCARD")) {
        if (parts.nested-- == 0)
            return true;
    } else if (kind == Kind::Begin && sameName(value.trimmed(), "VCARD")) {
        ++parts.nested;
    } else if (parts.nested == 0 && kind == Kind::Version) {
        version21_ = value.trimmed() == "2.1";
    } else if (parts.nested == 0 && kind != Kind::Other) {
        readProperty(card, parts, kind, params, value);
    } else if (parts.nested == 0) {
        ++card.aside;
    }
    return false;
}

void VCardReader::complete(Card& card, const Parts& parts) {
    if (card[Name].isEmpty())
        card[Name] = parts.fn;
    finish(card);
}

Card VCardReader::fieldsOf(QByteArrayView kept) {
    VCardReader reader(nullptr);
    Card card;
    Parts parts;
    for (QByteArrayView rest = kept; !rest.isEmpty();)
        reader.take(card, parts, takeLine(rest));
    reader.complete(card, parts);
    return card;
}

void VCardReader::readProperty(Card& card, Parts& parts, Kind kind, QByteArrayView paramText,
                               QByteArrayView value) {
    bool* seen = nullptr; // only the first of each counts
    switch (kind) {
    case Kind::N:
        seen = &parts.n;
        break;
    case Kind::FN:
        seen = &parts.fnSeen;
        break;
    case Kind::Org:
        seen = &parts.org;
        break;
    case Kind::Adr:
        seen = &parts.adr;
        break;
    case Kind::Uid:
        seen = &parts.uid;
        break;
    default:
        break;
    }
    if (seen && *seen) {
        ++card.aside; // more of the same: kept with the card
        return;
    }
    const Params params = parseParams(paramText);
    if (kind == Kind::Tel || kind == Kind::Email || kind == Kind::Url) {
        // Chosen by type: a later one may still take the field from an earlier one.
        const std::optional<Claim> claim = claimOf(kind, params);
        int* rank = claim ? &parts.rank[size_t(claim->slot)] : nullptr;
        if (!rank || (*rank > 0 && *rank <= claim->rank)) {
            ++card.aside;
            return;
        }
        card.aside += *rank > 0 ? 1 : 0; // the one it takes the field from
        *rank = claim->rank;
    }

    if (!params.unknownEncoding.isEmpty())
        badInput(lineNumber_, QStringLiteral("unknown encoding %1").arg(shown(params.unknownEncoding)));
    QByteArray decoded;
    if (params.encoding == Params::Encoding::QuotedPrintable)
        value = decoded = decodeQuotedPrintable(value);
    else if (params.encoding == Params::Encoding::Base64)
        value = decoded = QByteArray::fromBase64(value.toByteArray());
    std::optional<QString> text = decodeText(value, params.charset);
    if (!text)
        badInput(lineNumber_, QStringLiteral("unknown character set %1").arg(shown(params.charset)));
    if (seen)
        *seen = true;

    switch (kind) {
    case Kind::FN:
        parts.fn = unescape(std::move(*text));
        break;
    case Kind::N: {
        // family; given; additional names; ...
        const Components n(*text);
        card[Name] = composeName(n[0], joinNonEmpty({n[1], n[2]}, u" "));
        // The copy of a card changed on both sides says so in its Name too.
        for (const QStringView suffix : n[4].split(QLatin1Char(',')))
            if (suffix.trimmed() == ConflictMark) {
                card[Name] += QLatin1Char(' ') + ConflictMark;
                break;
            }
        break;
    }
    case Kind::Org:
        for (const QStringView unit : Components(*text)) // organisation; unit; ...
            card[Company] = joinNonEmpty({card[Company], unit});
        break;
    case Kind::Adr: {
        // post office box; extended address; street; city; region; postal code; country
        const Components a(*text);
        const QString street = joinNonEmpty({a[0], a[2], a[1]});
        card[Address] = joinNonEmpty({composeAddress(street, a[3], a[4], a[5]), a[6]});
        break;
    }
    case Kind::Tel: {
        QString number = unescape(std::move(*text));
        if (!params.text && number.startsWith(QLatin1String("tel:"), Qt::CaseInsensitive))
            number.remove(0, 4);
        card[params.cell ? Mobile : Phone] = std::move(number);
        break;
    }
    case Kind::Email:
        card[Email] = unescape(std::move(*text));
        break;
    case Kind::Url:
        card[WebPage] = unescape(std::move(*text));
        break;
    case Kind::Uid:
        card.uid = unescape(std::move(*text)).trimmed();
        break;
    default:
        break;
    }
}

} // namespace exchange
