#pragma once

#include "pages/PageWindows.h"

namespace pages {

// The program's services, as the module was handed them when it was loaded.
// Null in a program that made the windows without handing any.
Host* services();
void setServices(Host* host);

} // namespace pages
