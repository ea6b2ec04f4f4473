// The terminal's signal handlers on POSIX (through posix/signal_dispatch.h): Ctrl+C, a
// termination request and a closed terminal only set flags (a repeated termination request
// puts the terminal back and ends the process), a size change is noted, and Ctrl+Z puts the
// terminal back before the process stops.
#include <signal.h>

#include <csignal>

#include "platform/posix/signal_dispatch.h"
#include "platform/posix/terminal_modes.h"
#include "platform/terminal.h"
#include "platform/terminal_requests.h"

namespace dunax::platform {
namespace {

volatile std::sig_atomic_t gSizeChanged = 0;

constexpr int kHandledSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGWINCH, SIGTSTP};
constexpr int kHandledCount = sizeof kHandledSignals / sizeof kHandledSignals[0];
posix::SignalHandler gPrevious[kHandledCount];
bool gInstalled = false;

// Ctrl+Z: the terminal is put back before the process stops, and taken again when it goes on
// in the foreground (the screen is then drawn whole again).
void stopAndGoOn() {
  posix::putTerminalBack();
  struct sigaction ours;
  sigaction(SIGTSTP, nullptr, &ours);
  posix::takeDefaultSignalAction(SIGTSTP);  // stops here until SIGCONT
  sigset_t unblock;
  sigemptyset(&unblock);
  sigaddset(&unblock, SIGTSTP);
  sigprocmask(SIG_BLOCK, &unblock, nullptr);
  sigaction(SIGTSTP, &ours, nullptr);
  posix::takeKeyModeAgain();
  gSizeChanged = 1;
}

void onSignal(int signal) {
  switch (signal) {
    case SIGINT:
      detail::noteCloseRequest(CloseRequest::Interrupt, false);
      break;
    case SIGHUP:
    case SIGTERM:
      if (detail::noteCloseRequest(CloseRequest::Terminate, signal == SIGHUP)) {
        posix::putTerminalBack();  // then the default action of the signal ends the process
        posix::takeDefaultSignalAction(signal);
      }
      break;
    case SIGWINCH:
      gSizeChanged = 1;
      break;
    case SIGTSTP:
      stopAndGoOn();
      break;
    default:
      break;
  }
}

}  // namespace

void installCloseRequestHandlers(const char* restoreText, std::size_t length) {
  if (gInstalled) return;
  detail::startNotingCloseRequests(restoreText, length);
  posix::fixModeToPutBack(true);
  gSizeChanged = 0;
  for (int i = 0; i < kHandledCount; ++i) {
    gPrevious[i] = posix::setSignalHandler(kHandledSignals[i], {onSignal, true})
                       .valueOr(posix::SignalHandler{});
  }
  gInstalled = true;
}

void removeCloseRequestHandlers() {
  if (!gInstalled) return;
  for (int i = 0; i < kHandledCount; ++i) {
    (void)posix::setSignalHandler(kHandledSignals[i], gPrevious[i]);
  }
  gInstalled = false;
  posix::fixModeToPutBack(false);
  detail::dropPendingCloseRequests();
}

bool takeSizeChange() {
  if (!gSizeChanged) return false;
  gSizeChanged = 0;
  return true;
}

}  // namespace dunax::platform
