// The converter at the edges of its process: a termination request at the very end of a run,
// a file-size limit, data and transfer files that are not regular files, and the reasons a
// run gives for each. Real processes throughout; every run is guarded by a timeout, so that a
// converter that would wait for ever fails the case instead of hanging the test.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
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

// The record area of the last "CL " RECTEST received (RECTEST_BLOCKS keeps every block).
std::string lastCloseArea(const std::string& blocks) {
  constexpr std::size_t kBlock = 2280;
  for (std::size_t at = blocks.size() / kBlock; at-- > 0;) {
    if (blocks.compare(at * kBlock + 4, 3, "CL ") == 0) return blocks.substr(at * kBlock + 232, 2048);
  }
  return {};
}

class RunLimitsTest : public ConverterRunTest {
 protected:
  // Runs DUNAXMF in the folder where with the run parameter of f and the extra environment,
  // through a shell that runs prefix (a limit, say) first; the output and exit code.
  RunResult run(const std::string& where, RunParameterFields f, std::vector<std::string> extra = {},
                const std::string& prefix = "") {
    extra.push_back("COB_LIBRARY_PATH=" + libraryPath({doublesDirectory(), moduleDirectory()}));
    const std::string script = prefix + "exec \"$0\" \"$1\"";
    return runProgram("/bin/sh", {"-c", script, binDirectory() + "/DUNAXMF", buildRunParameter(f)},
                      where, extra, /*timeoutSeconds=*/30);
  }
};

// A termination request that comes once the record-access program has answered the keep "CL "
// (the data file replaced) leaves the run's success standing; one that comes before makes
// "CL " discard and the run end with 16. In "B" the "CL " comes before the transfer set is
// put in place: a request there still stops the run and keeps the earlier set.
TEST_F(RunLimitsTest, TheDecisionOfARunIsTakenOnce) {
  const struct {
    const char* what;
    char direction;
    const char* terminateAt;  // RECTEST's call number
    int exitCode;
    const char* closeArea;  // how the last "CL " area starts ("X")
  } cases[] = {
      // "X" of 3 records: "OU " is call 1, the writes 2 to 4, "CL " 5.
      {"X, at the keep CL", 'X', "5", 0, "        "},
      {"X, at the last write", 'X', "4", 16, "DESCARTA"},
      // "B" of 3 records: "TST", "ST ", four reads, "CL " is call 7.
      {"B, at the CL before the publish", 'B', "7", 16, nullptr},
  };
  for (const auto& c : cases) {
    TemporaryDirectory own;
    ASSERT_TRUE(writeFile(own.file("dados.dat.bin"), c.direction == 'X' ? transferRecords(1, 3)
                                                                          : std::string("earlier")));
    RunResult r = run(own.path(), {.direction = c.direction},
                      {"RECTEST_RECORDS=3", std::string("RECTEST_TERMINATE=") + c.terminateAt,
                       "RECTEST_BLOCKS=" + own.file("blocks")});
    EXPECT_EQ(r.exitCode, c.exitCode) << c.what << ": " << r.output;
    const bool stopped = r.output.find("stopped by a termination request") != std::string::npos;
    EXPECT_TRUE(c.exitCode == 0 ? r.output.empty() : stopped) << c.what << ": " << r.output;
    const std::string kept = c.closeArea ? lastCloseArea(readFile(own.file("blocks"))).substr(0, 8)
                                         : readFile(own.file("dados.dat.bin"));
    EXPECT_EQ(kept, c.closeArea ? c.closeArea : "earlier") << c.what;
  }
}

