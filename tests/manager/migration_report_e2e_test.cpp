// dunaxconv's report and resume end to end: the real DUNAXMF and RECSEQ convert a list of three
// files, one of which is given up; the report's lines are checked against digests the test
// takes with sha256sum; then one file changes and a resume converts only it and the one given
// up. And the report and resume files that stop a run before its first file.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/test_support.h"

namespace {

namespace fs = std::filesystem;
namespace support = dunax::testing;
using Json = nlohmann::json;
using Result = support::RunResult;

class MigrationReportTest : public ::testing::Test {
 protected:
  // A data file of count records of 120 bytes (and extra bytes of a partial record).
  void writeRecords(const std::string& name, int count, char fill, int extra = 0) {
    const auto size = static_cast<std::size_t>(count) * 120 + static_cast<std::size_t>(extra);
    ASSERT_TRUE(support::writeFile(dir_.file(name), std::string(size, fill)));
  }

  // dunaxconv run in the folder with the words of command as its arguments.
  Result run(const std::string& command) {
    std::istringstream words(command);
    std::vector<std::string> arguments;
    for (std::string word; words >> word;) arguments.push_back(word);
    return support::runProgram(support::binDirectory() + "/dunaxconv", arguments, dir_.path(),
                               {});
  }

  // The SHA-256 of the file's bytes, as sha256sum gives it.
  std::string sha256Of(const std::string& file) {
    return support::runProgram("/usr/bin/sha256sum", {file}, dir_.path(), {}).output.substr(0, 64);
  }

  // The report's lines by file name (without the folder).
  std::map<std::string, Json> readReport(const std::string& name) {
    std::map<std::string, Json> lines;
    for (const std::string& line : support::readLines(dir_.file(name))) {
      Json object = Json::parse(line, nullptr, false);
      EXPECT_TRUE(object.is_object()) << line;
      if (!object.is_object()) continue;
      lines[fs::path(object["file"].get<std::string>()).filename().string()] = object;
    }
    return lines;
  }

