// The signal set-up of a run: termination requests cut a wait short (they are not restarted),
// a read cut short by one is not made again, and a file-size limit is a write failure. Each
// case runs in a child process of its own, so that this test program keeps its own handling,
// and under a guard: a child still waiting after some seconds is ended and the case fails.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "platform/record_file.h"
#include "platform/session.h"
#include "tests/support/test_support.h"

namespace dunax::platform {
namespace {

using testing::runInChildWithGuard;

// A read that never gets anything but "interrupted": after a termination request it is not
// made again (without the request the handler would wait on for ever).
long interruptedRead(int, void*, std::size_t) {
  errno = EINTR;
  return -1;
}
int fakeOpen(const char*, int, int) { return 1000; }
int fakeClose(int) { return 0; }

TEST(SessionTest, RequestsCutWaitsShortAndTheSizeLimitSignalIsIgnored) {
  EXPECT_EQ(runInChildWithGuard([] {
              if (!watchTerminationRequests().ok()) return 2;
              if (!treatFileSizeLimitAsWriteFailure().ok()) return 3;
              struct sigaction term {}, hangUp {}, size {};
              sigaction(SIGTERM, nullptr, &term);
              sigaction(SIGHUP, nullptr, &hangUp);
              sigaction(SIGXFSZ, nullptr, &size);
              if ((term.sa_flags | hangUp.sa_flags) & SA_RESTART) return 4;
              if (size.sa_handler != SIG_IGN) return 5;
              raise(SIGTERM);  // noted, not obeyed
              if (!terminationRequested()) return 6;
              static const FileSystemCalls calls = {fakeOpen, interruptedRead, nullptr,
                                                    nullptr,  nullptr,         fakeClose};
              RecordFile file(Organization::RecordSequential, 16);
              file.useCalls(calls);
              if (!file.open("/nonexistent-fake-file", OpenMode::Input).ok()) return 7;
              char record[16];
              return file.readNext(record).is('3', '0') ? 0 : 8;  // a read error, not made again
            }),
            0);
}

}  // namespace
}  // namespace dunax::platform
#endif
