// Inside the Windows half only: the console's control events (Ctrl+C, Ctrl+Break, the console
// closed, log-off, shut-down) handed to this system's handlers, one handler per kind of request,
// the way signal handlers are set on POSIX: setting one gives back the one in force before, and
// a kind without a handler takes the console's default (the process ends).
#pragma once

#include <windows.h>

#include "platform/status.h"

namespace dunax::platform::win32 {

// The kinds of request the console delivers.
enum class ConsoleRequest {
  Interrupt,  // Ctrl+C
  Terminate,  // Ctrl+Break: how another program asks this one politely to end
  Closed,     // the console was closed, or the user logs off, or the system shuts down
};

using ConsoleRequestHandler = void (*)(ConsoleRequest);

// Hooks this system's routine into the console's control events (once per process) and turns
// Ctrl+C handling back on (a program started in a process group of its own has it off), so that
// nothing is left ignored. Returns success, or the failure of hooking the routine.
Status hookConsoleRequests();

// Makes handler (nullptr: the console's default) the one for request and returns the one in
// force before. A handler runs on a thread the console starts, so it only notes what arrived
// (atomics) or ends the process. After a Closed handler the routine keeps the process alive a
// few seconds so that the run can reach its end; the system ends it then.
ConsoleRequestHandler setConsoleRequestHandler(ConsoleRequest request,
                                               ConsoleRequestHandler handler);

// A handler that lets a request pass without effect.
void ignoreConsoleRequest(ConsoleRequest request);

// Ends the process as the console's default handling does (exit code STATUS_CONTROL_C_EXIT).
[[noreturn]] void endAsConsoleDefault();

// While held (the holds nest, per thread), requests wait: the routine hands them on when the
// last hold ends.
void holdConsoleRequests();
void releaseConsoleRequests();

// An event set each time a request has been handed to a handler (it resets when a wait takes
// it), so that a wait for keys can end early; nullptr before hookConsoleRequests.
HANDLE consoleRequestArrived();

}  // namespace dunax::platform::win32
