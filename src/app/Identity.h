#pragma once

#include <QString>

namespace app {

// Who the program is.
inline const QString ApplicationTitle = QStringLiteral("Quorvel Book Dialer");
inline const QString FileDescription = QStringLiteral("Phone Book Dialer");
inline const QString InternalName = QStringLiteral("Quorvel");
inline const QString VersionText = QStringLiteral("6.01");
inline constexpr int VersionMajor = 6;
inline constexpr int VersionMinor = 1;
inline constexpr int VersionRevision = 0;
inline constexpr int VersionBuild = 0;

} // namespace app
