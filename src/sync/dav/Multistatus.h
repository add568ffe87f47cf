#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace dav {

// One resource of a WebDAV multistatus reply, with the properties this client
// asks for. Properties the server could not give (a propstat that is not 2xx)
// are left empty.
struct DavResource {
    QString href;    // as the server wrote it, percent-encoded path or full URL
    int status = 0;  // the response's own status (sync-collection: 404 = removed); 0 when none
    QByteArray etag; // with its quotes, exactly as given: it goes back in If-Match
    QString displayName;
    bool collection = false;
    bool addressBook = false;
    bool syncCollection = false; // supported-report-set names sync-collection
    QString principal;           // current-user-principal
    QStringList homeSets;        // addressbook-home-set
    QString syncToken;           // a collection's own sync-token property
    QByteArray addressData;      // the card of an addressbook-multiget
};

struct Multistatus {
    QList<DavResource> resources;
    QString syncToken; // the token that closes a sync-collection report
};

// Reads a multistatus reply. Untrusted input: a document type declaration
// (and with it any entity trick) is refused, as is anything that is not a
// DAV:multistatus. Throws dav::Error (BadReply) with the reason.
Multistatus readMultistatus(const QByteArray& xml);

// Request bodies.
QByteArray propfindBody(const QStringList& davProps, const QStringList& cardDavProps);
QByteArray syncCollectionBody(const QString& token);
QByteArray multigetBody(const QStringList& hrefs);

} // namespace dav
