// Running DUNAXMF with its doubles, and reading their logs.
#include "tests/converter/converter_test_support.h"

#include <filesystem>

#include <cstdio>
#include <cstdlib>

namespace dunax::testing {
namespace {

std::string fromHex(const std::string& hex) {
  std::string out;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    out += static_cast<char>(std::strtol(hex.substr(i, 2).c_str(), nullptr, 16));
  }
  return out;
}

}  // namespace

std::string buildRunParameter(const RunParameterFields& f) {
  std::string text;
  text += f.direction;
  text += std::string(8, ' ');
  text += padded(f.program, 8);
  text += "AAA";
  text += padded(f.fieldB, 10);
  text += padded(f.dataFile, 50);
  text += "CCDEEEEEEEE";
  text += f.keyOption;
  text += padded(f.total, 8);
  text += padded(f.number, 8);
  text += padded(f.estimate, 9);
  text += padded(f.segments, 2);
  text += 'F';
  text += f.ask;
  return text;
}

std::string servedRecord(long number) {
  char head[16];
  std::snprintf(head, sizeof head, "R%09ld", number % 1000000000);
  std::string record(head, 10);
  for (long k = 10; k < 1024; ++k) record += static_cast<char>((number * 7 + k) % 256);
  return record;
}

std::string BoxCall::line(int number) const {
  static const std::size_t offsets[] = {6, 66, 127, 188};
  return block.substr(offsets[number - 1], number == 4 ? 58 : 60);
}

namespace {

// The logs first, so that a test's own entries (an empty RECTEST_LOG for a big file) win.
std::vector<std::string> runEnvironment(const std::vector<std::string>& environment,
                                        const TemporaryDirectory& directory) {
  std::vector<std::string> all = {
      "COB_LIBRARY_PATH=" + libraryPath({doublesDirectory(), moduleDirectory()}),
      "RECTEST_LOG=" + directory.file("rectest.log"), "SP2TEST_LOG=" + directory.file("screen.log"),
      "DUNAX_VRDMSG_LOG=" + directory.file("vrdmsg.log")};
  all.insert(all.end(), environment.begin(), environment.end());
  return all;
}

}  // namespace

RunResult ConverterRunTest::convert(const std::string& parameter,
                                    std::vector<std::string> environment) {
  return runProgram(binDirectory() + "/DUNAXMF", {parameter}, directory.path(),
                    runEnvironment(environment, directory));
}

RunResult ConverterRunTest::convertWithSizeLimit(const std::string& parameter, int blocks,
                                                 std::vector<std::string> environment) {
  std::string script = "trap '' XFSZ; ulimit -f " + std::to_string(blocks) +
                       "; exec \"$0\" \"$1\"";
  return runProgram("/bin/sh", {"-c", script, binDirectory() + "/DUNAXMF", parameter},
                    directory.path(), runEnvironment(environment, directory));
}

std::string ConverterRunTest::copyOfTheConverter() const {
  const std::string isolated = path("bin");
  std::error_code error;
  std::filesystem::create_directories(isolated, error);
  const std::string program = std::string("DUNAXMF") + kProgramSuffix;
  std::filesystem::copy_file(binDirectory() + "/" + program, isolated + "/" + program,
                             std::filesystem::copy_options::overwrite_existing, error);
  EXPECT_FALSE(error) << error.message();
  return isolated;
}

std::vector<std::string> ConverterRunTest::requestCodes() const {
  std::vector<std::string> codes;
  for (const std::string& line : readLines(path("rectest.log"))) {
    std::size_t space = line.find(' ');
    codes.push_back(line.substr(space + 1, 3));
  }
  return codes;
}

std::vector<std::string> ConverterRunTest::requestStatuses() const {
  std::vector<std::string> statuses;
  for (const std::string& line : readLines(path("rectest.log"))) {
    statuses.push_back(line.substr(line.size() - 2));
  }
  return statuses;
}

std::vector<BoxCall> ConverterRunTest::boxCalls() const {
  std::vector<BoxCall> calls;
  for (const std::string& line : readLines(path("vrdmsg.log"))) {
    if (line.size() < 2) continue;
    calls.push_back({line[0], fromHex(line.substr(2))});
  }
  return calls;
}

std::vector<std::string> ConverterRunTest::screenCalls() const {
  return readLines(path("screen.log"));
}

}  // namespace dunax::testing
