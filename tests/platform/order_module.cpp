// A second outside program of the same name as echo_module's PLTECHO, built into another
// directory, so that the loader's search order can be seen: this one answers 99.
#include "platform/module_export.h"

extern "C" DUNAX_EXPORT int PLTECHO(void*, void*) { return 99; }
