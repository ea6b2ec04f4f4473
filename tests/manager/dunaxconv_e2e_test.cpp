// dunaxconv end to end: the real program run against a stand-in converter (a shell script that
// logs its argument and ends as each test scripts it per data file), in a fresh directory.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// The stand-in converter. For the data file named in positions 31-80 of its argument it notes
// its working directory in cwd.NAME and reads, beside itself: NAME.code (exit code), NAME.crash
// (end by SIGSEGV), NAME.stderr (written on standard error), NAME.partner (wait until that
// file's run has started), NAME.after (wait until that file's run is over and reaped).
constexpr const char kStandIn[] = R"SH(#!/bin/sh
export LC_ALL=C
here=$(cd "$(dirname "$0")" && pwd)
printf '%s|%s|\n' "$#" "$1" >> "$here/calls.log"
name=$(printf '%s' "$1" | cut -c31-80 | sed 's/ *$//')
echo $$ > "$here/pid.$name"
pwd > "$here/cwd.$name"
for other in "$here"/running.*; do
  [ -e "$other" ] && : > "$here/overlap"
done
: > "$here/running.$name"
: > "$here/started.$name"
wait_for() {  # a bounded wait for a condition; exit 99 when it never comes
  i=0
  while ! eval "$1"; do
    i=$((i + 1)); [ $i -gt 600 ] && exit 99
    sleep 0.05
  done
}
if [ -f "$here/$name.partner" ]; then
  partner=$(cat "$here/$name.partner")
  wait_for '[ -f "$here/started.$partner" ]'
fi
if [ -f "$here/$name.after" ]; then
  other=$(cat "$here/$name.after")
  wait_for '[ -f "$here/pid.$other" ]'
  wait_for '! kill -0 $(cat "$here/pid.$other") 2>/dev/null'
fi
sleep 0.1
rm -f "$here/running.$name"
[ -f "$here/$name.stderr" ] && cat "$here/$name.stderr" >&2
[ -f "$here/$name.crash" ] && kill -SEGV $$
code=0
[ -f "$here/$name.code" ] && code=$(cat "$here/$name.code")
exit $code
)SH";

struct Result {
  int exitCode = -1;
  std::string output;
};

class DunaxconvTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* build = std::getenv("DUNAX_BUILD_DIR");
    ASSERT_NE(build, nullptr) << "DUNAX_BUILD_DIR is not set";
    program_ = fs::path(build) / "bin" / "dunaxconv";
    ASSERT_TRUE(fs::exists(program_));
    std::string pattern = (fs::temp_directory_path() / "dunaxconv-test-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    writeFile("DUNAXMF", kStandIn);
    fs::permissions(dir_ / "DUNAXMF", fs::perms::owner_all);
    // The stand-in converter finds RECSEQ beside itself (the manager checks that it would).
    writeFile("RECSEQ.so", "");
  }
  void TearDown() override {
    if (!dir_.empty()) fs::remove_all(dir_);
  }

  void writeFile(const std::string& name, const std::string& text) {
    std::ofstream(dir_ / name, std::ios::binary) << text;
  }
  std::string readFile(const std::string& name) {
    std::ifstream in(dir_ / name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }

  // Runs the command in the test directory with standard input from /dev/null (or as given).
  Result run(const std::string& command, const std::string& input = "< /dev/null") {
    std::string line = "cd '" + dir_.string() + "' && " + command + " " + input + " 2>&1";
    Result result;
    FILE* pipe = popen(line.c_str(), "r");
    if (pipe == nullptr) return result;
    char buffer[4096];
    std::size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, n);
    int status = pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
  }

  Result manager(const std::string& arguments) {
    return run("'" + program_.string() + "' --converter ./DUNAXMF " + arguments);
  }

  // The run parameters the stand-in was given, one per call, in call order.
  std::vector<std::string> calls() {
    std::vector<std::string> parameters;
    std::istringstream log(readFile("calls.log"));
    std::string line;
    while (std::getline(log, line)) {
      EXPECT_EQ(line.substr(0, 2), "1|") << "the converter takes exactly one argument";
      parameters.push_back(line.size() >= 3 ? line.substr(2, line.size() - 3) : "");
    }
    return parameters;
  }

  fs::path program_;
  fs::path dir_;
};