// A write past the file-size limit is status "34" and the file is given up (32), for the
// transfer file the converter writes ("B") and for the data file RECSEQ writes in its process
// ("X"); the process is never ended by the limit's signal, left at its default action here.
TEST_F(RunLimitsTest, AFileSizeLimitIsStatus34AndTheFileGivenUp) {
  signal(SIGXFSZ, SIG_DFL);
  const struct {
    const char* what;
    RunParameterFields f;  // the direction and the record-access program
    const char* reason;
  } cases[] = {
      {"transfer file", {.direction = 'B'}, "transfer file dados.dat.bin: write: record "},
      {"data file", {.direction = 'X', .program = "RECSEQ"}, "write: record "},
  };
  for (const auto& c : cases) {
    std::filesystem::remove(path("dados.dat.bin"));
    ASSERT_TRUE(c.f.direction != 'X' || writeFile(path("dados.dat.bin"), transferRecords(1, 400)));
    // 256 KiB: the limit falls inside the handler's buffer, not at the close.
    RunResult r = run(directory.path(), c.f, {"RECTEST_RECORDS=400"}, "ulimit -f 512; ");
    const std::string why = std::string(c.what) + ": " + r.output;
    EXPECT_EQ(r.exitCode, 32) << why;  // -1 if ended by the signal
    EXPECT_NE(r.output.find(c.reason), std::string::npos) << why;
    EXPECT_NE(r.output.find("status 34 (no room left"), std::string::npos) << why;
  }
  EXPECT_FALSE(fileExists(path("dados.dat.dunax-new")));
}

// Data and transfer files that are not regular files are refused at the open, at once, with
// words that say which open and why; a symbolic link as data file is not replaced.
TEST_F(RunLimitsTest, FilesThatAreNotRegularFilesAreRefusedAtOnce) {
  const struct {
    const char* what;
    RunParameterFields f;  // the direction and the record-access program
    const char* fifo;  // the name made a FIFO, or nullptr for the symbolic link
    const char* reason;
  } cases[] = {
      {"transfer file in X", {.direction = 'X'}, "dados.dat.bin",
       "transfer file dados.dat.bin: open for reading: status 37 (cannot be opened for reading: "
       "no permission, or not a regular file (a directory, a FIFO, a device or a socket))"},
      {"data file in B", {.direction = 'B', .program = "RECSEQ"}, "dados.dat",
       "open for reading: status 37 (cannot be opened for reading: no permission, or not a "
       "regular file"},
      {"data file in X", {.direction = 'X', .program = "RECSEQ"}, "dados.dat",
       "open for writing: a FIFO, a device or a socket is not replaced (status 37)"},
      {"symbolic link in X", {.direction = 'X', .program = "RECSEQ"}, nullptr,
       "open for writing: a symbolic link is not replaced (status 37)"},
  };
  for (const auto& c : cases) {
    TemporaryDirectory own;
    ASSERT_TRUE(c.f.direction != 'X' || writeFile(own.file("dados.dat.bin"), transferRecords(1, 2)));
    ASSERT_TRUE(writeFile(own.file("elsewhere.dat"), "kept"));
    if (c.fifo) std::filesystem::remove(own.file(c.fifo));
    ASSERT_EQ(c.fifo ? mkfifo(own.file(c.fifo).c_str(), 0600)
                     : symlink("elsewhere.dat", own.file("dados.dat").c_str()), 0) << c.what;
    RunResult result = run(own.path(), c.f);
    EXPECT_EQ(result.exitCode, 32) << c.what << ": " << result.output;
    EXPECT_NE(result.output.find("DUNAXMF: dados.dat: " + std::string(c.reason)), std::string::npos)
        << c.what << ": " << result.output;
    EXPECT_EQ(readFile(own.file("elsewhere.dat")), "kept");
  }
}

// A data file that is not a whole number of records says where and how much is left.
TEST_F(RunLimitsTest, APartialRecordIsReportedWithItsRecordNumber) {
  ASSERT_TRUE(writeFile(path("dados.dat"), std::string(3 * 100 + 50, 'r')));
  RunResult result =
      run(directory.path(), {.direction = 'B', .program = "RECSEQ", .fieldB = "100"});
  EXPECT_EQ(result.exitCode, 32) << result.output;
  EXPECT_NE(result.output.find("DUNAXMF: dados.dat: read: record 4: 50 bytes left at the end, "
                               "not a whole record (status 30)"),
            std::string::npos)
      << result.output;
}

}  // namespace
}  // namespace dunax::testing
