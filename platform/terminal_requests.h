// Inside platform/ only: what both halves of the terminal share, the close requests their
// handlers note (Ctrl+C, a termination request, a closed terminal) and the text that puts the
// screen back before a repeated termination request ends the process.
#pragma once

#include <cstddef>

#include "platform/terminal.h"

namespace dunax::platform::detail {

// Forgets every request noted and the closed terminal, and keeps restoreText (at most 256
// bytes of it, copied) for restoreText().
void startNotingCloseRequests(const char* restoreText, std::size_t length);

// Forgets the requests not taken yet.
void dropPendingCloseRequests();

// Notes request (Interrupt, or Terminate: terminalClosed when it is the terminal closed).
// Returns true for a termination request after an earlier one, taken or not: the caller then
// puts the terminal back and ends the process. Safe in a signal handler.
bool noteCloseRequest(CloseRequest request, bool terminalClosed);

// The text kept by startNotingCloseRequests, its length in length.
const char* restoreText(std::size_t& length);

}  // namespace dunax::platform::detail
