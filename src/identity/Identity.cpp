#include "identity/Identity.h"

#include "platform/core/AppPath.h"
#include "platform/forms/Pictures.h"

#include <QUrl>

namespace identity {

QIcon programIcon() { return forms::svgIcon(QStringLiteral(":/icons/quorvel.svg"), {16, 24, 32, 48}); }

QString makerHomePage() {
    return QUrl::fromLocalFile(platform::appFile(QStringLiteral("maker/index.html"))).toString();
}

QString productPage() {
    return QUrl::fromLocalFile(platform::appFile(QStringLiteral("maker/phone.html"))).toString();
}

} // namespace identity
