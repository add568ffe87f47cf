#include "pages/Services.h"

namespace pages {
namespace {
Host* given = nullptr;
}

Host* services() { return given; }
void setServices(Host* host) { given = host; }

} // namespace pages
