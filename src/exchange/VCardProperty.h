#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>

namespace exchange::vcard {

// What a property's parameters say about its value.
struct Params {
    enum class Encoding { Plain, QuotedPrintable, Base64 };
    Encoding encoding = Encoding::Plain;
    QByteArrayView charset;
    bool cell = false;
    bool text = false; // VALUE=text: a number, not a tel: address
    QByteArrayView unknownEncoding;
};

// Splits "group.NAME;PARAM=A,B;TYPE=\"c,d\":value". Returns false when the
// line has no ':' outside quotes.
bool splitProperty(QByteArrayView line, QByteArrayView& name, QByteArrayView& params, QByteArrayView& value);
Params parseParams(QByteArrayView params);

// Components of a structured value split at unescaped ';', each unescaped.
QStringList components(const QString& value);
QString unescape(QStringView value);

bool sameName(QByteArrayView a, QByteArrayView b);

} // namespace exchange::vcard
