// The file lock on every host: one holder at a time, a wait that ends refused while the other
// holds on, and the lock file removed or kept when the lock is let go.
#include "platform/file_lock.h"

#include <gtest/gtest.h>

#include "tests/support/test_support.h"

namespace dunax::platform {
namespace {

TEST(FileLockTest, LocksAreHeldByOneAtATime) {
  const dunax::testing::TemporaryDirectory directory;
  const std::string run = directory.file("run.lock");
  FileLock first;
  FileLock second;
  ASSERT_TRUE(first.acquire(run).ok());
  EXPECT_EQ(StatusCode::Busy, second.acquire(run).code());
  first.release();
  EXPECT_FALSE(dunax::testing::fileExists(run));
  EXPECT_TRUE(second.acquire(run).ok());

  const std::string exchange = directory.file("exchange.lock");
  FileLock mine;
  FileLock theirs;
  ASSERT_TRUE(mine.acquire(exchange, 0, LockFileAfter::Kept).ok());
  EXPECT_EQ(StatusCode::Busy, theirs.acquire(exchange, 20, LockFileAfter::Kept).code());
  mine.release();
  EXPECT_TRUE(dunax::testing::fileExists(exchange));
  EXPECT_TRUE(theirs.acquire(exchange, 0, LockFileAfter::Kept).ok());
}

}  // namespace
}  // namespace dunax::platform
