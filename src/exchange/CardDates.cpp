#include "exchange/CardDates.h"

#include "exchange/KeptCard.h"
#include "exchange/VCardProperty.h"

namespace exchange {
namespace {
using vcard::sameName;

// The number of `digits` ASCII digits at the start of `text`, or -1.
int number(QByteArrayView text, qsizetype digits) {
    if (text.size() < digits)
        return -1;
    int n = 0;
    for (qsizetype i = 0; i < digits; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return -1;
        n = n * 10 + (text[i] - '0');
    }
    return n;
}

// The year a parameter names as standing for no year at all.
int omittedYear(QByteArrayView params) {
    for (const QByteArray& param : params.toByteArray().split(';')) {
        const qsizetype eq = param.indexOf('=');
        if (eq > 0 && sameName(QByteArrayView(param).first(eq).trimmed(), "X-APPLE-OMIT-YEAR"))
            return number(QByteArrayView(param).sliced(eq + 1).trimmed(), 4);
    }
    return -1;
}

bool monthAndDay(QByteArrayView text, CardDate& date) {
    // MMDD or MM-DD, and nothing after them.
    date.month = number(text, 2);
    const qsizetype at = text.size() > 2 && text[2] == '-' ? 3 : 2;
    date.day = number(text.sliced(std::min(at, text.size())), 2);
    return text.size() == at + 2 && date.month >= 1 && date.day >= 1 &&
           QDate(2000, date.month, date.day).isValid(); // 2000 has a 29 February
}
} // namespace

std::optional<CardDate> readCardDate(QByteArrayView value, QByteArrayView params) {
    QByteArrayView text = value.trimmed();
    // A time after the date (1980-04-12T00:00:00Z) says nothing of the day.
    if (const qsizetype t = text.indexOf('T'); t >= 0)
        text = text.first(t);
    CardDate date;
    if (text.startsWith("--")) {
        if (!monthAndDay(text.sliced(2), date))
            return std::nullopt;
        return date;
    }
    date.year = number(text, 4);
    if (date.year < 0 || text.size() < 8)
        return std::nullopt;
    QByteArrayView rest = text.sliced(4);
    if (rest.startsWith('-')) {
        rest = rest.sliced(1);
        if (rest.size() != 5 || rest[2] != '-')
            return std::nullopt;
    } else if (rest.size() != 4) {
        return std::nullopt;
    }
    if (!monthAndDay(rest, date) || !QDate(date.year, date.month, date.day).isValid())
        return std::nullopt;
    if (date.year == omittedYear(params))
        date.year = 0;
    return date;
}

std::optional<CardDate> keptCardDate(QByteArrayView kept, QByteArrayView property) {
    for (QByteArrayView rest = kept; !rest.isEmpty();) {
        const QByteArrayView line = takeLine(rest);
        if (!sameName(vcard::propertyName(line), property))
            continue;
        QByteArrayView name, params, value;
        if (!vcard::splitProperty(line, name, params, value))
            continue;
        if (const std::optional<CardDate> date = readCardDate(value, params))
            return date;
    }
    return std::nullopt;
}

QDate nextOccurrence(const CardDate& date, QDate today) {
    if (!QDate(2000, date.month, date.day).isValid())
        return {};
    for (int year = today.year();; ++year) {
        QDate day(year, date.month, date.day);
        if (!day.isValid()) // 29 February of a common year
            day = QDate(year, date.month, date.day - 1);
        if (day >= today)
            return day;
    }
}

} // namespace exchange
