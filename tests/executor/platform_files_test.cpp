// The platform pieces the executor stands on: wildcard matching, FAT packing, directory search,
// the file routines, command execution and the private directory.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/command_execution.h"
#include "platform/directory_search.h"
#include "platform/file_routines.h"
#include "platform/private_directory.h"
#include "test_support.h"

namespace dunax::platform {
namespace {

using executor::testing::readFile;
using executor::testing::TempDirectoryTest;
using executor::testing::writeFile;
namespace fs = std::filesystem;

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

class PlatformFiles : public TempDirectoryTest {};

TEST_F(PlatformFiles, SearchListsMatchesSortedWithSizesAndDirectoriesAtZero) {
  writeFile("D/B.DAT", "12345");
  writeFile("D/A.DAT", "1");
  writeFile("D/C.TXT", "1");
  fs::create_directory("D/SUB.DAT");
  std::vector<DirectoryEntry> entries = searchDirectory("D\\*.DAT");
  ASSERT_EQ(3u, entries.size());
  EXPECT_EQ("A.DAT", entries[0].name);
  EXPECT_EQ("B.DAT", entries[1].name);
  EXPECT_EQ(5u, entries[1].size);
  EXPECT_FALSE(entries[1].isDirectory);
  EXPECT_EQ("SUB.DAT", entries[2].name);
  EXPECT_EQ(0u, entries[2].size);
  EXPECT_TRUE(entries[2].isDirectory);
}

TEST_F(PlatformFiles, SearchOfAMissingDirectoryOrABadPatternIsEmpty) {
  EXPECT_TRUE(searchDirectory("NONE\\*.*").empty());
  EXPECT_TRUE(searchDirectory("").empty());
  EXPECT_TRUE(searchDirectory(std::string_view("A\0*", 3)).empty());
}

TEST_F(PlatformFiles, LookUpGivesTheLastPartAndTheDate) {
  writeFile("D/F.DAT", "abc");
  DirectoryEntry entry;
  ASSERT_TRUE(lookUpEntry("D\\F.DAT", entry));
  EXPECT_EQ("F.DAT", entry.name);
  EXPECT_EQ(3u, entry.size);
  EXPECT_GE(entry.modified.year, 2000);
  ASSERT_TRUE(lookUpEntry("D\\", entry));
  EXPECT_TRUE(entry.isDirectory);
  EXPECT_EQ("D", entry.name);
  EXPECT_FALSE(lookUpEntry("D\\G.DAT", entry));
  EXPECT_FALSE(lookUpEntry("", entry));
}

TEST_F(PlatformFiles, DirectoryRoutines) {
  EXPECT_EQ(0, createDirectory("A"));
  EXPECT_EQ(EEXIST, createDirectory("A"));
  EXPECT_EQ(ENOENT, createDirectory("X\\Y"));
  EXPECT_EQ(0, createDirectory("A\\B"));
  EXPECT_TRUE(fs::is_directory("A/B"));
  EXPECT_NE(0, deleteDirectory("A"));  // not empty
  EXPECT_EQ(0, deleteDirectory("A\\B"));
  EXPECT_EQ(0, changeDirectory("A"));
  std::string current;
  EXPECT_EQ(0, currentDirectory(current));
  EXPECT_EQ((root() / "A").string(), current);
  EXPECT_EQ(0, changeDirectory(".."));
}

TEST_F(PlatformFiles, CopyDeleteRename) {
  writeFile("S.DAT", "contents");
  EXPECT_EQ(0, copyFile("S.DAT", "T.DAT"));
  EXPECT_EQ("contents", readFile("T.DAT"));
  EXPECT_EQ(EINVAL, copyFile("S.DAT", ".\\S.DAT"));  // onto itself: nothing truncated
  EXPECT_EQ("contents", readFile("S.DAT"));
  fs::create_directory("DIR");
  EXPECT_EQ(EINVAL, copyFile("DIR", "X"));
  EXPECT_NE(0, copyFile("MISSING", "X"));
  EXPECT_FALSE(fs::exists("X"));
  EXPECT_EQ(EISDIR, deleteFile("DIR"));
  EXPECT_TRUE(fs::exists("DIR"));
  EXPECT_EQ(EEXIST, renameFile("S.DAT", "T.DAT"));
  EXPECT_EQ("contents", readFile("T.DAT"));
  EXPECT_EQ(0, deleteFile("T.DAT"));
  EXPECT_EQ(0, renameFile("S.DAT", "DIR\\U.DAT"));
  EXPECT_TRUE(fs::exists("DIR/U.DAT"));
  EXPECT_NE(0, deleteFile("S.DAT"));
}

TEST_F(PlatformFiles, HostPathMapsBackslashesAndRefusesNul) {
  std::string host;
  ASSERT_TRUE(hostPathFrom("..\\A\\B.DAT", host));
  EXPECT_EQ("../A/B.DAT", host);
  EXPECT_FALSE(hostPathFrom("", host));
  EXPECT_FALSE(hostPathFrom(std::string_view("A\0B", 3), host));
}

TEST_F(PlatformFiles, CommandLineRunsThroughTheShellAndGivesItsExitCode) {
  EXPECT_EQ(0, runCommandLine("echo run > OUT.TXT   "));
  EXPECT_EQ("run\n", readFile("OUT.TXT"));
  EXPECT_EQ(3, runCommandLine("exit 3"));
  EXPECT_EQ(0, runCommandLine(std::string_view("true\0false", 10)));
}

TEST_F(PlatformFiles, PrivateDirectoryIsCreatedWithMode0700) {
  std::string path = (root() / "private").string();
  ASSERT_EQ(0, preparePrivateDirectory(path));
  struct stat info;
  ASSERT_EQ(0, lstat(path.c_str(), &info));
  EXPECT_EQ(0700u, info.st_mode & 07777);
  EXPECT_EQ(0, preparePrivateDirectory(path));
}

TEST_F(PlatformFiles, PrivateDirectoryRefusesWrongModeLinksAndFiles) {
  fs::create_directory("open");
  chmod("open", 0755);
  EXPECT_EQ(EACCES, preparePrivateDirectory("open"));
  fs::create_directory("real");
  chmod("real", 0700);
  fs::create_directory_symlink("real", "link");
  EXPECT_EQ(ENOTDIR, preparePrivateDirectory("link"));
  writeFile("file", "x");
  EXPECT_EQ(ENOTDIR, preparePrivateDirectory("file"));
}

TEST_F(PlatformFiles, PrivateDirectoryRefusesAnotherOwner) {
  if (geteuid() != 0) GTEST_SKIP() << "changing a directory's owner needs root";
  fs::create_directory("theirs");
  chmod("theirs", 0700);
  ASSERT_EQ(0, chown("theirs", 65534, 65534));
  EXPECT_EQ(EPERM, preparePrivateDirectory("theirs"));
}

TEST_F(PlatformFiles, ReplaceFileAtomicallyAndReadItBack) {
  fs::create_directory("d");
  ASSERT_EQ(0, replaceFileAtomically("d", "m", "first", 5));
  ASSERT_EQ(0, replaceFileAtomically("d", "m", "other", 5));
  char data[5];
  ASSERT_EQ(0, readFileExactly("d/m", data, 5));
  EXPECT_EQ(0, std::memcmp(data, "other", 5));
  EXPECT_EQ(EINVAL, readFileExactly("d/m", data, 6));
  EXPECT_EQ(ENOENT, readFileExactly("d/none", data, 5));
  EXPECT_EQ(1, std::distance(fs::directory_iterator("d"), fs::directory_iterator()));
  fs::create_symlink("m", "d/link");
  EXPECT_EQ(EINVAL, readFileExactly("d/link", data, 5));
  EXPECT_NE(0, replaceFileAtomically("missing-dir", "m", "x", 1));
}

}  // namespace
}  // namespace dunax::platform
