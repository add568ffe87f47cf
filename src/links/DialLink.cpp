#include "links/DialLink.h"

#include "links/Numbering.h"

#include <QLocale>

#include <phonenumbers/phonenumberutil.h>

namespace links {
namespace {
using i18n::phonenumbers::PhoneNumber;
using i18n::phonenumbers::PhoneNumberUtil;

const PhoneNumberUtil& numbering() { return *PhoneNumberUtil::GetInstance(); }

QString text(const std::string& s) { return QString::fromStdString(s); }

bool isDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

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
QString fromAbroad(const Subject& subject, const PhoneNumber& number, const std::string& home) {
    std::string formatted;
    numbering().FormatOutOfCountryCallingNumber(number, home, &formatted);
    const QString out = text(formatted);
    if (out.startsWith(QLatin1Char('+')))
        subject.refuse(
            QStringLiteral("no international access code is known for your country (%1)").arg(text(home)));
    QString dialed;
    for (QChar c : out)
        if (isDigit(c))
            dialed += c;
        else if (c == QLatin1Char('~'))
            dialed += QLatin1Char(',');
    return dialed;
}

PhoneNumber parsed(const Subject& subject, const QString& digits, const std::string& region) {
    PhoneNumber number;
    switch (numbering().Parse(digits.toStdString(), region, &number)) {
    case PhoneNumberUtil::NO_PARSING_ERROR:
        break;
    case PhoneNumberUtil::INVALID_COUNTRY_CODE_ERROR:
        subject.refuse(QStringLiteral("its country code is not known"));
    case PhoneNumberUtil::TOO_LONG_NSN:
        subject.refuse(QStringLiteral("its number is too long"));
    default:
        subject.refuse(QStringLiteral("its number is too short"));
    }
    switch (numbering().IsPossibleNumberWithReason(number)) {
    case PhoneNumberUtil::IS_POSSIBLE:
    case PhoneNumberUtil::IS_POSSIBLE_LOCAL_ONLY:
        return number;
    case PhoneNumberUtil::INVALID_COUNTRY_CODE:
        subject.refuse(QStringLiteral("its country code is not known"));
    case PhoneNumberUtil::TOO_LONG:
        subject.refuse(QStringLiteral("its number is too long"));
    case PhoneNumberUtil::TOO_SHORT:
        subject.refuse(QStringLiteral("its number is too short"));
    default:
        subject.refuse(QStringLiteral("its number has no length a phone number has"));
    }
}
} // namespace

QString homeRegion() {
    const QLocale::Territory territory = QLocale::system().territory();
    QString code = territory == QLocale::AnyTerritory ? QString() : QLocale::territoryToCode(territory);
    if (code.size() == 2 && numbering().GetCountryCodeForRegion(code.toStdString()) != 0)
        return code;
    return QStringLiteral("US");
}

QString digitsOf(QStringView text) {
    QString digits;
    for (QChar c : text)
        if (isDigit(c))
            digits += c;
    return digits;
}

std::string knownHome(const QString& homeRegion) {
    return numbering().GetCountryCodeForRegion(homeRegion.toStdString()) != 0 ? homeRegion.toStdString()
                                                                              : "US";
}

LinkDial dialOfDigits(const Subject& subject, const QString& digits, const std::string& region,
                      const std::string& home) {
    const PhoneNumber number = parsed(subject, digits, region);
    LinkDial dial;
    std::string national;
    numbering().Format(number, PhoneNumberUtil::NATIONAL, &national);
    std::string significant;
    numbering().GetNationalSignificantNumber(number, &significant);
    // A number dialable only locally (seven digits in the United States)
    // is no whole number: nothing to match it by.
    if (numbering().IsPossibleNumberWithReason(number) == PhoneNumberUtil::IS_POSSIBLE) {
        std::string e164;
        numbering().Format(number, PhoneNumberUtil::E164, &e164);
        dial.e164 = text(e164);
    }
    const QString countryCode = QString::number(number.country_code());
    if (number.country_code() == numbering().GetCountryCodeForRegion(home)) {
        dial.number.number = hyphenated(text(national));
    } else {
        dial.number.number = fromAbroad(subject, number, home);
        dial.number.longDistance = false;
    }
    for (const QString& form : {text(significant), countryCode + text(significant), digitsOf(text(national)),
                                digitsOf(dial.number.number)})
        if (!form.isEmpty() && !dial.digitForms.contains(form))
            dial.digitForms += form;
    return dial;
}

bool startsWithAccessCode(const QString& digits, const std::string& home) {
    PhoneNumber number;
    return numbering().ParseAndKeepRawInput(digits.toStdString(), home, &number) ==
               PhoneNumberUtil::NO_PARSING_ERROR &&
           number.country_code_source() == PhoneNumber::FROM_NUMBER_WITH_IDD;
}

QString keypadDigits(const QString& text) {
    std::string number = text.toStdString();
    numbering().ConvertAlphaCharactersInNumber(&number);
    return QString::fromStdString(number);
}

LinkDial readLink(const QString& link, const QString& homeRegion) {
    const Subject subject{QStringLiteral("link"), link};
    const TelLink tel = readTelLink(link);
    if (tel.digits.contains(QLatin1Char('*')) || tel.digits.contains(QLatin1Char('#'))) {
        // A service code (*67, #31#) belongs to the line the modem is on: it
        // is dialed as written, after the outside line only.
        LinkDial dial;
        dial.number = {tel.digits, false, tel.extension};
        return dial;
    }
    if (!tel.global && !tel.context.isEmpty() && !tel.context.startsWith(QLatin1Char('+')))
        refuse(link, QStringLiteral("its number belongs to %1 and cannot be dialed from a phone line")
                         .arg(tel.context));

    // A local number in a numbered context is that context's number; one
    // without a context is taken as a number of the user's own country.
    LinkDial dial = tel.global
                        ? dialOfDigits(subject, QLatin1Char('+') + tel.digits, "ZZ", knownHome(homeRegion))
                    : tel.context.startsWith(QLatin1Char('+'))
                        ? dialOfDigits(subject, tel.context + tel.digits, "ZZ", knownHome(homeRegion))
                        : dialOfDigits(subject, tel.digits, knownHome(homeRegion), knownHome(homeRegion));
    dial.number.extension = tel.extension;
    return dial;
}

} // namespace links
