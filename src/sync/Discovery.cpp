// Finding a user's address books: the collection itself, or principal, home and listing.
#include "sync/Client.h"

#include "sync/SyncError.h"

namespace carddav {
namespace {
const QStringList CollectionProps = {QStringLiteral("resourcetype"), QStringLiteral("displayname"),
                                     QStringLiteral("sync-token"), QStringLiteral("supported-report-set")};

QString lastSegment(const QUrl& url) {
    const QStringList parts = url.path().split(QLatin1Char('/'), Qt::SkipEmptyParts);
    return parts.isEmpty() ? url.toDisplayString() : QUrl::fromPercentEncoding(parts.last().toUtf8());
}

// Whether a reply is worth trying /.well-known/carddav after: the address
// led to no DAV resource at all.
bool noDavHere(int number) {
    return number == err::NotFound || number == err::NotCardDav || number == err::Refused;
}
} // namespace

void Client::discover(const QUrl& url, std::function<void(QList<AddressBook>)> found) {
    std::optional<platform::Error> before;
    if (url.path().startsWith(QLatin1String("/.well-known/")))
        before = platform::Error(err::NotFound,
                                 QStringLiteral("%1 has no CardDAV service at %2; check the address")
                                     .arg(serverName(url), url.path()));
    findAt(url, before, std::move(found));
}

void Client::findAt(const QUrl& url, std::optional<platform::Error> before,
                    std::function<void(QList<AddressBook>)> found) {
    // On a first answer that means "no DAV here", the server's well-known
    // address is asked once; when that leads nowhere either, the first answer
    // is the one worth telling.
    const bool wellKnownTried = before.has_value();
    Failed first = [this, url, found, before](const platform::Error& e) {
        if (!noDavHere(e.number()))
            failed_(e);
        else if (before)
            failed_(*before);
        else
            findAt(url.resolved(QUrl(QStringLiteral("/.well-known/carddav"))), e, found);
    };
    QStringList props = CollectionProps;
    props << QStringLiteral("current-user-principal");
    davRequest(
        "PROPFIND", url, 0, propfindBody(props, {QStringLiteral("addressbook-home-set")}),
        [this, first, found, wellKnownTried](const Multistatus& ms, const QUrl& at) {
            const DavResource here = ms.resources.value(0);
            if (here.addressBook)
                found({AddressBook{at, here.displayName.isEmpty() ? lastSegment(at) : here.displayName,
                                   here.syncCollection || !here.syncToken.isEmpty()}});
            else if (!here.homeSets.isEmpty())
                listHome(at.resolved(QUrl(here.homeSets.first())), found);
            else if (!here.principal.isEmpty())
                fromPrincipal(at.resolved(QUrl(here.principal)), found);
            else if (here.collection && wellKnownTried)
                listHome(at, found);
            else
                first(platform::Error(
                    err::NotCardDav,
                    QStringLiteral("%1 answered, but shows no address book, user or address-book "
                                   "home at %2; check the address")
                        .arg(serverName(at), at.path())));
        },
        first);
}

void Client::fromPrincipal(const QUrl& principal, std::function<void(QList<AddressBook>)> found) {
    davRequest("PROPFIND", principal, 0, propfindBody({}, {QStringLiteral("addressbook-home-set")}),
               [this, found](const Multistatus& ms, const QUrl& url) {
                   const DavResource me = ms.resources.value(0);
                   if (me.homeSets.isEmpty()) {
                       failed_(platform::Error(err::NotCardDav,
                                               QStringLiteral("%1 keeps no address books for user \"%2\" (no "
                                                              "address-book home); is it a CardDAV server?")
                                                   .arg(serverName(url), transport_.connection().user)));
                       return;
                   }
                   listHome(url.resolved(QUrl(me.homeSets.first())), found);
               });
}

void Client::listHome(const QUrl& home, std::function<void(QList<AddressBook>)> found) {
    davRequest(
        "PROPFIND", home, 1, propfindBody(CollectionProps, {}),
        [this, found](const Multistatus& ms, const QUrl& url) {
            QList<AddressBook> books;
            for (const DavResource& r : ms.resources) {
                if (!r.addressBook)
                    continue;
                const QUrl at = url.resolved(QUrl(r.href));
                books << AddressBook{at, r.displayName.isEmpty() ? lastSegment(at) : r.displayName,
                                     r.syncCollection || !r.syncToken.isEmpty()};
            }
            if (books.isEmpty()) {
                failed_(platform::Error(err::NotFound,
                                        QStringLiteral("%1 has no address book for user \"%2\" under %3; "
                                                       "make one on the server first")
                                            .arg(serverName(url), transport_.connection().user, url.path())));
                return;
            }
            found(books);
        });
}

} // namespace carddav
