// Inside the Windows half only: the keys of standard input as the bytes a VT terminal sends
// (arrows as ESC [ A..D, Shift+Tab as ESC [ Z, text as UTF-8).
#pragma once

#include <windows.h>

#include <atomic>

#include "platform/status.h"

namespace dunax::platform::win32 {

// Reads the input events waiting on the console input without blocking and turns the key
// presses into bytes; a size change sets sizeChanged. Returns the count of bytes, or the
// failure of a read.
Expected<int> takeConsoleKeys(HANDLE input, char* buffer, int capacity,
                              std::atomic<int>& sizeChanged);

// readKeyBytes where standard input is no console: a pipe is looked at until bytes are there or
// the time is up (-1: no limit); anything else is read directly. Returns the count of bytes
// (0 when none came in time); NotFound when the input has ended; the failure of a read.
Expected<int> readRedirectedBytes(HANDLE input, char* buffer, int capacity,
                                  int timeoutMilliseconds);

}  // namespace dunax::platform::win32
