// Faults that really happen around the converter: a disk that is full (/dev/full), transfer
// files that cannot be read or end early, in any segment, record-access modules that are not
// modules or lack their entry point, and a run killed in the middle of direction "B". Each
// ends in a defined exit code, never a success for records that did not arrive.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <random>
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
  // Three records stay in the handler's buffer until the close, which then meets the limit.
  RunResult result = convertWithSizeLimit(buildRunParameter(exportFields()), 2,
                                          {"RECTEST_RECORDS=3", "DUNAX_VRDMSG_ANSWERS=y"});
  EXPECT_EQ(result.exitCode, 32) << result.output;
  expectTransferFileError("34");
  EXPECT_FALSE(fileExists(path("dados.dat.bin")));
}

TEST_F(ConverterFaultTest, FullDiskInTheMiddleOfWritingAbortsOnCancel) {
  RunResult result = convertWithSizeLimit(buildRunParameter(exportFields()), 1000,
                                          {"RECTEST_RECORDS=3000", "DUNAX_VRDMSG_ANSWERS=c"});
  EXPECT_EQ(result.exitCode, 16) << result.output;
  expectTransferFileError("34");
  // The data file was closed all the same.
  EXPECT_EQ(requestCodes().back(), "CL ");
}

TEST_F(ConverterFaultTest, AFailedExportLeavesTheEarlierTransferSetAsItWas) {
  const std::string earlier = transferRecords(7, 9);
  ASSERT_TRUE(writeFile(path("dados.dat.bin"), earlier));
  ASSERT_TRUE(writeFile(path("dados.dat.bi1"), earlier));
  RunParameterFields fields = exportFields();
  fields.ask = 'N';
  RunResult result =
      convertWithSizeLimit(buildRunParameter(fields), 1000, {"RECTEST_RECORDS=2500"});
  EXPECT_EQ(result.exitCode, 32);
  EXPECT_TRUE(boxCalls().empty());
  EXPECT_EQ(readFile(path("dados.dat.bin")), earlier);
  EXPECT_EQ(readFile(path("dados.dat.bi1")), earlier);
  EXPECT_FALSE(fileExists(path("dados.dat.bin.dunax-part")));
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

// Runs the converter in the background and sends it signal after the given milliseconds
// (a hang-up follows at once when twice). The output ends with "ended=" and the exit
// status as the shell reports it (128 + the signal for a process the signal ended).
RunResult runAndSignal(const std::string& parameter, const std::string& signal, int milliseconds,
                       const std::vector<std::string>& environment, const std::string& directory,
                       bool twice = false) {
  const std::string wait = std::to_string(milliseconds / 1000) + "." +
                           std::to_string(1000 + milliseconds % 1000).substr(1);
  // The second request is a hang-up sent right behind: a second SIGTERM could merge with the
  // first while both are pending.
  const std::string second = twice ? "kill -HUP $pid 2>/dev/null; " : "";
  const std::string script = "\"$0\" \"$1\" & pid=$!; sleep " + wait + "; kill -" + signal +
                             " $pid; " + second + "wait $pid; echo ended=$?";
  return runProgram("/bin/sh", {"-c", script, binDirectory() + "/DUNAXMF", parameter}, directory,
                    environment);
}

TEST_F(ConverterFaultTest, RunsKilledAtAnyRecordLeaveTheEarlierTransferSetByteForByte) {
  // The set of an earlier, bigger run: two segments.
  const std::string earlier = transferRecords(1, 5);
  const std::string earlierTail = transferRecords(6, 7);
  ASSERT_TRUE(writeFile(path("dados.dat.bin"), earlier));
  ASSERT_TRUE(writeFile(path("dados.dat.bi1"), earlierTail));
  const std::string parameter = buildRunParameter(exportFields());
  const std::vector<std::string> slowRun = {
      "COB_LIBRARY_PATH=" + doublesDirectory() + ":" + moduleDirectory(),
      "RECTEST_RECORDS=3000", "RECTEST_DELAY_US=300", "DUNAX_VRDMSG_ANSWERS=n"};
  std::random_device seed;
  for (int round = 0; round < 3; ++round) {
    const int milliseconds = 30 + static_cast<int>(seed() % 600);  // the run takes about 1 s
    RunResult killed = runAndSignal(parameter, "KILL", milliseconds, slowRun, directory.path());
    ASSERT_NE(killed.output.find("ended=137"), std::string::npos)
        << "killed after " << milliseconds << " ms: " << killed.output;
    EXPECT_EQ(readFile(path("dados.dat.bin")), earlier) << "killed after " << milliseconds;
    EXPECT_EQ(readFile(path("dados.dat.bi1")), earlierTail) << "killed after " << milliseconds;
  }

  // A whole run replaces the set, removes the earlier segment the new set does not have, and
  // leaves none of the killed runs' temporary files behind.
  ASSERT_EQ(convert(parameter, {"RECTEST_RECORDS=3000", "RECTEST_LOG="}).exitCode, 0);
  EXPECT_EQ(readFile(path("dados.dat.bin")), transferRecords(1, 3000));
  EXPECT_FALSE(fileExists(path("dados.dat.bi1")));
  EXPECT_FALSE(fileExists(path("dados.dat.bin.dunax-part")));
  EXPECT_FALSE(fileExists(path("dados.dat.bin.dunax-lock")));
}

// A termination request (a manager or the system ending the converter) ends the run with 16
// after the attempt's clean end, whether it comes in the middle of the records or in a retry
// loop that never reaches a full display; the earlier transfer set stays.
TEST_F(ConverterFaultTest, TerminationEndsTheRunWith16AfterACleanEnd) {
  struct Case {
    const char* what;
    const char* signal;
    const char* program;
    std::vector<std::string> environment;
  };
  const std::vector<Case> cases = {
      {"records", "TERM", "RECTEST", {"RECTEST_RECORDS=3000", "RECTEST_DELAY_US=300"}},
      {"hang-up", "HUP", "RECTEST", {"RECTEST_RECORDS=3000", "RECTEST_DELAY_US=300"}},
      // A program that cannot be found, the operator's script saying "convert again" for ever.
      {"retry loop", "TERM", "NOPROG", {"DUNAX_VRDMSG_ANSWERS=" + std::string(30000, 'n')}},
  };
  for (const Case& c : cases) {
    TemporaryDirectory own;
    ASSERT_TRUE(writeFile(own.file("dados.dat.bin"), "earlier"));
    std::vector<std::string> environment = {
        "COB_LIBRARY_PATH=" + doublesDirectory() + ":" + moduleDirectory(),
        "RECTEST_LOG=" + own.file("rectest.log")};
    environment.insert(environment.end(), c.environment.begin(), c.environment.end());
    RunParameterFields fields = exportFields();
    fields.program = c.program;
    RunResult result = runAndSignal(buildRunParameter(fields), c.signal, 300, environment,
                                    own.path());
    EXPECT_NE(result.output.find("ended=16"), std::string::npos) << c.what << ": " << result.output;
    EXPECT_EQ(readFile(own.file("dados.dat.bin")), "earlier") << c.what;
    if (fileExists(own.file("rectest.log"))) {
      std::vector<std::string> log = readLines(own.file("rectest.log"));
      ASSERT_FALSE(log.empty());
      EXPECT_EQ(log.back().substr(log.back().find(' ') + 1, 3), "CL ") << c.what;
    }
  }
}

// A second termination request ends the process at once; nothing half-made becomes visible.
TEST_F(ConverterFaultTest, ASecondTerminationRequestEndsAtOnceLeavingTheEarlierSet) {
  ASSERT_TRUE(writeFile(path("dados.dat.bin"), "earlier"));
  RunResult result = runAndSignal(
      buildRunParameter(exportFields()), "TERM", 300,
      {"COB_LIBRARY_PATH=" + doublesDirectory() + ":" + moduleDirectory(),
       "RECTEST_RECORDS=3000", "RECTEST_DELAY_US=300"},
      directory.path(), true);
  // Ended by whichever of the two signals came second: SIGHUP (129) or SIGTERM (143).
  EXPECT_TRUE(result.output.find("ended=129") != std::string::npos ||
              result.output.find("ended=143") != std::string::npos)
      << result.output;
  EXPECT_EQ(readFile(path("dados.dat.bin")), "earlier");
}

// One run per file at a time: a second run of the same transfer name ends at once with 32 and
// says why, touching neither the data file nor the transfer file.
TEST_F(ConverterFaultTest, ASecondRunOfTheSameFileIsRefusedWhileTheFirstRuns) {
  ASSERT_TRUE(writeFile(path("dados.dat.bin"), "earlier"));
  RunParameterFields import = importFields();
  const std::string script =
      "\"$0\" \"$1\" & first=$!; sleep 0.3; RECTEST_OUTPUT=second.out \"$0\" \"$2\"; "
      "echo second=$?; kill -KILL $first; wait $first";
  RunResult result = runProgram(
      "/bin/sh",
      {"-c", script, binDirectory() + "/DUNAXMF", buildRunParameter(exportFields()),
       buildRunParameter(import)},
      directory.path(),
      {"COB_LIBRARY_PATH=" + doublesDirectory() + ":" + moduleDirectory(),
       "RECTEST_RECORDS=3000", "RECTEST_DELAY_US=300", "DUNAX_VRDMSG_LOG=" + path("vrdmsg.log")});
  EXPECT_NE(result.output.find("second=32"), std::string::npos) << result.output;
  EXPECT_NE(result.output.find("another conversion of this file is running"), std::string::npos)
      << result.output;
  EXPECT_FALSE(fileExists(path("second.out")));
  EXPECT_EQ(readFile(path("dados.dat.bin")), "earlier");
  EXPECT_TRUE(boxCalls().empty());
}

// "X" through RECSEQ: a transfer file that ends in a partial record, or whose records hold
// more than the record length, fails the file and leaves the user's data file byte for byte.
TEST_F(ConverterFaultTest, AFailedImportLeavesTheDataFileAsItWas) {
  struct Case {
    const char* what;
    std::string transfer;
    const char* recordLength;
  };
  std::string longRecord(1024, ' ');
  longRecord[300] = 'x';  // past a 200-byte record: it would be cut
  const std::vector<Case> cases = {
      {"partial record", transferRecords(1, 40) + "partial", "1024"},
      {"longer records", std::string(1024, 'a') + longRecord, "200"},
  };
  const std::string original(100000, 'o');
  for (const Case& c : cases) {
    ASSERT_TRUE(writeFile(path("dados.dat"), original));
    ASSERT_TRUE(writeFile(path("dados.dat.bin"), c.transfer));
    RunParameterFields fields = importFields();
    fields.program = "RECSEQ";
    fields.ask = 'N';
    fields.fieldB = c.recordLength;
    RunResult result = convert(buildRunParameter(fields));
    EXPECT_EQ(result.exitCode, 32) << c.what << ": " << result.output;
    EXPECT_EQ(readFile(path("dados.dat")), original) << c.what;
    EXPECT_FALSE(fileExists(path("dados.dat.dunax-new"))) << c.what;
  }
}

TEST_F(ConverterFaultTest, ImportsKilledAtAnyRecordLeaveTheDataFileByteForByte) {
  const std::string original(50000, 'o');
  ASSERT_TRUE(writeFile(path("dados.dat"), original));
  ASSERT_TRUE(writeFile(path("dados.dat.bin"), transferRecords(1, 3000)));
  RunParameterFields fields = importFields();
  fields.program = "RECSEQ";
  const std::string parameter = buildRunParameter(fields);
  // The record-access program is fast: a slow screen library keeps each record long enough.
  const std::vector<std::string> environment = {
      "COB_LIBRARY_PATH=" + doublesDirectory() + ":" + moduleDirectory(), "SP2TEST_DELAY_US=150"};
  std::random_device seed;
  for (int round = 0; round < 3; ++round) {
    const int milliseconds = 30 + static_cast<int>(seed() % 600);
    RunResult killed = runAndSignal(parameter, "KILL", milliseconds, environment, directory.path());
    ASSERT_NE(killed.output.find("ended=137"), std::string::npos)
        << "killed after " << milliseconds << " ms: " << killed.output;
    EXPECT_EQ(readFile(path("dados.dat")), original) << "killed after " << milliseconds;
  }
  ASSERT_EQ(convert(parameter).exitCode, 0);
  EXPECT_EQ(readFile(path("dados.dat")), transferRecords(1, 3000));
  EXPECT_FALSE(fileExists(path("dados.dat.dunax-new")));
}

}  // namespace
}  // namespace dunax::testing
