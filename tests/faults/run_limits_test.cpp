// The converter at the edges of its process: a termination request at the very end of a run,
// a file-size limit, data and transfer files that are not regular files, and the reasons a
// run gives for each. Real processes throughout; every run is guarded by a timeout, so that a
// converter that would wait for ever fails the case instead of hanging the test.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/converter/converter_test_support.h"

namespace dunax::testing {
namespace {

constexpr int kGuardSeconds = 30;

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
  RunParameterFields fields(char direction, const char* program = "RECTEST") const {
    RunParameterFields f;
    f.direction = direction;
    f.program = program;
    return f;
  }
  std::vector<std::string> modules() const {
    return {"COB_LIBRARY_PATH=" + libraryPath({doublesDirectory(), moduleDirectory()})};
  }
  // Runs DUNAXMF in a child whose file-size limit is bytes, with SIGXFSZ at its default action
  // (as a shell leaves it), so that only the converter's own handling stands between a write
  // past the limit and the end of the process. Returns the exit code, or 128 + the signal.
  int convertUnderFileSizeLimit(const std::string& parameter, rlim_t bytes) {
    const std::string program = binDirectory() + "/DUNAXMF";
    const std::string library = "COB_LIBRARY_PATH=" + libraryPath({doublesDirectory(), moduleDirectory()});
    const std::string output = path("output.txt");
    const pid_t child = fork();
    if (child == 0) {
      signal(SIGXFSZ, SIG_DFL);
      if (chdir(directory.path().c_str()) != 0) _exit(120);
      putenv(const_cast<char*>(library.c_str()));
      putenv(const_cast<char*>("RECTEST_RECORDS=400"));
      FILE* out = std::freopen(output.c_str(), "w", stderr);
      if (out == nullptr) _exit(121);
      // The limit last: the output file itself stays below it.
      rlimit limit{bytes, bytes};
      setrlimit(RLIMIT_FSIZE, &limit);
      execl(program.c_str(), program.c_str(), parameter.c_str(), static_cast<char*>(nullptr));
      _exit(122);
    }
    int status = 0;
    for (int waited = 0; waitpid(child, &status, WNOHANG) == 0; ++waited) {
      if (waited > kGuardSeconds * 100) {
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
        return -1;
      }
      usleep(10000);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
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
    std::vector<std::string> environment = modules();
    environment.push_back("RECTEST_RECORDS=3");
    environment.push_back(std::string("RECTEST_TERMINATE=") + c.terminateAt);
    environment.push_back("RECTEST_BLOCKS=" + own.file("blocks"));
    RunResult result = runProgram(binDirectory() + "/DUNAXMF",
                                  {buildRunParameter(fields(c.direction))}, own.path(),
                                  environment, kGuardSeconds);
    EXPECT_EQ(result.exitCode, c.exitCode) << c.what << ": " << result.output;
    if (c.exitCode == 16) {
      EXPECT_NE(result.output.find("stopped by a termination request"), std::string::npos)
          << c.what << ": " << result.output;
    } else {
      EXPECT_EQ(result.output, "") << c.what;
    }
    if (c.closeArea != nullptr) {
      EXPECT_EQ(lastCloseArea(readFile(own.file("blocks"))).substr(0, 8), c.closeArea) << c.what;
    } else {
      EXPECT_EQ(readFile(own.file("dados.dat.bin")), "earlier") << c.what;
    }
  }
}

// A write past the file-size limit is status "34" and the file is given up (32), for the
// transfer file the converter writes ("B") and for the data file RECSEQ writes in its process
// ("X"); the process is never ended by the limit's signal.
TEST_F(RunLimitsTest, AFileSizeLimitIsStatus34AndTheFileGivenUp) {
  const struct {
    const char* what;
    char direction;
    const char* program;
    const char* reason;
  } cases[] = {
      {"transfer file", 'B', "RECTEST", "transfer file dados.dat.bin: write: record "},
      {"data file", 'X', "RECSEQ", "write: record "},
  };
  for (const auto& c : cases) {
    std::filesystem::remove(path("dados.dat.bin"));
    if (c.direction == 'X') ASSERT_TRUE(writeFile(path("dados.dat.bin"), transferRecords(1, 400)));
    RunParameterFields f = fields(c.direction, c.program);
    // 8 output records: the limit falls inside the handler's buffer, not at the close.
    int exitCode = convertUnderFileSizeLimit(buildRunParameter(f), 256 * 1024);
    const std::string output = readFile(path("output.txt"));
    EXPECT_EQ(exitCode, 32) << c.what << ": " << output;
    EXPECT_NE(output.find(c.reason), std::string::npos) << c.what << ": " << output;
    EXPECT_NE(output.find("status 34 (no room left"), std::string::npos) << c.what << ": " << output;
  }
  EXPECT_FALSE(fileExists(path("dados.dat.dunax-new")));
}

// Data and transfer files that are not regular files are refused at the open, at once, with
// words that say which open and why; a symbolic link as data file is not replaced.
TEST_F(RunLimitsTest, FilesThatAreNotRegularFilesAreRefusedAtOnce) {
  const struct {
    const char* what;
    char direction;
    const char* program;
    const char* fifo;  // the name made a FIFO, or nullptr for the symbolic link
    const char* reason;
  } cases[] = {
      {"transfer file in X", 'X', "RECTEST", "dados.dat.bin",
       "transfer file dados.dat.bin: open for reading: status 37 (cannot be opened for reading: "
       "no permission, or not a regular file (a directory, a FIFO, a device or a socket))"},
      {"data file in B", 'B', "RECSEQ", "dados.dat",
       "open for reading: status 37 (cannot be opened for reading: no permission, or not a "
       "regular file"},
      {"data file in X", 'X', "RECSEQ", "dados.dat",
       "open for writing: a FIFO, a device or a socket is not replaced (status 37)"},
      {"symbolic link in X", 'X', "RECSEQ", nullptr,
       "open for writing: a symbolic link is not replaced (status 37)"},
  };
  for (const auto& c : cases) {
    TemporaryDirectory own;
    if (c.direction == 'X' && std::string(c.fifo ? c.fifo : "") != "dados.dat.bin") {
      ASSERT_TRUE(writeFile(own.file("dados.dat.bin"), transferRecords(1, 2)));
    }
    if (c.fifo != nullptr) {
      ASSERT_EQ(mkfifo(own.file(c.fifo).c_str(), 0600), 0) << c.what;
    } else {
      ASSERT_TRUE(writeFile(own.file("elsewhere.dat"), "kept"));
      ASSERT_EQ(symlink("elsewhere.dat", own.file("dados.dat").c_str()), 0);
    }
    RunResult result = runProgram(binDirectory() + "/DUNAXMF",
                                  {buildRunParameter(fields(c.direction, c.program))}, own.path(),
                                  modules(), kGuardSeconds);
    EXPECT_EQ(result.exitCode, 32) << c.what << ": " << result.output;
    EXPECT_NE(result.output.find("DUNAXMF: dados.dat: " + std::string(c.reason)), std::string::npos)
        << c.what << ": " << result.output;
    if (c.fifo == nullptr) EXPECT_EQ(readFile(own.file("elsewhere.dat")), "kept");
  }
}

// A data file that is not a whole number of records says where and how much is left.
TEST_F(RunLimitsTest, APartialRecordIsReportedWithItsRecordNumber) {
  ASSERT_TRUE(writeFile(path("dados.dat"), std::string(3 * 100 + 50, 'r')));
  RunParameterFields f = fields('B', "RECSEQ");
  f.fieldB = "100";
  RunResult result = runProgram(binDirectory() + "/DUNAXMF", {buildRunParameter(f)},
                                directory.path(), modules(), kGuardSeconds);
  EXPECT_EQ(result.exitCode, 32) << result.output;
  EXPECT_NE(result.output.find("DUNAXMF: dados.dat: read: record 4: 50 bytes left at the end, "
                               "not a whole record (status 30)"),
            std::string::npos)
      << result.output;
}

}  // namespace
}  // namespace dunax::testing
