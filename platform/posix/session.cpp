// The operator's session on POSIX: isatty on standard input, and signal handlers that only set
// a flag.
#include "platform/session.h"

#include <signal.h>
#include <unistd.h>

namespace dunax::platform {
namespace {

volatile sig_atomic_t stopNoted = 0;

void noteStop(int) { stopNoted = 1; }
void letPass(int) {}

}  // namespace

bool standardInputIsTerminal() { return isatty(STDIN_FILENO) == 1; }

void noteStopRequests(bool interruptKeyToo) {
  struct sigaction action {};
  action.sa_handler = noteStop;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;  // no SA_RESTART: a wait returns so the caller can look at the flag
  sigaction(SIGHUP, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  if (!interruptKeyToo) action.sa_handler = letPass;
  sigaction(SIGINT, &action, nullptr);
}

bool stopRequested() { return stopNoted != 0; }

}  // namespace dunax::platform