TEST_F(DunaxconvTest, RunParameterByteForByte) {
  // --ask without a terminal needs scripted answers for the message box.
  Result result = run("DUNAX_VRDMSG_ANSWERS=y '" + program_.string() + "' --converter ./DUNAXMF "
      "--field-a EMP --record-length 120 --field-c C2 --field-d D --field-e EEEEEEEE "
      "--field-f F --key-option --ask B RECSEQ clientes.dat 'c\xC3\xA3o.dat'");
  EXPECT_EQ(result.exitCode, 0) << result.output;
  std::vector<std::string> parameters = calls();
  ASSERT_EQ(parameters.size(), 2u);
  EXPECT_EQ(parameters[0], "B" + std::string(8, ' ') + "RECSEQ  EMP0000000120clientes.dat" +
                               std::string(38, ' ') + "C2DEEEEEEEEO" + "00000002" + "00000001" +
                               "000000000" + "00" + "FS");
  EXPECT_EQ(parameters[1].size(), 121u);
  EXPECT_EQ(parameters[1].substr(30, 8), "c\xE3o.dat ");  // Windows-1252
  EXPECT_EQ(parameters[1].substr(92, 16), "0000000200000002");
  for (char c : parameters[1].substr(108, 11)) EXPECT_TRUE(c >= '0' && c <= '9');
  EXPECT_EQ(parameters[1].substr(117, 2), "00");
}

TEST_F(DunaxconvTest, DirectionXPassesTheSegmentsPresentAndRefusesAGap) {
  for (const char* name : {"big.dat.bin", "big.dat.bi1", "big.dat.bi2", "big.dat.bi3",
                           "small.dat.bin", "dados.binario.bin",
                           "dados.bi1ario.bin"}) {
    writeFile(name, "");
  }
  Result result = manager("X RECSEQ big.dat small.dat dados.binario");
  EXPECT_EQ(result.exitCode, 0) << result.output;
  std::vector<std::string> parameters = calls();
  ASSERT_EQ(parameters.size(), 3u);
  EXPECT_EQ(parameters[0][0], 'X');
  EXPECT_EQ(parameters[0].substr(117, 2), "03");
  EXPECT_EQ(parameters[1].substr(117, 2), "00");
  EXPECT_EQ(parameters[2].substr(117, 2), "01");
  EXPECT_EQ(parameters[0].substr(119, 2), " N");

  // A segment missing between two present: the records after it would not be read.
  writeFile("big.dat.bi5", "");
  result = manager("X RECSEQ small.dat big.dat");
  EXPECT_EQ(result.exitCode, 64) << result.output;
  EXPECT_NE(result.output.find("\"big.dat.bi4\" is missing but \"big.dat.bi5\" is there"),
            std::string::npos)
      << result.output;
  EXPECT_EQ(calls().size(), 3u);
}

TEST_F(DunaxconvTest, ExitCodesZeroToNineAreConversions) {
  writeFile("b.code", "9");
  writeFile("c.code", "1");
  Result result = manager("B RECSEQ a b c");
  EXPECT_EQ(result.exitCode, 0) << result.output;
  EXPECT_EQ(calls().size(), 3u);
  EXPECT_NE(result.output.find("[2/3] b: converted, 9 extra segments written"), std::string::npos)
      << result.output;
  EXPECT_NE(result.output.find("3 files: 3 converted, 0 skipped"), std::string::npos);
}

TEST_F(DunaxconvTest, SkippedFileGoesOnAndEndsWithOne) {
  writeFile("a.code", "32");
  Result result = manager("B RECSEQ a b");
  EXPECT_EQ(result.exitCode, 1) << result.output;
  EXPECT_EQ(calls().size(), 2u);
  EXPECT_NE(result.output.find("skipped"), std::string::npos);
}

