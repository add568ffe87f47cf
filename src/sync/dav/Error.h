#pragma once

#include <QString>
#include <QUrl>

namespace dav {

// What went wrong in an exchange with a CardDAV server, as facts: whoever
// tells the user words them.
enum class Problem {
    Unreachable,    // no connection, name unknown, connection refused; `detail`: the network's reason
    Untrusted,      // its TLS certificate is not trusted; `detail`: why, `certificate`/`issuer`: whose
    Idle,           // nothing came for `limit` seconds
    TooSlow,        // the answer was not done within `limit` seconds
    TooLarge,       // a reply over `limit` bytes
    Unauthorized,   // 401: user name or password wrong
    Forbidden,      // 403
    NotFound,       // 404, 410: nothing at `url`
    ServerFailed,   // 5xx
    Refused,        // any other status the client cannot use
    RedirectedAway, // the server sent the request on to another server, `to`
    HrefAway,       // a reply named a card on another server, `to`
    NoLocation,     // a redirect that says not where to
    RedirectLoop,   // redirects again and again
    NotDav,         // a 2xx answer that is no multistatus
    BadReply,       // a multistatus that cannot be read; `detail`: how
    NoService,      // no CardDAV service at the server's well-known address
    NothingHere,    // `url` shows no address book, user or address-book home
    NoHome,         // the user has no address-book home
    NoAddressBooks, // the home holds no address book
};

struct Error {
    explicit Error(Problem problem, QUrl url = {}, QString user = {})
        : problem(problem), url(std::move(url)), user(std::move(user)) {}

    Problem problem;
    QUrl url;                    // what was asked (for a redirect: the address that redirected)
    int status = 0;              // the HTTP status, when the server answered with one
    QString detail;              // the network's or the reader's own reason
    QUrl to;                     // where a redirect or a reply pointed
    qint64 limit = 0;            // the seconds or bytes that were passed
    QString user;                // whom the request was for
    QString certificate, issuer; // the common names of an untrusted certificate
};

// "host" or "host:port": how messages name a server.
QString serverName(const QUrl& url);

// Whether the server at an address may simply not speak DAV there (so that
// its well-known address is worth a try).
bool noDavHere(Problem problem);

} // namespace dav
