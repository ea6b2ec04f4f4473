// The termination watch: SIGTERM and SIGHUP only noted while it lives, then the handler found
// at its start put back and given the same signal.
#include <gtest/gtest.h>

#include <csignal>
#include <cstring>

#include "platform/termination_watch.h"

namespace dunax::platform {
namespace {

volatile std::sig_atomic_t gSeenByCaller = 0;

void callerHandler(int signal) { gSeenByCaller = signal; }

TEST(TerminationWatch, NotesTheRequestThenPassesItToTheCallersHandler) {
  for (int signal : {SIGTERM, SIGHUP}) {
    struct sigaction caller;
    struct sigaction before;
    std::memset(&caller, 0, sizeof caller);
    caller.sa_handler = callerHandler;
    sigemptyset(&caller.sa_mask);
    sigaction(signal, &caller, &before);
    gSeenByCaller = 0;
    {
      TerminationWatch watch;
      EXPECT_FALSE(watch.requested());
      std::raise(signal);
      EXPECT_TRUE(watch.requested()) << signal;
      EXPECT_EQ(gSeenByCaller, 0) << signal;
      watch.endAndPassOn();
      EXPECT_EQ(gSeenByCaller, signal);
    }
    gSeenByCaller = 0;
    std::raise(signal);  // the caller's handler is in force again
    EXPECT_EQ(gSeenByCaller, signal);
    sigaction(signal, &before, nullptr);
  }
}

}  // namespace
}  // namespace dunax::platform
