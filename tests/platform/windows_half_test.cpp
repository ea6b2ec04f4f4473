// The Windows half of the platform: Win32 errors as statuses, names that reach devices refused
// everywhere, names past MAX_PATH, record files, replacing, renaming, copying and publishing,
// a drive alone selecting its own current directory, the search without regard
// to case, modules that do not load, and the user's private folder. Compiled on every host; the
// tests exist on Windows (run under Wine on the build machine).
#include <gtest/gtest.h>

#ifdef _WIN32

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/directory_search.h"
#include "platform/durable_files.h"
#include "platform/file_routines.h"
#include "platform/host_path.h"
#include "platform/private_directory.h"
#include "platform/process.h"
#include "platform/program_call.h"
#include "platform/record_file.h"

namespace dunax::platform {
namespace {

namespace fs = std::filesystem;

std::string statusText(FileStatus status) { return std::string(status.code, 2); }

void writeText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

std::string readText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Each test in a fresh folder of its own, made the current one.
class WindowsHalfTest : public ::testing::Test {
 protected:
  void SetUp() override {
    home_ = fs::current_path();
    folder_ = fs::temp_directory_path() /
              ("dunax-" + std::to_string(GetCurrentProcessId()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(folder_);
    fs::current_path(folder_);
  }
  void TearDown() override {
    fs::current_path(home_);
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }
  std::string folder() const { return folder_.string(); }

 private:
  fs::path home_;
  fs::path folder_;
};

TEST_F(WindowsHalfTest, NamesThatReachDevicesAreRefusedAndNeverOpened) {
  for (const char* name : {"CON", "nul", "NUL.TXT", "Com1.dat", "lpt9", "AUX .x", "CONIN$",
                           "DADOS\\PRN\\X.DAT", "C:NUL", "\\\\.\\COM1", "//./pipe/x",
                           "\\\\?\\C:\\X", "A.DAT:stream"}) {
    EXPECT_EQ(StatusCode::InvalidName, hostNameFromRecord(name).status().code()) << name;
    EXPECT_EQ(StatusCode::InvalidName, createDirectory(name).code()) << name;
    RecordFile file(Organization::LineSequential, 80);
    EXPECT_EQ("37", statusText(file.open(name, OpenMode::Input))) << name;
    EXPECT_EQ("37", statusText(file.open(name, OpenMode::Output))) << name;
  }
  for (const char* name : {"CONSOLE.DAT", "COM10", "LPT", "C:\\DADOS\\CLI.DAT", "c:DADOS",
                           "\\\\srv\\share\\x"}) {
    EXPECT_EQ(name, hostNameFromRecord(name).valueOr("(refused)"));
  }
  EXPECT_EQ("A\\B\\C", hostNameFromRecord("A/B\\C").valueOr("(refused)"));
}

TEST_F(WindowsHalfTest, NamesLongerThanMaxPathAreReachedWhole) {
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

// A write that fails for want of room once `roomLeft` bytes went through.
long long roomLeft = 0;
long writeUntilFull(int file, const void* buffer, std::size_t count) {
  if (roomLeft <= 0) {
    SetLastError(ERROR_DISK_FULL);
    return -1;
  }
  const std::size_t now = count < static_cast<std::size_t>(roomLeft)
                              ? count
                              : static_cast<std::size_t>(roomLeft);
  const long written = realFileSystemCalls().write(file, buffer, now);
  roomLeft -= written;
  return written;
}

TEST_F(WindowsHalfTest, RecordFileStatusesAndAFullDiskCutBackToWholeRecords) {
  RecordFile file(Organization::RecordSequential, 1024);
  EXPECT_EQ("35", statusText(file.open("missing.bin", OpenMode::Input)));
  EXPECT_EQ("35", statusText(file.open("no\\such\\missing.bin", OpenMode::Input)));
  EXPECT_EQ("37", statusText(file.open(folder().c_str(), OpenMode::Input)));
  FileSystemCalls calls = realFileSystemCalls();
  calls.write = writeUntilFull;
  roomLeft = 1024 * 1100 + 512;  // the disk fills half-way through record 1101
  file.useCalls(calls);
  ASSERT_EQ("00", statusText(file.open("full.bin", OpenMode::Output)));
  const std::string record(1024, 'r');
  FileStatus status = status::kSuccess;
  for (int i = 0; i < 3000 && status.ok(); ++i) status = file.write(record.data());
  EXPECT_EQ("34", statusText(status));
  EXPECT_EQ("34", statusText(file.close()));
  EXPECT_EQ(1100u * 1024, fs::file_size("full.bin"));
}

TEST_F(WindowsHalfTest, ReplaceReplacesRenameNeverDoesCopyRefusesItself) {
  writeText("old", "old");
  writeText("new", "new");
  ASSERT_TRUE(replaceFile("new", "old").ok());
  EXPECT_EQ("new", readText("old"));
  EXPECT_FALSE(fileExists("new"));
  writeText("other", "other");
  EXPECT_EQ(StatusCode::AlreadyExists, renameFile("other", "old").code());
  EXPECT_EQ("new", readText("old"));
  EXPECT_EQ(StatusCode::InvalidName, copyFile("old", ".\\OLD").code());
  EXPECT_EQ("new", readText("old"));
  EXPECT_TRUE(removeFileIfPresent("other").ok());
  EXPECT_TRUE(removeFileIfPresent("other").ok());
}

TEST_F(WindowsHalfTest, PublishingReplacesOnlyAPlainFileAndKeepsItsMarks) {
  writeText("final", "old");
  SetFileAttributesA("final", FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(StatusCode::PermissionDenied, checkReplaceablePath("final").code());
  EXPECT_TRUE(checkReplaceablePath("absent").ok());
  fs::create_directory("folder");
  EXPECT_EQ(StatusCode::IsDirectory, checkReplaceablePath("folder").code());
  writeText("final.tmp", "new");
  ASSERT_TRUE(publishFile("final.tmp", "final").ok());
  EXPECT_EQ("new", readText("final"));
  EXPECT_NE(0u, GetFileAttributesA("final") & FILE_ATTRIBUTE_READONLY);
  SetFileAttributesA("final", FILE_ATTRIBUTE_NORMAL);
  writeText("folder.tmp", "new");
  EXPECT_EQ(StatusCode::PermissionDenied, publishFile("folder.tmp", "folder").code());
  EXPECT_TRUE(fileExists("folder.tmp"));
}

TEST_F(WindowsHalfTest, ADriveAloneSelectsTheDirectoryLastCurrentOnIt) {
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

TEST_F(WindowsHalfTest, SearchMatchesWithoutRegardToCase) {
  fs::create_directory("emp001");
  fs::create_directory("EMP002");
  writeText("emp003.x", "12345");
  writeText("Emp004", "12345");
  Expected<std::vector<DirectoryEntry>> found = searchDirectory("EMP???");
  ASSERT_TRUE(found.ok()) << found.status().message();
  ASSERT_EQ(3u, found->size());
  EXPECT_EQ("EMP002", (*found)[0].name);
  EXPECT_EQ("Emp004", (*found)[1].name);
  EXPECT_EQ(5u, (*found)[1].size);
  EXPECT_EQ("emp001", (*found)[2].name);
  EXPECT_TRUE((*found)[2].isDirectory);
  EXPECT_EQ(0u, (*found)[2].size);
}

TEST_F(WindowsHalfTest, RealPathKeepsTheMissingTailAsWritten) {
  const std::string real = realPath(folder()).valueOr("(none)");
  EXPECT_EQ(real + "\\new\\file.dat", realPath("sub\\..\\new\\.\\file.dat").valueOr("(none)"));
}

TEST_F(WindowsHalfTest, AModuleThatDoesNotLoadCannotBeFound) {
  writeText("PLTBAD.dll", "MZ not a module at all");
  ASSERT_TRUE(setEnvironmentValue("COB_LIBRARY_PATH", folder().c_str()).ok());
  int argument = 0;
  OutsideProgram broken("PLTBAD  ");
  Expected<int> called = broken.call(&argument);
  EXPECT_EQ(StatusCode::NotFound, called.status().code());
  EXPECT_NE(std::string::npos, called.status().message().find("does not load:"))
      << called.status().message();
  OutsideProgram missing("PLTNONE");
  EXPECT_NE(std::string::npos, missing.load().message().find("PLTNONE.dll was not found in"));
  EXPECT_FALSE(missing.isLoaded());
}

TEST_F(WindowsHalfTest, PrivateFolderLiesInTheUsersLocalApplicationData) {
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
  writeText("plain", "x");
  EXPECT_EQ(StatusCode::NotDirectory, preparePrivateDirectory("plain").code());
}

}  // namespace
}  // namespace dunax::platform

#endif  // _WIN32
