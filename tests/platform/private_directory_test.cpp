// The private directory: made with mode 0700 and refused when anyone else may reach it (POSIX),
// in the user's local application data (Windows), and its small files replaced whole.
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cstring>

#include "platform/durable_files.h"
#include "platform/private_directory.h"
#include "tests/platform/platform_test.h"

namespace dunax::platform {
namespace {

class PrivateDirectoryTest : public testing::InFreshDirectory {};

#ifndef _WIN32
TEST_F(PrivateDirectoryTest, PrivateDirectoryIsCreatedWithMode0700) {
  std::string path = (root() / "private").string();
  ASSERT_TRUE(preparePrivateDirectory(path).ok());
  struct stat info;
  ASSERT_EQ(0, lstat(path.c_str(), &info));
  EXPECT_EQ(0700u, info.st_mode & 07777);
  EXPECT_TRUE(preparePrivateDirectory(path).ok());
}

TEST_F(PrivateDirectoryTest, PrivateDirectoryRefusesWrongModeLinksAndFiles) {
  fs::create_directory("open");
  chmod("open", 0755);
  EXPECT_EQ(StatusCode::PermissionDenied, preparePrivateDirectory("open").code());
  fs::create_directory("real");
  chmod("real", 0700);
  fs::create_directory_symlink("real", "link");
  EXPECT_EQ(StatusCode::NotDirectory, preparePrivateDirectory("link").code());
  writeFile("file", "x");
  EXPECT_EQ(StatusCode::NotDirectory, preparePrivateDirectory("file").code());
}

TEST_F(PrivateDirectoryTest, PrivateDirectoryRefusesAnotherOwner) {
  if (geteuid() != 0) GTEST_SKIP() << "changing a directory's owner needs root";
  fs::create_directory("theirs");
  chmod("theirs", 0700);
  ASSERT_EQ(0, chown("theirs", 65534, 65534));
  EXPECT_EQ(StatusCode::PermissionDenied, preparePrivateDirectory("theirs").code());
}

TEST_F(PrivateDirectoryTest, DefaultPrivateDirectoryLiesInTheRuntimeDirectory) {
  const std::string uid = std::to_string(geteuid());
  testing::ScopedVariable runtime("XDG_RUNTIME_DIR", "/run/user/x");
  EXPECT_EQ("/run/user/x/dunax-sp2-" + uid, defaultPrivateDirectory("sp2"));
  testing::setVariable("XDG_RUNTIME_DIR", nullptr);
  EXPECT_EQ("/tmp/dunax-sp2-" + uid, defaultPrivateDirectory("sp2"));
}

TEST_F(PrivateDirectoryTest, ReplaceFileAtomicallyAndReadItBack) {
  fs::create_directory("d");
  ASSERT_TRUE(replaceFileAtomically("d", "m", "first", 5).ok());
  ASSERT_TRUE(replaceFileAtomically("d", "m", "other", 5).ok());
  char data[5];
  ASSERT_TRUE(readFileExactly("d/m", data, 5).ok());
  EXPECT_EQ(0, std::memcmp(data, "other", 5));
  EXPECT_EQ(StatusCode::InvalidName, readFileExactly("d/m", data, 6).code());
  EXPECT_EQ(StatusCode::NotFound, readFileExactly("d/none", data, 5).code());
  EXPECT_EQ(1, std::distance(fs::directory_iterator("d"), fs::directory_iterator()));
  fs::create_symlink("m", "d/link");
  EXPECT_EQ(StatusCode::InvalidName, readFileExactly("d/link", data, 5).code());
  EXPECT_FALSE(replaceFileAtomically("missing-dir", "m", "x", 1).ok());
}
#else
TEST_F(PrivateDirectoryTest, PrivateFolderLiesInTheUsersLocalApplicationData) {
  const std::string folderOfSp2 = defaultPrivateDirectory("sp2");
  ASSERT_GT(folderOfSp2.size(), 10u);
  EXPECT_EQ("\\dunax\\sp2", folderOfSp2.substr(folderOfSp2.size() - 10));
  ASSERT_TRUE(preparePrivateDirectory(folderOfSp2).ok());
  ASSERT_TRUE(replaceFileAtomically(folderOfSp2, "probe", "12345", 5).ok());
  char read[5];
  EXPECT_TRUE(readFileExactly(folderOfSp2 + "\\probe", read, 5).ok());
  EXPECT_EQ("12345", std::string(read, 5));
  EXPECT_EQ(StatusCode::InvalidName, readFileExactly(folderOfSp2 + "\\probe", read, 5 + 1).code());
  EXPECT_TRUE(removeFileIfPresent((folderOfSp2 + "\\probe").c_str()).ok());
  writeFile("plain", "x");
  EXPECT_EQ(StatusCode::NotDirectory, preparePrivateDirectory("plain").code());
}
#endif

}  // namespace
}  // namespace dunax::platform
