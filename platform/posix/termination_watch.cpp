// The termination watch on POSIX: sigaction handlers for SIGTERM and SIGHUP that only note the
// signal (without SA_RESTART, so that a poll or read in progress returns), the previous
// handlers kept and put back, and raise() to pass the request on.
#include "platform/termination_watch.h"

#include <csignal>
#include <cstring>

namespace dunax::platform {
namespace {

constexpr int kWatchedSignals[] = {SIGTERM, SIGHUP};
constexpr int kWatchedCount = sizeof kWatchedSignals / sizeof kWatchedSignals[0];

volatile std::sig_atomic_t gNotedSignal = 0;  // the first watched signal that arrived, or 0
struct sigaction gPrevious[kWatchedCount];

void noteSignal(int signal) {
  if (gNotedSignal == 0) gNotedSignal = signal;
}

}  // namespace

TerminationWatch::TerminationWatch() {
  gNotedSignal = 0;
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = noteSignal;
  sigemptyset(&action.sa_mask);
  for (int signal : kWatchedSignals) sigaddset(&action.sa_mask, signal);
  action.sa_flags = 0;
  for (int i = 0; i < kWatchedCount; ++i) sigaction(kWatchedSignals[i], &action, &gPrevious[i]);
}

TerminationWatch::~TerminationWatch() { putBack(); }

bool TerminationWatch::requested() const { return gNotedSignal != 0; }

void TerminationWatch::putBack() {
  if (ended_) return;
  ended_ = true;
  for (int i = 0; i < kWatchedCount; ++i) sigaction(kWatchedSignals[i], &gPrevious[i], nullptr);
}

void TerminationWatch::endAndPassOn() {
  putBack();
  int signal = gNotedSignal;
  gNotedSignal = 0;
  if (signal != 0) raise(signal);
}

}  // namespace dunax::platform
