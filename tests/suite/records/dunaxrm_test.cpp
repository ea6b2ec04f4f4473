// Tests of dunaxrm, the RM/COBOL-side stand-in: it copies transfer files record for record,
// byte for byte with no record headers, reads segments in order and fails on a bad FILE STATUS.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/child_process.h"
#include "record_access_driver.h"

namespace dunax::records {
namespace {

using testing::buildDirectory;
using testing::makeRecord;
using testing::readWholeFile;
using testing::TemporaryDirectory;
using testing::writeWholeFile;

// Runs dunaxrm with arguments; returns its exit code, or -1 when it did not exit normally.
int runDunaxrm(const std::vector<std::string>& arguments) {
  std::vector<std::string> all = {"dunaxrm"};
  all.insert(all.end(), arguments.begin(), arguments.end());
  platform::Expected<platform::ChildProcess> child =
      platform::startChildProcess(buildDirectory() + "/bin/dunaxrm", all);
  if (!child) {
    ADD_FAILURE() << "dunaxrm did not start: " << child.status().message();
    return -1;
  }
  platform::Expected<platform::ChildEnd> end = platform::waitForChild(*child);
  return end && end->exited ? end->exitCode : -1;
}

std::string transferRecords(std::size_t first, std::size_t count) {
  std::string bytes;
  for (std::size_t i = first; i < first + count; ++i) bytes += makeRecord(i, 1024);
  return bytes;
}

class Dunaxrm : public ::testing::Test {
 protected:
  TemporaryDirectory dir;
};

TEST_F(Dunaxrm, CopiesATransferFileByteForByteWithoutHeaders) {
  const std::string in = dir.file("clientes.dat.bin");
  const std::string out = dir.file("volta.bin");
  writeWholeFile(in, transferRecords(0, 1500));
  ASSERT_EQ(runDunaxrm({in, out}), 0);
  std::string copied = readWholeFile(out);
  EXPECT_EQ(copied.size(), 1500u * 1024u);
  EXPECT_EQ(copied, readWholeFile(in));
}

TEST_F(Dunaxrm, EmptyTransferFileGivesAnEmptyOne) {
  const std::string in = dir.file("vazio.dat.bin");
  const std::string out = dir.file("volta.bin");
  writeWholeFile(in, "");
  ASSERT_EQ(runDunaxrm({in, out}), 0);
  ASSERT_TRUE(std::filesystem::exists(out));
  EXPECT_EQ(std::filesystem::file_size(out), 0u);
}

TEST_F(Dunaxrm, ExistingOutputIsReplaced) {
  const std::string in = dir.file("a.bin");
  const std::string out = dir.file("b.bin");
  writeWholeFile(in, transferRecords(7, 1));
  writeWholeFile(out, transferRecords(0, 5));
  ASSERT_EQ(runDunaxrm({in, out}), 0);
  EXPECT_EQ(readWholeFile(out), transferRecords(7, 1));
}

TEST_F(Dunaxrm, ReadsTheSegmentsInOrder) {
  const std::string in = dir.file("grande.dat.bin");
  writeWholeFile(in, transferRecords(0, 3));
  writeWholeFile(dir.file("grande.dat.bi1"), transferRecords(3, 2));
  writeWholeFile(dir.file("grande.dat.bi2"), "");
  writeWholeFile(dir.file("grande.dat.bi3"), transferRecords(5, 1));
  const std::string out = dir.file("volta.bin");
  ASSERT_EQ(runDunaxrm({in, out, "3"}), 0);
  EXPECT_EQ(readWholeFile(out), transferRecords(0, 6));
}

TEST_F(Dunaxrm, SegmentsAreNumberedAfterTheFirstBi) {
  const std::string in = dir.file("dados.binario.bin");
  writeWholeFile(in, transferRecords(0, 1));
  writeWholeFile(dir.file("dados.bi1ario.bin"), transferRecords(1, 1));
  const std::string out = dir.file("volta.bin");
  ASSERT_EQ(runDunaxrm({in, out, "1"}), 0);
  EXPECT_EQ(readWholeFile(out), transferRecords(0, 2));
}

TEST_F(Dunaxrm, ZeroExtraSegmentsReadsOnlyTheFirst) {
  const std::string in = dir.file("so.dat.bin");
  writeWholeFile(in, transferRecords(0, 2));
  writeWholeFile(dir.file("so.dat.bi1"), transferRecords(2, 2));
  const std::string out = dir.file("volta.bin");
  ASSERT_EQ(runDunaxrm({in, out, "0"}), 0);
  EXPECT_EQ(readWholeFile(out), transferRecords(0, 2));
}

TEST_F(Dunaxrm, MissingSegmentFails) {
  const std::string in = dir.file("falta.dat.bin");
  writeWholeFile(in, transferRecords(0, 2));
  EXPECT_EQ(runDunaxrm({in, dir.file("volta.bin"), "1"}), 8);
}

TEST_F(Dunaxrm, SegmentsWithoutBiInTheNameAreABadCommandLine) {
  const std::string in = dir.file("semext");
  writeWholeFile(in, transferRecords(0, 1));
  EXPECT_EQ(runDunaxrm({in, dir.file("volta.bin"), "1"}), 4);
}

TEST_F(Dunaxrm, MissingInputFails) {
  EXPECT_EQ(runDunaxrm({dir.file("nao-existe.bin"), dir.file("volta.bin")}), 8);
}

TEST_F(Dunaxrm, TrailingPartialRecordFails) {
  const std::string in = dir.file("partido.bin");
  writeWholeFile(in, transferRecords(0, 2) + std::string(100, 'x'));
  EXPECT_EQ(runDunaxrm({in, dir.file("volta.bin")}), 8);
}

TEST_F(Dunaxrm, UnwritableOutputFails) {
  const std::string in = dir.file("a.bin");
  writeWholeFile(in, transferRecords(0, 1));
  EXPECT_EQ(runDunaxrm({in, dir.file("nao-ha/volta.bin")}), 8);
}

TEST_F(Dunaxrm, BadCommandLinesExitWith4) {
  EXPECT_EQ(runDunaxrm({}), 4);
  EXPECT_EQ(runDunaxrm({dir.file("a.bin")}), 4);
  EXPECT_EQ(runDunaxrm({dir.file("a.bin"), dir.file("b.bin"), "x"}), 4);
  EXPECT_EQ(runDunaxrm({dir.file("a.bin"), dir.file("b.bin"), "12"}), 4);
  EXPECT_EQ(runDunaxrm({dir.file("a.bin"), dir.file("b.bin"), "1", "extra"}), 4);
  EXPECT_FALSE(std::filesystem::exists(dir.file("b.bin")));
}

}  // namespace
}  // namespace dunax::records
