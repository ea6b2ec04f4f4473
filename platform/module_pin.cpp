// Pinning the module that holds this code: on Windows the DLL found from this function's own
// address is pinned (GetModuleHandleExW with the PIN flag); on POSIX hosts the modules that need
// it are linked with -z nodelete, so there is nothing to do. Both halves are this small, so they
// share one file.
#include "platform/module_pin.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#endif

namespace dunax::platform {

void keepThisModuleLoaded() {
#ifdef _WIN32
  static const bool pinned = [] {
    HMODULE self = nullptr;
    return GetModuleHandleExW(
               GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
               reinterpret_cast<LPCWSTR>(reinterpret_cast<const void*>(&keepThisModuleLoaded)),
               &self) != 0;
  }();
  (void)pinned;
#endif
}

}  // namespace dunax::platform
