#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QVarLengthArray>

namespace exchange::vcard {

// What a property's parameters say about its value.
struct Params {
    enum class Encoding { Plain, QuotedPrintable, Base64 };
    Encoding encoding = Encoding::Plain;
    QByteArrayView charset;
    bool cell = false;
    bool text = false;    // VALUE=text: a number, not a tel: address
    int pref = 0;         // PREF=1..100, or 1 for TYPE=pref; 0 when not preferred
    bool noVoice = false; // a fax, pager, textphone, modem or video number: nobody to talk to
    bool home = false, work = false;
    QByteArrayView unknownEncoding;
};

// "NAME" of a line "group.NAME;PARAM=A:value".
QByteArrayView propertyName(QByteArrayView line);
// PHOTO, LOGO, SOUND and KEY, whose values may be far longer than text.
bool isBinary(QByteArrayView name);

// Splits "group.NAME;PARAM=A,B;TYPE=\"c,d\":value". Returns false when the
// line has no ':' outside quotes.
bool splitProperty(QByteArrayView line, QByteArrayView& name, QByteArrayView& params, QByteArrayView& value);
Params parseParams(QByteArrayView params);

// One parameter: "TYPE=cell", or a bare value of 2.1 ("CELL", "QUOTED-PRINTABLE").
struct Param {
    QByteArrayView text;  // as written
    QByteArrayView key;   // trimmed; for a bare one, the value itself
    QByteArrayView value; // trimmed, quotes and all; empty for a bare one
    bool bare = false;
};

// The one reading of a property's parameters (";A=1;B=\"x;y\";CELL", as
// splitProperty gives them): split at ';' outside quotes, empty ones skipped.
class ParamReader {
public:
    explicit ParamReader(QByteArrayView params) : rest_(params) {}
    bool next(Param& param);

private:
    QByteArrayView rest_;
};

// Components of a structured value split at unescaped ';', each unescaped;
// past the last, empty. They view the value itself, which must outlive them,
// unless it holds an escape: most values do not, and need no copies.
class Components {
public:
    explicit Components(const QString& value);
    Components(const Components&) = delete; // the views would point into the original
    Components& operator=(const Components&) = delete;
    QStringView operator[](qsizetype i) const { return i < parts_.size() ? parts_[i] : QStringView(); }
    const QStringView* begin() const { return parts_.cbegin(); }
    const QStringView* end() const { return parts_.cend(); }

private:
    QStringList unescaped_;
    QVarLengthArray<QStringView, 8> parts_; // an address has seven
};
QString unescape(QStringView value);
inline QString unescape(QString value) {
    if (value.contains(QLatin1Char('\\')))
        return unescape(QStringView(value));
    return value; // moved out, where a conditional would copy it
}

// A value to write: backslash and line breaks escaped, and in text (not in
// a web address) also ',' and ';'.
QByteArray escaped(const QString& value, bool uri = false);
// A quoted parameter value: '^', '"' and line breaks as ^^, ^' and ^n (RFC 6868).
QByteArray paramValue(const QString& value);

// Names compare without regard to ASCII case.
inline bool sameName(QByteArrayView a, QByteArrayView b) {
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        const char x = a[i] >= 'a' && a[i] <= 'z' ? char(a[i] - 32) : a[i];
        const char y = b[i] >= 'a' && b[i] <= 'z' ? char(b[i] - 32) : b[i];
        if (x != y)
            return false;
    }
    return true;
}

// The properties the reader looks at.
enum class Kind { Other, Begin, End, Version, N, FN, Org, Tel, Adr, Email, Url, Uid };
Kind kindOf(QByteArrayView name);

} // namespace exchange::vcard
