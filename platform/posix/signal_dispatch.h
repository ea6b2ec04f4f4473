// Inside the POSIX half only: the one place that sets signal actions. A signal of this system's
// is taken by one routine that hands it to the handler set for it, one handler per signal, the
// way win32/console_control.h hands the console's requests on: setting one gives back the one in
// force before, and taking the handler away puts back the action the process had before this
// system took the signal (the host's default, an ignored signal, or another program's handler).
#pragma once

#include <signal.h>

#include "platform/status.h"

namespace dunax::platform::posix {

// A handler of this system's: a plain function of the signal, run with the termination, hang-up,
// interrupt, size-change and stop signals blocked. With restartCalls a system call it cuts short
// is made again (SA_RESTART); without it the call answers EINTR. run nullptr: no handler of
// this system's (the action found before is in force).
struct SignalHandler {
  void (*run)(int signal) = nullptr;
  bool restartCalls = false;
};

// Makes handler the one for signal and returns the one in force before (run nullptr when that
// was not one of this system's). A handler with run nullptr puts back the action found when this
// system took the signal. An action another program set since is taken as the one found.
// Returns the handler before, or the failure of reading or setting the signal's action (the
// handler in force is then unchanged).
Expected<SignalHandler> setSignalHandler(int signal, SignalHandler handler);

// Hands signal to the handler function that was in force before this system took it, when that
// was a function (neither the default action nor an ignored signal). Safe in a signal handler.
void passToHandlerFoundBefore(int signal);

// Makes signal ignored. Returns success, or the failure of setting its action.
Status ignoreSignal(int signal);

// Puts back the default action of signal, unblocks it and raises it again: a signal that ends
// the process by default ends it here. Safe in a signal handler.
void takeDefaultSignalAction(int signal);

}  // namespace dunax::platform::posix
