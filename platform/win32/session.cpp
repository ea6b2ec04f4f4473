// The operator's session on Windows: whether standard input is a console, and the console's
// control events (platform/win32/console_control.h) turned into stop and termination flags.
#include "platform/session.h"

#include <windows.h>

#include <atomic>

#include "platform/win32/console_control.h"

namespace dunax::platform {
namespace {

using win32::ConsoleRequest;
using win32::ConsoleRequestHandler;

std::atomic<int> gStopNoted{0};

void noteStop(ConsoleRequest) { gStopNoted.store(1); }

std::atomic<int> gTerminationNoted{0};
// The handlers found by watchTerminationRequests: of Terminate, then of Closed.
std::atomic<ConsoleRequestHandler> gPreviousTermination[2] = {nullptr, nullptr};

void noteTermination(ConsoleRequest request) {
  const ConsoleRequestHandler previous =
      gPreviousTermination[request == ConsoleRequest::Closed ? 1 : 0].load();
  const bool second = gTerminationNoted.exchange(1) != 0;
  if (previous != nullptr && previous != noteTermination) previous(request);
  if (second) win32::endAsConsoleDefault();
}

}  // namespace

bool standardInputIsTerminal() {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
}

Status noteStopRequests(bool interruptKeyToo) {
  Status hooked = win32::hookConsoleRequests();
  win32::setConsoleRequestHandler(ConsoleRequest::Terminate, noteStop);
  win32::setConsoleRequestHandler(ConsoleRequest::Closed, noteStop);
  win32::setConsoleRequestHandler(ConsoleRequest::Interrupt,
                                  interruptKeyToo ? noteStop : win32::ignoreConsoleRequest);
  return hooked;
}

bool stopRequested() { return gStopNoted.load() != 0; }

Status watchTerminationRequests() {
  Status hooked = win32::hookConsoleRequests();
  gPreviousTermination[0].store(
      win32::setConsoleRequestHandler(ConsoleRequest::Terminate, noteTermination));
  gPreviousTermination[1].store(
      win32::setConsoleRequestHandler(ConsoleRequest::Closed, noteTermination));
  return hooked;
}

bool terminationRequested() { return gTerminationNoted.load() != 0; }

Status treatFileSizeLimitAsWriteFailure() {
  // No signal ends a process for a file too large here: the write fails (ERROR_FILE_TOO_LARGE,
  // ERROR_DISK_FULL) and the record file answers "34".
  return Status();
}

// The console's requests wait on the hold's lock; saved_ is not needed here.
TerminationHold::TerminationHold() { win32::holdConsoleRequests(); }

TerminationHold::~TerminationHold() { win32::releaseConsoleRequests(); }

}  // namespace dunax::platform
