// Keeping a loaded module in memory for the rest of the process, for a module that holds
// process state (signal or console handlers, counts kept over every call): a release by its
// caller must not unload it. POSIX hosts get this from the link (-z nodelete); a Windows DLL
// pins itself from its own code.
#pragma once

namespace dunax::platform {

// Pins the module this call is linked into (the program itself when it is not in a module).
// Only the first call does anything; a failure leaves the module as it was (releasable).
void keepThisModuleLoaded();

}  // namespace dunax::platform
