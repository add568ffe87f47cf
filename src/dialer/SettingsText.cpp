#include "dialer/SettingsText.h"

#include "platform/core/Error.h"

#include <algorithm>
#include <limits>

namespace dialer {

using platform::Error;
namespace err = platform::err;

NumberText toInt16(QStringView text, qint16& value) {
    text = text.trimmed();
    const bool negative = text.startsWith(u'-');
    if (negative || text.startsWith(u'+'))
        text = text.mid(1);
    const qsizetype point = text.indexOf(u'.');
    const QStringView whole = point < 0 ? text : text.left(point);
    const QStringView fraction = point < 0 ? QStringView() : text.mid(point + 1);
    auto digitsOnly = [](QStringView s) {
        return std::all_of(s.begin(), s.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    };
    if ((whole.isEmpty() && fraction.isEmpty()) || !digitsOnly(whole) || !digitsOnly(fraction))
        return NumberText::NotANumber;

    // Past 32768 the magnitude is out of range whatever the fraction, so stop
    // growing it there; leading zeros cost nothing.
    qint32 magnitude = 0;
    for (QChar c : whole)
        magnitude = std::min<qint32>(magnitude * 10 + (c.unicode() - u'0'), 40000);
    // Half to even: above a half rounds up, a half exactly only from an odd number.
    if (!fraction.isEmpty()) {
        const QChar first = fraction[0];
        const bool moreThanHalf =
            first > u'5' || (first == u'5' && std::any_of(fraction.begin() + 1, fraction.end(),
                                                          [](QChar c) { return c != u'0'; }));
        const bool half = first == u'5' && !moreThanHalf;
        if (moreThanHalf || (half && magnitude % 2 == 1))
            ++magnitude;
    }
    const qint32 signedValue = negative ? -magnitude : magnitude;
    if (signedValue < std::numeric_limits<qint16>::min() || signedValue > std::numeric_limits<qint16>::max())
        return NumberText::OutOfRange;
    value = static_cast<qint16>(signedValue);
    return NumberText::Valid;
}

namespace {
// A message quotes at most a few characters of what it found, printable.
QString excerpt(const QByteArray& bytes) {
    constexpr qsizetype Shown = 20;
    QString text = QString::fromLatin1(bytes.left(Shown));
    for (QChar& c : text)
        if (!c.isPrint())
            c = u'?';
    return bytes.size() > Shown ? text + QStringLiteral("...") : text;
}

bool isSkipped(char c) { return c == ' ' || c == '\r' || c == '\n'; }
bool endsNumber(char c) { return c == ' ' || c == ',' || c == '\r' || c == '\n'; }
} // namespace

QList<qint16> readNumbers(const QByteArray& content, int count, const QString& fileName) {
    if (content.size() > SettingsFileLimit)
        throw Error(err::BadFileFormat,
                    QStringLiteral("%1 is not a settings file: it is larger than %2 bytes, "
                                   "and a settings file is one short line. Choose the "
                                   "settings again and click OK to replace it.")
                        .arg(fileName)
                        .arg(SettingsFileLimit));
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
        const QByteArray text = content.mid(start, at - start);
        qint16 value = 0;
        switch (toInt16(QString::fromLatin1(text), value)) {
        case NumberText::Valid:
            break;
        case NumberText::NotANumber:
            throw Error(err::TypeMismatch,
                        QStringLiteral("%1 holds \"%2\", which is no number.").arg(fileName, excerpt(text)));
        case NumberText::OutOfRange:
            throw Error(err::Overflow,
                        QStringLiteral("%1 holds %2, outside -32768 to 32767.").arg(fileName, excerpt(text)));
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
