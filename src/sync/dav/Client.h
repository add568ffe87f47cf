#pragma once

#include "sync/dav/Multistatus.h"
#include "sync/dav/Transport.h"

#include <QUrl>

#include <functional>
#include <optional>

namespace dav {

struct AddressBook {
    QUrl url;
    QString name; // its display name, else the last part of its path
    bool syncTokens = false;
};

// A card on the server as a listing names it.
struct CardRef {
    QString href;
    QByteArray etag; // empty when the server gave none: always fetched
};

struct Listing {
    QList<CardRef> cards; // new or changed since the token (all of them when `whole`)
    QStringList removed;  // hrefs gone since the token
    QString syncToken;    // to give next time; empty when the server offers none
    bool whole = true;    // cards is everything on the server, not a change list
};

struct FetchedCard {
    QString href;
    QByteArray etag;
    QByteArray vcard;
};

enum class Written {
    Stored,   // etag: the new one, or empty when the server did not say
    Conflict, // 412: the card on the server is not the one we based the change on
    Gone,     // 404 on a delete: already removed
};

// A CardDAV client of one account: every call returns at once and answers
// through its callback from the event loop; a failure of any call goes to
// the one failure handler, as a typed error.
class Client {
public:
    using Failed = Transport::Failed;

    Client(Connection connection, Failed failed);

    // The address books at `url`: the collection itself, or those found
    // through the principal and address-book home (and the server's
    // /.well-known/carddav when the address does not lead there).
    void discover(const QUrl& url, const std::function<void(QList<AddressBook>)>& found);
    // What changed in a collection since `token`, or everything when the
    // token is empty or the server no longer knows it.
    void list(const QUrl& collection, const QString& token, const std::function<void(Listing)>& listed);
    // The cards of `hrefs`, `batchSize` per request (fewer when a batch
    // would pass the reply cap); each batch is handed over as it arrives,
    // then `done` runs.
    void fetch(const QUrl& collection, const QStringList& hrefs,
               const std::function<void(QList<FetchedCard>)>& batch, const std::function<void()>& done,
               int batchSize = 200);
    // Stores a card: `etag` empty for a new card (stored only if none is
    // there), else only if the server's card still has that etag.
    void put(const QUrl& card, const QByteArray& vcard, const QByteArray& etag,
             const std::function<void(Written, QByteArray etag)>& written);
    void remove(const QUrl& card, const QByteArray& etag, const std::function<void(Written)>& removed);

    int requestsSent() const { return transport_.requestsSent(); }

private:
    void davRequest(const QByteArray& method, const QUrl& url, int depth, const QByteArray& body,
                    std::function<void(const Multistatus&, const QUrl&)> read, Failed failed = {});
    void findAt(const QUrl& url, const std::optional<Error>& before,
                const std::function<void(QList<AddressBook>)>& found);
    void fromPrincipal(const QUrl& principal, const std::function<void(QList<AddressBook>)>& found);
    void listHome(const QUrl& home, const std::function<void(QList<AddressBook>)>& found);
    void syncReport(const QUrl& collection, const QString& token, Listing sofar, int round,
                    const std::function<void(Listing)>& listed);
    void listByEtags(const QUrl& collection, const std::function<void(Listing)>& listed);
    void fetchFrom(const QUrl& collection, const QStringList& hrefs, qsizetype from, int batchSize,
                   const std::function<void(QList<FetchedCard>)>& batch, const std::function<void()>& done);
    Error statusError(const Response& response) const;
    // Reads a 207 reply; a reply that is not a multistatus goes to `failed`.
    bool readReply(const Response& response, Multistatus& ms, const Failed& failed) const;

    Transport transport_;
    Failed failed_;
};

} // namespace dav
