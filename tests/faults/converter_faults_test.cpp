// Faults that really happen around the converter: a disk that is full (/dev/full), transfer
// files that cannot be read or end early, in any segment, record-access modules that are not
// modules or lack their entry point, and a run killed in the middle of direction "B". Each
// ends in a defined exit code, never a success for records that did not arrive.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/converter/converter_test_support.h"

namespace dunax::testing {
namespace {

std::string transferRecords(long first, long last) {
  std::string out;
  for (long i = first; i <= last; ++i) out += servedRecord(i);
  return out;
}

bool isSuccess(int exitCode) { return exitCode >= 0 && exitCode <= 9; }

class ConverterFaultTest : public ConverterRunTest {
 protected:
  RunParameterFields exportFields() const {
    RunParameterFields fields;
    fields.ask = 'S';
    return fields;
  }
  RunParameterFields importFields(const std::string& segments = "00") const {
    RunParameterFields fields;
    fields.direction = 'X';
    fields.ask = 'S';
    fields.segments = segments;
    return fields;
  }
  // The transfer-file error dialog was asked once, with this status.
  void expectTransferFileError(const std::string& status) {
    std::vector<BoxCall> calls = boxCalls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].line(1).substr(0, 24), "Ficheiro:\"dados.dat.bin\"");
    EXPECT_EQ(calls[0].line(3).substr(0, 7), "ERRO " + status);
    EXPECT_EQ(calls[0].line(4).substr(0, 26), "  Ignora este Ficheiro?   ");
  }
};

TEST_F(ConverterFaultTest, FullDiskAtTheCloseOfASmallTransferFileIsNoSuccess) {
  // Three records stay in the handler's buffer until the close, which then meets the full disk.
  ASSERT_EQ(symlink("/dev/full", path("dados.dat.bin").c_str()), 0);
  RunResult result = convert(buildRunParameter(exportFields()),
                             {"RECTEST_RECORDS=3", "DUNAX_VRDMSG_ANSWERS=y"});
  EXPECT_EQ(result.exitCode, 32) << result.output;
  expectTransferFileError("34");
}

TEST_F(ConverterFaultTest, FullDiskInTheMiddleOfWritingAbortsOnCancel) {
  ASSERT_EQ(symlink("/dev/full", path("dados.dat.bin").c_str()), 0);
  RunResult result = convert(buildRunParameter(exportFields()),
                             {"RECTEST_RECORDS=3000", "DUNAX_VRDMSG_ANSWERS=c"});
  EXPECT_EQ(result.exitCode, 16) << result.output;
  expectTransferFileError("34");
  // The data file was closed all the same.
  EXPECT_EQ(requestCodes().back(), "CL ");
}

TEST_F(ConverterFaultTest, FullDiskWithoutAskingGivesTheFileUp) {
  ASSERT_EQ(symlink("/dev/full", path("dados.dat.bin").c_str()), 0);
  RunParameterFields fields = exportFields();
  fields.ask = 'N';
  RunResult result = convert(buildRunParameter(fields), {"RECTEST_RECORDS=2500"});
  EXPECT_FALSE(isSuccess(result.exitCode));
  EXPECT_EQ(result.exitCode, 32);
  EXPECT_TRUE(boxCalls().empty());
}

TEST_F(ConverterFaultTest, ATransferFileThatIsADirectoryCannotBeReadAndNothingIsWritten) {
  ASSERT_EQ(mkdir(path("dados.dat.bin").c_str(), 0755), 0);
  RunResult result = convert(buildRunParameter(importFields()),
                             {"DUNAX_VRDMSG_ANSWERS=y", "RECTEST_OUTPUT=" + path("out")});
  EXPECT_EQ(result.exitCode, 32) << result.output;
  expectTransferFileError("37");
  EXPECT_EQ(requestCodes(), std::vector<std::string>{"CL "});
  EXPECT_FALSE(fileExists(path("out")));
}

TEST_F(ConverterFaultTest, ATransferFileWithoutReadPermissionIsATransferFileError) {
  if (geteuid() == 0) GTEST_SKIP() << "root reads a file whatever its mode";
  ASSERT_TRUE(writeFile(path("dados.dat.bin"), transferRecords(1, 3)));
  ASSERT_EQ(chmod(path("dados.dat.bin").c_str(), 0), 0);
  RunResult result = convert(buildRunParameter(importFields()), {"DUNAX_VRDMSG_ANSWERS=y"});
  EXPECT_EQ(result.exitCode, 32) << result.output;
  expectTransferFileError("37");
}

TEST_F(ConverterFaultTest, AnUnreadableLaterSegmentEndsTheImportAfterTheFirstSegment) {
  ASSERT_TRUE(writeFile(path("dados.dat.bin"), transferRecords(1, 4)));
  ASSERT_EQ(mkdir(path("dados.dat.bi1").c_str(), 0755), 0);
  ASSERT_TRUE(writeFile(path("dados.dat.bi2"), transferRecords(5, 6)));
  RunResult result =
      convert(buildRunParameter(importFields("02")),
              {"DUNAX_VRDMSG_ANSWERS=y", "RECTEST_OUTPUT=" + path("out")});
  EXPECT_EQ(result.exitCode, 32) << result.output;
  expectTransferFileError("37");
  // Segment 0 arrived whole; segment 2 was not read past the failing one.
  EXPECT_EQ(readFile(path("out")), transferRecords(1, 4));
}

