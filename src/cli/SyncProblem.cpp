#include "cli/SyncProblem.h"

namespace cli {
using dav::Problem;

QString describe(const dav::Error& e) {
    const QString server = dav::serverName(e.url);
    const QString path = e.url.path();
    switch (e.problem) {
    case Problem::Unreachable:
        return QStringLiteral("cannot reach %1 (%2); check the address and the network, and that the server "
                              "is running")
            .arg(server, e.detail);
    case Problem::Untrusted:
        return QStringLiteral(
                   "the TLS certificate of %1 (issued to \"%2\" by \"%3\") is not trusted: %4. If you "
                   "trust it, give the file of its certificate authority with --ca FILE when "
                   "setting up sync, or add that authority to the system's trusted ones")
            .arg(server, e.certificate, e.issuer, e.detail);
    case Problem::Idle:
        return QStringLiteral("%1 sent nothing for %2 seconds; it may be overloaded or down: try again later")
            .arg(server)
            .arg(e.limit);
    case Problem::TooSlow:
        return QStringLiteral("%1 did not finish answering within %2 seconds; try again later")
            .arg(server)
            .arg(e.limit);
    case Problem::TooLarge:
        return QStringLiteral("the reply of %1 is larger than %2 MB and was refused; if the address book is "
                              "that large, ask the server's administrator whether it sends something else")
            .arg(server)
            .arg(e.limit >> 20);
    case Problem::Unauthorized:
        return QStringLiteral("%1 refused user \"%2\" (401): the user name or password is wrong; set up sync "
                              "again with the right ones")
            .arg(server, e.user);
    case Problem::Forbidden:
        return QStringLiteral("%1 does not let user \"%2\" use %3 (403); ask the server's administrator for "
                              "access, or set up sync with another address book")
            .arg(server, e.user, path);
    case Problem::NotFound:
        return QStringLiteral("%1 has nothing at %2 (%3); check the address, or set up sync again")
            .arg(server, path)
            .arg(e.status);
    case Problem::ServerFailed:
        return QStringLiteral("%1 failed with status %2; nothing was changed here. Try again later, or tell "
                              "the server's administrator")
            .arg(server)
            .arg(e.status);
    case Problem::Refused:
        return QStringLiteral("%1 answered %3 with status %2, which a CardDAV server does not; check the "
                              "address")
            .arg(server)
            .arg(e.status)
            .arg(path);
    case Problem::RedirectedAway:
        return QStringLiteral("%1 sends this request on to another server, %2 (%3); it was not followed. If "
                              "you trust %2, set up sync again with that address")
            .arg(server, dav::serverName(e.to), e.to.toDisplayString());
    case Problem::HrefAway:
        return QStringLiteral("%1 points to another server, %2 (%3); it was not followed")
            .arg(server, dav::serverName(e.to), e.to.toDisplayString());
    case Problem::NoLocation:
        return QStringLiteral("%1 answered %2 without saying where to").arg(server).arg(e.status);
    case Problem::RedirectLoop:
        return QStringLiteral("%1 redirects again and again; check the address").arg(server);
    case Problem::NotDav:
        return QStringLiteral("%1 answered, but not as a CardDAV server: %2 is no WebDAV resource (status %3 "
                              "instead of a multistatus); check the address")
            .arg(server, path)
            .arg(e.status);
    case Problem::BadReply:
        return QStringLiteral("%1 answered, but not as a CardDAV server: %2; check the address")
            .arg(server, e.detail);
    case Problem::NoService:
        return QStringLiteral("%1 has no CardDAV service at %2; check the address").arg(server, path);
    case Problem::NothingHere:
        return QStringLiteral("%1 answered, but shows no address book, user or address-book home at %2; "
                              "check the address")
            .arg(server, path);
    case Problem::NoHome:
        return QStringLiteral("%1 keeps no address books for user \"%2\" (no address-book home); is it a "
                              "CardDAV server?")
            .arg(server, e.user);
    case Problem::NoAddressBooks:
        return QStringLiteral("%1 has no address book for user \"%2\" under %3; make one on the server first")
            .arg(server, e.user, path);
    }
    return QStringLiteral("%1 failed").arg(server);
}

} // namespace cli
