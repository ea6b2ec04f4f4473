// The platform pieces the executor stands on: wildcard matching and FAT packing (on every
// host), directory search, the file routines, command execution and the private directory (on
// POSIX); the free space of a file system.
#include <gtest/gtest.h>

#include "platform/directory_search.h"
#include "platform/free_space.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "platform/command_execution.h"
#include "platform/file_routines.h"
#include "platform/posix/links_beneath.h"
#include "platform/private_directory.h"
#include "tests/support/test_support.h"
#endif

namespace dunax::platform {
namespace {

TEST(FreeSpace, OfTheCurrentFolderAndOfNone) {
  const Expected<std::uint64_t> free = freeSpaceOf(".");
  ASSERT_TRUE(free.ok()) << free.status().message();
  EXPECT_GT(*free, 0u);
  EXPECT_EQ(StatusCode::NotFound, freeSpaceOf("no-such-folder/below").status().code());
}

TEST(Wildcard, StarAndQuestionMark) {
  EXPECT_TRUE(matchesWildcard("EMP???", "EMP001"));
  EXPECT_FALSE(matchesWildcard("EMP???", "EMP01"));
  EXPECT_FALSE(matchesWildcard("EMP???", "EMP0012"));
  EXPECT_FALSE(matchesWildcard("EMP???", "emp001"));
  EXPECT_TRUE(matchesWildcard("*.DAT", "CLIENTES.DAT"));
  EXPECT_FALSE(matchesWildcard("*.DAT", "CLIENTES.DATA"));
  EXPECT_TRUE(matchesWildcard("A*B*C", "AxxBxxBxC"));
  EXPECT_FALSE(matchesWildcard("A*B*C", "AxxBxxBx"));
  EXPECT_TRUE(matchesWildcard("*", ""));
  EXPECT_FALSE(matchesWildcard("?", ""));
}

TEST(Wildcard, StarDotStarMatchesNamesWithoutADot) {
  EXPECT_TRUE(matchesWildcard("*.*", "CLIENTES"));
  EXPECT_TRUE(matchesWildcard("*.*", "CLIENTES.IDX"));
  EXPECT_TRUE(matchesWildcard("*.*", "."));
  EXPECT_TRUE(matchesWildcard("*.*", ".."));
  EXPECT_TRUE(matchesWildcard("F*.*", "FILE"));
  EXPECT_FALSE(matchesWildcard("F*.*", "GILE"));
}

TEST(FatPacking, DateAndTimeFields) {
  LocalTime time{2021, 3, 14, 15, 9, 27};
  EXPECT_EQ(((2021 - 1980) << 9) | (3 << 5) | 14, packFatDate(time));
  EXPECT_EQ((15 << 11) | (9 << 5) | 13, packFatTime(time));
  LocalTime early{1975, 6, 1, 10, 0, 0};
  EXPECT_EQ((1 << 5) | 1, packFatDate(early));
  EXPECT_EQ(0, packFatTime(early));
  LocalTime late{2200, 1, 1, 0, 0, 0};
  EXPECT_EQ((127 << 9) | (12 << 5) | 31, packFatDate(late));
}

#ifndef _WIN32
namespace fs = std::filesystem;

// Each case in a fresh temporary directory, made the current directory.
class PlatformFiles : public ::testing::Test {
 protected:
  void SetUp() override { fs::current_path(directory_.path()); }
  void TearDown() override { fs::current_path(previous_); }
  fs::path root() const { return directory_.path(); }
  testing::TemporaryDirectory directory_;
  fs::path previous_ = fs::current_path();
};

// Writes contents to path, making the folders on the way.
void writeFile(const fs::path& path, const std::string& contents) {
  if (path.has_parent_path()) fs::create_directories(path.parent_path());
  ASSERT_TRUE(testing::writeFile(path.string(), contents));
}

std::string readFile(const fs::path& path) { return testing::readFile(path.string()); }

TEST_F(PlatformFiles, SearchListsMatchesSortedWithSizesAndDirectoriesAtZero) {
  writeFile("D/B.DAT", "12345");
  writeFile("D/A.DAT", "1");
  writeFile("D/C.TXT", "1");
  fs::create_directory("D/SUB.DAT");
  Expected<std::vector<DirectoryEntry>> found = searchDirectory("D\\*.DAT");
  ASSERT_TRUE(found.ok());
  const std::vector<DirectoryEntry>& entries = *found;
  ASSERT_EQ(3u, entries.size());
  EXPECT_EQ("A.DAT", entries[0].name);
  EXPECT_EQ("B.DAT", entries[1].name);
  EXPECT_EQ(5u, entries[1].size);
  EXPECT_FALSE(entries[1].isDirectory);
  EXPECT_EQ("SUB.DAT", entries[2].name);
  EXPECT_EQ(0u, entries[2].size);
  EXPECT_TRUE(entries[2].isDirectory);
}

TEST_F(PlatformFiles, SearchOfAMissingDirectoryOrABadPatternFails) {
  EXPECT_EQ(StatusCode::NotFound, searchDirectory("NONE\\*.*").status().code());
  EXPECT_EQ(StatusCode::InvalidName, searchDirectory("").status().code());
  EXPECT_EQ(StatusCode::InvalidName,
            searchDirectory(std::string_view("A\0*", 3)).status().code());
  fs::create_directory("E");
  Expected<std::vector<DirectoryEntry>> none = searchDirectory("E\\X*");
  ASSERT_TRUE(none.ok());
  EXPECT_TRUE(none->empty());
}

TEST_F(PlatformFiles, LookUpGivesTheLastPartAndTheDate) {
  writeFile("D/F.DAT", "abc");
  Expected<DirectoryEntry> entry = lookUpEntry("D\\F.DAT");
  ASSERT_TRUE(entry.ok());
  EXPECT_EQ("F.DAT", entry->name);
  EXPECT_EQ(3u, entry->size);
  EXPECT_GE(entry->modified.year, 2000);
  entry = lookUpEntry("D\\");
  ASSERT_TRUE(entry.ok());
  EXPECT_TRUE(entry->isDirectory);
  EXPECT_EQ("D", entry->name);
  EXPECT_EQ(StatusCode::NotFound, lookUpEntry("D\\G.DAT").status().code());
  EXPECT_EQ(StatusCode::InvalidName, lookUpEntry("").status().code());
}

TEST_F(PlatformFiles, DirectoryRoutines) {
  EXPECT_TRUE(createDirectory("A").ok());
  EXPECT_EQ(StatusCode::AlreadyExists, createDirectory("A").code());
  EXPECT_EQ(StatusCode::NotFound, createDirectory("X\\Y").code());
  EXPECT_TRUE(createDirectory("A\\B").ok());
  EXPECT_TRUE(fs::is_directory("A/B"));
  EXPECT_FALSE(deleteDirectory("A").ok());  // not empty
  EXPECT_TRUE(deleteDirectory("A\\B").ok());
  EXPECT_TRUE(changeDirectory("A").ok());
  Expected<std::string> current = currentDirectory();
  ASSERT_TRUE(current.ok());
  EXPECT_EQ((root() / "A").string(), *current);
  EXPECT_TRUE(changeDirectory("..").ok());
}

TEST_F(PlatformFiles, CopyDeleteRename) {
  writeFile("S.DAT", "contents");
  EXPECT_TRUE(copyFile("S.DAT", "T.DAT").ok());
  EXPECT_EQ("contents", readFile("T.DAT"));
  // Onto itself: nothing truncated.
  EXPECT_EQ(StatusCode::InvalidName, copyFile("S.DAT", ".\\S.DAT").code());
  EXPECT_EQ("contents", readFile("S.DAT"));
  fs::create_directory("DIR");
  EXPECT_EQ(StatusCode::InvalidName, copyFile("DIR", "X").code());
  EXPECT_FALSE(copyFile("MISSING", "X").ok());
  EXPECT_FALSE(fs::exists("X"));
  EXPECT_EQ(StatusCode::IsDirectory, deleteFile("DIR").code());
  EXPECT_TRUE(fs::exists("DIR"));
  EXPECT_EQ(StatusCode::AlreadyExists, renameFile("S.DAT", "T.DAT").code());
  EXPECT_EQ("contents", readFile("T.DAT"));
  EXPECT_TRUE(deleteFile("T.DAT").ok());
  EXPECT_TRUE(renameFile("S.DAT", "DIR\\U.DAT").ok());
  EXPECT_TRUE(fs::exists("DIR/U.DAT"));
  EXPECT_FALSE(deleteFile("S.DAT").ok());
}

TEST_F(PlatformFiles, HostPathMapsBackslashesAndRefusesNul) {
  EXPECT_EQ("../A/B.DAT", hostPathFrom("..\\A\\B.DAT").valueOr("refused"));
  EXPECT_EQ(StatusCode::InvalidName, hostPathFrom("").status().code());
  EXPECT_EQ(StatusCode::InvalidName, hostPathFrom(std::string_view("A\0B", 3)).status().code());
}

TEST_F(PlatformFiles, CommandLineRunsThroughTheShellAndGivesItsExitCode) {
  EXPECT_EQ(0, runCommandLine("echo run > OUT.TXT   ").valueOr(-1));
  EXPECT_EQ("run\n", readFile("OUT.TXT"));
  EXPECT_EQ(3, runCommandLine("exit 3").valueOr(-1));
  EXPECT_EQ(0, runCommandLine(std::string_view("true\0false", 10)).valueOr(-1));
}

TEST_F(PlatformFiles, PrivateDirectoryIsCreatedWithMode0700) {
  std::string path = (root() / "private").string();
  ASSERT_TRUE(preparePrivateDirectory(path).ok());
  struct stat info;
  ASSERT_EQ(0, lstat(path.c_str(), &info));
  EXPECT_EQ(0700u, info.st_mode & 07777);
  EXPECT_TRUE(preparePrivateDirectory(path).ok());
}

TEST_F(PlatformFiles, PrivateDirectoryRefusesWrongModeLinksAndFiles) {
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

TEST_F(PlatformFiles, PrivateDirectoryRefusesAnotherOwner) {
  if (geteuid() != 0) GTEST_SKIP() << "changing a directory's owner needs root";
  fs::create_directory("theirs");
  chmod("theirs", 0700);
  ASSERT_EQ(0, chown("theirs", 65534, 65534));
  EXPECT_EQ(StatusCode::PermissionDenied, preparePrivateDirectory("theirs").code());
}

TEST_F(PlatformFiles, DefaultPrivateDirectoryLiesInTheRuntimeDirectory) {
  const std::string uid = std::to_string(geteuid());
  const char* saved = std::getenv("XDG_RUNTIME_DIR");
  const std::string kept = saved != nullptr ? saved : "";
  setenv("XDG_RUNTIME_DIR", "/run/user/x", 1);
  EXPECT_EQ("/run/user/x/dunax-sp2-" + uid, defaultPrivateDirectory("sp2"));
  unsetenv("XDG_RUNTIME_DIR");
  EXPECT_EQ("/tmp/dunax-sp2-" + uid, defaultPrivateDirectory("sp2"));
  if (saved != nullptr) setenv("XDG_RUNTIME_DIR", kept.c_str(), 1);
}

TEST_F(PlatformFiles, ReplaceFileAtomicallyAndReadItBack) {
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

// The check of every link on the way, the fallback of the drive mapping on a kernel without
// openat2: links that stay inside pass, links that lead out or nowhere do not.
TEST_F(PlatformFiles, LinksBeneathAMappedDirectoryWithoutTheKernelsHelp) {
  fs::create_directories("c/D");
  fs::create_directories("outside");
  fs::create_directory_symlink("D", "c/IN");
  fs::create_directory_symlink("../outside", "c/UP");
  fs::create_symlink(root() / "outside", "c/ABS");
  fs::create_symlink("nowhere", "c/DANGLING");
  fs::create_directory_symlink(root() / "c/D", "c/ABSIN");
  const std::string base = (root() / "c").string();
  for (const char* rest : {"D/F.DAT", "IN/F.DAT", "ABSIN/NEW/F.DAT", "NEW/DEEPER/F", "IN\\F.DAT"}) {
    EXPECT_TRUE(posix::linksStayBeneath(base, rest)) << rest;
  }
  for (const char* rest : {"UP/F.DAT", "ABS", "DANGLING"}) {
    EXPECT_FALSE(posix::linksStayBeneath(base, rest)) << rest;
  }
  EXPECT_FALSE(posix::linksStayBeneath((root() / "missing").string(), "F"));
}

#endif

}  // namespace
}  // namespace dunax::platform
