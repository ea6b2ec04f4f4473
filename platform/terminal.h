// The controlling terminal of the screen stand-ins: whether there is one, its size, a quiet
// key-input mode, writing bytes to it, reading keys, and the requests that ask a program to
// close (Ctrl+C, a closed terminal, a termination request; the host's words are in session.h)
// turned into flags polled by the caller. Keys arrive as the bytes a VT terminal sends (arrows as
// ESC [ A..D, Shift+Tab as ESC [ Z), and the output takes VT sequences, on every host.
#pragma once

#include <cstddef>

#include "platform/status.h"

namespace dunax::platform {

// True when standard input and standard output are both terminals and this process is in the
// terminal's foreground (a background job must neither draw on it nor read from it), and the
// output takes VT sequences.
bool standardStreamsAreTerminals();

struct TerminalSize {
  int rows;
  int columns;
};

// The size of the terminal on standard output; 24 by 80 when it cannot be read.
TerminalSize terminalSize();

// Puts the terminal on standard input into a quiet key-input mode: no echo, no line buffering,
// reads that return at once. With keysAsSignals, Ctrl+C still comes as a close request; without
// it Ctrl+C arrives as the byte 0x03. The mode in force before is kept on a small stack.
// Returns success; Unsupported when standard input is not a terminal; Busy when the stack is
// full; the failure of reading or setting the mode otherwise (nothing is changed then).
Status enterKeyInputMode(bool keysAsSignals);

// Puts back the mode that the matching enterKeyInputMode found. Nothing happens when none is kept.
void leaveKeyInputMode();

// Writes all length bytes to standard output, retrying short writes.
// Returns success, or the failure of a write (for example a terminal that has hung up).
Status writeToTerminal(const char* bytes, std::size_t length);

// Reads the key bytes that are waiting on standard input, waiting at most timeoutMilliseconds
// for the first one (-1 waits without limit, 0 does not wait).
// Returns the number of bytes read (0 when none came in time, or when a close request cut the
// wait short); NotFound when the input has ended (a closed terminal); the failure of the wait or
// the read otherwise.
Expected<int> readKeyBytes(char* buffer, int capacity, int timeoutMilliseconds);

// What a close request asked for.
enum class CloseRequest {
  None,
  Interrupt,  // Ctrl+C
  Terminate,  // a termination request, or the terminal was closed
};

// Installs the handlers of Ctrl+C, termination requests and a closed terminal (and, on POSIX,
// SIGWINCH for size changes); each only records what arrived. On POSIX, Ctrl+Z (SIGTSTP) puts
// the terminal back (restoreText, the mode before the first enterKeyInputMode) before the
// process stops, and takes it again when the process goes on in the foreground; takeSizeChange
// then reports a change so that the screen is drawn whole again. A second termination request
// or closed terminal (whether or not the first was taken) ends the process: the terminal is put
// back (restoreText written, the mode before the first enterKeyInputMode) and the host's
// default action follows. The handlers that were in force before are kept for
// removeCloseRequestHandlers.
// restoreText (at most 255 bytes, copied) is what puts the screen back in that path.
void installCloseRequestHandlers(const char* restoreText, std::size_t length);

// Puts back the handlers that installCloseRequestHandlers found; pending requests are dropped.
void removeCloseRequestHandlers();

// Returns a close request not taken yet and forgets it (Terminate before Interrupt when both
// came); None when there is none. Costs no system call.
CloseRequest takeCloseRequest();

// True once the terminal was closed since the handlers were installed: the terminal is gone.
bool terminalHungUp();

// True when the terminal size changed since the last call.
bool takeSizeChange();

}  // namespace dunax::platform
