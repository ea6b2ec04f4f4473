// The digest of files: SHA-256 of several files read as one stream, their bytes, a file's size,
// and the line file that the report is written through. Portable: it runs on every system.
#include "platform/digest.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/line_file.h"

namespace dunax::platform {
namespace {

namespace fs = std::filesystem;

class DigestTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("dunax-digest-" + std::to_string(reinterpret_cast<std::uintptr_t>(this)));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string write(const std::string& name, const std::string& bytes) {
    std::ofstream(dir_ / name, std::ios::binary) << bytes;
    return (dir_ / name).string();
  }
  fs::path dir_;
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
  EXPECT_EQ(*fileSize((dir_ / "big").string()), large.size());
  EXPECT_FALSE(digestFiles({(dir_ / "missing").string()}));
  EXPECT_FALSE(fileSize((dir_ / "missing").string()));
}

TEST_F(DigestTest, LineFileEmptiesThenWritesWholeLines) {
  const std::string name = write("report.jsonl", "old text that goes\n");
  LineFile file;
  ASSERT_TRUE(file.open(name).ok());
  ASSERT_TRUE(file.writeLine("{\"a\":1}").ok());
  // Each line is on the file as soon as it is written, before the close.
  std::ifstream early(name, std::ios::binary);
  std::stringstream text;
  text << early.rdbuf();
  EXPECT_EQ(text.str(), "{\"a\":1}\n");
  file.close();
  EXPECT_FALSE(file.writeLine("after").ok());
  EXPECT_FALSE(LineFile().open((dir_ / "no" / "folder").string()).ok());
}

}  // namespace
}  // namespace dunax::platform