TEST_F(DunaxconvTest, GivenUpFilesSayWhyInTheirLineAndTheSummary) {
  writeFile("a.code", "32");
  writeFile("a.stderr",
            "DUNAXMF: the loader's words\nDUNAXMF: a: read: status 04 (a partial record)\n");
  writeFile("b.code", "32");
  // Far more than a pipe holds: the converter never waits for the manager to read.
  writeFile("b.stderr", std::string(300000, 'x') + "\nDUNAXMF: b: stopped by a request\n");
  writeFile("c.code", "32");
  Result result = manager("--jobs 2 B RECSEQ a b c");
  EXPECT_EQ(result.exitCode, 1) << result.output;
  for (const char* text : {"[1/3] a: skipped (", "s): read: status 04 (a partial record)\n",
                           "s): stopped by a request\n",
                           "s): given up (no reason given by the converter)\n",
                           "  reason\n", "  read: status 04 (a partial record)\n"}) {
    EXPECT_NE(result.output.find(text), std::string::npos) << text;
  }
  // The other lines are passed on once; the reason lines are not printed raw.
  EXPECT_NE(result.output.find("DUNAXMF: the loader's words\n"), std::string::npos);
  EXPECT_EQ(result.output.find("DUNAXMF: a:"), std::string::npos);
  EXPECT_EQ(result.output.find("DUNAXMF: b:"), std::string::npos);
}

TEST_F(DunaxconvTest, ChecksBeforeAnyFileIsConverted) {
  struct Case {
    std::string arguments;
    int exitCode;
    std::string said;
  };
  const Case cases[] = {
      {"B NOPROG a b c", 64, "the record-access program NOPROG cannot be found (searched: "},
      {"--record-length 0 B RECSEQ a", 64, "--record-length takes a number from 1 to 1024"},
      {"--record-length 2000 B RECSEQ a", 64, "--record-length takes a number from 1 to 1024"},
      {"--record-length 1024 B recseq a", 0, ""},
  };
  for (const Case& test : cases) {
    fs::remove(dir_ / "calls.log");
    Result result = manager(test.arguments);
    EXPECT_EQ(result.exitCode, test.exitCode) << test.arguments << "\n" << result.output;
    if (test.exitCode != 64) continue;
    EXPECT_FALSE(fs::exists(dir_ / "calls.log")) << test.arguments;
    EXPECT_EQ(result.output.find("dunaxconv: " + test.said), 0u) << result.output;
    // One line, or the line and the pointer to --help.
    EXPECT_LE(std::count(result.output.begin(), result.output.end(), '\n'), 2) << result.output;
  }
  std::vector<std::string> parameters = calls();
  ASSERT_EQ(parameters.size(), 1u);
  EXPECT_EQ(parameters[0].substr(9, 8), "RECSEQ  ");
}

TEST_F(DunaxconvTest, AFileInADeepFolderConvertsThere) {
  const std::string folder = "a/folder/deep/enough/that/the/path/is/over/fifty/bytes";
  fs::create_directories(dir_ / folder);
  writeFile(folder + "/c.dat.bin", "");
  writeFile(folder + "/c.dat.bi1", "");
  Result result = manager("X RECSEQ " + folder + "/c.dat");
  EXPECT_EQ(result.exitCode, 0) << result.output;
  std::vector<std::string> parameters = calls();
  ASSERT_EQ(parameters.size(), 1u);
  EXPECT_EQ(parameters[0].substr(30, 6), "c.dat ");
  EXPECT_EQ(parameters[0].substr(117, 2), "01");  // its segment, looked for in its folder
  EXPECT_EQ(readFile("cwd.c.dat"), fs::canonical(dir_ / folder).string() + "\n");
}

TEST_F(DunaxconvTest, HeadlessRunsTellEachStartAndQuietOnlyTheSummary) {
  writeFile("a.stderr", "DUNAXMF: the loader's words\n");
  Result result = manager("B RECSEQ a b");
  EXPECT_EQ(result.exitCode, 0) << result.output;
  std::size_t aStarts = result.output.find("dunaxconv: [1/2] a: converting\n");
  std::size_t aEnds = result.output.find("dunaxconv: [1/2] a: converted");
  std::size_t bStarts = result.output.find("dunaxconv: [2/2] b: converting\n");
  EXPECT_LT(aStarts, aEnds) << result.output;
  EXPECT_LT(aEnds, bStarts) << result.output;
  EXPECT_NE(bStarts, std::string::npos) << result.output;

  Result quiet = manager("--quiet B RECSEQ a b");
  EXPECT_EQ(quiet.exitCode, 0) << quiet.output;
  EXPECT_EQ(quiet.output.find("dunaxconv:"), std::string::npos) << quiet.output;
  EXPECT_EQ(quiet.output.find("DUNAXMF:"), std::string::npos) << quiet.output;
  EXPECT_NE(quiet.output.find("2 files: 2 converted"), std::string::npos) << quiet.output;
}

