#include "exchange/Text.h"

#include <QStringDecoder>

#include <cstring>

namespace exchange {
namespace {
bool isAscii(QByteArrayView bytes) {
    // Eight bytes at a time: nearly every value is plain ASCII.
    qsizetype i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        quint64 word;
        std::memcpy(&word, bytes.data() + i, 8);
        if (word & 0x8080808080808080ull)
            return false;
    }
    for (; i < bytes.size(); ++i)
        if (static_cast<unsigned char>(bytes[i]) >= 0x80)
            return false;
    return true;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}
} // namespace

QString decodeText(QByteArrayView bytes) {
    if (isAscii(bytes))
        return QString::fromLatin1(bytes);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    QStringDecoder legacy("windows-1252");
    return legacy.isValid() ? QString(legacy(bytes)) : QString::fromLatin1(bytes);
}

std::optional<QString> decodeText(QByteArrayView bytes, QByteArrayView charset) {
    if (charset.isEmpty() || charset.compare("UTF-8", Qt::CaseInsensitive) == 0)
        return decodeText(bytes);
    QStringDecoder decoder(charset.toByteArray().constData(), QStringDecoder::Flag::Stateless);
    if (!decoder.isValid())
        return std::nullopt;
    return QString(decoder(bytes));
}

QByteArray decodeQuotedPrintable(QByteArrayView bytes) {
    QByteArray out;
    out.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '=' && i + 2 < bytes.size() && hexDigit(bytes[i + 1]) >= 0 && hexDigit(bytes[i + 2]) >= 0) {
            out += char(hexDigit(bytes[i + 1]) * 16 + hexDigit(bytes[i + 2]));
            i += 2;
        } else {
            out += c; // a stray '=' stays as written
        }
    }
    return out;
}

} // namespace exchange
