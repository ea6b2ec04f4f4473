// The termination watch on POSIX: handlers of SIGTERM and SIGHUP (through
// posix/signal_dispatch.h) that only note the signal (without restart, so that a poll or read in
// progress returns), the previous handlers kept and put back, and raise() to pass the request on.
#include "platform/termination_watch.h"

#include <csignal>

#include "platform/posix/signal_dispatch.h"

namespace dunax::platform {
namespace {

using posix::SignalHandler;

constexpr int kWatchedSignals[] = {SIGTERM, SIGHUP};
constexpr int kWatchedCount = sizeof kWatchedSignals / sizeof kWatchedSignals[0];

volatile std::sig_atomic_t gNotedSignal = 0;  // the first watched signal that arrived, or 0
SignalHandler gPrevious[kWatchedCount];

void noteSignal(int signal) {
  if (gNotedSignal == 0) gNotedSignal = signal;
}

}  // namespace

TerminationWatch::TerminationWatch() {
  gNotedSignal = 0;
  for (int i = 0; i < kWatchedCount; ++i) {
    gPrevious[i] = posix::setSignalHandler(kWatchedSignals[i], {noteSignal, false})
                       .valueOr(SignalHandler{});
  }
}

bool TerminationWatch::requested() const { return gNotedSignal != 0; }

void TerminationWatch::putBack() {
  if (ended_) return;
  ended_ = true;
  for (int i = 0; i < kWatchedCount; ++i) {
    (void)posix::setSignalHandler(kWatchedSignals[i], gPrevious[i]);
  }
}

void TerminationWatch::endAndPassOn() {
  putBack();
  int signal = gNotedSignal;
  gNotedSignal = 0;
  if (signal != 0) raise(signal);
}

}  // namespace dunax::platform
