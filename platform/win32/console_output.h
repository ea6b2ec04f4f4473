// Inside the Windows half only: bytes written to standard output, console or not.
#pragma once

#include <windows.h>

#include <cstddef>

#include "platform/status.h"

namespace dunax::platform::win32 {

// Writes UTF-8 bytes to standard output: as UTF-16 to a console, whose output takes VT
// sequences while they are written; as they are elsewhere. Returns success, or the failure of
// a write ("the terminal takes no more output" when one writes nothing).
Status writeOut(const char* bytes, std::size_t length);

}  // namespace dunax::platform::win32
