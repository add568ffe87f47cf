#include "links/MatchKey.h"

#include "links/StoredNumber.h"
#include "platform/core/Error.h"

#include <phonenumbers/phonenumberutil.h>

namespace links {
namespace {
using i18n::phonenumbers::PhoneNumber;
using i18n::phonenumbers::PhoneNumberUtil;
} // namespace

QString matchKey(const QString& text, const QString& homeRegion) {
    if (text.trimmed().isEmpty())
        return {};
    LinkDial read;
    try {
        // A number written as a link (tel:+1-212-555-0161) is read as links are.
        read = text.trimmed().startsWith(QLatin1String("tel:"), Qt::CaseInsensitive)
                   ? readLink(text.trimmed(), homeRegion)
                   : readStoredNumber(text, homeRegion);
    } catch (const platform::Error&) {
        return {};
    }
    QString key = !read.e164.isEmpty()         ? read.e164
                  : !read.digitForms.isEmpty() ? read.digitForms.first()
                                               : QString();
    if (key.isEmpty())
        return {};
    if (!read.number.extension.isEmpty())
        key += QLatin1Char('x') + read.number.extension;
    return key;
}

QString lineKey(const QString& text, const QString& homeRegion) {
    const QString key = matchKey(text, homeRegion);
    return key.left(key.indexOf(QLatin1Char('x')));
}

QString shownKey(const QString& key) {
    const qsizetype x = key.indexOf(QLatin1Char('x'));
    const QString number = x < 0 ? key : key.left(x);
    const QString extension = x < 0 ? QString() : QStringLiteral(" x") + key.mid(x + 1);
    if (!number.startsWith(QLatin1Char('+')))
        return number + extension;
    const PhoneNumberUtil& util = *PhoneNumberUtil::GetInstance();
    PhoneNumber parsed;
    if (util.Parse(number.toStdString(), "ZZ", &parsed) != PhoneNumberUtil::NO_PARSING_ERROR)
        return number + extension;
    std::string shown;
    util.Format(parsed, PhoneNumberUtil::INTERNATIONAL, &shown);
    return QString::fromStdString(shown) + extension;
}

} // namespace links
