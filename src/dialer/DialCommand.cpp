#include "dialer/DialCommand.h"

#include "dialer/SettingsText.h"
#include "links/StoredNumber.h"

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

Dial composed(DialKind kind, const LinkNumber& read, const DialerSettingsValues& settings) {
    QString number = read.number;
    QString longDist = read.longDistance ? prefix(settings.LongDist) : QString();
    if (kind == DialKind::Mobile && read.longDistance && isLocal(number, settings.AreaCode)) {
        number = localPart(number);
        longDist.clear();
    }
    // Two pauses of about two seconds each: long enough for a switchboard to answer.
    if (!number.isEmpty() && !read.extension.isEmpty())
        number += QStringLiteral(",,") + read.extension;
    return {number, command(prefix(settings.OutLine), longDist, number)};
}
} // namespace

Dial composeDial(DialKind kind, const QString& text, const DialerSettingsValues& settings) {
    return composed(kind, {withoutControlCharacters(text), true, {}}, settings);
}

Dial composeDial(DialKind kind, const LinkNumber& number, const DialerSettingsValues& settings) {
    Dial d = composed(kind, number, settings);
    if (d.number.isEmpty())
        return {};
    for (QChar c : QStringView(d.command).mid(4).chopped(1))
        if (!links::isDialCharacter(c))
            links::refuseSign(number.number + number.extension, c);
    return d;
}

Dial composeDial(const LinkNumber& link, const DialerSettingsValues& settings) {
    return composeDial(DialKind::Phone, link, settings);
}

Dial dialOfNumber(DialKind kind, const QString& text, const DialerSettingsValues& settings,
                  const QString& homeRegion) {
    return composeDial(kind, links::readStoredNumber(text, homeRegion).number, settings);
}

} // namespace dialer
