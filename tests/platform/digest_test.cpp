// The digest of files: SHA-256 of several files read as one stream, their bytes, a file's size,
// and the line file that the report is written through. Portable: it runs on every system.
#include "platform/digest.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/line_file.h"
#include "tests/support/test_support.h"

namespace dunax::platform {
namespace {

class DigestTest : public ::testing::Test {
 protected:
  std::string write(const std::string& name, const std::string& bytes) {
    EXPECT_TRUE(testing::writeFile(dir_.file(name), bytes));
    return dir_.file(name);
  }
  testing::TemporaryDirectory dir_;
};

TEST_F(DigestTest, FilesJoinedAreOneStream) {
  // The standard's own example, "abc", whole and split over two files and an empty one.
  const char kAbc[] = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
  Expected<FilesDigest> whole = digestFiles({write("abc", "abc")});
  ASSERT_TRUE(whole) << whole.status().message();
  EXPECT_EQ(whole->sha256, kAbc);
  EXPECT_EQ(whole->bytes, 3u);
  Expected<FilesDigest> split = digestFiles({write("a", "a"), write("e", ""), write("bc", "bc")});
  ASSERT_TRUE(split);
  EXPECT_EQ(split->sha256, kAbc);
  // More than one block of reading.
  const std::string large(3 * 1024 * 1024 + 5, 'x');
  Expected<FilesDigest> big = digestFiles({write("big", large)});
  ASSERT_TRUE(big);
  EXPECT_EQ(big->bytes, large.size());
  EXPECT_EQ(*fileSize(dir_.file("big")), large.size());
  EXPECT_FALSE(digestFiles({dir_.file("missing")}));
  EXPECT_FALSE(fileSize(dir_.file("missing")));
}

TEST_F(DigestTest, LineFileEmptiesThenWritesWholeLines) {
  const std::string name = write("report.jsonl", "old text that goes\n");
  LineFile file;
  ASSERT_TRUE(file.open(name).ok());
  ASSERT_TRUE(file.writeLine("{\"a\":1}").ok());
  // Each line is on the file as soon as it is written, before the close.
  EXPECT_EQ(testing::readFile(name), "{\"a\":1}\n");
  file.close();
  EXPECT_FALSE(file.writeLine("after").ok());
  EXPECT_FALSE(LineFile().open(dir_.file("no/folder")).ok());
}

}  // namespace
}  // namespace dunax::platform
