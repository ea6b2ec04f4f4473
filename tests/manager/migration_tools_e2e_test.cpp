// verify, --check, --shard and --clean-up end to end: dunaxconv with the real converter and
// RECSEQ, in a fresh directory, on fixed-length sequential data files of 80-byte records.
#include <gtest/gtest.h>
#include <sys/statvfs.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/file_lock.h"
#include "tests/support/test_support.h"

namespace dunax {
namespace {

namespace fs = std::filesystem;
namespace support = dunax::testing;
using support::RunResult;

constexpr std::size_t kRecordLength = 80;

class MigrationToolsTest : public ::testing::Test {
 protected:
  // A data file of count records, each its number in digits and a line feed.
  void writeDataFile(const std::string& name, int count) {
    std::string records;
    for (int number = 1; number <= count; ++number) {
      std::string record = std::to_string(number);
      record.resize(kRecordLength - 1, '.');
      records += record + "\n";
    }
    ASSERT_TRUE(support::writeFile(dir_.file(name), records));
  }

  RunResult dunaxconv(const std::vector<std::string>& arguments) {
    return support::runProgram(support::binDirectory() + "/dunaxconv", arguments, dir_.path(), {});
  }

  bool has(const RunResult& result, const std::string& text) {
    return result.output.find(text) != std::string::npos;
  }

  // Each of texts is in the run's output.
  void expectSays(const RunResult& result, std::initializer_list<std::string> texts) {
    for (const std::string& text : texts) {
      EXPECT_TRUE(has(result, text)) << text << "\n" << result.output;
    }
  }