TEST_F(ConverterFaultTest, ATruncatedLaterSegmentDeliversItsWholeRecordsAndIsNoSuccess) {
  ASSERT_TRUE(writeFile(path("dados.dat.bin"), transferRecords(1, 2)));
  ASSERT_TRUE(writeFile(path("dados.dat.bi1"), transferRecords(3, 4) + servedRecord(5).substr(0, 700)));
  RunResult result =
      convert(buildRunParameter(importFields("01")),
              {"DUNAX_VRDMSG_ANSWERS=y", "RECTEST_OUTPUT=" + path("out")});
  EXPECT_EQ(result.exitCode, 32) << result.output;
  EXPECT_EQ(readFile(path("out")), transferRecords(1, 4));
  expectTransferFileError("04");
}

TEST_F(ConverterFaultTest, AnEmptyLaterSegmentIsReadAsNoRecords) {
  ASSERT_TRUE(writeFile(path("dados.dat.bin"), transferRecords(1, 2)));
  ASSERT_TRUE(writeFile(path("dados.dat.bi1"), ""));
  RunResult result = convert(buildRunParameter(importFields("01")),
                             {"RECTEST_OUTPUT=" + path("out")});
  EXPECT_EQ(result.exitCode, 0) << result.output;
  EXPECT_EQ(readFile(path("out")), transferRecords(1, 2));
}

class BrokenModuleTest : public ConverterFaultTest,
                         public ::testing::WithParamInterface<const char*> {};

// A record-access module that is not a shared object, or a shared object without the entry
// point its name promises, is a program that cannot be found: reported at the open and at the
// close, then the data-file error; never a crash.
TEST_P(BrokenModuleTest, IsReportedAsNotInstalled) {
  const std::string kind = GetParam();
  const std::string modules = path("modules");
  ASSERT_EQ(mkdir(modules.c_str(), 0755), 0);
  if (kind == "text") {
    ASSERT_TRUE(writeFile(modules + "/BROKEN.so", "this is not a shared object\n"));
  } else if (kind == "empty") {
    ASSERT_TRUE(writeFile(modules + "/BROKEN.so", ""));
  } else {
    // A real module of the build under another name: it has no symbol BROKEN.
    ASSERT_EQ(std::system(("cp " + doublesDirectory() + "/RECTEST.so " + modules +
                           "/BROKEN.so").c_str()), 0);
  }
  RunParameterFields fields = exportFields();
  fields.program = "BROKEN";
  RunResult result = convert(buildRunParameter(fields),
                             {"COB_LIBRARY_PATH=" + modules + ":" + doublesDirectory() + ":" +
                                  moduleDirectory(),
                              "DUNAX_VRDMSG_ANSWERS=rry"});
  EXPECT_EQ(result.exitCode, 32) << result.output;
  std::vector<BoxCall> calls = boxCalls();
  ASSERT_EQ(calls.size(), 3u);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(calls[i].line(1).substr(0, 28), "         PROGRAMA \"BROKEN  \"");
    EXPECT_EQ(calls[i].line(3).substr(0, 34), "     N\xC3O SE ENCONTRA INSTALADO !!!");
  }
  EXPECT_EQ(calls[2].line(3).substr(0, 5), "ERRO ");
  EXPECT_FALSE(fileExists(path("dados.dat.bin")));
}

INSTANTIATE_TEST_SUITE_P(Kinds, BrokenModuleTest, ::testing::Values("text", "empty", "no-entry"));

TEST_F(ConverterFaultTest, ARunKilledInTheMiddleOfExportIsRedoneByteForByte) {
  // An uninterrupted run, for comparison.
  const std::string records = "RECTEST_RECORDS=6000";
  const std::string parameter = buildRunParameter(exportFields());
  ASSERT_EQ(convert(parameter, {records, "RECTEST_LOG="}).exitCode, 0);
  const std::string expected = readFile(path("dados.dat.bin"));
  ASSERT_EQ(expected, transferRecords(1, 6000));
  ASSERT_EQ(std::rename(path("dados.dat.bin").c_str(), path("expected.bin").c_str()), 0);

  // The same run, slowed down, killed with SIGKILL once part of the file is on the disk.
  const std::string script =
      "\"$0\" \"$1\" & pid=$!; "
      "while [ ! -s dados.dat.bin ] && kill -0 $pid 2>/dev/null; do sleep 0.01; done; "
      "kill -KILL $pid; wait $pid; echo killed=$?";
  RunResult killed = runProgram(
      "/bin/sh", {"-c", script, binDirectory() + "/DUNAXMF", parameter}, directory.path(),
      {"COB_LIBRARY_PATH=" + doublesDirectory() + ":" + moduleDirectory(), records,
       "RECTEST_DELAY_US=2000", "DUNAX_VRDMSG_ANSWERS=n"});
  ASSERT_NE(killed.output.find("killed=137"), std::string::npos) << killed.output;
  const long long partial = fileSize(path("dados.dat.bin"));
  EXPECT_GT(partial, 0);
  EXPECT_LT(partial, static_cast<long long>(expected.size()));

  // Run again: the transfer file is written afresh, the same bytes as the uninterrupted run.
  ASSERT_EQ(convert(parameter, {records, "RECTEST_LOG="}).exitCode, 0);
  EXPECT_EQ(readFile(path("dados.dat.bin")), expected);
}

}  // namespace
}  // namespace dunax::testing
