// A record-access program built for 32-bit Windows, named like one: the 64-bit converter must
// find that it cannot load it and say so, never call it.
#include "platform/module_export.h"

extern "C" DUNAX_EXPORT int RECW32(void*) { return 0; }
