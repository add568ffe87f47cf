// A page-windows module as another build of the program would leave it: the
// program must refuse it without ever calling in.
#include "pages/PageWindows.h"

#include <cstdlib>

extern "C" Q_DECL_EXPORT const char* const quorvel_pages_build = "6.00 another build";

extern "C" Q_DECL_EXPORT pages::PageWindows* quorvel_pages(pages::Host*) { std::abort(); }
