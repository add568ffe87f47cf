#include "sync/dav/Multistatus.h"

#include "sync/dav/Error.h"

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace dav {
namespace {
const QString Dav = QStringLiteral("DAV:");
const QString CardDav = QStringLiteral("urn:ietf:params:xml:ns:carddav");

[[noreturn]] void notCardDav(const QString& why) {
    Error e(Problem::BadReply);
    e.detail = why;
    throw e;
}

bool is(const QXmlStreamReader& xml, const QString& ns, QStringView name) {
    return xml.namespaceUri() == ns && xml.name() == name;
}

// "HTTP/1.1 404 Not Found" -> 404; anything unreadable -> 0.
int statusCode(const QString& line) {
    const QStringList words = line.simplified().split(QLatin1Char(' '));
    return words.size() >= 2 ? words[1].toInt() : 0;
}

// The next token; a DTD is where entity tricks live, and no DAV server needs one.
QXmlStreamReader::TokenType advance(QXmlStreamReader& xml) {
    const auto token = xml.readNext();
    if (token == QXmlStreamReader::DTD)
        notCardDav(QStringLiteral("the reply declares a document type, which a CardDAV server never sends"));
    if (token == QXmlStreamReader::EntityReference)
        notCardDav(QStringLiteral("the reply uses an undeclared entity"));
    if (xml.hasError())
        notCardDav(QStringLiteral("the reply is not well-formed XML (%1 at line %2)")
                       .arg(xml.errorString())
                       .arg(xml.lineNumber()));
    return token;
}

// The text of the current element, including text of children (address-data
// is text; a href inside a property is read through hrefs()).
QString text(QXmlStreamReader& xml) {
    QString value;
    for (int depth = 1; depth > 0;) {
        switch (advance(xml)) {
        case QXmlStreamReader::StartElement:
            ++depth;
            break;
        case QXmlStreamReader::EndElement:
            --depth;
            break;
        case QXmlStreamReader::Characters:
            value += xml.text();
            break;
        case QXmlStreamReader::EndDocument:
            notCardDav(QStringLiteral("the reply ends inside an element"));
        default:
            break;
        }
    }
    return value;
}

// DAV:href children of the current element.
QStringList hrefs(QXmlStreamReader& xml) {
    QStringList all;
    for (int depth = 1; depth > 0;) {
        const auto token = advance(xml);
        if (token == QXmlStreamReader::StartElement && is(xml, Dav, u"href")) {
            all << text(xml).trimmed();
        } else if (token == QXmlStreamReader::StartElement) {
            ++depth;
        } else if (token == QXmlStreamReader::EndElement) {
            --depth;
        } else if (token == QXmlStreamReader::EndDocument) {
            notCardDav(QStringLiteral("the reply ends inside an element"));
        }
    }
    return all;
}

// Names of the child elements of the current element (resourcetype, supported-report-set).
void childNames(QXmlStreamReader& xml, DavResource& r) {
    for (int depth = 1; depth > 0;) {
        const auto token = advance(xml);
        if (token == QXmlStreamReader::StartElement) {
            ++depth;
            if (is(xml, Dav, u"collection"))
                r.collection = true;
            else if (is(xml, CardDav, u"addressbook"))
                r.addressBook = true;
            else if (is(xml, Dav, u"sync-collection"))
                r.syncCollection = true;
        } else if (token == QXmlStreamReader::EndElement) {
            --depth;
        } else if (token == QXmlStreamReader::EndDocument) {
            notCardDav(QStringLiteral("the reply ends inside an element"));
        }
    }
}

void readProp(QXmlStreamReader& xml, DavResource& r) {
    while (advance(xml) != QXmlStreamReader::EndElement) {
        if (!xml.isStartElement())
            continue;
        if (is(xml, Dav, u"getetag"))
            r.etag = text(xml).trimmed().toUtf8();
        else if (is(xml, Dav, u"displayname"))
            r.displayName = text(xml).trimmed();
        else if (is(xml, Dav, u"resourcetype") || is(xml, Dav, u"supported-report-set"))
            childNames(xml, r);
        else if (is(xml, Dav, u"current-user-principal"))
            r.principal = hrefs(xml).value(0);
        else if (is(xml, CardDav, u"addressbook-home-set"))
            r.homeSets = hrefs(xml);
        else if (is(xml, Dav, u"sync-token"))
            r.syncToken = text(xml).trimmed();
        else if (is(xml, CardDav, u"address-data"))
            r.addressData = text(xml).toUtf8();
        else
            xml.skipCurrentElement();
    }
}

void readPropstat(QXmlStreamReader& xml, DavResource& r) {
    DavResource found;
    int status = 0;
    while (advance(xml) != QXmlStreamReader::EndElement) {
        if (!xml.isStartElement())
            continue;
        if (is(xml, Dav, u"prop"))
            readProp(xml, found);
        else if (is(xml, Dav, u"status"))
            status = statusCode(text(xml));
        else
            xml.skipCurrentElement();
    }
    if (status < 200 || status > 299)
        return;
    // Fold what this propstat gave into the resource: several 2xx propstats may split the props.
    if (!found.etag.isEmpty())
        r.etag = found.etag;
    if (!found.displayName.isEmpty())
        r.displayName = found.displayName;
    r.collection |= found.collection;
    r.addressBook |= found.addressBook;
    r.syncCollection |= found.syncCollection;
    if (!found.principal.isEmpty())
        r.principal = found.principal;
    if (!found.homeSets.isEmpty())
        r.homeSets = found.homeSets;
    if (!found.syncToken.isEmpty())
        r.syncToken = found.syncToken;
    if (!found.addressData.isEmpty())
        r.addressData = found.addressData;
}

DavResource readResponse(QXmlStreamReader& xml) {
    DavResource r;
    while (advance(xml) != QXmlStreamReader::EndElement) {
        if (!xml.isStartElement())
            continue;
        if (is(xml, Dav, u"href") && r.href.isEmpty())
            r.href = text(xml).trimmed();
        else if (is(xml, Dav, u"status"))
            r.status = statusCode(text(xml));
        else if (is(xml, Dav, u"propstat"))
            readPropstat(xml, r);
        else
            xml.skipCurrentElement();
    }
    if (r.href.isEmpty())
        notCardDav(QStringLiteral("a response of the reply names no resource (no href)"));
    return r;
}

// Moves to the root element, refusing what comes before it that a DAV server never sends.
void toRoot(QXmlStreamReader& xml) {
    while (advance(xml) != QXmlStreamReader::StartElement)
        if (xml.atEnd())
            notCardDav(QStringLiteral("the reply is empty"));
}
} // namespace

Multistatus readMultistatus(const QByteArray& bytes) {
    QXmlStreamReader xml(bytes);
    toRoot(xml);
    if (!is(xml, Dav, u"multistatus"))
        notCardDav(QStringLiteral("the reply is <%1>, not a WebDAV multistatus").arg(xml.name()));
    Multistatus ms;
    while (advance(xml) != QXmlStreamReader::EndElement) {
        if (!xml.isStartElement())
            continue;
        if (is(xml, Dav, u"response"))
            ms.resources << readResponse(xml);
        else if (is(xml, Dav, u"sync-token"))
            ms.syncToken = text(xml).trimmed();
        else
            xml.skipCurrentElement();
    }
    // Nothing may follow the root but comments and blanks; reading to the end also checks well-formedness.
    while (!xml.atEnd())
        if (advance(xml) == QXmlStreamReader::StartElement)
            notCardDav(QStringLiteral("the reply has more than one root element"));
    return ms;
}

namespace {
// A writer that opens <D:ROOT xmlns:D="DAV:" xmlns:C="carddav"> and closes it at the end.
class Body {
public:
    Body(const QString& ns, const QString& root) : xml_(&bytes_) {
        xml_.writeStartDocument();
        xml_.writeNamespace(Dav, QStringLiteral("D"));
        xml_.writeNamespace(CardDav, QStringLiteral("C"));
        xml_.writeStartElement(ns, root);
    }
    QXmlStreamWriter& xml() { return xml_; }
    void props(const QStringList& dav, const QStringList& cardDav) {
        xml_.writeStartElement(Dav, QStringLiteral("prop"));
        for (const QString& p : dav)
            xml_.writeEmptyElement(Dav, p);
        for (const QString& p : cardDav)
            xml_.writeEmptyElement(CardDav, p);
        xml_.writeEndElement();
    }
    QByteArray done() {
        xml_.writeEndDocument();
        return bytes_;
    }

private:
    QByteArray bytes_;
    QXmlStreamWriter xml_;
};
} // namespace

QByteArray propfindBody(const QStringList& davProps, const QStringList& cardDavProps) {
    Body body(Dav, QStringLiteral("propfind"));
    body.props(davProps, cardDavProps);
    return body.done();
}

QByteArray syncCollectionBody(const QString& token) {
    Body body(Dav, QStringLiteral("sync-collection"));
    body.xml().writeTextElement(Dav, QStringLiteral("sync-token"), token);
    body.xml().writeTextElement(Dav, QStringLiteral("sync-level"), QStringLiteral("1"));
    body.props({QStringLiteral("getetag")}, {});
    return body.done();
}

QByteArray multigetBody(const QStringList& hrefs) {
    Body body(CardDav, QStringLiteral("addressbook-multiget"));
    body.props({QStringLiteral("getetag")}, {QStringLiteral("address-data")});
    for (const QString& href : hrefs)
        body.xml().writeTextElement(Dav, QStringLiteral("href"), href);
    return body.done();
}

} // namespace dav
