// Transfer-file segments: a new segment after every 1,000,000 records in "B", the announced
// segments read in order in "X", names that hold ".bi" themselves, the nine-segment limit, and
// a retry after a failure in a later segment. The big cases write about 1 GB, on the memory
// file system where there is one (the segment rules are the same on any disk, and a gigabyte
// flushed to a real disk takes seconds), and clean up.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "converter/run_parameter.h"
#include "converter/transfer_file.h"
#include "tests/converter/converter_test_support.h"

namespace dunax::testing {
namespace {

constexpr long kSegment = 1000000;

// A million calls are not logged: only the summary of each file is kept.
class SegmentsTest : public ConverterRunTest {
 protected:
  SegmentsTest() : ConverterRunTest(filesDirectory()) {}

  static std::string filesDirectory() {
    std::error_code ignored;
    return std::filesystem::is_directory("/dev/shm", ignored)
               ? std::string("/dev/shm")
               : std::filesystem::temp_directory_path().string();
  }
  RunResult convertBig(const std::string& parameter, std::vector<std::string> environment) {
    environment.push_back("RECTEST_LOG=");
    environment.push_back("SP2TEST_LOG=");
    return convert(parameter, environment);
  }
};

TEST_F(SegmentsTest, ExactlyOneMillionRecordsLeaveAnEmptySecondSegment) {
  RunResult result = convertBig(buildRunParameter({}), {"RECTEST_RECORDS=1000000"});
  ASSERT_EQ(result.exitCode, 1) << result.output;
  EXPECT_EQ(fileSize(path("dados.dat.bin")), kSegment * 1024);
  EXPECT_EQ(fileSize(path("dados.dat.bi1")), 0);

  RunParameterFields fields;
  fields.direction = 'X';
  fields.segments = "01";
  result = convertBig(buildRunParameter(fields), {"RECTEST_SUMMARY=" + path("summary")});
  ASSERT_EQ(result.exitCode, 0) << result.output;
  EXPECT_EQ(readFile(path("summary")), "reads 0 writes 1000000\n");
}

TEST_F(SegmentsTest, OneRecordMoreGoesToSegmentOneOfANameThatHoldsBi) {
  RunParameterFields fields;
  fields.dataFile = "dados.binario";
  RunResult result = convertBig(buildRunParameter(fields), {"RECTEST_RECORDS=1000001"});
  ASSERT_EQ(result.exitCode, 1) << result.output;
  EXPECT_EQ(fileSize(path("dados.binario.bin")), kSegment * 1024);
  EXPECT_EQ(readFile(path("dados.bi1ario.bin")), servedRecord(1000001));

  fields.direction = 'X';
  fields.segments = "01";
  result = convertBig(buildRunParameter(fields), {"RECTEST_SUMMARY=" + path("summary")});
  ASSERT_EQ(result.exitCode, 0) << result.output;
  EXPECT_EQ(readFile(path("summary")), "reads 0 writes 1000001\n");
}

TEST_F(SegmentsTest, RetryAfterAFailureInALaterSegmentStartsAgainAtSegmentZero) {
  RunParameterFields fields;
  fields.ask = 'S';
  // Calls: TST, ST, then one "RN " per record; call 1,000,012 is the read of record 1,000,010.
  RunResult result = convertBig(buildRunParameter(fields),
                             {"RECTEST_RECORDS=1000050", "RECTEST_STATUS=1000012:30",
                              "DUNAX_VRDMSG_ANSWERS=n"});
  ASSERT_EQ(result.exitCode, 1) << result.output;
  EXPECT_EQ(fileSize(path("dados.dat.bin")), kSegment * 1024);
  std::string tail;
  for (long i = kSegment + 1; i <= kSegment + 50; ++i) tail += servedRecord(i);
  EXPECT_EQ(readFile(path("dados.dat.bi1")), tail);
  ASSERT_EQ(boxCalls().size(), 1u);
}

TEST(TransferFileTest, NamesAndTheNineSegmentLimit) {
  TemporaryDirectory directory;
  std::string name = directory.path() + "/f";
  converter::RunParameter parameter =
      converter::runParameterFromText(std::string(30, ' ') + name);
  converter::TransferFile file;
  file.buildName(parameter);
  EXPECT_EQ(std::string(file.name(), name.size() + 4), name + ".bin");
  file.startOutputSegments();
  ASSERT_TRUE(file.openForOutput().ok());
  for (int segment = 1; segment <= 9; ++segment) {
    ASSERT_TRUE(file.switchToNextOutputSegment().ok()) << segment;
    EXPECT_TRUE(fileExists(name + ".bi" + std::to_string(segment) + ".dunax-part"));
    EXPECT_EQ(file.extraSegments(), segment);
  }
  platform::FileStatus limit = file.switchToNextOutputSegment();
  EXPECT_EQ(std::string(limit.code, 2), "34");
  file.close();
}

TEST(TransferFileTest, ANameWithNoBiInPositions1To46CannotSwitch) {
  TemporaryDirectory directory;
  std::string name = directory.path() + "/";
  name += std::string(46 - name.size() > 0 ? 46 - name.size() : 0, 'n');
  converter::RunParameter parameter =
      converter::runParameterFromText(std::string(30, ' ') + name);
  converter::TransferFile file;
  file.buildName(parameter);
  file.startOutputSegments();
  ASSERT_TRUE(file.openForOutput().ok());
  EXPECT_EQ(std::string(file.switchToNextOutputSegment().code, 2), "34");
  file.close();
}

}  // namespace
}  // namespace dunax::testing
