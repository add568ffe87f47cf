#include "links/DialLink.h"

#include "links/TelLink.h"

#include <QLocale>

#include <phonenumbers/phonenumberutil.h>

namespace links {
namespace {
using i18n::phonenumbers::PhoneNumber;
using i18n::phonenumbers::PhoneNumberUtil;

const PhoneNumberUtil& numbering() { return *PhoneNumberUtil::GetInstance(); }

QString text(const std::string& s) { return QString::fromStdString(s); }

bool isDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

QString digitsOf(const QString& s) {
    QString digits;
    for (QChar c : s)
        if (isDigit(c))
            digits += c;
    return digits;
}

// "(212) 555-0101" as the modem gets it: 212-555-0101. Every run of
// separators between two groups becomes one hyphen.
QString hyphenated(const QString& national) {
    QString out;
    bool gap = false;
    for (QChar c : national) {
        if (!isDigit(c)) {
            gap = !out.isEmpty();
            continue;
        }
        if (gap)
            out += QLatin1Char('-');
        out += c;
        gap = false;
    }
    return out;
}

// The number as dialed from `home` into another country: the access code,
// the country code and the number. A '~' (wait for the second dial tone of
// some access codes) becomes a pause.
QString fromAbroad(const QString& link, const PhoneNumber& number, const std::string& home) {
    std::string formatted;
    numbering().FormatOutOfCountryCallingNumber(number, home, &formatted);
    const QString out = text(formatted);
    if (out.startsWith(QLatin1Char('+')))
        refuse(link,
               QStringLiteral("no international access code is known for your country (%1)").arg(text(home)));
    QString dialed;
    for (QChar c : out)
        if (isDigit(c))
            dialed += c;
        else if (c == QLatin1Char('~'))
            dialed += QLatin1Char(',');
    return dialed;
}

PhoneNumber parsed(const QString& link, const QString& digits, const std::string& region) {
    PhoneNumber number;
    switch (numbering().Parse(digits.toStdString(), region, &number)) {
    case PhoneNumberUtil::NO_PARSING_ERROR:
        break;
    case PhoneNumberUtil::INVALID_COUNTRY_CODE_ERROR:
        refuse(link, QStringLiteral("its country code is not known"));
    case PhoneNumberUtil::TOO_LONG_NSN:
        refuse(link, QStringLiteral("its number is too long"));
    default:
        refuse(link, QStringLiteral("its number is too short"));
    }
    switch (numbering().IsPossibleNumberWithReason(number)) {
    case PhoneNumberUtil::IS_POSSIBLE:
    case PhoneNumberUtil::IS_POSSIBLE_LOCAL_ONLY:
        return number;
    case PhoneNumberUtil::INVALID_COUNTRY_CODE:
        refuse(link, QStringLiteral("its country code is not known"));
    case PhoneNumberUtil::TOO_LONG:
        refuse(link, QStringLiteral("its number is too long"));
    case PhoneNumberUtil::TOO_SHORT:
        refuse(link, QStringLiteral("its number is too short"));
    default:
        refuse(link, QStringLiteral("its number has no length a phone number has"));
    }
}
} // namespace

QString homeRegion() {
    const QLocale::Territory territory = QLocale::system().territory();
    const QString code = territory == QLocale::AnyTerritory ? QString() : QLocale::territoryToCode(territory);
    if (code.size() == 2 && numbering().GetCountryCodeForRegion(code.toStdString()) != 0)
        return code;
    return QStringLiteral("US");
}

LinkDial readLink(const QString& link, const QString& homeRegion) {
    const TelLink tel = readTelLink(link);
    LinkDial dial;
    dial.number.extension = tel.extension;
    if (tel.digits.contains(QLatin1Char('*')) || tel.digits.contains(QLatin1Char('#'))) {
        // A service code (*67, #31#) belongs to the line the modem is on: it
        // is dialed as written, after the outside line only.
        dial.number.number = tel.digits;
        dial.number.longDistance = false;
        return dial;
    }
    if (!tel.global && !tel.context.isEmpty() && !tel.context.startsWith(QLatin1Char('+')))
        refuse(link, QStringLiteral("its number belongs to %1 and cannot be dialed from a phone line")
                         .arg(tel.context));

    const std::string home =
        numbering().GetCountryCodeForRegion(homeRegion.toStdString()) != 0 ? homeRegion.toStdString() : "US";
    // A local number in a numbered context is that context's number; one
    // without a context is taken as a number of the user's own country.
    const PhoneNumber number = tel.global ? parsed(link, QLatin1Char('+') + tel.digits, "ZZ")
                               : tel.context.startsWith(QLatin1Char('+'))
                                   ? parsed(link, tel.context + tel.digits, "ZZ")
                                   : parsed(link, tel.digits, home);

    std::string national;
    numbering().Format(number, PhoneNumberUtil::NATIONAL, &national);
    std::string significant;
    numbering().GetNationalSignificantNumber(number, &significant);
    const QString countryCode = QString::number(number.country_code());
    if (number.country_code() == numbering().GetCountryCodeForRegion(home)) {
        dial.number.number = hyphenated(text(national));
    } else {
        dial.number.number = fromAbroad(link, number, home);
        dial.number.longDistance = false;
    }
    for (const QString& form : {text(significant), countryCode + text(significant), digitsOf(text(national)),
                                digitsOf(dial.number.number)})
        if (!form.isEmpty() && !dial.digitForms.contains(form))
            dial.digitForms += form;
    return dial;
}

} // namespace links
