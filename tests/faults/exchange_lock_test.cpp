// The exchange lock through which two clients of the same user take turns, and the file lock
// under it: held until let go or the end of the holder, refused to a second holder meanwhile,
// and never taken through a symbolic link or in a message directory that is not private.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "platform/file_lock.h"
#include "platform/private_directory.h"
#include "suite/sp2/message_store.h"
#include "tests/support/test_support.h"

namespace dunax::testing {
namespace {

class ExchangeLockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    messages = directory.file("messages");
    setenv("DUNAX_MESSAGE_DIR", messages.c_str(), 1);
  }
  void TearDown() override { unsetenv("DUNAX_MESSAGE_DIR"); }

  TemporaryDirectory directory;
  std::string messages;
};

TEST_F(ExchangeLockTest, ASecondHolderWaitsAndIsRefusedWhileTheFirstHoldsIt) {
  platform::FileLock first;
  ASSERT_TRUE(sp2::lockExchange(first, 0).ok());
  EXPECT_TRUE(first.held());
  platform::FileLock second;
  EXPECT_TRUE(sp2::lockExchange(second, 50).is(platform::StatusCode::Busy));
  EXPECT_FALSE(second.held());
  first.release();
  EXPECT_TRUE(sp2::lockExchange(second, 0).ok());
  EXPECT_EQ(second.acquire(messages + "/exchange.lock", 0).native(), EALREADY);
}

TEST_F(ExchangeLockTest, TheLockGoesWithAProcessThatEndsWithoutLettingGo) {
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    platform::FileLock held;
    _exit(sp2::lockExchange(held, 0).ok() ? 0 : 1);  // ends holding it
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  platform::FileLock mine;
  EXPECT_TRUE(sp2::lockExchange(mine, 0).ok());
}

TEST_F(ExchangeLockTest, AMessageDirectoryThatIsNotPrivateGetsNoLockFile) {
  ASSERT_EQ(mkdir(messages.c_str(), 0755), 0);
  ASSERT_EQ(chmod(messages.c_str(), 0755), 0);
  platform::FileLock lock;
  EXPECT_FALSE(sp2::lockExchange(lock, 0).ok());
  EXPECT_FALSE(fileExists(messages + "/exchange.lock"));
}

TEST_F(ExchangeLockTest, ALockFileThatIsASymbolicLinkIsNotFollowed) {
  platform::FileLock lock;
  ASSERT_TRUE(sp2::lockExchange(lock, 0).ok());
  lock.release();
  const std::string target = directory.file("elsewhere");
  ASSERT_EQ(unlink((messages + "/exchange.lock").c_str()), 0);
  ASSERT_EQ(symlink(target.c_str(), (messages + "/exchange.lock").c_str()), 0);
  EXPECT_FALSE(sp2::lockExchange(lock, 0).ok());
  EXPECT_FALSE(fileExists(target));
}

}  // namespace
}  // namespace dunax::testing
