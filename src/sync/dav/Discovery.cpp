// Finding a user's address books: the collection itself, or principal, home and listing.
#include "sync/dav/Client.h"

namespace dav {
namespace {
const QStringList CollectionProps = {QStringLiteral("resourcetype"), QStringLiteral("displayname"),
                                     QStringLiteral("sync-token"), QStringLiteral("supported-report-set")};

QString lastSegment(const QUrl& url) {
    const QStringList parts = url.path().split(QLatin1Char('/'), Qt::SkipEmptyParts);
    return parts.isEmpty() ? url.toDisplayString() : QUrl::fromPercentEncoding(parts.last().toUtf8());
}
} // namespace

void Client::discover(const QUrl& url, const std::function<void(QList<AddressBook>)>& found) {
    std::optional<Error> before;
    if (url.path().startsWith(QLatin1String("/.well-known/")))
        before = Error(Problem::NoService, url, transport_.connection().user);
    findAt(url, before, found);
}

void Client::findAt(const QUrl& url, const std::optional<Error>& before,
                    const std::function<void(QList<AddressBook>)>& found) {
    // On a first answer that means "no DAV here", the server's well-known
    // address is asked once; when that leads nowhere either, the first answer
    // is the one worth telling.
    const bool wellKnownTried = before.has_value();
    Failed first = [this, url, found, before](const Error& e) {
        if (!noDavHere(e.problem))
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
                first(Error(Problem::NothingHere, at, transport_.connection().user));
        },
        first);
}

void Client::fromPrincipal(const QUrl& principal, const std::function<void(QList<AddressBook>)>& found) {
    davRequest("PROPFIND", principal, 0, propfindBody({}, {QStringLiteral("addressbook-home-set")}),
               [this, found](const Multistatus& ms, const QUrl& url) {
                   const DavResource me = ms.resources.value(0);
                   if (me.homeSets.isEmpty()) {
                       failed_(Error(Problem::NoHome, url, transport_.connection().user));
                       return;
                   }
                   listHome(url.resolved(QUrl(me.homeSets.first())), found);
               });
}

void Client::listHome(const QUrl& home, const std::function<void(QList<AddressBook>)>& found) {
    davRequest("PROPFIND", home, 1, propfindBody(CollectionProps, {}),
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
                       failed_(Error(Problem::NoAddressBooks, url, transport_.connection().user));
                       return;
                   }
                   found(books);
               });
}

} // namespace dav
