// Inside the POSIX half only: letting a signal do what it does by default, from its handler.
#pragma once

#include <signal.h>

namespace dunax::platform::posix {

// Puts back the default action of signal, unblocks it and raises it again: a signal that ends
// the process by default ends it here. Safe in a signal handler.
inline void takeDefaultSignalAction(int signal) {
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
