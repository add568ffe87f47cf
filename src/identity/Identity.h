#pragma once

#include "identity/Version.h"

#include <QIcon>
#include <QString>

// Who the program is. Every window may need it (titles, icon, the notices of
// the larger edition), so it sits below them all rather than in the main
// window's library, which nothing else may include.
namespace identity {

inline const QString ApplicationTitle = QStringLiteral("Quorvel Book Dialer");
inline const QString FileDescription = QStringLiteral("Phone Book Dialer");
inline const QString InternalName = QStringLiteral("Quorvel");

// The notice shown before the commands that the larger edition runs without it.
inline const QString ProNotice = QStringLiteral("Get Quorvel Pro to eliminate popups");

// The program's icon, in the four sizes its windows and the desktop ask for.
QIcon programIcon();

// The maker's home page and the product page of the larger edition. The maker
// has no site anyone can reach, so both ship in the program's folder
// (makerFolder) and the browser shows them under a scheme of the program's
// own: as file: pages they could lead nowhere on the network.
inline const QString MakerScheme = QStringLiteral("quorvel");
QString makerFolder();
QString makerHomePage();
QString productPage();

} // namespace identity
