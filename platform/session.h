// The operator's session: whether someone is at the keyboard of standard input, and stop
// requests (Ctrl+C, a closed terminal, a termination request) noted instead of obeyed, so that
// a program that runs others can let them finish and still report what happened.
// The host's requests: a termination request is SIGTERM on POSIX and Ctrl+Break (how a program
// is asked politely to end) on Windows; the terminal closed is SIGHUP on POSIX and the console
// closed, log-off or shut-down on Windows, where the process is held alive a few seconds for
// the run to end; Ctrl+C is SIGINT on POSIX and the console's Ctrl+C on Windows.
#pragma once

#include "platform/status.h"

namespace dunax::platform {

// Returns true when standard input is a terminal (an operator may be watching); false when it
// is a file, a pipe, /dev/null or closed.
bool standardInputIsTerminal();

// From now on a closed terminal and a termination request only note a stop request instead of
// ending the process; so does Ctrl+C when interruptKeyToo, otherwise Ctrl+C is let pass without
// effect here (it is left to a program on the terminal that handles it itself). Programs started
// afterwards get the default handling back (nothing is left ignored).
// Returns success, or the failure of installing a handler.
Status noteStopRequests(bool interruptKeyToo);

// Returns true once a stop request has been noted since noteStopRequests().
bool stopRequested();

// From now on termination requests and a closed terminal (a manager or the system ending the
// process) are noted for terminationRequested() and then passed on to the handler that was in
// force before (a screen library's), when there is one. A second one ends the process at
// once: the earlier handler may end it first, putting its terminal back; otherwise the
// host's default action follows. Works with or without a terminal. A wait in progress (a
// read, a write, an open of the process) is cut short by the request (POSIX: the handler is
// installed without SA_RESTART, the call answers EINTR), so that its caller can see
// terminationRequested() and stop instead of waiting on.
// Returns success, or the failure of installing a handler.
Status watchTerminationRequests();

// From now on a write past the file-size limit of the process (ulimit -f, RLIMIT_FSIZE) fails
// with "file too large" like a write to a full disk, instead of ending the process (POSIX: the
// signal SIGXFSZ is ignored). Windows has no such signal: a file too large is already an
// ordinary write failure there. Programs the process starts inherit the ignored signal; the
// converter starts none.
// Returns success, or the failure of changing the signal's handling.
Status treatFileSizeLimitAsWriteFailure();

// True once a termination request or a closed terminal arrived since
// watchTerminationRequests(). Costs no system call.
bool terminationRequested();

// While one of these lives, termination requests, a closed terminal and Ctrl+C wait (they are
// delivered when it ends): for the few steps that must not be cut in the middle, such as renaming
// a finished set of files into place.
class TerminationHold {
 public:
  TerminationHold();
  ~TerminationHold();
  TerminationHold(const TerminationHold&) = delete;
  TerminationHold& operator=(const TerminationHold&) = delete;

 private:
  alignas(16) unsigned char saved_[128];  // what the host needs to put back (a signal mask)
};

}  // namespace dunax::platform
