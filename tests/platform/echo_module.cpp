// Tiny outside programs for the loader's tests: PLTECHO counts its calls since it was loaded
// and writes the count into its first argument; pltlow answers under a lower-case name.
#include <cstring>

#include "platform/module_export.h"

namespace {
int callsSinceLoad = 0;
}

extern "C" DUNAX_EXPORT int PLTECHO(void* first, void* /*second*/) {
  ++callsSinceLoad;
  std::memcpy(first, &callsSinceLoad, sizeof callsSinceLoad);
  return 40 + callsSinceLoad;
}

extern "C" DUNAX_EXPORT int pltlow(void* first) {
  const char text[] = "lower";
  std::memcpy(first, text, sizeof text);
  return 7;
}

extern "C" DUNAX_EXPORT int OTHERNAME(void*) { return 0; }
