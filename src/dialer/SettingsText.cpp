#include "dialer/SettingsText.h"

#include "platform/core/Error.h"

#include <limits>

namespace dialer {

using platform::Error;
namespace err = platform::err;

NumberText toInt16(QStringView text, qint16& value) {
    qsizetype i = 0;
    const bool negative = !text.isEmpty() && text[0] == QLatin1Char('-');
    if (!text.isEmpty() && (text[0] == QLatin1Char('-') || text[0] == QLatin1Char('+')))
        ++i;
    if (i == text.size())
        return NumberText::NotANumber;
    // Accumulate as a negative magnitude so that -32768 fits; stop counting
    // once out of range, but keep checking that the rest are digits.
    qint32 magnitude = 0;
    bool outOfRange = false;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return NumberText::NotANumber;
        if (!outOfRange) {
            magnitude = magnitude * 10 + (c.unicode() - '0');
            outOfRange = magnitude > 32768;
        }
    }
    if (outOfRange || (!negative && magnitude > std::numeric_limits<qint16>::max()))
        return NumberText::OutOfRange;
    value = static_cast<qint16>(negative ? -magnitude : magnitude);
    return NumberText::Valid;
}

namespace {
bool isSkipped(char c) { return c == ' ' || c == '\r' || c == '\n'; }
bool endsNumber(char c) { return c == ' ' || c == ',' || c == '\r' || c == '\n'; }
} // namespace

QList<qint16> readNumbers(const QByteArray& content, int count, const QString& fileName) {
    QList<qint16> numbers;
    qsizetype at = 0;
    const qsizetype size = content.size();
    while (numbers.size() < count) {
        while (at < size && isSkipped(content[at]))
            ++at;
        if (at == size)
            throw Error(err::BadFileFormat,
                        QStringLiteral("%1 ends before its %2 numbers.").arg(fileName).arg(count));
        const qsizetype start = at;
        while (at < size && !endsNumber(content[at]))
            ++at;
        const QString text = QString::fromLatin1(content.mid(start, at - start));
        qint16 value = 0;
        switch (toInt16(text, value)) {
        case NumberText::Valid:
            break;
        case NumberText::NotANumber:
            throw Error(err::TypeMismatch,
                        QStringLiteral("%1 holds \"%2\", which is no number.").arg(fileName, text));
        case NumberText::OutOfRange:
            throw Error(err::Overflow,
                        QStringLiteral("%1 holds %2, outside -32768 to 32767.").arg(fileName, text));
        }
        numbers.append(value);
        // The separator: blanks, then at most one comma.
        while (at < size && content[at] == ' ')
            ++at;
        if (at < size && content[at] == ',')
            ++at;
    }
    return numbers;
}

QByteArray printLine(const QList<qint16>& numbers) {
    QByteArray line;
    for (qint16 n : numbers) {
        line += n < 0 ? '-' : ' ';
        // Widen first: the magnitude of -32768 does not fit 16 bits.
        line += QByteArray::number(qAbs(qint32(n)));
        line += ' ';
    }
    return line + "\r\n";
}

} // namespace dialer
