#include "sync/engine/Merge.h"

#include "exchange/KeptCard.h"
#include "exchange/VCardProperty.h"

#include <QSet>

namespace engine {
using exchange::Field;

Fields mergeFields(const Fields& base, const Fields& book, const Fields& server, QList<Conflict>& conflicts) {
    Fields merged = book;
    for (int f = 0; f < exchange::FieldCount; ++f) {
        const auto i = size_t(f);
        if (book[i] == base[i])
            merged[i] = server[i];
        else if (server[i] != base[i] && server[i] != book[i])
            conflicts << Conflict{Field(f), server[i]};
    }
    return merged;
}

namespace {
QString digits(const QString& number) {
    QString only;
    for (const QChar c : number)
        if (c.isDigit())
            only += c;
    return only;
}

// "+1 212-555-0101" and "(212) 555 0101" are one number; so are the last
// nine digits of a number written with and without its country code.
bool sameNumber(const QString& a, const QString& b) {
    const QString x = digits(a), y = digits(b);
    if (x.size() < 3 || y.size() < 3)
        return false;
    constexpr qsizetype Tail = 9;
    return x.size() >= Tail && y.size() >= Tail ? x.right(Tail) == y.right(Tail) : x == y;
}

bool isNumber(Field field) { return field == exchange::Phone || field == exchange::Mobile; }

bool sameText(const QString& a, const QString& b) {
    return a.trimmed().compare(b.trimmed(), Qt::CaseInsensitive) == 0;
}
} // namespace

Fields commonGround(const Fields& book, const Fields& server) {
    Fields base;
    for (int f = 0; f < exchange::FieldCount; ++f) {
        const auto i = size_t(f);
        if (sameText(book[i], server[i]) || (isNumber(Field(f)) && sameNumber(book[i], server[i])))
            base[i] = book[i];
    }
    return base;
}

bool samePerson(const Fields& book, const Fields& server) {
    if (book[exchange::Name].trimmed().compare(server[exchange::Name].trimmed(), Qt::CaseInsensitive) != 0)
        return false;
    const QString& mail = book[exchange::Email];
    if (!mail.isEmpty() &&
        mail.trimmed().compare(server[exchange::Email].trimmed(), Qt::CaseInsensitive) == 0)
        return true;
    for (const Field mine : {exchange::Phone, exchange::Mobile})
        for (const Field theirs : {exchange::Phone, exchange::Mobile})
            if (sameNumber(book[size_t(mine)], server[size_t(theirs)]))
                return true;
    return false;
}

QByteArray joinKept(const QByteArray& server, const QByteArray& book) {
    using namespace exchange::vcard;
    auto versionOf = [](QByteArrayView kept) {
        for (QByteArrayView rest = kept; !rest.isEmpty();)
            if (const QByteArrayView line = exchange::takeLine(rest);
                kindOf(propertyName(line)) == Kind::Version)
                return line.toByteArray().trimmed();
        return QByteArray();
    };
    if (book.isEmpty() || versionOf(server) != versionOf(book))
        return server;
    QSet<QByteArray> there;
    for (QByteArrayView rest = server; !rest.isEmpty();)
        there.insert(propertyName(exchange::takeLine(rest)).toByteArray().toUpper());
    QByteArray joined = server;
    for (QByteArrayView rest = book; !rest.isEmpty();) {
        const QByteArrayView line = exchange::takeLine(rest);
        const QByteArrayView name = propertyName(line);
        // The fields' own properties come from the merge; a property both have is the server's.
        if (kindOf(name) != Kind::Other || there.contains(name.toByteArray().toUpper()))
            continue;
        if (!joined.isEmpty() && !joined.endsWith('\n'))
            joined += '\n';
        joined += line.toByteArray() + '\n';
    }
    return joined;
}

} // namespace engine
