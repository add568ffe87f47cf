#pragma once

#include "pages/PageWindows.h"

namespace pages {

// The services the program offers the page windows; it registers them here,
// before or after the module is loaded.
Host& host();

// The page windows, loaded on first use. Null when the module is missing or
// from another build: the user has then been told what to do.
PageWindows* load();

// Tests link the windows into the test program and hand them here.
void use(PageWindows* windows);

} // namespace pages
