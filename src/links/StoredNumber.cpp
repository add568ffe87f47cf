#include "links/StoredNumber.h"

#include "links/Numbering.h"
#include "platform/core/Error.h"

#include <QRegularExpression>

#include <algorithm>

namespace links {
namespace {
bool isDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }
bool isAsciiLetter(QChar c) { return c.unicode() < 128 && c.isLetter(); }
// Imported cards often hold no-break or thin spaces between the groups.
bool isBlank(QChar c) { return c == QLatin1Char(' ') || c.category() == QChar::Separator_Space; }
bool isWrittenForm(QStringView text) {
    return std::all_of(text.begin(), text.end(),
                       [](QChar c) { return isDigit(c) || QStringView(u"-() .").contains(c); });
}

// The number and its extension, when it ends in one.
struct Parts {
    QString number;
    QString extension;
};

Parts split(const QString& text) {
    // Lazy: the separators before the word belong to neither part. "x" or
    // "ext" right after a letter is part of a word (1-800-FOX1234).
    static const QRegularExpression ending(
        QStringLiteral(
            R"(^(.*?)[ \x{00A0}\-.,]*(;ext=|(?<![A-Za-z])(?:ext\.?|x)|#|,+)[ \x{00A0}\-:]*([0-9]+)[ \x{00A0}]*\z)"),
        QRegularExpression::CaseInsensitiveOption);
    // Past the length of any number it is looked at no further: a long run
    // of separators would make the search slow.
    if (text.size() > MaxLinkLength)
        return {text, {}};
    const QRegularExpressionMatch match = ending.match(text);
    if (!match.hasMatch())
        return {text, {}};
    const QString number = match.captured(1);
    const bool hasDigits =
        std::any_of(number.begin(), number.end(), [](QChar c) { return isDigit(c) || isAsciiLetter(c); });
    // A service code's own "#" (*21*555#12 ...) is no extension.
    const bool serviceCode = match.captured(2) == QLatin1String("#") &&
                             (number.contains(QLatin1Char('*')) || number.contains(QLatin1Char('#')));
    if (!hasDigits || serviceCode)
        return {text, {}};
    return {number, match.captured(3)};
}

QString trimmedBlanks(const QString& text) {
    qsizetype from = 0;
    qsizetype to = text.size();
    while (from < to && isBlank(text[from]))
        ++from;
    while (to > from && isBlank(text[to - 1]))
        --to;
    return text.mid(from, to - from);
}

// The number's digits, "*" and "#", its letters as the keypad has them; every
// other sign but the formatting refuses it.
QString dialedDigits(const Subject& subject, const QString& number, bool global) {
    QString digits;
    for (QChar c : keypadDigits(number)) {
        if (isDigit(c))
            digits += c;
        else if (c == QLatin1Char('*') || c == QLatin1Char('#')) {
            if (global)
                subject.refuse(
                    QStringLiteral("its sign %1 has no place in a number that begins with +").arg(c));
            digits += c;
        } else if (!isBlank(c) && !QStringView(u"-().").contains(c)) {
            refuseSign(subject.text, c);
        }
    }
    return digits;
}
} // namespace

bool isDialCharacter(QChar c) { return isDigit(c) || QStringView(u"*#,-() .").contains(c); }

void refuseSign(const QString& text, QChar sign) {
    Subject{QStringLiteral("number"), text}.refuse(
        QStringLiteral("it holds the sign %1, which is no dial character and would give the modem a command")
            .arg(shownLink(QString(sign))));
}

LinkDial readStoredNumber(const QString& text, const QString& homeRegion) {
    const Subject subject{QStringLiteral("number"), text};
    const std::string home = knownHome(homeRegion);
    const Parts parts = split(text);
    LinkDial dial;
    if (isWrittenForm(parts.number)) {
        const QString digits = digitsOf(parts.number);
        // The international access code written out makes it a number
        // abroad, when what follows is one; else it stays as written.
        if (startsWithAccessCode(digits, home)) {
            try {
                dial = dialOfDigits(subject, digits, home, home);
                dial.number.extension = parts.extension;
                return dial;
            } catch (const platform::Error&) {
                dial = {};
            }
        }
        dial.number = {parts.number, true, parts.extension};
        // Which number it is, where the plans can tell: for matching only.
        try {
            const LinkDial read = dialOfDigits(subject, digits, home, home);
            dial.digitForms = read.digitForms;
            dial.e164 = read.e164;
        } catch (const platform::Error&) {
            if (!digits.isEmpty())
                dial.digitForms = {digits};
        }
        return dial;
    }

    if (text.size() > MaxLinkLength)
        subject.refuse(QStringLiteral("it is longer than any phone number"));
    const QString number = trimmedBlanks(parts.number);
    const bool global = number.startsWith(QLatin1Char('+'));
    const QString digits = dialedDigits(subject, global ? number.mid(1) : number, global);
    if (digits.isEmpty())
        subject.refuse(QStringLiteral("it holds no phone number"));
    if (digits.contains(QLatin1Char('*')) || digits.contains(QLatin1Char('#'))) {
        // A service code belongs to the line the modem is on, as in a link.
        dial.number = {digits, false, parts.extension};
        return dial;
    }
    dial = global ? dialOfDigits(subject, QLatin1Char('+') + digits, "ZZ", home)
                  : dialOfDigits(subject, digits, home, home);
    dial.number.extension = parts.extension;
    return dial;
}

QString matchKey(const QString& text, const QString& homeRegion) {
    try {
        const LinkDial read = readStoredNumber(text, homeRegion);
        if (!read.e164.isEmpty())
            return read.e164;
        return read.digitForms.isEmpty() ? QString() : read.digitForms.first();
    } catch (const platform::Error&) {
        return {};
    }
}

} // namespace links