  support::TemporaryDirectory dir_;
};

TEST_F(MigrationReportTest, ReportOfAListThenAResumeAfterAChange) {
  writeRecords("clientes.dat", 1500, 'c');
  writeRecords("fornecedores.dat", 20, 'f');
  writeRecords("partido.dat", 3, 'p', 7);  // a partial record: given up
  support::writeFile(dir_.file("todos.txt"), "clientes.dat\npartido.dat\nfornecedores.dat\n");

  Result first = run("--record-length 120 --jobs 2 --report dia1.jsonl --list todos.txt B RECSEQ");
  EXPECT_EQ(first.exitCode, 1) << first.output;
  EXPECT_NE(first.output.find("clientes.dat: converted, 0 extra segments written ("),
            std::string::npos) << first.output;
  EXPECT_NE(first.output.find("1,500 records, "), std::string::npos) << first.output;
  EXPECT_NE(first.output.find("1,523 records read, 1,523 written"), std::string::npos)
      << first.output;
  EXPECT_EQ(first.output.find("DUNAXMF counts"), std::string::npos) << first.output;

  std::map<std::string, Json> report = readReport("dia1.jsonl");
  ASSERT_EQ(report.size(), 3u);
  const Json clientes = report["clientes.dat"];
  const Json expected = {{"file", dir_.file("clientes.dat")}, {"direction", "B"},
                         {"program", "RECSEQ"}, {"outcome", "converted"}, {"exit_code", 0},
                         {"reason", nullptr}, {"records_read", 1500}, {"records_written", 1500},
                         {"segments", 0}, {"transfer_sha256", sha256Of("clientes.dat.bin")},
                         {"data_sha256", sha256Of("clientes.dat")},
                         {"bytes", support::fileSize(dir_.file("clientes.dat.bin"))}};
  for (const auto& [key, value] : expected.items()) EXPECT_EQ(clientes[key], value) << key;
  EXPECT_EQ(clientes["started"].get<std::string>().size(), 20u);  // 2026-12-09T19:30:00Z
  EXPECT_EQ(clientes["started"].get<std::string>().back(), 'Z');
  EXPECT_TRUE(clientes["seconds"].is_number());

  const Json& partido = report["partido.dat"];
  const Json given = {{"outcome", "skipped"}, {"exit_code", 32}, {"records_read", 3},
                      {"transfer_sha256", nullptr}, {"data_sha256", nullptr}};
  for (const auto& [key, value] : given.items()) EXPECT_EQ(partido[key], value) << key;
  EXPECT_NE(partido["reason"].get<std::string>().find("not a whole record"), std::string::npos);

  // One file changes and the partial record is made whole: only those two are converted.
  writeRecords("fornecedores.dat", 21, 'g');
  writeRecords("partido.dat", 4, 'p');
  Result second = run("--record-length 120 --resume dia1.jsonl --report dia2.jsonl "
                      "--list todos.txt B RECSEQ");
  EXPECT_EQ(second.exitCode, 0) << second.output;
  EXPECT_EQ(second.output.find("clientes.dat: converting"), std::string::npos) << second.output;
  EXPECT_NE(second.output.find("fornecedores.dat: converting"), std::string::npos);
  EXPECT_NE(second.output.find("partido.dat: converting"), std::string::npos);
  EXPECT_NE(second.output.find("3 files: 2 converted, 0 skipped, 0 failed, 0 stopped the run, "
                                "0 not started, 1 unchanged"),
            std::string::npos);
  report = readReport("dia2.jsonl");
  ASSERT_EQ(report.size(), 3u);
  EXPECT_EQ(report["clientes.dat"]["outcome"], "unchanged");
  EXPECT_EQ(report["clientes.dat"]["transfer_sha256"], clientes["transfer_sha256"]);
  EXPECT_EQ(report["clientes.dat"]["records_written"], 1500);
  EXPECT_EQ(report["fornecedores.dat"]["outcome"], "converted");
  EXPECT_EQ(report["fornecedores.dat"]["records_written"], 21);
  EXPECT_EQ(report["fornecedores.dat"]["transfer_sha256"], sha256Of("fornecedores.dat.bin"));
  EXPECT_EQ(report["partido.dat"]["outcome"], "converted");
}

TEST_F(MigrationReportTest, ReportsAndResumesThatStopTheRunBeforeItsFirstFile) {
  writeRecords("a.dat", 2, 'a');
  const std::map<std::string, std::string> reports = {
      {"good.jsonl",
       R"({"file":"/x/a.dat","direction":"B","program":"RECSEQ","outcome":"converted"})" "\n"},
      {"text.jsonl", "\n" R"({"file":"/x/a.dat")" "\nnot json\n"},
      {"shape.jsonl", R"({"file":"/x/a.dat","direction":"Q"})" "\n"},
      {"count.jsonl", R"({"file":"/a","direction":"B","program":"P",)"
                      R"("outcome":"converted","records_read":"many"})" "\n"},
  };
  for (const auto& [name, text] : reports) ASSERT_TRUE(support::writeFile(dir_.file(name), text));
  const auto goodSize = support::fileSize(dir_.file("good.jsonl"));
  const struct {
    std::string options;
    std::string words;
  } cases[] = {
      {"--resume missing.jsonl", "the report missing.jsonl given to --resume cannot be read"},
      {"--resume text.jsonl",
       "text.jsonl given to --resume is not a report of dunaxconv: line 2: not JSON"},
      {"--resume shape.jsonl", "line 1: no \"direction\" B or X"},
      {"--resume count.jsonl", "line 1: a count (records"},
      {"--report no/such/folder/r.jsonl", "the report no/such/folder/r.jsonl cannot be written"},
      {"--resume good.jsonl --report good.jsonl", "--report good.jsonl is the --resume file"},
      {"--resume good.jsonl --report ./good.jsonl", "--report ./good.jsonl is the --resume file"},
  };
  for (const auto& test : cases) {
    Result result = run("--record-length 120 " + test.options + " B RECSEQ a.dat");
    EXPECT_EQ(result.exitCode, 64) << test.options << "\n" << result.output;
    EXPECT_TRUE(result.output.starts_with("dunaxconv: ") &&
                result.output.find('\n') == result.output.size() - 1)
        << "one line: " << result.output;
    EXPECT_NE(result.output.find(test.words), std::string::npos) << result.output;
    EXPECT_FALSE(support::fileExists(dir_.file("a.dat.bin"))) << test.options;
  }
  EXPECT_EQ(support::fileSize(dir_.file("good.jsonl")), goodSize) << "the resume file stays";
}

}  // namespace
