#include "dialer/DialCommand.h"

#include "dialer/SettingsText.h"

namespace dialer {
namespace {
QString withoutControlCharacters(const QString& text) {
    QString clean;
    clean.reserve(text.size());
    for (QChar c : text)
        if (c.unicode() >= 32 && c.unicode() != 127)
            clean += c;
    return clean;
}

bool isLocal(const QString& number, qint16 areaCode) {
    if (areaCode == 0)
        return false;
    qint16 leading = 0;
    return toInt16(number.left(3).trimmed(), leading) == NumberText::Valid && leading == areaCode;
}

QString localPart(const QString& number) {
    qsizetype at = 3;
    while (at < number.size() && (number[at] == QLatin1Char(' ') || number[at] == QLatin1Char('-') ||
                                  number[at] == QLatin1Char('.')))
        ++at;
    return number.mid(at);
}

QString prefix(qint16 value) { return value != 0 ? QString::number(value) : QString(); }

QString command(const QString& outLine, const QString& longDist, const QString& number) {
    return QStringLiteral("ATDT") + outLine + longDist + number + QLatin1Char('\r');
}

QString onlyDialCharacters(const QString& text, QStringView allowed) {
    QString clean;
    for (QChar c : text)
        if ((c >= QLatin1Char('0') && c <= QLatin1Char('9')) || allowed.contains(c))
            clean += c;
    return clean;
}
} // namespace

Dial composeDial(DialKind kind, const QString& text, const DialerSettingsValues& settings) {
    QString number = withoutControlCharacters(text);
    const QString outLine = prefix(settings.OutLine);
    QString longDist = prefix(settings.LongDist);
    if (kind == DialKind::Mobile && isLocal(number, settings.AreaCode)) {
        number = localPart(number);
        longDist.clear();
    }
    return {number, command(outLine, longDist, number)};
}

Dial composeDial(const LinkNumber& link, const DialerSettingsValues& settings) {
    QString number = onlyDialCharacters(link.number, u"*#-,");
    if (number.isEmpty())
        return {};
    const QString extension = onlyDialCharacters(link.extension, {});
    // Two pauses of about two seconds each: long enough for a switchboard to answer.
    if (!extension.isEmpty())
        number += QStringLiteral(",,") + extension;
    return {number, command(prefix(settings.OutLine),
                            link.longDistance ? prefix(settings.LongDist) : QString(), number)};
}

} // namespace dialer
