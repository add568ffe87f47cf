#include "identity/Identity.h"

#include "platform/forms/Pictures.h"

namespace identity {

QIcon programIcon() { return forms::svgIcon(QStringLiteral(":/icons/quorvel.svg"), {16, 24, 32, 48}); }

} // namespace identity
