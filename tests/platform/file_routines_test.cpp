// The file routines on names of the records: directories, copying, deleting and renaming, the
// host's form of a name; on Windows also names past MAX_PATH, replacing and publishing, a drive
// alone selecting its own current directory, and the real path.
#ifdef _WIN32
#include <windows.h>
#endif

#include "platform/directory_search.h"
#include "platform/durable_files.h"
#include "platform/file_routines.h"
#include "platform/record_file.h"
#include "tests/platform/platform_test.h"

namespace dunax::platform {
namespace {

class FileRoutinesTest : public testing::InFreshDirectory {};

#ifndef _WIN32
TEST_F(FileRoutinesTest, DirectoryRoutines) {
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

TEST_F(FileRoutinesTest, CopyDeleteRename) {
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

TEST_F(FileRoutinesTest, HostPathMapsBackslashesAndRefusesNul) {
  EXPECT_EQ("../A/B.DAT", hostPathFrom("..\\A\\B.DAT").valueOr("refused"));
  EXPECT_EQ(StatusCode::InvalidName, hostPathFrom("").status().code());
  EXPECT_EQ(StatusCode::InvalidName, hostPathFrom(std::string_view("A\0B", 3)).status().code());
}
#else
TEST_F(FileRoutinesTest, NamesLongerThanMaxPathAreReachedWhole) {
  const std::string part(40, 'D');
  std::string name = "ROOT";
  ASSERT_TRUE(createDirectory(name).ok());
  while (name.size() < 2 * MAX_PATH) {
    name += "\\" + part;
    ASSERT_TRUE(createDirectory(name).ok()) << name.size();
  }
  const std::string file = name + "\\LONG.DAT";
  RecordFile out(Organization::RecordSequential, 8);
  ASSERT_EQ("00", statusText(out.open(file.c_str(), OpenMode::Output)));
  ASSERT_EQ("00", statusText(out.write("12345678")));
  ASSERT_EQ("00", statusText(out.close()));
  Expected<DirectoryEntry> entry = lookUpEntry(file);
  ASSERT_TRUE(entry.ok()) << entry.status().message();
  EXPECT_EQ(8u, entry->size);
  EXPECT_EQ("LONG.DAT", entry->name);
  EXPECT_TRUE(deleteFile(file).ok());
  while (name != "ROOT") {
    ASSERT_TRUE(deleteDirectory(name).ok()) << name.size();
    name.resize(name.rfind('\\'));
  }
}

TEST_F(FileRoutinesTest, ReplaceReplacesRenameNeverDoesCopyRefusesItself) {
  writeFile("old", "old");
  writeFile("new", "new");
  ASSERT_TRUE(replaceFile("new", "old").ok());
  EXPECT_EQ("new", readFile("old"));
  EXPECT_FALSE(fileExists("new"));
  writeFile("other", "other");
  EXPECT_EQ(StatusCode::AlreadyExists, renameFile("other", "old").code());
  EXPECT_EQ("new", readFile("old"));
  EXPECT_EQ(StatusCode::InvalidName, copyFile("old", ".\\OLD").code());
  EXPECT_EQ("new", readFile("old"));
  EXPECT_TRUE(removeFileIfPresent("other").ok());
  EXPECT_TRUE(removeFileIfPresent("other").ok());
}

TEST_F(FileRoutinesTest, PublishingReplacesOnlyAPlainFileAndKeepsItsMarks) {
  writeFile("final", "old");
  SetFileAttributesA("final", FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(StatusCode::PermissionDenied, checkReplaceablePath("final").code());
  EXPECT_TRUE(checkReplaceablePath("absent").ok());
  fs::create_directory("folder");
  EXPECT_EQ(StatusCode::IsDirectory, checkReplaceablePath("folder").code());
  writeFile("final.tmp", "new");
  ASSERT_TRUE(publishFile("final.tmp", "final").ok());
  EXPECT_EQ("new", readFile("final"));
  EXPECT_NE(0u, GetFileAttributesA("final") & FILE_ATTRIBUTE_READONLY);
  SetFileAttributesA("final", FILE_ATTRIBUTE_NORMAL);
  writeFile("folder.tmp", "new");
  EXPECT_EQ(StatusCode::PermissionDenied, publishFile("folder.tmp", "folder").code());
  EXPECT_TRUE(fileExists("folder.tmp"));
}

TEST_F(FileRoutinesTest, ADriveAloneSelectsTheDirectoryLastCurrentOnIt) {
  const std::string here = currentDirectory().valueOr("");
  ASSERT_GE(here.size(), 2u);
  std::string other;
  const DWORD drives = GetLogicalDrives();
  for (char letter = 'A'; letter <= 'Z' && other.empty(); ++letter) {
    const std::string root = std::string(1, letter) + ":\\";
    if ((drives & (1u << (letter - 'A'))) != 0 && letter != here[0] &&
        GetDriveTypeA(root.c_str()) == DRIVE_FIXED) {
      other = root;
    }
  }
  if (other.empty()) GTEST_SKIP() << "a second fixed drive is needed";
  ASSERT_TRUE(changeDirectory(here).ok());
  ASSERT_TRUE(changeDirectory(other).ok());
  EXPECT_EQ(other, currentDirectory().valueOr(""));
  ASSERT_TRUE(changeDirectory(here.substr(0, 2)).ok());
  EXPECT_EQ(here, currentDirectory().valueOr(""));
}

TEST_F(FileRoutinesTest, RealPathKeepsTheMissingTailAsWritten) {
  const std::string real = realPath(folder()).valueOr("(none)");
  EXPECT_EQ(real + "\\new\\file.dat", realPath("sub\\..\\new\\.\\file.dat").valueOr("(none)"));
}
#endif

}  // namespace
}  // namespace dunax::platform
