// The operator's session on POSIX: isatty on standard input, and signal handlers (through
// posix/signal_dispatch.h) that only set a flag.
#include "platform/session.h"

#include <signal.h>
#include <unistd.h>

#include "platform/posix/signal_dispatch.h"

namespace dunax::platform {
namespace {

using posix::SignalHandler;

volatile sig_atomic_t stopNoted = 0;

void noteStop(int) { stopNoted = 1; }
void letPass(int) {}

volatile sig_atomic_t terminationNoted = 0;
SignalHandler previousTermination[2];  // SIGTERM, SIGHUP

void noteTermination(int signal) {
  const SignalHandler previous = previousTermination[signal == SIGHUP ? 1 : 0];
  bool second = terminationNoted != 0;
  terminationNoted = 1;
  if (previous.run == nullptr) {
    posix::passToHandlerFoundBefore(signal);
  } else if (previous.run != noteTermination) {
    previous.run(signal);
  }
  if (second) posix::takeDefaultSignalAction(signal);
}

// Sets handler for signal, keeping the handler before in previous when asked; failed keeps the
// first failure.
void take(int signal, SignalHandler handler, Status& failed, SignalHandler* previous = nullptr) {
  Expected<SignalHandler> before = posix::setSignalHandler(signal, handler);
  if (!before.ok() && failed.ok()) failed = before.status();
  if (before.ok() && previous != nullptr) *previous = *before;
}

}  // namespace

bool standardInputIsTerminal() { return isatty(STDIN_FILENO) == 1; }

Status noteStopRequests(bool interruptKeyToo) {
  // No restart: a wait returns so the caller can look at the flag.
  Status failed;
  take(SIGHUP, {noteStop, false}, failed);
  take(SIGTERM, {noteStop, false}, failed);
  take(SIGINT, {interruptKeyToo ? noteStop : letPass, false}, failed);
  return failed;
}

bool stopRequested() { return stopNoted != 0; }

Status watchTerminationRequests() {
  // No restart: a read, write or open that waits (on a terminal, a pipe) returns EINTR.
  Status failed;
  take(SIGTERM, {noteTermination, false}, failed, &previousTermination[0]);
  take(SIGHUP, {noteTermination, false}, failed, &previousTermination[1]);
  return failed;
}

Status treatFileSizeLimitAsWriteFailure() { return posix::ignoreSignal(SIGXFSZ); }

bool terminationRequested() { return terminationNoted != 0; }

TerminationHold::TerminationHold() {
  static_assert(sizeof(sigset_t) <= sizeof saved_);
  sigset_t hold;
  sigemptyset(&hold);
  sigaddset(&hold, SIGTERM);
  sigaddset(&hold, SIGHUP);
  sigaddset(&hold, SIGINT);
  sigprocmask(SIG_BLOCK, &hold, reinterpret_cast<sigset_t*>(saved_));
}

TerminationHold::~TerminationHold() {
  sigprocmask(SIG_SETMASK, reinterpret_cast<const sigset_t*>(saved_), nullptr);
}

}  // namespace dunax::platform
