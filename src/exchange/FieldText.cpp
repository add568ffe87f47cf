#include "exchange/FieldText.h"

#include <QRegularExpression>
#include <QStringList>

#include <algorithm>

namespace exchange {
namespace {
const QString Comma = QStringLiteral(", ");
} // namespace

QString joinNonEmpty(std::initializer_list<QStringView> parts, QStringView separator) {
    // Sized once and filled in place: this runs for every field of every card read.
    qsizetype size = -separator.size();
    for (QStringView part : parts)
        if (!part.isEmpty())
            size += part.size() + separator.size();
    if (size <= 0)
        return QString();
    QString joined(size, Qt::Uninitialized);
    QChar* to = joined.data();
    for (QStringView part : parts) {
        if (part.isEmpty())
            continue;
        if (to != joined.constData())
            to = std::copy(separator.begin(), separator.end(), to);
        to = std::copy(part.begin(), part.end(), to);
    }
    return joined;
}

QString composeName(QStringView family, QStringView given) { return joinNonEmpty({family, given}); }

void splitName(const QString& name, QString& family, QString& given) {
    const qsizetype at = name.indexOf(Comma);
    family = name;
    given.clear();
    if (at > 0 && at + Comma.size() < name.size()) {
        family = name.left(at);
        given = name.mid(at + Comma.size());
    }
}

namespace {
constexpr QChar Apostrophe = u'\'';

// What a spreadsheet takes as the start of a formula, and the apostrophe itself.
bool opensFormula(QChar c) {
    return c == u'=' || c == u'@' || c == u'+' || c == u'-' || c == u'\t' || c == u'\r' || c == Apostrophe;
}

// "+1 212 555 0101", "-5": at most arithmetic on numbers, which runs nothing.
bool isNumber(QStringView digits) {
    return std::all_of(digits.begin(), digits.end(), [](QChar c) {
        return (c >= u'0' && c <= u'9') || c == u' ' || c == u'(' || c == u')' || c == u'-' || c == u'.' ||
               c == u'/';
    });
}
} // namespace

QString toSpreadsheetSafe(const QString& value) {
    if (value.isEmpty() || !opensFormula(value[0]))
        return value;
    if ((value[0] == u'+' || value[0] == u'-') && isNumber(QStringView(value).sliced(1)))
        return value;
    return Apostrophe + value;
}

QString fromSpreadsheetSafe(QString value) {
    if (value.size() >= 2 && value[0] == Apostrophe && opensFormula(value[1]))
        value.remove(0, 1);
    return value;
}

QString composeAddress(QStringView street, QStringView city, QStringView state, QStringView zip) {
    return joinNonEmpty({street, city, joinNonEmpty({state, zip}, u" ")});
}

AddressParts splitAddress(const QString& address) {
    // Only "Street, City, ST 12345" (or 12345-6789) is split for sure; any
    // other address, from any country, could be cut in the wrong places.
    static const QRegularExpression exact(
        QStringLiteral("^(.*[^ ,].*), ([^,]*[^ ,][^,]*), ([A-Z]{2}) ([0-9]{5}(?:-[0-9]{4})?)$"));
    const QRegularExpressionMatch m = exact.match(address);
    if (!m.hasMatch())
        return AddressParts{address, {}, {}, {}};
    return AddressParts{m.captured(1), m.captured(2), m.captured(3), m.captured(4)};
}

} // namespace exchange
