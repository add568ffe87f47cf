#include "identity/Identity.h"

#include "platform/core/AppPath.h"
#include "platform/forms/Pictures.h"

namespace identity {

QIcon programIcon() { return forms::svgIcon(QStringLiteral(":/icons/quorvel.svg"), {16, 24, 32, 48}); }

QString makerFolder() { return platform::sharedFile(QStringLiteral("maker")); }

QString makerHomePage() { return MakerScheme + QStringLiteral("://maker/index.html"); }

QString productPage() { return MakerScheme + QStringLiteral("://maker/phone.html"); }

} // namespace identity
