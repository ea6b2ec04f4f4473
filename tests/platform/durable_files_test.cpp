// Whether a name may be replaced: nothing or a regular file this process may write, and never a
// directory, a link, a device, a read-only file or (POSIX) another user's file in a sticky
// folder; each refusal with its words.
#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <functional>

#include "platform/durable_files.h"
#include "tests/platform/platform_test.h"

namespace dunax::platform {
namespace {

class DurableFilesTest : public testing::InFreshDirectory {};

TEST_F(DurableFilesTest, OnlyNothingOrAWritableRegularFileMayBeReplaced) {
  ASSERT_TRUE(testing::writeFile("target", "kept"));
  const struct {
    const char* what;
    std::function<void()> plant;  // makes "name"
    StatusCode code;
    const char* words;  // nullptr: the host's own words
  } cases[] = {
      {"nothing", [] {}, StatusCode::Ok, nullptr},
      {"a regular file", [] { ASSERT_TRUE(testing::writeFile("name", "x")); }, StatusCode::Ok,
       nullptr},
      {"a directory", [] { fs::create_directory("name"); }, StatusCode::IsDirectory, nullptr},
#ifdef _WIN32
      {"a read-only file",
       [] {
         ASSERT_TRUE(testing::writeFile("name", "x"));
         SetFileAttributesA("name", FILE_ATTRIBUTE_READONLY);
       },
       StatusCode::PermissionDenied, "a read-only file is not replaced"},
#else
      {"a symbolic link", [] { fs::create_symlink("target", "name"); },
       StatusCode::PermissionDenied, "a symbolic link is not replaced"},
      {"a FIFO", [] { ASSERT_EQ(mkfifo("name", 0600), 0); }, StatusCode::PermissionDenied,
       "a FIFO, a device or a socket is not replaced"},
      {"a read-only file",
       [] {
         ASSERT_TRUE(testing::writeFile("name", "x"));
         ASSERT_EQ(chmod("name", 0444), 0);
       },
       geteuid() == 0 ? StatusCode::Ok : StatusCode::PermissionDenied,  // root writes anything
       geteuid() == 0 ? nullptr : "a read-only file is not replaced"},
#endif
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    c.plant();
    const Status replaceable = checkReplaceablePath("name");
    EXPECT_EQ(c.code, replaceable.code());
    if (c.words != nullptr) {
      EXPECT_EQ(c.words, replaceable.message());
    }
#ifdef _WIN32
    SetFileAttributesA("name", FILE_ATTRIBUTE_NORMAL);
#endif
    std::error_code ignored;
    fs::remove("name", ignored);
  }
  EXPECT_EQ("kept", testing::readFile("target"));
}

#ifndef _WIN32
// The permission bits of what is made from a file: no reader more than it has, and the owner
// may always write, so that the next run may replace it.
TEST_F(DurableFilesTest, FilesMadeFromAFileTakeItsReadBitsAndTheOwnersWrite) {
  ASSERT_TRUE(testing::writeFile("source", "x"));
  for (const int mode : {0600, 0640, 0444, 0400}) {
    ASSERT_EQ(chmod("source", static_cast<mode_t>(mode)), 0);
    EXPECT_EQ(mode | 0200, permissionsFollowing("source")) << mode;
  }
  EXPECT_EQ(kDefaultNewFileMode, permissionsFollowing("missing"));
}
#endif

}  // namespace
}  // namespace dunax::platform
