// The file lock on every host: one holder at a time, a wait that ends refused while the other
// holds on, and the lock file removed or kept when the lock is let go.
#include "platform/file_lock.h"

#include <gtest/gtest.h>

#include "tests/support/test_support.h"

namespace dunax::platform {
namespace {

TEST(FileLockTest, LocksAreHeldByOneAtATime) {
  const dunax::testing::TemporaryDirectory directory;
  for (LockFileAfter after : {LockFileAfter::Removed, LockFileAfter::Kept}) {
    const bool kept = after == LockFileAfter::Kept;  // the second holder then waits 20 ms
    const std::string path = directory.file(kept ? "kept.lock" : "run.lock");
    FileLock first;
    FileLock second;
    ASSERT_TRUE(first.acquire(path, 0, after).ok());
    EXPECT_EQ(StatusCode::Busy, second.acquire(path, kept ? 20 : 0, after).code());
    first.release();
    EXPECT_EQ(dunax::testing::fileExists(path), kept);
    EXPECT_TRUE(second.acquire(path, 0, after).ok());
  }
}

}  // namespace
}  // namespace dunax::platform
