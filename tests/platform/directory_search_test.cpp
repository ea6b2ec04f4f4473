// The directory search: wildcard matching and FAT packing (portable), the search and the
// look-up of one entry on each host (on Windows without regard to case).
#include <vector>

#include "platform/directory_search.h"
#include "tests/platform/platform_test.h"

namespace dunax::platform {
namespace {

// Star and question mark; "*.*" also matches a name without a dot.
TEST(Wildcard, StarQuestionMarkAndStarDotStar) {
  const struct {
    const char* pattern;
    const char* name;
    bool matches;
  } cases[] = {
      {"EMP???", "EMP001", true},     {"EMP???", "EMP01", false},
      {"EMP???", "EMP0012", false},   {"EMP???", "emp001", false},
      {"*.DAT", "CLIENTES.DAT", true}, {"*.DAT", "CLIENTES.DATA", false},
      {"A*B*C", "AxxBxxBxC", true},   {"A*B*C", "AxxBxxBx", false},
      {"*", "", true},                {"?", "", false},
      {"*.*", "CLIENTES", true},      {"*.*", "CLIENTES.IDX", true},
      {"*.*", ".", true},             {"*.*", "..", true},
      {"F*.*", "FILE", true},         {"F*.*", "GILE", false},
  };
  for (const auto& test : cases) {
    EXPECT_EQ(matchesWildcard(test.pattern, test.name), test.matches)
        << test.pattern << " " << test.name;
  }
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

class DirectorySearchTest : public testing::InFreshDirectory {};

// The entries found, each as "name size" and " (directory)" for a directory.
std::vector<std::string> listed(const std::vector<DirectoryEntry>& entries) {
  std::vector<std::string> lines;
  for (const DirectoryEntry& entry : entries) {
    lines.push_back(entry.name + " " + std::to_string(entry.size) +
                    (entry.isDirectory ? " (directory)" : ""));
  }
  return lines;
}

#ifndef _WIN32
TEST_F(DirectorySearchTest, SearchListsMatchesSortedWithSizesAndDirectoriesAtZero) {
  writeFile("D/B.DAT", "12345");
  writeFile("D/A.DAT", "1");
  writeFile("D/C.TXT", "1");
  fs::create_directory("D/SUB.DAT");
  Expected<std::vector<DirectoryEntry>> found = searchDirectory("D\\*.DAT");
  ASSERT_TRUE(found.ok());
  EXPECT_EQ(listed(*found),
            (std::vector<std::string>{"A.DAT 1", "B.DAT 5", "SUB.DAT 0 (directory)"}));
}

TEST_F(DirectorySearchTest, SearchOfAMissingDirectoryOrABadPatternFails) {
  EXPECT_EQ(StatusCode::NotFound, searchDirectory("NONE\\*.*").status().code());
  EXPECT_EQ(StatusCode::InvalidName, searchDirectory("").status().code());
  EXPECT_EQ(StatusCode::InvalidName,
            searchDirectory(std::string_view("A\0*", 3)).status().code());
  fs::create_directory("E");
  Expected<std::vector<DirectoryEntry>> none = searchDirectory("E\\X*");
  ASSERT_TRUE(none.ok());
  EXPECT_TRUE(none->empty());
}

TEST_F(DirectorySearchTest, LookUpGivesTheLastPartAndTheDate) {
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
#else
TEST_F(DirectorySearchTest, SearchMatchesWithoutRegardToCase) {
  fs::create_directory("emp001");
  fs::create_directory("EMP002");
  writeFile("emp003.x", "12345");
  writeFile("Emp004", "12345");
  Expected<std::vector<DirectoryEntry>> found = searchDirectory("EMP???");
  ASSERT_TRUE(found.ok()) << found.status().message();
  EXPECT_EQ(listed(*found),
            (std::vector<std::string>{"EMP002 0 (directory)", "Emp004 5", "emp001 0 (directory)"}));
}
#endif

}  // namespace
}  // namespace dunax::platform
