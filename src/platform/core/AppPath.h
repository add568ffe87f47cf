#pragma once

#include <QString>

namespace platform {

// The folder that holds the program: its phone book and settings files lie
// beside it. Tests point it at a temporary folder.
QString appPath();
void setAppPath(const QString& folder);

// A file beside the program.
QString appFile(const QString& name);

} // namespace platform