TEST_F(DunaxconvTest, AbortStopsTheRunAndEndsWithTwo) {
  writeFile("b.code", "16");
  Result result = manager("B RECSEQ a b c d");
  EXPECT_EQ(result.exitCode, 2) << result.output;
  EXPECT_EQ(calls().size(), 2u);
  EXPECT_FALSE(fs::exists(dir_ / "started.c"));
  EXPECT_NE(result.output.find("not started"), std::string::npos);
  EXPECT_NE(result.output.find("asked to stop the run"), std::string::npos);
}

TEST_F(DunaxconvTest, CrashFailsTheFileAndStopsTheRun) {
  writeFile("a.crash", "");
  Result result = manager("B RECSEQ a b");
  EXPECT_EQ(result.exitCode, 2) << result.output;
  EXPECT_EQ(calls().size(), 1u);
  EXPECT_NE(result.output.find("ended by signal 11 (SIGSEGV)"), std::string::npos)
      << result.output;
}

TEST_F(DunaxconvTest, UnknownExitCodeFailsTheFile) {
  writeFile("a.code", "12");
  Result result = manager("B RECSEQ a b");
  EXPECT_EQ(result.exitCode, 2) << result.output;
  EXPECT_EQ(calls().size(), 1u);
  EXPECT_NE(result.output.find("exit code 12"), std::string::npos);
}

TEST_F(DunaxconvTest, RefusalsComeBeforeAnyConversion) {
  std::string longName(51, 'x');
  for (const std::string& arguments : std::vector<std::string>{"B RECSEQ ok.dat 'two words.dat'", "B RECSEQ ok.dat " + longName,
        "B RECSEQ123 ok.dat", "--field-a ABCD B RECSEQ ok.dat", "B RECSEQ ok.dat ok.dat",
        "B RECSEQ ok.dat '\xE4\xB8\xAD.dat'", "Z RECSEQ ok.dat", "B RECSEQ", "--nope B P a",
        "B RECSEQ dados.binario dados.bi1ario", "B RECSEQ ok.dat q.bi1", "X RECSEQ q.bi7"}) {
    Result result = manager(arguments);
    EXPECT_EQ(result.exitCode, 64) << arguments << "\n" << result.output;
    EXPECT_FALSE(fs::exists(dir_ / "calls.log")) << arguments;
    EXPECT_NE(result.output.find("dunaxconv: "), std::string::npos);
  }
}

TEST_F(DunaxconvTest, OneFileUnderTwoNamesIsRefused) {
  writeFile("a.dat", "");
  fs::create_symlink("a.dat", dir_ / "link.dat");
  fs::create_hard_link(dir_ / "a.dat", dir_ / "hard.dat");
  fs::create_directory(dir_ / "sub");
  const std::string absolute = "'" + (dir_ / "a.dat").string() + "'";
  const std::vector<std::string> pairs = {"a.dat ./a.dat", "a.dat " + absolute, "link.dat a.dat",
                                          "new.dat sub/../new.dat", "hard.dat a.dat"};
  for (const std::string& names : pairs) {
    Result result = manager("B RECSEQ " + names);
    EXPECT_EQ(result.exitCode, 64) << names << "\n" << result.output;
    EXPECT_NE(result.output.find("are one file"), std::string::npos) << result.output;
    EXPECT_FALSE(fs::exists(dir_ / "calls.log")) << names;
  }
}

TEST_F(DunaxconvTest, AskWithNobodyToAnswerIsRefused) {
  for (const char* answers : {"env -u DUNAX_VRDMSG_ANSWERS", "env DUNAX_VRDMSG_ANSWERS="}) {
    Result result = run(std::string(answers) + " '" + program_.string() +
                        "' --converter ./DUNAXMF --ask B RECSEQ a.dat");
    EXPECT_EQ(result.exitCode, 64) << answers << "\n" << result.output;
    EXPECT_FALSE(fs::exists(dir_ / "calls.log")) << answers;
    // One line that says why and what to do.
    EXPECT_EQ(result.output.find('\n'), result.output.size() - 1) << result.output;
    EXPECT_NE(result.output.find("DUNAX_VRDMSG_ANSWERS"), std::string::npos) << result.output;
  }
}

