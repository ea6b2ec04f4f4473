// The per-user message store: whole messages posted and fetched, and the message directory
// refused when it is not private (file modes, owners and symbolic links: POSIX hosts).
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cstring>
#include <filesystem>

#include "suite/sp2/message_store.h"
#include "tests/support/test_support.h"

namespace dunax::sp2 {
namespace {

namespace fs = std::filesystem;

class MessageStore : public ::testing::Test {
 protected:
  void SetUp() override {
    directory_ = (root() / "messages").string();
    dunax::testing::setVariable("DUNAX_MESSAGE_DIR", directory_.c_str());
  }
  void TearDown() override { dunax::testing::setVariable("DUNAX_MESSAGE_DIR", nullptr); }
  fs::path root() const { return fs::path(temporary_.path()); }
  static void fill(unsigned char* block, char c) {
    std::memset(block, 0, 14);
    std::memset(block + 14, c, 1000);
  }
  dunax::testing::TemporaryDirectory temporary_;
  std::string directory_;
};

TEST_F(MessageStore, PostThenFetchGivesTheWholeText) {
  unsigned char block[1014];
  fill(block, 'A');
  block[14 + 999] = 'Z';
  block[0] = 5;
  ASSERT_EQ(0, postMessage(block));
  EXPECT_EQ(0, block[0]);
#ifndef _WIN32
  struct stat info;
  ASSERT_EQ(0, lstat(directory_.c_str(), &info));
  EXPECT_EQ(0700u, info.st_mode & 07777);
#endif
  unsigned char fetched[1014];
  fill(fetched, 0);
  fetched[0] = 7;
  ASSERT_EQ(0, fetchMessage(fetched));
  EXPECT_EQ(0, fetched[0]);
  EXPECT_EQ(0, std::memcmp(block + 14, fetched + 14, 1000));
}

TEST_F(MessageStore, APostReplacesTheMessageWhole) {
  unsigned char block[1014];
  fill(block, 'A');
  ASSERT_EQ(0, postMessage(block));
  fill(block, 'B');
  ASSERT_EQ(0, postMessage(block));
  unsigned char fetched[1014];
  fill(fetched, 0);
  ASSERT_EQ(0, fetchMessage(fetched));
  for (int i = 0; i < 1000; ++i) ASSERT_EQ('B', fetched[14 + i]);
  EXPECT_EQ(1, std::distance(fs::directory_iterator(directory_), fs::directory_iterator()));
}

TEST_F(MessageStore, FetchWithNothingPostedLeavesTheTextAndFails) {
  unsigned char block[1014];
  fill(block, 'Q');
  EXPECT_NE(0, fetchMessage(block));
  EXPECT_NE(0, block[0] | block[1]);
  for (int i = 0; i < 1000; ++i) ASSERT_EQ('Q', block[14 + i]);
}

#ifndef _WIN32
TEST_F(MessageStore, DirectoryWithWrongModeIsRefused) {
  fs::create_directory(directory_);
  chmod(directory_.c_str(), 0755);
  unsigned char block[1014];
  fill(block, 'A');
  EXPECT_NE(0, postMessage(block));
  EXPECT_TRUE(fs::is_empty(directory_));
  EXPECT_NE(0, fetchMessage(block));
}

TEST_F(MessageStore, SymbolicLinkIsRefused) {
  fs::create_directory(root() / "real");
  chmod((root() / "real").c_str(), 0700);
  fs::create_directory_symlink(root() / "real", directory_);
  unsigned char block[1014];
  fill(block, 'A');
  EXPECT_NE(0, postMessage(block));
  EXPECT_TRUE(fs::is_empty(root() / "real"));
}

TEST_F(MessageStore, DirectoryOfAnotherUserIsRefused) {
  if (geteuid() != 0) GTEST_SKIP() << "changing a directory's owner needs root";
  fs::create_directory(directory_);
  chmod(directory_.c_str(), 0700);
  ASSERT_EQ(0, chown(directory_.c_str(), 65534, 65534));
  unsigned char block[1014];
  fill(block, 'A');
  EXPECT_NE(0, postMessage(block));
  EXPECT_TRUE(fs::is_empty(directory_));
}

TEST_F(MessageStore, DefaultDirectoryIsPerUserUnderTheRuntimeDirectory) {
  unsetenv("DUNAX_MESSAGE_DIR");
  const char* previous = getenv("XDG_RUNTIME_DIR");
  std::string saved = previous != nullptr ? previous : "";
  setenv("XDG_RUNTIME_DIR", root().c_str(), 1);
  unsigned char block[1014];
  fill(block, 'A');
  EXPECT_EQ(0, postMessage(block));
  if (previous != nullptr) {
    setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
  } else {
    unsetenv("XDG_RUNTIME_DIR");
  }
  EXPECT_TRUE(fs::exists(root() / ("dunax-sp2-" + std::to_string(geteuid())) / "current"));
}
#endif

}  // namespace
}  // namespace dunax::sp2
