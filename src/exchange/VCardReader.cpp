#include "exchange/VCardReader.h"

#include "exchange/FieldText.h"
#include "exchange/ReadError.h"
#include "exchange/Text.h"
#include "exchange/VCardProperty.h"

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

bool isQuotedPrintable(QByteArrayView line) {
    const qsizetype colon = line.indexOf(':');
    const QByteArrayView head = colon < 0 ? line : line.first(colon);
    const QByteArrayView qp = "QUOTED-PRINTABLE";
    for (qsizetype i = 0; i + qp.size() <= head.size(); ++i)
        if (sameName(head.sliced(i, qp.size()), qp))
            return true;
    return false;
}

void append(QByteArray& to, QByteArrayView bytes) { to.append(bytes.data(), bytes.size()); }
} // namespace

struct VCardReader::Parts {
    bool n = false, org = false, phone = false, mobile = false, adr = false, email = false, url = false;
    QString fn;
};

VCardReader::VCardReader(std::unique_ptr<LineSource> lines) : lines_(std::move(lines)) {}

bool VCardReader::readLogicalLine() {
    QByteArrayView line;
    if (!lines_->next(line))
        return false;
    lineNumber_ = lines_->lineNumber();
    line_.resize(0);
    append(line_, line);
    while (lines_->next(line)) {
        if (!line.isEmpty() && (line[0] == ' ' || line[0] == '\t'))
            append(line_, version21_ ? line : line.sliced(1)); // 2.1 keeps the blank that folded
        else if (line_.endsWith('=') && isQuotedPrintable(line_)) {
            line_.chop(1); // a soft line break
            append(line_, line);
        } else {
            lines_->giveBack(line);
            break;
        }
        if (line_.size() > MaxLineBytes)
            lineTooLong(lineNumber_);
    }
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
    int nested = 0; // 2.1 lets a card hold another (AGENT); its lines are not ours
    Parts parts;
    for (;;) {
        if (!readLogicalLine())
            badInput(
                lines_->lineNumber(),
                QStringLiteral("the file ends inside the card begun on line %1 (no END:VCARD)").arg(begun));
        if (!splitProperty(line_, name, params, value))
            continue; // not a property: left over from a picture some programs write unfolded
        if (sameName(name, "END") && sameName(value.trimmed(), "VCARD")) {
            if (nested-- == 0)
                break;
        } else if (sameName(name, "BEGIN") && sameName(value.trimmed(), "VCARD")) {
            ++nested;
        } else if (nested == 0 && sameName(name, "VERSION")) {
            version21_ = value.trimmed() == "2.1";
        } else if (nested == 0) {
            readProperty(card, parts, name, params, value);
        }
    }
    if (card[Name].isEmpty())
        card[Name] = parts.fn;
    joinLines(card);
    return true;
}

void VCardReader::readProperty(Card& card, Parts& parts, QByteArrayView name, QByteArrayView paramText,
                               QByteArrayView value) {
    bool* seen = nullptr;
    if (sameName(name, "N"))
        seen = &parts.n;
    else if (sameName(name, "ORG"))
        seen = &parts.org;
    else if (sameName(name, "ADR"))
        seen = &parts.adr;
    else if (sameName(name, "EMAIL"))
        seen = &parts.email;
    else if (sameName(name, "URL"))
        seen = &parts.url;
    else if (!sameName(name, "FN") && !sameName(name, "TEL"))
        return;
    if (seen && *seen)
        return; // only the first of each counts
    const Params params = parseParams(paramText);
    if (sameName(name, "TEL"))
        seen = params.cell ? &parts.mobile : &parts.phone;
    if (seen && *seen)
        return;

    if (!params.unknownEncoding.isEmpty())
        badInput(lineNumber_, QStringLiteral("unknown encoding %1").arg(shown(params.unknownEncoding)));
    QByteArray decoded;
    if (params.encoding == Params::Encoding::QuotedPrintable)
        value = decoded = decodeQuotedPrintable(value);
    else if (params.encoding == Params::Encoding::Base64)
        value = decoded = QByteArray::fromBase64(value.toByteArray());
    const std::optional<QString> text = decodeText(value, params.charset);
    if (!text)
        badInput(lineNumber_, QStringLiteral("unknown character set %1").arg(shown(params.charset)));
    if (seen)
        *seen = true;

    if (sameName(name, "FN")) {
        parts.fn = unescape(*text);
    } else if (sameName(name, "N")) {
        // family; given; additional names; ...
        const QStringList n = components(*text);
        card[Name] = composeName(n.value(0), joinNonEmpty({n.value(1), n.value(2)}, u" "));
    } else if (sameName(name, "ORG")) {
        for (const QString& unit : components(*text)) // organisation; unit; ...
            card[Company] = joinNonEmpty({card[Company], unit});
    } else if (sameName(name, "ADR")) {
        // post office box; extended address; street; city; region; postal code; country
        const QStringList a = components(*text);
        const QString street = joinNonEmpty({a.value(0), a.value(2), a.value(1)});
        card[Address] =
            joinNonEmpty({composeAddress(street, a.value(3), a.value(4), a.value(5)), a.value(6)});
    } else if (sameName(name, "TEL")) {
        QString number = unescape(*text);
        if (!params.text && number.startsWith(QLatin1String("tel:"), Qt::CaseInsensitive))
            number.remove(0, 4);
        card[params.cell ? Mobile : Phone] = number;
    } else if (sameName(name, "EMAIL")) {
        card[Email] = unescape(*text);
    } else if (sameName(name, "URL")) {
        card[WebPage] = unescape(*text);
    }
}

} // namespace exchange
