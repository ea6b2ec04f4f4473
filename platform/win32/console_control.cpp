// The console's control events on Windows: one routine given to SetConsoleCtrlHandler that
// hands each event to the handler of its kind, waits while a hold lives, and keeps the process
// alive for a while after the console was closed.
#include "platform/win32/console_control.h"

#include <atomic>

namespace dunax::platform::win32 {
namespace {

// How long the routine keeps the process alive after the console was closed; the system allows
// about five seconds before it ends the process itself.
constexpr DWORD kClosedGraceMilliseconds = 4000;
constexpr DWORD kClosedGracePause = 50;

std::atomic<ConsoleRequestHandler> gHandlers[3] = {nullptr, nullptr, nullptr};
std::atomic<HANDLE> gArrived{nullptr};

// The lock behind holdConsoleRequests: a critical section, which one thread may enter again.
CRITICAL_SECTION& holdLock() {
  struct Lock {
    Lock() { InitializeCriticalSection(&section); }
    CRITICAL_SECTION section;
  };
  static Lock lock;
  return lock.section;
}

int indexOf(ConsoleRequest request) { return static_cast<int>(request); }

BOOL WINAPI onConsoleEvent(DWORD event) {
  ConsoleRequest request;
  switch (event) {
    case CTRL_C_EVENT:
      request = ConsoleRequest::Interrupt;
      break;
    case CTRL_BREAK_EVENT:
      request = ConsoleRequest::Terminate;
      break;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      request = ConsoleRequest::Closed;
      break;
    default:
      return FALSE;
  }
  holdConsoleRequests();
  ConsoleRequestHandler handler = gHandlers[indexOf(request)].load();
  if (handler != nullptr) handler(request);
  releaseConsoleRequests();
  if (handler == nullptr) return FALSE;  // the next routine, at last the default, ends the process
  if (HANDLE arrived = gArrived.load()) SetEvent(arrived);
  if (request == ConsoleRequest::Closed) {
    // The main thread ends the process meanwhile when it reaches the end of its run.
    for (DWORD waited = 0; waited < kClosedGraceMilliseconds; waited += kClosedGracePause) {
      Sleep(kClosedGracePause);
    }
  }
  return TRUE;
}

}  // namespace

Status hookConsoleRequests() {
  static std::atomic<bool> hooked{false};
  if (hooked.load()) return Status();
  holdLock();  // made now, on the caller's thread, not first on the console's
  if (gArrived.load() == nullptr) gArrived.store(CreateEventW(nullptr, FALSE, FALSE, nullptr));
  if (!SetConsoleCtrlHandler(onConsoleEvent, TRUE)) return Status::fromNative(GetLastError());
  SetConsoleCtrlHandler(nullptr, FALSE);
  hooked.store(true);
  return Status();
}

ConsoleRequestHandler setConsoleRequestHandler(ConsoleRequest request,
                                               ConsoleRequestHandler handler) {
  return gHandlers[indexOf(request)].exchange(handler);
}

void ignoreConsoleRequest(ConsoleRequest) {}

void endAsConsoleDefault() { ExitProcess(STATUS_CONTROL_C_EXIT); }

void holdConsoleRequests() { EnterCriticalSection(&holdLock()); }

void releaseConsoleRequests() { LeaveCriticalSection(&holdLock()); }

HANDLE consoleRequestArrived() { return gArrived.load(); }

}  // namespace dunax::platform::win32
