// The program's resource tables, registered before main as the program's application object
// registers them, for the test programs of the folders that load them.
#include "resource_tables.h"

namespace {
[[maybe_unused]] const bool registered = (glue::SetResources(VandrelResources()), true);
}
