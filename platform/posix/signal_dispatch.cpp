// The signal dispatcher on POSIX: one sigaction routine per signal that hands the signal to the
// handler set for it, and the action found before kept to be put back or handed the signal.
#include "platform/posix/signal_dispatch.h"

#include <cerrno>

namespace dunax::platform::posix {
namespace {

// The signals blocked while a handler runs: those this system's handlers take.
constexpr int kBlockedSignals[] = {SIGTERM, SIGHUP, SIGINT, SIGWINCH, SIGTSTP};

struct Slot {
  SignalHandler handler;
  struct sigaction foundBefore {};
};

Slot gSlots[NSIG];

void dispatch(int signal) {
  const int savedErrno = errno;
  const SignalHandler handler = gSlots[signal].handler;
  if (handler.run != nullptr) {
    handler.run(signal);
  } else {
    passToHandlerFoundBefore(signal);
  }
  errno = savedErrno;
}

bool isDispatch(const struct sigaction& action) {
  return (action.sa_flags & SA_SIGINFO) == 0 && action.sa_handler == dispatch;
}

}  // namespace

Expected<SignalHandler> setSignalHandler(int signal, SignalHandler handler) {
  if (signal <= 0 || signal >= NSIG) return Status::fromNative(EINVAL);
  Slot& slot = gSlots[signal];
  struct sigaction current {};
  if (sigaction(signal, nullptr, &current) != 0) return Status::fromNative(errno);
  const bool ours = isDispatch(current);
  const SignalHandler previous = ours ? slot.handler : SignalHandler{};
  if (handler.run == nullptr) {
    if (ours && sigaction(signal, &slot.foundBefore, nullptr) != 0) {
      return Status::fromNative(errno);
    }
    slot.handler = SignalHandler{};
    return previous;
  }
  if (!ours) slot.foundBefore = current;
  struct sigaction action {};
  action.sa_handler = dispatch;
  sigemptyset(&action.sa_mask);
  for (int blocked : kBlockedSignals) sigaddset(&action.sa_mask, blocked);
  action.sa_flags = handler.restartCalls ? SA_RESTART : 0;
  slot.handler = handler;
  if (sigaction(signal, &action, nullptr) != 0) {
    const int failure = errno;
    slot.handler = previous;
    return Status::fromNative(failure);
  }
  return previous;
}

void passToHandlerFoundBefore(int signal) {
  const struct sigaction& before = gSlots[signal].foundBefore;
  if (before.sa_handler != SIG_DFL && before.sa_handler != SIG_IGN &&
      before.sa_handler != nullptr) {
    before.sa_handler(signal);
  }
}

Status ignoreSignal(int signal) {
  struct sigaction action {};
  action.sa_handler = SIG_IGN;
  sigemptyset(&action.sa_mask);
  return Status::fromNative(sigaction(signal, &action, nullptr) == 0 ? 0 : errno);
}

void takeDefaultSignalAction(int signal) {
  struct sigaction fallback {};
  fallback.sa_handler = SIG_DFL;
  sigemptyset(&fallback.sa_mask);
  sigaction(signal, &fallback, nullptr);
  sigset_t unblock;
  sigemptyset(&unblock);
  sigaddset(&unblock, signal);
  sigprocmask(SIG_UNBLOCK, &unblock, nullptr);
  raise(signal);
}

}  // namespace dunax::platform::posix
