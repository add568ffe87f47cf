#include "sync/dav/Error.h"

namespace dav {

QString serverName(const QUrl& url) {
    return url.port() < 0 ? url.host() : QStringLiteral("%1:%2").arg(url.host()).arg(url.port());
}

bool noDavHere(Problem problem) {
    switch (problem) {
    case Problem::NotFound:
    case Problem::Refused:
    case Problem::NoLocation:
    case Problem::RedirectLoop:
    case Problem::NotDav:
    case Problem::BadReply:
    case Problem::NothingHere:
        return true;
    default:
        return false;
    }
}

} // namespace dav
