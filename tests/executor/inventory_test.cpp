// The inventory listing of the verb "DIR  " on a real tree: the lines written, the reply, the
// limits of the walk and the "tmp" check.
#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "executor/commands.h"
#include "executor/inventory.h"
#include "requests.h"

namespace dunax::executor {
namespace {

using testing::argument1Of;
using testing::makeJob;
using testing::padded;
using testing::readFile;
using testing::ScopedVariable;
using testing::writeFile;
namespace fs = std::filesystem;

class Inventory : public testing::TempDirectoryTest {
 protected:
  Job list(const std::string& listing = "LIST.TXT") {
    Job job = makeJob("DIR  ", listing);
    dispatchVerb(job);
    return job;
  }
  static std::vector<std::string> linesOf(const fs::path& path) {
    std::vector<std::string> lines;
    std::istringstream in(readFile(path));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  static bool has(const std::vector<std::string>& lines, const std::string& line) {
    for (const std::string& l : lines) {
      if (l == line) return true;
    }
    return false;
  }
};

TEST_F(Inventory, CommonFilesWithoutExtension) {
  writeFile("COMUNS/CLIENTES", std::string(1234, 'x'));
  writeFile("COMUNS/CLIENTES.IDX", std::string(10, 'x'));
  writeFile("COMUNS/VAZIO", "");
  fs::create_directories("COMUNS/SUB");
  writeFile("COMUNS/SUB/DEEP", "x");
  Job job = list();
  EXPECT_FALSE(job.failed());
  std::vector<std::string> lines = linesOf("LIST.TXT");
  ASSERT_EQ(1u, lines.size());
  EXPECT_EQ("0000000000001234COMUNS\\CLIENTES", lines[0]);
  EXPECT_EQ("0000000000000001", argument1Of(job).substr(0, 16));
  EXPECT_EQ("0000000000001234", argument1Of(job).substr(56, 16));
}

TEST_F(Inventory, DotWithinTheFirstTenCharacters) {
  writeFile("COMUNS/ABCDEFGHIJ.DAT", "12");
  writeFile("COMUNS/ABCDEFGHI.DAT", "12");
  list();
  std::vector<std::string> lines = linesOf("LIST.TXT");
  ASSERT_EQ(1u, lines.size());
  EXPECT_EQ("0000000000000002COMUNS\\ABCDEFGHIJ.DAT", lines[0]);
}

TEST_F(Inventory, NoDataFilesGivesSixteenZeros) {
  Job job = list();
  EXPECT_FALSE(job.failed());
  EXPECT_TRUE(fs::is_directory("tmp"));
  EXPECT_TRUE(fs::exists("LIST.TXT"));
  EXPECT_TRUE(readFile("LIST.TXT").empty());
  const std::string reply = argument1Of(job);
  EXPECT_EQ(std::string(16, '0'), reply.substr(0, 16));
  EXPECT_EQ(std::string(16, '0'), reply.substr(56, 16));
  EXPECT_EQ(std::string(26, ' '), reply.substr(30, 26));
  EXPECT_EQ(std::string(8, ' '), reply.substr(72, 8));
  const std::string year = reply.substr(20, 4);
  EXPECT_NE("0000", year);
  for (char c : reply.substr(16, 14)) EXPECT_TRUE(c >= '0' && c <= '9');
}

TEST_F(Inventory, CompanyLevelsWithWholeNames) {
  writeFile("EMP001/TOP", "1");
  writeFile("EMP001/2021/JAN", "22");
  writeFile("EMP001/BACKUP/OLD", "333");
  writeFile("EMP001/BACK/OTHER", "4444");
  writeFile("EMP001/A/B/C/L4", "55555");
  writeFile("EMP001/A/B/C/D/TOO.DEEP/X", "6");
  writeFile("EMP001/A/B/C/D/DEEP", "6");
  writeFile("EMP001/.hidden/H", "7");
  writeFile("EMP01/NOT", "8");
  writeFile("EMP0012/NOT", "8");
  Job job = list();
  EXPECT_FALSE(job.failed());
  std::vector<std::string> lines = linesOf("LIST.TXT");
  EXPECT_TRUE(has(lines, "0000000000000001EMP001\\TOP"));
  EXPECT_TRUE(has(lines, "0000000000000002EMP001\\2021\\JAN"));
  EXPECT_TRUE(has(lines, "0000000000000003EMP001\\BACKUP\\OLD"));
  EXPECT_TRUE(has(lines, "0000000000000004EMP001\\BACK\\OTHER"));
  EXPECT_TRUE(has(lines, "0000000000000005EMP001\\A\\B\\C\\L4"));
  EXPECT_FALSE(has(lines, "0000000000000006EMP001\\A\\B\\C\\D\\DEEP"));  // a fifth level
  EXPECT_EQ(5u, lines.size());
  EXPECT_EQ("0000000000000005", argument1Of(job).substr(0, 16));
  EXPECT_EQ("0000000000000015", argument1Of(job).substr(56, 16));
}

TEST_F(Inventory, NamesAreUtf8OnDiskAndWindows1252InTheListing) {
  ScopedVariable locale("LC_ALL", "pt_BR.UTF-8");
  Job made = makeJob("MKDIR", "EMP001\\A\xE7\xE3o");  // "Ação" in the request
  dispatchVerb(made);
  EXPECT_FALSE(made.failed());
  ASSERT_TRUE(fs::is_directory("EMP001/A\xC3\xA7\xC3\xA3o"));
  writeFile("EMP001/A\xC3\xA7\xC3\xA3o/\xE2\x82\xAC", "1");  // "€"
  writeFile("EMP001/\xE4\xB8\xAD", "22");                   // no Windows-1252 form
  list();
  EXPECT_EQ(std::vector<std::string>{"0000000000000001EMP001\\A\xE7\xE3o\\\x80"},
            linesOf("LIST.TXT"));
}

TEST_F(Inventory, CommonFilesComeFirst) {
  writeFile("EMP001/F", "1");
  writeFile("COMUNS/G", "1");
  list();
  std::vector<std::string> lines = linesOf("LIST.TXT");
  ASSERT_EQ(2u, lines.size());
  EXPECT_EQ("0000000000000001COMUNS\\G", lines[0]);
  EXPECT_EQ("0000000000000001EMP001\\F", lines[1]);
}

TEST_F(Inventory, AFileAmongTheCompanyDirectoriesIsPassedOver) {
  writeFile("EMP001/F", "1");
  writeFile("EMP002/G", "1");
  writeFile("EMP0015", "x");
  writeFile("EMP001X", "x");
  list();
  std::vector<std::string> lines = linesOf("LIST.TXT");
  EXPECT_TRUE(has(lines, "0000000000000001EMP001\\F"));
  EXPECT_TRUE(has(lines, "0000000000000001EMP002\\G"));
  EXPECT_EQ(2u, lines.size());
}

TEST_F(Inventory, ExtraSubdirectoriesAreNotDescendedButFilesAreListed) {
  for (int i = 0; i < 21; ++i) {
    char name[8];
    std::snprintf(name, sizeof name, "S%02d", i);
    writeFile(fs::path("EMP001") / name / "F", "1");
  }
  writeFile("EMP001/ZZZ", "22");  // after the 21st subdirectory in name order
  list();
  std::vector<std::string> lines = linesOf("LIST.TXT");
  EXPECT_TRUE(has(lines, "0000000000000001EMP001\\S19\\F"));
  EXPECT_FALSE(has(lines, "0000000000000001EMP001\\S20\\F"));
  EXPECT_TRUE(has(lines, "0000000000000002EMP001\\ZZZ"));
  EXPECT_EQ(21u, lines.size());
}

TEST_F(Inventory, ThirtySubdirectoriesAtLevelsThreeAndFour) {
  for (int i = 0; i < 31; ++i) {
    char name[8];
    std::snprintf(name, sizeof name, "T%02d", i);
    writeFile(fs::path("EMP001/A") / name / "F", "1");
    writeFile(fs::path("EMP001/A/B") / name / "G", "1");
  }
  list();
  std::vector<std::string> lines = linesOf("LIST.TXT");
  // Below A the table holds B and T00 to T28; below A\B it holds T00 to T29.
  EXPECT_TRUE(has(lines, "0000000000000001EMP001\\A\\T28\\F"));
  EXPECT_FALSE(has(lines, "0000000000000001EMP001\\A\\T29\\F"));
  EXPECT_TRUE(has(lines, "0000000000000001EMP001\\A\\B\\T29\\G"));
  EXPECT_FALSE(has(lines, "0000000000000001EMP001\\A\\B\\T30\\G"));
  EXPECT_EQ(29u + 30u, lines.size());
}

TEST_F(Inventory, FiveHundredCompanyDirectories) {
  for (int i = 0; i < 501; ++i) {
    char name[8];
    std::snprintf(name, sizeof name, "EMP%03d", i);
    writeFile(fs::path(name) / "F", "1");
  }
  Job job = list();
  EXPECT_EQ("0000000000000500", argument1Of(job).substr(0, 16));
  EXPECT_FALSE(has(linesOf("LIST.TXT"), "0000000000000001EMP500\\F"));
}

TEST_F(Inventory, LongPathsAreCutAtTheEndOfTheRecord) {
  const std::string d2(40, 'B');
  const std::string name(30, 'C');
  writeFile(fs::path("EMP001") / d2 / name, "1");
  list();
  std::vector<std::string> lines = linesOf("LIST.TXT");
  ASSERT_EQ(1u, lines.size());
  EXPECT_EQ(("0000000000000001EMP001\\" + d2 + "\\" + name).substr(0, 80), lines[0]);
}

TEST_F(Inventory, AFileNamedTmpInTheWayWritesNothing) {
  writeFile("tmp", "x");
  writeFile("COMUNS/F", "1");
  Job job = list();
  EXPECT_TRUE(job.failed());
  EXPECT_FALSE(fs::exists("LIST.TXT"));
}

TEST_F(Inventory, AnEmptyFileNamedTmpInTheWayWritesNothing) {
  writeFile("tmp", "");
  Job job = list();
  EXPECT_TRUE(job.failed());
  EXPECT_FALSE(fs::exists("LIST.TXT"));
}

TEST_F(Inventory, AListingThatCannotBeOpenedIsAnError) {
  writeFile("COMUNS/F", "1");
  Job job = list("NODIR\\LIST.TXT");
  EXPECT_TRUE(job.failed());
  EXPECT_EQ(std::string(16, '0'), argument1Of(job).substr(0, 16));
}

TEST_F(Inventory, AListingThatCannotBeWrittenIsAnError) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  writeFile("COMUNS/F", "1");
  Job job = list("\\dev\\full");
  EXPECT_TRUE(job.failed());
}

TEST_F(Inventory, TheListingIsReplaced) {
  writeFile("LIST.TXT", "old contents that are long\nand two lines\n");
  writeFile("COMUNS/F", "1");
  list();
  EXPECT_EQ("0000000000000001COMUNS\\F\n", readFile("LIST.TXT"));
}

TEST(DataFileName, DotAmongTheFirstTen) {
  EXPECT_TRUE(isDataFileName("CLIENTES", 8));
  EXPECT_FALSE(isDataFileName("CLIENTES.IDX", 12));
  EXPECT_TRUE(isDataFileName("ABCDEFGHIJ.DAT", 14));
  EXPECT_FALSE(isDataFileName("ABCDEFGHI.DAT", 13));
  EXPECT_FALSE(isDataFileName(".X", 2));
}

}  // namespace
}  // namespace dunax::executor
