// The operator's session on POSIX: isatty on standard input, and signal handlers that only set
// a flag.
#include "platform/session.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/default_signal_action.h"

namespace dunax::platform {
namespace {

volatile sig_atomic_t stopNoted = 0;

void noteStop(int) { stopNoted = 1; }
void letPass(int) {}

volatile sig_atomic_t terminationNoted = 0;
struct sigaction previousTermination[2];  // SIGTERM, SIGHUP

void noteTermination(int signal) {
  const struct sigaction& previous = previousTermination[signal == SIGHUP ? 1 : 0];
  bool second = terminationNoted != 0;
  terminationNoted = 1;
  if (previous.sa_handler != SIG_DFL && previous.sa_handler != SIG_IGN &&
      previous.sa_handler != nullptr) {
    previous.sa_handler(signal);
  }
  if (second) posix::takeDefaultSignalAction(signal);
}

}  // namespace

bool standardInputIsTerminal() { return isatty(STDIN_FILENO) == 1; }

Status noteStopRequests(bool interruptKeyToo) {
  struct sigaction action {};
  action.sa_handler = noteStop;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;  // no SA_RESTART: a wait returns so the caller can look at the flag
  int failed = 0;
  failed |= sigaction(SIGHUP, &action, nullptr);
  failed |= sigaction(SIGTERM, &action, nullptr);
  if (!interruptKeyToo) action.sa_handler = letPass;
  failed |= sigaction(SIGINT, &action, nullptr);
  return Status::fromNative(failed == 0 ? 0 : errno);
}

bool stopRequested() { return stopNoted != 0; }

Status watchTerminationRequests() {
  struct sigaction action {};
  action.sa_handler = noteTermination;
  sigemptyset(&action.sa_mask);
  sigaddset(&action.sa_mask, SIGTERM);
  sigaddset(&action.sa_mask, SIGHUP);
  // No SA_RESTART: a read, write or open that waits (on a terminal, a pipe) returns EINTR.
  action.sa_flags = 0;
  int failed = 0;
  failed |= sigaction(SIGTERM, &action, &previousTermination[0]);
  failed |= sigaction(SIGHUP, &action, &previousTermination[1]);
  return Status::fromNative(failed == 0 ? 0 : errno);
}

Status treatFileSizeLimitAsWriteFailure() {
  struct sigaction action {};
  action.sa_handler = SIG_IGN;
  sigemptyset(&action.sa_mask);
  return Status::fromNative(sigaction(SIGXFSZ, &action, nullptr) == 0 ? 0 : errno);
}

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