TEST_F(DunaxconvTest, ListFileNamesTheFilesInOrder) {
  writeFile("files.txt", "# today's files\nfirst.dat\n\n  second.dat  \r\n");
  Result result = manager("--list files.txt B RECSEQ third.dat");
  EXPECT_EQ(result.exitCode, 0) << result.output;
  std::vector<std::string> parameters = calls();
  ASSERT_EQ(parameters.size(), 3u);
  EXPECT_EQ(parameters[0].substr(30, 10), "first.dat ");
  EXPECT_EQ(parameters[1].substr(30, 11), "second.dat ");
  EXPECT_EQ(parameters[2].substr(30, 10), "third.dat ");
  EXPECT_EQ(parameters[2].substr(92, 16), "0000000300000003");

  Result missing = manager("--list nothing.txt B RECSEQ");
  EXPECT_EQ(missing.exitCode, 64);
  EXPECT_NE(missing.output.find("nothing.txt does not exist"), std::string::npos);
}

TEST_F(DunaxconvTest, ConverterBesideTheManagerIsTheDefault) {
  fs::copy_file(program_, dir_ / "dunaxconv");
  Result result = run("./dunaxconv B RECSEQ a.dat");
  EXPECT_EQ(result.exitCode, 0) << result.output;
  EXPECT_EQ(calls().size(), 1u);
}

TEST_F(DunaxconvTest, MissingConverterIsReported) {
  fs::copy_file(program_, dir_ / "dunaxconv");
  fs::remove(dir_ / "DUNAXMF");
  Result result = run("./dunaxconv B RECSEQ a.dat b.dat");
  EXPECT_EQ(result.exitCode, 2) << result.output;
  EXPECT_NE(result.output.find("could not be started"), std::string::npos) << result.output;
  EXPECT_NE(result.output.find("DUNAXMF"), std::string::npos);
}

TEST_F(DunaxconvTest, JobsRunFilesSideBySide) {
  // Each of the first two runs waits until the other has started: only side by side can they
  // both end well.
  writeFile("a.partner", "b");
  writeFile("b.partner", "a");
  Result result = manager("--jobs 2 B RECSEQ a b c");
  EXPECT_EQ(result.exitCode, 0) << result.output;
  EXPECT_EQ(calls().size(), 3u);
}

TEST_F(DunaxconvTest, AbortWithJobsLetsTheRunningFileFinish) {
  writeFile("a.partner", "b");
  writeFile("b.partner", "a");
  writeFile("a.code", "16");
  writeFile("b.after", "a");  // b ends only once a's end has been collected
  Result result = manager("--jobs 2 B RECSEQ a b c d");
  EXPECT_EQ(result.exitCode, 2) << result.output;
  EXPECT_EQ(calls().size(), 2u);
  EXPECT_FALSE(fs::exists(dir_ / "started.c"));
  EXPECT_NE(result.output.find("[2/4] b: converted"), std::string::npos) << result.output;
}

TEST_F(DunaxconvTest, JobsOnATerminalRunOneAtATime) {
  if (std::system("command -v script >/dev/null 2>&1") != 0) GTEST_SKIP() << "no script(1)";
  // script(1) gives the manager a terminal as standard input.
  std::string command = "'" + program_.string() + "' --converter ./DUNAXMF --jobs 3 B RECSEQ a b c";
  Result result = run("script -qec \"" + command + "\" /dev/null", "< /dev/null");
  EXPECT_EQ(result.exitCode, 0) << result.output;
  // The notice comes once the last panel has closed, where no panel wipes it.
  EXPECT_GT(result.output.find("one at a time"), result.output.find("[3/3] c: converted"))
      << result.output;
  EXPECT_NE(result.output.find("one at a time"), std::string::npos) << result.output;
  EXPECT_EQ(calls().size(), 3u);
  EXPECT_FALSE(fs::exists(dir_ / "overlap"));
}

TEST_F(DunaxconvTest, HelpDocumentsOptionsAndExitCodes) {
  Result result = run("'" + program_.string() + "' --help");
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_NE(result.output.find("--jobs"), std::string::npos);
  EXPECT_NE(result.output.find("Exit codes of dunaxconv"), std::string::npos);
}

}  // namespace
