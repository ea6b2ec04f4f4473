// Calling outside programs by name: the search order, the entry point, release, every way of
// "cannot be found", and GnuCOBOL modules with their run-time.
#include <csignal>
#include <cstdlib>
#include <cstring>

#include "platform/process.h"
#include "platform/program_call.h"
#include "tests/platform/platform_test.h"

namespace dunax::platform {
namespace {

std::string testModules() { return testing::buildDirectory() + "/tests/platform/modules"; }

class ProgramCallTest : public ::testing::Test {
 protected:
  void SetUp() override { testing::setVariable("COB_LIBRARY_PATH", testModules().c_str()); }
};

TEST_F(ProgramCallTest, CallsTheEntryPointWithArgumentsByReference) {
  OutsideProgram program("PLTECHO ");
  int count = 0;
  int unused = 0;
  Expected<int> result = program.call(&count, &unused);
  ASSERT_TRUE(result.ok());
  EXPECT_EQ(*result, 41);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(program.call(&count, &unused).valueOr(-1), 42);  // stays loaded between calls
}

TEST_F(ProgramCallTest, ReleaseUnloadsSoTheNextCallStartsAfresh) {
  OutsideProgram program("PLTECHO");
  int count = 0;
  ASSERT_TRUE(program.call(&count, &count).ok());
  ASSERT_TRUE(program.call(&count, &count).ok());
  program.release();
  EXPECT_FALSE(program.isLoaded());
  ASSERT_TRUE(program.call(&count, &count).ok());
  EXPECT_EQ(count, 1);
}

TEST_F(ProgramCallTest, LowerCaseFileAndEntryPointAreTheFallBack) {
  OutsideProgram program("PLTLOW  ");
  char area[8] = {};
  Expected<int> result = program.call(area);
  ASSERT_TRUE(result.ok()) << result.status().message();
  EXPECT_EQ(*result, 7);
  EXPECT_STREQ(area, "lower");
}

TEST_F(ProgramCallTest, EveryWayOfCannotBeFound) {
  TemporaryDirectory directory;
  ASSERT_TRUE(testing::writeFile(directory.file(std::string("BROKEN") + testing::kModuleSuffix),
                                 "not a shared object"));
  ASSERT_TRUE(std::filesystem::copy_file(
      testModules() + "/PLTECHO" + testing::kModuleSuffix,
      directory.file(std::string("NOENTRY") + testing::kModuleSuffix)));
  testing::setVariable("COB_LIBRARY_PATH", directory.path().c_str());
  int area = 0;
  for (const char* name : {"MISSING", "BROKEN", "NOENTRY", "../x", "", "A/B"}) {
    OutsideProgram program(name);
    Expected<int> result = program.call(&area);
    EXPECT_EQ(result.status().code(), StatusCode::NotFound) << name;
    EXPECT_FALSE(result.status().message().empty()) << name;
    EXPECT_FALSE(program.isLoaded());
  }
  OutsideProgram missing("MISSING");
  EXPECT_NE(missing.load().message().find(directory.path()), std::string::npos);
}

TEST_F(ProgramCallTest, SearchesThePathInOrder) {
  int area = 0;
  std::string second = testModules() + "/second";
  testing::setVariable("COB_LIBRARY_PATH", testing::libraryPath({second, testModules()}).c_str());
  OutsideProgram program("PLTECHO");
  EXPECT_EQ(program.call(&area, &area).valueOr(-1), 99);
  program.release();
  testing::setVariable("COB_LIBRARY_PATH", testing::libraryPath({testModules(), second}).c_str());
  EXPECT_EQ(program.call(&area, &area).valueOr(-1), 41);
}

TEST_F(ProgramCallTest, FindsTheModulesBesideTheRunningProgram) {
  // The test program lies in build/tests: ../lib/dunax is the build's module directory.
  testing::setVariable("COB_LIBRARY_PATH", nullptr);
  OutsideProgram program("RECSEQ");
  Status loaded = program.load();
  EXPECT_TRUE(loaded.ok()) << loaded.message();
  // The file found ends as this host ends a module's name, the suffix a refusal names.
  const std::string path = findModule("RECSEQ", testing::binDirectory()).path;
  EXPECT_TRUE(path.ends_with(moduleFileSuffix())) << path;
}

// A program started in another folder must find the same modules: relative folders of the
// search path go under the folder it was given in, the others stay as they are.
TEST(ModuleSearchPathTest, RelativeFoldersGoUnderTheBase) {
  const struct {
    const char* list;
    const char* expected;
  } kCases[] = {
#ifdef _WIN32
      {"mine;C:\\shared;\\\\server\\x;;lib",
       "D:\\work\\mine;C:\\shared;\\\\server\\x;;D:\\work\\lib"},
      {"Z:/tmp/m", "Z:/tmp/m"},
#else
      {"mine:/shared::lib", "/work/mine:/shared::/work/lib"},
      {"C:x", "/work/C:/work/x"},  // ":" separates folders here
#endif
      {"", ""},
  };
#ifdef _WIN32
  const std::string base = "D:\\work";
#else
  const std::string base = "/work";
#endif
  for (const auto& c : kCases) {
    EXPECT_EQ(moduleSearchPathUnder(c.list, base), c.expected) << c.list;
  }
}

#ifndef _WIN32  // GnuCOBOL modules and signal handlers: POSIX hosts only
void recordSignal(int) {}

TEST_F(ProgramCallTest, CobolModuleIsCalledAndTheProcessKeepsItsSignalHandlers) {
  if (!testing::fileExists(testModules() + "/PLTCOB.so")) GTEST_SKIP() << "no GnuCOBOL";
  struct sigaction own = {};
  own.sa_handler = recordSignal;
  sigaction(SIGINT, &own, nullptr);
  OutsideProgram program("PLTCOB");
  char area[11] = "abcdefgh  ";
  Expected<int> result = program.call(area);
  ASSERT_TRUE(result.ok()) << result.status().message();
  EXPECT_STREQ(area, "ABCDEFGH01");
  ASSERT_TRUE(program.call(area).ok());
  EXPECT_STREQ(area, "ABCDEFGH02");
  struct sigaction now = {};
  sigaction(SIGINT, nullptr, &now);
  EXPECT_EQ(now.sa_handler, recordSignal);
  program.release();
  std::memcpy(area, "xyz       ", 10);
  ASSERT_TRUE(program.call(area).ok());
  EXPECT_STREQ(area, "XYZ     01");  // released: the next call loaded it afresh
  program.release();
  shutDownCobolRuntime();
}
#endif

#ifdef _WIN32
class ProgramCallInFolderTest : public testing::InFreshDirectory {};

TEST_F(ProgramCallInFolderTest, AModuleThatDoesNotLoadCannotBeFound) {
  testing::writeFile("PLTBAD.dll", "MZ not a module at all");
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
#endif

}  // namespace
}  // namespace dunax::platform
