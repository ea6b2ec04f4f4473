// The terminal's modes as the POSIX signal handlers use them: the mode to put back when the
// process ends or stops, and the key-input mode (terminal.h's enterKeyInputMode) to take again
// when it goes on. putTerminalBack and takeKeyModeAgain are safe in a signal handler.
#pragma once

namespace dunax::platform::posix {

// With fixed, keeps the mode to put back from now on: the mode before the first key-input mode
// in force, or the current one. Without, lets the next first key-input mode decide it again.
void fixModeToPutBack(bool fixed);

// Puts the terminal back: the restore text written (terminal_requests.h), the mode kept.
void putTerminalBack();

// Takes the last key-input mode again when one is in force and this process is in the
// terminal's foreground.
void takeKeyModeAgain();

}  // namespace dunax::platform::posix
