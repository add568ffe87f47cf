#include "links/TelLink.h"

#include "platform/core/Error.h"

#include <QByteArray>
#include <QStringList>

#include <cctype>

namespace links {
namespace {
bool isDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }
bool isAlphaNum(QChar c) { return c.unicode() < 128 && c.isLetterOrNumber(); }
bool isVisualSeparator(QChar c) { return QStringView(u"-.()").contains(c); }

QString percent(QChar c) { return QString::fromLatin1(QString(c).toUtf8().toPercentEncoding().toUpper()); }

// One part of the link with its %-escapes undone. An escape that is not two
// hex digits, or bytes that are no text, refuse the link.
QString decoded(const QString& link, QStringView part) {
    QByteArray bytes;
    const QByteArray raw = part.toUtf8();
    for (qsizetype i = 0; i < raw.size(); ++i) {
        if (raw[i] != '%') {
            bytes += raw[i];
            continue;
        }
        const QByteArray hex = raw.mid(i + 1, 2);
        bool ok = hex.size() == 2 && isxdigit(uchar(hex[0])) && isxdigit(uchar(hex[1]));
        if (!ok)
            refuse(link, QStringLiteral("it holds a %-sign that is not followed by two hex digits"));
        bytes += char(hex.toInt(nullptr, 16));
        i += 2;
    }
    QString text = QString::fromUtf8(bytes);
    if (text.contains(QChar::ReplacementCharacter))
        refuse(link, QStringLiteral("it holds bytes that are not text"));
    return text;
}

// The number of a global or local number: its digits, with the visual
// separators (and blanks, which pages write although links should not)
// dropped. Letters and every other sign refuse the link.
QString numberDigits(const QString& link, const QString& text, bool global) {
    QString digits;
    for (QChar c : text) {
        if (isDigit(c) || (!global && (c == QLatin1Char('*') || c == QLatin1Char('#'))))
            digits += c;
        else if (c.isLetter())
            refuse(link, QStringLiteral("its number holds letters, which a modem cannot dial"));
        else if (!isVisualSeparator(c) && c != QLatin1Char(' '))
            refuse(link, QStringLiteral("its number holds the sign %1, which a phone number has not")
                             .arg(c.isPrint() && !c.isSpace() ? QString(c) : percent(c)));
    }
    return digits;
}

bool isDomainName(const QString& text) {
    const QStringList labels = text.endsWith(QLatin1Char('.')) ? text.chopped(1).split(QLatin1Char('.'))
                                                               : text.split(QLatin1Char('.'));
    for (const QString& label : labels) {
        if (label.isEmpty() || label.startsWith(QLatin1Char('-')) || label.endsWith(QLatin1Char('-')))
            return false;
        for (QChar c : label)
            if (!isAlphaNum(c) && c != QLatin1Char('-'))
                return false;
    }
    return labels.last()[0].isLetter();
}

bool isParameterName(QStringView name) {
    if (name.isEmpty())
        return false;
    for (QChar c : name)
        if (!isAlphaNum(c) && c != QLatin1Char('-'))
            return false;
    return true;
}

// The rest of the link after its scheme, or a null text for another scheme.
QString subscriber(const QString& link) {
    for (const QLatin1String scheme :
         {QLatin1String("tel:"), QLatin1String("callto://"), QLatin1String("callto:")})
        if (link.startsWith(scheme, Qt::CaseInsensitive))
            return link.mid(scheme.size());
    return {};
}
} // namespace

void refuse(const QString& link, const QString& reason) {
    Subject{QStringLiteral("link"), link}.refuse(reason);
}

void Subject::refuse(const QString& reason) const {
    throw platform::Error(
        platform::err::NotADialLink,
        QStringLiteral("The %1 %2 cannot be dialed: %3.").arg(noun, shownLink(text), reason));
}

QString shownLink(const QString& link) {
    constexpr qsizetype Shown = 80;
    QString shown;
    for (QChar c : link.left(Shown)) {
        const auto category = c.category();
        const bool hidden = category == QChar::Other_Control || category == QChar::Other_Format ||
                            category == QChar::Separator_Line || category == QChar::Separator_Paragraph ||
                            c.isSurrogate();
        shown += hidden ? percent(c) : QString(c);
    }
    if (link.size() > Shown)
        shown += QStringLiteral("...");
    return shown;
}

TelLink readTelLink(const QString& link) {
    if (link.size() > MaxLinkLength)
        refuse(link, QStringLiteral("it is longer than any phone number"));
    const QString rest = subscriber(link);
    if (rest.isNull())
        refuse(link, QStringLiteral("only tel: and callto: links are phone numbers"));

    const QStringList parts = rest.split(QLatin1Char(';'));
    TelLink tel;
    const QString number = decoded(link, parts[0]);
    tel.global = number.startsWith(QLatin1Char('+'));
    tel.digits = numberDigits(link, tel.global ? number.mid(1) : number, tel.global);
    if (tel.digits.isEmpty())
        refuse(link, QStringLiteral("it holds no phone number"));

    bool hasExtension = false;
    for (qsizetype i = 1; i < parts.size(); ++i) {
        const qsizetype equals = parts[i].indexOf(QLatin1Char('='));
        const QStringView name = QStringView(parts[i]).left(equals < 0 ? parts[i].size() : equals);
        if (!isParameterName(name))
            refuse(link, QStringLiteral("its part ;%1 is not well formed").arg(shownLink(parts[i])));
        const QString value = equals < 0 ? QString() : decoded(link, QStringView(parts[i]).mid(equals + 1));
        for (QChar c : value)
            if (!c.isPrint() || c.isSpace())
                refuse(link, QStringLiteral("its part ;%1 holds blanks or control signs").arg(name));
        if (equals >= 0 && value.isEmpty())
            refuse(link, QStringLiteral("its part ;%1 has no value").arg(name));

        if (name.compare(u"ext", Qt::CaseInsensitive) == 0) {
            if (hasExtension)
                refuse(link, QStringLiteral("it names two extensions"));
            hasExtension = true;
            tel.extension = numberDigits(link, value, true);
            if (tel.extension.isEmpty())
                refuse(link, QStringLiteral("its extension holds no digits"));
        } else if (name.compare(u"phone-context", Qt::CaseInsensitive) == 0) {
            if (!tel.context.isEmpty())
                refuse(link, QStringLiteral("it names two phone contexts"));
            if (value.startsWith(QLatin1Char('+'))) {
                const QString digits = numberDigits(link, value.mid(1), true);
                if (digits.isEmpty())
                    refuse(link, QStringLiteral("its phone context holds no digits"));
                tel.context = QLatin1Char('+') + digits;
            } else if (isDomainName(value)) {
                tel.context = value;
            } else {
                refuse(link, QStringLiteral("its phone context is neither a number nor a domain name"));
            }
        }
        // An ISDN subaddress, and parameters nobody here knows, say nothing
        // that an analogue modem could dial: they are let go.
    }
    if (tel.global && !tel.context.isEmpty())
        refuse(link, QStringLiteral("a number that begins with + takes no phone context"));
    return tel;
}

} // namespace links