  support::TemporaryDirectory dir_;
};

TEST_F(MigrationToolsTest, VerifySameDifferingRecordAndCounts) {
  writeDataFile("a.dat", 30);
  writeDataFile("b.dat", 10);
  RunResult result = dunaxconv({"--record-length", "80", "B", "RECSEQ", "a.dat", "b.dat"});
  ASSERT_EQ(result.exitCode, 0) << result.output;
  result = dunaxconv({"verify", "--record-length", "80", "RECSEQ", "a.dat", "b.dat"});
  EXPECT_EQ(result.exitCode, 0) << result.output;
  expectSays(result, {"a.dat: same (30 records)", "b.dat: same (10 records)"});

  {  // Record 7's byte at offset 3 changed, b.dat's transfer set one record short.
    std::fstream set(dir_.file("a.dat.bin"), std::ios::in | std::ios::out | std::ios::binary);
    set.seekp(6 * 1024 + 3);
    set.put('#');
  }
  fs::resize_file(dir_.file("b.dat.bin"), 9 * 1024);
  result = dunaxconv({"verify", "--record-length", "80", "RECSEQ", "a.dat", "b.dat"});
  EXPECT_EQ(result.exitCode, 1) << result.output;
  expectSays(result, {"a.dat: record 7 differs from its transfer record at byte offset 3",
                      "b.dat: the data file has 10 records, its transfer set 9 records"});

  // A file without a transfer set: refused before any file is read.
  writeDataFile("c.dat", 1);
  result = dunaxconv({"verify", "RECSEQ", "a.dat", "c.dat"});
  EXPECT_EQ(result.exitCode, 64) << result.output;
  expectSays(result, {"\"c.dat\" has no transfer set"});
  EXPECT_FALSE(has(result, "a.dat:")) << result.output;
}

TEST_F(MigrationToolsTest, VerifyReadsEverySegmentAndSaysWhyASideCannotBeRead) {
  // A set of three records written by hand: two in the first segment, one in the next.
  writeDataFile("s.dat", 3);
  const std::string data = support::readFile(dir_.file("s.dat"));
  std::string records[3];
  for (int at = 0; at < 3; ++at) {
    records[at] = data.substr(at * kRecordLength, kRecordLength);
    records[at].resize(1024, at == 1 ? '\0' : ' ');  // zeros pad as spaces do
  }
  ASSERT_TRUE(support::writeFile(dir_.file("s.dat.bin"), records[0] + records[1]));
  ASSERT_TRUE(support::writeFile(dir_.file("s.dat.bi1"), records[2]));
  // A set that ends in a partial record; a data file that is not whole records.
  writeDataFile("p.dat", 2);
  ASSERT_TRUE(support::writeFile(dir_.file("p.dat.bin"), records[0] + "partial"));
  ASSERT_TRUE(support::writeFile(dir_.file("r.dat"), data + "tail"));
  ASSERT_TRUE(support::writeFile(dir_.file("r.dat.bin"), records[0]));
  RunResult result =
      dunaxconv({"verify", "--record-length", "80", "RECSEQ", "s.dat", "p.dat", "r.dat"});
  EXPECT_EQ(result.exitCode, 1) << result.output;
  expectSays(result, {"s.dat: same (3 records)",
                      "p.dat: the transfer set cannot be read: p.dat.bin: record 2: "
                      "7 bytes left at the end",
                      "r.dat: the data file cannot be read: read: record 4: "});
}

TEST_F(MigrationToolsTest, CheckInDirectionXSeesTheSetsAndARunningConversion) {
  ASSERT_TRUE(support::writeFile(dir_.file("x.dat.bin"), std::string(3 * 1024, ' ')));
  ASSERT_TRUE(support::writeFile(dir_.file("x.dat.bi1"), std::string(1024, ' ')));
  platform::FileLock running;
  ASSERT_TRUE(running.acquire(dir_.file("x.dat.bin.dunax-lock")).ok());
  RunResult result =
      dunaxconv({"--check", "--record-length", "80", "X", "RECSEQ", "x.dat", "gone.dat"});
  EXPECT_EQ(result.exitCode, 64) << result.output;
  expectSays(result, {"\"x.dat\": a conversion of this file is running now",
                      "\"gone.dat\": its transfer set is not there"});
  // Four records of 80 bytes make the data file.
  expectSays(result, {"check: 2 files, 2 problems; 320 bytes needed"});
  running.release();
  result = dunaxconv({"--check", "--record-length", "80", "X", "RECSEQ", "x.dat"});
  EXPECT_EQ(result.exitCode, 0) << result.output;
  // A set that ends in part of a transfer record would give its file up.
  ASSERT_TRUE(support::writeFile(dir_.file("p.dat.bin"), std::string(1024 + 5, ' ')));
  result = dunaxconv({"--check", "--record-length", "80", "X", "RECSEQ", "p.dat"});
  EXPECT_EQ(result.exitCode, 64) << result.output;
  expectSays(result, {"not a whole number of transfer records: the last 5 bytes"});
}

TEST_F(MigrationToolsTest, CheckFindsALeftoverAndTooLittleRoom) {
  writeDataFile("a.dat", 30);
  RunResult result = dunaxconv({"--check", "--record-length", "80", "B", "RECSEQ", "a.dat"});
  EXPECT_EQ(result.exitCode, 0) << result.output;
  expectSays(result, {"check: 1 file, 0 problems; 30,720 bytes (30.7 KB) needed"});

  // A sparse data file whose transfer set is a tenth larger than the room on its file system.
  struct statvfs room {};
  ASSERT_EQ(statvfs(dir_.path().c_str(), &room), 0);
  const std::uintmax_t freeRecords = room.f_bavail * room.f_frsize / 1024;
  std::ofstream(dir_.file("huge.dat")).close();
  fs::resize_file(dir_.file("huge.dat"), (freeRecords + freeRecords / 10 + 1) * kRecordLength);
  ASSERT_TRUE(support::writeFile(dir_.file("a.dat.bin.dunax-part"), "xyz"));
  result = dunaxconv({"--check", "--record-length", "80", "B", "RECSEQ", "a.dat", "huge.dat"});
  EXPECT_EQ(result.exitCode, 64) << result.output;
  expectSays(result, {"a.dat.bin.dunax-part (3 bytes) is left by a killed run",
                      "free; the transfer sets of 2 files there need",
                      "check: 2 files, 2 problems"});
  EXPECT_FALSE(support::fileExists(dir_.file("a.dat.bin"))) << "--check converts nothing";
  // RECSEQ gives up a data file that ends in part of a record.
  ASSERT_TRUE(support::writeFile(dir_.file("odd.dat"), std::string(2 * 80 + 7, 'r')));
  result = dunaxconv({"--check", "--record-length", "80", "B", "RECSEQ", "odd.dat"});
  EXPECT_EQ(result.exitCode, 64) << result.output;
  expectSays(result, {"not a whole number of 80-byte records: the last 7 bytes"});
}

TEST_F(MigrationToolsTest, ShardRefusesBadValuesAndSplitsTheList) {
  for (const char* bad : {"0/3", "4/3", "3", "a/b"}) {
    RunResult result = dunaxconv({"--shard", bad, "B", "RECSEQ", "f1"});
    EXPECT_EQ(result.exitCode, 64) << bad << ": " << result.output;
    expectSays(result, {"--shard takes K/N"});
  }
  const std::vector<std::string> files = {"f1", "f2", "f3", "f4", "f5"};
  for (const std::string& file : files) writeDataFile(file, 2);
  std::vector<std::string> arguments = {"--shard", "2/2", "--record-length", "80", "B", "RECSEQ"};
  arguments.insert(arguments.end(), files.begin(), files.end());
  RunResult result = dunaxconv(arguments);
  EXPECT_EQ(result.exitCode, 0) << result.output;
  // The shard's own numbers: its second file is "2 of 2".
  expectSays(result, {"[1/2] f2: converted", "[2/2] f4: converted"});
  for (const std::string& file : files) {
    const bool inShard = file == "f2" || file == "f4";
    EXPECT_EQ(support::fileExists(dir_.file(file + ".bin")), inShard) << file;
  }
  // More machines than files: the last ones have nothing to do, and that is no failure.
  result = dunaxconv({"--shard", "3/3", "B", "RECSEQ", "f1", "f2"});
  EXPECT_EQ(result.exitCode, 0) << result.output;
  expectSays(result, {"shard 3/3 holds none of the files"});
}

TEST_F(MigrationToolsTest, CheckGoesOnPastAProgramThatCannotBeFound) {
  writeDataFile("a.dat", 1);
  ASSERT_TRUE(support::writeFile(dir_.file("a.dat.bi3.dunax-part"), "x"));
  RunResult result = dunaxconv({"--check", "B", "NOSUCHPG", "a.dat"});
  EXPECT_EQ(result.exitCode, 64) << result.output;
  expectSays(result, {"the record-access program NOSUCHPG cannot be found",
                      "a.dat.bi3.dunax-part (1 byte) is left by a killed run"});
}

TEST_F(MigrationToolsTest, CleanUpRefusesBadUsageBeforeRemovingAnything) {
  ASSERT_TRUE(support::writeFile(dir_.file("a.dat.bin.dunax-part"), "x"));
  const std::vector<std::vector<std::string>> bad = {
      {"--clean-up"}, {"--clean-up", "--jobs", "2", "."}, {"--clean-up", ".", "no-such-folder"}};
  for (const std::vector<std::string>& arguments : bad) {
    RunResult result = dunaxconv(arguments);
    EXPECT_EQ(result.exitCode, 64) << result.output;
    EXPECT_TRUE(support::fileExists(dir_.file("a.dat.bin.dunax-part"))) << result.output;
  }
  RunResult result = dunaxconv({"--clean-up", "--quiet", "."});
  EXPECT_EQ(result.exitCode, 0) << result.output;
  EXPECT_EQ(result.output, "dunaxconv: clean-up: 1 file removed, 1 byte freed; 0 left\n");
}

TEST_F(MigrationToolsTest, CleanUpLeavesAHeldLockAndAnUnfinishedPublish) {
  for (const char* name : {"a.dat.bin.dunax-part", "a.dat.bi1.dunax-part", "b.dat.bin.dunax-part",
                           "c.dat.bin.dunax-part", "c.dat.bin.dunax-journal"}) {
    ASSERT_TRUE(support::writeFile(dir_.file(name), "12345"));
  }
  platform::FileLock running;  // a conversion of b.dat that is going on
  ASSERT_TRUE(running.acquire(dir_.file("b.dat.bin.dunax-lock")).ok());
  RunResult result = dunaxconv({"--clean-up", dir_.path()});
  EXPECT_EQ(result.exitCode, 1) << result.output;
  EXPECT_FALSE(support::fileExists(dir_.file("a.dat.bin.dunax-part")));
  EXPECT_FALSE(support::fileExists(dir_.file("a.dat.bi1.dunax-part")));
  EXPECT_TRUE(support::fileExists(dir_.file("b.dat.bin.dunax-part")));
  EXPECT_TRUE(support::fileExists(dir_.file("c.dat.bin.dunax-part")));
  EXPECT_TRUE(support::fileExists(dir_.file("c.dat.bin.dunax-journal")));
  expectSays(result, {"a conversion of b.dat is running",
                      "convert c.dat again",
                      "2 files removed, 10 bytes freed; 3 left"});

  running.release();
  result = dunaxconv({"--clean-up", dir_.path()});
  EXPECT_EQ(result.exitCode, 1) << result.output;  // the journal's set still stays
  EXPECT_FALSE(support::fileExists(dir_.file("b.dat.bin.dunax-part")));
  expectSays(result, {"1 file removed, 5 bytes freed; 2 left"});
}

}  // namespace
}  // namespace dunax
