// Inside the Windows half only: bytes written to standard output, console or not, and the
// loop that writes a text whole.
#pragma once

#include <windows.h>

#include <cstddef>

#include "platform/status.h"

namespace dunax::platform::win32 {

// Writes UTF-8 bytes to standard output: as UTF-16 to a console, whose output takes VT
// sequences while they are written; as they are elsewhere. Returns success, or the failure of
// a write ("the terminal takes no more output" when one writes nothing).
Status writeOut(const char* bytes, std::size_t length);

// Writes all of text through write (WriteConsoleW for UTF-16, WriteFile for bytes). Returns
// success, or the failure of a write ("the terminal takes no more output" when one writes
// nothing).
template <typename Text, typename Write>
Status writeAll(HANDLE handle, const Text& text, Write write) {
  std::size_t written = 0;
  while (written < text.size()) {
    DWORD done = 0;
    const auto left = static_cast<DWORD>(text.size() - written);
    if (!write(handle, text.data() + written, left, &done, nullptr)) {
      return Status::fromNative(static_cast<int>(GetLastError()));
    }
    if (done == 0) return Status::failure(StatusCode::Other, "the terminal takes no more output");
    written += done;
  }
  return Status();
}

}  // namespace dunax::platform::win32
